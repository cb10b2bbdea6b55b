#include "engine/clsFileInfo.h"

#include <gtest/gtest.h>

using engine::clsFileInfo;

namespace
{
QString rowName(qsizetype i)
{
    return QStringLiteral("/data/f%1.txt").arg(i);
}

clsFileInfo tableOf(const QStringList& names)
{
    clsFileInfo table;
    double date = 1.0;
    for (const QString& name : names) {
        table.additem(name, date, date + 0.5);
        date += 1.0;
    }
    return table;
}
} // namespace

TEST(clsFileInfoTest, KeepsEveryRowAcrossGrowthAndPastTheOld16BitLimits)
{
    // The first growth, the old 32,736-row ceiling and the 16-bit counter's wrap points.
    for (const qsizetype count : {32, 33, 32736, 32737, 32768, 65537}) {
        SCOPED_TRACE(count);
        clsFileInfo table;
        for (qsizetype i = 0; i < count; ++i)
            table.additem(rowName(i), double(i), double(i) + 0.25);
        ASSERT_EQ(table.RowCount(), count);
        for (const qsizetype j : {qsizetype(0), qsizetype(31), qsizetype(32), count - 1}) {
            if (j >= count)
                continue;
            EXPECT_EQ(table.Filename(j), rowName(j));
            EXPECT_EQ(table.OldDate(j), double(j));
            EXPECT_EQ(table.NewDate(j), double(j) + 0.25);
            qsizetype n = -1;
            EXPECT_TRUE(table.Exists(rowName(j), n));
            EXPECT_EQ(n, j);
        }
    }
}

TEST(clsFileInfoTest, RemoveItemMovesLaterRowsDownAndFindsTheFirstOfEqualNames)
{
    clsFileInfo table = tableOf({"/a", "/b", "/c", "/d"});
    table.RemoveItem("/b");
    ASSERT_EQ(table.RowCount(), 3);
    qsizetype n = -1;
    EXPECT_TRUE(table.Exists("/c", n));
    EXPECT_EQ(n, 1);
    EXPECT_EQ(table.Filename(1), "/c");
    EXPECT_EQ(table.OldDate(1), 3.0);
    EXPECT_FALSE(table.Exists("/b", n));
    EXPECT_EQ(n, 3);

    table.RemoveItem("/missing");
    EXPECT_EQ(table.RowCount(), 3);

    // Equal names: the first row is found and removed, then the next one takes its place.
    clsFileInfo twice = tableOf({"/x", "/y", "/x"});
    EXPECT_TRUE(twice.Exists("/x", n));
    EXPECT_EQ(n, 0);
    twice.RemoveItem("/x");
    EXPECT_TRUE(twice.Exists("/x", n));
    EXPECT_EQ(n, 1);
    EXPECT_EQ(twice.OldDate(1), 3.0);
}

TEST(clsFileInfoTest, ExistsOfAMissingNameGivesRowCount)
{
    for (const QStringList& names : {QStringList {}, QStringList {"/a"}, QStringList {"/a", "/b", "/c"}}) {
        const clsFileInfo table = tableOf(names);
        qsizetype n = -1;
        EXPECT_FALSE(table.Exists("/z", n));
        EXPECT_EQ(n, table.RowCount());
    }
}

TEST(clsFileInfoTest, OutOfRangeRowsReadAsEmptyAndIgnoreWrites)
{
    clsFileInfo table = tableOf({"/a", "/b"});
    for (const qsizetype j : {qsizetype(-1), qsizetype(2), qsizetype(1) << 40}) {
        SCOPED_TRACE(j);
        EXPECT_EQ(table.Filename(j), QString());
        EXPECT_EQ(table.OldDate(j), 0.0);
        EXPECT_EQ(table.NewDate(j), 0.0);
        table.setFilename(j, "/c");
        table.setOldDate(j, 9.0);
        table.setNewDate(j, 9.0);
    }
    qsizetype n = -1;
    EXPECT_EQ(table.RowCount(), 2);
    EXPECT_FALSE(table.Exists("/c", n));
    EXPECT_EQ(table.Filename(1), "/b");
    EXPECT_EQ(table.OldDate(1), 2.0);
    EXPECT_EQ(table.NewDate(1), 2.5);
}

TEST(clsFileInfoTest, NamesAreKeptAndComparedExactly)
{
    clsFileInfo table = tableOf({"/data/Report.TXT", "/data/report.txt"});
    qsizetype n = -1;
    EXPECT_TRUE(table.Exists("/data/report.txt", n));
    EXPECT_EQ(n, 1);
    EXPECT_TRUE(table.Exists("/data/Report.TXT", n));
    EXPECT_EQ(n, 0);
    EXPECT_EQ(table.Filename(0), "/data/Report.TXT");
    EXPECT_FALSE(table.Exists("/data/REPORT.txt", n));

    table.RemoveItem("/data/report.txt");
    EXPECT_EQ(table.RowCount(), 1);
    EXPECT_EQ(table.Filename(0), "/data/Report.TXT");
}

TEST(clsFileInfoTest, RenamingAndResizingKeepLookUpsTrue)
{
    clsFileInfo table = tableOf({"/a", "/b", "/a"});
    table.setFilename(0, "/z");
    qsizetype n = -1;
    EXPECT_TRUE(table.Exists("/a", n));
    EXPECT_EQ(n, 2);
    EXPECT_TRUE(table.Exists("/z", n));
    EXPECT_EQ(n, 0);

    table.setRowCount(2);
    EXPECT_FALSE(table.Exists("/a", n));
    EXPECT_EQ(n, 2);
    table.setRowCount(4);
    EXPECT_EQ(table.Filename(3), QString());
    EXPECT_EQ(table.OldDate(3), 0.0);
    EXPECT_TRUE(table.Exists(QString(), n));
    EXPECT_EQ(n, 2);
    table.setRowCount(-1);
    EXPECT_EQ(table.RowCount(), 0);
}
