#include "platform/ShellFolders.h"

#include <QDir>
#include <QFile>
#include <QTemporaryDir>

#include <gtest/gtest.h>

TEST(ShellFolders, TopLevelListsTheRootAndTheHomeFolderButNoSystemVolumes)
{
    const QList<platform::ShellItem> top = platform::computerItems();
    ASSERT_GE(top.size(), 1);
    EXPECT_EQ(top[0].path, "/");
    EXPECT_TRUE(top[0].isFolder);
    if (QDir::homePath() != "/") {
        ASSERT_GE(top.size(), 2);
        EXPECT_EQ(top[1].path, QDir::homePath());
    }
    for (const platform::ShellItem& item : top) {
        EXPECT_TRUE(item.isFolder);
        EXPECT_FALSE(item.path.startsWith("/proc") || item.path.startsWith("/sys")) << item.path.toStdString();
    }
}

TEST(ShellFolders, ListsFoldersFirstThenFilesAndNothingForWhatIsNoFolder)
{
    QTemporaryDir dir;
    ASSERT_TRUE(dir.isValid());
    ASSERT_TRUE(QDir(dir.path()).mkpath("b folder"));
    ASSERT_TRUE(QDir(dir.path()).mkpath("Z folder"));
    for (const char* name : {"a.txt", ".hidden"}) {
        QFile file(dir.filePath(name));
        ASSERT_TRUE(file.open(QIODevice::WriteOnly));
    }
    const auto items = platform::folderItems(dir.path());
    ASSERT_TRUE(items.has_value());
    QStringList names;
    for (const platform::ShellItem& item : *items)
        names << item.name + (item.isFolder ? "/" : "");
    EXPECT_EQ(names, (QStringList {"b folder/", "Z folder/", ".hidden", "a.txt"}));
    EXPECT_EQ(items->first().path, dir.filePath("b folder"));

    EXPECT_FALSE(platform::folderItems(dir.filePath("a.txt")).has_value());
    EXPECT_FALSE(platform::folderItems(dir.filePath("missing")).has_value());
    EXPECT_FALSE(platform::folderItems("").has_value());
}
