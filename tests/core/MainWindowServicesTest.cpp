#include "core/MainWindowServices.h"

#include <gtest/gtest.h>

#include "support/Fakes.h"

namespace
{
TEST(ForgetShownVersion, BlanksTheFirstEqualLineOfTheWindow)
{
    const QString line = "LAN|/mnt/b|/mnt/b/docs.zip|10/12/2026|1|1|0|";
    const QString other = "LAN|/mnt/c|/mnt/c/docs.zip|10/12/2026|1|1|0|";
    {
        test::FakeMainWindow mainWindow;
        mainWindow.versions = {"", line, other, line, ""};
        core::forgetShownVersion(line);
        EXPECT_EQ(mainWindow.versions, QStringList({"", "", other, line, ""}));
        // A line the window does not show, and no line at all, change nothing.
        core::forgetShownVersion("X" + line);
        core::forgetShownVersion("");
        EXPECT_EQ(mainWindow.versions, QStringList({"", "", other, line, ""}));
    }
    // Without a main window there is nothing to update.
    core::forgetShownVersion(line);
}
} // namespace
