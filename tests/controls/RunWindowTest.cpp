#include "controls/RunWindow.h"

#include <QElapsedTimer>
#include <QLabel>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QTimer>

#include <gtest/gtest.h>

#include "core/ProgramState.h"
#include "platform/EventLoop.h"
#include "support/Waits.h"

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

TEST_F(RunWindowTest, AWalkThatShowsEveryEntryRepaintsAtThePaceAndEndsShowingItsNewestText)
{
    CountingWindow window;
    int repaints = 0;
    QObject::connect(window.lblStatus, &QPlainTextEdit::textChanged, &window, [&] { ++repaints; });
    platform::RunContext& run = window;
    const auto entry = [](int i) { return QStringLiteral("[Indexing Files]\n/home/u/f%1").arg(i); };

    // Every entry shows its status and yields, until a Cancel click stops the walk.
    QTimer::singleShot(300, [] { core::state().bStopBackup = true; });
    QElapsedTimer guard;
    guard.start();
    int entries = 0;
    while (!run.stopRequested() && guard.elapsed() < 10000) {
        run.showStatus(entry(++entries));
        run.yield();
    }
    ASSERT_TRUE(run.stopRequested());
    // The box followed the walk while it ran, yet far less often than once an entry.
    EXPECT_GE(repaints, 2);
    EXPECT_LT(repaints * 100, entries) << repaints << " of " << entries;
    EXPECT_TRUE(
        platform::waitWhile([&] { return window.lblStatus->toPlainText() != entry(entries); }, test::EventLimitMs))
        << window.lblStatus->toPlainText().toStdString();

    // The end of a run shows its outcome at once.
    run.showStatus(QStringLiteral("[Moving files to the backup location]"));
    window.showStatusNow(QStringLiteral("Backup Successful"));
    EXPECT_EQ(window.lblStatus->toPlainText(), "Backup Successful");
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
