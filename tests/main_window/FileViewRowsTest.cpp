#include "main_window/FileViewRows.h"

#include <QDir>
#include <QFile>

#include <gtest/gtest.h>

#include "platform/FileWriter.h"
#include "support/FailingWriter.h"
#include "support/ProgramFolderTest.h"

using main_window::FileViewRow;
using Rows = QList<main_window::FileViewRow>;

namespace
{
class FileViewRowsTest : public test::ProgramFolderTest
{ };

TEST_F(FileViewRowsTest, FileLinesBecomeRowsFlaggedByTheMasks)
{
    const QStringList lines
        = {"/home/u/a.txt\t46000.5\t12", "", "/home/u/cache.tmp", "/home/u/Pictures", "/home/u/x.TMP\t1\t1"};
    EXPECT_EQ(main_window::fileViewRows(lines, {"*.tmp", "*/Pic*"}),
              Rows({{"/home/u/a.txt", false},
                    {"/home/u/cache.tmp", true},
                    {"/home/u/Pictures", true},
                    {"/home/u/x.TMP", false}}));
    EXPECT_EQ(main_window::fileViewRows(lines, {}).size(), 4);
}

TEST_F(FileViewRowsTest, AFolderListsItsEntriesByName)
{
    const QString folder = programFile("tree");
    for (const char* name : {"b.txt", "a.log", ".hidden", "sub/inner.txt"})
        ASSERT_TRUE(test::writeFile(folder + "/" + name, "x"));

    const Rows expected = {{folder + "/a.log", true}, {folder + "/b.txt", false}, {folder + "/sub", false}};
    EXPECT_EQ(main_window::ShowFolderContents(folder, {"*.log"}), expected);
    EXPECT_EQ(main_window::ShowFolderContents(folder + "/", {"*.log"}), expected);
    // Masks are matched with the entry's name, not its path.
    EXPECT_EQ(main_window::ShowFolderContents(folder, {"tree*"}).count({folder + "/b.txt", false}), 1);
    EXPECT_TRUE(main_window::ShowFolderContents(programFile("missing"), {}).isEmpty());
}

TEST_F(FileViewRowsTest, TheCacheHoldsOneLinePerRowAndReadsBack)
{
    const QStringList texts = {"/home/u/a.txt\u00a0", "/home/u/Pictures \u00a0", "/home/u/odd|name.txt\u00a0"};
    ASSERT_TRUE(main_window::SaveFileListCache("Docs", texts));
    EXPECT_EQ(QString::fromUtf8(test::readFile(programFile("data/Docs.sfl"))),
              "/home/u/a.txt\u00a0|||||\r\n/home/u/Pictures \u00a0|||||\r\n/home/u/odd|name.txt\u00a0|||||\r\n\r\n");
    EXPECT_EQ(main_window::readFileListCache("Docs"), texts);

    ASSERT_TRUE(main_window::SaveFileListCache("Empty", {}));
    EXPECT_EQ(test::readFile(programFile("data/Empty.sfl")), "\r\n");
    EXPECT_EQ(main_window::readFileListCache("Empty"), QStringList());
    EXPECT_EQ(main_window::readFileListCache("None"), std::nullopt);
}

TEST_F(FileViewRowsTest, CacheLinesWithoutTheirFieldsAreSkipped)
{
    ASSERT_TRUE(test::writeFile(programFile("data/Old.sfl"),
                                "/kept|||||\r\n\r\n \r\nno bars\r\n/short|||\r\n/also kept|a|b|c|d|e\n|||||\r\n"));
    EXPECT_EQ(main_window::readFileListCache("Old"), QStringList({"/kept", "/also kept", ""}));
}

TEST_F(FileViewRowsTest, ACacheThatCannotBeWrittenLeavesTheOldOne)
{
    test::FullDisk fullDisk;
    ASSERT_TRUE(main_window::SaveFileListCache("Docs", {"/old"}));
    platform::setFileWriter(&fullDisk);
    EXPECT_FALSE(main_window::SaveFileListCache("Docs", {"/new"}));
    platform::setFileWriter(nullptr);
    EXPECT_EQ(main_window::readFileListCache("Docs"), QStringList({"/old"}));
    EXPECT_FALSE(main_window::SaveFileListCache("../Docs", {"/x"}));
    EXPECT_FALSE(QFile::exists(programFile("Docs.sfl")));
}
} // namespace
