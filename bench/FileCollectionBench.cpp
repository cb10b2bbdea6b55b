// Collecting the files of a set: the walk of its folders with include masks, the exclude filter
// and the set file list, with the event loop run after every file as during a real run.
//
// QUILLBACK_BENCH_TREE names a tree made by make-corpus.py (for example with --files 100000);
// without it 100,000 empty files are generated below a temporary program folder.

#include <benchmark/benchmark.h>

#include <QDir>
#include <QFile>
#include <QTemporaryDir>

#include "BenchCorpus.h"
#include "core/BackupSet.h"
#include "core/WorkFolder.h"
#include "engine/FileCollection.h"

namespace
{
constexpr int GeneratedFiles = 100000;

void generateTree(const QString& root)
{
    for (int folder = 0; folder < GeneratedFiles / 100; ++folder) {
        const QString dir = QStringLiteral("%1/folder %2/sub").arg(root).arg(folder);
        QDir().mkpath(dir);
        for (int i = 0; i < 100; ++i) {
            QFile file(QStringLiteral("%1/file %2.txt").arg(dir).arg(i));
            file.open(QIODevice::WriteOnly);
        }
    }
}

void CollectLargeTree(benchmark::State& state)
{
    QTemporaryDir home;
    qputenv("QUILLBACK_HOME", QFile::encodeName(home.path()));
    QString tree = qEnvironmentVariable("QUILLBACK_BENCH_TREE");
    if (tree.isEmpty()) {
        tree = home.path() + QStringLiteral("/tree");
        generateTree(tree);
    }

    core::BackupSetInfo set;
    set.ItemName = QStringLiteral("Bench");
    set.Include = QStringLiteral("*.*");
    // Masks that drop nothing, so that every file is listed and counted, yet each line is matched.
    set.Exclude = QStringLiteral("*.part;*/cache/*");
    qint64 listed = 0;
    for (auto _ : state) {
        engine::FileCollector collector;
        const engine::CollectionResult result = collector.collect(set, {tree});
        if (!result.succeeded()) {
            state.SkipWithError(qPrintable(result.reason()));
            break;
        }
        listed = result.listed;
    }
    state.counters["listed"] = static_cast<double>(listed);
    state.counters["files/s"]
        = benchmark::Counter(static_cast<double>(listed), benchmark::Counter::kIsIterationInvariantRate);
    core::ReleaseWorkFolder();
    qunsetenv("QUILLBACK_HOME");
}
} // namespace

BENCHMARK(CollectLargeTree)->Unit(benchmark::kMillisecond)->Iterations(3)->UseRealTime();

int main(int argc, char** argv)
{
    // The collection yields to the event loop as it goes.
    return bench::runBenchmarks(argc, argv);
}
