#include <QElapsedTimer>

#include <gtest/gtest.h>

#include "ftp/clsFtpTimeout.h"
#include "platform/EventLoop.h"

using ftp::clsFtpTimeout;

namespace
{

// Counts the watchdog's TimeOut events and when they came.
struct Ticks
{
    explicit Ticks(clsFtpTimeout& watchdog)
    {
        clock.start();
        QObject::connect(&watchdog, &clsFtpTimeout::TimeOut, [this] { at.append(clock.elapsed()); });
    }
    QElapsedTimer clock;
    QList<qint64> at;
};

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
    pump(2400);
    EXPECT_EQ(ticks.at.size(), 2);

    watchdog.StopTimer();
    pump(1300);
    EXPECT_EQ(ticks.at.size(), 2);

    // Started again after a stop, it runs as before.
    watchdog.StartTimer();
    pump(1300);
    EXPECT_EQ(ticks.at.size(), 3);
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
    for (int i = 0; i < 3; ++i) {
        pump(600);
        watchdog.Reset();
    }
    EXPECT_TRUE(ticks.at.isEmpty()) << "each reset restarts the period";
    pump(1300);
    EXPECT_EQ(ticks.at.size(), 1);
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
    first.reset();
    pump(1300);
    EXPECT_EQ(ticks.at.size(), 1);
    second.StopTimer();
    EXPECT_FALSE(second.isRunning());
}
