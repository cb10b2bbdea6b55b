// Delivers a tree to a folder the way a run in copy mode does (each file mirrored below the
// destination, written under a temporary name and renamed into place, its time kept), beside
// `cp -r` of the same tree in the same run, and reports both times and their ratio.
//
// The tree is $QUILLBACK_BENCH_CORPUS when set; otherwise make-corpus.py (from $QUILLBACK_CORPUS_TOOL or
// the shared tools folder beside the checkout) writes one of $QUILLBACK_BENCH_MIB MiB (default 50) in
// 20 files per MiB (500 gives 500 MiB in 10,000 files) to a temporary folder. The run log is on, as
// in a real run.

#include <chrono>

#include <QCoreApplication>
#include <QDir>
#include <QDirIterator>
#include <QFile>
#include <QFileInfo>
#include <QProcess>
#include <QTemporaryDir>

#include <benchmark/benchmark.h>

#include "core/ProgramState.h"
#include "core/SetDocument.h"
#include "engine/FolderDelivery.h"
#include "platform/ProgramFolder.h"

namespace
{

struct Corpus
{
    QString folder;
    qint64 files = 0;
    qint64 bytes = 0;
};

QTemporaryDir& scratch()
{
    static QTemporaryDir dir;
    return dir;
}

const Corpus& corpus()
{
    static const Corpus tree = [] {
        Corpus made;
        made.folder = qEnvironmentVariable("QUILLBACK_BENCH_CORPUS");
        if (made.folder.isEmpty()) {
            QString tool = qEnvironmentVariable("QUILLBACK_CORPUS_TOOL");
            const QString checkout = QFileInfo(QStringLiteral(__FILE__)).absolutePath() + QStringLiteral("/..");
            for (const char* beside : {"/../shared/tools/make-corpus.py", "/../../shared/tools/make-corpus.py"})
                if (tool.isEmpty() && QFileInfo::exists(checkout + QLatin1String(beside)))
                    tool = checkout + QLatin1String(beside);
            const int mib = qEnvironmentVariableIntValue("QUILLBACK_BENCH_MIB") > 0
                ? qEnvironmentVariableIntValue("QUILLBACK_BENCH_MIB")
                : 50;
            made.folder = scratch().path() + QStringLiteral("/corpus");
            const int status = QProcess::execute(QStringLiteral("/usr/bin/python3"),
                                                 {tool, made.folder, QStringLiteral("--mib"), QString::number(mib),
                                                  QStringLiteral("--files"), QString::number(mib * 20)});
            if (status != 0)
                qFatal("make-corpus.py failed; set QUILLBACK_CORPUS_TOOL or QUILLBACK_BENCH_CORPUS");
        }
        made.folder = QFileInfo(made.folder).absoluteFilePath();

        // The set file list of a run over the tree.
        QByteArray list;
        QDirIterator walk(made.folder, QDir::Files | QDir::Hidden, QDirIterator::Subdirectories);
        while (walk.hasNext()) {
            list += walk.next().toUtf8() + "\r\n";
            made.bytes += walk.fileInfo().size();
            ++made.files;
        }
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
    const Corpus& tree = corpus();
    core::BackupSetInfo set;
    set.ItemName = QStringLiteral("Bench");
    set.DestCount = 1;
    set.Dest[1].Type = 1;
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
        if (!result.delivered() || result.deliveredFiles != tree.files) {
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
    state.counters["files"] = double(tree.files);
    state.counters["delivery_ms"] = delivery / n * 1000;
    state.counters["cp_ms"] = cp / n * 1000;
    state.counters["delivery_over_cp"] = cp > 0 ? delivery / cp : 0;
}

BENCHMARK(BM_DeliverBesideCp)->Unit(benchmark::kMillisecond)->UseManualTime()->Iterations(5);

} // namespace

int main(int argc, char** argv)
{
    QCoreApplication app(argc, argv);
    qputenv("QUILLBACK_HOME", QFile::encodeName(scratch().path() + QStringLiteral("/home")));
    QDir().mkpath(scratch().path() + QStringLiteral("/home"));
    platform::ProgramFolder::reset();
    benchmark::Initialize(&argc, argv);
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    return 0;
}
