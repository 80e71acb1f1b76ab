// Update and exchange benchmarks, each next to its baseline from the same run.
//   File digest of 256 MiB (warm cache) against md5sum, with the resident memory it adds.
//   The update dialog's comparison of 2,000 listed files (200 MiB) against md5sum of the
//   same files, with the longest gap between two window-event passes.
//   The update dialog reading a 10,000-row list (parse and list rows) against splitting
//   the same text into lines.
//   A 100 MiB download from a local server through the client against curl_easy_perform.
#include <sys/resource.h>

#include <QElapsedTimer>
#include <QFile>
#include <QProcess>
#include <QTemporaryDir>
#include <QTimer>
#include <QTreeWidget>
#include <curl/curl.h>

#include "file_digest.h"
#include "folders.h"
#include "http_client.h"
#include "qt_bench_main.h"
#include "update_dialog.h"

namespace {

QTemporaryDir& tempDir()
{
    static QTemporaryDir d;
    return d;
}

// A file of pseudo-random bytes written in 1 MiB pieces.
void writeFile(const QString& path, size_t size, uint32_t seed)
{
    QFile f(path);
    f.open(QIODevice::WriteOnly);
    std::vector<uint32_t> piece((size_t(1) << 20) / 4);
    uint32_t x = seed | 1;
    for (size_t done = 0; done < size; done += piece.size() * 4) {
        for (uint32_t& v : piece) v = (x = x * 1664525u + 1013904223u);
        f.write(reinterpret_cast<const char*>(piece.data()), qint64(std::min(size - done, piece.size() * 4)));
    }
}

long maxRssKiB()
{
    rusage u{};
    getrusage(RUSAGE_SELF, &u);
    return u.ru_maxrss;
}

// CPU time (user and system) of the child processes that ended so far.
double childCpuMs()
{
    rusage u{};
    getrusage(RUSAGE_CHILDREN, &u);
    return double(u.ru_utime.tv_sec + u.ru_stime.tv_sec) * 1e3 + double(u.ru_utime.tv_usec + u.ru_stime.tv_usec) / 1e3;
}

// md5sum's own CPU time is counted as child_cpu_ms per run: on a loaded machine it compares
// with the CPU column of the in-process digest better than the wall times do.
void runMd5sum(benchmark::State& state, const QStringList& files, int64_t bytes)
{
    const double before = childCpuMs();
    for (auto _ : state) {
        QProcess p;
        p.start("md5sum", files);
        p.waitForFinished(-1);
        benchmark::DoNotOptimize(p.readAllStandardOutput());
    }
    state.SetBytesProcessed(state.iterations() * bytes);
    state.counters["child_cpu_ms"] = (childCpuMs() - before) / double(state.iterations());
}

const QString& bigFile()
{
    static const QString path = [] {
        const QString p = tempDir().filePath("big.bin");
        writeFile(p, size_t(256) << 20, 1);
        return p;
    }();
    return path;
}

void BM_FileMd5Hex_256MiB(benchmark::State& state)
{
    const QString& path = bigFile();
    FileMd5Hex(path); // warm the page cache
    const long before = maxRssKiB();
    for (auto _ : state) benchmark::DoNotOptimize(FileMd5Hex(path));
    state.SetBytesProcessed(state.iterations() * (int64_t(256) << 20));
    state.counters["rss_growth_MiB"] = double(maxRssKiB() - before) / 1024.0;
}
BENCHMARK(BM_FileMd5Hex_256MiB)->Unit(benchmark::kMillisecond)->UseRealTime();

void BM_Baseline_md5sum_256MiB(benchmark::State& state)
{
    runMd5sum(state, {bigFile()}, int64_t(256) << 20);
}
BENCHMARK(BM_Baseline_md5sum_256MiB)->Unit(benchmark::kMillisecond)->UseRealTime();

// 2,000 files of 100 KiB and an update list that names each with another digest.
struct ManyFiles {
    QString exe;
    QStringList paths;
    std::string list;
    ManyFiles()
    {
        exe = tempDir().filePath("prog") + "/";
        QDir().mkpath(exe);
        for (int i = 0; i < 2000; ++i) {
            const QString name = QString("f%1.bin").arg(i);
            writeFile(exe + name, 100 * 1024, uint32_t(i + 7));
            paths << exe + name;
            list += "FILE=" + name.toStdString() + "||00000000000000000000000000000000|http://127.0.0.1/" +
                    name.toStdString() + "|file " + std::to_string(i) + "|0|0|all\r\n";
        }
        list += "EOF\r\n";
    }
};
ManyFiles& manyFiles()
{
    static ManyFiles m;
    return m;
}

void BM_UpdateDialogCompare_2000Files(benchmark::State& state)
{
    ManyFiles& m = manyFiles();
    SetProgramFolder(m.exe);
    FileMd5Hex(m.paths.front());
    TForm_update dialog;
    dialog.ListLines = SplitListLines(m.list);
    dialog.parse_update();
    double worstGap = 0;
    for (auto _ : state) {
        // A timer that should fire every 10 ms tells how long the window went without events.
        QElapsedTimer sinceTick;
        sinceTick.start();
        QTimer tick;
        QObject::connect(&tick, &QTimer::timeout, [&] {
            worstGap = std::max(worstGap, double(sinceTick.restart()));
        });
        tick.start(10);
        dialog.compare_files();
        worstGap = std::max(worstGap, double(sinceTick.elapsed()));
    }
    state.SetBytesProcessed(state.iterations() * 2000 * 100 * 1024);
    state.counters["max_event_gap_ms"] = worstGap;
}
BENCHMARK(BM_UpdateDialogCompare_2000Files)->Unit(benchmark::kMillisecond)->UseRealTime();

void BM_Baseline_md5sum_2000Files(benchmark::State& state)
{
    runMd5sum(state, manyFiles().paths, int64_t(2000) * 100 * 1024);
}
BENCHMARK(BM_Baseline_md5sum_2000Files)->Unit(benchmark::kMillisecond)->UseRealTime();

std::string listOf10000()
{
    std::string list = "VERS=v2.52\r\nMESS=nouvelles\r\n";
    for (int i = 0; i < 10000; ++i)
        list += "FILE=file" + std::to_string(i) + ".jpg|maps\\|0123456789abcdef0123456789abcdef|http://127.0.0.1/m/" +
                std::to_string(i) + ".z|Zone " + std::to_string(i) + "|1|0|bas_Demo\r\n";
    return list + "EOF\r\n";
}

void BM_UpdateDialogParse_10000Rows(benchmark::State& state)
{
    const std::string list = listOf10000();
    TForm_update dialog;
    for (auto _ : state) {
        dialog.ListLines = SplitListLines(list);
        dialog.parse_update();
        benchmark::DoNotOptimize(dialog.UpdateTree->topLevelItemCount());
    }
}
BENCHMARK(BM_UpdateDialogParse_10000Rows)->Unit(benchmark::kMillisecond)->UseRealTime();

void BM_Baseline_SplitLines_10000Rows(benchmark::State& state)
{
    const QString list = QString::fromLatin1(listOf10000());
    for (auto _ : state) benchmark::DoNotOptimize(list.split("\r\n"));
}
BENCHMARK(BM_Baseline_SplitLines_10000Rows)->Unit(benchmark::kMillisecond)->UseRealTime();

// The fixture server of the tests, serving a 100 MiB file.
struct LocalServer {
    QProcess process;
    int port = 0;
    LocalServer()
    {
        writeFile(tempDir().filePath("dl.bin"), size_t(100) << 20, 3);
        process.start("python3", {VMAR_HTTP_FIXTURE, "--root", tempDir().path()});
        if (process.waitForStarted() && process.waitForReadyRead(10000))
            port = QString::fromLatin1(process.readLine()).trimmed().toInt();
    }
    ~LocalServer()
    {
        process.kill();
        process.waitForFinished();
    }
    std::string url() const { return "http://127.0.0.1:" + std::to_string(port) + "/files/dl.bin"; }
};
LocalServer& server()
{
    static LocalServer s;
    return s;
}

void BM_HttpClientDownload_100MiB(benchmark::State& state)
{
    const std::string url = server().url(); // the server and its file are made before timing
    HttpClient http;
    const QString out = tempDir().filePath("out.bin");
    for (auto _ : state) {
        QFile f(out);
        f.open(QIODevice::WriteOnly);
        const HttpResult r = http.get(url, [&f](const char* d, size_t n) {
            return f.write(d, qint64(n)) == qint64(n);
        });
        if (!r.ok) state.SkipWithError(r.error.c_str());
    }
    state.SetBytesProcessed(state.iterations() * (int64_t(100) << 20));
}
BENCHMARK(BM_HttpClientDownload_100MiB)->Unit(benchmark::kMillisecond)->UseRealTime()->Iterations(5);

size_t writeToFile(char* d, size_t s, size_t n, void* f)
{
    return fwrite(d, s, n, static_cast<FILE*>(f));
}

void BM_Baseline_curl_easy_perform_100MiB(benchmark::State& state)
{
    const std::string url = server().url();
    CURL* e = curl_easy_init();
    const std::string out = tempDir().filePath("out2.bin").toStdString();
    for (auto _ : state) {
        FILE* f = fopen(out.c_str(), "wb");
        curl_easy_setopt(e, CURLOPT_URL, url.c_str());
        curl_easy_setopt(e, CURLOPT_WRITEFUNCTION, writeToFile);
        curl_easy_setopt(e, CURLOPT_WRITEDATA, f);
        if (curl_easy_perform(e) != CURLE_OK) state.SkipWithError("curl failed");
        fclose(f);
    }
    curl_easy_cleanup(e);
    state.SetBytesProcessed(state.iterations() * (int64_t(100) << 20));
}
BENCHMARK(BM_Baseline_curl_easy_perform_100MiB)->Unit(benchmark::kMillisecond)->UseRealTime()->Iterations(5);

} // namespace

VMAR_QT_BENCHMARK_MAIN();
