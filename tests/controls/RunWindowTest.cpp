#include "controls/RunWindow.h"

#include <QLabel>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QTimer>

#include <gtest/gtest.h>

#include "core/ProgramState.h"

namespace
{

// The smallest window on the base: it only counts its Close presses.
class CountingWindow : public controls::RunWindow
{
public:
    CountingWindow()
        : RunWindow("frmCounting", QStringLiteral("Caption"), QStringLiteral("Headline"))
    { }

    void cmdClose_Click() override { ++closes; }

    int closes = 0;
};

class RunWindowTest : public ::testing::Test
{
protected:
    void TearDown() override
    {
        core::state().bStopBackup = false;
        core::state().bConnectTimedOut = false;
    }
};

TEST_F(RunWindowTest, TheWindowIsTheRunContextOfTheWorkItShows)
{
    CountingWindow window;
    platform::RunContext& run = window;
    run.showStatus(QStringLiteral("[Indexing Files]\n/home/u/a.txt"));
    EXPECT_EQ(window.lblStatus->toPlainText(), "[Indexing Files]\n/home/u/a.txt");

    // The stop is the program's stop request, which Cancel and a failure that breaks the run off set.
    EXPECT_FALSE(run.stopRequested());
    core::state().bStopBackup = true;
    EXPECT_TRUE(run.stopRequested());
}

TEST_F(RunWindowTest, ControlsAndTimersKeepTheirDesignNames)
{
    CountingWindow window;
    EXPECT_EQ(window.objectName(), "frmCounting");
    EXPECT_EQ(window.lblLabel->text(), "Headline");
    for (const char* name : {"lblLabel", "lblStatus", "lblTime", "cmdMin", "cmdPause", "cmdClose"})
        EXPECT_NE(window.findChild<QWidget*>(QLatin1String(name)), nullptr) << name;
    const struct
    {
        const char* name;
        int intervalMs;
    } timers[] = {{"Timer1", 250}, {"Timer3", 1000}, {"timFTP", 1000}, {"tmrClose", 1000}};
    for (const auto& t : timers) {
        const auto* timer = window.findChild<QTimer*>(QLatin1String(t.name));
        ASSERT_NE(timer, nullptr) << t.name;
        EXPECT_EQ(timer->interval(), t.intervalMs) << t.name;
        EXPECT_FALSE(timer->isActive()) << t.name;
    }
}

TEST_F(RunWindowTest, TheCountdownEndsByPressingTheWindowsClose)
{
    CountingWindow window;
    for (int tick = 1; tick < 15; ++tick) {
        window.tmrClose_Timer();
        EXPECT_EQ(window.lblTime->text(), QString::number(15 - tick));
        EXPECT_EQ(window.closes, 0) << tick;
    }
    window.tmrClose_Timer();
    EXPECT_EQ(window.closes, 1);

    // The Cancel button reaches the window's own Close as well.
    window.cmdClose->click();
    EXPECT_EQ(window.closes, 2);
}

} // namespace
