#include "core/VersionLine.h"

#include <gtest/gtest.h>

#include "core/ScramblePassword.h"

using core::VersionLine;

namespace
{
QString ftpLine(const QString& port, const QString& user = "anna", const QString& password = "pa ss|")
{
    return "FTP|" + user + "|" + core::ScramblePassword(password) + "|ftp.example.org|" + port
        + "|/backups/set|/backups/set/Set.zip|10/12/2026 12:00:00|2048|1|1|key|s";
}
} // namespace

TEST(VersionLineTest, ReadsFolderLinesWithUnusualButValidFields)
{
    struct Case
    {
        QString line;
        QString folder;
        QString archive;
        QString created;
        int compression;
        int protection;
        QString password;
    };
    const Case cases[] = {
        {"LAN|/mnt/backup/Set|/mnt/backup/Set/Set.zip|10/12/2026 12:00:00|12,5|1|0|", "/mnt/backup/Set",
         "/mnt/backup/Set/Set.zip", "10/12/2026 12:00:00", 1, 0, ""},
        // Blanks, non-Latin letters, an old Windows folder, a password with the tag separator in it.
        {"LAN|/mnt/Sicherung März/Ünïcode 文件|/mnt/x/Set.zip.bf|01/01/2027|0|2|1| a~!~b ",
         "/mnt/Sicherung März/Ünïcode 文件", "/mnt/x/Set.zip.bf", "01/01/2027", 2, 1, " a~!~b "},
        {"LAN|C:\\Backups|C:\\Backups/Set.zip|||0|0|", "C:\\Backups", "C:\\Backups/Set.zip", "", 0, 0, ""},
        // Older documents kept a password with "|" as typed: it takes the rest of the line.
        {"LAN|/b|/b/S.zip|10/12/2026|1|1|0|pass|word|", "/b", "/b/S.zip", "10/12/2026", 1, 0, "pass|word|"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.line.toStdString());
        QString reason = "left from before";
        const std::optional<VersionLine> v = VersionLine::parse(c.line, &reason);
        ASSERT_TRUE(v) << reason.toStdString();
        EXPECT_TRUE(reason.isEmpty());
        EXPECT_EQ(v->kind(), VersionLine::Kind::Folder);
        EXPECT_EQ(v->folder(), c.folder);
        EXPECT_EQ(v->archivePath(), c.archive);
        EXPECT_EQ(v->created(), c.created);
        EXPECT_EQ(v->compression(), c.compression);
        EXPECT_EQ(v->protection(), c.protection);
        EXPECT_EQ(v->password(), c.password);
        EXPECT_TRUE(v->ftpHost().isEmpty());
    }
}

TEST(VersionLineTest, ReadsFtpLinesWithThePasswordInClearAndAnyPort)
{
    const std::pair<QString, quint16> ports[]
        = {{"21", 21}, {"021", 21}, {"0", 0}, {"32768", 32768}, {"50021", 50021}, {"65535", 65535}, {" 2121 ", 2121}};
    for (const auto& [text, number] : ports) {
        SCOPED_TRACE(text.toStdString());
        const std::optional<VersionLine> v = VersionLine::parse(ftpLine(text));
        ASSERT_TRUE(v);
        EXPECT_EQ(v->kind(), VersionLine::Kind::Ftp);
        EXPECT_EQ(v->ftpPortNumber(), number);
        EXPECT_EQ(v->ftpPort(), QString::number(number));
        EXPECT_EQ(v->ftpHost(), "ftp.example.org");
        EXPECT_EQ(v->ftpUser(), "anna");
        EXPECT_EQ(v->ftpPassword(), "pa ss|");
        EXPECT_EQ(v->ftpFolder(), "/backups/set");
        EXPECT_EQ(v->folder(), "/backups/set");
        EXPECT_EQ(v->archivePath(), "/backups/set/Set.zip");
        EXPECT_EQ(v->created(), "10/12/2026 12:00:00");
        EXPECT_EQ(v->sizeKB(), "2048");
        EXPECT_EQ(v->compression(), 1);
        EXPECT_EQ(v->protection(), 1);
        EXPECT_EQ(v->password(), "key|s");
    }
    // The scrambled form of a password beyond ASCII reads back in clear.
    const std::optional<VersionLine> accented = VersionLine::parse(ftpLine("21", "user", "sécret"));
    ASSERT_TRUE(accented);
    EXPECT_EQ(accented->ftpPassword(), "sécret");
    // An anonymous login has neither user nor password.
    const std::optional<VersionLine> anonymous = VersionLine::parse(ftpLine("21", "", ""));
    ASSERT_TRUE(anonymous);
    EXPECT_TRUE(anonymous->ftpUser().isEmpty());
    EXPECT_TRUE(anonymous->ftpPassword().isEmpty());
}

TEST(VersionLineTest, RefusesMalformedLinesAndSaysWhy)
{
    const QString lan = "LAN|/b|/b/S.zip|10/12/2026|1|%1|%2|secret";
    const std::pair<QString, QString> cases[] = {
        {"LAN|/backup|x|10/12/2026", "a folder version has 8 fields, this line has 4"},
        {"LAN|/b|/b/S.zip|10/12/2026|1|1", "a folder version has 8 fields, this line has 6"},
        {"LAN||/S.zip|10/12/2026|1|1|0|secret", "the folder is empty"},
        {lan.arg("7", "0"), "the compression \"7\" is not 0, 1 or 2"},
        {lan.arg("", "0"), "the compression \"\" is not 0, 1 or 2"},
        {lan.arg("1", "2"), "the encryption \"2\" is not 0 or 1"},
        {lan.arg("1", "-1"), "the encryption \"-1\" is not 0 or 1"},
        {"FTP|u|p|host|21|/f|/f/S.zip|10/12/2026|1|1|0", "an FTP version has 12 fields, this line has 11"},
        {ftpLine("65536"), "the port \"65536\" is not a number from 0 to 65535"},
        {ftpLine("-1"), "the port \"-1\" is not a number from 0 to 65535"},
        {ftpLine("21a"), "the port \"21a\" is not a number from 0 to 65535"},
        {ftpLine(""), "the port \"\" is not a number from 0 to 65535"},
        {ftpLine("99999999999999999999"), "the port \"99999999999999999999\" is not a number from 0 to 65535"},
        {"FTP|u|p||21|/f|/f/S.zip|10/12/2026|1|1|0|k", "the host is empty"},
    };
    for (const auto& [line, expected] : cases) {
        SCOPED_TRACE(line.toStdString());
        QString reason;
        EXPECT_FALSE(VersionLine::parse(line, &reason));
        EXPECT_EQ(reason, expected);
        // The reason is shown to the user: it never repeats a password.
        EXPECT_FALSE(reason.contains("secret"));
        EXPECT_FALSE(reason.contains("pa ss"));
    }
}

TEST(VersionLineTest, SkipsBlankLinesAndLinesOfOtherKindsWithoutAReason)
{
    for (const QString line : {"", "   ", "EMAIL|anna@example.org|subject", "lan|/b|/b/S.zip|d|1|1|0|p", "garbage",
                               " LAN|/b|/b/S.zip|d|1|1|0|p"}) {
        SCOPED_TRACE(line.toStdString());
        QString reason = "left from before";
        EXPECT_FALSE(VersionLine::parse(line, &reason));
        EXPECT_TRUE(reason.isEmpty());
    }
}

TEST(VersionLineTest, TheDeliveredArchiveHasTheBlanksOfItsNameAsTheRunSentIt)
{
    const std::pair<QString, QString> cases[] = {
        {"LAN|/b/May 1 Docs|/b/May 1 Docs/Docs Backup.zip.bf|10/12/2026|1|1|1|pw", "/b/May 1 Docs/Docs_Backup.zip.bf"},
        {"FTP|u|p|h|21|/f/May 1|/f/May 1/A B.zip|10/12/2026|1|1|0|", "/f/May 1/A_B.zip"},
        {"LAN|/b|Plain.zip|10/12/2026|1|1|0|", "Plain.zip"},
    };
    for (const auto& [line, delivered] : cases) {
        const std::optional<VersionLine> v = VersionLine::parse(line);
        ASSERT_TRUE(v) << line.toStdString();
        EXPECT_EQ(v->deliveredArchivePath(), delivered);
    }
}

TEST(VersionLineTest, ComposesLinesThatReadBackWithAPasswordHoldingTheSeparator)
{
    const QStringList folder = {"LAN", "/b", "/b/S.zip.bf", "10/12/2026", "2", "1", "1", "p|a ss|"};
    const std::optional<QString> line = VersionLine::compose(folder);
    ASSERT_TRUE(line);
    EXPECT_EQ(*line, "LAN|/b|/b/S.zip.bf|10/12/2026|2|1|1|p|a ss|");
    const std::optional<VersionLine> read = VersionLine::parse(*line);
    ASSERT_TRUE(read);
    EXPECT_EQ(read->password(), "p|a ss|");
    EXPECT_EQ(read->archivePath(), "/b/S.zip.bf");

    const QStringList ftp = {
        "FTP", "anna", core::ScramblePassword("pw"), "host", "21", "/f", "/f/S.zip", "10/12/2026", "1", "1", "0", "|"};
    const std::optional<VersionLine> server = VersionLine::parse(VersionLine::compose(ftp).value_or(""));
    ASSERT_TRUE(server);
    EXPECT_EQ(server->password(), "|");
    EXPECT_EQ(server->ftpPassword(), "pw");

    const struct
    {
        QStringList fields;
        QString reason;
    } refused[] = {
        {{"LAN", "/b|c", "/b|c/S.zip", "d", "1", "1", "0", "secret"},
         "its folder holds \"|\", which separates the fields of a version line"},
        {{"FTP", "anna", "se|cret", "host", "21", "/f", "/f/S.zip", "d", "1", "1", "0", "secret"},
         "its FTP password holds \"|\", which separates the fields of a version line"},
        {{"LAN", "/b", "/b/S.zip", "d", "1", "1", "secret"}, "a version line has 8 fields, not 7"},
    };
    for (const auto& c : refused) {
        SCOPED_TRACE(c.reason.toStdString());
        QString reason;
        EXPECT_FALSE(VersionLine::compose(c.fields, &reason));
        EXPECT_EQ(reason, c.reason);
        EXPECT_FALSE(reason.contains("cret"));
    }
}

TEST(VersionLineTest, ShowsLinesWithoutTheirPasswords)
{
    const std::pair<QString, QString> cases[] = {
        {"LAN|/b|/b/S.zip|10/12/2026|1|1|1|pa|ss", "LAN|/b|/b/S.zip|10/12/2026|1|1|1|***"},
        {"FTP|anna|\u00f0\u00f7|host|21|/f|/f/S.zip|d|1|1|0|key", "FTP|anna|***|host|21|/f|/f/S.zip|d|1|1|0|***"},
        // A short line still loses what could be a password; other text stays as it is.
        {"FTP|anna|\u00f0\u00f7|host", "FTP|anna|***|host"},
        {"LAN|/b|x", "LAN|/b|x"},
        {"EMAIL|anna@example.org", "EMAIL|anna@example.org"},
    };
    for (const auto& [line, shown] : cases)
        EXPECT_EQ(VersionLine::withoutPasswords(line), shown) << line.toStdString();
}
