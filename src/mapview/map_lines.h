#pragma once
// One-pixel lines drawn straight into the buffer, so that paths, links and vectors land on the
// same pixels on every machine:
// integer coordinates on pixel centres, one pixel (plain) or two (anti-aliased, split by
// the distance) per step along the line's longer axis, the last point left out, and an
// optional stipple whose place runs on from one segment of a polyline to the next.
// Segments are clipped to the buffer first, so end points millions of pixels away cost no
// more than the part in view.
#include <array>
#include <cstdint>

#include <QPoint>
#include <QPointF>

#include "map_blit.h"

struct LinePen {
    uint32_t colour = 0; // ARGB, not premultiplied: its alpha blends the line over the picture
    // Stipple: entries of `step` pixels each along the longer axis, cycled; none when 0.
    std::array<uint32_t, 3> pattern{};
    int patternLength = 0;
    double step = 1.0;
    double counter = 0.0; // the stipple's place, in entries; kept from segment to segment

    static LinePen solid(uint32_t colour)
    {
        LinePen pen;
        pen.colour = colour;
        return pen;
    }
    // (colour, colour, clear) entries of `step` pixels.
    static LinePen stippled(uint32_t colour, double step)
    {
        LinePen pen;
        pen.colour = colour;
        pen.pattern = {colour, colour, colour & 0x00FFFFFFu};
        pen.patternLength = 3;
        pen.step = step;
        return pen;
    }
};

// Anti-aliased, from a to b without b.
void lineAA(const Pixels& px, QPointF a, QPointF b, LinePen& pen);
// Plain, in the pen's colour as it is, from a to b without b.
void linePlain(const Pixels& px, QPointF a, QPointF b, LinePen& pen);
