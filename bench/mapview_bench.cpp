// Zone image decoding: LoadJPEGToBitmap32 on 50 zone-sized JPEGs (1024 x 1024, quality 85,
// painted-map-like gradients with grain) against a plain libjpeg-turbo decode of the same
// files into a fresh 32-bit buffer, in the same run. Each iteration decodes all 50 files.
#include <benchmark/benchmark.h>

#include <algorithm>
#include <cstdio>
#include <memory>
#include <random>
#include <vector>

#include <QFile>
#include <QTemporaryDir>

#include "jpeg_loader.h"
#include "jpeg_writer.h"

namespace {

constexpr int kFiles = 50;
constexpr int kSide = 1024;

struct ZoneFiles {
    QTemporaryDir dir;
    std::vector<QString> paths;
    ZoneFiles()
    {
        std::mt19937 rng(11);
        std::vector<uint8_t> pixels(size_t(kSide) * kSide * 3);
        for (int i = 0; i < kFiles; ++i) {
            size_t k = 0;
            for (int y = 0; y < kSide; ++y)
                for (int x = 0; x < kSide; ++x) {
                    const int grain = int(rng() % 17) - 8;
                    const int base = (x * (i + 3) / 9 + y * (i + 5) / 13 + ((x / 64 + y / 48 + i) % 5) * 23) % 200;
                    pixels[k++] = uint8_t(std::clamp(base + 30 + grain, 0, 255));
                    pixels[k++] = uint8_t(std::clamp(220 - base / 2 + grain, 0, 255));
                    pixels[k++] = uint8_t(std::clamp(base / 3 + 60 + grain, 0, 255));
                }
            const auto jpeg = EncodeJpeg(pixels, kSide, kSide, 3, JCS_RGB, {85});
            paths.push_back(dir.filePath(QString("zone%1.jpg").arg(i)));
            QFile f(paths.back());
            f.open(QIODevice::WriteOnly);
            f.write(reinterpret_cast<const char*>(jpeg.data()), qint64(jpeg.size()));
        }
    }
};

ZoneFiles& zoneFiles()
{
    static ZoneFiles files;
    return files;
}

// The reference: libjpeg-turbo straight into 32-bit rows, as simply as it can be called.
std::unique_ptr<uint8_t[]> directDecode(const QString& path)
{
    std::FILE* file = std::fopen(QFile::encodeName(path).constData(), "rb");
    jpeg_decompress_struct c{};
    jpeg_error_mgr err{};
    c.err = jpeg_std_error(&err);
    jpeg_create_decompress(&c);
    jpeg_stdio_src(&c, file);
    jpeg_read_header(&c, TRUE);
    c.out_color_space = JCS_EXT_BGRX;
    jpeg_start_decompress(&c);
    const size_t stride = size_t(c.output_width) * 4;
    std::unique_ptr<uint8_t[]> pixels(new uint8_t[stride * c.output_height]);
    while (c.output_scanline < c.output_height) {
        JSAMPROW row = pixels.get() + stride * c.output_scanline;
        jpeg_read_scanlines(&c, &row, 1);
    }
    jpeg_finish_decompress(&c);
    jpeg_destroy_decompress(&c);
    std::fclose(file);
    return pixels;
}

void setCounters(benchmark::State& state)
{
    state.SetItemsProcessed(state.iterations() * kFiles);
    state.SetBytesProcessed(state.iterations() * kFiles * int64_t(kSide) * kSide * 4);
}

void BM_LoadJPEGToBitmap32(benchmark::State& state)
{
    const auto& paths = zoneFiles().paths;
    for (auto _ : state)
        for (const QString& path : paths) {
            QImage image;
            LoadJPEGToBitmap32(&image, path);
            benchmark::DoNotOptimize(image.constBits());
        }
    setCounters(state);
}
BENCHMARK(BM_LoadJPEGToBitmap32)->Unit(benchmark::kMillisecond);

void BM_DirectLibjpegTurbo(benchmark::State& state)
{
    const auto& paths = zoneFiles().paths;
    for (auto _ : state)
        for (const QString& path : paths) {
            auto pixels = directDecode(path);
            benchmark::DoNotOptimize(pixels.get());
        }
    setCounters(state);
}
BENCHMARK(BM_DirectLibjpegTurbo)->Unit(benchmark::kMillisecond);

} // namespace

BENCHMARK_MAIN();
