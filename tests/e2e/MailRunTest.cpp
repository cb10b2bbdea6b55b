#include <algorithm>

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QJsonDocument>
#include <QJsonObject>
#include <QProcess>
#include <QTcpServer>
#include <QTemporaryDir>
#include <gtest/gtest.h>

#include "RunFixture.h"
#include "core/ProgramState.h"
#include "core/ScramblePassword.h"
#include "core/Settings.h"
#include "mail/MailSender.h"
#include "mail/StallLimits.h"
#include "mail/UUDecoders.h"
#include "main_window/BackupSetList.h"
#include "main_window/frmPrefs2.h"
#include "peers/PeerProcess.h"
#include "platform/EventLoop.h"
#include "support/Waits.h"

namespace
{
const QString Recipient = "backup@example.org";

// Runs of sets with e-mail destinations against aiosmtpd.
class MailRunTest : public test::RunFixture
{
protected:
    void SetUp() override
    {
        RunFixture::SetUp();
        ASSERT_TRUE(received.isValid());
        mail::MailSender::instance().reset();
        mail::MailSender::instance().setLimits(test::generousLimits());
        // Named like Docs/a.txt, so that their work copies would meet.
        const QString alike = source + "/Docs/sub/a.txt";
        ASSERT_TRUE(test::writeFile(alike, "alpha below\n"));
        contents.insert(alike, "alpha below\n");
        // Lengths at the edges of a uuencoded line: 45 fills one, 14 ends with a line starting ".".
        for (const auto& [name, size] : {std::pair {"fourteen.bin", 14}, std::pair {"fortyfive.bin", 45}}) {
            QByteArray bytes;
            for (int i = 0; i < size; ++i)
                bytes += char(0x30 + (i * 7) % 64);
            const QString path = source + "/Docs/" + name;
            ASSERT_TRUE(test::writeFile(path, bytes));
            contents.insert(path, bytes);
        }
    }

    void TearDown() override
    {
        mail::MailSender::instance().reset();
        mail::MailSender::instance().setLimits(mail::SmtpLimits {});
        RunFixture::TearDown();
    }

    void startPeer(const QStringList& arguments = {})
    {
        ASSERT_TRUE(peer.start("smtp_peer.py", QStringList {"--out", received.path()} + arguments))
            << peer.error().toStdString();
        useServer(peer.port());
    }

    static void useServer(quint16 port, bool auth = false, const QString& password = QString())
    {
        core::WritePreference("txtEmailFrom", "quillback@example.org");
        core::WritePreference("txtServer", "127.0.0.1");
        core::WritePreference("txtPort", QString::number(port));
        core::WritePreference("chkAuth", auth ? "1" : "0");
        core::WritePreference("txtUsername", "anna");
        core::WritePreference("txtPassword2", core::ScramblePassword(password));
    }

    static quint16 closedPort()
    {
        QTcpServer server;
        if (!server.listen(QHostAddress::LocalHost))
            return 0;
        const quint16 port = server.serverPort();
        server.close();
        return port;
    }

    QByteArray message(int n = 1) const { return test::readFile(received.filePath(QString("message-%1.eml").arg(n))); }

    // The plain contents the attachments of a mail stand for, sorted: each block decoded by both
    // decoders (which must agree), deciphered when protected and unpacked when packed per file.
    QList<QByteArray> attachedContents(const QByteArray& mail, bool protect, bool packed)
    {
        QList<QByteArray> plain;
        int n = 0;
        for (const QByteArray& block : test::uuBlocks(mail)) {
            const std::optional<QByteArray> sharutils = test::uudecode(block);
            const std::optional<QByteArray> binascii = test::binasciiDecode(block);
            EXPECT_TRUE(sharutils && binascii) << block.left(60).toStdString();
            if (!sharutils || !binascii)
                continue;
            EXPECT_EQ(*sharutils, *binascii);
            const QString file = scratch.filePath(QString("attachment-%1").arg(++n));
            EXPECT_TRUE(test::writeFile(file, *sharutils));
            const QString clear = protect ? plainFile(file, true) : file;
            if (packed) {
                EXPECT_EQ(unzip({"-tq", clear}).first, 0) << clear.toStdString();
                plain << unzip({"-p", clear}).second;
            } else {
                plain << test::readFile(clear);
            }
        }
        std::sort(plain.begin(), plain.end());
        return plain;
    }

    static std::pair<int, QByteArray> unzip(const QStringList& arguments)
    {
        QProcess process;
        process.start("unzip", arguments);
        process.waitForFinished(60000);
        return {process.exitCode(), process.readAllStandardOutput()};
    }

    QList<QByteArray> sourceContents() const
    {
        QList<QByteArray> all = contents.values();
        std::sort(all.begin(), all.end());
        return all;
    }

    void mailSet(const SetOptions& base)
    {
        SetOptions options = base;
        const auto adjust = options.adjust;
        options.adjust = [adjust](core::BackupSetInfo& set) {
            for (int n = 1; n <= set.DestCount; ++n) {
                set.Dest[n].EmailID = Recipient;
                set.Dest[n].Subject = "Nightly backup";
            }
            if (adjust)
                adjust(set);
        };
        makeSet(options);
    }

    QStringList tmpEntries() const
    {
        return QDir(programFile("tmp")).entryList(QDir::AllEntries | QDir::Hidden | QDir::NoDotAndDotDot);
    }

    test::PeerProcess peer;
    QTemporaryDir received;
};

TEST_F(MailRunTest, EveryPackingAndProtectionMailsFilesThatDecodeToTheSources)
{
    startPeer();
    int sent = 0;
    for (const int compression : {0, 1, 2}) {
        for (const bool protect : {false, true}) {
            SCOPED_TRACE(QString("compression %1, protected %2").arg(compression).arg(protect).toStdString());
            SetOptions options;
            options.compression = compression;
            options.protect = protect;
            options.destinations = 1;
            options.types = {3};
            mailSet(options);

            runAndClose();

            ASSERT_EQ(saved("Status"), "Success") << finalStatus.toStdString();
            const QByteArray mail = message(++sent);
            ASSERT_FALSE(mail.isEmpty());
            EXPECT_TRUE(mail.contains("Subject: Nightly backup")) << mail.left(400).toStdString();
            EXPECT_TRUE(mail.contains("To: " + Recipient.toUtf8()));
            if (compression == 1) {
                const QList<QByteArray> blocks = test::uuBlocks(mail);
                ASSERT_EQ(blocks.size(), 1);
                const std::optional<QByteArray> archive = test::uudecode(blocks.at(0));
                ASSERT_TRUE(archive);
                EXPECT_EQ(test::binasciiDecode(blocks.at(0)), archive);
                const QString file = scratch.filePath("single");
                ASSERT_TRUE(test::writeFile(file, *archive));
                const QString clear = plainFile(file, protect);
                EXPECT_EQ(unzip({"-tq", clear}).first, 0);
                EXPECT_EQ(unzip({"-Z1", clear}).second.count('\n'), contents.size());
            } else {
                EXPECT_EQ(attachedContents(mail, protect, compression == 2), sourceContents());
            }
            for (auto it = contents.cbegin(); it != contents.cend(); ++it)
                EXPECT_EQ(test::readFile(it.key()), it.value());
            EXPECT_EQ(tmpEntries(), QStringList());
        }
    }
}

TEST_F(MailRunTest, AFileThatCannotBeAttachedLeavesAMailThatSaysItIsIncomplete)
{
    startPeer();
    const QString gone = source + "/Docs/a.txt";
    int sent = 0;
    for (const int compression : {0, 2}) {
        SCOPED_TRACE(compression);
        ASSERT_TRUE(test::writeFile(gone, contents.value(gone)));
        mailSet({.compression = compression, .destinations = 1, .types = {3}});

        // Gone after the collection, before it is packed or attached.
        QPointer<engine::frmProcessing> window = run([&](engine::frmProcessing*, const QString& status) {
            if (status == "[Moving files to the backup location]")
                QFile::remove(gone);
        });
        ASSERT_FALSE(window.isNull());
        EXPECT_TRUE(closeByCountdown(window));

        const QString status = "Success (incomplete: 1 file missing)";
        EXPECT_EQ(saved("Status"), status);
        EXPECT_EQ(setRowCell(main_window::StatusColumn), status);
        EXPECT_TRUE(finalStatus.startsWith("Backup Successful")) << finalStatus.toStdString();
        EXPECT_TRUE(finalStatus.contains(gone)) << finalStatus.toStdString();
        EXPECT_TRUE(logLines().contains("The version is incomplete: 1 file missing"));
        // The mail carries every other file.
        QMap<QString, QByteArray> arrived = contents;
        arrived.remove(gone);
        QList<QByteArray> expected = arrived.values();
        std::sort(expected.begin(), expected.end());
        EXPECT_EQ(attachedContents(message(++sent), false, compression == 2), expected);
        EXPECT_EQ(tmpEntries(), QStringList());
    }
}

TEST_F(MailRunTest, AuthenticationSendsTheRightPasswordAndAWrongOneFailsTheDestination)
{
    startPeer({"--user", "anna", "--password", "right one"});
    struct Case
    {
        bool auth;
        QString password;
        bool sent;
    };
    // Without authentication no AUTH is sent, and this server takes the mail all the same.
    const Case cases[] = {{true, "right one", true}, {true, "wrong", false}, {false, "", true}};
    int messages = 0;
    for (const Case& c : cases) {
        SCOPED_TRACE(c.password.toStdString());
        useServer(peer.port(), c.auth, c.password);
        SetOptions options;
        options.destinations = 1;
        options.types = {3};
        mailSet(options);
        QStringList shown;
        run([&](engine::frmProcessing*, const QString& text) { shown << text; });
        EXPECT_TRUE(closeByCountdown(platform::Form<engine::frmProcessing>::loaded()));
        if (c.sent) {
            EXPECT_EQ(saved("Status"), "Success");
            EXPECT_FALSE(message(++messages).isEmpty());
            const QJsonObject envelope
                = QJsonDocument::fromJson(test::readFile(received.filePath(QString("message-%1.json").arg(messages))))
                      .object();
            EXPECT_EQ(envelope.value("login").toString(), c.auth ? "anna" : "");
            EXPECT_EQ(envelope.value("login").isNull(), !c.auth);
            continue;
        }
        EXPECT_TRUE(saved("Status").startsWith("FAILURE")) << saved("Status").toStdString();
        EXPECT_TRUE(message(messages + 1).isEmpty());
        if (c.auth)
            EXPECT_TRUE(shown.join("\n").contains("Error: 535")) << shown.join("\n").toStdString();
    }
}

TEST_F(MailRunTest, AFailedMailFailsOnlyItsDestinationAndTheRunGoesOn)
{
    struct Case
    {
        QStringList peerArguments;
        bool closed;
        QString reason;
    };
    const Case cases[] = {
        {{"--refuse-rcpt"}, false, "550"},
        {{"--stall", "MAIL"}, false, "MAIL FROM"},
        {{}, true, "127.0.0.1"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.reason.toStdString());
        const qsizetype stall = c.peerArguments.indexOf("--stall");
        const QString stalledStep = stall >= 0 ? c.peerArguments.value(stall + 1) : QString();
        mail::MailSender::instance().setLimits(test::stallLimits(stalledStep, 3000));
        peer.stop();
        if (c.closed)
            useServer(closedPort());
        else
            startPeer(c.peerArguments);
        for (int n = 1; n <= 3; ++n)
            QDir(backup(n)).removeRecursively();
        SetOptions options;
        options.compression = 1;
        options.protect = true;
        options.destinations = 3;
        options.rotation = 2;
        options.types = {1, 3, 1};
        mailSet(options);

        runAndClose();

        const QString status = saved("Status");
        EXPECT_TRUE(status.startsWith("FAILURE (Destination1 LAN = Success) (Destination2 EMAIL = FAILURE)"))
            << status.toStdString();
        EXPECT_TRUE(finalStatus.contains(c.reason)) << finalStatus.toStdString();
        // The protected single archive is still there for the third destination.
        EXPECT_EQ(test::filesBelow(backup(3)), test::filesBelow(backup(1)));
        EXPECT_FALSE(test::filesBelow(backup(3)).isEmpty());
        EXPECT_EQ(tmpEntries(), QStringList());
    }
}

TEST_F(MailRunTest, ThePreferencesTestButtonMailsTheTestAttachmentAndATestMailNeverDisturbsARun)
{
    startPeer();
    core::WritePreference("txtEmailTo", "test@example.org");
    main->showPreferences(false);
    main_window::frmPrefs2* preferences = platform::Form<main_window::frmPrefs2>::loaded();
    ASSERT_NE(preferences, nullptr);
    mail::MailSender& sender = mail::MailSender::instance();

    preferences->cmdSend->click();
    ASSERT_TRUE(platform::waitWhile([&sender] { return sender.busy(); }, 20000));
    ASSERT_TRUE(sender.lastOutcome().succeeded()) << sender.lastOutcome().reason().toStdString();
    const QList<QByteArray> blocks = test::uuBlocks(message());
    ASSERT_EQ(blocks.size(), 1);
    EXPECT_TRUE(blocks.at(0).contains(" TestAttachment.txt\r\n")) << blocks.at(0).left(40).toStdString();
    EXPECT_EQ(test::binasciiDecode(blocks.at(0)), test::readFile(mail::testAttachmentPath()));
    EXPECT_TRUE(message().contains("To: test@example.org"));

    // A test mail to a silent server times out while a run is under way.
    peer.stop();
    startPeer({"--stall", "GREETING"});
    sender.setLimits(test::stallLimits("GREETING", 3000));
    SetOptions options;
    options.destinations = 1;
    mailSet(options);
    preferences->cmdSend->click();
    ASSERT_TRUE(sender.busy());
    bool waited = false;
    run([&](engine::frmProcessing*, const QString&) {
        if (!waited) {
            waited = true;
            EXPECT_TRUE(platform::waitWhile([&sender] { return sender.busy(); }, 20000));
        }
    });
    EXPECT_TRUE(closeByCountdown(platform::Form<engine::frmProcessing>::loaded()));
    EXPECT_TRUE(waited);
    EXPECT_FALSE(sender.lastOutcome().succeeded());
    EXPECT_EQ(saved("Status"), "Success") << finalStatus.toStdString();
    EXPECT_EQ(test::readFile(mirrored(backup(1), listed.at(1))), "alpha\n");
}

TEST_F(MailRunTest, CancelWhileTheMailIsUnderWayEndsItAndTheRun)
{
    startPeer({"--stall", "MAIL"});
    // Long enough that only the Cancel can end the mail.
    mail::SmtpLimits limits;
    limits.mailFromMs = 60000;
    mail::MailSender::instance().setLimits(limits);
    SetOptions options;
    options.compression = 2;
    options.destinations = 1;
    options.types = {3};
    mailSet(options);
    QStringList seen;
    bool pressed = false;
    run([&](engine::frmProcessing* running, const QString& status) {
        seen << status;
        if (!pressed && mail::MailSender::instance().busy() && status != "Connecting to mail server") {
            pressed = true;
            running->cmdClose->click();
        }
    });
    ASSERT_TRUE(pressed) << seen.join(" | ").toStdString();
    EXPECT_TRUE(saved("Status").contains("CANCELLED")) << saved("Status").toStdString();
    // The mail ends with the stop, long before its own wait would.
    EXPECT_TRUE(platform::waitWhile([] { return mail::MailSender::instance().busy(); }, test::EventLimitMs));
    EXPECT_TRUE(message().isEmpty());
    EXPECT_EQ(tmpEntries(), QStringList());
}

} // namespace
