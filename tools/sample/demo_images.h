#pragma once
// The pictures of the sample folder: zone images and tiles painted from their scenes, the
// icon strips, the marker bitmaps, the splash, and their JPEG and BMP bytes.
#include <cstdint>
#include <string>
#include <vector>

#include <QImage>

#include "demo_content.h"

namespace sample {

// A zone painted at size x size pixels: terrain gradient, lakes, hills, woods, houses,
// rivers and roads, and the zone's name. A tile adds a fine texture.
QImage paintZone(const ZoneScene& scene, const std::string& zoneName, int size, bool tile);

// Horizontal strips of square icons on white, which the program makes transparent.
QImage paintToolStrip(bool hot);  // icon_a.bmp (normal) and icon_b.bmp (hot): 28 icons of 16 pixels
QImage paintTreeStrip();          // icon_c.bmp: link, map, land zone, water zone, then the category images
QImage paintCategoryStrip();      // baseico.bmp: 16 icons of 11 pixels
// Markers: the brightness of a pixel becomes the opacity of the marker's colour.
QImage paintTargetMarker();       // cible.bmp
QImage paintCompassMarker();      // boussole_cible.bmp
QImage paintSplash();             // vmar.bmp
QImage paintEmblem(bool database); // ico.bmp of the database or of the data folder

// Encoded bytes; empty when the encoder failed.
std::vector<uint8_t> jpegBytes(const QImage& image, int quality = 85);
std::vector<uint8_t> bmpBytes(const QImage& image);

} // namespace sample
