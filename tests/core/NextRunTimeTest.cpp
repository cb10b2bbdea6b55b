#include "core/NextRunTime.h"

#include <gtest/gtest.h>

#include "core/ErrorReport.h"

using core::CalculateDate;

namespace
{
// A SCHEDULER section as the editors write it.
QString schedule(const QString& startDate, const QString& startTime, bool repeat, int accuracy,
                 const QString& period = QString())
{
    return QStringLiteral("StartDate=%1\r\nStartTime=%2\r\nRepeat=%3\r\nSAccurancy=%4\r\nPeriod=%5\r\n"
                          "RunOnStart=0\r\nRunOnEnd=0")
        .arg(startDate, startTime, repeat ? QStringLiteral("-1") : QStringLiteral("0"))
        .arg(accuracy)
        .arg(period);
}

QDateTime at(int year, int month, int day, int hour, int minute, int second = 0)
{
    return QDateTime(QDate(year, month, day), QTime(hour, minute, second));
}

struct Case
{
    const char* what;
    QDateTime now;
    QString section;
    QString expected;
};

// Friday 20 November 2026, 11:30: today's start minute (10:00) has passed.
const QDateTime friday = at(2026, 11, 20, 11, 30);
const QString longAgo = QStringLiteral("01/01/2026");

TEST(CalculateDateTest, GivesTheNextRunOfEachKindOfSchedule)
{
    const Case cases[] = {
        // The first run, while it is ahead, whatever the repetition.
        {"start tomorrow", friday, schedule("21/11/2026", "09:00:00", false, 0), "21/11/2026 09:00:00"},
        {"start tomorrow, weekly", friday, schedule("21/11/2026", "09:00:00", true, 1, "mon"), "21/11/2026 09:00:00"},
        {"start later today", friday, schedule("20/11/2026", "11:31:00", false, 0), "20/11/2026 11:31:00"},
        {"start passed today, no repeat", friday, schedule("20/11/2026", "10:00:00", false, 0), ""},
        {"start long ago, no repeat", friday, schedule(longAgo, "10:00:00", false, 0), ""},
        // Daily.
        {"daily, passed today", friday, schedule(longAgo, "10:00:00", true, 0), "21/11/2026 10:00:00"},
        {"daily, still ahead today", friday, schedule(longAgo, "12:00:00", true, 0), "20/11/2026 12:00:00"},
        {"daily, in the start minute", at(2026, 11, 20, 10, 0, 30), schedule(longAgo, "10:00:00", true, 0),
         "21/11/2026 10:00:00"},
        {"daily, seconds do not count", at(2026, 11, 20, 10, 0, 10), schedule(longAgo, "10:00:59", true, 0),
         "21/11/2026 10:00:59"},
        {"daily, the next minute is ahead", at(2026, 11, 20, 10, 0, 59), schedule(longAgo, "10:01:00", true, 0),
         "20/11/2026 10:01:00"},
        // Weekly.
        {"weekly mon,wed", friday, schedule(longAgo, "10:00:00", true, 1, "mon,wed"), "23/11/2026 10:00:00"},
        {"weekly fri,sat", friday, schedule(longAgo, "10:00:00", true, 1, "fri,sat"), "21/11/2026 10:00:00"},
        {"weekly fri only", friday, schedule(longAgo, "10:00:00", true, 1, "fri"), "27/11/2026 10:00:00"},
        {"weekly today listed last, still ahead", friday, schedule(longAgo, "12:00:00", true, 1, "mon,tue,fri"),
         "20/11/2026 12:00:00"},
        {"weekly sun", friday, schedule(longAgo, "10:00:00", true, 1, "sun"), "22/11/2026 10:00:00"},
        {"weekly day numbers", friday, schedule(longAgo, "10:00:00", true, 1, "1,3"), "23/11/2026 10:00:00"},
        {"weekly keys trimmed, any case", friday, schedule(longAgo, "10:00:00", true, 1, " Mon , WED "),
         "23/11/2026 10:00:00"},
        {"weekly junk ignored", friday, schedule(longAgo, "10:00:00", true, 1, "monday,x,9,,wed"),
         "25/11/2026 10:00:00"},
        {"weekly empty period", friday, schedule(longAgo, "10:00:00", true, 1, ""), ""},
        {"weekly only junk", friday, schedule(longAgo, "10:00:00", true, 1, "foo,0"), ""},
        // Monthly.
        {"monthly 5,25", friday, schedule(longAgo, "10:00:00", true, 2, "5,25"), "25/11/2026 10:00:00"},
        {"monthly 25,28", friday, schedule(longAgo, "10:00:00", true, 2, "25,28"), "25/11/2026 10:00:00"},
        {"monthly 5,20", friday, schedule(longAgo, "10:00:00", true, 2, "5,20"), "05/12/2026 10:00:00"},
        {"monthly today still ahead", friday, schedule(longAgo, "12:00:00", true, 2, "5,20"), "20/11/2026 12:00:00"},
        {"monthly entries trimmed", friday, schedule(longAgo, "10:00:00", true, 2, " 28 , 3"), "28/11/2026 10:00:00"},
        {"monthly empty period", friday, schedule(longAgo, "10:00:00", true, 2, ""), ""},
        // Month ends: only listed days, never a day the month lacks.
        {"monthly 31 in a 30-day month", friday, schedule(longAgo, "10:00:00", true, 2, "31"), "31/12/2026 10:00:00"},
        {"monthly 31 on the 31st", at(2027, 1, 31, 11, 0), schedule(longAgo, "10:00:00", true, 2, "31"),
         "31/03/2027 10:00:00"},
        {"monthly 30 on 31 January", at(2027, 1, 31, 11, 0), schedule(longAgo, "10:00:00", true, 2, "30"),
         "30/03/2027 10:00:00"},
        {"monthly 1 on 31 January", at(2027, 1, 31, 11, 0), schedule(longAgo, "10:00:00", true, 2, "1"),
         "01/02/2027 10:00:00"},
        {"monthly 1,31 on 30 November", at(2026, 11, 30, 11, 0), schedule(longAgo, "10:00:00", true, 2, "1,31"),
         "01/12/2026 10:00:00"},
        {"monthly 1,31 on 1 December", at(2026, 12, 1, 11, 0), schedule(longAgo, "10:00:00", true, 2, "1,31"),
         "31/12/2026 10:00:00"},
        {"monthly 29 in a leap February", at(2028, 2, 20, 11, 0), schedule(longAgo, "10:00:00", true, 2, "29"),
         "29/02/2028 10:00:00"},
        {"monthly 29 in a common February", at(2027, 2, 20, 11, 0), schedule(longAgo, "10:00:00", true, 2, "29"),
         "29/03/2027 10:00:00"},
        {"monthly 12 at the year's end", at(2026, 12, 20, 11, 0), schedule(longAgo, "10:00:00", true, 2, "12"),
         "12/01/2027 10:00:00"},
        // Other values.
        {"unknown accuracy", friday, schedule(longAgo, "10:00:00", true, 3, "5"), ""},
        {"unreadable accuracy counts as daily", friday,
         QStringLiteral("StartDate=01/01/2026\r\nStartTime=10:00:00\r\nRepeat=-1\r\nSAccurancy=x"),
         "21/11/2026 10:00:00"},
        {"unreadable repeat counts as false", friday,
         QStringLiteral("StartDate=01/01/2026\r\nStartTime=10:00:00\r\nRepeat=maybe\r\nSAccurancy=0"), ""},
        {"repeat as True", friday,
         QStringLiteral("StartDate=01/01/2026\r\nStartTime=10:00:00\r\nRepeat=True\r\nSAccurancy=0"),
         "21/11/2026 10:00:00"},
        {"stored forms are rewritten", friday, schedule("21/11/26", "9:05", false, 0), "21/11/2026 09:05:00"},
    };
    for (const Case& c : cases)
        EXPECT_EQ(CalculateDate(c.section, c.now), c.expected) << c.what;
}

TEST(CalculateDateTest, AnUnreadableStartGivesNoRunAndAReport)
{
    const struct
    {
        const char* date;
        const char* time;
    } cases[] = {{"", "10:00:00"},   {"someday", "10:00:00"},    {"31/02/2026", "10:00:00"},
                 {"01/01/2026", ""}, {"01/01/2026", "25:00:00"}, {"01/01/2026", "09/12/2026 12:00:00"}};
    for (const auto& c : cases) {
        core::resetErrors();
        EXPECT_EQ(CalculateDate(schedule(c.date, c.time, true, 0), friday), QString()) << c.date << " " << c.time;
        EXPECT_EQ(core::Err().Number, core::err::TypeMismatch) << c.date << " " << c.time;
        EXPECT_TRUE(core::Err().Description.contains("frmMain.CalculateDate")) << qPrintable(core::Err().Description);
    }
}

TEST(CalculateDateTest, TheResultSplitsAtItsBlankIntoDateAndTime)
{
    // The schedule clock reads the cell as date, blank, time; a stored time with a blank of its own
    // must not break that.
    const QString next = CalculateDate(schedule(longAgo, "1:15:00 PM", true, 0), friday);
    EXPECT_EQ(next, "20/11/2026 13:15:00");
    EXPECT_EQ(next.count(' '), 1);
}

} // namespace
