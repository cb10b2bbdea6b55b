#include <QDir>
#include <QFile>
#include <QTemporaryDir>

#include <gtest/gtest.h>

#include "FtpTestSupport.h"
#include "ftp/clsFtpClient.h"
#include "platform/EventLoop.h"
#include "support/Waits.h"

using namespace ftp;
using test::FtpPeer;
using test::runOperation;
using test::SessionLog;

namespace
{

class clsFtpClientCommandsTest : public ::testing::Test
{
protected:
    void SetUp() override
    {
        ASSERT_TRUE(peer.start()) << peer.error().toStdString();
        peer.configure(client);
        ASSERT_EQ(runOperation(client, log, [&] { return client.Connect(); }), "OnConnect 0");
    }

    QString run(const std::function<bool()>& start) { return runOperation(client, log, start); }

    FtpPeer peer;
    clsFtpClient client;
    SessionLog log {client};
};

} // namespace

TEST_F(clsFtpClientCommandsTest, FolderCommandsWorkOnNamesWithBlanksAccentsAndQuotes)
{
    for (const QString name :
         {QStringLiteral("two words"), QStringLiteral("Grüße ÆØÅ"), QStringLiteral("say \"hi\"")}) {
        SCOPED_TRACE(name.toStdString());
        EXPECT_EQ(run([&] { return client.CreateDirectory(name); }), "OnCreateDirectory 0");
        EXPECT_TRUE(QFileInfo(QDir(peer.root()).filePath(name)).isDir());

        EXPECT_EQ(run([&] { return client.SetCurrentDirectory(name); }), "OnSetCurrentDirectory 0");
        EXPECT_EQ(run([&] { return client.GetCurrentDirectory(); }), "OnGetCurrentDirectory 0");
        EXPECT_EQ(client.CurrentDirectory(), "/" + name);
        EXPECT_EQ(log.states(), (QList<int> {13, 0}));

        QFile file(QDir(peer.root()).filePath(name + "/old name.txt"));
        ASSERT_TRUE(file.open(QIODevice::WriteOnly));
        file.close();
        EXPECT_EQ(run([&] { return client.RenameFile("old name.txt", name + ".txt"); }), "OnRenameFile 0");
        EXPECT_EQ(log.commands(), (QStringList {"RNFR old name.txt", "RNTO " + name + ".txt"}));
        EXPECT_EQ(run([&] { return client.DeleteFile(name + ".txt"); }), "OnDeleteFile 0");
        EXPECT_TRUE(QDir(QDir(peer.root()).filePath(name)).isEmpty());

        EXPECT_EQ(run([&] { return client.SetCurrentDirectory(".."); }), "OnSetCurrentDirectory 0");
        EXPECT_EQ(run([&] { return client.RemoveDirectory(name); }), "OnRemoveDirectory 0");
        EXPECT_FALSE(QFileInfo::exists(QDir(peer.root()).filePath(name)));
    }
    EXPECT_EQ(run([&] { return client.QuitSession(); }), "OnQuitSession 0");
    EXPECT_FALSE(client.Busy());
    // The server's close after QUIT leaves the session not connected.
    EXPECT_TRUE(platform::waitWhile([&] { return client.FtpSessionState() != 1; }, test::EventLimitMs));
    EXPECT_EQ(log.states(), (QList<int> {19, 0, 1}));
    EXPECT_EQ(log.completions(), QStringList {"OnQuitSession 0"});
}

TEST_F(clsFtpClientCommandsTest, RefusedCommandsEndWithTheReplyCodeAndKeepTheSession)
{
    const struct
    {
        const char* name;
        std::function<bool()> start;
        const char* completion;
    } cases[] = {
        {"CWD", [&] { return client.SetCurrentDirectory("missing"); }, "OnSetCurrentDirectory 1"},
        {"DELE", [&] { return client.DeleteFile("missing.txt"); }, "OnDeleteFile 1"},
        {"RMD", [&] { return client.RemoveDirectory("missing"); }, "OnRemoveDirectory 1"},
        {"RNFR", [&] { return client.RenameFile("missing", "other"); }, "OnRenameFile 1"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        EXPECT_EQ(run(c.start), c.completion);
        EXPECT_EQ(client.LastFtpError().Number, 16550);
        EXPECT_EQ(client.LastFtpError().Description, QStringLiteral("Requested action not taken."));
        EXPECT_EQ(client.LastFtpError().Source, QStringLiteral("FtpClientX.clsFtpClient"));
        EXPECT_FALSE(client.Busy());
    }
    // The connection stays open after a refusal.
    EXPECT_EQ(run([&] { return client.GetCurrentDirectory(); }), "OnGetCurrentDirectory 0");
    EXPECT_EQ(client.LastFtpError().Number, 0);
}

TEST_F(clsFtpClientCommandsTest, SizeTellsWhatTheServerHoldsAfterATransfer)
{
    QTemporaryDir local;
    QFile file(local.filePath("up.bin"));
    ASSERT_TRUE(file.open(QIODevice::WriteOnly));
    file.write(QByteArray(1234, 'u'));
    file.close();
    // The transfer leaves the session in image mode, where servers answer SIZE.
    EXPECT_EQ(run([&] { return client.UploadFile(file.fileName(), "up.bin", 0); }), "OnUploadFile 0");

    EXPECT_EQ(run([&] { return client.GetFileSize("up.bin"); }), "OnGetFileSize 0");
    EXPECT_EQ(log.commands(), QStringList {"SIZE up.bin"});
    EXPECT_EQ(client.RemoteFileSize(), 1234);

    EXPECT_EQ(run([&] { return client.GetFileSize("missing.bin"); }), "OnGetFileSize 1");
    EXPECT_EQ(client.LastFtpError().Number, 16550);
    EXPECT_EQ(client.RemoteFileSize(), -1);
}

TEST_F(clsFtpClientCommandsTest, ASecondOperationWhileOneRunsIsRefusedWithoutDisturbingIt)
{
    log.clear();
    ASSERT_TRUE(client.CreateDirectory("first"));
    ASSERT_TRUE(client.Busy());

    const struct
    {
        const char* name;
        std::function<bool()> start;
        int number;
    } cases[] = {
        {"CWD", [&] { return client.SetCurrentDirectory("x"); }, 16007},
        {"PWD", [&] { return client.GetCurrentDirectory(); }, 16007},
        {"MKD", [&] { return client.CreateDirectory("x"); }, 16007},
        {"RMD", [&] { return client.RemoveDirectory("x"); }, 16007},
        {"DELE", [&] { return client.DeleteFile("x"); }, 16007},
        {"RNFR", [&] { return client.RenameFile("x", "y"); }, 16007},
        {"LIST", [&] { return client.EnumFiles(); }, 16007},
        {"QUIT", [&] { return client.QuitSession(); }, 16007},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        EXPECT_FALSE(c.start());
        EXPECT_EQ(client.LastFtpError().Number, c.number);
        EXPECT_FALSE(client.LastFtpError().Description.isEmpty());
    }
    EXPECT_EQ(client.LastFtpError().Source, QStringLiteral("clsFtpClient.QuitSession"));
    EXPECT_EQ(log.commands(), QStringList {"MKD first"});

    ASSERT_TRUE(log.waitForCompletion());
    EXPECT_EQ(log.completions(), QStringList {"OnCreateDirectory 0"});
    EXPECT_TRUE(QFileInfo(QDir(peer.root()).filePath("first")).isDir());
}

TEST_F(clsFtpClientCommandsTest, ArgumentsWithLineBreaksOrNulAreRefusedAndNothingIsSent)
{
    log.clear();
    for (const QString bad : {QStringLiteral("a\rb"), QStringLiteral("a\r\nDELE victim"), QStringLiteral("a\nb"),
                              QString("a") + QChar(0) + "b"}) {
        EXPECT_FALSE(client.SetCurrentDirectory(bad));
        EXPECT_EQ(client.LastFtpError().Number, 5);
        EXPECT_FALSE(client.CreateDirectory(bad));
        EXPECT_FALSE(client.DeleteFile(bad));
        EXPECT_FALSE(client.RemoveDirectory(bad));
        EXPECT_FALSE(client.RenameFile("fine", bad));
    }
    EXPECT_TRUE(log.entries.isEmpty());
    EXPECT_FALSE(client.Busy());
}

TEST_F(clsFtpClientCommandsTest, EmptyNamesAreRefusedWithTheirTexts)
{
    log.clear();
    EXPECT_FALSE(client.RemoveDirectory(""));
    EXPECT_EQ(client.LastFtpError().Number, 5);
    EXPECT_EQ(client.LastFtpError().Description, QStringLiteral("Remove Directory Failed"));
    EXPECT_FALSE(client.RenameFile("", "b"));
    EXPECT_EQ(client.LastFtpError().Description, QStringLiteral("FTP RenameFile failed"));
    EXPECT_FALSE(client.SetCurrentDirectory(""));
    EXPECT_FALSE(client.CreateDirectory(""));
    EXPECT_FALSE(client.DeleteFile(""));
    EXPECT_EQ(client.LastFtpError().Number, 5);
    EXPECT_FALSE(client.DownloadFile("", "/tmp/x", true));
    EXPECT_EQ(client.LastFtpError().Description, QStringLiteral("Download Failed: Invalid Procedure Call or Argument"));
    EXPECT_FALSE(client.UploadFile("/tmp/x", "", 0));
    EXPECT_EQ(client.LastFtpError().Number, 5);
    EXPECT_TRUE(log.entries.isEmpty());
}

TEST_F(clsFtpClientCommandsTest, ACommandAfterTheConnectionClosedEndsAtOnce)
{
    client.CloseControlConnection();
    EXPECT_EQ(client.FtpSessionState(), 0);
    EXPECT_FALSE(client.Busy());
    ASSERT_TRUE(platform::waitWhile([&] { return client.FtpSessionState() != 1; }, test::EventLimitMs));

    for (const auto& start : std::initializer_list<std::function<bool()>> {
             [&] { return client.SetCurrentDirectory("x"); }, [&] { return client.QuitSession(); }}) {
        log.clear();
        EXPECT_TRUE(start());
        EXPECT_EQ(log.completions().size(), 1);
        EXPECT_TRUE(log.completions().constFirst().endsWith(" 1"));
        EXPECT_EQ(client.LastFtpError().Description, QStringLiteral("The connection is not established"));
        EXPECT_TRUE(log.commands().isEmpty());
        EXPECT_FALSE(client.Busy());
    }
}

TEST_F(clsFtpClientCommandsTest, CancelEndsTheOperationOnceAndALateReplyChangesNothing)
{
    log.clear();
    ASSERT_TRUE(client.CreateDirectory("late"));
    client.CancelAsyncMethod();
    EXPECT_EQ(log.completions(), QStringList {"OnCreateDirectory 3"});
    EXPECT_FALSE(client.Busy());
    platform::waitWhile([] { return true; }, 300);
    EXPECT_EQ(log.completions(), QStringList {"OnCreateDirectory 3"});

    // Nothing pending: the state goes to idle and no event follows.
    log.clear();
    client.CancelAsyncMethod();
    EXPECT_EQ(log.entries, QStringList {"state 0"});
}
