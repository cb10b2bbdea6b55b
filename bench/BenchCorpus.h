// What the tree benchmarks share: a scratch folder for the program's run, the tree they work on, and
// the start of a benchmark program that needs a Qt application.
#pragma once

#include <QCoreApplication>
#include <QDirIterator>
#include <QFileInfo>
#include <QProcess>
#include <QStringList>
#include <QTemporaryDir>

#include <benchmark/benchmark.h>

namespace bench
{

// Removed when the program ends.
inline QTemporaryDir& scratch()
{
    static QTemporaryDir dir;
    return dir;
}

struct CorpusTree
{
    // Absolute.
    QString folder;
    // Every file below the folder, hidden ones included, in the order of the walk.
    QStringList files;
    qint64 bytes = 0;
};

// Every file below `folder`, in the order of the walk.
inline CorpusTree listTree(const QString& folder)
{
    CorpusTree listed;
    listed.folder = QFileInfo(folder).absoluteFilePath();
    QDirIterator walk(listed.folder, QDir::Files | QDir::Hidden, QDirIterator::Subdirectories);
    while (walk.hasNext()) {
        listed.files << walk.next();
        listed.bytes += walk.fileInfo().size();
    }
    return listed;
}

// Writes a tree of `files` files and `mib` MiB in all to `folder` with make-corpus.py (from
// $QUILLBACK_CORPUS_TOOL or the shared tools folder beside the checkout); stops the program when
// the tool fails.
inline CorpusTree makeTree(const QString& folder, int files, int mib)
{
    QString tool = qEnvironmentVariable("QUILLBACK_CORPUS_TOOL");
    // The checkout is named by the build: __FILE__ can be relative to a build folder.
    const QString checkout = QStringLiteral(QUILLBACK_SOURCE_DIR);
    for (const char* beside : {"/../shared/tools/make-corpus.py", "/../../shared/tools/make-corpus.py"})
        if (tool.isEmpty() && QFileInfo::exists(checkout + QLatin1String(beside)))
            tool = checkout + QLatin1String(beside);
    const int status = QProcess::execute(QStringLiteral("/usr/bin/python3"),
                                         {tool, folder, QStringLiteral("--mib"), QString::number(mib),
                                          QStringLiteral("--files"), QString::number(files)});
    if (status != 0)
        qFatal("make-corpus.py failed; set QUILLBACK_CORPUS_TOOL or QUILLBACK_BENCH_CORPUS");
    return listTree(folder);
}

// The tree is $QUILLBACK_BENCH_CORPUS when set; otherwise make-corpus.py writes one of
// $QUILLBACK_BENCH_MIB MiB (default 50) in 20 files per MiB to the scratch folder.
inline CorpusTree makeCorpus()
{
    const QString given = qEnvironmentVariable("QUILLBACK_BENCH_CORPUS");
    if (!given.isEmpty())
        return listTree(given);
    const int mib = qEnvironmentVariableIntValue("QUILLBACK_BENCH_MIB") > 0
        ? qEnvironmentVariableIntValue("QUILLBACK_BENCH_MIB")
        : 50;
    return makeTree(scratch().path() + QStringLiteral("/corpus"), mib * 20, mib);
}

// Runs the benchmarks of the program inside a Qt application: the work under test yields to its
// event loop.
inline int runBenchmarks(int argc, char** argv)
{
    QCoreApplication app(argc, argv);
    benchmark::Initialize(&argc, argv);
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    return 0;
}

} // namespace bench
