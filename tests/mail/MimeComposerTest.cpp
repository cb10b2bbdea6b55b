#include "mail/MimeComposer.h"

#include <QRegularExpression>
#include <QTemporaryDir>

#include <gtest/gtest.h>

#include "mail/MailText.h"
#include "mail/UUDecoders.h"
#include "support/ProgramFolderTest.h"

namespace
{
const QDateTime When(QDate(2006, 10, 30), QTime(19, 47, 39), Qt::OffsetFromUTC, 3600);
const QString Boundary = "----_=_NextPart_000_0000986C.04EA7AAE";

// The DATA text as it goes out: every piece of the stream, leading dots doubled.
QByteArray wire(const mail::MimeMessage& message)
{
    mail::MimeBodyStream stream(message, When, "ID@host.test");
    mail::DotStuffer stuffer;
    QByteArray out;
    for (QByteArray piece = stream.next(); !piece.isEmpty(); piece = stream.next())
        out += stuffer.apply(piece);
    EXPECT_TRUE(stream.atEnd());
    EXPECT_TRUE(stream.error().isEmpty()) << stream.error().toStdString();
    return out;
}

mail::MimeMessage basic()
{
    mail::MimeMessage m;
    m.from = "anna@example.org";
    m.to = {"bob@example.org"};
    m.subject = "Report";
    return m;
}

class MimeComposerTest : public ::testing::Test
{
protected:
    QString file(const QString& name, const QByteArray& bytes)
    {
        EXPECT_TRUE(test::writeFile(dir.filePath(name), bytes));
        return dir.filePath(name);
    }
    QTemporaryDir dir;
};
} // namespace

TEST(MimeFormatsTest, DatesZonesBoundariesAndIdentifiers)
{
    EXPECT_EQ(mail::MimeBoundary(When), Boundary);
    EXPECT_EQ(mail::FormatMailDate(When), "Mon, 30 Oct 2006 19:47:39 +0100");
    EXPECT_EQ(mail::TimeZoneText(-5 * 3600), "-0500");
    EXPECT_EQ(mail::TimeZoneText(3600), "+0100");
    EXPECT_EQ(mail::TimeZoneText(5 * 3600 + 1800), "+0530");
    EXPECT_EQ(mail::TimeZoneText(-1800), "-0030");
    const QString id = mail::MakeMessageID(When, "host.test");
    EXPECT_TRUE(QRegularExpression("^20061030184739000\\.[A-Za-z0-8]{20}@host\\.test$").match(id).hasMatch())
        << id.toStdString();
    EXPECT_EQ(mail::GetContentType("logo.GIF", "x/y"), "image/gif");
    EXPECT_EQ(mail::GetContentType("archive.unknownext", "x/y"), "x/y");
    EXPECT_EQ(mail::GetContentType("README", "x/y"), "x/y");
}

TEST(MimeFormatsTest, TextIsPreparedAndHeaderWordsStayShort)
{
    EXPECT_EQ(mail::PrepareMessageText(QString(2000, 'a')),
              QString(998, 'a') + "\r\n" + QString(998, 'a') + "\r\n" + QString(4, 'a'));
    const QString words = QString(990, 'w') + " tail " + QString(20, 'v');
    EXPECT_EQ(mail::PrepareMessageText("x\r" + words), "x\r\n" + QString(990, 'w') + " tail \r\n" + QString(20, 'v'));
    // Every line end becomes CR LF: SMTP allows no other.
    EXPECT_EQ(mail::PrepareMessageText("a\nb\r\nc\rd\n\ne"), "a\r\nb\r\nc\r\nd\r\n\r\ne");
    // Two-byte letters: the cut comes between characters and counts bytes.
    const QStringList pieces = mail::PrepareMessageText(QString(600, QChar(0x00E9))).split("\r\n");
    ASSERT_EQ(pieces.size(), 2);
    EXPECT_EQ(pieces.at(0).size(), 499);

    const QString subject = QString(99, 'a') + QChar(0x00FC);
    const QByteArray encoded = mail::EncodeHeaderText(subject, false);
    QString decoded;
    for (const QByteArray& word : encoded.split('\n')) {
        EXPECT_LE(word.trimmed().size(), 75);
        decoded += QString::fromUtf8(QByteArray::fromBase64(word.trimmed().mid(10).chopped(2)));
    }
    EXPECT_EQ(decoded, subject);
    EXPECT_EQ(encoded.count("\r\n\t"), encoded.count('\n'));
    EXPECT_EQ(mail::EncodeHeaderText("Anna", true), "\"Anna\"");
    EXPECT_EQ(mail::EncodeHeaderText("Anna \"Boss\" M\\", true), "\"Anna \\\"Boss\\\" M\\\\\"");
}

TEST_F(MimeComposerTest, APlainMessageWithFoldedRecipients)
{
    mail::MimeMessage m = basic();
    m.fromName = "Anna";
    m.to = {"bob@example.org", "carl@example.org"};
    m.toNames = {"", "Carl"};
    m.cc = {"dora@example.org"};
    m.ccNames = {"Dora"};
    m.text = mail::PrepareMessageText(".leading\r\nsecond");
    EXPECT_EQ(wire(m),
              "Message-ID: <ID@host.test>\r\n"
              "From: \"Anna\" <anna@example.org>\r\n"
              "To: \"bob@example.org\" <bob@example.org>, \r\n\t\"Carl\" <carl@example.org>\r\n"
              "Cc: \"Dora\" <dora@example.org>\r\n"
              "Subject: Report\r\n"
              "Date: Mon, 30 Oct 2006 19:47:39 +0100\r\n"
              "MIME-Version: 1.0\r\n"
              "Content-Type: text/plain;\r\n"
              "\tcharset=\"utf-8\"\r\n"
              "Content-Transfer-Encoding: 7bit\r\n"
              "\r\n"
              "..leading\r\n"
              "second\r\n");

    m.priority = 1;
    m.priorityText = "High";
    m.receipt = true;
    m.replyTo = "desk@example.org";
    m.text = QString::fromUtf8("Gr\xC3\xBC\xC3\x9F"
                               "e");
    const QByteArray flagged = wire(m);
    EXPECT_TRUE(flagged.contains("\r\nReply-to: <desk@example.org>\r\nDate: "));
    EXPECT_TRUE(flagged.contains("\r\nX-Priority: 1\r\nX-MSMail-Priority: High\r\n"
                                 "Disposition-Notification-To: \"Anna\" <anna@example.org>\r\n"));
    EXPECT_TRUE(flagged.contains("Content-Transfer-Encoding: 8bit\r\n"));
}

TEST_F(MimeComposerTest, UuencodedAttachmentsAreBlocksThatUudecodeReads)
{
    mail::MimeMessage m = basic();
    m.encodeType = 1;
    m.text = "See below.";
    const QByteArray fourteen = "fourteen bytes";
    m.attachments = {{file("a.txt", "Cat"), "a.txt"}, {file("b.bin", fourteen), "b.bin"}};
    const QByteArray data = wire(m);
    EXPECT_TRUE(data.endsWith("Date: Mon, 30 Oct 2006 19:47:39 +0100\r\n"
                              "\r\n"
                              "See below.\r\n"
                              "\r\n"
                              "begin 600 a.txt\r\n"
                              "#0V%T\r\n"
                              "`\r\n"
                              "end\r\n"
                              "begin 600 b.bin\r\n"
                              "..9F]U<G1E96X@8GET97,`\r\n"
                              "`\r\n"
                              "end\r\n"))
        << data.constData();
    EXPECT_FALSE(data.contains("MIME-Version"));
    // What a server makes of it after taking the doubled dots back.
    QByteArray received = data;
    received.replace("\r\n..", "\r\n.");
    const QList<QByteArray> blocks = test::uuBlocks(received.replace("begin 600", "begin 664"));
    ASSERT_EQ(blocks.size(), 2);
    EXPECT_EQ(test::uudecode(blocks.at(1)), fourteen);
}

TEST_F(MimeComposerTest, AFileReferencedInsideATagIsARelatedPart)
{
    mail::MimeMessage m = basic();
    m.subject = "Logo";
    m.asHtml = true;
    m.text = "<p><img src=\"C:/pics/LOGO.gif\"></p>";
    m.attachments = {{file("logo.gif", "GIF89a"), "logo.gif"}};
    EXPECT_TRUE(mail::EmbedReferencedFiles(m.text, m.attachments, m.asHtml));
    EXPECT_EQ(m.text, "<p><img src=\"cid:logo.gif\"></p>");
    const QByteArray b = Boundary.toLatin1();
    EXPECT_EQ(wire(m),
              "Message-ID: <ID@host.test>\r\n"
              "From: \"anna@example.org\" <anna@example.org>\r\n"
              "To: \"bob@example.org\" <bob@example.org>\r\n"
              "Subject: Logo\r\n"
              "Date: Mon, 30 Oct 2006 19:47:39 +0100\r\n"
              "MIME-Version: 1.0\r\n"
              "Content-Type: multipart/related;\r\n"
              "\tboundary=\""
                  + b
                  + "\"\r\n"
                    "\r\n"
                    "This is a multi-part message in MIME format.\r\n"
                    "\r\n"
                    "--"
                  + b
                  + "\r\n"
                    "Content-Type: text/html;\r\n"
                    "\tcharset=\"utf-8\"\r\n"
                    "Content-Transfer-Encoding: 7bit\r\n"
                    "\r\n"
                    "<p><img src=\"cid:logo.gif\"></p>\r\n"
                    "\r\n"
                    "--"
                  + b
                  + "\r\n"
                    "Content-Type: image/gif;\r\n"
                    "\tname=\"logo.gif\"\r\n"
                    "Content-Transfer-Encoding: base64\r\n"
                    "Content-Disposition: attachment;\r\n"
                    "\tfilename=\"logo.gif\"\r\n"
                    "Content-ID: <logo.gif>\r\n"
                    "\r\n"
                    "R0lGODlh\r\n"
                    "\r\n"
                    "--"
                  + b + "--\r\n");

    mail::MimeMessage outside = basic();
    outside.asHtml = true;
    outside.text = "<p>See logo.gif, attached.</p>";
    outside.attachments = {{file("logo.gif", "GIF89a"), "logo.gif"}};
    EXPECT_FALSE(mail::EmbedReferencedFiles(outside.text, outside.attachments, outside.asHtml));
    const QByteArray mixed = wire(outside);
    EXPECT_TRUE(mixed.contains("Content-Type: multipart/mixed;\r\n"));
    EXPECT_FALSE(mixed.contains("Content-ID"));
}

TEST_F(MimeComposerTest, LargeAttachmentsJoinIntoOneBase64TextAndAMissingOneEndsTheStream)
{
    QByteArray bytes(11400 * 2 + 100, Qt::Uninitialized);
    for (qsizetype i = 0; i < bytes.size(); ++i)
        bytes[i] = char(i * 13);
    mail::MimeMessage m = basic();
    m.attachments = {{file("big.bin", bytes), "big.bin"}};
    const QByteArray data = wire(m);
    const qsizetype start = data.indexOf("\r\n\r\n", data.indexOf("filename=")) + 4;
    const QByteArray encoded = data.mid(start, data.indexOf("\r\n\r\n", start) - start);
    for (const QByteArray& line : encoded.split('\n'))
        EXPECT_LE(line.size(), 77);
    EXPECT_EQ(QByteArray::fromBase64(QByteArray(encoded).replace("\r\n", "")), bytes);

    m.attachments = {{dir.filePath("gone.bin"), "gone.bin"}};
    QStringList statuses;
    mail::MimeBodyStream stream(m, When, "ID");
    stream.onStatus = [&](const QString& text) { statuses << text; };
    while (!stream.next().isEmpty()) { }
    EXPECT_TRUE(stream.error().startsWith("Could not read " + dir.filePath("gone.bin")));
    EXPECT_EQ(statuses, QStringList {"Sending Attachment, gone.bin..."});
}
