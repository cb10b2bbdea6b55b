// Packs a mixed tree into one archive with the run's zip builder, beside Info-ZIP's `zip -r -6` of the
// same tree, and reports both speeds (bytes_per_second) and peak memory (zip's own, from its end).
// The builder runs as the program runs it (a thread per core), then with one thread; a single large
// file packed at two sizes shows that the memory the build holds does not grow with the file; a stop
// asked for in the middle of a big file shows how soon the build ends after it (stop_ms).
//
// The tree is $QUILLBACK_BENCH_CORPUS when set; otherwise make-corpus.py (from $QUILLBACK_CORPUS_TOOL or
// the shared tools folder beside the checkout) writes one of $QUILLBACK_BENCH_MIB MiB (default 50) to a
// temporary folder.

#include <sys/resource.h>
#include <unistd.h>

#include <algorithm>
#include <atomic>
#include <chrono>
#include <cstdio>
#include <thread>

#include <QFile>
#include <QFileInfo>

#include <benchmark/benchmark.h>

#include "BenchCorpus.h"
#include "ChildProcess.h"
#include "core/ProgramState.h"
#include "engine/ZipFiles.h"
#include "platform/RunContext.h"
#include "platform/ZipWriter.h"

namespace
{
using bench::scratch;

const bench::CorpusTree& corpus()
{
    static const bench::CorpusTree tree = bench::makeCorpus();
    return tree;
}

double peakMiB()
{
    rusage usage {};
    getrusage(RUSAGE_SELF, &usage);
    return usage.ru_maxrss / 1024.0;
}

double residentMiB()
{
    long pages = 0;
    long resident = 0;
    if (FILE* statm = std::fopen("/proc/self/statm", "r")) {
        if (std::fscanf(statm, "%ld %ld", &pages, &resident) != 2)
            resident = 0;
        std::fclose(statm);
    }
    return resident * static_cast<double>(sysconf(_SC_PAGESIZE)) / 1048576.0;
}

// The largest resident size while it lives, sampled every millisecond: the process's own peak
// (ru_maxrss) only grows, so it cannot tell one benchmark's peak from an earlier one's.
class ResidentPeak
{
public:
    ResidentPeak()
        : m_start(residentMiB())
        , m_sampler([this] {
            while (!m_done) {
                double now = residentMiB();
                double seen = m_peak;
                while (now > seen && !m_peak.compare_exchange_weak(seen, now)) { }
                std::this_thread::sleep_for(std::chrono::milliseconds(1));
            }
        })
    { }
    ~ResidentPeak() { stop(); }
    void stop()
    {
        m_done = true;
        if (m_sampler.joinable())
            m_sampler.join();
    }
    // Above the size when sampling began.
    double growthMiB() const { return std::max(0.0, m_peak - m_start); }
    double peakMiB() const { return m_peak; }

private:
    std::atomic<bool> m_done {false};
    const double m_start;
    std::atomic<double> m_peak {0};
    std::thread m_sampler;
};

platform::ZipWriteResult packWith(const QString& archive, const QStringList& files, const QString& folder, int workers)
{
    QList<platform::ZipEntrySource> entries;
    for (const QString& file : files)
        entries << platform::ZipEntrySource {file, file.mid(folder.size() + 1), false};
    platform::ZipWriteOptions options;
    options.workers = workers;
    return platform::writeZipArchive(archive, entries, options);
}

void BM_PackWithZipBuilder(benchmark::State& state)
{
    const bench::CorpusTree& tree = corpus();
    const QString archive = scratch().path() + QStringLiteral("/builder.zip");
    ResidentPeak peak;
    for (auto _ : state) {
        core::state().bStopBackup = false;
        engine::clsZipFiles zip;
        zip.setZipFileName(archive);
        zip.setUpdatingZip(false);
        for (const QString& file : tree.files)
            zip.AddFile(file);
        if (zip.MakeZipFile() != engine::ziperr::Ok) {
            state.SkipWithError("MakeZipFile failed");
            break;
        }
    }
    state.SetBytesProcessed(state.iterations() * tree.bytes);
    state.counters["archive_MiB"] = QFileInfo(archive).size() / 1048576.0;
    peak.stop();
    state.counters["peak_rss_MiB"] = peakMiB();
    state.counters["held_MiB"] = peak.growthMiB();
}

// Arg: worker threads, 0 for one per core.
void BM_PackWithWorkers(benchmark::State& state)
{
    const bench::CorpusTree& tree = corpus();
    const QString archive = scratch().path() + QStringLiteral("/workers.zip");
    ResidentPeak peak;
    for (auto _ : state) {
        if (!packWith(archive, tree.files, tree.folder, static_cast<int>(state.range(0))).succeeded()) {
            state.SkipWithError("the archive was not written");
            break;
        }
    }
    peak.stop();
    state.SetBytesProcessed(state.iterations() * tree.bytes);
    state.counters["archive_MiB"] = QFileInfo(archive).size() / 1048576.0;
    state.counters["held_MiB"] = peak.growthMiB();
}

// A file of text and noise in turns, a MiB of each, so that it is neither all deflated nor all stored.
QString bigFile(qint64 mib)
{
    const QString path = scratch().path() + QStringLiteral("/big %1.bin").arg(mib);
    if (QFileInfo(path).size() == mib * 1048576)
        return path;
    QFile file(path);
    if (!file.open(QIODevice::WriteOnly))
        qFatal("cannot write the big file");
    QByteArray text;
    for (int line = 0; text.size() < 1048576; ++line)
        text += "backup set archive folder " + QByteArray::number(line * 7919 % 100003) + " version restore\n";
    text.truncate(1048576);
    quint32 seed = 1;
    QByteArray noise(1048576, Qt::Uninitialized);
    for (qint64 i = 0; i < mib; ++i) {
        if (i % 2 == 0) {
            file.write(text);
            continue;
        }
        for (char& byte : noise) {
            seed = seed * 1664525u + 1013904223u;
            byte = static_cast<char>(seed >> 24);
        }
        file.write(noise);
    }
    return path;
}

// Args: worker threads (0 for one per core), the file's size in MiB.
void BM_PackOneBigFile(benchmark::State& state)
{
    const QString file = bigFile(state.range(1));
    const QString archive = scratch().path() + QStringLiteral("/big.zip");
    ResidentPeak peak;
    for (auto _ : state) {
        if (!packWith(archive, {file}, scratch().path(), static_cast<int>(state.range(0))).succeeded()) {
            state.SkipWithError("the archive was not written");
            break;
        }
    }
    peak.stop();
    state.SetBytesProcessed(state.iterations() * state.range(1) * 1048576);
    state.counters["held_MiB"] = peak.growthMiB();
}

// A stop that arrives at a set moment, as a Cancel click does, and remembers when.
class StopAt : public platform::RunContext
{
public:
    explicit StopAt(std::chrono::milliseconds after)
        : m_due(std::chrono::steady_clock::now() + after)
    { }
    bool stopRequested() const override { return std::chrono::steady_clock::now() >= m_due; }
    std::chrono::steady_clock::time_point due() const { return m_due; }

private:
    std::chrono::steady_clock::time_point m_due;
};

// Args: worker threads (0 for one per core). A 512 MiB file is stopped 300 ms into its build.
void BM_StopWhilePacking(benchmark::State& state)
{
    const QString file = bigFile(512);
    const QString archive = scratch().path() + QStringLiteral("/stopped.zip");
    double worstMs = 0;
    for (auto _ : state) {
        StopAt stop(std::chrono::milliseconds(300));
        platform::ZipWriteOptions options;
        options.workers = static_cast<int>(state.range(0));
        options.run = &stop;
        const platform::ZipWriteResult result = platform::writeZipArchive(
            archive, {platform::ZipEntrySource {file, QStringLiteral("big.bin"), false}}, options);
        const double ms
            = std::chrono::duration<double, std::milli>(std::chrono::steady_clock::now() - stop.due()).count();
        if (!result.stopped()) {
            state.SkipWithError("the build ended before the stop");
            break;
        }
        worstMs = std::max(worstMs, ms);
    }
    state.counters["stop_ms"] = worstMs;
}

void BM_PackWithInfoZip(benchmark::State& state)
{
    const bench::CorpusTree& tree = corpus();
    const QString archive = scratch().path() + QStringLiteral("/infozip.zip");
    double peak = 0;
    for (auto _ : state) {
        QFile::remove(archive);
        bench::Child zip(
            QStringLiteral("/usr/bin/zip"),
            {QStringLiteral("-r"), QStringLiteral("-6"), QStringLiteral("-q"), archive, QStringLiteral(".")},
            tree.folder);
        const bench::ChildEnd end = zip.wait();
        if (!end.ok) {
            state.SkipWithError("zip -r failed");
            break;
        }
        peak = std::max(peak, end.peakMiB);
    }
    state.SetBytesProcessed(state.iterations() * tree.bytes);
    state.counters["archive_MiB"] = QFileInfo(archive).size() / 1048576.0;
    state.counters["peak_rss_MiB"] = peak;
}

BENCHMARK(BM_PackWithZipBuilder)->Unit(benchmark::kMillisecond)->UseRealTime()->Iterations(3);
BENCHMARK(BM_PackWithInfoZip)->Unit(benchmark::kMillisecond)->UseRealTime()->Iterations(3);
BENCHMARK(BM_PackWithWorkers)->Arg(1)->Arg(0)->Unit(benchmark::kMillisecond)->UseRealTime()->Iterations(3);
BENCHMARK(BM_PackOneBigFile)
    ->Args({0, 64})
    ->Args({0, 512})
    ->Args({1, 64})
    ->Unit(benchmark::kMillisecond)
    ->UseRealTime()
    ->Iterations(1);
BENCHMARK(BM_StopWhilePacking)->Arg(0)->Arg(1)->Unit(benchmark::kMillisecond)->UseRealTime()->Iterations(3);

} // namespace

int main(int argc, char** argv)
{
    return bench::runBenchmarks(argc, argv);
}
