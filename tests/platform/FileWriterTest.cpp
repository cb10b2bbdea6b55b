#include "platform/FileWriter.h"

#include <cerrno>

#include <sys/stat.h>

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QTemporaryDir>

#include <gtest/gtest.h>

#include "support/ProgramFolderTest.h"
#include "support/SmallDisk.h"

using platform::FileContent;

namespace
{
class FileWriterTest : public ::testing::Test
{
protected:
    void SetUp() override { ASSERT_TRUE(dir.isValid()); }
    QString path(const QString& relative) const { return dir.path() + "/" + relative; }
    QStringList entries(const QString& folder) const
    {
        return QDir(path(folder)).entryList(QDir::AllEntries | QDir::Hidden | QDir::NoDotAndDotDot);
    }
    static mode_t modeOf(const QString& file)
    {
        struct stat info = {};
        ::stat(QFile::encodeName(file).constData(), &info);
        return info.st_mode & 07777;
    }

    QTemporaryDir dir;
};
} // namespace

TEST_F(FileWriterTest, FilesTakeTheirWholeContentOwnerOnly)
{
    ASSERT_TRUE(test::writeFile(path("a/doc"), "old"));
    ASSERT_TRUE(QFile::setPermissions(path("a/doc"),
                                      QFileDevice::ReadOwner | QFileDevice::WriteOwner | QFileDevice::ReadGroup
                                          | QFileDevice::ReadOther));
    QString reason;
    ASSERT_TRUE(platform::fileWriter().replaceFiles(
        {FileContent {path("a/doc.bak"), "old"}, FileContent {path("a/doc"), "new"}}, reason))
        << reason.toStdString();
    EXPECT_EQ(test::readFile(path("a/doc")), "new");
    EXPECT_EQ(test::readFile(path("a/doc.bak")), "old");
    EXPECT_EQ(modeOf(path("a/doc")), 0600u);
    EXPECT_EQ(modeOf(path("a/doc.bak")), 0600u);
    EXPECT_EQ(entries("a"), (QStringList {"doc", "doc.bak"}));

    // A folder in the way, or no folder at all: nothing changes, and the reason names the file.
    ASSERT_TRUE(QDir().mkpath(path("a/folder")));
    EXPECT_FALSE(platform::fileWriter().replaceFiles(
        {FileContent {path("a/doc"), "newer"}, FileContent {path("a/folder"), "x"}}, reason));
    EXPECT_EQ(reason, "Cannot write \"" + path("a/folder") + "\": " + qt_error_string(EISDIR));
    EXPECT_FALSE(platform::fileWriter().replaceFile(path("gone/doc"), "x", reason));
    EXPECT_EQ(reason, "Cannot write \"" + path("gone/doc") + "\": " + qt_error_string(ENOENT));
    EXPECT_EQ(entries("a"), (QStringList {"doc", "doc.bak", "folder"}));
}

TEST_F(FileWriterTest, AFileBehindALinkTakesTheContentWhereItIsAndTheLinkStays)
{
    ASSERT_TRUE(test::writeFile(path("kept/app.ini"), "old"));
    ASSERT_TRUE(QDir().mkpath(path("settings")));
    ASSERT_TRUE(QFile::link(path("kept/app.ini"), path("settings/app.ini")));
    QString reason;
    ASSERT_TRUE(platform::fileWriter().replaceFile(path("settings/app.ini"), "new", reason)) << reason.toStdString();
    EXPECT_TRUE(QFileInfo(path("settings/app.ini")).isSymLink());
    EXPECT_EQ(test::readFile(path("kept/app.ini")), "new");
    EXPECT_EQ(entries("settings"), QStringList {"app.ini"});
    EXPECT_EQ(entries("kept"), QStringList {"app.ini"});
}

TEST_F(FileWriterTest, AFullDiskChangesNoneOfTheFiles)
{
    test::SmallDisk disk(path("disk"), "64k");
    if (!disk.mounted())
        GTEST_SKIP() << "cannot mount a tmpfs here: " << disk.error().toStdString();
    ASSERT_TRUE(test::writeFile(path("disk/doc"), "the document"));
    ASSERT_TRUE(test::writeFile(path("disk/doc.bak"), "the document before"));
    // Room for the first file's new content, not for the second's.
    ASSERT_TRUE(disk.fill(8192));
    const QByteArray larger(32 * 1024, 'n');

    QString reason;
    EXPECT_FALSE(platform::fileWriter().replaceFiles(
        {FileContent {path("disk/doc.bak"), "the document"}, FileContent {path("disk/doc"), larger}}, reason));

    EXPECT_EQ(reason, "Cannot write \"" + path("disk/doc") + "\": " + qt_error_string(ENOSPC));
    EXPECT_EQ(test::readFile(path("disk/doc")), "the document");
    EXPECT_EQ(test::readFile(path("disk/doc.bak")), "the document before");
    EXPECT_EQ(entries("disk"), (QStringList {"doc", "doc.bak", "filler"}));
}
