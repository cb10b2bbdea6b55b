// Restores a one-archive version of a whole tree through the restore run to a new folder, beside
// `unzip -q -d` of the same archive, and prints both times, their ratio (restore / unzip) and both
// peaks of memory. The archive is the program's own.
//
// RestoreBench [--mixed-files N] [--small-files M]
// Defaults: 4,000 mixed files (20 a MiB) and 10,000 small files (about 3 KiB each).

#include <unistd.h>

#include <cstdio>

#include <QApplication>
#include <QDir>
#include <QElapsedTimer>
#include <QFile>

#include "BenchCorpus.h"
#include "ChildProcess.h"
#include "core/ProgramState.h"
#include "localisation/DefaultMessages.h"
#include "localisation/Languages.h"
#include "platform/MirrorPath.h"
#include "platform/ProgramFolder.h"
#include "platform/ZipWriter.h"
#include "platform/RunContext.h"
#include "restore/OverwriteQuestion.h"
#include "restore/RestoreList.h"
#include "restore/RestoreRun.h"

namespace
{
const QString SetName = QStringLiteral("Bench");
const QString ArchiveName = QStringLiteral("Bench.zip");

// The peak memory of this process from now on: the kernel forgets the peak so far.
void resetPeak()
{
    QFile clear(QStringLiteral("/proc/self/clear_refs"));
    if (clear.open(QIODevice::WriteOnly))
        clear.write("5");
}

double peakMiB()
{
    QFile status(QStringLiteral("/proc/self/status"));
    if (!status.open(QIODevice::ReadOnly))
        return 0;
    for (const QByteArray& line : status.readAll().split('\n'))
        if (line.startsWith("VmHWM:"))
            return line.mid(6).trimmed().split(' ').value(0).toDouble() / 1024.0;
    return 0;
}

struct Figures
{
    bool ok = false;
    double seconds = 0;
    double peakMiB = 0;
    QString failure;
};

// Packs the tree into a version folder and returns the version line that names it.
QString makeVersion(const bench::CorpusTree& tree, const QString& folder)
{
    QDir().mkpath(folder);
    QList<platform::ZipEntrySource> entries;
    for (const QString& path : tree.files)
        entries.append({path, platform::mirrorRelativePath(path).value_or(QString()), false});
    if (!platform::writeZipArchive(folder + QLatin1Char('/') + ArchiveName, entries).succeeded())
        qFatal("the archive could not be written");
    return QStringList {QStringLiteral("LAN"),
                        folder,
                        folder + QLatin1Char('/') + ArchiveName,
                        QStringLiteral("10/12/2026 12:00:00"),
                        QString::number(tree.files.size()),
                        QStringLiteral("1"),
                        QStringLiteral("0"),
                        QString()}
        .join(QLatin1Char('|'));
}

// A new folder holds nothing to replace; should a file be there, it stays.
class KeepExisting : public restore::OverwriteQuestion
{
public:
    std::optional<restore::OverwriteAnswer> ask(const QString&, const QString&, platform::RunContext&) override
    {
        return restore::OverwriteAnswer::No;
    }
};

Figures restoreVersion(const bench::CorpusTree& tree, const QString& versionLine, const QString& target)
{
    Figures figures;
    if (!restore::writeRestoreList(SetName, tree.files)) {
        figures.failure = QStringLiteral("restore list not written");
        return figures;
    }
    restore::RestoreRequest request;
    request.version = *core::VersionLine::parse(versionLine);
    request.previousLocation = false;
    request.newFolder = target;
    request.setName = SetName;

    sync();
    resetPeak();
    QElapsedTimer timer;
    timer.start();
    KeepExisting question;
    restore::RestoreRun run(request, platform::unwatchedRun(), question);
    const restore::RestoreRun::Outcome outcome = run.run();
    figures.seconds = timer.nsecsElapsed() / 1e9;
    figures.peakMiB = peakMiB();
    figures.ok = outcome == restore::RestoreRun::Outcome::Completed && run.summary().restored == tree.files.size()
        && !run.summary().hasProblems();
    if (!figures.ok)
        figures.failure = run.summary().statusText().replace(QStringLiteral("\r\n"), QStringLiteral(" "));
    return figures;
}

} // namespace

int main(int argc, char** argv)
{
    qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    int mixedFiles = 4000;
    int smallFiles = 10000;
    const QStringList arguments = app.arguments();
    for (qsizetype i = 1; i + 1 < arguments.size(); i += 2) {
        if (arguments.at(i) == QLatin1String("--mixed-files"))
            mixedFiles = arguments.at(i + 1).toInt();
        else if (arguments.at(i) == QLatin1String("--small-files"))
            smallFiles = arguments.at(i + 1).toInt();
        else
            qFatal("unknown option %s", qPrintable(arguments.at(i)));
    }

    const QString scratch = bench::scratch().path();
    const QString home = scratch + QStringLiteral("/home");
    QDir().mkpath(home + QStringLiteral("/data"));
    QDir().mkpath(home + QStringLiteral("/tmp"));
    qputenv("QUILLBACK_HOME", home.toUtf8());
    platform::ProgramFolder::reset();
    localisation::resetLanguages();
    localisation::RegisterDefaultMessages();
    core::state().LoggingEnabled = true;
    core::state().CurrentSet.ItemName = SetName;
    core::state().CurrentSet.ZIPName = ArchiveName;

    std::printf("%-30s %11s %11s %7s %10s %10s\n", "tree", "restore s", "unzip s", "ratio", "peak MiB", "unzip MiB");
    std::fflush(stdout);
    int failures = 0;
    // Mixed files come 20 to a MiB; small ones are about 3 KiB.
    const struct
    {
        const char* name;
        int files;
        int mib;
    } trees[] = {{"mixed", mixedFiles, std::max(1, mixedFiles / 20)},
                 {"small", smallFiles, std::max(1, (smallFiles * 3 + 1023) / 1024)}};
    for (const auto& shape : trees) {
        if (shape.files <= 0)
            continue;
        const QString folder = scratch + QLatin1Char('/') + QLatin1String(shape.name);
        const bench::CorpusTree tree = bench::makeTree(folder, shape.files, shape.mib);
        const QString label
            = QStringLiteral("%1 files, %2 MiB").arg(tree.files.size()).arg(tree.bytes / 1048576.0, 0, 'f', 0);
        const QString version = makeVersion(tree, scratch + QStringLiteral("/version"));

        const Figures restored = restoreVersion(tree, version, scratch + QStringLiteral("/restored"));
        QDir(scratch + QStringLiteral("/restored")).removeRecursively();
        const bench::ChildEnd unzipped
            = bench::runChild(QStringLiteral("/usr/bin/unzip"),
                              {QStringLiteral("-q"), QStringLiteral("-d"), scratch + QStringLiteral("/unzipped"),
                               scratch + QStringLiteral("/version/") + ArchiveName});
        QDir(scratch + QStringLiteral("/unzipped")).removeRecursively();
        QDir(scratch + QStringLiteral("/version")).removeRecursively();
        QDir(folder).removeRecursively();

        if (!restored.ok || !unzipped.ok) {
            ++failures;
            std::printf("%-30s failed: %s\n", qPrintable(label),
                        qPrintable(restored.ok ? QStringLiteral("unzip") : restored.failure));
        } else {
            std::printf("%-30s %11.2f %11.2f %6.2fx %10.1f %10.1f\n", qPrintable(label), restored.seconds,
                        unzipped.seconds, restored.seconds / unzipped.seconds, restored.peakMiB, unzipped.peakMiB);
        }
        std::fflush(stdout);
    }
    return failures == 0 ? 0 : 1;
}
