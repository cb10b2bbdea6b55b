#include "platform/EventLoop.h"

#include <QTimer>

#include <gtest/gtest.h>

TEST(EventLoop, WaitWhileEndsWhenTheConditionClears)
{
    bool busy = true;
    QTimer::singleShot(20, [&] { busy = false; });
    EXPECT_TRUE(platform::waitWhile([&] { return busy; }, 5000));
    EXPECT_FALSE(busy);
}

TEST(EventLoop, WaitWhileGivesUpAtItsLimit)
{
    EXPECT_FALSE(platform::waitWhile([] { return true; }, 30));
    EXPECT_TRUE(platform::waitWhile([] { return false; }, 0));
}

TEST(EventLoop, DoEventsDeliversPendingEvents)
{
    bool fired = false;
    QTimer::singleShot(0, [&] { fired = true; });
    platform::doEvents();
    EXPECT_TRUE(fired);
}
