#include "main_window/RunQueue.h"

#include <QSet>

#include <gtest/gtest.h>

#include "core/ProgramState.h"
#include "core/RunLog.h"
#include "support/ProgramFolderTest.h"

using main_window::ListedSet;
using main_window::RunQueue;
using main_window::UnloadMode;

namespace
{
const QString Queuing = "=============QUEUING SCHEDULE %1================";
const QString Finished = "=============SCHEDULE FINISHED===============";

// The window as the queue sees it: a list, a run window that is open while `windowOpen`, and a run
// under way while `underWay`.
class FakeHost : public RunQueue::Host
{
public:
    QList<ListedSet> listedSets() const override { return sets; }
    void showQueued(const QString& setName) override
    {
        // The window blanks the row's time while the set waits.
        for (ListedSet& set : sets) {
            if (set.name == setName)
                set.nextRun.clear();
        }
    }
    bool runWindowOpen() const override { return windowOpen; }
    bool runUnderWay() const override { return underWay; }
    bool restoreUnderWay() const override { return restoring; }
    bool loadingSet() const override { return loading; }
    QString selectedSet() const override { return selected; }
    bool loadQueuedSet(const QString& setName) override
    {
        if (damaged.contains(setName))
            return false;
        selected = setName;
        return true;
    }
    void reloadListAt(const QString& setName) override { reloads << setName; }
    void openRunWindow() override
    {
        windowOpen = true;
        opened << selected;
    }
    void queuedRunEnded(const QString& setName) override { ended << setName; }
    bool confirmStopForExit() override
    {
        ++questions;
        return confirm;
    }
    void stopRun() override
    {
        ++stops;
        if (stopEndsRun)
            underWay = false;
    }
    void queueChanged() override { ++changes; }

    QList<ListedSet> sets;
    bool windowOpen = false;
    bool underWay = false;
    bool restoring = false;
    bool loading = false;
    QString selected;
    QSet<QString> damaged;
    QStringList reloads;
    QStringList opened;
    QStringList ended;
    bool confirm = true;
    bool stopEndsRun = false;
    int questions = 0;
    int stops = 0;
    int changes = 0;
};

// The schedule clock stands at noon on 10 December 2026 until a test moves it.
class RunQueueTest : public test::ProgramFolderTest
{
protected:
    void SetUp() override
    {
        ProgramFolderTest::SetUp();
        core::state().LoggingEnabled = true;
    }

    void tickAt(const QTime& time)
    {
        clock.set(QDateTime(QDate(2026, 12, 10), time));
        queue.queueDueSets();
    }

    // Pumps until the queue is empty, each run's window closing as soon as it has opened.
    void runAll()
    {
        for (int step = 0; step < 100 && queue.pumping(); ++step) {
            if (queue.startPending())
                queue.startTick();
            host.windowOpen = false;
            queue.pumpTick();
        }
        EXPECT_FALSE(queue.pumping());
    }

    QStringList logTexts() const
    {
        QStringList texts;
        for (const QString& line :
             QString::fromUtf8(test::readFile(core::RunLogPath())).split("\r\n", Qt::SkipEmptyParts))
            texts << line.mid(20);
        return texts;
    }
    int logged(const QString& text) const { return static_cast<int>(logTexts().count(text)); }

    FakeHost host;
    RunQueue queue {host};
};
} // namespace

TEST_F(RunQueueTest, ADueSetIsQueuedOnceAndAnUnreadableCellBlocksNoOther)
{
    host.sets = {{"Archive", "10/12/2026"}, {"Docs", "10/12/2026 13:00:00"}, {"Mail", "10/12/2026 14:00:00"}};
    tickAt(QTime(12, 59, 59));
    EXPECT_TRUE(queue.waiting().isEmpty());
    EXPECT_FALSE(queue.pumping());

    tickAt(QTime(13, 0, 10));
    EXPECT_EQ(queue.waiting(), QStringList {"Docs"});
    EXPECT_TRUE(queue.pumping());
    EXPECT_EQ(logged(Queuing.arg("Docs")), 1);
    // The rest of the minute, and the row showing its time again after a rebuild, queue nothing more.
    tickAt(QTime(13, 0, 40));
    host.sets[1].nextRun = "10/12/2026 13:00:00";
    tickAt(QTime(13, 0, 50));
    EXPECT_EQ(queue.waiting(), QStringList {"Docs"});
    EXPECT_EQ(logged(Queuing.arg("Docs")), 1);

    // The machine slept until half past three: Mail's missed minute runs once.
    tickAt(QTime(15, 30, 0));
    tickAt(QTime(15, 31, 0));
    EXPECT_EQ(queue.waiting(), (QStringList {"Docs", "Mail"}));
    EXPECT_EQ(logged(Queuing.arg("Mail")), 1);
    EXPECT_EQ(logged(Queuing.arg("Archive")), 0);
}

TEST_F(RunQueueTest, ASetThatWaitsIsNotQueuedAgain)
{
    host.sets = {{"Alpha", ""}, {"Beta", ""}};
    queue.queueRun("Alpha");
    queue.queueRun("Beta");
    queue.queueRun("Alpha");
    EXPECT_EQ(queue.waiting(), (QStringList {"Alpha", "Beta"}));

    // Beta's time comes while it waits: that run takes the due time too.
    host.sets[1].nextRun = "10/12/2026 13:05:00";
    tickAt(QTime(13, 4, 50));
    tickAt(QTime(13, 5, 10));
    EXPECT_EQ(queue.waiting(), (QStringList {"Alpha", "Beta"}));
    EXPECT_EQ(logged(Queuing.arg("Beta")), 0);

    runAll();
    EXPECT_EQ(host.opened, (QStringList {"Alpha", "Beta"}));
    tickAt(QTime(13, 5, 40));
    EXPECT_TRUE(queue.waiting().isEmpty());
}

TEST_F(RunQueueTest, ThePumpStartsOneSetAtATimeAndEndsEachRunOnceItsWindowHasGone)
{
    host.selected = "Alpha";
    queue.queueRun("Alpha");
    queue.queueRun("Beta");
    core::state().bStopBackup = true;
    core::state().bBackupFinished = true;

    queue.pumpTick();
    EXPECT_TRUE(queue.startPending());
    EXPECT_FALSE(core::state().bBackupFinished);
    queue.startTick();
    EXPECT_FALSE(queue.startPending());
    EXPECT_EQ(host.opened, QStringList {"Alpha"});
    EXPECT_EQ(queue.waiting(), QStringList {"Beta"});
    EXPECT_FALSE(core::state().bStopBackup);
    const QStringList texts = logTexts();
    EXPECT_EQ(
        texts.mid(texts.size() - 4),
        (QStringList {"=============================================", "=====Beginning Scheduled Event===============",
                      "=============================================", "Schedule Name: Alpha"}));

    // Finished but still on the screen: Beta waits until the window has gone.
    queue.pumpTick();
    EXPECT_FALSE(queue.startPending());
    EXPECT_TRUE(host.ended.isEmpty());
    host.windowOpen = false;
    queue.pumpTick();
    EXPECT_EQ(host.ended, QStringList {"Alpha"});
    EXPECT_EQ(logged(Finished), 1);
    EXPECT_TRUE(queue.startPending());

    runAll();
    EXPECT_EQ(host.opened, (QStringList {"Alpha", "Beta"}));
    EXPECT_EQ(host.ended, (QStringList {"Alpha", "Beta"}));
    EXPECT_EQ(logged(Finished), 2);
}

TEST_F(RunQueueTest, NothingStartsWhileAWindowARestoreOrALoadIsUnderWay)
{
    const struct
    {
        const char* what;
        bool FakeHost::*blocker;
    } cases[] = {
        {"run window", &FakeHost::windowOpen},
        {"restore", &FakeHost::restoring},
        {"set load", &FakeHost::loading},
    };
    for (const auto& c : cases) {
        FakeHost host;
        RunQueue queue(host);
        queue.queueRun("Alpha");
        host.*c.blocker = true;
        queue.pumpTick();
        EXPECT_FALSE(queue.startPending()) << c.what;
        // A start asked for before the blocker came waits for the pump's next tick.
        host.*c.blocker = false;
        queue.pumpTick();
        ASSERT_TRUE(queue.startPending()) << c.what;
        host.*c.blocker = true;
        queue.startTick();
        EXPECT_TRUE(host.opened.isEmpty()) << c.what;
        EXPECT_EQ(queue.waiting(), QStringList {"Alpha"}) << c.what;

        host.*c.blocker = false;
        queue.pumpTick();
        queue.startTick();
        EXPECT_EQ(host.opened, QStringList {"Alpha"}) << c.what;
    }
}

TEST_F(RunQueueTest, ASetThatCannotBeLoadedIsSkippedAndTheListGoesBackToTheSelectedSet)
{
    host.selected = "Alpha";
    host.damaged = {"Beta"};
    queue.queueRun("Beta");
    queue.queueRun("Gamma");

    queue.pumpTick();
    queue.startTick();
    EXPECT_TRUE(host.opened.isEmpty());
    EXPECT_EQ(host.reloads, QStringList {"Alpha"});
    EXPECT_EQ(logged("E: The backup set Beta cannot be loaded; it is skipped."), 1);
    EXPECT_EQ(logged(Finished), 1);
    EXPECT_TRUE(host.ended.isEmpty());

    runAll();
    EXPECT_EQ(host.opened, QStringList {"Gamma"});
    EXPECT_EQ(logged(Finished), 2);
}

TEST_F(RunQueueTest, AWaitingOrRunningSetIsBusy)
{
    queue.queueRun("Alpha");
    EXPECT_TRUE(queue.setIsBusy("Alpha"));
    EXPECT_FALSE(queue.setIsBusy("Beta"));

    queue.pumpTick();
    queue.startTick();
    EXPECT_TRUE(host.windowOpen);
    EXPECT_TRUE(queue.setIsBusy("Alpha"));
    host.windowOpen = false;
    EXPECT_FALSE(queue.setIsBusy("Alpha"));

    // A manual run protects its set the same way.
    queue.runOpened("Beta");
    host.windowOpen = true;
    EXPECT_TRUE(queue.setIsBusy("Beta"));
    EXPECT_FALSE(queue.setIsBusy("Alpha"));
}

TEST_F(RunQueueTest, AnExitAsksBeforeItStopsARun)
{
    const struct
    {
        const char* what;
        bool underWay;
        UnloadMode mode;
        bool confirmedBefore;
        bool answer;
        int questions;
        bool goesOn;
    } cases[] = {
        {"no run", false, UnloadMode::Code, false, false, 0, true},
        {"refused", true, UnloadMode::Code, false, false, 1, false},
        {"accepted", true, UnloadMode::Code, false, true, 1, true},
        {"confirmed before", true, UnloadMode::CloseBox, true, false, 0, true},
        {"session end", true, UnloadMode::SessionEnd, false, false, 0, true},
        {"task manager", true, UnloadMode::TaskManager, false, false, 0, true},
    };
    for (const auto& c : cases) {
        FakeHost host;
        RunQueue queue(host);
        host.underWay = c.underWay;
        host.confirm = c.answer;
        host.stopEndsRun = true;
        if (c.confirmedBefore)
            queue.confirmExit();
        EXPECT_EQ(queue.stopRunBeforeExit(c.mode), c.goesOn) << c.what;
        EXPECT_EQ(host.questions, c.questions) << c.what;
        EXPECT_EQ(host.stops, c.underWay && c.goesOn ? 1 : 0) << c.what;
        // A refused exit leaves the clock running.
        EXPECT_EQ(queue.clockRunning(), !(c.underWay && c.goesOn)) << c.what;
    }
}

TEST_F(RunQueueTest, AnExitWaitsForTheRunItStoppedAndStartsNothingMeanwhile)
{
    host.sets = {{"Docs", "10/12/2026 13:00:00"}};
    host.underWay = true;
    host.windowOpen = true;
    queue.queueRun("Mail");

    EXPECT_FALSE(queue.stopRunBeforeExit(UnloadMode::Code));
    EXPECT_EQ(host.stops, 1);
    EXPECT_TRUE(queue.exitWaiting());
    EXPECT_FALSE(queue.clockRunning());
    EXPECT_FALSE(queue.pumping());
    EXPECT_EQ(logged("The program is asked to end: the running backup is stopped first."), 1);
    // A second request neither asks nor stops again; the clock and the pump start nothing.
    EXPECT_FALSE(queue.stopRunBeforeExit(UnloadMode::Code));
    EXPECT_EQ(host.questions, 1);
    EXPECT_EQ(host.stops, 1);
    tickAt(QTime(13, 0, 10));
    host.windowOpen = false;
    queue.pumpTick();
    queue.startTick();
    EXPECT_EQ(queue.waiting(), QStringList {"Mail"});
    EXPECT_TRUE(host.opened.isEmpty());

    EXPECT_EQ(queue.exitWaitTick(), std::nullopt);
    host.underWay = false;
    EXPECT_EQ(queue.exitWaitTick(), UnloadMode::Code);
    EXPECT_FALSE(queue.exitWaiting());

    // The close turned out to be no exit: the clock and the pump go on, and ask no more.
    queue.resumeAfterExit();
    EXPECT_TRUE(queue.clockRunning());
    EXPECT_TRUE(queue.pumping());
    tickAt(QTime(13, 0, 20));
    EXPECT_EQ(queue.waiting(), (QStringList {"Mail", "Docs"}));
    host.underWay = true;
    EXPECT_FALSE(queue.stopRunBeforeExit(UnloadMode::Code));
    EXPECT_EQ(host.questions, 1);
}

TEST_F(RunQueueTest, ARunThatDoesNotStopLetsTheExitGoOnAfterItsTime)
{
    host.underWay = true;
    ASSERT_FALSE(queue.stopRunBeforeExit(UnloadMode::TaskManager));
    for (int tick = 1; tick < RunQueue::ExitWaitLimitTicks; ++tick)
        ASSERT_EQ(queue.exitWaitTick(), std::nullopt) << tick;
    EXPECT_EQ(queue.exitWaitTick(), UnloadMode::TaskManager);
    EXPECT_EQ(logged("E: The running backup did not stop in time; the program ends anyway."), 1);
}

TEST_F(RunQueueTest, NothingStartsOnceTheWindowHasUnloaded)
{
    host.sets = {{"Docs", "10/12/2026 13:00:00"}};
    queue.queueRun("Alpha");
    queue.pumpTick();
    queue.shutDown();
    EXPECT_FALSE(queue.clockRunning());
    EXPECT_FALSE(queue.pumping());
    EXPECT_FALSE(queue.startPending());
    queue.startTick();
    tickAt(QTime(13, 0, 10));
    EXPECT_TRUE(host.opened.isEmpty());
    EXPECT_EQ(queue.waiting(), QStringList {"Alpha"});
}
