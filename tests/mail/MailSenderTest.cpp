#include "mail/MailSender.h"

#include <QJsonArray>

#include <gtest/gtest.h>

#include "core/MainWindowServices.h"
#include "core/ProgramState.h"
#include "core/RunLog.h"
#include "core/Settings.h"
#include "mail/SmtpPeerTest.h"
#include "mail/StallLimits.h"
#include "mail/UUDecoders.h"
#include "platform/EventLoop.h"
#include "support/Waits.h"

namespace
{
// Keeps what the mail shows in the main window's status bar.
class StatusBar : public core::MainWindowServices
{
public:
    bool setSetRowCell(const QString&, int, const QString&) override { return false; }
    void showFileList(const QStringList&, const QList<bool>&) override { }
    QStringList& globalVersions() override { return m_versions; }
    void setStatusText(const QString& text) override { texts << text; }
    void showPreferences(bool) override { ++preferencesShown; }
    void enableMailTest() override { ++testButtonEnabled; }

    QStringList texts;
    int preferencesShown = 0;
    int testButtonEnabled = 0;

private:
    QStringList m_versions;
};

class MailSenderTest : public test::SmtpPeerTest
{
protected:
    void SetUp() override
    {
        SmtpPeerTest::SetUp();
        core::setMainWindowServices(&statusBar);
        sender().reset();
        sender().setLimits(mail::SmtpLimits {});
        sender().setRunStatus([this](const QString& text) { runTexts << text; });
        mail::mailValues() = mail::MailValues();
        core::state().LoggingEnabled = true;
    }

    void TearDown() override
    {
        sender().reset();
        sender().setRunStatus({});
        core::setMainWindowServices(nullptr);
        SmtpPeerTest::TearDown();
    }

    static mail::MailSender& sender() { return mail::MailSender::instance(); }

    void usePeer(const QString& portText = {})
    {
        core::WritePreference("txtEmailTo", "tester@example.org");
        core::WritePreference("txtEmailFrom", "me@example.org");
        core::WritePreference("txtServer", "127.0.0.1");
        core::WritePreference("txtPort", portText.isEmpty() ? QString::number(peer.port()) : portText);
    }

    // The loaded set mails to its second destination.
    static void setDestination(const QString& address, const QString& subject)
    {
        core::BackupSetInfo& set = core::state().CurrentSet;
        set.DestCount = 2;
        set.CurrentDestination = 2;
        set.Dest[2].Type = core::DestinationType::Email;
        set.Dest[2].EmailID = address;
        set.Dest[2].Subject = subject;
    }

    static void startRunMail(const QStringList& files)
    {
        mail::mailValues().strAttachments = files.join("\r\n");
        core::state().MailIsTest = false;
        core::state().bMailDone = false;
        core::state().bMailSuccess = false;
        mail::SendEmail();
    }

    static void startTestMail()
    {
        core::state().MailIsTest = true;
        mail::SendEmail();
    }

    static bool waitForEnd(int limitMs = 30000)
    {
        return platform::waitWhile([] { return sender().busy(); }, limitMs);
    }

    QByteArray log() const { return test::readFile(core::RunLogPath()); }

    StatusBar statusBar;
    QStringList runTexts;
};
} // namespace

TEST_F(MailSenderTest, ARunsMailCarriesItsFilesToTheDestinationAndNamesWhatIsMissing)
{
    startPeer();
    usePeer(QString::number(peer.port()) + "x");
    setDestination("set@example.org",
                   QString::fromUtf8("Sicherung \xE2\x80\x93 n\xC3\xA4"
                                     "chtlich"));
    const QByteArray a = makeFile("a.zip", 14);
    const QByteArray b = makeFile("b.zip", 45);
    startRunMail({programFile("a.zip"), programFile("gone.zip"), programFile("b.zip")});
    ASSERT_TRUE(waitForEnd());

    EXPECT_TRUE(core::state().bMailDone);
    EXPECT_TRUE(core::state().bMailSuccess);
    EXPECT_FALSE(core::state().MailIsTest);
    const QString missing = programFile("gone.zip");
    EXPECT_EQ(statusBar.texts.last(), "Message Sent (not attached: " + missing + ")");
    EXPECT_EQ(runTexts.last(), statusBar.texts.last());
    EXPECT_TRUE(log().contains("Could not attach " + missing.toUtf8() + ": "));
    EXPECT_EQ(sender().lastOutcome().notAttached, QStringList {missing});
    EXPECT_GE(statusBar.testButtonEnabled, 1);

    EXPECT_EQ(envelope()["rcpt_tos"].toArray().first().toString(), "set@example.org");
    const QByteArray data = message();
    EXPECT_TRUE(data.contains("\r\nSubject: =?UTF-8?B?")) << data.left(300).constData();
    EXPECT_TRUE(data.contains("Your backup files are attached."));
    const QList<QByteArray> blocks = test::uuBlocks(data);
    ASSERT_EQ(blocks.size(), 2);
    EXPECT_EQ(test::uudecode(blocks.at(0)), a);
    EXPECT_EQ(test::binasciiDecode(blocks.at(1)), b);
}

TEST_F(MailSenderTest, ATestMailGoesToTheTestAddressAndLeavesTheRunsStopAndReasonAlone)
{
    startPeer();
    usePeer();
    setDestination("set@example.org", "Subject of the set");
    core::state().bStopBackup = true;
    core::state().strFailureReason = "earlier reason";

    startTestMail();
    ASSERT_TRUE(waitForEnd());
    EXPECT_EQ(statusBar.texts.last(), "Message Sent");
    EXPECT_TRUE(runTexts.isEmpty()) << "a test mail shows nothing in a run window";
    EXPECT_EQ(envelope()["rcpt_tos"].toArray().first().toString(), "tester@example.org");
    const QByteArray data = message();
    EXPECT_TRUE(data.contains("\r\nSubject: Subject of the set\r\n"));
    EXPECT_TRUE(data.contains("This is a test mailing by Quillback."));
    const QList<QByteArray> blocks = test::uuBlocks(data);
    ASSERT_EQ(blocks.size(), 1);
    EXPECT_TRUE(blocks.at(0).startsWith("begin 664 TestAttachment.txt\r\n"));
    EXPECT_EQ(test::uudecode(blocks.at(0)), "This is a test attachment from Quillback\r\n");

    // The file is made once; the next test mail sends it as it is. A refused one sets no reason.
    ASSERT_TRUE(test::writeFile(programFile("TestAttachment.txt"), "kept\r\n"));
    startTestMail();
    ASSERT_TRUE(waitForEnd());
    EXPECT_EQ(test::binasciiDecode(test::uuBlocks(message(2)).value(0)), "kept\r\n");

    peer.stop();
    startPeer({"--refuse-rcpt"});
    usePeer();
    startTestMail();
    ASSERT_TRUE(waitForEnd());
    EXPECT_TRUE(statusBar.texts.last().startsWith("Error: 550"));
    EXPECT_TRUE(core::state().bStopBackup);
    EXPECT_EQ(core::state().strFailureReason, "earlier reason");
}

TEST_F(MailSenderTest, ARunsMailWaitsForATestMailAndASecondTestIsRefused)
{
    startPeer({"--stall", "MAIL"});
    usePeer();
    setDestination("set@example.org", "s");
    makeFile("a.zip", 100);
    sender().setLimits(test::stallLimits("MAIL", 1000));
    bool doneWhenTheTestEnded = true;
    // The sender outlives the test: the connection must go with the locals it refers to.
    QObject watcher;
    QObject::connect(&sender(), &mail::MailSender::ended, &watcher, [&](bool test, const mail::MailOutcome&) {
        if (test)
            doneWhenTheTestEnded = core::state().bMailDone;
    });

    startTestMail();
    startTestMail();
    ASSERT_EQ(prompt.shown.size(), 1u);
    EXPECT_EQ(prompt.shown.at(0).text, "A mail is being sent already. Please try again when it has ended.");
    startRunMail({programFile("a.zip")});
    EXPECT_FALSE(core::state().bMailDone);

    ASSERT_TRUE(waitForEnd());
    EXPECT_FALSE(doneWhenTheTestEnded) << "the test mail's end is not the run's";
    EXPECT_TRUE(core::state().bMailDone);
    EXPECT_FALSE(core::state().bMailSuccess);
    EXPECT_FALSE(core::state().bStopBackup);
    EXPECT_TRUE(core::state().strFailureReason.startsWith("No reply from 127.0.0.1 to MAIL FROM within"))
        << core::state().strFailureReason.toStdString();
    EXPECT_EQ(runTexts.last(), "Error: " + core::state().strFailureReason);
}

TEST_F(MailSenderTest, TheRunsStopRequestEndsItsMailWithoutAnOutcome)
{
    startPeer({"--stall", "MAIL"});
    usePeer();
    setDestination("set@example.org", "s");
    makeFile("a.zip", 100);
    startRunMail({programFile("a.zip")});
    ASSERT_TRUE(platform::waitWhile([&] { return !statusBar.texts.contains("Sending Mail FROM"); }, 10000));
    core::state().bStopBackup = true;
    ASSERT_TRUE(waitForEnd(test::EventLimitMs));
    EXPECT_FALSE(core::state().bMailDone);
    EXPECT_EQ(statusBar.texts.last(), "Sending Mail FROM");
}

TEST_F(MailSenderTest, WhatCannotBeSentFailsBeforeConnecting)
{
    struct Case
    {
        QString recipient;
        QStringList files;
        QString reasonStart;
    };
    makeFile("a.zip", 10);
    const Case cases[] = {
        {"set@example.org\r\nRCPT TO:<other@example.org>", {programFile("a.zip")}, "The recipient address holds"},
        {"<set@example.org>", {programFile("a.zip")}, "The recipient address \"<set@example.org>\" holds"},
        {"set@example.org", {programFile("gone.zip"), home.path()}, "No file could be attached: "},
        {"set@example.org", {}, "There is no file to attach"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.reasonStart.toStdString());
        // Nothing listens: an attempt that got as far as connecting would fail with another reason.
        usePeer(QString::number(closedPort()));
        setDestination(c.recipient, "s");
        startRunMail(c.files);
        ASSERT_TRUE(waitForEnd());
        EXPECT_TRUE(core::state().bMailDone);
        EXPECT_FALSE(core::state().bMailSuccess);
        EXPECT_TRUE(core::state().strFailureReason.startsWith(c.reasonStart))
            << core::state().strFailureReason.toStdString();
        EXPECT_EQ(statusBar.texts.last(), "Error: " + core::state().strFailureReason);
    }
}

TEST_F(MailSenderTest, ALongSubjectArrivesWholeFoldedOrEncoded)
{
    startPeer();
    usePeer();
    makeFile("a.zip", 10);
    struct Case
    {
        QString subject;
        QByteArray headerStart;
    };
    // Over the 998-octet line limit, with blanks to fold at and without any.
    const Case cases[] = {
        {QString("Nightly backup of the project folder ").repeated(40).left(1200), "Subject: Nightly backup of"},
        {QString(1200, 'x'), "Subject: =?UTF-8?B?"},
    };
    int n = 0;
    for (const Case& c : cases) {
        SCOPED_TRACE(c.headerStart.toStdString());
        setDestination("set@example.org", c.subject);
        startRunMail({programFile("a.zip")});
        ASSERT_TRUE(waitForEnd());
        EXPECT_TRUE(core::state().bMailSuccess) << core::state().strFailureReason.toStdString();
        const QByteArray data = message(++n);
        const QByteArray header = data.left(data.indexOf("\r\n\r\n"));
        EXPECT_TRUE(header.contains("\r\n" + c.headerStart)) << header.left(200).constData();
        for (const QByteArray& line : header.split('\n'))
            EXPECT_LE(line.size(), 998);
        EXPECT_EQ(parsedMessage(n)["headers"].toObject()["Subject"].toString(), c.subject);
    }
}

TEST_F(MailSenderTest, AFileNameOutsideAsciiMakesTheTextUtf8)
{
    startPeer();
    usePeer();
    setDestination("set@example.org", "s");
    const QString name = QString::fromUtf8("Pr\xC3\xBC"
                                           "fung.zip");
    const QByteArray bytes = makeFile(name, 50);
    startRunMail({programFile(name)});
    ASSERT_TRUE(waitForEnd());
    ASSERT_TRUE(core::state().bMailSuccess) << core::state().strFailureReason.toStdString();
    const QJsonArray parts = parsedMessage()["parts"].toArray();
    ASSERT_EQ(parts.size(), 1);
    EXPECT_TRUE(parts[0].toObject()["text"].toString().contains("begin 664 " + name + "\r\n"));
    EXPECT_EQ(test::uudecode(test::uuBlocks(message()).value(0)), bytes);
}

TEST_F(MailSenderTest, AMailRefusedAtTheFinalDotIsNotSentHoweverEarlyTheServerSpoke)
{
    // This server says 250 right after 354 and refuses the message at its real end.
    startScriptedPeer("early-250");
    usePeer();
    setDestination("set@example.org", "s");
    makeFile("a.zip", 100);
    startRunMail({programFile("a.zip")});
    ASSERT_TRUE(waitForEnd());
    EXPECT_TRUE(core::state().bMailDone);
    EXPECT_FALSE(core::state().bMailSuccess);
    EXPECT_EQ(core::state().strFailureReason, "127.0.0.1 answered before the whole message was sent: 250 OK");
    EXPECT_EQ(runTexts.last(), "Error: " + core::state().strFailureReason);
}
