// The lines and boxes of the map layer: the selected area, the markers and the compass,
// the paths, the link and redirect lines, the waypoints, the tips and feedback boxes.
// Lines can reach far outside the view (world points on another map's edge give screen
// points in the millions): they are clipped here, in doubles, before Qt sees them.
#include <algorithm>
#include <cmath>
#include <vector>

#include <QFontMetrics>
#include <QPainter>
#include <QPen>
#include <QPolygonF>

#include "cp1252.h"
#include "image_helpers.h"
#include "map_render_cache.h"
#include "map_renderer.h"

namespace {

constexpr double kClipMargin = 16.0; // pixels around the buffer that lines may still touch

QRectF clipArea(const QPainter& painter)
{
    const QPaintDevice* d = painter.device();
    return QRectF(-kClipMargin, -kClipMargin, d->width() + 2 * kClipMargin, d->height() + 2 * kClipMargin);
}

// Liang-Barsky: cuts the segment a-b to the rectangle; False when nothing of it is inside.
// t0 and t1 are where the kept part starts and ends along the segment (0..1).
bool clipSegment(QPointF a, QPointF b, const QRectF& r, double& t0, double& t1)
{
    t0 = 0.0;
    t1 = 1.0;
    const double dx = b.x() - a.x(), dy = b.y() - a.y();
    const double p[4] = {-dx, dx, -dy, dy};
    const double q[4] = {a.x() - r.left(), r.right() - a.x(), a.y() - r.top(), r.bottom() - a.y()};
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

QPointF along(QPointF a, QPointF b, double t)
{
    return a + (b - a) * t;
}

// Strokes the polyline through the painter's pen, clipped to the area around the buffer;
// a dash pattern runs on across the parts that clipping separates, as along the whole line.
void strokePolyline(QPainter& painter, const std::vector<QPointF>& points)
{
    if (points.size() < 2) return;
    const QRectF area = clipArea(painter);
    QPen pen = painter.pen();
    const bool dashed = pen.style() != Qt::SolidLine;
    double travelled = 0.0; // pixels along the whole line before the current segment
    QPolygonF run;
    auto flush = [&] {
        if (run.size() >= 2) painter.drawPolyline(run);
        run.clear();
    };
    for (size_t i = 1; i < points.size(); ++i) {
        const QPointF a = points[i - 1], b = points[i];
        const double length = std::hypot(b.x() - a.x(), b.y() - a.y());
        double t0, t1;
        if (!clipSegment(a, b, area, t0, t1)) {
            flush();
        } else {
            const QPointF c0 = along(a, b, t0), c1 = along(a, b, t1);
            if (t0 > 0.0 || run.isEmpty()) {
                flush();
                if (dashed) {
                    pen.setDashOffset(travelled + t0 * length);
                    painter.setPen(pen);
                }
                run << c0;
            }
            run << c1;
            if (t1 < 1.0) flush();
        }
        travelled += length;
    }
    flush();
}

// Sutherland-Hodgman against each side of the area; the winding number of every point inside
// the area is kept, so a self-crossing outline fills the same with the non-zero rule.
QPolygonF clipPolygon(const QPolygonF& polygon, const QRectF& r)
{
    QPolygonF out = polygon;
    for (int side = 0; side < 4 && !out.isEmpty(); ++side) {
        auto inside = [&](const QPointF& p) {
            switch (side) {
            case 0: return p.x() >= r.left();
            case 1: return p.x() <= r.right();
            case 2: return p.y() >= r.top();
            default: return p.y() <= r.bottom();
            }
        };
        auto cross = [&](const QPointF& a, const QPointF& b) {
            double t;
            switch (side) {
            case 0: t = (r.left() - a.x()) / (b.x() - a.x()); break;
            case 1: t = (r.right() - a.x()) / (b.x() - a.x()); break;
            case 2: t = (r.top() - a.y()) / (b.y() - a.y()); break;
            default: t = (r.bottom() - a.y()) / (b.y() - a.y()); break;
            }
            return along(a, b, t);
        };
        const QPolygonF in = out;
        out.clear();
        for (qsizetype i = 0; i < in.size(); ++i) {
            const QPointF cur = in[i], prev = in[(i + in.size() - 1) % in.size()];
            const bool curIn = inside(cur), prevIn = inside(prev);
            if (curIn) {
                if (!prevIn) out << cross(prev, cur);
                out << cur;
            } else if (prevIn) {
                out << cross(prev, cur);
            }
        }
    }
    return out;
}

QPen linePen(uint32_t colour)
{
    QPen pen(QColor::fromRgba(colour));
    pen.setWidth(1);
    pen.setCosmetic(true);
    pen.setCapStyle(Qt::FlatCap);
    pen.setJoinStyle(Qt::MiterJoin);
    return pen;
}

// A stipple of two entries of colour and one transparent entry, each `step` pixels long.
QPen stipplePen(uint32_t colour, double onPixels, double offPixels)
{
    QPen pen = linePen(colour);
    pen.setDashPattern({onPixels, offPixels});
    return pen;
}

// Screen point of a world point, as doubles on the pixel centre (Graphics32's convention).
QPointF centreOf(const MapViewport& view, QPoint world)
{
    const QPoint s = view.world_to_screen(world);
    return QPointF(double(s.x()) + 0.5, double(s.y()) + 0.5);
}

void drawMarker(const MapViewport& view, QPainter& painter, const QImage& bitmap, QPoint world)
{
    if (bitmap.isNull()) return;
    const QPoint s = view.world_to_screen(world);
    if (!view.point_in_view(s)) return;
    painter.drawImage(s.x() - bitmap.width() / 2, s.y() - bitmap.height() / 2, bitmap);
}

QPoint markerWorld(const tboussole& marker)
{
    if (!marker.Zone) return QPoint(0, 0);
    return MapViewport::worldmaptoworld(QPoint(marker.X, marker.Y), *marker.Zone);
}

QColor fromTColor(TColor c)
{
    return QColor(int(c & 0xFF), int((c >> 8) & 0xFF), int((c >> 16) & 0xFF));
}

QFont boxFont()
{
    QFont font(QStringLiteral("Arial"));
    font.setPixelSize(11); // "arial" 8 points on the original's 96-dpi screen
    return font;
}

} // namespace

void draw_ownpath(MapScene& scene, QPainter& painter)
{
    scene.OwnPathPolygon.clear();
    for (const WorldPoint& p : scene.OwnPath.points)
        scene.OwnPathPolygon << QPointF(scene.view.world_to_screen(QPoint(p.x, p.y)));
    const QPolygonF clipped = clipPolygon(scene.OwnPathPolygon, clipArea(painter));
    if (clipped.size() < 2) return;
    const uint32_t colour = scene.OwnPath.colour32;
    painter.save();
    painter.setRenderHint(QPainter::Antialiasing, false);
    painter.setPen(linePen(colour | 0xFF000000u));
    painter.setBrush(Qt::NoBrush);
    painter.drawPolygon(clipped, Qt::WindingFill);
    painter.setPen(Qt::NoPen);
    painter.setBrush(QColor::fromRgba(colour));
    painter.drawPolygon(clipped, Qt::WindingFill);
    painter.restore();
}

void draw_target(const MapScene& scene, QPainter& painter)
{
    if (!scene.Target.Visible) return;
    drawMarker(scene.view, painter, scene.Target.Bitmap, QPoint(scene.Target.X, scene.Target.Y));
}

void draw_compass(const MapScene& scene, QPainter& painter)
{
    const QPoint w1 = markerWorld(scene.MyPos), w2 = markerWorld(scene.OtherPos);
    if (scene.MyPos.Visible) drawMarker(scene.view, painter, scene.MyPos.Bitmap, w1);
    if (scene.OtherPos.Visible) drawMarker(scene.view, painter, scene.OtherPos.Bitmap, w2);
    if (!scene.MyPos.Visible || !scene.OtherPos.Visible) return;
    painter.save();
    painter.setRenderHint(QPainter::Antialiasing, true);
    painter.setPen(stipplePen(kCompassLineColour, 2, 1)); // two blue pixels, one gap
    strokePolyline(painter, {centreOf(scene.view, w1), centreOf(scene.view, w2)});
    painter.restore();
}

void draw_paths(const MapScene& scene, QPainter& painter)
{
    painter.save();
    painter.setRenderHint(QPainter::Antialiasing, true);
    painter.setBrush(Qt::NoBrush);
    std::vector<QPointF> points;
    for (const rwpitem& path : scene.Paths) {
        if (!path.shown || path.points.size() < 2) continue;
        // Stipple (colour, colour, clear) at a step of 0.5: four pixels drawn, two left out.
        painter.setPen(stipplePen(path.colour32, 4, 2));
        points.clear();
        for (const WorldPoint& p : path.points) points.push_back(centreOf(scene.view, QPoint(p.x, p.y)));
        strokePolyline(painter, points);
    }
    painter.restore();
}

void draw_lines(const MapScene& scene, QPainter& painter, const linearray& lines)
{
    if (lines.empty()) return;
    painter.save();
    painter.setRenderHint(QPainter::Antialiasing, false);
    for (const rLine& line : lines) {
        painter.setPen(linePen(line.colour | 0xFF000000u));
        const QPoint a = scene.view.world_to_screen(QPoint(line.x1, line.y1));
        const QPoint b = scene.view.world_to_screen(QPoint(line.x2, line.y2));
        strokePolyline(painter, {QPointF(a), QPointF(b)});
    }
    painter.restore();
}

void draw_waypoints(const MapScene& scene, QPainter& painter)
{
    std::vector<QPointF> points;
    for (const rWaypoint& w : scene.Waypoints) {
        if (!w.zone) continue;
        points.push_back(centreOf(scene.view, MapViewport::worldmaptoworld(QPoint(w.x, w.y), *w.zone)));
    }
    if (points.size() < 2) return;
    painter.save();
    painter.setRenderHint(QPainter::Antialiasing, true);
    painter.setPen(linePen(kWaypointColour));
    strokePolyline(painter, points);
    painter.restore();
}

void draw_tips(MapScene& scene, QPainter& painter)
{
    if (!scene.tips || scene.tips->empty()) return;
    MapRenderCache& cache = renderCache(scene);
    const QFont font = boxFont();
    if (cache.tipsSource != *scene.tips || cache.tips.size() != scene.tips->size()) {
        cache.tipsSource = *scene.tips;
        cache.tips.clear();
        for (const std::string& line : *scene.tips) {
            QStaticText text(FromCp1252(line));
            text.setTextFormat(Qt::PlainText);
            text.prepare(QTransform(), font);
            cache.tips.push_back(std::move(text));
        }
    }
    const int n = int(scene.tips->size());
    painter.save();
    painter.fillRect(QRect(QPoint(3, 3), QPoint(scene.TipsWidth + 11, (n + 1) * scene.TipsLineHeight + 11)),
                     QColor::fromRgba(kTipsBoxColour));
    painter.setFont(font);
    painter.setPen(Qt::white);
    for (int i = 0; i < n; ++i) painter.drawStaticText(QPointF(8, 15 * i + 5), cache.tips[size_t(i)]);
    painter.restore();
}

void draw_feedback(QPainter& painter, const FeedbackLines& lines)
{
    if (lines.empty()) return;
    const QPaintDevice* device = painter.device();
    const int width = device->width();
    const int n = int(lines.size());
    const int h = device->height() / 2;
    const int d = ((n - 1) * 16) / 2;
    painter.save();
    painter.fillRect(QRect(QPoint(0, h - d), QPoint(width - 2, h + d + 7)), QColor::fromRgba(kFeedbackBoxColour));
    const QFont font = boxFont();
    painter.setFont(font);
    const int ascent = QFontMetrics(font).ascent();
    for (int i = 0; i + 1 < n; ++i) { // the last line of a message is its blank line
        const rdirectfeedback& line = lines[size_t(i)];
        painter.setPen(fromTColor(line.colour));
        painter.drawText(QPoint(width / 2 - line.width / 2, h - d + 5 + 16 * i + ascent), FromCp1252(line.text));
    }
    painter.restore();
}

uint32_t route_colour(const TData_common* common, const rItemdata& item)
{
    const rCommand* command = item.command.get();
    const uint32_t alpha = command ? (command->colour32 & 0xFF000000u) : 0xFF000000u;
    const size_t index = command ? command->colourIndex : 0;
    if (index != 0 && common && index < common->colors.size()) return ColorToColor32(common->colors[index].colour, alpha);
    return ColorToColor32(item.colour, alpha);
}
