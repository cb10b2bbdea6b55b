#include "core/ShellHelpers.h"

#include <gtest/gtest.h>

#include "support/Fakes.h"

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
