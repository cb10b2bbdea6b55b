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

// The tree is $QUILLBACK_BENCH_CORPUS when set; otherwise make-corpus.py (from $QUILLBACK_CORPUS_TOOL or
// the shared tools folder beside the checkout) writes one of $QUILLBACK_BENCH_MIB MiB (default 50) in
// 20 files per MiB to the scratch folder.
inline CorpusTree makeCorpus()
{
    CorpusTree made;
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

    QDirIterator walk(made.folder, QDir::Files | QDir::Hidden, QDirIterator::Subdirectories);
    while (walk.hasNext()) {
        made.files << walk.next();
        made.bytes += walk.fileInfo().size();
    }
    return made;
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
