// make_sample: writes a sample program folder (language folders, a demo database with its
// zone images, icons and markers) for trying the program, for tests and for benchmarks.
#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>

#include <QElapsedTimer>
#include <QGuiApplication>

#include "sample_folder.h"

namespace {

void usage()
{
    std::fprintf(stderr,
                 "usage: make_sample --out DIR [--seed N] [--locations N] [--zones N] [--categories N]\n"
                 "                   [--image-size PIXELS] [--fonts N]\n"
                 "defaults: seed 1, 2000 locations, 24 zones, 16 categories, image size by zone count;\n"
                 "--fonts N gives the categories N distinct fonts (face, size, style) in turn\n");
}

bool parseNumber(const char* text, long long& value)
{
    char* end = nullptr;
    value = std::strtoll(text, &end, 10);
    return end != text && *end == '\0';
}

} // namespace

int main(int argc, char** argv)
{
    // The pictures are painted with text, which needs a GUI application but no display.
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM")) qputenv("QT_QPA_PLATFORM", "offscreen");
    QGuiApplication app(argc, argv);

    QString out;
    sample::SampleOptions options;
    for (int i = 1; i < argc; ++i) {
        const char* arg = argv[i];
        if (i + 1 >= argc) {
            usage();
            return 2;
        }
        const char* value = argv[++i];
        long long n = 0;
        if (std::strcmp(arg, "--out") == 0) {
            out = QString::fromLocal8Bit(value);
            continue;
        }
        if (!parseNumber(value, n) || n < 0) {
            std::fprintf(stderr, "make_sample: %s needs a number, not \"%s\"\n", arg, value);
            return 2;
        }
        if (std::strcmp(arg, "--seed") == 0) options.seed = uint32_t(n);
        else if (std::strcmp(arg, "--locations") == 0) options.locations = int(std::min(n, 100000000LL));
        else if (std::strcmp(arg, "--zones") == 0) options.zones = int(std::min(n, 100000LL));
        else if (std::strcmp(arg, "--categories") == 0) options.categories = int(std::min(n, 1000LL));
        else if (std::strcmp(arg, "--image-size") == 0) options.imageSize = int(std::min(n, 100000LL));
        else if (std::strcmp(arg, "--fonts") == 0) options.fonts = int(std::min(n, 1000LL));
        else {
            usage();
            return 2;
        }
    }
    if (out.isEmpty()) {
        usage();
        return 2;
    }

    QElapsedTimer timer;
    timer.start();
    const sample::SampleReport report = sample::makeSampleFolder(out, options);
    if (!report.ok) {
        std::fprintf(stderr, "make_sample: %s\n", qPrintable(report.error));
        return 1;
    }
    std::printf("%s: %d files, %llu bytes, %.1f s\n", qPrintable(out), report.files,
                static_cast<unsigned long long>(report.bytes), timer.elapsed() / 1000.0);
    return 0;
}
