// Packs a mixed tree into one archive with the run's zip builder, beside Info-ZIP's `zip -r -6` of the
// same tree, and reports both speeds (bytes_per_second) and peak memory (zip's own, from its end).
//
// The tree is $QUILLBACK_BENCH_CORPUS when set; otherwise make-corpus.py (from $QUILLBACK_CORPUS_TOOL or
// the shared tools folder beside the checkout) writes one of $QUILLBACK_BENCH_MIB MiB (default 50) to a
// temporary folder.

#include <sys/resource.h>

#include <algorithm>

#include <QFile>
#include <QFileInfo>

#include <benchmark/benchmark.h>

#include "BenchCorpus.h"
#include "ChildProcess.h"
#include "core/ProgramState.h"
#include "engine/ZipFiles.h"

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

void BM_PackWithZipBuilder(benchmark::State& state)
{
    const bench::CorpusTree& tree = corpus();
    const QString archive = scratch().path() + QStringLiteral("/builder.zip");
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
    state.counters["peak_rss_MiB"] = peakMiB();
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

} // namespace

int main(int argc, char** argv)
{
    return bench::runBenchmarks(argc, argv);
}
