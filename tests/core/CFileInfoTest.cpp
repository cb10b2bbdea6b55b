#include "core/CFileInfo.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <QDateTime>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QTemporaryDir>

#include <gtest/gtest.h>

#include "platform/DateText.h"
#include "support/ProgramFolderTest.h"

using core::CFileInfo;
namespace attr = core::attr;

namespace
{
class CFileInfoTest : public ::testing::Test
{
protected:
    void SetUp() override { ASSERT_TRUE(dir.isValid()); }
    QString path(const QString& relative) const { return dir.path() + QLatin1Char('/') + relative; }
    void file(const QString& relative, const QByteArray& bytes = "hello")
    {
        ASSERT_TRUE(test::writeFile(path(relative), bytes));
    }
    static mode_t modeOf(const QString& file)
    {
        struct stat st = {};
        ::stat(QFile::encodeName(file).constData(), &st);
        return st.st_mode & 07777;
    }

    QTemporaryDir dir;
};
} // namespace

TEST_F(CFileInfoTest, LookupFillsNamesSizeAndAttributes)
{
    file("Report.tar.gz");
    QDir().mkpath(path("sub"));
    CFileInfo info;
    info.setFullPathName(path("sub/../Report.tar.gz"));

    EXPECT_TRUE(info.fileExists());
    EXPECT_TRUE(info.PathExists());
    EXPECT_EQ(info.FullPathName(), path("Report.tar.gz"));
    EXPECT_EQ(info.FilePath(), dir.path() + "/");
    EXPECT_EQ(info.Filename(), "Report.tar.gz");
    EXPECT_EQ(info.FileExtension(), "gz");
    EXPECT_EQ(info.DisplayName(), "Report.tar.gz");
    EXPECT_EQ(info.ShortPathName(), info.FullPathName());
    EXPECT_EQ(info.ShortName(), info.Filename());
    EXPECT_EQ(info.ShortPath(), info.FilePath());
    EXPECT_EQ(info.FileSize(), 5);
    EXPECT_EQ(info.FileSizeHigh(), 0);
    EXPECT_EQ(info.Attributes(), attr::Normal);
    EXPECT_FALSE(info.TypeName().isEmpty());
}

TEST_F(CFileInfoTest, RelativePathsAreMadeAbsolute)
{
    file("a.txt");
    const QString before = QDir::currentPath();
    ASSERT_TRUE(QDir::setCurrent(dir.path()));
    CFileInfo info;
    info.setFullPathName("./a.txt");
    QDir::setCurrent(before);
    EXPECT_TRUE(info.fileExists());
    EXPECT_EQ(info.FullPathName(), path("a.txt"));
}

TEST_F(CFileInfoTest, AMissingFileClearsOnlyFileExists)
{
    CFileInfo fresh;
    fresh.setFullPathName(path("x/../missing.txt"));
    EXPECT_FALSE(fresh.fileExists());
    EXPECT_FALSE(fresh.PathExists());
    EXPECT_EQ(fresh.FullPathName(), path("missing.txt"));
    EXPECT_EQ(fresh.Filename(), "");
    EXPECT_EQ(fresh.FileSize(), 0);

    file("there.txt");
    CFileInfo used;
    used.setFullPathName(path("there.txt"));
    used.setFullPathName(path("missing.txt"));
    EXPECT_FALSE(used.fileExists());
    EXPECT_TRUE(used.PathExists());
    EXPECT_EQ(used.FullPathName(), path("missing.txt"));
    EXPECT_EQ(used.Filename(), "there.txt");
    EXPECT_EQ(used.FileSize(), 5);

    // An empty path changes nothing.
    used.setFullPathName("");
    EXPECT_EQ(used.FullPathName(), path("missing.txt"));
}

TEST_F(CFileInfoTest, ExtensionsTypeNamesAndKinds)
{
    const QByteArray binary("\x00\x01\x02\x03", 4);
    file("data.qbx", binary);
    file("noext", binary);
    file(".hidden", binary);
    QDir().mkpath(path("folder.d"));
    struct Case
    {
        QString name;
        QString extension;
        QString typeName; // empty: whatever the desktop calls it
        quint32 attributes;
    };
    const Case cases[] = {
        {"data.qbx", "qbx", "QBX File", attr::Normal},
        {"noext", "", "File", attr::Normal},
        {".hidden", "hidden", "", attr::Hidden},
        {"folder.d", "d", "", attr::Directory},
    };
    for (const Case& c : cases) {
        CFileInfo info;
        info.setFullPathName(path(c.name));
        ASSERT_TRUE(info.fileExists()) << qPrintable(c.name);
        EXPECT_EQ(info.FileExtension(), c.extension) << qPrintable(c.name);
        if (!c.typeName.isEmpty()) {
            EXPECT_EQ(info.TypeName(), c.typeName) << qPrintable(c.name);
        }
        EXPECT_FALSE(info.TypeName().isEmpty()) << qPrintable(c.name);
        EXPECT_EQ(info.Attributes(), c.attributes) << qPrintable(c.name);
    }
}

TEST_F(CFileInfoTest, SparseFileOverFourGiB)
{
    const qint64 size = 4LL * 1024 * 1024 * 1024 + 10;
    file("sparse.img", "start");
    ASSERT_EQ(::truncate(QFile::encodeName(path("sparse.img")).constData(), size), 0);

    CFileInfo info;
    info.setFullPathName(path("sparse.img"));
    EXPECT_EQ(info.FileSize(), size);
    EXPECT_EQ(info.FileSizeHigh(), 1);
    EXPECT_GT(info.CompressedFileSize(), 0);
    EXPECT_LT(info.CompressedFileSize(), 1024 * 1024);
    EXPECT_EQ(info.CompressedFileSizeHigh(), 0);
}

TEST_F(CFileInfoTest, AttributeSettersSetAndClear)
{
    file("f.txt");
    CFileInfo info;
    info.setFullPathName(path("f.txt"));

    EXPECT_TRUE(info.setAttrReadOnly(true));
    EXPECT_TRUE(info.attrReadOnly());
    EXPECT_EQ(info.Attributes(), attr::ReadOnly);
    EXPECT_EQ(modeOf(path("f.txt")) & 0222, 0u);

    EXPECT_TRUE(info.setAttrReadOnly(false));
    EXPECT_FALSE(info.attrReadOnly());
    EXPECT_EQ(info.Attributes(), attr::Normal);
    EXPECT_NE(modeOf(path("f.txt")) & S_IWUSR, 0u);

    EXPECT_TRUE(info.setAttributes(attr::ReadOnly | attr::Archive));
    EXPECT_EQ(info.Attributes(), attr::ReadOnly);
    EXPECT_TRUE(info.setAttributes(attr::Normal));
    EXPECT_EQ(info.Attributes(), attr::Normal);

    // Hidden is the name's business here; the file is not renamed.
    info.setAttrHidden(true);
    EXPECT_FALSE(info.attrHidden());
    EXPECT_TRUE(QFileInfo::exists(path("f.txt")));

    info.setAttrTemporary(true);
    info.setAttrCompressed(true);
    EXPECT_EQ(info.Attributes(), attr::Normal);
}

TEST_F(CFileInfoTest, SettersOnAnObjectWithoutAFileDoNothing)
{
    CFileInfo info;
    info.setFullPathName(path("missing.txt"));
    // The stored value: nothing to do, which is no failure.
    EXPECT_TRUE(info.setAttributes(0));
    EXPECT_FALSE(info.setAttributes(attr::ReadOnly));
    EXPECT_FALSE(info.setModifyTime(36526));
    EXPECT_EQ(info.ModifyTime(), 0);
    EXPECT_FALSE(QFileInfo::exists(path("missing.txt")));
}

TEST_F(CFileInfoTest, TimesAreWrittenThrough)
{
    file("f.txt");
    QDir().mkpath(path("folder"));
    const double modified = platform::toDateValue(QDateTime(QDate(2020, 5, 6), QTime(7, 8, 9)));
    const double accessed = platform::toDateValue(QDateTime(QDate(2021, 2, 3), QTime(4, 5, 6)));

    for (const QString name : {"f.txt", "folder"}) {
        CFileInfo info;
        info.setFullPathName(path(name));
        EXPECT_TRUE(info.setModifyTime(modified)) << qPrintable(name);
        EXPECT_TRUE(info.setLastAccessTime(accessed)) << qPrintable(name);
        EXPECT_EQ(info.ModifyTime(), modified) << qPrintable(name);
        EXPECT_EQ(info.LastAccessTime(), accessed) << qPrintable(name);
        EXPECT_EQ(QFileInfo(path(name)).lastModified(), QDateTime(QDate(2020, 5, 6), QTime(7, 8, 9)))
            << qPrintable(name);
    }
}

TEST_F(CFileInfoTest, CreationTimeCannotBeSetAndDoesNotRefresh)
{
    file("f.txt");
    CFileInfo info;
    info.setFullPathName(path("f.txt"));
    const double created = info.CreationTime();
    EXPECT_GT(created, platform::toDateValue(QDate(2020, 1, 1)));
    file("f.txt", "longer content");

    EXPECT_FALSE(info.setCreationTime(36526));
    EXPECT_EQ(info.CreationTime(), created);
    EXPECT_EQ(info.FileSize(), 5);
}

TEST(CFileInfoFormatTest, FileSizeInKilobytes)
{
    const std::pair<double, QString> cases[] = {
        {0, "1.0 KB"},
        {1023, "1.0 KB"},
        {1024, "1.0 KB"},
        {1536, "1.5 KB"},
        {102399, "100.0 KB"},
        {102400, "100 KB"},
        {1048576, "1,024 KB"},
        {10239999999.0, "10,000,000 KB"},
        {10240000000.0, "10,000,000 KB"},
        {1e13, "9,765,625,000 KB"},
    };
    for (const auto& [size, text] : cases)
        EXPECT_EQ(CFileInfo::FormatFileSize(size), text) << size;
}

TEST(CFileInfoFormatTest, FileDateHasDateAndTimeAlways)
{
    const CFileInfo info;
    EXPECT_EQ(info.FormatFileDate(platform::toDateValue(QDate(2026, 12, 10))), "10/12/2026 00:00:00");
    EXPECT_EQ(info.FormatFileDate(platform::toDateValue(QDateTime(QDate(2026, 12, 10), QTime(8, 9, 10)))),
              "10/12/2026 08:09:10");
}

TEST_F(CFileInfoTest, IconOnlyForAFoundFile)
{
    file("f.txt");
    CFileInfo info;
    EXPECT_TRUE(info.hIcon().isNull());
    info.setFullPathName(path("f.txt"));
    EXPECT_FALSE(info.hIcon().isNull());
    info.setFullPathName(path("missing.txt"));
    EXPECT_TRUE(info.hIcon().isNull());
}
