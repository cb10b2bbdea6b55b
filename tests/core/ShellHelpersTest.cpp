#include "core/ShellHelpers.h"

#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <QWidget>

#include <gtest/gtest.h>

#include "support/Fakes.h"
#include "support/ProgramFolderTest.h"
#include "support/ScopedEnv.h"

using namespace core;

TEST(ShellHelpersTest, ShellErrorMessages)
{
    const std::pair<qint32, QString> cases[] = {
        {2, "File not found"},
        {3, "Path not found"},
        {5, "Access denied"},
        {8, "Out of memory"},
        {11, "Invalid EXE file or error in EXE image"},
        {26, "A sharing violation occurred"},
        {27, "Incomplete or invalid file association"},
        {28, "DDE Time out"},
        {29, "DDE transaction failed"},
        {30, "DDE busy"},
        {31, "No association for file extension"},
        {32, "DLL not found"},
        {0, "Unknown error"},
        {1, "Unknown error"},
        {4, "Unknown error"},
        {-7, "Unknown error"},
    };
    test::ScriptedPrompt prompt;
    platform::setPrompt(&prompt);
    for (const auto& [code, text] : cases) {
        prompt.shown.clear();
        EXPECT_EQ(ShowShellExecuteError(code, false), text) << code;
        EXPECT_TRUE(prompt.shown.empty()) << code;

        EXPECT_EQ(ShowShellExecuteError(code, true), text) << code;
        ASSERT_EQ(prompt.shown.size(), 1u) << code;
        EXPECT_EQ(prompt.shown.front().text, text);
        EXPECT_EQ(prompt.shown.front().title, "Error:");
        EXPECT_EQ(prompt.shown.front().icon, platform::Icon::Critical);
    }

    prompt.shown.clear();
    EXPECT_EQ(ShowShellExecuteError(42, true), "");
    EXPECT_TRUE(prompt.shown.empty());
}

TEST(ShellHelpersTest, ShellExecuteOpenCodes)
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

TEST(ShellHelpersTest, SetTopmostKeepsGeometryAndVisibility)
{
    QWidget shown;
    shown.setGeometry(40, 50, 300, 200);
    shown.show();
    QWidget hidden;
    hidden.setGeometry(60, 70, 320, 240);

    for (const bool topmost : {true, false}) {
        for (QWidget* window : {&shown, &hidden}) {
            const QRect before = window->geometry();
            const bool visible = window->isVisible();
            SetTopmost(window, topmost);
            EXPECT_EQ(window->windowFlags().testFlag(Qt::WindowStaysOnTopHint), topmost);
            EXPECT_EQ(window->geometry(), before);
            EXPECT_EQ(window->isVisible(), visible);
        }
    }
    EXPECT_TRUE(shown.isVisible());
    SetTopmost(nullptr, true);
}
