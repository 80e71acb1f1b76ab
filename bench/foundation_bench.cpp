// Loader and text benchmarks of the foundation library.
//   LoadCompressedFile on 50 MiB against a plain zlib inflate of the same bytes,
//   NormalizeText over 100,000 names of 40 bytes, LoadVectorFile of 1,000,000 points.
#include <benchmark/benchmark.h>

#include <random>
#include <vector>

#include <QFile>
#include <QTemporaryDir>
#include <zlib.h>

#include "compressed.h"
#include "text_helpers.h"
#include "vector_file.h"

namespace {

QTemporaryDir& tempDir()
{
    static QTemporaryDir d;
    return d;
}

void writeFile(const QString& path, const std::vector<uint8_t>& bytes)
{
    QFile f(path);
    f.open(QIODevice::WriteOnly);
    f.write(reinterpret_cast<const char*>(bytes.data()), qint64(bytes.size()));
}

// 50 MiB of record-like data that compresses about as well as the master file does.
struct Compressed50 {
    std::vector<uint8_t> packed;
    size_t plainSize = 50u << 20;
    QString path;
    Compressed50()
    {
        std::vector<uint8_t> plain(plainSize);
        std::mt19937 rng(7);
        for (size_t i = 0; i < plain.size(); ++i)
            plain[i] = (i % 64 < 40) ? uint8_t('A' + rng() % 26) : uint8_t(i % 64);
        packed = DeflateBytes(plain.data(), plain.size(), 6);
        path = tempDir().path() + "/big.z";
        writeFile(path, packed);
    }
};
Compressed50& compressed50()
{
    static Compressed50 c;
    return c;
}

void BM_LoadCompressedFile50MiB(benchmark::State& state)
{
    auto& c = compressed50();
    for (auto _ : state) {
        MemoryStream s;
        bool ok = LoadCompressedFile(s, c.path);
        benchmark::DoNotOptimize(ok);
        if (!ok || s.size() != c.plainSize) state.SkipWithError("inflate failed");
    }
    state.SetBytesProcessed(int64_t(state.iterations()) * int64_t(c.plainSize));
}
BENCHMARK(BM_LoadCompressedFile50MiB)->Unit(benchmark::kMillisecond)->MinTime(2.0);

// The reference: read the file and inflate it with zlib's one-call API into a buffer of
// the known size.
void BM_PlainZlibInflate50MiB(benchmark::State& state)
{
    auto& c = compressed50();
    for (auto _ : state) {
        QFile f(c.path);
        f.open(QIODevice::ReadOnly);
        QByteArray packed = f.readAll();
        std::vector<uint8_t> out(c.plainSize);
        uLongf len = uLongf(out.size());
        int rc = uncompress(out.data(), &len, reinterpret_cast<const Bytef*>(packed.constData()), uLong(packed.size()));
        benchmark::DoNotOptimize(rc);
        if (rc != Z_OK) state.SkipWithError("uncompress failed");
    }
    state.SetBytesProcessed(int64_t(state.iterations()) * int64_t(c.plainSize));
}
BENCHMARK(BM_PlainZlibInflate50MiB)->Unit(benchmark::kMillisecond)->MinTime(2.0);

void BM_NormalizeText100k(benchmark::State& state)
{
    std::mt19937 rng(3);
    std::vector<std::string> names(100000, std::string(40, ' '));
    for (auto& n : names)
        for (auto& c : n) c = char(0x20 + rng() % 0xE0);
    for (auto _ : state) {
        size_t sum = 0;
        for (const auto& n : names) sum += size_t(NormalizeText(n)[0]);
        benchmark::DoNotOptimize(sum);
    }
    state.SetBytesProcessed(int64_t(state.iterations()) * 100000 * 40);
}
BENCHMARK(BM_NormalizeText100k)->Unit(benchmark::kMillisecond);

void BM_LoadVectorFile1M(benchmark::State& state)
{
    std::vector<uint8_t> raw;
    std::mt19937 rng(5);
    const int blocks = 1000, perBlock = 1000; // 1,000,000 points
    for (int b = 0; b < blocks; ++b) {
        raw.push_back(uint8_t(perBlock & 0xFF));
        raw.push_back(uint8_t(perBlock >> 8));
        for (int i = 0; i < perBlock * 4; ++i) raw.push_back(uint8_t(rng()));
    }
    const QString path = tempDir().path() + "/big.vec";
    writeFile(path, raw);
    for (auto _ : state) {
        MemoryStream s;
        LoadVectorFile(path, s);
        benchmark::DoNotOptimize(s.data.data());
        if (s.size() != size_t(blocks) * (2 + perBlock * 8)) state.SkipWithError("wrong size");
    }
}
BENCHMARK(BM_LoadVectorFile1M)->Unit(benchmark::kMillisecond);

} // namespace

BENCHMARK_MAIN();
