#include "restore/frmRestoring.h"

#include <QDir>
#include <QLabel>
#include <QPlainTextEdit>
#include <QPointer>
#include <QPushButton>
#include <QTcpServer>
#include <QTcpSocket>
#include <QTimer>

#include <gtest/gtest.h>

#include "VersionFixtures.h"
#include "WarningScript.h"
#include "core/MainWindowServices.h"
#include "core/ProgramState.h"
#include "core/ScramblePassword.h"
#include "peers/LoopbackServers.h"
#include "platform/EventLoop.h"
#include "platform/Form.h"
#include "platform/MirrorPath.h"
#include "support/Screenshot.h"

using platform::Form;
using restore::frmRestoring;

namespace
{
const QString CancelLine = "============RESTORE CANCEL/STOP BUTTON PRESSED===============";
// Long enough for any run of these tests; the waits end as soon as the run does.
constexpr int RunLimitMs = 60000;

class FakeMainWindow : public core::MainWindowServices
{
public:
    FakeMainWindow() { core::setMainWindowServices(this); }
    ~FakeMainWindow() override { core::setMainWindowServices(nullptr); }
    bool setSetRowCell(const QString&, int, const QString&) override { return true; }
    void showFileList(const QStringList&, const QList<bool>&) override { }
    QStringList& globalVersions() override { return versions; }
    QWidget* mainWindow() override { return &window; }

    QWidget window;
    QStringList versions;
};

class frmRestoringTest : public test::VersionTest
{
protected:
    void TearDown() override
    {
        platform::unloadAllWindows();
        VersionTest::TearDown();
    }
};
} // namespace

TEST_F(frmRestoringTest, ALoadWithoutAHandOverRemovesItself)
{
    frmRestoring* window = Form<frmRestoring>::load();
    ASSERT_NE(window, nullptr);
    EXPECT_FALSE(core::state().bRestoreConfirmed);
    ASSERT_TRUE(window->Timer1->isActive());
    QPointer<frmRestoring> guard(window);
    EXPECT_TRUE(platform::waitWhile([&] { return !guard.isNull(); }, RunLimitMs));
    EXPECT_EQ(Form<frmRestoring>::loaded(), nullptr);
    EXPECT_TRUE(logLines().isEmpty());

    // A stop request removes the window at once.
    core::state().bStopBackup = true;
    EXPECT_EQ(Form<frmRestoring>::load(), nullptr);
}

TEST_F(frmRestoringTest, AConfirmedHandOverRunsAndCountsDownToClose)
{
    const QString version = makeVersion(disk("backup/Docs"), 2, true);
    writeRestoreList(paths);
    frmRestoring* window = Form<frmRestoring>::load();
    ASSERT_NE(window, nullptr);
    window->startRestore(request(version, disk("new")));
    EXPECT_TRUE(core::state().bRestoreConfirmed);
    EXPECT_TRUE(window->isVisible());
    ASSERT_TRUE(platform::waitWhile([&] { return !window->tmrClose->isActive(); }, RunLimitMs));
    window->tmrClose->stop();

    EXPECT_EQ(logLines().value(0), "======================Performing Restore======================");
    EXPECT_EQ(filesBelow(disk("new")).size(), paths.size());
    EXPECT_TRUE(window->lblStatus->toPlainText().startsWith("Done!\nFiles restored: 6,"))
        << window->lblStatus->toPlainText().toStdString();
    EXPECT_EQ(window->windowTitle(), " (closing in 14 seconds)");
    EXPECT_EQ(window->cmdClose->text(), "Close (14)");
    test::saveScreenshot(window, "restore-window");
    for (int left = 13; left >= 1; --left) {
        window->tmrClose_Timer();
        window->tmrClose->stop();
        EXPECT_EQ(window->cmdClose->text(), QString("Close (%1)").arg(left));
    }
    EXPECT_EQ(window->windowTitle(), " (closing in 1 second)");
    EXPECT_FALSE(core::state().bStopBackup);

    window->tmrClose_Timer();
    EXPECT_EQ(Form<frmRestoring>::loaded(), nullptr);
    EXPECT_EQ(logLines().last(), CancelLine);
    EXPECT_TRUE(core::state().bStopBackup);
}

TEST_F(frmRestoringTest, CancelDuringTheOverwriteQuestionStopsAtTheNextCheck)
{
    const QString a = source("docs/a.txt");
    const QString b = source("docs/deep/b.txt");
    const QString version = makeVersion(disk("backup/Docs"), 0, false);
    writeRestoreList({a, b});
    ASSERT_TRUE(test::writeFile(a, "old"));
    ASSERT_TRUE(test::writeFile(b, "old"));

    frmRestoring* window = Form<frmRestoring>::load();
    QPointer<frmRestoring> guard(window);
    int questions = 0;
    bool stayedInFront = true;
    QTimer user;
    QObject::connect(&user, &QTimer::timeout, [&] {
        for (QWidget* widget : QApplication::topLevelWidgets()) {
            auto* question = qobject_cast<restore::frmWarning*>(widget);
            if (!question || !question->isVisible())
                continue;
            ++questions;
            stayedInFront = guard && guard->Timer3->isActive();
            // The user cancels the restore, then answers the question still up.
            guard->cmdClose->click();
            question->cmdYes->click();
        }
    });
    user.start(0);
    window->startRestore(request(version));
    EXPECT_TRUE(platform::waitWhile([&] { return !guard.isNull(); }, RunLimitMs));

    EXPECT_EQ(questions, 1);
    EXPECT_FALSE(stayedInFront);
    // The copy that the answer starts sees the stop: both files stay as they were.
    EXPECT_EQ(test::readFile(a), "old");
    EXPECT_EQ(test::readFile(b), "old");
    const QStringList log = logLines();
    EXPECT_TRUE(log.contains(CancelLine));
    EXPECT_FALSE(log.contains("================Restore Complete=============="));
    EXPECT_TRUE(filesBelow(programFile("tmp")).isEmpty());
}

TEST_F(frmRestoringTest, PauseShowsItsMessage)
{
    frmRestoring* window = Form<frmRestoring>::load();
    core::state().AppTitle = "Quillback";
    window->cmdPause->click();
    ASSERT_EQ(prompt.shown.size(), 1u);
    EXPECT_EQ(prompt.shown[0].text, "Paused.  Click OK to continue.");
    EXPECT_EQ(prompt.shown[0].title, "Quillback");
    EXPECT_EQ(prompt.shown[0].buttons, platform::Buttons::Ok);
}

TEST_F(frmRestoringTest, MinimizeAndKeepInFrontFollowTheMainWindow)
{
    FakeMainWindow main;
    main.window.show();
    core::state().MainWindowState = 2;
    frmRestoring* window = Form<frmRestoring>::load();
    window->show();

    window->cmdMin->click();
    EXPECT_TRUE(main.window.isHidden());
    EXPECT_TRUE(main.window.isMinimized());
    EXPECT_TRUE(window->isMinimized());

    // Coming back gives the main window its last state; it stays hidden.
    window->setWindowState(Qt::WindowNoState);
    EXPECT_EQ(main.window.windowState(), Qt::WindowMaximized);
    EXPECT_TRUE(main.window.isHidden());

    // While the main window is minimised, the keep-in-front tick brings it back.
    main.window.setWindowState(Qt::WindowMinimized);
    window->Timer3_Timer();
    EXPECT_EQ(main.window.windowState(), Qt::WindowMaximized);
    // A minimised restore window is brought back while the main window is not minimised.
    window->setWindowState(Qt::WindowMinimized);
    window->Timer3_Timer();
    EXPECT_FALSE(window->isMinimized());

    // The overwrite question switches the keep-in-front tick off.
    ASSERT_TRUE(window->Timer3->isActive());
    QPointer<restore::frmWarning> question = new restore::frmWarning;
    EXPECT_FALSE(window->Timer3->isActive());
    question->cmdNo->click();
}

TEST_F(frmRestoringTest, TheFtpConnectLimitEndsTheConnectAfterThirtySecondsNotTheRestore)
{
    frmRestoring* window = Form<frmRestoring>::load();
    for (int second = 1; second <= 30; ++second)
        window->timFTP_Timer();
    EXPECT_FALSE(core::state().bConnectTimedOut);
    EXPECT_EQ(window->lblStatus->toPlainText(), "FTP: Connecting... (30)");
    window->timFTP_Timer();
    EXPECT_TRUE(core::state().bConnectTimedOut);
    EXPECT_FALSE(core::state().bStopBackup);
    EXPECT_EQ(window->lblStatus->toPlainText(), "FTP: Connecting... (31)");
}

namespace
{
// Takes connections and never greets.
class SilentServer : public test::SilentServer
{
public:
    // A one-archive version on this server.
    QString version() const
    {
        return QString("FTP|user|%1|127.0.0.1|%2|/backup|/backup/Docs Backup.zip|10/12/2026 12:00:00|12|1|0|key")
            .arg(core::ScramblePassword("secret"))
            .arg(port());
    }
};
} // namespace

TEST_F(frmRestoringTest, AnFtpServerThatNeverAnswersEndsTheRestoreAfterTheRetries)
{
    SilentServer silent;
    int& connections = silent.connections;
    writeRestoreList(paths);
    const QString version = silent.version();

    frmRestoring* window = Form<frmRestoring>::load();
    // The limit's seconds pass quickly; the ticks are counted all the same.
    window->timFTP->setInterval(5);
    QStringList connecting;
    QObject::connect(window->timFTP, &QTimer::timeout, [&] { connecting << window->lblStatus->toPlainText(); });
    window->startRestore(request(version, disk("new")));
    ASSERT_TRUE(platform::waitWhile([&] { return !window->tmrClose->isActive(); }, RunLimitMs));
    window->tmrClose->stop();

    const QString failed = "Restore failed: could not connect to 127.0.0.1";
    EXPECT_TRUE(window->lblStatus->toPlainText().contains(failed)) << window->lblStatus->toPlainText().toStdString();
    EXPECT_TRUE(logLines().contains(failed));
    test::saveScreenshot(window, "restore-window-ftp-unreachable");
    EXPECT_EQ(logLines().filter("FTP: Connecting again to 127.0.0.1").size(), 3);
    EXPECT_EQ(connections, 4);
    // Each attempt counts from 1 to 31.
    EXPECT_EQ(connecting.count("FTP: Connecting... (31)"), 4);
    EXPECT_FALSE(window->timFTP->isActive());
    EXPECT_FALSE(QDir(disk("new")).exists());
    EXPECT_TRUE(filesBelow(programFile("tmp")).isEmpty());
}

TEST_F(frmRestoringTest, CancelWhileConnectingIsNotTriedAgain)
{
    SilentServer silent;
    writeRestoreList(paths);
    frmRestoring* window = Form<frmRestoring>::load();
    QPointer<frmRestoring> guard(window);
    window->timFTP->setInterval(5);
    QObject::connect(window->timFTP, &QTimer::timeout, [&] {
        if (guard && guard->intConnectTicks == 3)
            guard->cmdClose->click();
    });
    window->startRestore(request(silent.version(), disk("new")));
    ASSERT_TRUE(platform::waitWhile([&] { return !guard.isNull(); }, RunLimitMs));

    EXPECT_EQ(silent.connections, 1);
    EXPECT_TRUE(logLines().filter("FTP: Connecting again").isEmpty());
    EXPECT_TRUE(logLines().contains(CancelLine));
    EXPECT_FALSE(logLines().contains("================Restore Complete=============="));
    EXPECT_FALSE(QDir(disk("new")).exists());
    EXPECT_TRUE(filesBelow(programFile("tmp")).isEmpty());
}
