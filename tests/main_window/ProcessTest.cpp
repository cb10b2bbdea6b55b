#include <csignal>

#include <QDir>
#include <QFile>
#include <QProcess>
#include <QProcessEnvironment>
#include <QSaveFile>
#include <QScopeGuard>
#include <QTemporaryDir>

#include <gtest/gtest.h>

#include "core/ProgramState.h"
#include "core/SetDocument.h"
#include "core/SetText.h"
#include "core/ShellHelpers.h"
#include "platform/DateText.h"
#include "platform/EventLoop.h"
#include "platform/ProgramFolder.h"
#include "support/ProgramFolderTest.h"
#include "support/ScopedEnv.h"

namespace
{
// Waits are bounded so that a program that hangs fails the test instead of stopping the run.
constexpr int StartLimitMs = 30000;

// The built program, started on a program folder of its own without a screen.
class ProcessTest : public ::testing::Test
{
protected:
    void SetUp() override
    {
        ASSERT_TRUE(home.isValid());
        ASSERT_TRUE(config.isValid());
        QDir().mkpath(home.filePath("settings"));
        setMachine("chkLog", "1");
        setUser("Language", "English");
        setUser("showHelp", "0");
    }

    void TearDown() override
    {
        for (QProcess* process : processes) {
            if (process->state() != QProcess::NotRunning) {
                process->kill();
                process->waitForFinished(StartLimitMs);
            }
            delete process;
        }
    }

    static QString program() { return qEnvironmentVariable("QUILLBACK_TEST_BINARY_DIR") + "/src/app/quillback"; }
    // The same program with a clock the test moves (program/ShiftedClock.cpp).
    static QString programWithShiftedClock()
    {
        return qEnvironmentVariable("QUILLBACK_TEST_BINARY_DIR") + "/tests/main_window/quillback_shifted_clock";
    }

    void setMachine(const QString& name, const QString& value)
    {
        machine += name + "=" + value + "\n";
        ASSERT_TRUE(test::writeFile(home.filePath("settings/machine.ini"),
                                    ("[SOFTWARE\\Quillback Software\\Quillback\\Settings]\n" + machine).toUtf8()));
    }
    void setUser(const QString& name, const QString& value)
    {
        user += name + "=" + value + "\n";
        ASSERT_TRUE(test::writeFile(home.filePath("settings/app.ini"), ("[Quillback\\Settings]\n" + user).toUtf8()));
    }
    void clearUser()
    {
        user.clear();
        QFile::remove(home.filePath("settings/app.ini"));
    }
    QString userSettings() const { return QString::fromUtf8(test::readFile(home.filePath("settings/app.ini"))); }
    QString log() const { return QString::fromUtf8(test::readFile(home.filePath("status.log"))); }

    QProcess* start(const QStringList& arguments, const QString& binary = program(),
                    const QProcessEnvironment& extra = {})
    {
        auto* process = new QProcess;
        processes.append(process);
        QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
        environment.insert(extra);
        environment.insert("QUILLBACK_HOME", home.path());
        environment.insert("QT_QPA_PLATFORM", "offscreen");
        environment.insert("XDG_CONFIG_HOME", config.path());
        // Dates in set documents are read in the program's locale: the same as this test's.
        environment.insert("LC_ALL", "en_GB.UTF-8");
        process->setProcessEnvironment(environment);
        process->setProcessChannelMode(QProcess::ForwardedErrorChannel);
        process->start(binary, arguments);
        EXPECT_TRUE(process->waitForStarted(StartLimitMs)) << binary.toStdString();
        return process;
    }

    bool waitForLog(const QString& text)
    {
        return platform::waitWhile([&] { return !log().contains(text); }, StartLimitMs);
    }

    bool waitForEnd(QProcess* process) { return process->waitForFinished(StartLimitMs); }

    static void terminate(QProcess* process) { ::kill(static_cast<pid_t>(process->processId()), SIGTERM); }

    int count(const QString& text) const { return static_cast<int>(log().count(text)); }

    QTemporaryDir home;
    QTemporaryDir config;
    QString machine;
    QString user;
    QList<QProcess*> processes;
};
} // namespace

TEST_F(ProcessTest, SilentStartRunsHiddenAndTerminateEndsItCleanly)
{
    QProcess* quillback = start({"/silent"});
    ASSERT_TRUE(waitForLog("Quillback Started successfull")) << log().toStdString();
    const QString lines = log();
    EXPECT_TRUE(lines.contains(" -----------------------------------------------------------\r\n"));
    EXPECT_TRUE(lines.contains(" Loading Quillback 1.0\r\n"));
    EXPECT_TRUE(lines.contains(" Checking OS Version...\r\n"));
    // The system the program runs on, by its own name.
    EXPECT_TRUE(lines.contains(" " + core::SystemName() + ".\r\n"));
    EXPECT_FALSE(lines.contains("Windows"));
    EXPECT_EQ(quillback->state(), QProcess::Running);

    terminate(quillback);
    ASSERT_TRUE(waitForEnd(quillback));
    EXPECT_EQ(quillback->exitStatus(), QProcess::NormalExit);
    EXPECT_EQ(quillback->exitCode(), 0);
    EXPECT_TRUE(log().endsWith(" Quillback closed\r\n")) << log().toStdString();
    EXPECT_TRUE(userSettings().contains("BackupSetColumn1=2500"));
    EXPECT_FALSE(QFile::exists(home.filePath("quillback.lock")));
}

TEST_F(ProcessTest, ServiceStartWithSwitchRunsUntilTheServiceStops)
{
    ASSERT_TRUE(test::writeFile(home.filePath("settings/service.ini"), "Active=1\n"));
    QProcess* quillback = start({"/s"});
    ASSERT_TRUE(waitForLog("Quillback Started successfull")) << log().toStdString();
    EXPECT_FALSE(log().contains("as a service"));
    EXPECT_EQ(quillback->state(), QProcess::Running);
    terminate(quillback);
    ASSERT_TRUE(waitForEnd(quillback));
    EXPECT_EQ(quillback->exitCode(), 0);
    EXPECT_TRUE(log().endsWith(" Quillback closed\r\n"));
}

TEST_F(ProcessTest, ServiceStartedByHandShowsTheNoticeAndEnds)
{
    ASSERT_TRUE(test::writeFile(home.filePath("settings/service.ini"), "Active=1\n"));
    QProcess* quillback = start({});
    ASSERT_TRUE(waitForEnd(quillback));
    EXPECT_EQ(quillback->exitCode(), 0);
    // Nobody can see the notice here: it is written to the log.
    EXPECT_TRUE(log().contains("You are running Quillback as a service.")) << log().toStdString();
    EXPECT_FALSE(log().contains("Started successfull"));
    EXPECT_TRUE(log().endsWith(" Quillback closed\r\n"));
}

TEST_F(ProcessTest, SecondInstanceEndsAtOnceWithoutATrace)
{
    QProcess* first = start({"/silent"});
    ASSERT_TRUE(waitForLog("Quillback Started successfull"));
    const QString before = log();
    QProcess* second = start({});
    ASSERT_TRUE(waitForEnd(second));
    EXPECT_EQ(second->exitCode(), 0);
    EXPECT_EQ(log(), before);
    EXPECT_EQ(first->state(), QProcess::Running);
    terminate(first);
    ASSERT_TRUE(waitForEnd(first));
    EXPECT_EQ(count("Loading Quillback"), 1);
    EXPECT_EQ(count("Quillback closed"), 1);
}

TEST_F(ProcessTest, MinimisedStartKeepsRunning)
{
    setMachine("chkMin", "1");
    QProcess* quillback = start({});
    ASSERT_TRUE(waitForLog("Quillback Started successfull"));
    EXPECT_EQ(quillback->state(), QProcess::Running);
    terminate(quillback);
    ASSERT_TRUE(waitForEnd(quillback));
    EXPECT_TRUE(log().endsWith(" Quillback closed\r\n"));
}

TEST_F(ProcessTest, FirstStartChoosesEnglish)
{
    clearUser();
    QProcess* quillback = start({"/silent"});
    ASSERT_TRUE(waitForLog("Quillback Started successfull"));
    terminate(quillback);
    ASSERT_TRUE(waitForEnd(quillback));
    EXPECT_TRUE(userSettings().contains("Language=English\n")) << userSettings().toStdString();
    EXPECT_TRUE(userSettings().contains("showHelp=0"));
}

TEST_F(ProcessTest, ServiceRunsSetsDueTogetherBackToBackWithoutAWindow)
{
    ASSERT_TRUE(test::writeFile(home.filePath("settings/service.ini"), "Active=1\n"));
    ASSERT_TRUE(QDir().mkpath(home.filePath("data")));
    // The program's clock stands an hour before the sets' start until the program has started, then
    // jumps to it, so that the start surely sees it ahead and nothing waits for a real minute.
    const QDateTime due(QDate(2026, 12, 10), QTime(12, 0));
    const QString shiftFile = config.filePath("clock-shift");
    const auto setProgramClock = [&](const QDateTime& programNow) {
        QSaveFile file(shiftFile);
        const qint64 shiftMs = QDateTime::currentDateTime().msecsTo(programNow);
        return file.open(QIODevice::WriteOnly) && file.write(QByteArray::number(shiftMs)) > 0 && file.commit();
    };
    ASSERT_TRUE(setProgramClock(due.addSecs(-3600)));
    const QStringList names {"Docs", "Mail"};
    for (const QString& name : names) {
        ASSERT_TRUE(test::writeFile(home.filePath("source/" + name + "/a.txt"), name.toUtf8()));
        ASSERT_TRUE(QDir().mkpath(home.filePath("backup/" + name)));
        const test::ScopedEnv programHome("QUILLBACK_HOME", home.path().toUtf8());
        platform::ProgramFolder::reset();
        const auto restore = qScopeGuard([] { platform::ProgramFolder::reset(); });
        core::BackupSetInfo& set = core::state().NewBackupSet;
        set = core::BackupSetInfo {};
        set.ItemName = name;
        set.DestCount = 1;
        set.RotationType = core::RotationMode::OneAtATime;
        set.Dest[1].Type = core::DestinationType::Folder;
        set.Dest[1].LocalFolder = home.filePath("backup/" + name);
        set.Schedule.Scheduler = true;
        set.Schedule.StartDate = platform::DateText::shortDate(due.date());
        set.Schedule.StartTime = platform::DateText::longTime(due.time());
        ASSERT_TRUE(core::WriteProject({home.filePath("source/" + name)}));
    }
    const auto versions = [&](const QString& name) {
        const QString document = QString::fromUtf8(test::readFile(home.filePath("data/" + name + ".sbd")));
        return core::sectionLines(document, "VERSIONS").filter("LAN|");
    };
    const auto copy = [&](const QString& name) {
        return home.filePath("backup/" + name) + home.filePath("source/" + name + "/a.txt");
    };

    // Started minimised, where no tray can hold the window: a service still shows nothing.
    setMachine("chkMin", "1");
    QProcessEnvironment shifted;
    shifted.insert("QUILLBACK_TEST_CLOCK_SHIFT", shiftFile);
    QProcess* quillback = start({"/s"}, programWithShiftedClock(), shifted);
    ASSERT_TRUE(waitForLog("Quillback Started successfull")) << log().toStdString();
    EXPECT_FALSE(log().contains("QUEUING SCHEDULE")) << log().toStdString();
    ASSERT_TRUE(setProgramClock(due));
    const bool ran = platform::waitWhile([&] { return count("=============SCHEDULE FINISHED===============") < 2; },
                                         2 * StartLimitMs);
    EXPECT_TRUE(ran) << log().toStdString();
    for (const QString& name : names) {
        EXPECT_EQ(test::readFile(copy(name)), name.toUtf8());
        EXPECT_TRUE(versions(name).value(0).startsWith("LAN|" + home.filePath("backup/" + name) + "/|"))
            << versions(name).join('\n').toStdString();
        EXPECT_EQ(count("=============QUEUING SCHEDULE " + name + "================"), 1);
        EXPECT_EQ(count("Schedule Name: " + name), 1);
    }
    // No window counted down before the next set: it began sooner than a countdown's quarter of a
    // minute, however busy the machine.
    EXPECT_EQ(count("BACKUP CANCEL/STOP BUTTON PRESSED"), 0) << log().toStdString();
    const auto loggedAt = [&](const QString& text) {
        for (const QString& line : log().split("\r\n")) {
            if (line.endsWith(" " + text))
                return QDateTime::fromString(line.left(19), "dd/MM/yyyy HH:mm:ss");
        }
        return QDateTime();
    };
    const QDateTime firstEnded = loggedAt("Overall Status: Success");
    const QDateTime secondBegan = loggedAt("Schedule Name: Mail");
    ASSERT_TRUE(firstEnded.isValid() && secondBegan.isValid()) << log().toStdString();
    EXPECT_LT(firstEnded.secsTo(secondBegan), 15) << log().toStdString();
    terminate(quillback);
    ASSERT_TRUE(waitForEnd(quillback));
    EXPECT_EQ(quillback->exitCode(), 0);
    EXPECT_TRUE(log().endsWith(" Quillback closed\r\n")) << log().toStdString();
}
