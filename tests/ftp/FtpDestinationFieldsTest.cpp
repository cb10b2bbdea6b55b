#include "ftp/FtpDestinationFields.h"

#include <gtest/gtest.h>

#include "core/BackupSet.h"

using namespace ftp;

TEST(FtpDestinationFieldsTest, PortsAreWholeNumbersAServerCanListenOn)
{
    const std::pair<QString, std::optional<int>> cases[] = {
        {"21", 21},
        {"1", 1},
        {"65535", 65535},
        {"2121", 2121},
        {"0", std::nullopt},
        {"65536", std::nullopt},
        {"", std::nullopt},
        {"ftp", std::nullopt},
        {" 21", std::nullopt},
        {"+21", std::nullopt},
        {"21.0", std::nullopt},
        {"000021", std::nullopt},
    };
    for (const auto& [text, port] : cases)
        EXPECT_EQ(portNumber(text), port) << text.toStdString();
}

TEST(FtpDestinationFieldsTest, RefusesTextsThatRowsVersionLinesOrSettingsCannotHold)
{
    struct Case
    {
        QString host, user, password, folder;
        QString error; // empty: accepted
    };
    const QString clearOfBar = QString(QChar(0xFC)); // scrambles to "|"
    const Case cases[] = {
        {"ftp.example.org", "anna", "s3cret ~!~ |", "/backup/daily set", ""},
        {"", "", "", "", ""},
        {"ftp~!~example.org", "anna", "", "/", "The host may not contain \"~!~\"."},
        {"ftp.example.org", "an|na", "", "/", "The user name may not contain \"|\"."},
        {"ftp.example.org", "anna", "", "/a\tb", "The folder may not contain a control character."},
        {"ftp.example.org", "anna", "", "/a|b", "The folder may not contain \"|\"."},
        {"ftp.example.org", "anna", "gr" + clearOfBar + "n", "/", "The password may not contain \"\u00fc\"."},
        {"ftp.example.org", "anna", "a\nb", "/", "The password may not contain control characters."},
        {"ftp.example.org", "anna", QString("a") + QChar(0x8D) + "b", "/",
         "The password may not contain control characters."},
        {"ftp.example.org", "anna", QString("\u00fe\u00a1\u00fe"), "/",
         "The password may not contain \"\u00fe\u00a1\u00fe\"."},
    };
    for (const Case& c : cases) {
        const auto error = destinationFieldsError(c.host, c.user, c.password, c.folder);
        EXPECT_EQ(error.value_or(QString()), c.error) << c.host.toStdString() << " " << c.folder.toStdString();
    }
}

TEST(FtpDestinationFieldsTest, RemotePathsJoinWithOneSlashAndStopAtTheRoot)
{
    EXPECT_EQ(joinRemotePath("/", "backup"), "/backup");
    EXPECT_EQ(joinRemotePath("/home/anna", "backup"), "/home/anna/backup");
    EXPECT_EQ(joinRemotePath("/home/anna/", "backup"), "/home/anna/backup");
    // A run's folder stays relative to the login folder when it was given so.
    EXPECT_EQ(joinFtpFolder("", "Docs.zip"), "Docs.zip");
    EXPECT_EQ(joinFtpFolder("backup", "a/b.txt"), "backup/a/b.txt");
    EXPECT_EQ(joinFtpFolder("/", "May"), "/May");
    EXPECT_EQ(joinFtpFolder("/backup", ""), "/backup");

    EXPECT_EQ(parentRemotePath("/home/anna"), "/home");
    EXPECT_EQ(parentRemotePath("/home"), "/");
    EXPECT_EQ(parentRemotePath("/"), "/");
    EXPECT_EQ(parentRemotePath("/home/anna/"), "/home");

    EXPECT_EQ(startFolderArgument(""), "/");
    EXPECT_EQ(startFolderArgument("  / "), "/");
    EXPECT_EQ(startFolderArgument("/backup/daily"), "/backup/daily");
    EXPECT_EQ(startFolderArgument("backup"), "backup");
}

TEST(FtpDestinationFieldsTest, FileIconsFollowTheExtensionAndSizesGroupByThree)
{
    const std::pair<QString, int> icons[] = {{"README", 4},  {"notes.", 3},         {"INDEX.HTM", 3}, {"set.zip", 4},
                                             {"run.log", 3}, {"archive.tar.gz", 4}, {"page.shtml", 3}};
    for (const auto& [name, icon] : icons)
        EXPECT_EQ(remoteFileIcon(name), icon) << name.toStdString();

    EXPECT_EQ(groupedSize(0), "0");
    EXPECT_EQ(groupedSize(999), "999");
    EXPECT_EQ(groupedSize(1000), "1 000");
    EXPECT_EQ(groupedSize(1234567), "1 234 567");
}

TEST(FtpDestinationFieldsTest, ASessionBackToAVersionIsPassiveAsTheDestinationThatMadeIt)
{
    core::BackupSetInfo set;
    set.DestCount = 4;
    const auto ftpAt = [](const QString& host, const QString& port, bool passive) {
        core::DestinationInfo dest;
        dest.Type = core::DestinationType::Ftp;
        dest.FTPHost = host;
        dest.FTPPort = port;
        dest.FTPPassive = passive;
        return dest;
    };
    set.Dest[1].Type = core::DestinationType::Folder;
    set.Dest[2] = ftpAt("ftp.example.org", "2121", false);
    set.Dest[3] = ftpAt(" FTP.example.org", "21", false);
    set.Dest[4] = ftpAt("ftp.example.org", "", true);
    struct Case
    {
        QString host;
        int port;
        bool passive;
    };
    const Case cases[] = {
        // Another port of the same host, and the first of two matches, are active here.
        {"ftp.example.org", 2121, false},
        {"ftp.example.org", 21, false},
        // No destination at the host: passive.
        {"other.example.org", 21, true},
        {"ftp.example.org", 990, true},
    };
    for (const Case& c : cases)
        EXPECT_EQ(passiveForServer(set, c.host, c.port), c.passive) << c.host.toStdString() << ":" << c.port;
    // Dest 3 came first at port 21; without it the empty port of dest 4 means 21.
    set.Dest[3].Type = core::DestinationType::Unused;
    EXPECT_TRUE(passiveForServer(set, "ftp.example.org", 21));
}
