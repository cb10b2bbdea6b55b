// Recording a run's outcome in a set that lists 100,000 files: the statistics of every listed file,
// the version line, then the save of the document. And in a set that lists the folder holding them,
// as most sets do: its statistics are the size of everything below it.
//
// The files are generated below a temporary program folder; QUILLBACK_BENCH_TREE may name a tree
// made by make-corpus.py instead, whose files (up to 100,000) are listed.

#include <benchmark/benchmark.h>

#include <QDir>
#include <QDirIterator>
#include <QFile>
#include <QTemporaryDir>

#include "core/BackupSet.h"
#include "core/RunOutcome.h"
#include "core/SetDocument.h"

namespace
{
constexpr int ListedFiles = 100000;

QStringList generatedTree(const QString& root)
{
    QStringList paths;
    for (int folder = 0; folder < ListedFiles / 100; ++folder) {
        const QString dir = QStringLiteral("%1/folder %2").arg(root).arg(folder);
        QDir().mkpath(dir);
        for (int i = 0; i < 100; ++i) {
            const QString path = QStringLiteral("%1/file %2.txt").arg(dir).arg(i);
            QFile file(path);
            if (file.open(QIODevice::WriteOnly))
                file.write(QByteArray(i, 'x'));
            paths << path;
        }
    }
    return paths;
}

QStringList corpusTree(const QString& root)
{
    QStringList paths;
    QDirIterator it(root, QDir::Files | QDir::Hidden, QDirIterator::Subdirectories);
    while (it.hasNext() && paths.size() < ListedFiles)
        paths << it.next();
    return paths;
}

QString documentText(const QStringList& paths)
{
    QString text = QStringLiteral("<STATS>\r\nLastRunTime=\r\nRan=0\r\nStatus=Never ran\r\nCurrentDestination=1\r\n"
                                  "</STATS>\r\n\r\n<GENERAL>\r\nItemName=Bench\r\nLastFolder=\r\n</GENERAL>\r\n\r\n"
                                  "<FILES>\r\n");
    for (const QString& path : paths)
        text += path + QStringLiteral("\r\n");
    text += QStringLiteral("</FILES>\r\n\r\n<VERSIONS>\r\n</VERSIONS>\r\n\r\n");
    return text;
}

void recordOutcome(benchmark::State& state, bool listFolder)
{
    QTemporaryDir home;
    qputenv("QUILLBACK_HOME", QFile::encodeName(home.path()));
    const QString corpus = qEnvironmentVariable("QUILLBACK_BENCH_TREE");
    const QStringList paths
        = corpus.isEmpty() ? generatedTree(home.path() + QStringLiteral("/tree")) : corpusTree(corpus);
    const QString original = documentText(
        listFolder ? QStringList {corpus.isEmpty() ? home.path() + QStringLiteral("/tree") : corpus} : paths);

    core::BackupSetInfo set;
    set.ItemName = QStringLiteral("Bench");
    set.RunDestType = core::DestinationType::Folder;
    set.RunLanFolder = QStringLiteral("/mnt/backup/2026-12-10");
    set.ZIPName = QStringLiteral("bench.zip");
    set.Compression = core::CompressionMode::OneArchive;
    set.CurrentDestination = 1;

    for (auto _ : state) {
        QString text = original;
        if (!core::ReplaceProjectValues(set, text, QStringLiteral("Success"), QStringLiteral("00:01:00"), 1 << 20)
            || !core::SaveProject(set.ItemName, text)) {
            state.SkipWithError("recording failed");
            break;
        }
    }
    state.counters["listed"] = static_cast<double>(paths.size());
    qunsetenv("QUILLBACK_HOME");
}

void RecordOutcomeOfLargeSet(benchmark::State& state)
{
    recordOutcome(state, false);
}

void RecordOutcomeOfLargeFolder(benchmark::State& state)
{
    recordOutcome(state, true);
}
} // namespace

BENCHMARK(RecordOutcomeOfLargeSet)->Unit(benchmark::kMillisecond)->Iterations(5);
BENCHMARK(RecordOutcomeOfLargeFolder)->Unit(benchmark::kMillisecond)->Iterations(5)->UseRealTime();

BENCHMARK_MAIN();
