#include "core/BackupSet.h"

#include <gtest/gtest.h>

namespace
{
TEST(SetName, RefusesNamesThatCannotNameADocument)
{
    const std::pair<QString, bool> cases[] = {
        {"Documents", true},
        {"My set (2026) – Zoë", true},
        {"a.b", true},
        {"...", true},
        // The restore list's name and the temporary name it is written through fit the name limit.
        {QString(255 - 11 - 7, 'x'), true},
        {QString(255 - 11 - 6, 'x'), false},
        {QString(118, QChar(0x00E9)), true}, // two bytes each in a file name
        {QString(119, QChar(0x00E9)), false},
        {"", false},
        {".", false},
        {"..", false},
        {"a/b", false},
        {"a\\b", false},
        {"a\tb", false},
        {"a\nb", false},
        {QString("a") + QChar(0) + "b", false},
        {QString("a") + QChar(0x7F), false},
    };
    for (const auto& [name, valid] : cases) {
        const auto error = core::setNameError(name);
        EXPECT_EQ(!error.has_value(), valid) << qPrintable(name);
        if (error) {
            EXPECT_FALSE(error->isEmpty());
        }
    }
}
} // namespace

namespace
{
// The single archive is written and delivered under its name, and version lines carry it and the
// password between "|" separators.
TEST(ArchiveNameAndPassword, RefuseWhatTheRunCouldNotWriteOrRecord)
{
    const std::pair<QString, bool> names[] = {
        {"backup.zip", true}, {"my backup.zip", true}, {".hidden.zip", true}, {"", false},
        {"   ", false},       {"a/b.zip", false},      {"a\\b.zip", false},   {".", false},
        {"..", false},        {"a\tb.zip", false},     {"a|b.zip", false},
    };
    for (const auto& [name, valid] : names) {
        const auto error = core::archiveNameError(name);
        EXPECT_EQ(!error.has_value(), valid) << qPrintable(name);
    }
    EXPECT_TRUE(core::archiveNameError("a|b.zip")->contains("\"|\""));

    EXPECT_FALSE(core::setPasswordError("").has_value());
    EXPECT_FALSE(core::setPasswordError("s3cret ~!~ \\").has_value());
    ASSERT_TRUE(core::setPasswordError("pa|ss").has_value());
    EXPECT_TRUE(core::setPasswordError("pa|ss")->contains("\"|\""));
}
} // namespace
