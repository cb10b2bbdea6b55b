#include "platform/DateText.h"

#include <QLocale>

#include <gtest/gtest.h>

#include "support/ScopedEnv.h"

using platform::DateText;

namespace
{
struct LocaleCase
{
    const char* locale;
    const char* shortDate;
};

void PrintTo(const LocaleCase& c, std::ostream* os)
{
    *os << c.locale;
}

class DateTextLocale : public ::testing::TestWithParam<LocaleCase>
{
};

TEST_P(DateTextLocale, ShortDateIsNumericWithFourDigitYearAndReadsBack)
{
    QLocale::setDefault(QLocale(QString::fromLatin1(GetParam().locale)));
    const QDate date(2026, 12, 10);
    const QString text = DateText::shortDate(date);
    EXPECT_EQ(text, QString::fromLatin1(GetParam().shortDate));
    EXPECT_FALSE(text.contains(QLatin1Char(' ')));
    EXPECT_EQ(DateText::parseDate(text), date);

    const QDateTime stamp(QDate(2026, 3, 4), QTime(5, 6, 7));
    EXPECT_EQ(DateText::parseGeneralDate(DateText::generalDate(stamp)), stamp);
}

INSTANTIATE_TEST_SUITE_P(Locales, DateTextLocale,
                         ::testing::Values(LocaleCase{"en_GB", "10/12/2026"}, LocaleCase{"en_US", "12/10/2026"},
                                           LocaleCase{"de_DE", "10.12.2026"}),
                         [](const auto& info) { return std::string(info.param.locale); });
} // namespace

TEST(DateText, LongTimeAndGeneralDate)
{
    EXPECT_EQ(DateText::longTime(QTime(9, 5, 3)), "09:05:03");
    EXPECT_EQ(DateText::generalDate(QDateTime(QDate(2026, 12, 10), QTime(14, 30, 0))), "10/12/2026 14:30:00");
    // The date alone at exactly midnight.
    EXPECT_EQ(DateText::generalDate(QDateTime(QDate(2026, 12, 10), QTime(0, 0, 0))), "10/12/2026");
}

TEST(DateText, ParsesTolerantly)
{
    struct Case
    {
        const char* text;
        QDate expected;
    };
    const Case cases[] = {
        {"10/12/26", QDate(2026, 12, 10)},   // two-digit year
        {"1/2/99", QDate(1999, 2, 1)},       // two-digit year of the last century
        {"2026-12-10", QDate(2026, 12, 10)}, // year first
        {"12/31/2026", QDate(2026, 12, 31)}, // month first when the locale order cannot hold
        {" 10.12.2026 ", QDate(2026, 12, 10)},
    };
    for (const Case& c : cases)
        EXPECT_EQ(DateText::parseDate(QString::fromLatin1(c.text)), c.expected) << c.text;

    for (const char* bad : {"", "31/31/2026", "10/12", "abc", "1/2/3/4"})
        EXPECT_FALSE(DateText::parseDate(QString::fromLatin1(bad))) << bad;

    EXPECT_EQ(DateText::parseTime("7:05"), QTime(7, 5));
    EXPECT_EQ(DateText::parseTime("12:00:01 AM"), QTime(0, 0, 1));
    EXPECT_EQ(DateText::parseTime("1:15:00 pm"), QTime(13, 15));
    EXPECT_FALSE(DateText::parseTime("25:00:00"));
    EXPECT_FALSE(DateText::parseTime("noon"));
}

TEST(DateValue, CountsDaysSinceEndOf1899)
{
    EXPECT_DOUBLE_EQ(platform::toDateValue(QDateTime(QDate(2000, 1, 1), QTime(0, 0))), 36526.0);
    EXPECT_DOUBLE_EQ(platform::toDateValue(QDateTime(QDate(1899, 12, 30), QTime(18, 0))), 0.75);
    EXPECT_DOUBLE_EQ(platform::toDateValue(QDateTime(QDate(1899, 12, 29), QTime(6, 0))), -1.25);
    EXPECT_DOUBLE_EQ(platform::toDateValue(QDate(1901, 1, 1)), 367.0);

    for (double value : {36526.0, 36526.5, -1.25, 46366.999988425923, 0.0})
        EXPECT_NEAR(platform::toDateValue(platform::fromDateValue(value)), value, 1e-8) << value;
}

TEST(DateValue, LocalValueOfAnInstantFollowsTheZoneAndItsSummerTime)
{
    {
        const test::ScopedEnv utc("TZ", "UTC");
        EXPECT_DOUBLE_EQ(platform::localDateValue(QDateTime(QDate(2026, 12, 1), QTime(10, 0), Qt::UTC)),
                         platform::toDateValue(QDateTime(QDate(2026, 12, 1), QTime(10, 0))));
    }
    // A change of zone while the program runs is seen at once.
    const test::ScopedEnv zone("TZ", "Europe/Berlin");
    const std::pair<QDateTime, QDateTime> cases[] = {
        {QDateTime(QDate(2026, 12, 1), QTime(10, 0), Qt::UTC), QDateTime(QDate(2026, 12, 1), QTime(11, 0))},
        {QDateTime(QDate(2026, 7, 1), QTime(10, 0, 0, 500), Qt::UTC),
         QDateTime(QDate(2026, 7, 1), QTime(12, 0, 0, 500))},
        {QDateTime(QDate(2026, 3, 29), QTime(1, 0), Qt::UTC), QDateTime(QDate(2026, 3, 29), QTime(3, 0))},
        {QDateTime(QDate(1960, 1, 1), QTime(0, 0), Qt::UTC), QDateTime(QDate(1960, 1, 1), QTime(1, 0))},
    };
    for (const auto& [instant, wall] : cases)
        EXPECT_DOUBLE_EQ(platform::localDateValue(instant), platform::toDateValue(wall))
            << qPrintable(instant.toString());
}
