#include "main_window/StartupOptions.h"
#include "main_window/CloseDecision.h"

#include <gtest/gtest.h>

using namespace main_window;

TEST(StartupOptions, WholeCommandLineIsTheArgumentsAfterTheProgram)
{
    EXPECT_EQ(wholeCommandLine({"/usr/bin/quillback"}), "");
    EXPECT_EQ(wholeCommandLine({"/usr/bin/quillback", "/silent"}), "/silent");
    EXPECT_EQ(wholeCommandLine({"quillback", "/silent", "/s"}), "/silent /s");
    EXPECT_EQ(wholeCommandLine({"quillback", "/silent "}), "/silent ");
}

TEST(StartupOptions, ServiceDecision)
{
    const struct
    {
        bool capable;
        const char* active;
        const char* line;
        ServiceDecision decision;
    } cases[] = {
        {true, "0", "", ServiceDecision::Desktop},
        {true, "0", "/s", ServiceDecision::Desktop},
        {true, "", "/s", ServiceDecision::Desktop},
        {true, "yes", "/s", ServiceDecision::Desktop},
        {true, "1", "/s", ServiceDecision::ServiceMode},
        {true, "1", "", ServiceDecision::ServiceNotice},
        {true, "1", "/S", ServiceDecision::ServiceNotice},
        {true, "1", "/s ", ServiceDecision::ServiceNotice},
        {true, "1", "/silent", ServiceDecision::ServiceNotice},
        {false, "1", "/s", ServiceDecision::Desktop},
    };
    for (const auto& c : cases)
        EXPECT_EQ(decideService(c.capable, c.active, c.line), c.decision)
            << c.capable << " '" << c.active << "' '" << c.line << "'";
}

TEST(StartupOptions, ColumnWidthsRoundHalvesToEvenAndFallBackToTheDefault)
{
    const struct
    {
        const char* stored;
        int twips;
    } cases[] = {
        {"2500", 2500},   {"0", 0},       {"32767", 32767}, {"1500.5", 1500}, {"1501.5", 1502},
        {"1500.4", 1500}, {" 900 ", 900}, {"", 2500},       {"abc", 2500},    {"12px", 2500},
        {"32768", 2500},  {"-1", 2500},   {"1e40", 2500},   {"nan", 2500},    {"inf", 2500},
    };
    for (const auto& c : cases)
        EXPECT_EQ(columnWidthTwips(c.stored), c.twips) << "'" << c.stored << "'";
    EXPECT_EQ(twipsToPixels(2500), 167);
    EXPECT_EQ(twipsToPixels(0), 0);
    EXPECT_EQ(pixelsToTwips(200), 3000);
}

TEST(CloseDecision, CloseRequests)
{
    const struct
    {
        const char* what;
        UnloadMode mode;
        bool serviceMode;
        bool exitRequested;
        const char* alwaysExit;
        const char* noShow;
        CloseOutcome outcome;
        bool exitAfter;
        bool sessionEndAfter;
    } cases[] = {
        {"close box", UnloadMode::CloseBox, false, false, "0", "0", CloseOutcome::HideWithNotice, false, false},
        {"close box, no reminder", UnloadMode::CloseBox, false, false, "0", "1", CloseOutcome::HideSilently, false,
         false},
        {"close box, always exit", UnloadMode::CloseBox, false, false, "1", "0", CloseOutcome::HideThenUnload, false,
         false},
        {"close box, odd always-exit value", UnloadMode::CloseBox, false, false, "", "1", CloseOutcome::HideThenUnload,
         false, false},
        {"close by code", UnloadMode::Code, false, false, "0", "0", CloseOutcome::HideWithNotice, false, false},
        {"exit requested", UnloadMode::Code, false, true, "0", "0", CloseOutcome::Unload, true, false},
        {"exit requested in service mode", UnloadMode::Code, true, true, "0", "0", CloseOutcome::Unload, true, false},
        {"session end", UnloadMode::SessionEnd, false, false, "0", "0", CloseOutcome::Unload, true, false},
        {"task manager", UnloadMode::TaskManager, false, false, "0", "0", CloseOutcome::Unload, true, false},
        {"session end in service mode", UnloadMode::SessionEnd, true, false, "0", "0", CloseOutcome::Unload, true,
         true},
        {"task manager in service mode", UnloadMode::TaskManager, true, false, "0", "0", CloseOutcome::Unload, true,
         true},
    };
    for (const auto& c : cases) {
        CloseFlags flags;
        flags.ExitRequested = c.exitRequested;
        flags.SessionEndInService = true;
        EXPECT_EQ(decideClose(c.mode, c.serviceMode, flags, c.alwaysExit, c.noShow), c.outcome) << c.what;
        EXPECT_EQ(flags.ExitRequested, c.exitAfter) << c.what;
        EXPECT_EQ(flags.SessionEndInService, c.sessionEndAfter) << c.what;
    }
}

TEST(CloseDecision, NoticeAfterHideOnlyWithBothSettingsOff)
{
    EXPECT_TRUE(noticeAfterHide("0", "0"));
    EXPECT_FALSE(noticeAfterHide("1", "0"));
    EXPECT_FALSE(noticeAfterHide("0", "1"));
    EXPECT_FALSE(noticeAfterHide("", "0"));
}
