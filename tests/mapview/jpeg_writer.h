#pragma once
// Encodes JPEGs with libjpeg for the tests, the fuzz seeds and the benchmark: greyscale,
// RGB, CMYK (with or without Adobe's marker), YCCK, any other component count, baseline
// or progressive. Inputs are the caller's own, so libjpeg's default error handling is used.
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <vector>

#include <jpeglib.h>

struct JpegWriteOptions {
    int quality = 100;
    bool progressive = false;
    J_COLOR_SPACE fileSpace = JCS_UNKNOWN; // JCS_UNKNOWN: libjpeg's choice for the input
    bool adobeMarker = true;               // libjpeg writes it for CMYK and YCCK files
};

// pixels: width x height x components bytes, top row first, no padding. inputSpace is
// JCS_GRAYSCALE, JCS_RGB, JCS_CMYK, or JCS_UNKNOWN for any other component count.
inline std::vector<uint8_t> EncodeJpeg(const std::vector<uint8_t>& pixels, int width, int height, int components,
                                       J_COLOR_SPACE inputSpace, const JpegWriteOptions& options = {})
{
    jpeg_compress_struct c{};
    jpeg_error_mgr err{};
    c.err = jpeg_std_error(&err);
    jpeg_create_compress(&c);
    unsigned char* out = nullptr;
    unsigned long outSize = 0;
    jpeg_mem_dest(&c, &out, &outSize);
    c.image_width = JDIMENSION(width);
    c.image_height = JDIMENSION(height);
    c.input_components = components;
    c.in_color_space = inputSpace;
    jpeg_set_defaults(&c);
    if (options.fileSpace != JCS_UNKNOWN) jpeg_set_colorspace(&c, options.fileSpace);
    c.write_Adobe_marker = options.adobeMarker && (c.jpeg_color_space == JCS_CMYK || c.jpeg_color_space == JCS_YCCK);
    jpeg_set_quality(&c, options.quality, TRUE);
    if (options.progressive) jpeg_simple_progression(&c);
    jpeg_start_compress(&c, TRUE);
    while (c.next_scanline < c.image_height) {
        auto* row = const_cast<JSAMPLE*>(pixels.data() + size_t(c.next_scanline) * size_t(width) * size_t(components));
        jpeg_write_scanlines(&c, &row, 1);
    }
    jpeg_finish_compress(&c);
    std::vector<uint8_t> bytes(out, out + outSize);
    jpeg_destroy_compress(&c);
    std::free(out);
    return bytes;
}

// A test picture: a colour gradient in 16 x 16 flat tiles, so that a good decode lands
// within a few levels of the source everywhere away from tile edges.
inline std::vector<uint8_t> TilePattern(int width, int height, int components, unsigned seed = 1)
{
    std::vector<uint8_t> pixels(size_t(width) * size_t(height) * size_t(components));
    for (int y = 0; y < height; ++y)
        for (int x = 0; x < width; ++x)
            for (int k = 0; k < components; ++k) {
                const unsigned tile = unsigned(x / 16) * 7u + unsigned(y / 16) * 13u + unsigned(k) * 5u + seed;
                pixels[(size_t(y) * size_t(width) + size_t(x)) * size_t(components) + size_t(k)] =
                    uint8_t((tile * 37u) % 256u);
            }
    return pixels;
}
