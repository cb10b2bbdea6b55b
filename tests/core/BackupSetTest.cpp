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
