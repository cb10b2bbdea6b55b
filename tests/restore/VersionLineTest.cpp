#include "restore/VersionLine.h"

#include <gtest/gtest.h>

#include "core/ScramblePassword.h"

using restore::VersionLine;

TEST(VersionLineTest, ReadsFolderAndFtpLines)
{
    const auto folder = VersionLine::parse("LAN|/mnt/b/Set|/mnt/b/Set/a b.zip|10/12/2026 12:00:00|12.5|2|1|pw|x");
    ASSERT_TRUE(folder.has_value());
    EXPECT_EQ(folder->kind(), VersionLine::Kind::Folder);
    EXPECT_EQ(folder->folder(), "/mnt/b/Set");
    EXPECT_EQ(folder->created(), "10/12/2026 12:00:00");
    EXPECT_EQ(folder->compression(), 2);
    EXPECT_EQ(folder->protection(), 1);
    // The password closes the line and may hold a "|".
    EXPECT_EQ(folder->password(), "pw|x");
    EXPECT_EQ(folder->ftpHost(), "");

    const auto ftp = VersionLine::parse("FTP|user|" + core::ScramblePassword("sécret")
                                        + "|ftp.example.org|021|/backup/set|/backup/set/s.zip|10/12/2026|3|1|0|");
    ASSERT_TRUE(ftp.has_value());
    EXPECT_EQ(ftp->kind(), VersionLine::Kind::Ftp);
    EXPECT_EQ(ftp->ftpUser(), "user");
    EXPECT_EQ(ftp->ftpPassword(), "sécret");
    EXPECT_EQ(ftp->ftpHost(), "ftp.example.org");
    EXPECT_EQ(ftp->ftpPort(), "021");
    EXPECT_EQ(ftp->ftpFolder(), "/backup/set");
    EXPECT_EQ(ftp->created(), "10/12/2026");
    EXPECT_EQ(ftp->compression(), 1);
    EXPECT_EQ(ftp->protection(), 0);
    EXPECT_EQ(ftp->password(), "");
    EXPECT_EQ(ftp->folder(), "");
}

TEST(VersionLineTest, RefusesOtherAndShortLines)
{
    for (const char* line : {"", "EMAIL|a@b|x|y|z|1|0|p", "lan|/f|/f/a.zip|d|1|0|0|p", "LAN|/f|/f/a.zip|d|1|0|0",
                             "FTP|u|p|h|21|/f|/f/a.zip|d|1|0|0"})
        EXPECT_FALSE(VersionLine::parse(line).has_value()) << line;
    // A digit field that holds no digit reads as unknown.
    const auto odd = VersionLine::parse("LAN|/f|/f/a.zip|d|1|x|10|p");
    ASSERT_TRUE(odd.has_value());
    EXPECT_EQ(odd->compression(), -1);
    EXPECT_EQ(odd->protection(), -1);
}
