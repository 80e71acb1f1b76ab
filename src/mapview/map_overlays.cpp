// The lines and boxes of the map layer: the vectors and grids, the selected area, the
// markers and the compass, the paths, the link and redirect lines, the waypoints, the zone
// highlight, the tips and feedback boxes. Lines go straight into the buffer (map_lines.h);
// their end points can lie far outside the view and are clipped there.
#include <cstring>
#include <vector>

#include <QFontMetrics>
#include <QPainter>
#include <QPolygonF>

#include "cp1252.h"
#include "map_lines.h"
#include "map_render_cache.h"
#include "map_renderer.h"
#include "markers.h"
#include "preferences.h"

namespace {

constexpr double kClipMargin = 16.0; // pixels around the buffer that a filled area may reach

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
            return a + (b - a) * t;
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

QPointF screenOf(const MapViewport& view, QPoint world)
{
    return QPointF(view.world_to_screen(world));
}

// An anti-aliased polyline; the pen's stipple runs on along it.
void polylineAA(const Pixels& px, const std::vector<QPointF>& points, LinePen pen)
{
    for (size_t i = 1; i < points.size(); ++i) lineAA(px, points[i - 1], points[i], pen);
}

void drawSprite(QPainter& painter, const MarkerSprite& sprite, const QImage& bitmap)
{
    if (sprite.drawn && !bitmap.isNull()) painter.drawImage(sprite.topLeft, bitmap);
}

QColor fromTColor(TColor c)
{
    return QColor(int(c & 0xFF), int((c >> 8) & 0xFF), int((c >> 16) & 0xFF));
}

QFont boxFont()
{
    QFont font(QStringLiteral("Arial"));
    font.setPixelSize(11); // "arial" 8 points at 96 dots per inch, the scale the overlay boxes are laid out for
    return font;
}

} // namespace

void draw_vectors(const MemoryStream& stream, QPainter& painter, float x0, float y0, int32_t zoom, uint32_t colour)
{
    const size_t size = stream.size();
    if (size == 0) return;
    const uint8_t* data = stream.data.data();
    withPixels(painter, [&](const Pixels& px) {
        LinePen pen = LinePen::solid(colour);
        const double z = zoom;
        size_t pos = 0;
        while (size - pos >= 2) {
            uint16_t n;
            std::memcpy(&n, data + pos, 2);
            pos += 2;
            if (n == 0) continue;            // no point in the block: nothing to read for it
            if ((size - pos) / 8 < n) break; // truncated: never read past the stream
            QPointF previous;
            for (uint16_t i = 0; i < n; ++i, pos += 8) {
                float fx, fy;
                std::memcpy(&fx, data + pos, 4);
                std::memcpy(&fy, data + pos + 4, 4);
                // Single-precision origin plus zoom times the fraction: the .vec file holds 32-bit floats,
                // and computing in that order keeps the lines on the pixels the files were drawn for.
                const QPointF point(double(x0) + z * double(fx), double(y0) + z * double(fy));
                if (i > 0) lineAA(px, previous, point, pen);
                previous = point;
            }
        }
    });
}

void draw_ownpath(MapScene& scene, QPainter& painter)
{
    scene.OwnPathPolygon.clear();
    for (const WorldPoint& p : scene.OwnPath.points) scene.OwnPathPolygon << screenOf(scene.view, QPoint(p.x, p.y));
    const QPaintDevice* d = painter.device();
    const QRectF area(-kClipMargin, -kClipMargin, d->width() + 2 * kClipMargin, d->height() + 2 * kClipMargin);
    const QPolygonF clipped = clipPolygon(scene.OwnPathPolygon, area);
    if (clipped.size() < 2) return;
    const uint32_t colour = scene.OwnPath.colour32;
    painter.save();
    painter.setRenderHint(QPainter::Antialiasing, false);
    QPen outline(QColor::fromRgba(colour | 0xFF000000u));
    outline.setCosmetic(true);
    painter.setPen(outline);
    painter.setBrush(Qt::NoBrush);
    painter.drawPolygon(clipped, Qt::WindingFill);
    painter.setPen(Qt::NoPen);
    painter.setBrush(QColor::fromRgba(colour));
    painter.drawPolygon(clipped, Qt::WindingFill);
    painter.restore();
}

void draw_target(const MapScene& scene, QPainter& painter)
{
    drawSprite(painter, target_sprite(scene), scene.Target.Bitmap);
}

void draw_compass(const MapScene& scene, QPainter& painter)
{
    const CompassGeometry g = compass_geometry(scene);
    drawSprite(painter, g.my, scene.MyPos.Bitmap);
    drawSprite(painter, g.other, scene.OtherPos.Bitmap);
    if (!g.lineDrawn) return;
    // The stipple of the markers' part: two blue pixels, one clear, an entry per pixel.
    withPixels(painter, [&](const Pixels& px) {
        LinePen pen;
        pen.colour = g.stipple[0];
        pen.pattern = g.stipple;
        pen.patternLength = int(g.stipple.size());
        pen.step = g.stippleStep;
        lineAA(px, g.lineStart, g.lineEnd, pen);
    });
}

void draw_paths(const MapScene& scene, QPainter& painter)
{
    withPixels(painter, [&](const Pixels& px) {
        std::vector<QPointF> points;
        for (const rwpitem& path : scene.Paths) {
            if (!path.shown || path.points.size() < 2) continue;
            points.clear();
            for (const WorldPoint& p : path.points) points.push_back(screenOf(scene.view, QPoint(p.x, p.y)));
            // (colour, colour, clear) at a step of 0.5: four pixels drawn, two left out.
            polylineAA(px, points, LinePen::stippled(path.colour32, 0.5));
        }
    });
}

void draw_lines(const MapScene& scene, QPainter& painter, const linearray& lines)
{
    if (lines.empty()) return;
    withPixels(painter, [&](const Pixels& px) {
        for (const rLine& line : lines) {
            LinePen pen = LinePen::solid(line.colour | 0xFF000000u);
            linePlain(px, screenOf(scene.view, QPoint(line.x1, line.y1)), screenOf(scene.view, QPoint(line.x2, line.y2)), pen);
        }
    });
}

void draw_waypoints(const MapScene& scene, QPainter& painter)
{
    std::vector<QPointF> points;
    for (const rWaypoint& w : scene.Waypoints) {
        if (!w.zone) continue;
        points.push_back(screenOf(scene.view, MapViewport::worldmaptoworld(QPoint(w.x, w.y), *w.zone)));
    }
    if (points.size() < 2) return;
    withPixels(painter, [&](const Pixels& px) { polylineAA(px, points, LinePen::solid(kWaypointColour)); });
}

void draw_zone_highlight(const MapScene& scene, QPainter& painter)
{
    const pMap_info* zone = scene.SelectionZone;
    if (!Preferences.MCUR || !zone || !zone->inView) return;
    const ViewRect r = scene.view.zoneScreenRect(*zone);
    draw_vectors(scene.BorderVec, painter, float(r.left), float(r.top), scene.view.Zoom, kZoneHighlightColour);
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
