#include "platform/BrowseForFolder.h"

#include <QDir>
#include <QFile>
#include <QTemporaryDir>

#include <gtest/gtest.h>

#include "support/Fakes.h"
#include "support/ScopedEnv.h"

using namespace platform;

class BrowseForFolderTest : public ::testing::Test
{
protected:
    void SetUp() override
    {
        ASSERT_TRUE(dir.isValid());
        QDir().mkpath(home());
        platform::setFileDialogs(&dialogs);
    }
    QString home() const { return dir.filePath("home"); }

    QTemporaryDir dir;
    test::FakeFileDialogs dialogs;
    // The desktop folder comes from the home folder and the user's folder settings.
    test::ScopedEnv homeEnv {"HOME", QFile::encodeName(dir.filePath("home"))};
    test::ScopedEnv configEnv {"XDG_CONFIG_HOME", QFile::encodeName(dir.filePath("config"))};
};

TEST_F(BrowseForFolderTest, ChosenCancelledAndUnknownRoot)
{
    QString folder = "/before";
    dialogs.choices.push_back(QString("/chosen"));
    EXPECT_EQ(BrowseForFolder(csidl::Desktop, 64, folder, nullptr, "Pick"), 0);
    EXPECT_EQ(folder, "/chosen");
    EXPECT_EQ(dialogs.titles, QStringList({"Pick"}));

    dialogs.choices.push_back(std::nullopt);
    EXPECT_EQ(BrowseForFolder(csidl::Desktop, 1, folder, nullptr, "Pick"), 0);
    EXPECT_EQ(folder, "/chosen");

    EXPECT_EQ(BrowseForFolder(0x7FFF, 1, folder, nullptr, "Pick"), BrowseRootNotFound);
    EXPECT_EQ(folder, "/chosen");
    EXPECT_EQ(dialogs.titles.size(), 2);
}

TEST_F(BrowseForFolderTest, TheDesktopRootIsTheHomeDesktopOrHome)
{
    QString folder;
    BrowseForFolder(csidl::Desktop, 64, folder, nullptr, "Pick");
    QDir().mkpath(home() + "/Desktop");
    BrowseForFolder(csidl::Desktop, 64, folder, nullptr, "Pick");
    EXPECT_EQ(dialogs.startFolders, QStringList({home(), home() + "/Desktop"}));
}
