#include "core/TimestampFormat.h"

#include <QLocale>

#include <gtest/gtest.h>

#include "platform/Clock.h"
#include "support/Fakes.h"

namespace
{
core::BackupSetInfo stampedSet(int accuracy, const QString& pattern)
{
    core::BackupSetInfo set;
    set.ItemName = "Docs";
    set.UseTimeStamp = true;
    set.Accurancy = accuracy;
    set.TimeStampFormat = pattern;
    return set;
}

TEST(TimestampFolder, NamesTheFolderForEveryOfferedPattern)
{
    test::FakeClock clock(QDateTime(QDate(2026, 12, 8), QTime(14, 5, 9)));
    platform::setClock(&clock);
    struct Case
    {
        int accuracy;
        QString pattern;
        QString expected;
    };
    const Case cases[] = {
        {0, "-yyyy_mm-", "-2026_12- Docs"},
        {0, "yyyy mmmm", "2026 December Docs"},
        {0, "mmmm yyyy", "December 2026 Docs"},
        {1, "-yyyy_mm_dd-", "-2026_12_08- Docs"},
        {1, "yyyy mmmm dd", "2026 December 08 Docs"},
        {1, "dd mmmm yyyy", "08 December 2026 Docs"},
        {1, "mmmm dd, yyyy", "December 08, 2026 Docs"},
        {2, "-yyyy_mm_dd-#-hh-", "-2026_12_08--14- Docs"},
        {3, "-yyyy_mm_dd-#-hh_mm-", "-2026_12_08--14_05- Docs"},
        {3, "yyyy mmmm dd# (hh.mm)", "2026 December 08 (14.05) Docs"},
        {3, "dd mmmm yyyy# (hh.mm)", "08 December 2026 (14.05) Docs"},
        {3, "mmmm dd, yyyy# (hh.mm)", "December 08, 2026 (14.05) Docs"},
        // A pattern without its time part, and accuracies the options never store.
        {2, "-yyyy_mm-", "-2026_12- Docs"},
        {4, "-yyyy_mm_dd-", ""},
        {-1, "-yyyy_mm_dd-", ""},
        // Nested folders are allowed; only a climb out of the destination is not.
        {0, "yyyy/mm", "2026/12 Docs"},
    };
    for (const Case& c : cases) {
        const std::optional<QString> name
            = core::timestampFolderName(stampedSet(c.accuracy, c.pattern), platform::clock().now());
        ASSERT_TRUE(name.has_value()) << qPrintable(c.pattern);
        EXPECT_EQ(*name, c.expected) << c.accuracy << " " << qPrintable(c.pattern);
    }

    clock.set(QDateTime(QDate(2027, 1, 1), QTime(0, 0)));
    EXPECT_EQ(core::timestampFolderName(stampedSet(3, "-yyyy_mm_dd-#-hh_mm-"), platform::clock().now()),
              "-2027_01_01--00_00- Docs");
    platform::setClock(nullptr);
}

TEST(TimestampFolder, MonthAndDayNamesComeFromTheLocale)
{
    const QDateTime when(QDate(2026, 12, 8), QTime(14, 5, 9));
    EXPECT_EQ(core::formatTimestamp(when, "ddd dddd, mmm d.m.yy h:n:s"), "Tue Tuesday, Dec 8.12.26 14:5:9");
    EXPECT_EQ(core::formatTimestamp(when, "hh:nn:ss hh-m"), "14:05:09 14-5");

    QLocale::setDefault(QLocale(QLocale::German, QLocale::Germany));
    EXPECT_EQ(core::timestampFolderName(stampedSet(3, "dd mmmm yyyy# (hh.mm)"), when), "08 Dezember 2026 (14.05) Docs");
}

TEST(TimestampFolder, RefusesANameThatLeavesTheDestination)
{
    QString reason;
    const std::optional<QString> name
        = core::timestampFolderName(stampedSet(0, "../../yyyy"), QDateTime(QDate(2026, 12, 8), QTime(14, 5)), &reason);
    EXPECT_FALSE(name.has_value());
    EXPECT_TRUE(reason.contains("../../2026 Docs"));
}
} // namespace

namespace
{
TEST(TimestampFolder, TheStampAloneIsTheFolderNameWithoutTheSetName)
{
    const QDateTime when(QDate(2024, 3, 5), QTime(8, 5, 30));
    EXPECT_EQ(core::timestampText(3, "mmmm dd, yyyy# (hh.mm)", when), "March 05, 2024 (08.05)");
    EXPECT_EQ(core::timestampText(2, "-yyyy_mm_dd-#-hh-", when), "-2024_03_05--08-");
    // Month and day stamps take the whole pattern; "#" is then an ordinary character.
    EXPECT_EQ(core::timestampText(1, "dd#mm", when), "05#03");
    EXPECT_EQ(core::timestampText(7, "dd", when), "");
}
} // namespace

namespace
{
TEST(TimestampFolder, TellsTheFolderNamesOfItsOwnRunsFromOthers)
{
    const QDateTime moments[] = {QDateTime(QDate(2026, 12, 8), QTime(14, 5)), QDateTime(QDate(2027, 1, 1), QTime(0, 0)),
                                 QDateTime(QDate(2024, 5, 19), QTime(9, 30))};
    for (const auto& [accuracy, pattern] :
         std::initializer_list<std::pair<int, QString>> {{0, "-yyyy_mm-"},
                                                         {1, "dd mmmm yyyy"},
                                                         {3, "mmmm dd, yyyy# (hh.mm)"},
                                                         {2, "ddd d.m.yy#-h-"},
                                                         {3, "yyyy/mm/dd# hh.mm"}}) {
        SCOPED_TRACE(pattern.toStdString());
        const core::BackupSetInfo set = stampedSet(accuracy, pattern);
        for (const QDateTime& when : moments) {
            const QString name = *core::timestampFolderName(set, when);
            // Deliveries to servers write the stamp without its slashes.
            const QString flat = QString(name).remove('/');
            if (!name.contains('/'))
                EXPECT_TRUE(core::isTimestampFolderName(name, set)) << name.toStdString();
            EXPECT_TRUE(core::isTimestampFolderName(flat, set, true)) << flat.toStdString();
        }
    }

    const core::BackupSetInfo set = stampedSet(3, "mmmm dd, yyyy# (hh.mm)");
    for (const QString& other : {QString("December 08, 2026 (14.05) Docs old"),
                                 QString("December 08, 2026 (14.05) My Docs"), QString("Holiday photos Docs"),
                                 QString("December 08, 2026 (14.5) Docs"), QString("Docember 08, 2026 (14.05) Docs"),
                                 QString("December 08, 2026 (14.05)Docs"), QString(" Docs"), QString("Docs")}) {
        EXPECT_FALSE(core::isTimestampFolderName(other, set)) << other.toStdString();
    }
    EXPECT_FALSE(core::isTimestampFolderName("December 08, 2026 (14.05) Docs", stampedSet(1, "dd mmmm yyyy")));
}
} // namespace
