#pragma once
// The main() of the benchmarks that need a Qt application (fonts, images, widgets),
// on the offscreen platform.
#include <benchmark/benchmark.h>

#include <QApplication>

#define VMAR_QT_BENCHMARK_MAIN()                                                                   \
    int main(int argc, char** argv)                                                                \
    {                                                                                              \
        qputenv("QT_QPA_PLATFORM", "offscreen");                                                   \
        QApplication app(argc, argv);                                                              \
        benchmark::Initialize(&argc, argv);                                                        \
        benchmark::RunSpecifiedBenchmarks();                                                       \
        benchmark::Shutdown();                                                                     \
        return 0;                                                                                  \
    }
