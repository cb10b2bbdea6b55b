// Packs a mixed tree into one archive with the run's zip builder, beside Info-ZIP's `zip -r -6` of the
// same tree, and reports both speeds (bytes_per_second) and peak memory.
//
// The tree is $QUILLBACK_BENCH_CORPUS when set; otherwise make-corpus.py (from $QUILLBACK_CORPUS_TOOL or
// the shared tools folder beside the checkout) writes one of $QUILLBACK_BENCH_MIB MiB (default 50) to a
// temporary folder.

#include <sys/resource.h>

#include <QCoreApplication>
#include <QDirIterator>
#include <QFileInfo>
#include <QProcess>
#include <QTemporaryDir>

#include <benchmark/benchmark.h>

#include "core/ProgramState.h"
#include "engine/ZipFiles.h"

namespace
{

struct Corpus
{
    QString folder;
    QStringList files;
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
        QDirIterator walk(made.folder, QDir::Files | QDir::Hidden, QDirIterator::Subdirectories);
        while (walk.hasNext()) {
            made.files << walk.next();
            made.bytes += walk.fileInfo().size();
        }
        return made;
    }();
    return tree;
}

double peakMiB(int who)
{
    rusage usage {};
    getrusage(who, &usage);
    return usage.ru_maxrss / 1024.0;
}

void BM_PackWithZipBuilder(benchmark::State& state)
{
    const Corpus& tree = corpus();
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
    state.counters["peak_rss_MiB"] = peakMiB(RUSAGE_SELF);
}

void BM_PackWithInfoZip(benchmark::State& state)
{
    const Corpus& tree = corpus();
    const QString archive = scratch().path() + QStringLiteral("/infozip.zip");
    for (auto _ : state) {
        QFile::remove(archive);
        QProcess zip;
        zip.setWorkingDirectory(tree.folder);
        zip.start(QStringLiteral("/usr/bin/zip"),
                  {QStringLiteral("-r"), QStringLiteral("-6"), QStringLiteral("-q"), archive, QStringLiteral(".")});
        if (!zip.waitForFinished(-1) || zip.exitCode() != 0) {
            state.SkipWithError("zip -r failed");
            break;
        }
    }
    state.SetBytesProcessed(state.iterations() * tree.bytes);
    state.counters["archive_MiB"] = QFileInfo(archive).size() / 1048576.0;
    state.counters["peak_rss_MiB"] = peakMiB(RUSAGE_CHILDREN);
}

BENCHMARK(BM_PackWithZipBuilder)->Unit(benchmark::kMillisecond)->UseRealTime()->Iterations(3);
BENCHMARK(BM_PackWithInfoZip)->Unit(benchmark::kMillisecond)->UseRealTime()->Iterations(3);

} // namespace

int main(int argc, char** argv)
{
    QCoreApplication app(argc, argv);
    benchmark::Initialize(&argc, argv);
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    return 0;
}
