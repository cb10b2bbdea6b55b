#include "platform/MirrorPath.h"

#include <gtest/gtest.h>

TEST(MirrorPath, RelativePathsBelowAMirrorFolder)
{
    struct Case
    {
        const char* source;
        std::optional<QString> expected;
    };
    const Case cases[] = {
        {"/home/u/a.txt", QStringLiteral("home/u/a.txt")},
        {"//home//u/./a.txt", QStringLiteral("home/u/a.txt")},
        {"/home/u/dir/", QStringLiteral("home/u/dir")},
        {"/home/u/.", QStringLiteral("home/u")},
        {"/home/u/.hidden/..name", QStringLiteral("home/u/.hidden/..name")},
        {"C:\\Data\\a.txt", QStringLiteral("Data/a.txt")},
        {"c:/Data/sub/b.doc", QStringLiteral("Data/sub/b.doc")},
        {"\\\\server\\share\\x.txt", QStringLiteral("server/share/x.txt")},
        // A backslash inside a Linux name is part of the name.
        {"/home/u/odd\\name", QStringLiteral("home/u/odd\\name")},
        {"/home/u/../etc/passwd", std::nullopt},
        {"C:\\Data\\..\\x", std::nullopt},
        {"..", std::nullopt},
        {"/", std::nullopt},
        {"", std::nullopt},
        {"C:\\", std::nullopt},
    };
    for (const Case& c : cases)
        EXPECT_EQ(platform::mirrorRelativePath(QString::fromLatin1(c.source)), c.expected) << c.source;
}
