#include "mail/SmtpSession.h"

#include <arpa/inet.h>
#include <netinet/in.h>
#include <sys/socket.h>
#include <unistd.h>

#include <algorithm>

#include <QElapsedTimer>
#include <QJsonArray>
#include <QTcpSocket>

#include <gtest/gtest.h>

#include "mail/SmtpPeerTest.h"
#include "mail/StallLimits.h"
#include "mail/UUDecoders.h"
#include "platform/EventLoop.h"

namespace
{
struct Conversation
{
    mail::SmtpResult result;
    bool ended = false;
    QStringList statuses;
    QStringList runStatuses;
    qint64 elapsedMs = 0;
};

class SmtpSessionTest : public test::SmtpPeerTest
{
protected:
    mail::SmtpRequest request(const QStringList& attachments = {}) const
    {
        mail::SmtpRequest r;
        r.server = "127.0.0.1";
        r.port = peer.port();
        r.from = "me@example.org";
        r.to = "you@example.org";
        r.text = "From: <me@example.org>\r\nTo: you@example.org\r\nSubject: s\r\n\r\nbody\r\n.hidden\r\n\r\n";
        r.attachments = attachments;
        return r;
    }

    Conversation converse(mail::SmtpSession& session, const mail::SmtpRequest& r,
                          const std::function<void(const QString&)>& onStatus = {})
    {
        Conversation c;
        QObject::connect(&session, &mail::SmtpSession::status, [&](const QString& text, bool forRun) {
            c.statuses << text;
            if (forRun)
                c.runStatuses << text;
            if (onStatus)
                onStatus(text);
        });
        QObject::connect(&session, &mail::SmtpSession::finished, [&](const mail::SmtpResult& result) {
            c.result = result;
            c.ended = true;
        });
        QElapsedTimer elapsed;
        elapsed.start();
        session.start(r);
        EXPECT_TRUE(platform::waitWhile([&] { return !c.ended; }, 60000));
        c.elapsedMs = elapsed.elapsed();
        session.disconnect();
        return c;
    }

    // The step that "--stall STEP" among `peerArguments` holds up; empty when none is.
    static QString stalledStep(const QStringList& peerArguments)
    {
        const qsizetype at = peerArguments.indexOf("--stall");
        return at >= 0 ? peerArguments.value(at + 1) : QString();
    }
};
} // namespace

TEST_F(SmtpSessionTest, AMessageArrivesWithEveryAttachmentWhole)
{
    startPeer();
    // 14 and 45 bytes end in a line that starts with "." and in a whole line; the large one spans
    // several pieces read from disk.
    const QList<QPair<QString, qsizetype>> files
        = {{"fourteen.bin", 14}, {"forty-five.bin", 45}, {"large.bin", 45 * 8192 * 2 + 59}, {"empty.bin", 0}};
    QStringList paths;
    QList<QByteArray> contents;
    for (const auto& [name, size] : files) {
        contents << makeFile(name, size);
        paths << programFile(name);
    }
    mail::SmtpRequest r = request(paths);
    r.blankLineAfterBlocks = true;
    mail::SmtpSession session;
    const Conversation c = converse(session, r);

    ASSERT_EQ(c.result.end, mail::SmtpResult::End::Sent) << c.result.reason.toStdString();
    EXPECT_EQ(c.statuses,
              QStringList({"Connected", "Receiving Welcome Message", "Sending Mail FROM", "Sending Mail TO",
                           "Sending Email Data", "Sending Mail . . .", "Sending Attachment", "Message Sent"}));
    EXPECT_FALSE(c.runStatuses.contains("Sending Mail FROM"));
    EXPECT_FALSE(c.runStatuses.contains("Sending Email Data"));

    const QJsonObject sent = envelope();
    EXPECT_EQ(sent["mail_from"].toString(), "me@example.org");
    EXPECT_EQ(sent["rcpt_tos"].toArray().first().toString(), "you@example.org");
    EXPECT_FALSE(sent["esmtp"].toBool()) << "without authentication the greeting is HELO";
    EXPECT_TRUE(sent["login"].isNull()) << "and no AUTH is sent";

    const QByteArray data = message();
    EXPECT_TRUE(data.startsWith(r.text)) << "a line that starts with a dot arrives as written";
    const QList<QByteArray> blocks = test::uuBlocks(data);
    ASSERT_EQ(blocks.size(), files.size());
    for (int i = 0; i < blocks.size(); ++i) {
        EXPECT_TRUE(blocks.at(i).startsWith("begin 664 " + files.at(i).first.toUtf8() + "\r\n"));
        EXPECT_EQ(test::uudecode(blocks.at(i)), contents.at(i)) << files.at(i).first.toStdString();
        EXPECT_EQ(test::binasciiDecode(blocks.at(i)), contents.at(i)) << files.at(i).first.toStdString();
        EXPECT_TRUE(data.contains(blocks.at(i) + "\r\n")) << "an empty line follows each block of a run's mail";
    }
}

TEST_F(SmtpSessionTest, AuthLoginSendsTheUserAndPasswordAndAWrongOneIsRefused)
{
    startPeer({"--user", "anna", "--password", "s3cret pass"});
    mail::SmtpRequest r = request({});
    r.useAuth = true;
    r.username = "anna";
    r.password = "s3cret pass";
    {
        mail::SmtpSession session;
        const Conversation c = converse(session, r);
        ASSERT_EQ(c.result.end, mail::SmtpResult::End::Sent) << c.result.reason.toStdString();
        EXPECT_EQ(c.statuses.mid(1, 5),
                  QStringList({"Receiving Welcome Message", "Requesting Authentication", "Sending Encoded Username",
                               "Sending Encoded Username", "AUTH OK"}));
        EXPECT_TRUE(envelope()["esmtp"].toBool());
        EXPECT_EQ(envelope()["login"].toString(), "anna");
    }
    r.password = "wrong";
    mail::SmtpSession session;
    const Conversation c = converse(session, r);
    EXPECT_EQ(c.result.end, mail::SmtpResult::End::Refused);
    EXPECT_TRUE(c.result.reason.startsWith("535 ")) << c.result.reason.toStdString();
    EXPECT_TRUE(c.statuses.last().startsWith("Error: 535 ")) << c.statuses.last().toStdString();
    EXPECT_TRUE(c.statuses.last().endsWith("\r\n")) << "the reply is shown as received";
    EXPECT_TRUE(message(2).isEmpty());
}

TEST_F(SmtpSessionTest, RefusalsSilenceAndDropsEndTheConversationWithTheirReason)
{
    struct Case
    {
        QStringList peerArguments;
        bool useAuth;
        mail::SmtpResult::End end;
        QString reasonStart;
        bool shownInRun;
    };
    const Case cases[] = {
        {{"--greet554"}, false, mail::SmtpResult::End::Refused, "554 No SMTP service here", false},
        {{"--refuse-rcpt"}, false, mail::SmtpResult::End::Refused, "550 5.1.1 No such user here", true},
        {{"--size-limit", "200"}, false, mail::SmtpResult::End::Refused, "552 ", true},
        {{"--stall", "GREETING"},
         false,
         mail::SmtpResult::End::Failed,
         "No greeting from 127.0.0.1 within 1 second",
         true},
        {{"--stall", "EHLO"}, true, mail::SmtpResult::End::Failed, "No reply from 127.0.0.1 to EHLO within", true},
        {{"--stall", "AUTH"},
         true,
         mail::SmtpResult::End::Failed,
         "No reply from 127.0.0.1 to AUTH LOGIN within",
         true},
        {{"--stall", "MAIL"},
         false,
         mail::SmtpResult::End::Failed,
         "No reply from 127.0.0.1 to MAIL FROM within",
         true},
        {{"--stall", "RCPT"}, false, mail::SmtpResult::End::Failed, "No reply from 127.0.0.1 to RCPT TO within", true},
        {{"--stall", "DATA"}, false, mail::SmtpResult::End::Failed, "No reply from 127.0.0.1 to DATA within", true},
        {{"--stall", "DOT"},
         false,
         mail::SmtpResult::End::Failed,
         "No reply from 127.0.0.1 to the message within",
         true},
        {{"--drop-data"}, false, mail::SmtpResult::End::Failed, "The connection to 127.0.0.1 closed", true},
    };
    makeFile("a.bin", 1000);
    for (const Case& c : cases) {
        SCOPED_TRACE(c.peerArguments.join(' ').toStdString());
        startPeer(c.peerArguments + QStringList {"--user", "u", "--password", "p"});
        mail::SmtpRequest r = request({programFile("a.bin")});
        r.useAuth = c.useAuth;
        r.username = "u";
        r.password = "p";
        mail::SmtpSession session;
        session.setLimits(test::stallLimits(stalledStep(c.peerArguments), 1000));
        const Conversation talk = converse(session, r);
        EXPECT_EQ(talk.result.end, c.end);
        EXPECT_TRUE(talk.result.reason.startsWith(c.reasonStart)) << talk.result.reason.toStdString();
        ASSERT_FALSE(talk.statuses.isEmpty());
        EXPECT_TRUE(talk.statuses.last().startsWith("Error: " + c.reasonStart)) << talk.statuses.last().toStdString();
        EXPECT_EQ(talk.runStatuses.last() == talk.statuses.last(), c.shownInRun);
        EXPECT_LT(talk.elapsedMs, 10000);
        EXPECT_TRUE(message().isEmpty());
        peer.stop();
    }
}

TEST_F(SmtpSessionTest, OnlyAReplyAfterTheWholeMessageCountsAsItsAcceptance)
{
    struct Case
    {
        QString mode;
        qsizetype attachmentBytes;
        // Any of these may start the reason.
        QStringList reasonStarts;
    };
    const QString early = "127.0.0.1 answered before the whole message was sent: 250 OK";
    // Far more than the socket buffers take, so that the server speaks while most is still to go.
    const qsizetype big = 8 << 20;
    const Case cases[] = {
        // 250 in the same piece as the 354, and 554 at the real end.
        {"early-250", 0, {early}},
        {"early-250", big, {early}},
        {"midway-250", big, {early}},
        // The close may be seen before the 250 is read.
        {"midway-250-close", big, {early, "The connection to 127.0.0.1 "}},
        {"blank-GREETING", 0, {"127.0.0.1 sent an empty line instead of its greeting"}},
        {"blank-HELO", 0, {"127.0.0.1 answered HELO with an empty line"}},
        {"blank-RCPT", 0, {"127.0.0.1 answered RCPT TO with an empty line"}},
        {"blank-DOT", 0, {"127.0.0.1 answered the message with an empty line"}},
    };
    makeFile("big.bin", big);
    for (const Case& c : cases) {
        SCOPED_TRACE(c.mode.toStdString() + " " + std::to_string(c.attachmentBytes));
        startScriptedPeer(c.mode);
        mail::SmtpSession session;
        session.setLimits(test::generousLimits());
        const Conversation talk
            = converse(session, request(c.attachmentBytes ? QStringList {programFile("big.bin")} : QStringList {}));
        EXPECT_NE(talk.result.end, mail::SmtpResult::End::Sent);
        EXPECT_TRUE(std::any_of(c.reasonStarts.begin(), c.reasonStarts.end(), [&](const QString& start) {
            return talk.result.reason.startsWith(start);
        })) << talk.result.reason.toStdString();
        EXPECT_FALSE(talk.statuses.contains("Message Sent"));
        peer.stop();
    }

    // Accepted after the final ".", the same server's message is sent.
    startScriptedPeer("quit-554");
    mail::SmtpSession session;
    const Conversation sent = converse(session, request({programFile("big.bin")}));
    EXPECT_EQ(sent.result.end, mail::SmtpResult::End::Sent) << sent.result.reason.toStdString();
}

TEST_F(SmtpSessionTest, ARecipientTheServerForwardsIsAccepted)
{
    startPeer({"--forward-rcpt"});
    mail::SmtpSession session;
    const Conversation c = converse(session, request());
    EXPECT_EQ(c.result.end, mail::SmtpResult::End::Sent) << c.result.reason.toStdString();
    EXPECT_EQ(envelope()["rcpt_tos"].toArray().first().toString(), "you@example.org");
}

TEST_F(SmtpSessionTest, AClosedPortFailsAtOnceNamingTheServer)
{
    mail::SmtpRequest r = request();
    r.port = closedPort();
    mail::SmtpSession session;
    const Conversation c = converse(session, r);
    EXPECT_EQ(c.result.end, mail::SmtpResult::End::Failed);
    EXPECT_TRUE(c.result.reason.startsWith("Could not connect to 127.0.0.1: ")) << c.result.reason.toStdString();
    EXPECT_LT(c.elapsedMs, 5000);
}

TEST_F(SmtpSessionTest, AServerThatNeverTakesTheConnectionTimesOutConnecting)
{
    // A listening socket whose queue is full leaves further connection requests unanswered.
    const int listener = ::socket(AF_INET, SOCK_STREAM, 0);
    ASSERT_GE(listener, 0);
    sockaddr_in address {};
    address.sin_family = AF_INET;
    address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    socklen_t length = sizeof address;
    ASSERT_EQ(::bind(listener, reinterpret_cast<sockaddr*>(&address), sizeof address), 0);
    ASSERT_EQ(::listen(listener, 0), 0);
    ASSERT_EQ(::getsockname(listener, reinterpret_cast<sockaddr*>(&address), &length), 0);
    QTcpSocket filler;
    filler.connectToHost("127.0.0.1", ntohs(address.sin_port));
    ASSERT_TRUE(filler.waitForConnected(5000));

    mail::SmtpRequest r = request();
    r.port = ntohs(address.sin_port);
    mail::SmtpSession session;
    session.setLimits(test::stallLimits("CONNECT", 1500));
    const Conversation c = converse(session, r);
    ::close(listener);
    EXPECT_EQ(c.result.end, mail::SmtpResult::End::Failed);
    EXPECT_EQ(c.result.reason, "Could not connect to 127.0.0.1 - timed out");
    EXPECT_EQ(c.statuses,
              QStringList(
                  {"Connecting to Mail Server 127.0.0.1... (0)", "Error: Could not connect to 127.0.0.1 - timed out"}));
    EXPECT_TRUE(c.runStatuses.isEmpty());
}

TEST_F(SmtpSessionTest, AServerThatStopsReadingTheMessageStallsTheSendingOut)
{
    startPeer({"--stall", "MESSAGE"});
    // More than the socket buffers of both ends hold.
    makeFile("big.bin", 48 << 20);
    mail::SmtpSession session;
    session.setLimits(test::stallLimits("MESSAGE", 1500));
    const Conversation c = converse(session, request({programFile("big.bin")}));
    EXPECT_EQ(c.result.end, mail::SmtpResult::End::Failed);
    EXPECT_TRUE(c.result.reason.startsWith("Sending the message to 127.0.0.1 made no progress for 1.5 seconds"))
        << c.result.reason.toStdString();
}

TEST_F(SmtpSessionTest, StopEndsTheConversationWithoutAnOutcomeText)
{
    startPeer({"--stall", "MAIL"});
    mail::SmtpSession session;
    const Conversation c = converse(session, request(), [&](const QString& text) {
        if (text == "Sending Mail FROM")
            QTimer::singleShot(100, &session, &mail::SmtpSession::stop);
    });
    EXPECT_EQ(c.result.end, mail::SmtpResult::End::Stopped);
    EXPECT_EQ(c.statuses.last(), "Sending Mail FROM");
    EXPECT_FALSE(session.isActive());
}
