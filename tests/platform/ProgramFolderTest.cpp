#include "platform/ProgramFolder.h"

#include <QCoreApplication>
#include <QDir>
#include <QFileInfo>
#include <QTemporaryDir>

#include <gtest/gtest.h>

namespace
{
class ProgramFolderEnv : public ::testing::Test
{
protected:
    void TearDown() override
    {
        qunsetenv("QUILLBACK_HOME");
        qunsetenv("XDG_DATA_HOME");
        platform::ProgramFolder::reset();
    }
};
} // namespace

TEST_F(ProgramFolderEnv, HomeVariableWins)
{
    QTemporaryDir dir;
    qputenv("QUILLBACK_HOME", dir.path().toUtf8());
    platform::ProgramFolder::reset();
    EXPECT_EQ(platform::ProgramFolder::path(), QDir::cleanPath(dir.path()));
    EXPECT_EQ(platform::ProgramFolder::file("data/x.sbd"), QDir::cleanPath(dir.path()) + "/data/x.sbd");
}

TEST_F(ProgramFolderEnv, ExecutableFolderWhenWritable)
{
    qunsetenv("QUILLBACK_HOME");
    platform::ProgramFolder::reset();
    // The test binary's folder is the build tree, which is writable.
    EXPECT_EQ(platform::ProgramFolder::path(), QDir::cleanPath(QCoreApplication::applicationDirPath()));
}

TEST(PrivateFolder, IsCreatedOwnerOnly)
{
    QTemporaryDir dir;
    const QString path = dir.path() + "/a/tmp";
    ASSERT_TRUE(platform::makePrivateFolder(path));
    EXPECT_EQ(QFileInfo(path).permissions() & 0x0077, 0);
    EXPECT_TRUE(platform::makePrivateFolder(path));
    EXPECT_FALSE(platform::makePrivateFolder(QString()));
}
