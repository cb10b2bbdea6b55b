#include "core/DestinationRowTag.h"

#include <gtest/gtest.h>

#include "core/ScramblePassword.h"

using core::DestinationInfo;
using core::DestinationRow;
using core::DestinationRowTag;

namespace
{
DestinationInfo folder(const QString& path)
{
    DestinationInfo dest;
    dest.Type = core::DestinationType::Folder;
    dest.LocalFolder = path;
    return dest;
}

DestinationInfo ftp(bool passive)
{
    DestinationInfo dest;
    dest.Type = core::DestinationType::Ftp;
    dest.FTPHost = "ftp.example.org";
    dest.FTPPort = "2121";
    dest.FTPUser = "anna";
    dest.FTPPass = "s\u00E9cret";
    dest.FTPFolder = "/backups";
    dest.FTPPassive = passive;
    return dest;
}

DestinationInfo email()
{
    DestinationInfo dest;
    dest.Type = core::DestinationType::Email;
    dest.EmailID = "anna@example.org";
    dest.Subject = "Backup";
    dest.Body = "Line one\r\nLine two";
    return dest;
}

bool same(const DestinationInfo& a, const DestinationInfo& b)
{
    return a.Type == b.Type && a.LocalFolder == b.LocalFolder && a.FTPHost == b.FTPHost && a.FTPPort == b.FTPPort
        && a.FTPUser == b.FTPUser && a.FTPPass == b.FTPPass && a.FTPFolder == b.FTPFolder
        && a.FTPPassive == b.FTPPassive && a.EmailID == b.EmailID && a.Subject == b.Subject && a.Body == b.Body;
}
} // namespace

TEST(DestinationRowTag, StoredDestinationsBecomeRowsAndComeBackUnchanged)
{
    struct Case
    {
        DestinationInfo dest;
        QString text;
        QString details;
        QStringList fields;
    };
    const QString scrambled = core::ScramblePassword("s\u00E9cret");
    const Case cases[] = {
        {folder(" /mnt/backup "), "LAN/Local Folder", " /mnt/backup ", {" /mnt/backup "}},
        {ftp(true), "FTP", "ftp.example.org", {"ftp.example.org", "2121", "anna", scrambled, "/backups", "True"}},
        {ftp(false), "FTP", "ftp.example.org", {"ftp.example.org", "2121", "anna", scrambled, "/backups", "False"}},
        {email(), "EMAIL", "anna@example.org", {"anna@example.org", "Backup", "Line one\r\nLine two"}},
    };
    for (const Case& c : cases) {
        const auto row = core::rowFromDestination(c.dest);
        ASSERT_TRUE(row.has_value()) << c.text.toStdString();
        EXPECT_EQ(row->text, c.text);
        EXPECT_EQ(row->details, c.details);
        EXPECT_EQ(row->tag.fields(), c.fields);

        DestinationInfo back;
        ASSERT_TRUE(core::destinationFromRow(*row, back));
        EXPECT_TRUE(same(back, c.dest)) << c.text.toStdString();
    }
    EXPECT_FALSE(core::rowFromDestination(DestinationInfo()).has_value());
}

TEST(DestinationRowTag, DialogRowsCarryPassiveAsADigitAndThePasswordScrambled)
{
    const DestinationRow row = core::ftpRow("h", "21", "u", "pw", "/f", true);
    EXPECT_EQ(row.tag.text(), "h~!~21~!~u~!~" + core::ScramblePassword("pw") + "~!~/f~!~1");
    EXPECT_EQ(core::ftpRow("h", "21", "u", "pw", "/f", false).tag.fields().last(), "0");
    EXPECT_EQ(core::folderRow("/a").tag.text(), "/a");
    EXPECT_EQ(core::emailRow("a@b", "S", "B").tag.text(), "a@b~!~S~!~B");
}

TEST(DestinationRowTag, PassiveFlagReadsEveryFormTheRowsCarry)
{
    const std::pair<QString, bool> cases[] = {
        {"1", true}, {"0", false}, {"True", true}, {"False", false}, {"true", true}, {"-1", true},
    };
    for (const auto& [flag, passive] : cases) {
        for (const bool before : {false, true}) {
            DestinationInfo dest;
            dest.FTPPassive = before;
            const DestinationRow row {"FTP", "h", DestinationRowTag({"h", "21", "u", "p", "/", flag})};
            ASSERT_TRUE(core::destinationFromRow(row, dest));
            EXPECT_EQ(dest.FTPPassive, passive) << flag.toStdString();
        }
    }
    DestinationInfo dest;
    dest.FTPPassive = true;
    ASSERT_TRUE(core::destinationFromRow({"FTP", "h", DestinationRowTag({"h", "21", "u", "p", "/", "maybe"})}, dest));
    EXPECT_TRUE(dest.FTPPassive) << "a text that is no flag leaves the record alone";
}

TEST(DestinationRowTag, ShortTagsFillWhatTheyHaveAndUnknownKindsNothing)
{
    DestinationInfo dest = ftp(true);
    ASSERT_TRUE(core::destinationFromRow({"FTP", "new", DestinationRowTag({"new.host", "99"})}, dest));
    EXPECT_EQ(dest.FTPHost, "new.host");
    EXPECT_EQ(dest.FTPPort, "99");
    EXPECT_EQ(dest.FTPUser, "anna");
    EXPECT_EQ(dest.FTPPass, "s\u00E9cret");
    EXPECT_TRUE(dest.FTPPassive);

    for (const QString text : {"ftp", "FTP ", "Email", ""}) {
        DestinationInfo untouched = email();
        EXPECT_FALSE(core::destinationFromRow({text, "x", DestinationRowTag({"x", "y", "z"})}, untouched));
        EXPECT_TRUE(same(untouched, email())) << text.toStdString();
        EXPECT_EQ(core::destinationRowType(text), core::DestinationType::Unused);
    }
}

TEST(DestinationRowTag, ValuesHoldingTheSeparatorKeepTheirPlace)
{
    DestinationInfo dest = email();
    dest.Subject = "a~!~b";
    const auto row = core::rowFromDestination(dest);
    ASSERT_TRUE(row.has_value());
    DestinationInfo back;
    ASSERT_TRUE(core::destinationFromRow(*row, back));
    EXPECT_EQ(back.Subject, "a~!~b");
    EXPECT_EQ(back.Body, dest.Body);
    // The text form cannot carry such a value, which is why rows keep their fields.
    EXPECT_EQ(DestinationRowTag::fromText(row->tag.text()).fields().size(), 4);
}
