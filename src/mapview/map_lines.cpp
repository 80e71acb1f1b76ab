#include "map_lines.h"

#include <algorithm>
#include <cmath>

namespace {

// The colour (ARGB) at weight 0..255 over the pixel, when the pixel lies in the buffer.
inline void blendAt(const Pixels& px, long long x, long long y, uint32_t colour, uint32_t weight)
{
    if (x < 0 || y < 0 || x >= px.width || y >= px.height) return;
    const uint32_t alpha = ((colour >> 24) * weight + 127) / 255;
    if (alpha == 0) return;
    const uint32_t src = mapblit::byteMul(colour | 0xFF000000u, alpha); // premultiplied, alpha = alpha
    uint32_t& d = px.row(int(y))[x];
    d = alpha == 255 ? src : src + mapblit::byteMul(d, 255 - alpha);
}

// Liang-Barsky: the part of a-b inside the rectangle as parameters t0 <= t1 along it.
bool clip(QPointF a, QPointF b, double left, double top, double right, double bottom, double& t0, double& t1)
{
    t0 = 0.0;
    t1 = 1.0;
    const double dx = b.x() - a.x(), dy = b.y() - a.y();
    const double p[4] = {-dx, dx, -dy, dy};
    const double q[4] = {a.x() - left, right - a.x(), a.y() - top, bottom - a.y()};
    for (int i = 0; i < 4; ++i) {
        if (p[i] == 0.0) {
            if (q[i] < 0.0) return false;
            continue;
        }
        const double t = q[i] / p[i];
        if (p[i] < 0.0) {
            if (t > t1) return false;
            t0 = std::max(t0, t);
        } else {
            if (t < t0) return false;
            t1 = std::min(t1, t);
        }
    }
    return t0 <= t1;
}

// Steps along the longer axis from round(start) towards round(end), end left out; for each,
// the point on the line across it. Only the steps that can touch the buffer are visited;
// the stipple moves on by every step, visited or not.
template <bool AntiAliased>
void drawLine(const Pixels& px, QPointF a, QPointF b, LinePen& pen)
{
    const bool steep = std::fabs(b.y() - a.y()) > std::fabs(b.x() - a.x());
    const double ma = steep ? a.y() : a.x(), mb = steep ? b.y() : b.x(); // longer axis
    const double na = steep ? a.x() : a.y(), nb = steep ? b.x() : b.y(); // shorter axis
    const long long i0 = std::llround(ma), i1 = std::llround(mb);
    const long long dir = i1 >= i0 ? 1 : -1;
    const long long steps = (i1 - i0) * dir;
    if (steps <= 0) return;
    const double gradient = mb != ma ? (nb - na) / (mb - ma) : 0.0;

    long long first = steps, last = -1; // visited steps, from i0
    double t0, t1;
    if (clip(a, b, -1.0, -1.0, double(px.width), double(px.height), t0, t1)) {
        const double c0 = ma + (mb - ma) * t0, c1 = ma + (mb - ma) * t1;
        first = std::max<long long>(0, (std::llround(c0) - i0) * dir - 1);
        last = std::min<long long>(steps - 1, (std::llround(c1) - i0) * dir + 1);
    }
    const bool stippled = pen.patternLength > 0;
    for (long long k = first; k <= last; ++k) {
        const long long i = i0 + k * dir;
        uint32_t colour = pen.colour;
        if (stippled) {
            const double place = std::fmod(pen.counter + double(k) * pen.step, double(pen.patternLength));
            colour = pen.pattern[size_t(std::clamp(int(place), 0, pen.patternLength - 1))];
        }
        const double n = na + (double(i) - ma) * gradient;
        if (AntiAliased) {
            const double floorN = std::floor(n);
            const uint32_t upper = uint32_t(std::lround((n - floorN) * 255.0));
            const long long j = (long long)floorN;
            if (steep) {
                blendAt(px, j, i, colour, 255 - upper);
                blendAt(px, j + 1, i, colour, upper);
            } else {
                blendAt(px, i, j, colour, 255 - upper);
                blendAt(px, i, j + 1, colour, upper);
            }
        } else {
            const long long j = std::llround(n);
            if (steep)
                blendAt(px, j, i, colour, 255);
            else
                blendAt(px, i, j, colour, 255);
        }
    }
    if (stippled) pen.counter = std::fmod(pen.counter + double(steps) * pen.step, double(pen.patternLength));
}

} // namespace

void lineAA(const Pixels& px, QPointF a, QPointF b, LinePen& pen)
{
    drawLine<true>(px, a, b, pen);
}

void linePlain(const Pixels& px, QPointF a, QPointF b, LinePen& pen)
{
    drawLine<false>(px, a, b, pen);
}
