#include <gtest/gtest.h>

#include "ftp/DirectoryListing.h"

using namespace ftp;

namespace
{

const QDateTime kNow(QDate(2026, 1, 10), QTime(12, 0));

struct Entry
{
    QString name;
    bool folder;
    qint64 size;
    QDateTime written;
};

bool operator==(const Entry& a, const Entry& b)
{
    return a.name == b.name && a.folder == b.folder && a.size == b.size && a.written == b.written;
}

void PrintTo(const Entry& e, std::ostream* os)
{
    *os << e.name.toStdString() << (e.folder ? " <dir> " : " ") << e.size << " "
        << e.written.toString(Qt::ISODate).toStdString();
}

QList<Entry> entriesOf(const clsFtpFiles& files)
{
    QList<Entry> found;
    for (const clsFtpFile& file : files)
        found.append({file.Filename, file.IsDirectory, file.FileSize, file.LastWriteTime});
    return found;
}

QDateTime at(int y, int m, int d, int h = 0, int min = 0)
{
    return QDateTime(QDate(y, m, d), QTime(h, min));
}

} // namespace

TEST(DirectoryListingTest, ListingsOfBothFormsGiveTheirEntriesInOrder)
{
    const struct
    {
        const char* name;
        QString listing;
        QList<Entry> entries;
    } cases[] = {
        {"unix with total first and later, blank lines between",
         "total 12\r\n"
         "-rw-r--r--   1 ftpuser    ftpgroup        1234 Mar 15 09:30 report final.txt\r\n"
         "\r\n"
         "drwxr-xr-x   2 ftpuser    ftpgroup        4096 Jan 05  2006 Grüße\r\n"
         "\n"
         "total 3\r\n"
         "lrwxrwxrwx   1 root     11 Jan  5  2006 lib -> usr/lib\r\n",
         {{"report final.txt", false, 1234, at(2025, 3, 15, 9, 30)},
          {"Grüße", true, 4096, at(2006, 1, 5)},
          {"lib", false, 11, at(2006, 1, 5)}}},
        {"an owner named like the month of the date",
         "-rw-r--r--   1 jan      users         100 Jan 08 09:30 notes.txt\r\n",
         {{"notes.txt", false, 100, at(2026, 1, 8, 9, 30)}}},
        {"a December entry listed in January",
         "-rw-r--r--   1 u g 7 Dec 20 10:00 last year.txt\r\n",
         {{"last year.txt", false, 7, at(2025, 12, 20, 10, 0)}}},
        {"a size over 4 GiB",
         "-rw-r--r--   1 u g 5368709120 Jan 01  2024 big.iso\r\n",
         {{"big.iso", false, 5368709120LL, at(2024, 1, 1)}}},
        {"a bad line among good ones",
         "-rw-r--r--   1 u g 1 Jan 01  2024 a\r\n"
         "this line is no entry\r\n"
         "-rw-r--r--   1 u g 2 Feb 30  2024 impossible date\r\n"
         "-rw-r--r--   1 u g 3 Jan 02  2024 b\r\n",
         {{"a", false, 1, at(2024, 1, 1)}, {"b", false, 3, at(2024, 1, 2)}}},
        {"DOS with two- and four-digit years",
         "03-15-21  09:30AM       <DIR>          folder one\r\n"
         "12-01-2020  11:05PM             1234 report.txt\r\n"
         "01-02-99  12:00AM                0 midnight.txt\r\n",
         {{"folder one", true, 0, at(2021, 3, 15, 9, 30)},
          {"report.txt", false, 1234, at(2020, 12, 1, 23, 5)},
          {"midnight.txt", false, 0, at(1999, 1, 2, 0, 0)}}},
        {"nothing", "", {}},
        {"a total line only", "total 0\r\n", {}},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        const std::optional<clsFtpFiles> files = ParseDirectoryListing(c.listing, kNow);
        ASSERT_TRUE(files.has_value());
        EXPECT_EQ(entriesOf(*files), c.entries);
    }
}

TEST(DirectoryListingTest, LinesOfAMegabyteAreReadInOnePass)
{
    // Runs of blanks and months that once made the reading take minutes per line.
    const QString blanks(1024 * 1024, QLatin1Char(' '));
    const QString good = "-rw-r--r--   1 u g 9 Jan 02  2024 good\r\n";
    QString months;
    for (int i = 0; i < 100000; ++i)
        months += QStringLiteral("1 jan ");
    const struct
    {
        const char* name;
        QString listing;
        QList<Entry> entries;
    } cases[] = {
        {"a line of blanks", blanks + "\r\n" + good, {{"good", false, 9, at(2024, 1, 2)}}},
        {"a DOS line with blanks before its size",
         "03-15-21  09:30" + blanks + "<DIR>" + blanks + "far away\r\n",
         {{"far away", true, 0, at(2021, 3, 15, 9, 30)}}},
        {"a DOS date followed by blanks and nothing of an entry",
         "03-15-21  09:30" + blanks + "?\r\n" + good,
         {{"good", false, 9, at(2024, 1, 2)}}},
        {"a Unix line with blanks inside its date",
         "-rw-r--r-- 1 u g 5 Jan" + blanks + "5" + blanks + "2020 far away\r\n",
         {{"far away", false, 5, at(2020, 1, 5)}}},
        {"a line of month names without a date", good + months + "\r\n", {{"good", false, 9, at(2024, 1, 2)}}},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        const std::optional<clsFtpFiles> files = ParseDirectoryListing(c.listing, kNow);
        ASSERT_TRUE(files.has_value());
        EXPECT_EQ(entriesOf(*files), c.entries);
    }
}

TEST(DirectoryListingTest, UnixLinesGiveOwnerGroupPermissionsAndLinkTarget)
{
    const std::optional<clsFtpFiles> files
        = ParseDirectoryListing("-rw-r--r--   1 ftpuser    ftpgroup        1234 Mar 15 09:30 report final.txt\r\n"
                                "lrwxrwxrwx   1 root     11 Jan  5  2006 lib -> usr/lib\r\n",
                                kNow);
    ASSERT_TRUE(files.has_value());
    ASSERT_EQ(files->Count(), 2);
    const clsFtpFile file = *files->Item(1);
    EXPECT_EQ(file.Permissions, "-rw-r--r--");
    EXPECT_EQ(file.Owner, "ftpuser");
    EXPECT_EQ(file.Group, "ftpgroup");
    const clsFtpFile link = *files->Item(2);
    EXPECT_EQ(link.FilePath, "usr/lib");
    EXPECT_EQ(link.Owner, "root");
    EXPECT_EQ(link.Group, QString());
    EXPECT_FALSE(link.IsDirectory);
}

TEST(DirectoryListingTest, AListingWithLinesButNoEntryIsUnknown)
{
    EXPECT_FALSE(ParseDirectoryListing("Directory listing unavailable\r\nsecond line\r\n", kNow).has_value());
    EXPECT_FALSE(ParseDirectoryListing("-rw-r--r--   1 u g x Jan 01  2024 a\r\n", kNow).has_value());
}

TEST(DirectoryListingTest, TheCollectionCountsFromOneAndRemovesInPlace)
{
    clsFtpFiles files;
    for (const char* name : {"a", "b", "c"}) {
        clsFtpFile file;
        file.Filename = name;
        EXPECT_EQ(files.Add(file).Filename, name);
    }
    EXPECT_FALSE(files.Item(0).has_value());
    EXPECT_FALSE(files.Item(4).has_value());
    EXPECT_FALSE(files.Remove(4));
    EXPECT_TRUE(files.Remove(2));
    ASSERT_EQ(files.Count(), 2);
    EXPECT_EQ(files.Item(2)->Filename, "c");
}

TEST(DirectoryListingTest, ListingBytesAreUtf8AndOtherLinesLatin1)
{
    const QByteArray bytes = QByteArray("Gr\xc3\xbc\xc3\x9f"
                                        "e\r\n")
        + QByteArray("caf\xe9\r\n");
    EXPECT_EQ(decodeListing(bytes), QStringLiteral("Grüße\r\ncafé\r\n"));
}
