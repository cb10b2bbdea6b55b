#include "mail/clsSendMail.h"

#include <algorithm>

#include <QCryptographicHash>
#include <QJsonArray>

#include <gtest/gtest.h>

#include "core/Settings.h"
#include "mail/SmtpPeerTest.h"
#include "mail/UUDecoders.h"
#include "platform/EventLoop.h"

namespace
{
struct Outcome
{
    int successes = 0;
    QList<int> progress;
    QStringList failures;
    QStringList statuses;
    int ends() const { return successes + int(failures.size()); }
};

class clsSendMailTest : public test::SmtpPeerTest
{
protected:
    // Records what an object reports; one object per test keeps its own socket.
    void watch(mail::clsSendMail& mail)
    {
        QObject::connect(&mail, &mail::clsSendMail::SendSuccesful, [this] { ++outcome.successes; });
        QObject::connect(&mail, &mail::clsSendMail::SendFailed,
                         [this](const QString& explanation) { outcome.failures << explanation; });
        QObject::connect(&mail, &mail::clsSendMail::Status, [this](const QString& text) { outcome.statuses << text; });
        QObject::connect(&mail, &mail::clsSendMail::Progress, [this](int percent) { outcome.progress << percent; });
    }

    void address(mail::clsSendMail& mail)
    {
        mail.setSMTPHost("127.0.0.1");
        mail.setSMTPPort(peer.port());
        mail.setFrom("anna@example.org");
        mail.setRecipient("bob@example.org");
        mail.setSubject("Report");
        mail.setMessage("Hello");
        mail.setConnectTimeout(5);
        mail.setMessageTimeout(5);
        mail.setConnectRetry(1);
    }

    Outcome outcome;
};
} // namespace

TEST_F(clsSendMailTest, ASendReachesEveryRecipientWithItsAttachmentsAndNoBccHeader)
{
    startPeer({"--user", "anna", "--password", "pw"});
    const QByteArray a = makeFile("a.bin", 14);
    const QByteArray b = makeFile("b.bin", 20000);
    for (const int encodeType : {0, 1}) {
        SCOPED_TRACE(encodeType);
        mail::clsSendMail mail;
        watch(mail);
        address(mail);
        mail.setRecipient("bob@example.org;carl@example.org");
        mail.setRecipientDisplayName("Bob");
        mail.setCcRecipient("dora@example.org");
        mail.setBccRecipient("hidden@example.org");
        mail.setUseAuthentication(true);
        mail.setUsername("anna");
        mail.setPassword("pw");
        mail.setEncodeType(encodeType);
        mail.setMessage(".starts with a dot");
        mail.setAttachment(programFile("a.bin") + ";" + programFile("b.bin"));
        mail.send();
        ASSERT_EQ(outcome.successes, 1) << outcome.failures.join("|").toStdString();
        EXPECT_TRUE(outcome.failures.isEmpty());
        ASSERT_FALSE(outcome.progress.isEmpty());
        EXPECT_EQ(outcome.progress.last(), 100);
        EXPECT_TRUE(std::is_sorted(outcome.progress.begin(), outcome.progress.end()));
        outcome = Outcome();

        const int n = encodeType + 1;
        const QJsonObject sent = envelope(n);
        EXPECT_EQ(sent["login"].toString(), "anna");
        EXPECT_EQ(sent["rcpt_tos"].toArray().size(), 4);
        const QByteArray data = message(n);
        EXPECT_TRUE(data.contains("\r\n\t\"carl@example.org\" <carl@example.org>\r\nCc: \"dora@example.org\""));
        EXPECT_FALSE(data.contains("hidden@"));
        EXPECT_TRUE(data.contains("\r\n.starts with a dot\r\n"));
        if (encodeType == 1) {
            QByteArray blocks = data;
            const QList<QByteArray> found = test::uuBlocks(blocks.replace("begin 600 ", "begin 664 "));
            ASSERT_EQ(found.size(), 2);
            EXPECT_EQ(test::uudecode(found.at(0)), a);
            EXPECT_EQ(test::binasciiDecode(found.at(1)), b);
        } else {
            EXPECT_TRUE(data.contains("Content-Type: multipart/mixed;"));
            const qsizetype start = data.indexOf("\r\n\r\n", data.indexOf("filename=\"b.bin\"")) + 4;
            const QByteArray encoded = data.mid(start, data.indexOf("\r\n\r\n", start) - start);
            EXPECT_EQ(QByteArray::fromBase64(QByteArray(encoded).replace("\r\n", "")), b);
        }
    }
}

TEST_F(clsSendMailTest, RefusalsAndSilenceRaiseSendFailedWithTheReason)
{
    struct Case
    {
        QStringList peerArguments;
        QString password;
        QString explanationStart;
    };
    makeFile("big.bin", 5000);
    const Case cases[] = {
        {{"--user", "anna", "--password", "pw"}, "wrong", "535 "},
        {{"--refuse-rcpt"}, "", "550 5.1.1 No such user here"},
        {{"--size-limit", "1000"}, "", "552 "},
        {{"--stall", "MAIL"}, "", "Timeout occurred: The SMTP Host did not respond to the request"},
        {{"--stall", "GREETING"}, "", "Timeout occurred: The SMTP Host did not respond to the request"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.peerArguments.join(' ').toStdString());
        startPeer(c.peerArguments);
        mail::clsSendMail mail;
        watch(mail);
        address(mail);
        mail.setConnectTimeout(1);
        mail.setMessageTimeout(1);
        mail.setAttachment(programFile("big.bin"));
        if (!c.password.isEmpty()) {
            mail.setUseAuthentication(true);
            mail.setUsername("anna");
            mail.setPassword(c.password);
        }
        mail.send();
        EXPECT_EQ(outcome.ends(), 1);
        ASSERT_EQ(outcome.failures.size(), 1);
        EXPECT_TRUE(outcome.failures.first().startsWith(c.explanationStart)) << outcome.failures.first().toStdString();
        EXPECT_TRUE(mail.errors().isEmpty()) << "the next send starts clean";
        outcome = Outcome();
        peer.stop();
    }
}

TEST_F(clsSendMailTest, AfterConnectTwoMessagesShareOneGreeting)
{
    startPeer();
    mail::clsSendMail mail;
    watch(mail);
    address(mail);
    ASSERT_TRUE(mail.Connect());
    mail.send();
    mail.setSubject("Second");
    mail.send();
    mail.Disconnect();
    EXPECT_EQ(outcome.successes, 2) << outcome.failures.join("|").toStdString();
    EXPECT_EQ(test::readFile(received.filePath("connections.log")), "connection\n");
    EXPECT_TRUE(message(2).contains("Subject: Second\r\n"));
    EXPECT_EQ(envelope(2)["helo"].toString(), "example.org") << "the greeting names the sender's domain";
}

TEST_F(clsSendMailTest, WithoutAnSmtpHostTheMailExchangerOfTheLocalDomainIsUsed)
{
    startPeer();
    test::PeerProcess dns;
    ASSERT_TRUE(dns.start("dns_peer.py", {"--mode", "localhost", "--log", received.filePath("dns.log")}));
    ASSERT_TRUE(test::writeFile(programFile("resolv.conf"), "nameserver 127.0.0.1\ndomain example.org\n"));
    mail::clsSendMail mail;
    watch(mail);
    address(mail);
    mail.setSMTPHost("");
    mail.mxLookup().setResolverFile(programFile("resolv.conf"));
    mail.mxLookup().setPort(dns.port());
    mail.send();
    EXPECT_EQ(outcome.successes, 1) << outcome.failures.join("|").toStdString();
    EXPECT_EQ(mail.SMTPHost(), "localhost");
    EXPECT_TRUE(outcome.statuses.contains("Performing MX Query"));
}

TEST_F(clsSendMailTest, PopBeforeSmtpPassesOnlyWhenThePop3ExchangeFinished)
{
    startPeer();
    const QList<QPair<QString, bool>> modes = {{"ok", true}, {"err", false}, {"silent", false}};
    for (const auto& [mode, passes] : modes) {
        SCOPED_TRACE(mode.toStdString());
        test::PeerProcess pop;
        ASSERT_TRUE(pop.start("pop3_peer.py", {"--mode", mode}));
        mail::clsSendMail mail;
        watch(mail);
        address(mail);
        mail.setConnectTimeout(2);
        mail.setUsePopAuthentication(true);
        mail.setPOP3Host("127.0.0.1");
        mail.setPop3Port(pop.port());
        mail.setUsername("anna");
        mail.setPassword("pw");
        mail.send();
        EXPECT_EQ(outcome.ends(), 1);
        EXPECT_EQ(outcome.successes == 1, passes) << outcome.failures.join("|").toStdString();
        EXPECT_EQ(outcome.statuses.contains("POP3 Authentication Successful..."), passes);
        if (mode == "err") {
            EXPECT_TRUE(outcome.failures.value(0).startsWith("-ERR invalid password"));
        }
        outcome = Outcome();
    }
}

TEST_F(clsSendMailTest, WhatCannotGoOutFailsBeforeConnecting)
{
    struct Case
    {
        std::function<void(mail::clsSendMail&)> change;
        QString explanationStart;
        bool connects = false;
    };
    // File names may hold line breaks; one in a header would start a header of its own.
    const QString injected = "a\r\nBcc: x@example.org.txt";
    makeFile(injected, 10);
    const Case cases[] = {
        {[](mail::clsSendMail& m) { m.setSubject("Hi\r\nBcc: x@example.org"); },
         "A line break or NUL character in the subject"},
        {[](mail::clsSendMail& m) {
             m.setAsHTML(true);
             m.setContentBase("www.example.org\r\nBcc: x@example.org");
         },
         "A line break or NUL character in the content base"},
        {[&](mail::clsSendMail& m) { m.setAttachment(programFile(injected)); },
         "A line break or NUL character in the name of an attachment"},
        // The POP3 login sends the password as it is.
        {[](mail::clsSendMail& m) {
             m.setUsePopAuthentication(true);
             m.setPOP3Host("127.0.0.1");
             m.setUsername("anna");
             m.setPassword("secret\r\nDELE 1\r\nDELE 2");
         },
         "A line break or NUL character in the user name or password"},
        {[](mail::clsSendMail& m) { m.setRecipient("bob@example.org;"); },
         "Missing or Invalid Recipient E-mail Address"},
        {[](mail::clsSendMail& m) {
             m.setEmailAddressValidation(0);
             m.setRecipient("");
         },
         "No Recipient E-mail Address Specified"},
        {[](mail::clsSendMail& m) {
             m.setAsHTML(true);
             m.setEncodeType(1);
         },
         "Sending HTML requires MIME encoding"},
        {[](mail::clsSendMail& m) { m.setSMTPPort(0); }, "Invalid Remote Port"},
        {[](mail::clsSendMail& m) { m.setMessageTimeout(0); },
         "Timeout occurred: The SMTP Host did not respond to the request", true},
    };
    startPeer();
    for (const Case& c : cases) {
        SCOPED_TRACE(c.explanationStart.toStdString());
        mail::clsSendMail mail;
        watch(mail);
        address(mail);
        c.change(mail);
        mail.send();
        EXPECT_EQ(outcome.ends(), 1);
        ASSERT_EQ(outcome.failures.size(), 1);
        EXPECT_TRUE(outcome.failures.first().startsWith(c.explanationStart)) << outcome.failures.first().toStdString();
        EXPECT_EQ(std::any_of(outcome.statuses.begin(), outcome.statuses.end(),
                              [](const QString& status) { return status.startsWith("Connecting to"); }),
                  c.connects);
        outcome = Outcome();
    }
    EXPECT_TRUE(message().isEmpty());
}

TEST_F(clsSendMailTest, WritersKeepAndSaveOnlyWhatTheyAccept)
{
    {
        mail::clsSendMail mail;
        mail.setPersistentSettings(true);
        mail.setConnectTimeout(30);
        mail.setConnectTimeout(500);
        mail.setMessageTimeout(-45);
        mail.setSMTPPort(0);
        mail.setPriority(2);
        EXPECT_EQ(mail.ConnectTimeout(), 30);
        EXPECT_EQ(mail.MessageTimeout(), 45);
        EXPECT_EQ(mail.SMTPPort(), 25);
        EXPECT_TRUE(mail.errors().contains("Invalid Remote Port"));
        EXPECT_EQ(mail.Priority(), 2);
        mail.setRecipient("a@example.org;");
        EXPECT_EQ(mail.Recipient(), "a@example.org;");
        EXPECT_TRUE(mail.errors().contains("Missing or Invalid Recipient E-mail Address"));
        makeFile("one.txt", 3);
        mail.setAttachment(programFile("one.txt") + ";" + programFile("missing.txt") + ";" + programFile("one.txt"));
        EXPECT_TRUE(mail.errors().contains("The file you tried to attach does not exist"));
    }
    mail::clsSendMail next;
    EXPECT_TRUE(next.PersistentSettings());
    EXPECT_EQ(next.ConnectTimeout(), 30);
    EXPECT_EQ(next.MessageTimeout(), 45);
    EXPECT_TRUE(next.errors().isEmpty());

    // A stored value no writer would keep never reaches a new object.
    core::SaveSetting(mail::clsSendMail::SettingsApplication, "Settings", "MessageTimeout", "-30");
    core::SaveSetting(mail::clsSendMail::SettingsApplication, "Settings", "ConnectTimeout", " 500");
    mail::clsSendMail checked;
    EXPECT_EQ(checked.MessageTimeout(), 60);
    EXPECT_EQ(checked.ConnectTimeout(), 40);

    // Turning persistence off saves nothing, so the stored settings still load.
    checked.setPersistentSettings(false);
    EXPECT_TRUE(mail::clsSendMail().PersistentSettings());
}

TEST_F(clsSendMailTest, AnHtmlMessageWithAnEmbeddedImageReadsBackWhole)
{
    startPeer();
    const QByteArray logo = makeFile("logo.gif", 3000);
    const QByteArray report = makeFile("report.pdf", 700);
    mail::clsSendMail mail;
    watch(mail);
    address(mail);
    mail.setFromDisplayName(QString::fromUtf8("Anna M\xC3\xBCller"));
    mail.setSubject(QString::fromUtf8("Sicherung \xE2\x80\x93 ") + QString(80, 'x'));
    mail.setAsHTML(true);
    mail.setMessage("<p>Logo: <img src=\"" + programFile("logo.gif") + "\"></p>\r\n.dot");
    mail.setAttachment(programFile("logo.gif") + ";" + programFile("report.pdf"));
    mail.setPriority(1);
    mail.send();
    ASSERT_EQ(outcome.successes, 1) << outcome.failures.join("|").toStdString();

    const QJsonObject read = parsedMessage();
    EXPECT_EQ(read["defects"].toInt(), 0);
    EXPECT_EQ(read["top"].toString(), "multipart/related");
    const QJsonObject headers = read["headers"].toObject();
    EXPECT_EQ(headers["Subject"].toString(), mail.Subject());
    EXPECT_EQ(headers["From"].toString(), QString::fromUtf8("Anna M\xC3\xBCller <anna@example.org>"));
    const QJsonArray parts = read["parts"].toArray();
    ASSERT_EQ(parts.size(), 3);
    EXPECT_EQ(parts[0].toObject()["type"].toString(), "text/html");
    EXPECT_EQ(parts[0].toObject()["text"].toString(), "<p>Logo: <img src=\"cid:logo.gif\"></p>\r\n.dot\r\n");
    EXPECT_EQ(parts[1].toObject()["content_id"].toString(), "<logo.gif>");
    EXPECT_EQ(parts[1].toObject()["sha256"].toString(),
              QCryptographicHash::hash(logo, QCryptographicHash::Sha256).toHex());
    EXPECT_EQ(parts[2].toObject()["filename"].toString(), "report.pdf");
    EXPECT_EQ(parts[2].toObject()["type"].toString(), "application/pdf");
    EXPECT_EQ(parts[2].toObject()["sha256"].toString(),
              QCryptographicHash::hash(report, QCryptographicHash::Sha256).toHex());
}

TEST_F(clsSendMailTest, EverySendEndsInOneOutcomeAndOnlyAReplyAfterTheWholeMessageAcceptsIt)
{
    struct Case
    {
        QString mode;
        qsizetype attachmentBytes;
        // Empty for a send that succeeds.
        QString explanationStart;
    };
    const QString early = "The SMTP Host answered before the whole message was sent: 250 OK";
    const qsizetype big = 8 << 20;
    const Case cases[] = {
        // 250 right after 354, 554 at the real end.
        {"early-250", 0, early},
        {"midway-250", big, early},
        {"midway-250-close", big, ""},
        // Accepted; the 554 to QUIT comes after the outcome.
        {"quit-554", 0, ""},
        {"blank-GREETING", 0, "The SMTP Host sent an empty line instead of its greeting"},
        {"blank-MAIL", 0, "The SMTP Host answered MAIL with an empty line"},
        {"blank-DOT", 0, "The SMTP Host answered the end of the message with an empty line"},
    };
    makeFile("big.bin", big);
    for (const Case& c : cases) {
        SCOPED_TRACE(c.mode.toStdString());
        startScriptedPeer(c.mode);
        mail::clsSendMail mail;
        watch(mail);
        address(mail);
        if (c.attachmentBytes)
            mail.setAttachment(programFile("big.bin"));
        mail.send();
        // Nothing that comes later adds a second outcome.
        platform::waitWhile([] { return true; }, 300);
        EXPECT_EQ(outcome.ends(), 1) << outcome.failures.join("|").toStdString();
        if (c.mode == "midway-250-close") {
            EXPECT_EQ(outcome.successes, 0);
        } else if (c.explanationStart.isEmpty()) {
            EXPECT_EQ(outcome.successes, 1) << outcome.failures.join("|").toStdString();
        } else {
            ASSERT_EQ(outcome.failures.size(), 1);
            EXPECT_TRUE(outcome.failures.first().startsWith(c.explanationStart))
                << outcome.failures.first().toStdString();
        }
        outcome = Outcome();
        peer.stop();
    }
}

TEST_F(clsSendMailTest, ClearedRecipientListsAreEmptyAndAnyWellFormedDomainPasses)
{
    startPeer();
    mail::clsSendMail mail;
    watch(mail);
    address(mail);
    mail.setRecipient("bob@example.dev");
    mail.setCcRecipient("dora@example.org");
    mail.setBccRecipient("hidden@example.org");
    mail.setCcRecipient("");
    mail.setBccRecipient("");
    EXPECT_TRUE(mail.errors().isEmpty()) << mail.errors().join("|").toStdString();
    mail.send();
    ASSERT_EQ(outcome.successes, 1) << outcome.failures.join("|").toStdString();
    EXPECT_EQ(envelope()["rcpt_tos"].toArray(), QJsonArray({"bob@example.dev"}));

    mail.setRecipient("");
    mail.setCcRecipient("dora@shop.app");
    mail.send();
    EXPECT_EQ(outcome.successes, 2) << outcome.failures.join("|").toStdString();
    EXPECT_EQ(envelope(2)["rcpt_tos"].toArray(), QJsonArray({"dora@shop.app"}));
}

TEST_F(clsSendMailTest, LineEndsQuotedFileNamesAndLongSubjectsArriveAsWritten)
{
    startPeer();
    const QString name = "say \"hi\" \\ bye.txt";
    const QByteArray bytes = makeFile(name, 300);
    // Over the 998-octet line limit, with blanks to fold at and without any.
    const QStringList subjects
        = {QString("Weekly report of the accounts ").repeated(40).left(1200), QString(1200, 'x')};
    int n = 0;
    for (const QString& subject : subjects) {
        mail::clsSendMail mail;
        watch(mail);
        address(mail);
        mail.setSubject(subject);
        mail.setMessage("one\ntwo\rthree\r\nfour");
        mail.setAttachment(programFile(name));
        mail.send();
        ASSERT_EQ(outcome.successes, 1) << outcome.failures.join("|").toStdString();
        outcome = Outcome();

        const QByteArray data = message(++n);
        EXPECT_EQ(data.count('\n'), data.count("\r\n")) << "no bare line feed";
        EXPECT_EQ(data.count('\r'), data.count("\r\n")) << "no bare carriage return";
        for (const QByteArray& line : data.split('\n'))
            EXPECT_LE(line.size(), 998);
        const QJsonObject read = parsedMessage(n);
        EXPECT_EQ(read["defects"].toInt(), 0);
        EXPECT_EQ(read["headers"].toObject()["Subject"].toString(), subject);
        const QJsonArray parts = read["parts"].toArray();
        ASSERT_EQ(parts.size(), 2);
        EXPECT_EQ(parts[0].toObject()["text"].toString(), "one\r\ntwo\r\nthree\r\nfour\r\n");
        EXPECT_EQ(parts[1].toObject()["filename"].toString(), name);
        EXPECT_EQ(parts[1].toObject()["sha256"].toString(),
                  QCryptographicHash::hash(bytes, QCryptographicHash::Sha256).toHex());
    }
}
