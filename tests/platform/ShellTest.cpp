#include "platform/Shell.h"

#include <QTemporaryDir>

#include <gtest/gtest.h>

#include "support/Fakes.h"
#include "support/ProgramFolderTest.h"

using namespace platform;

TEST(ShellTest, ShellExecuteOpenCodes)
{
    QTemporaryDir dir;
    ASSERT_TRUE(test::writeFile(dir.filePath("notes.txt"), "x"));
    test::FakeShell shell;
    platform::setShell(&shell);

    EXPECT_GT(ShellExecuteOpen("notes.txt", dir.path()), 32);
    EXPECT_GT(ShellExecuteOpen(dir.filePath("notes.txt"), ""), 32);
    EXPECT_EQ(shell.opened, QStringList({dir.filePath("notes.txt"), dir.filePath("notes.txt")}));

    shell.opened.clear();
    EXPECT_EQ(ShellExecuteOpen("missing.txt", dir.path()), 2);
    EXPECT_EQ(ShellExecuteOpen("", dir.path()), 2);
    EXPECT_EQ(ShellExecuteOpen("notes.txt", dir.filePath("no-such-folder")), 3);
    EXPECT_TRUE(shell.opened.isEmpty());

    shell.accept = false;
    EXPECT_EQ(ShellExecuteOpen("notes.txt", dir.path()), 31);
}
