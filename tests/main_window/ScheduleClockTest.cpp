#include <QTimeZone>

#include <gtest/gtest.h>

#include "main_window/ScheduleClock.h"

using main_window::ScheduleClock;

namespace
{
QDateTime at(int day, int hour, int minute, int second = 0)
{
    return QDateTime(QDate(2026, 12, day), QTime(hour, minute, second));
}
} // namespace

TEST(ScheduleClock, ACellIsDueFromItsMinuteOn)
{
    const struct
    {
        const char* cell;
        QDateTime now;
        bool due;
    } cases[] = {
        {"10/12/2026 14:05:00", at(10, 14, 5, 0), true},
        {"10/12/2026 14:05:00", at(10, 14, 5, 59), true},
        // The minute counts, not the second.
        {"10/12/2026 14:05:30", at(10, 14, 5, 10), true},
        {"10/12/2026 14:05:00", at(10, 14, 4, 59), false},
        {"11/12/2026 14:05:00", at(10, 14, 5, 0), false},
        // Passed while no clock looked: the machine slept, or a long step held the clock.
        {"10/12/2026 14:05:00", at(10, 16, 30, 0), true},
        {"09/12/2026 14:05:00", at(10, 8, 0, 0), true},
        {"", at(10, 14, 5, 0), false},
        {"10/12/2026", at(10, 14, 5, 0), false},
        {"soon 14:05:00", at(10, 14, 5, 0), false},
        {"10/12/2026 late", at(10, 14, 5, 0), false},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(testing::Message() << '"' << c.cell << "\" at " << c.now.toString(Qt::ISODate).toStdString());
        ScheduleClock clock;
        EXPECT_EQ(clock.takeDue("Docs", c.cell, c.now), c.due);
    }
}

TEST(ScheduleClock, EachDueTimeIsDueOnce)
{
    ScheduleClock clock;
    const QString cell = "10/12/2026 14:05:00";
    EXPECT_TRUE(clock.takeDue("Docs", cell, at(10, 14, 5, 0)));
    // Both clocks, and every later tick, may still see the cell before it is emptied.
    EXPECT_FALSE(clock.takeDue("Docs", cell, at(10, 14, 5, 0)));
    EXPECT_FALSE(clock.takeDue("Docs", cell, at(10, 14, 5, 30)));
    EXPECT_FALSE(clock.takeDue("Docs", cell, at(10, 18, 0, 0)));
    // Another set with the same time has its own due time.
    EXPECT_TRUE(clock.takeDue("Mail", cell, at(10, 14, 5, 30)));
    // The next occurrence is due in its turn.
    EXPECT_FALSE(clock.takeDue("Docs", "11/12/2026 14:05:00", at(10, 18, 0, 0)));
    EXPECT_TRUE(clock.takeDue("Docs", "11/12/2026 14:05:00", at(11, 14, 5, 0)));
}

TEST(ScheduleClock, ATimeSeenBeforeTheCellWasRewrittenStillRuns)
{
    // The list is rebuilt in the due minute before a clock saw it: the cell moves on to tomorrow.
    ScheduleClock clock;
    EXPECT_FALSE(clock.takeDue("Docs", "10/12/2026 14:05:00", at(10, 14, 4, 59)));
    EXPECT_TRUE(clock.takeDue("Docs", "11/12/2026 14:05:00", at(10, 14, 5, 1)));
    EXPECT_FALSE(clock.takeDue("Docs", "11/12/2026 14:05:00", at(10, 14, 5, 30)));

    // A schedule moved or switched off before its time never runs at the old time.
    ScheduleClock moved;
    EXPECT_FALSE(moved.takeDue("Docs", "10/12/2026 14:05:00", at(10, 12, 0)));
    EXPECT_FALSE(moved.takeDue("Docs", "10/12/2026 16:00:00", at(10, 12, 1)));
    EXPECT_FALSE(moved.takeDue("Docs", "10/12/2026 16:00:00", at(10, 14, 5)));
    EXPECT_FALSE(moved.takeDue("Docs", "", at(10, 15, 0)));
    EXPECT_FALSE(moved.takeDue("Docs", "", at(10, 16, 0)));

    // A set no longer listed takes nothing it was seen with into a new set of its name.
    ScheduleClock listed;
    EXPECT_FALSE(listed.takeDue("Docs", "10/12/2026 14:05:00", at(10, 14, 4)));
    listed.keepOnly({"Mail"});
    EXPECT_FALSE(listed.takeDue("Docs", "11/12/2026 09:00:00", at(10, 14, 6)));
}

TEST(ScheduleClock, DaylightSavingJumpsNeitherSkipNorRepeat)
{
    const QTimeZone london("Europe/London");
    ASSERT_TRUE(london.isValid());
    // 29 March 2026: the clock goes from 01:00 straight to 02:00, so 01:30 never shows.
    ScheduleClock spring;
    const QString skipped = "29/03/2026 01:30:00";
    const QDateTime before(QDate(2026, 3, 29), QTime(0, 59, 30), london);
    EXPECT_FALSE(spring.takeDue("Docs", skipped, before));
    EXPECT_TRUE(spring.takeDue("Docs", skipped, before.addSecs(60)));
    EXPECT_EQ(before.addSecs(60).time(), QTime(2, 0, 30));

    // 25 October 2026: 01:00 to 02:00 comes twice; the set runs at the first 01:30 only.
    ScheduleClock autumn;
    const QString repeated = "25/10/2026 01:30:00";
    const QDateTime first = QDateTime(QDate(2026, 10, 25), QTime(0, 30, 0), Qt::UTC).toTimeZone(london);
    ASSERT_EQ(first.time(), QTime(1, 30, 0));
    EXPECT_TRUE(autumn.takeDue("Docs", repeated, first));
    const QDateTime second = first.addSecs(3600);
    ASSERT_EQ(second.time(), QTime(1, 30, 0));
    EXPECT_FALSE(autumn.takeDue("Docs", repeated, second));
}
