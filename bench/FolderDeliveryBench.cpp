// Delivers a tree to a folder the way a run in copy mode does (each file mirrored below the
// destination, written under a temporary name and renamed into place, its time kept), beside
// `cp -r` of the same tree in the same run, and reports both times and their ratio.
//
// The tree is $QUILLBACK_BENCH_CORPUS when set; otherwise make-corpus.py (from $QUILLBACK_CORPUS_TOOL or
// the shared tools folder beside the checkout) writes one of $QUILLBACK_BENCH_MIB MiB (default 50) in
// 20 files per MiB (500 gives 500 MiB in 10,000 files) to a temporary folder. The run log is on, as
// in a real run.

#include <chrono>

#include <QDir>
#include <QFile>
#include <QProcess>

#include <benchmark/benchmark.h>

#include "BenchCorpus.h"
#include "core/ProgramState.h"
#include "core/SetDocument.h"
#include "engine/FolderDelivery.h"
#include "platform/ProgramFolder.h"

namespace
{
using bench::scratch;

const bench::CorpusTree& corpus()
{
    static const bench::CorpusTree tree = [] {
        bench::CorpusTree made = bench::makeCorpus();
        // The set file list of a run over the tree.
        QByteArray list;
        for (const QString& file : made.files)
            list += file.toUtf8() + "\r\n";
        QDir().mkpath(platform::ProgramFolder::file(QStringLiteral("data")));
        QFile file(core::setFileListPath(QStringLiteral("Bench")));
        if (!file.open(QIODevice::WriteOnly) || file.write(list) != list.size())
            qFatal("cannot write the set file list");
        return made;
    }();
    return tree;
}

QString destination()
{
    return scratch().path() + QStringLiteral("/destination");
}

void clearDestination()
{
    QDir(destination()).removeRecursively();
    QDir().mkpath(destination());
}

double secondsSince(std::chrono::steady_clock::time_point start)
{
    return std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
}

// Each iteration delivers the tree and copies it with cp, so that both meet the same state of the
// disk and its caches; the benchmark's time is the delivery's.
void BM_DeliverBesideCp(benchmark::State& state)
{
    const bench::CorpusTree& tree = corpus();
    core::BackupSetInfo set;
    set.ItemName = QStringLiteral("Bench");
    set.DestCount = 1;
    set.Dest[1].Type = core::DestinationType::Folder;
    set.Dest[1].LocalFolder = destination();
    core::state().LoggingEnabled = true;
    double delivery = 0;
    double cp = 0;
    for (auto _ : state) {
        clearDestination();
        QFile::remove(platform::ProgramFolder::file(QStringLiteral("status.log")));
        auto start = std::chrono::steady_clock::now();
        engine::FolderDelivery folderDelivery;
        const engine::FolderDeliveryResult result = folderDelivery.deliver(set, 1, QString(), QString());
        const double seconds = secondsSince(start);
        delivery += seconds;
        state.SetIterationTime(seconds);
        if (!result.delivered() || result.deliveredFiles != tree.files.size()) {
            state.SkipWithError("the delivery failed");
            break;
        }

        clearDestination();
        start = std::chrono::steady_clock::now();
        QProcess copy;
        copy.start(QStringLiteral("/bin/cp"), {QStringLiteral("-r"), tree.folder, destination() + QStringLiteral("/")});
        if (!copy.waitForFinished(-1) || copy.exitCode() != 0) {
            state.SkipWithError("cp -r failed");
            break;
        }
        cp += secondsSince(start);
    }
    const double n = double(qMax<qint64>(1, state.iterations()));
    state.SetBytesProcessed(state.iterations() * tree.bytes);
    state.counters["files"] = double(tree.files.size());
    state.counters["delivery_ms"] = delivery / n * 1000;
    state.counters["cp_ms"] = cp / n * 1000;
    state.counters["delivery_over_cp"] = cp > 0 ? delivery / cp : 0;
}

BENCHMARK(BM_DeliverBesideCp)->Unit(benchmark::kMillisecond)->UseManualTime()->Iterations(5);

} // namespace

int main(int argc, char** argv)
{
    qputenv("QUILLBACK_HOME", QFile::encodeName(scratch().path() + QStringLiteral("/home")));
    QDir().mkpath(scratch().path() + QStringLiteral("/home"));
    platform::ProgramFolder::reset();
    return bench::runBenchmarks(argc, argv);
}
