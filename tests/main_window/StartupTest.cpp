#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QProcess>
#include <QTcpServer>
#include <QTcpSocket>
#include <QTreeWidget>

#include <gtest/gtest.h>

#include "core/ErrorReport.h"
#include "core/ProgramState.h"
#include "core/ShellHelpers.h"
#include "main_window/Form8.h"
#include "main_window/MainWindowTest.h"
#include "platform/Prompt.h"
#include "platform/ServiceHost.h"
#include "support/SetDocumentFixtures.h"

using main_window::frmMain;

namespace
{
class StartupTest : public test::MainWindowTest
{
protected:
    QString startLines() const
    {
        return "-----------------------------------------------------------\r\n"
               "Loading Quillback 1.0\r\n"
               "Checking OS Version...\r\n"
            + core::SystemName()
            + ".\r\n"
              "Quillback Started successfull\r\n";
    }
    // The log without its date and time stamps.
    QString logTexts() const
    {
        QString texts;
        for (const QString& line : log().split("\r\n", Qt::SkipEmptyParts))
            texts += line.section(' ', 2) + "\r\n";
        return texts;
    }
};
} // namespace

TEST_F(StartupTest, DesktopStartShowsTheWindowAndLogsTheStart)
{
    frmMain* main = startThroughSplash();
    ASSERT_NE(main, nullptr);
    EXPECT_TRUE(main->isVisible());
    EXPECT_FALSE(platform::Form<main_window::frmSplash>::loaded()->isVisible());
    EXPECT_EQ(logTexts(), startLines());
    const core::ProgramState& state = core::state();
    EXPECT_EQ(state.AppTitle, "Quillback 1.0");
    EXPECT_EQ(main->windowTitle(), "Quillback 1.0");
    EXPECT_EQ(state.StartupDateText, "10/12/2026");
    EXPECT_EQ(state.StartupTimeText, "12:00:00");
    EXPECT_FALSE(state.ServiceMode);
    EXPECT_TRUE(state.UseSkin);
    EXPECT_TRUE(tray.shown);
    EXPECT_EQ(tray.toolTip, "Quillback");
    EXPECT_TRUE(main->toolbarButton("start")->isVisible());
    EXPECT_FALSE(main->toolbarButton("service")->isChecked());
    EXPECT_TRUE(QFileInfo(programFile("data")).isDir());
    EXPECT_TRUE(QFileInfo(programFile("tmp")).isDir());
    EXPECT_EQ(QFileInfo(programFile("data")).permissions() & 0x0077, 0) << "data must be owner-only";
    // The skin reached the window's controls.
    EXPECT_EQ(main->cmdNewItem->palette().color(QPalette::Button), localisation::SkinObject()->backColour());
}

TEST_F(StartupTest, SilentAndServiceStartsStayHiddenWithTheTrayIconUp)
{
    struct Case
    {
        const char* commandLine;
        const char* active;
        bool hidden;
        bool serviceMode;
    };
    const Case cases[] = {
        {"/silent", "0", true, false},   {"/s", "1", true, true},           {"/SILENT", "0", false, false},
        {"/silent ", "0", false, false}, {"/silent /s", "0", false, false}, {"/s", "0", false, false},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(std::string(c.commandLine) + " Active=" + c.active);
        ASSERT_TRUE(test::writeFile(programFile("settings/service.ini"), QByteArray("Active=") + c.active + "\n"));
        core::resetState();
        tray.shown = false;
        frmMain* main = startThroughSplash(c.commandLine);
        ASSERT_NE(main, nullptr);
        EXPECT_EQ(main->isHidden(), c.hidden);
        EXPECT_EQ(core::state().ServiceMode, c.serviceMode);
        EXPECT_EQ(main->toolbarButton("service")->isChecked(), c.serviceMode);
        EXPECT_EQ(main->toolbarButton("start")->isVisible(), !c.serviceMode);
        EXPECT_TRUE(tray.shown);
        EXPECT_EQ(programEnds, 0);
        platform::unloadAllWindows();
        platform::setServiceUnattended(false);
    }
    EXPECT_TRUE(logTexts().contains(startLines()));
}

TEST_F(StartupTest, InstalledServiceStartedByHandShowsTheNoticeAndEnds)
{
    ASSERT_TRUE(test::writeFile(programFile("settings/service.ini"), "Active=1\n"));
    core::SaveUserPreference("BackupSetColumn1", "4000");
    // The splash window would stand over the notice, which is centred on the screen as it is.
    bool splashSeen = true;
    prompt.whileShown
        = [&](const platform::Message&) { splashSeen = platform::Form<main_window::frmSplash>::loaded()->isVisible(); };
    frmMain* main = startThroughSplash();
    EXPECT_FALSE(splashSeen);
    ASSERT_EQ(prompt.shown.size(), 1u);
    EXPECT_EQ(prompt.shown.at(0).title, "Quillback 1.0");
    EXPECT_EQ(prompt.shown.at(0).text,
              "You are running Quillback as a service. To run or stop the application, please use its systemd user "
              "unit \"quillback.service\": \"systemctl --user start quillback\" or \"systemctl --user stop "
              "quillback\".");
    EXPECT_EQ(prompt.shown.at(0).buttons, platform::Buttons::Ok);
    EXPECT_EQ(programEnds, 1);
    ASSERT_NE(main, nullptr);
    EXPECT_TRUE(main->isUnloaded());
    EXPECT_TRUE(main->isHidden());
    EXPECT_FALSE(tray.shown);
    EXPECT_FALSE(logTexts().contains("Started successfull"));
    EXPECT_TRUE(logTexts().endsWith(core::SystemName() + ".\r\nQuillback closed\r\n"));
    // The widths were never shown, so the stored ones stay as they were.
    EXPECT_EQ(core::GetUserPreference("BackupSetColumn1", "<missing>"), "4000");
    EXPECT_EQ(core::GetUserPreference("BackupSetColumn3", "<missing>"), "<missing>");
}

TEST_F(StartupTest, FirstStartChoosesEnglishAndOpensTheHelpOnce)
{
    QFile::remove(programFile("settings/app.ini"));
    ASSERT_TRUE(test::writeFile(programFile("Help.chm"), "help"));
    frmMain* main = startThroughSplash();
    ASSERT_NE(main, nullptr);
    EXPECT_EQ(core::GetUserPreference("Language", "<missing>"), "English");
    EXPECT_EQ(localisation::CurrentLanguage(), "English");
    EXPECT_EQ(shell.opened, QStringList({programFile("Help.chm")}));
    EXPECT_EQ(core::GetUserPreference("showHelp", "<missing>"), "0");
    EXPECT_EQ(core::ReadPreference("showHelp", "<missing>"), "0");
    EXPECT_EQ(platform::Form<main_window::Form8>::loaded(), nullptr);
}

TEST_F(StartupTest, MissingHelpFileOpensNothingButIsNotTriedAgain)
{
    core::SaveUserPreference("showHelp", "1");
    startThroughSplash();
    EXPECT_TRUE(shell.opened.isEmpty());
    EXPECT_EQ(core::GetUserPreference("showHelp", "<missing>"), "0");
    EXPECT_EQ(core::ReadPreference("showHelp", "<missing>"), "<missing>");
}

TEST_F(StartupTest, MinimisedStartGoesToTheTrayOrToTheTaskbarWithoutOne)
{
    core::WritePreference("chkMin", "1");
    for (const bool trayAvailable : {true, false}) {
        SCOPED_TRACE(trayAvailable ? "with a tray" : "without a tray");
        core::resetState();
        tray.available = trayAvailable;
        frmMain* main = startThroughSplash();
        ASSERT_NE(main, nullptr);
        EXPECT_FALSE(core::state().StartHidden);
        if (trayAvailable) {
            EXPECT_TRUE(main->isHidden());
        } else {
            EXPECT_TRUE(main->isVisible());
            EXPECT_TRUE(main->isMinimized());
        }
        EXPECT_TRUE(main->mnuTrayHide->isEnabled());
        platform::unloadAllWindows();
    }
}

TEST_F(StartupTest, SilentStartWithoutATrayGoesToTheTaskbarButAServiceStaysHidden)
{
    tray.available = false;
    frmMain* main = startThroughSplash("/silent");
    ASSERT_NE(main, nullptr);
    EXPECT_TRUE(main->isVisible());
    EXPECT_TRUE(main->isMinimized());
    platform::unloadAllWindows();

    ASSERT_TRUE(test::writeFile(programFile("settings/service.ini"), "Active=1\n"));
    main = startThroughSplash("/s");
    ASSERT_NE(main, nullptr);
    ASSERT_TRUE(core::state().ServiceMode);
    EXPECT_TRUE(main->isHidden());
    platform::setServiceUnattended(false);
}

TEST_F(StartupTest, SplashSettingKeepsTheSplashUnseenButTheMainWindowStillComes)
{
    core::WritePreference("chkSplash", "1");
    main_window::startProgram();
    main_window::frmSplash* splash = platform::Form<main_window::frmSplash>::loaded();
    ASSERT_NE(splash, nullptr);
    EXPECT_FALSE(splash->isVisible());
    EXPECT_TRUE(splash->Timer2->isActive());
    for (int tick = 0; tick < 74; ++tick)
        splash->Timer2_Timer();
    EXPECT_EQ(platform::Form<frmMain>::loaded(), nullptr);
    splash->Timer2_Timer();
    ASSERT_NE(platform::Form<frmMain>::loaded(), nullptr);
    EXPECT_TRUE(platform::Form<frmMain>::loaded()->isVisible());
    EXPECT_FALSE(splash->Timer2->isActive());
}

TEST_F(StartupTest, ColumnWidthsComeBackAndABadOneTakesTheDefault)
{
    const struct
    {
        int column;
        const char* stored;
        int pixels;
    } widths[] = {
        {1, "3000", 200},  {2, "3000", 0},  {3, "abc", 167},    {4, "2512.5", 167},
        {5, "99999", 167}, {6, "-15", 167}, {7, " 1500 ", 100}, {8, "1e3", 67},
    };
    for (const auto& w : widths)
        core::SaveUserPreference(QString("BackupSetColumn%1").arg(w.column), w.stored);
    core::SaveUserPreference("showHelp", "1");
    core::WritePreference("chkMin", "1");

    frmMain* main = startThroughSplash();
    ASSERT_NE(main, nullptr);
    for (const auto& w : widths)
        EXPECT_EQ(main->lstBackupSet->columnWidth(w.column - 1), w.pixels) << w.stored;
    // The load went on past the widths: the help step and the hidden start ran.
    EXPECT_EQ(core::GetUserPreference("showHelp", "<missing>"), "0");
    EXPECT_TRUE(main->isHidden());
}

TEST_F(StartupTest, FilesInTheWayOfTheFoldersAreReportedAndTheLoadGoesOn)
{
    ASSERT_TRUE(test::writeFile(programFile("data"), "not a folder"));
    frmMain* main = startThroughSplash();
    ASSERT_NE(main, nullptr);
    EXPECT_TRUE(main->isVisible());
    EXPECT_TRUE(QFileInfo(programFile("tmp")).isDir());
    EXPECT_EQ(test::readFile(programFile("data")), "not a folder");
    EXPECT_EQ(core::Err().Number, core::err::PathFileAccess);
    EXPECT_TRUE(core::Err().Description.contains("frmMain.Form_Load"));
    EXPECT_TRUE(
        logTexts().startsWith("E: Error loading Quillback\r\nE: Cannot create the folder " + programFile("data")));
    EXPECT_TRUE(logTexts().contains(startLines()));
}

TEST_F(StartupTest, WorkFilesOfAKilledProcessGoAtTheStart)
{
    QProcess ended;
    ended.start("sh", {"-c", "echo $$"});
    ASSERT_TRUE(ended.waitForFinished());
    const QString deadPid = QString::fromUtf8(ended.readAllStandardOutput()).trimmed();
    const QString work = programFile("tmp/work-" + deadPid + "-abc123");
    ASSERT_TRUE(test::writeFile(work + "/Docs.zip", "an unprotected archive"));
    ASSERT_TRUE(test::writeFile(programFile("data/Docs.sbd.Ab12Cd"), "half a document"));

    ASSERT_NE(startThroughSplash(), nullptr);

    EXPECT_FALSE(QFileInfo::exists(work));
    EXPECT_FALSE(QFileInfo::exists(programFile("data/Docs.sbd.Ab12Cd")));
}

TEST_F(StartupTest, SetListShowsTheSetDocumentsAndSelectsTheFirst)
{
    QDir().mkpath(programFile("data"));
    for (const char* name : {"Photos.sbd", "Documents.sbd", "Documents.sbd.bak", "notes.txt"})
        ASSERT_TRUE(test::writeFile(programFile(QString("data/") + name), "x"));
    frmMain* main = startThroughSplash();
    ASSERT_EQ(main->lstBackupSet->topLevelItemCount(), 2);
    EXPECT_EQ(main->lstBackupSet->topLevelItem(0)->text(0), "Documents");
    EXPECT_EQ(main->lstBackupSet->topLevelItem(1)->text(0), "Photos");
    EXPECT_EQ(main->CurrentSetName, "Documents");
    EXPECT_EQ(main->SelectedIndex, 0);
}

TEST_F(StartupTest, AStopWhileTheStartPrunesEndsTheLoadThere)
{
    // A server that takes the connection and says nothing: the pruning waits for it, and events run.
    QTcpServer silent;
    ASSERT_TRUE(silent.listen(QHostAddress::LocalHost));
    const QString server = "127.0.0.1|" + QString::number(silent.serverPort());
    QList<QTcpSocket*> taken;
    QObject::connect(&silent, &QTcpServer::newConnection, [&] {
        while (QTcpSocket* socket = silent.nextPendingConnection())
            taken << socket;
        if (taken.size() > 1)
            return;
        // SIGTERM, as the service host raises it.
        emit platform::serviceHost().stopRequested();
        for (QTcpSocket* socket : std::as_const(taken))
            socket->abort();
    });
    ASSERT_TRUE(test::writeFile(
        programFile("data/Docs.sbd"),
        test::SetDocumentFixture()
            .set("GENERAL", "ItemName", "Docs")
            .set("GENERAL", "UseTimeStamp", "-1")
            .set("TIMESTAMP", "DeleteBackups", "1")
            .set("TIMESTAMP", "KeepVersions", "1")
            .set("GENERAL", "DestCount", "1")
            .dest(1,
                  {"Type=2", "FTPHost=127.0.0.1", "FTPPort=" + QString::number(silent.serverPort()), "FTPUser=u",
                   "FTPFolder=/backups", "FTPPassive=True"})
            .versions({"FTP|u|p|" + server + "|/backups/v2|/backups/v2/Set.zip|02/12/2026 11:00:00|1|1|0|",
                       "FTP|u|p|" + server + "|/backups/v1|/backups/v1/Set.zip|01/12/2026 11:00:00|1|1|0|"})
            .text()
            .toUtf8()));

    frmMain* main = startThroughSplash();

    ASSERT_FALSE(taken.isEmpty()) << "the start pruned nothing";
    ASSERT_NE(main, nullptr);
    EXPECT_TRUE(main->isUnloaded());
    EXPECT_EQ(programEnds, 1);
    EXPECT_FALSE(main->isVisible());
    EXPECT_FALSE(tray.shown);
    EXPECT_FALSE(logTexts().contains("Started successfull")) << logTexts().toStdString();
    EXPECT_TRUE(logTexts().endsWith("Quillback closed\r\n")) << logTexts().toStdString();
}
