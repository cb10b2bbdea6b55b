// Times the program a user runs: `quillback /silent` on a program folder of its own whose one set
// falls due a few seconds after the start, from the log's "Running Backup" line to its "Overall
// Status" line, beside what a user would otherwise run on the same tree:
//   copy         cp -r
//   archive      zip -r -6 -q (one archive of the tree)
//   each         a shell's loop of zip -q -6 per file, on the first files of the tree, scaled to
//                the whole tree
// Prints both times, their ratio (program / reference) and both peaks of memory.
//
// ProgramRunBench [--small-files N] [--mixed-mib M] [--each-sample K] [--modes copy,archive,each]
//                 [--trees small,mixed] [--repeat R] [--settle S]
// Defaults: 100,000 files of about 3 KiB, a mixed tree of 200 MiB (20 files a MiB), 2,000 files for
// the zip loop. $QUILLBACK_PROGRAM names another build of the program (a release build, say).
// --repeat R runs each pair R times, taking turns at going first, and prints the median times, their
// ratio and the spread of the rounds' ratios: on this disk the first of two runs pays more, and far
// more when files were removed shortly before (ext4 without a journal passes over inodes freed within
// the last minute when it makes a file). --settle S writes everything out and waits S seconds before
// every run; 61 spares each run the inodes the runs before it freed.

#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <cstdio>

#include <QCoreApplication>
#include <QDateTime>
#include <QDir>
#include <QFile>
#include <QThread>

#include "BenchCorpus.h"
#include "ChildProcess.h"
#include "core/BackupSet.h"
#include "core/ProgramState.h"
#include "core/SetDocument.h"
#include "platform/DateText.h"
#include "platform/ProgramFolder.h"

namespace
{
using bench::ChildEnd;
using bench::CorpusTree;

// Seconds between the program's start and its set's due minute: enough for it to load the set
// list while that minute is still ahead.
constexpr int LeadSeconds = 8;
constexpr double StartLimitSeconds = LeadSeconds + 60;
constexpr double RunLimitSeconds = 3600;
constexpr int PollMs = 2;

struct Options
{
    int smallFiles = 100000;
    int mixedMib = 200;
    int eachSample = 2000;
    QStringList modes {QStringLiteral("copy"), QStringLiteral("archive"), QStringLiteral("each")};
    QStringList trees {QStringLiteral("small"), QStringLiteral("mixed")};
    int repeat = 1;
    int settleSeconds = 0;
};

Options readOptions(const QStringList& arguments)
{
    Options options;
    for (qsizetype i = 1; i + 1 < arguments.size(); i += 2) {
        const QString& name = arguments.at(i);
        const QString& value = arguments.at(i + 1);
        if (name == QLatin1String("--small-files"))
            options.smallFiles = value.toInt();
        else if (name == QLatin1String("--mixed-mib"))
            options.mixedMib = value.toInt();
        else if (name == QLatin1String("--each-sample"))
            options.eachSample = value.toInt();
        else if (name == QLatin1String("--modes"))
            options.modes = value.split(QLatin1Char(','));
        else if (name == QLatin1String("--trees"))
            options.trees = value.split(QLatin1Char(','));
        else if (name == QLatin1String("--repeat"))
            options.repeat = std::max(1, value.toInt());
        else if (name == QLatin1String("--settle"))
            options.settleSeconds = std::max(0, value.toInt());
        else
            qFatal("unknown option %s", qPrintable(name));
    }
    return options;
}

QString programPath()
{
    const QString given = qEnvironmentVariable("QUILLBACK_PROGRAM");
    return given.isEmpty() ? QStringLiteral(QUILLBACK_PROGRAM) : given;
}

bool writeText(const QString& path, const QByteArray& text)
{
    QDir().mkpath(QFileInfo(path).absolutePath());
    QFile file(path);
    return file.open(QIODevice::WriteOnly) && file.write(text) == text.size();
}

bool exited(pid_t pid)
{
    siginfo_t info {};
    // WNOWAIT leaves the child to be reaped with its figures.
    return waitid(P_PID, static_cast<id_t>(pid), &info, WEXITED | WNOHANG | WNOWAIT) == 0 && info.si_pid == pid;
}

// Reads status.log as it grows, a line at a time.
class LogWatch
{
public:
    explicit LogWatch(QString path)
        : m_path(std::move(path))
    { }

    // The lines written since the last call.
    QStringList newLines()
    {
        QFile file(m_path);
        if (!file.open(QIODevice::ReadOnly) || file.size() <= m_offset)
            return {};
        file.seek(m_offset);
        const QByteArray bytes = file.readAll();
        m_offset += bytes.size();
        m_pending += bytes;
        const qsizetype end = m_pending.lastIndexOf("\r\n");
        if (end < 0)
            return {};
        const QStringList lines = QString::fromUtf8(m_pending.left(end)).split(QStringLiteral("\r\n"));
        m_pending.remove(0, end + 2);
        return lines;
    }

private:
    QString m_path;
    qint64 m_offset = 0;
    QByteArray m_pending;
};

struct ProgramRun
{
    bool ok = false;
    double seconds = 0;
    double peakMiB = 0;
    QString failure;
};

// One scheduled run of a set packed as `compression` over `tree` in a fresh program folder below `where`.
ProgramRun runProgram(const CorpusTree& tree, core::CompressionMode compression, const QString& where)
{
    ProgramRun result;
    const QString home = where + QStringLiteral("/home");
    const QString config = where + QStringLiteral("/config");
    QDir().mkpath(home + QStringLiteral("/data"));
    QDir().mkpath(home + QStringLiteral("/backup"));
    QDir().mkpath(config);
    writeText(home + QStringLiteral("/settings/machine.ini"),
              "[SOFTWARE\\Quillback Software\\Quillback\\Settings]\nchkLog=1\n");
    writeText(home + QStringLiteral("/settings/app.ini"), "[Quillback\\Settings]\nLanguage=English\nshowHelp=0\n");

    // The program's clock runs a few seconds before a whole minute (a time zone of whole seconds),
    // so that its set falls due soon after the start instead of at the next minute of this one.
    const QDateTime utc = QDateTime::currentDateTimeUtc();
    const int shift = ((60 - LeadSeconds - utc.time().second()) % 60 + 60) % 60;
    QDateTime due = utc.addSecs(shift + LeadSeconds);
    due.setTime(QTime(due.time().hour(), due.time().minute()));

    qputenv("QUILLBACK_HOME", home.toUtf8());
    platform::ProgramFolder::reset();
    core::BackupSetInfo& set = core::state().NewBackupSet;
    set = core::BackupSetInfo {};
    set.ItemName = QStringLiteral("Bench");
    set.Compression = compression;
    set.ZIPName = QStringLiteral("Bench.zip");
    set.DestCount = 1;
    set.RotationType = core::RotationMode::OneAtATime;
    set.Dest[1].Type = core::DestinationType::Folder;
    set.Dest[1].LocalFolder = home + QStringLiteral("/backup");
    set.Schedule.Scheduler = true;
    set.Schedule.StartDate = platform::DateText::shortDate(due.date());
    set.Schedule.StartTime = platform::DateText::longTime(due.time());
    const platform::Result stored = core::WriteProject({tree.folder});
    platform::ProgramFolder::reset();
    if (!stored) {
        result.failure = QStringLiteral("set not written: ") + stored.reason();
        return result;
    }

    sync();
    bench::Child program(programPath(), {QStringLiteral("/silent")}, QString(),
                         {{QStringLiteral("QUILLBACK_HOME"), home},
                          {QStringLiteral("XDG_CONFIG_HOME"), config},
                          {QStringLiteral("QT_QPA_PLATFORM"), QStringLiteral("offscreen")},
                          {QStringLiteral("TZ"), QStringLiteral("QBT-00:00:%1").arg(shift)}});
    if (program.pid() <= 0) {
        result.failure = QStringLiteral("cannot start ") + programPath();
        return result;
    }
    LogWatch log(home + QStringLiteral("/status.log"));
    double began = -1;
    QString status;
    while (status.isEmpty()) {
        for (const QString& line : log.newLines()) {
            if (began < 0 && line.endsWith(QLatin1String("Running Backup======================")))
                began = program.elapsed();
            else if (began >= 0 && line.contains(QLatin1String(" Overall Status: ")))
                status = line.section(QLatin1String("Overall Status: "), 1);
        }
        if (!status.isEmpty())
            break;
        const double limit = began < 0 ? StartLimitSeconds : began + RunLimitSeconds;
        if (program.elapsed() > limit || exited(program.pid())) {
            result.failure = began < 0 ? QStringLiteral("the set never began") : QStringLiteral("the run never ended");
            return result;
        }
        QThread::msleep(PollMs);
    }
    result.seconds = program.elapsed() - began;
    const ChildEnd end = program.terminate();
    result.peakMiB = end.peakMiB;
    result.ok = status == QLatin1String("Success") && end.ok;
    if (!result.ok)
        result.failure = QStringLiteral("Overall Status: ") + status;
    return result;
}

// A shell's loop of `zip` per file over the first `sample` files; the time scaled to the whole tree.
ChildEnd zipEachFile(const CorpusTree& tree, int sample, const QString& out)
{
    QDir().mkpath(out);
    const qsizetype count = std::min<qsizetype>(sample, tree.files.size());
    QStringList arguments {
        QStringLiteral("-c"),
        QStringLiteral("n=0; for f; do n=$((n+1)); /usr/bin/zip -q -6 \"$0/$n.zip\" \"$f\" || exit 1; done"), out};
    for (qsizetype i = 0; i < count; ++i)
        arguments << QDir(tree.folder).relativeFilePath(tree.files.at(i));
    ChildEnd end = bench::runChild(QStringLiteral("/bin/sh"), arguments, tree.folder);
    end.seconds = count > 0 ? end.seconds / count * tree.files.size() : 0;
    return end;
}

ChildEnd reference(const QString& mode, const CorpusTree& tree, int eachSample, const QString& where)
{
    QDir().mkpath(where);
    if (mode == QLatin1String("copy"))
        return bench::runChild(QStringLiteral("/bin/cp"), {QStringLiteral("-r"), tree.folder, where + "/copy"});
    if (mode == QLatin1String("archive"))
        return bench::runChild(QStringLiteral("/usr/bin/zip"),
                               {QStringLiteral("-r"), QStringLiteral("-6"), QStringLiteral("-q"),
                                where + QStringLiteral("/tree.zip"), QStringLiteral(".")},
                               tree.folder);
    return zipEachFile(tree, eachSample, where + QStringLiteral("/each"));
}

void settle(int seconds)
{
    if (seconds <= 0)
        return;
    ::sync();
    QThread::sleep(static_cast<unsigned long>(seconds));
}

double median(QList<double> values)
{
    std::sort(values.begin(), values.end());
    const qsizetype middle = values.size() / 2;
    return values.size() % 2 ? values.at(middle) : (values.at(middle - 1) + values.at(middle)) / 2;
}

void print(const char* format, auto... values)
{
    std::printf(format, values...);
    std::fflush(stdout);
}

} // namespace

int main(int argc, char** argv)
{
    QCoreApplication app(argc, argv);
    const Options options = readOptions(app.arguments());
    const QString scratch = bench::scratch().path();
    const QHash<QString, core::CompressionMode> compression {
        {QStringLiteral("copy"), core::CompressionMode::EachFile},
        {QStringLiteral("archive"), core::CompressionMode::OneArchive},
        {QStringLiteral("each"), core::CompressionMode::ArchivePerFile}};
    const QHash<QString, QString> referenceName {{QStringLiteral("copy"), QStringLiteral("cp -r")},
                                                 {QStringLiteral("archive"), QStringLiteral("zip -r -6")},
                                                 {QStringLiteral("each"), QStringLiteral("zip per file")}};

    print("program: %s, %d cores; zip per file is timed on the first %d files of a tree and scaled to all\n",
          qPrintable(programPath()), QThread::idealThreadCount(), options.eachSample);
    print("%-30s %-8s %11s %11s %-13s %7s %10s %10s\n", "tree", "mode", "quillback s", "reference s", "reference",
          "ratio", "peak MiB", "ref. MiB");
    int failures = 0;
    for (const QString& treeName : options.trees) {
        const bool small = treeName == QLatin1String("small");
        const int files = small ? options.smallFiles : options.mixedMib * 20;
        // About 3 KiB a file in the small tree.
        const int mib = small ? std::max(1, (files * 3 + 1023) / 1024) : options.mixedMib;
        const QString folder = scratch + QStringLiteral("/") + treeName;
        const CorpusTree tree = bench::makeTree(folder, files, mib);
        const QString label
            = QStringLiteral("%1 files, %2 MiB").arg(tree.files.size()).arg(tree.bytes / 1048576.0, 0, 'f', 0);
        for (const QString& mode : options.modes) {
            if (!compression.contains(mode))
                qFatal("unknown mode %s", qPrintable(mode));
            const QString runFolder = scratch + QStringLiteral("/run");
            const QString referenceFolder = scratch + QStringLiteral("/reference");
            QList<double> programSeconds;
            QList<double> referenceSeconds;
            QList<double> ratios;
            double programPeak = 0;
            double referencePeak = 0;
            QString failure;
            for (int round = 0; round < options.repeat && failure.isEmpty(); ++round) {
                ProgramRun run;
                ChildEnd ref;
                // Both outputs are removed only after both runs, and the runs take turns at going first.
                const auto runOurs = [&] {
                    settle(options.settleSeconds);
                    run = runProgram(tree, compression.value(mode), runFolder);
                };
                const auto runTheirs = [&] {
                    settle(options.settleSeconds);
                    ref = reference(mode, tree, options.eachSample, referenceFolder);
                };
                if (round % 2 == 0) {
                    runOurs();
                    runTheirs();
                } else {
                    runTheirs();
                    runOurs();
                }
                QDir(runFolder).removeRecursively();
                QDir(referenceFolder).removeRecursively();
                if (!run.ok || !ref.ok) {
                    failure = run.ok ? referenceName.value(mode) : run.failure;
                    break;
                }
                if (options.repeat > 1)
                    print("  %s %s, round %d: quillback %.2f s, reference %.2f s\n", qPrintable(label),
                          qPrintable(mode), round + 1, run.seconds, ref.seconds);
                programSeconds << run.seconds;
                referenceSeconds << ref.seconds;
                ratios << run.seconds / ref.seconds;
                programPeak = std::max(programPeak, run.peakMiB);
                referencePeak = std::max(referencePeak, ref.peakMiB);
            }
            if (!failure.isEmpty()) {
                ++failures;
                print("%-30s %-8s failed: %s\n", qPrintable(label), qPrintable(mode), qPrintable(failure));
                continue;
            }
            const auto [least, most] = std::minmax_element(ratios.cbegin(), ratios.cend());
            const QString spread = ratios.size() > 1
                ? QStringLiteral("  (%1-%2x of %3)").arg(*least, 0, 'f', 2).arg(*most, 0, 'f', 2).arg(ratios.size())
                : QString();
            print("%-30s %-8s %11.2f %11.2f %-13s %6.2fx %10.1f %10.1f%s\n", qPrintable(label), qPrintable(mode),
                  median(programSeconds), median(referenceSeconds), qPrintable(referenceName.value(mode)),
                  median(programSeconds) / median(referenceSeconds), programPeak, referencePeak, qPrintable(spread));
        }
        QDir(folder).removeRecursively();
    }
    return failures == 0 ? 0 : 1;
}
