#include <QAction>
#include <QCheckBox>
#include <QCoreApplication>
#include <QEvent>
#include <QMenu>
#include <QPointer>
#include <QTimer>
#include <QTreeWidget>

#include <gtest/gtest.h>

#include "core/ProgramState.h"
#include "editors/frmSettings.h"
#include "editors/frmWizard.h"
#include "engine/frmProcessing.h"
#include "ftp/frmAddFTP.h"
#include "mail/frmSck.h"
#include "main_window/MainWindowTest.h"
#include "main_window/frmPrefs2.h"
#include "main_window/frmStillRunning.h"
#include "platform/ServiceHost.h"
#include "restore/frmDecrypt.h"
#include "restore/frmExtract.h"
#include "restore/frmRestoring.h"
#include "restore/frmSelectFiles.h"
#include "restore/frmVersions.h"
#include "restore/frmWarning.h"

using main_window::frmMain;
using main_window::frmStillRunning;
using main_window::UnloadMode;
using platform::Form;

namespace
{
class ShutdownTest : public test::MainWindowTest
{
protected:
    bool closedLogged() const { return log().endsWith(" Quillback closed\r\n"); }
};
} // namespace

TEST_F(ShutdownTest, CloseBoxFollowsTheCloseSettings)
{
    struct Case
    {
        const char* what;
        const char* alwaysExit;
        const char* noShow;
        bool ends;
        bool notice;
    };
    const Case cases[] = {
        {"default settings", nullptr, nullptr, false, true},
        {"always exit", "1", nullptr, true, false},
        {"always exit, any value but 0", "2", "1", true, false},
        {"no reminder", "0", "1", false, false},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        core::WritePreference("chkAlwaysExit", c.alwaysExit ? c.alwaysExit : "0");
        core::WritePreference("chkNoShow", c.noShow ? c.noShow : "0");
        programEnds = 0;
        frmMain* main = startThroughSplash();
        ASSERT_NE(main, nullptr);
        main->lstBackupSet->setColumnWidth(0, 300);

        main->unloadWindow(UnloadMode::CloseBox);

        EXPECT_TRUE(main->isHidden());
        EXPECT_FALSE(main->mnuTrayHide->isEnabled());
        EXPECT_EQ(programEnds, c.ends ? 1 : 0);
        EXPECT_EQ(main->isUnloaded(), c.ends);
        EXPECT_EQ(closedLogged(), c.ends);
        frmStillRunning* notice = Form<frmStillRunning>::loaded();
        EXPECT_EQ(notice != nullptr && notice->isVisible(), c.notice);
        if (c.ends) {
            EXPECT_EQ(core::GetUserPreference("BackupSetColumn1", ""), "4500");
            EXPECT_EQ(core::GetUserPreference("BackupSetColumn2", ""), "0");
            EXPECT_EQ(core::GetUserPreference("BackupSetColumn3", ""), "2500");
            EXPECT_FALSE(tray.shown);
            EXPECT_EQ(Form<main_window::frmSplash>::loaded(), nullptr);
        } else {
            EXPECT_TRUE(tray.shown);
        }
        platform::unloadAllWindows();
    }
}

TEST_F(ShutdownTest, CloseBoxWithoutANotificationAreaMinimises)
{
    tray.available = false;
    frmMain* main = startThroughSplash();
    main->unloadWindow(UnloadMode::CloseBox);
    EXPECT_TRUE(main->isVisible());
    EXPECT_TRUE(main->isMinimized());
    EXPECT_EQ(programEnds, 0);
}

TEST_F(ShutdownTest, ClosingTheWindowThroughQtGoesThroughTheCloseRequest)
{
    frmMain* main = startThroughSplash();
    EXPECT_FALSE(main->close());
    EXPECT_TRUE(main->isHidden());
    EXPECT_EQ(programEnds, 0);
    ASSERT_NE(Form<frmStillRunning>::loaded(), nullptr);
}

TEST_F(ShutdownTest, NoticeKeepsOnlyTheTickedChoices)
{
    struct Case
    {
        bool alwaysExit;
        bool noShow;
    };
    for (const Case c : {Case {false, false}, Case {false, true}, Case {true, false}, Case {true, true}}) {
        SCOPED_TRACE(testing::Message() << "always exit " << c.alwaysExit << ", no reminder " << c.noShow);
        core::WritePreference("chkAlwaysExit", "0");
        core::WritePreference("chkNoShow", "0");
        programEnds = 0;
        frmMain* main = startThroughSplash();
        main->unloadWindow(UnloadMode::CloseBox);
        frmStillRunning* notice = Form<frmStillRunning>::loaded();
        ASSERT_NE(notice, nullptr);
        EXPECT_EQ(notice->windowTitle(), "Quillback is still running.");
        notice->chkAlwaysExit->setChecked(c.alwaysExit);
        notice->chkNoShow->setChecked(c.noShow);
        notice->cmdOK->click();

        EXPECT_EQ(core::ReadPreference("chkAlwaysExit", ""), c.alwaysExit ? "1" : "0");
        EXPECT_EQ(core::ReadPreference("chkNoShow", ""), c.noShow ? "1" : "0");
        EXPECT_EQ(programEnds, c.alwaysExit ? 1 : 0);
        EXPECT_EQ(closedLogged(), c.alwaysExit);
        EXPECT_EQ(Form<frmStillRunning>::loaded(), nullptr);
        platform::unloadAllWindows();
    }
}

TEST_F(ShutdownTest, ExitUnloadsTheOtherWindowsAndEndsTheProgram)
{
    frmMain* main = startThroughSplash();
    Form<engine::frmProcessing>::load();
    Form<restore::frmVersions>::load();
    Form<restore::frmRestoring>::load();
    Form<restore::frmSelectFiles>::load();
    Form<restore::frmDecrypt>::load();
    Form<restore::frmExtract>::load();
    Form<ftp::frmAddFTP>::load();
    Form<mail::frmSck>::load();
    Form<editors::frmSettings>::load();
    Form<main_window::frmPrefs2>::load();
    QPointer<restore::frmWarning> question = new restore::frmWarning;
    question->show();

    main->findChild<QAction*>("mnuFileExit")->trigger();

    EXPECT_EQ(programEnds, 1);
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    EXPECT_TRUE(question.isNull());
    EXPECT_TRUE(closedLogged());
    EXPECT_EQ(platform::loadedWindows(), QList<QWidget*>({main}));
    EXPECT_FALSE(main->closeFlags().ExitRequested);
    for (QTimer* timer : main->findChildren<QTimer*>())
        EXPECT_FALSE(timer->isActive()) << timer->objectName().toStdString();
}

TEST_F(ShutdownTest, StopFromTheServiceHostEndsTheProgramCleanly)
{
    ASSERT_TRUE(test::writeFile(programFile("settings/service.ini"), "Active=1\n"));
    frmMain* main = startThroughSplash("/s");
    ASSERT_TRUE(core::state().ServiceMode);
    emit platform::serviceHost().stopRequested();
    EXPECT_EQ(programEnds, 1);
    EXPECT_TRUE(main->isUnloaded());
    EXPECT_FALSE(core::state().ServiceMode);
    EXPECT_TRUE(closedLogged());
    EXPECT_FALSE(tray.shown);
}

TEST_F(ShutdownTest, SessionEndInServiceModeUnloadsTheWindowsButLeavesTheProgram)
{
    ASSERT_TRUE(test::writeFile(programFile("settings/service.ini"), "Active=1\n"));
    frmMain* main = startThroughSplash("/s");
    main->unloadWindow(UnloadMode::SessionEnd);
    EXPECT_TRUE(main->isUnloaded());
    EXPECT_EQ(programEnds, 0);
    EXPECT_TRUE(tray.shown);
    EXPECT_FALSE(closedLogged());
    EXPECT_FALSE(main->closeFlags().SessionEndInService);
    EXPECT_EQ(Form<main_window::frmSplash>::loaded(), nullptr);
    // The service manager's stop that follows ends the program.
    emit platform::serviceHost().stopRequested();
    EXPECT_EQ(programEnds, 1);
}

TEST_F(ShutdownTest, SessionEndOnTheDesktopIsAnExit)
{
    frmMain* main = startThroughSplash();
    main->unloadWindow(UnloadMode::SessionEnd);
    EXPECT_EQ(programEnds, 1);
    EXPECT_TRUE(closedLogged());
    EXPECT_EQ(Form<frmStillRunning>::loaded(), nullptr);
}

TEST_F(ShutdownTest, StopBeforeTheMainWindowHasLoadedEndsTheProgramAtOnce)
{
    main_window::startProgram();
    main_window::frmSplash* splash = Form<main_window::frmSplash>::loaded();
    ASSERT_NE(splash, nullptr);
    ASSERT_TRUE(splash->Timer2->isActive());
    emit platform::serviceHost().stopRequested();
    EXPECT_EQ(programEnds, 1);
    EXPECT_FALSE(splash->Timer2->isActive());
    EXPECT_EQ(Form<frmMain>::loaded(), nullptr);
}
