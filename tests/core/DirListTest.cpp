#include "core/DirList.h"

#include <QStringList>

#include <gtest/gtest.h>

using core::cDirList;

TEST(DirListTest, AddSetsTheFlagsOfTheAttributes)
{
    cDirList list;
    const auto item = list.Add(0x21, 1.5, 2.5, 3.5, 5000000000LL, "a.txt");
    ASSERT_TRUE(item);
    EXPECT_TRUE(item->ReadOnly);
    EXPECT_TRUE(item->Archive);
    for (const bool flag :
         {item->Hidden, item->System, item->Directory, item->Normal, item->Temporary, item->Compressed, item->Offline})
        EXPECT_FALSE(flag);
    EXPECT_EQ(item->CreationTime, 1.5);
    EXPECT_EQ(item->LastAccessTime, 2.5);
    EXPECT_EQ(item->LastWriteTime, 3.5);
    EXPECT_EQ(item->FileSize, 5000000000LL);
    EXPECT_EQ(item->Filename, "a.txt");

    const auto all = list.Add(0x1000 | 0x800 | 0x100 | 0x80 | 0x10 | 0x4 | 0x2, 0, 0, 0, 0, "b");
    for (const bool flag :
         {all->Hidden, all->System, all->Directory, all->Normal, all->Temporary, all->Compressed, all->Offline})
        EXPECT_TRUE(flag);
    EXPECT_FALSE(all->ReadOnly);
    EXPECT_FALSE(all->Archive);
}

TEST(DirListTest, LookupByNameAndPosition)
{
    cDirList list;
    EXPECT_EQ(list.Count(), 0);
    EXPECT_EQ(list.begin(), list.end());

    list.Add(0, 0, 0, 0, 1, "one");
    list.Add(0, 0, 0, 0, 2, "two");
    // Names are compared exactly, as the file system compares them.
    ASSERT_TRUE(list.Add(0, 0, 0, 0, 3, "Two"));
    EXPECT_FALSE(list.Add(0, 0, 0, 0, 4, "two"));
    EXPECT_EQ(list.Count(), 3);

    EXPECT_EQ(list.Item("two")->FileSize, 2);
    EXPECT_EQ(list.Item("Two")->FileSize, 3);
    EXPECT_EQ(list.Item(1)->Filename, "one");
    EXPECT_EQ(list.Item(3)->Filename, "Two");
    EXPECT_FALSE(list.Item("three"));
    EXPECT_FALSE(list.Item(0));
    EXPECT_FALSE(list.Item(4));

    QStringList walked;
    for (const auto& item : list)
        walked << item->Filename;
    EXPECT_EQ(walked, QStringList({"one", "two", "Two"}));
}

TEST(DirListTest, ClearRemovesEveryItem)
{
    cDirList list;
    for (const char* name : {"a", "b", "c", "d", "e"})
        list.Add(0, 0, 0, 0, 0, name);
    list.Clear();
    EXPECT_EQ(list.Count(), 0);
    EXPECT_EQ(list.begin(), list.end());
    EXPECT_FALSE(list.Item("a"));
    EXPECT_FALSE(list.Item(1));
    // The names are free again.
    EXPECT_TRUE(list.Add(0, 0, 0, 0, 0, "a"));
    EXPECT_EQ(list.Count(), 1);
}
