#include <QAction>
#include <QMenu>
#include <QTimer>

#include <gtest/gtest.h>

#include "core/ProgramState.h"
#include "main_window/MainWindowTest.h"
#include "main_window/frmPrefs2.h"
#include "main_window/frmStillRunning.h"
#include "platform/Tray.h"

using main_window::frmMain;
using main_window::frmStillRunning;
using platform::Form;
using platform::Tray;

namespace
{
class TrayTest : public test::MainWindowTest
{ };
} // namespace

TEST_F(TrayTest, TimerKeepsTheIconPresent)
{
    frmMain* main = startThroughSplash();
    ASSERT_TRUE(tray.shown);
    EXPECT_EQ(tray.adds, 1);
    EXPECT_EQ(main->tmrTrayIcon->interval(), 15000);

    main->tmrTrayIcon_Timer();
    EXPECT_EQ(tray.adds, 1) << "a present icon is only updated";

    tray.drop();
    main->tmrTrayIcon_Timer();
    EXPECT_TRUE(tray.shown);
    EXPECT_EQ(tray.adds, 2);
    EXPECT_EQ(tray.toolTip, "Quillback");
    EXPECT_EQ(main->tmrTrayIcon->interval(), 15000);

    tray.drop();
    tray.available = false;
    main->tmrTrayIcon_Timer();
    EXPECT_FALSE(tray.shown);
    EXPECT_EQ(main->tmrTrayIcon->interval(), 5000) << "adding is retried sooner";
}

TEST_F(TrayTest, MenuPopsUpOnButtonReleaseOnly)
{
    frmMain* main = startThroughSplash();
    const struct
    {
        int message;
        bool menu;
    } cases[] = {
        {Tray::MouseMove, false},   {Tray::LeftButtonDown, false}, {Tray::RightButtonDown, false},
        {Tray::LeftButtonUp, true}, {Tray::RightButtonUp, true},   {999, false},
    };
    for (const auto& c : cases) {
        main->mnuTray->hide();
        emit tray.mouseMessage(c.message);
        EXPECT_EQ(main->mnuTray->isVisible(), c.menu) << c.message;
        if (c.menu)
            EXPECT_EQ(main->mnuTray->defaultAction(), main->mnuTrayOpen);
    }
}

TEST_F(TrayTest, DoubleClickShowsAHiddenWindow)
{
    frmMain* main = startThroughSplash("/silent");
    ASSERT_TRUE(main->isHidden());
    main->mnuTrayHide->setEnabled(false);
    emit tray.mouseMessage(Tray::LeftDoubleClick);
    EXPECT_TRUE(main->isVisible());
    EXPECT_TRUE(main->mnuTrayHide->isEnabled());
}

TEST_F(TrayTest, HideAfterASilentStartKeepsTheWindowHiddenAndShowsTheNotice)
{
    frmMain* main = startThroughSplash("/silent");
    main->mnuTrayHide->trigger();
    EXPECT_TRUE(main->isHidden());
    EXPECT_FALSE(main->mnuTrayHide->isEnabled());
    ASSERT_NE(Form<frmStillRunning>::loaded(), nullptr);
    EXPECT_TRUE(Form<frmStillRunning>::loaded()->isVisible());
}

TEST_F(TrayTest, HideWhileAnotherWindowIsOpenOnlyBringsTheMainWindowForward)
{
    frmMain* main = startThroughSplash();
    Form<main_window::frmPrefs2>::load()->show();
    main->mnuTrayHide->trigger();
    EXPECT_TRUE(main->isVisible());
    EXPECT_TRUE(main->mnuTrayHide->isEnabled());
    EXPECT_EQ(Form<frmStillRunning>::loaded(), nullptr);
}

TEST_F(TrayTest, HideWithAlwaysExitOnlyHides)
{
    core::WritePreference("chkAlwaysExit", "1");
    frmMain* main = startThroughSplash();
    main->mnuTrayHide->trigger();
    EXPECT_TRUE(main->isHidden());
    EXPECT_EQ(Form<frmStillRunning>::loaded(), nullptr);
    EXPECT_EQ(programEnds, 0);
}

TEST_F(TrayTest, OpenBringsBackTheLastStateOtherThanMinimised)
{
    frmMain* main = startThroughSplash();
    main->showMaximized();
    EXPECT_EQ(core::state().MainWindowState, 2);
    main->showMinimized();
    EXPECT_EQ(core::state().MainWindowState, 2) << "minimising keeps the state before it";
    main->unloadWindow(main_window::UnloadMode::CloseBox);
    ASSERT_TRUE(main->isHidden());
    main->mnuTrayOpen->trigger();
    EXPECT_TRUE(main->isVisible());
    EXPECT_TRUE(main->isMaximized());
    EXPECT_TRUE(main->mnuTrayHide->isEnabled());
}

TEST_F(TrayTest, ExitFromTheTrayEndsTheProgram)
{
    frmMain* main = startThroughSplash();
    main->mnuTrayClose->trigger();
    EXPECT_EQ(programEnds, 1);
    EXPECT_TRUE(main->isUnloaded());
    EXPECT_FALSE(tray.shown);
    EXPECT_TRUE(log().endsWith(" Quillback closed\r\n"));
}
