#include <QElapsedTimer>

#include <gtest/gtest.h>

#include "ftp/clsFtpTimeout.h"
#include "platform/EventLoop.h"
#include "support/Waits.h"

using ftp::clsFtpTimeout;

namespace
{

// A coarse timer may fire up to 5 % before its one-second period, and this clock reads its instants a
// little apart from the timer's: only a tick much sooner than a period is early.
constexpr qint64 EarliestTickMs = 900;

// The watchdog's TimeOut events and the starts and resets that armed it, on one clock. A busy machine
// may deliver a tick late, never early: every tick comes a period after the latest arming or tick.
struct Ticks
{
    explicit Ticks(clsFtpTimeout& watchdog)
    {
        clock.start();
        QObject::connect(&watchdog, &clsFtpTimeout::TimeOut, [this] {
            at.append(clock.elapsed());
            periodKept = periodKept && clock.elapsed() - lastArmedOrTick >= EarliestTickMs;
            lastArmedOrTick = clock.elapsed();
        });
    }
    // Call right after StartTimer or Reset.
    void armed() { lastArmedOrTick = clock.elapsed(); }
    bool waitFor(qsizetype count)
    {
        return platform::waitWhile([this, count] { return at.size() < count; }, test::EventLimitMs);
    }

    QElapsedTimer clock;
    QList<qint64> at;
    qint64 lastArmedOrTick = 0;
    bool periodKept = true;
};

// Lets time pass, to show that nothing happens meanwhile.
void pump(int ms)
{
    platform::waitWhile([] { return true; }, ms);
}

} // namespace

TEST(clsFtpTimeoutTest, ARunningWatchdogFiresEveryPeriodUntilStopped)
{
    clsFtpTimeout watchdog;
    watchdog.setTimeOutValue(1);
    Ticks ticks(watchdog);
    watchdog.StartTimer();
    ticks.armed();
    ASSERT_TRUE(ticks.waitFor(2));
    EXPECT_TRUE(ticks.periodKept) << ticks.at.first() << ", " << ticks.at.last();

    watchdog.StopTimer();
    pump(1300);
    EXPECT_EQ(ticks.at.size(), 2);

    // Started again after a stop, it runs as before.
    watchdog.StartTimer();
    ticks.armed();
    ASSERT_TRUE(ticks.waitFor(3));
    EXPECT_TRUE(ticks.periodKept);
}

TEST(clsFtpTimeoutTest, ResetRestartsThePeriodOnlyOnceTheWatchdogWasStarted)
{
    clsFtpTimeout watchdog;
    watchdog.setTimeOutValue(1);
    Ticks ticks(watchdog);
    watchdog.Reset();
    pump(1300);
    EXPECT_TRUE(ticks.at.isEmpty()) << "Reset before the first start starts nothing";

    watchdog.StartTimer();
    ticks.armed();
    for (int i = 0; i < 3; ++i) {
        pump(600);
        watchdog.Reset();
        ticks.armed();
    }
    ASSERT_TRUE(ticks.waitFor(1));
    EXPECT_TRUE(ticks.periodKept) << "each reset restarts the period";
}

TEST(clsFtpTimeoutTest, APeriodBelowOneSecondNeverFires)
{
    clsFtpTimeout watchdog;
    Ticks ticks(watchdog);
    watchdog.StartTimer();
    watchdog.Reset();
    EXPECT_FALSE(watchdog.isRunning());

    watchdog.setTimeOutValue(1);
    watchdog.StartTimer();
    watchdog.setTimeOutValue(0);
    watchdog.StartTimer();
    watchdog.Reset();
    pump(300);
    EXPECT_TRUE(ticks.at.isEmpty());
}

TEST(clsFtpTimeoutTest, AWatchdogKeepsRunningWhenAnotherEnds)
{
    auto first = std::make_unique<clsFtpTimeout>();
    clsFtpTimeout second;
    first->setTimeOutValue(1);
    second.setTimeOutValue(1);
    Ticks ticks(second);
    first->StartTimer();
    second.StartTimer();
    ticks.armed();
    first.reset();
    ASSERT_TRUE(ticks.waitFor(1));
    EXPECT_TRUE(ticks.periodKept);
    second.StopTimer();
    EXPECT_FALSE(second.isRunning());
}
