#include "mail/MailText.h"

#include <gtest/gtest.h>

TEST(MailTextTest, ATestMailHasTheHeadersAndBodyLinesInOrder)
{
    mail::MailTextValues values;
    values.from = "me@example.org";
    values.to = "you@example.org";
    values.subject = "Backup";
    values.isTest = true;
    values.when = QDateTime(QDate(2026, 12, 10), QTime(9, 5, 7));
    EXPECT_EQ(mail::composeMailText(values),
              "From: <me@example.org>\r\n"
              "To: you@example.org\r\n"
              "Subject: Backup\r\n"
              "X-Mailer: Quillback\r\n"
              "Mime-Version: 1.0\r\n"
              "Content-Type: text/plain;charset=us-ascii\r\n"
              "\r\n"
              "This is a test mailing by Quillback.\r\n"
              "\r\n"
              "A test attachment (TestAttachment.txt) should be attached to this email.\r\n"
              "\r\n"
              "Message Date and Time: 10/12/2026 09:05:07\r\n"
              "\r\n"
              "Thank you,\r\n"
              "\r\n"
              "Quillback\r\n"
              "Quillback Software\r\n"
              "http://quillback.example.org\r\n"
              "\r\n");

    values.isTest = false;
    const QByteArray run = mail::composeMailText(values);
    EXPECT_TRUE(run.contains("\r\n\r\nThis is an automatic mailing of backup files by Quillback.\r\n\r\n"
                             "Your backup files are attached.\r\n"));
}

TEST(MailTextTest, TheSignatureFollowsTheDotsOfTheWebsite)
{
    EXPECT_EQ(mail::signatureLines("Prog", "Co", "www.example.org"),
              QStringList({"Prog", "Co", "http://www.example.org"}));
    EXPECT_EQ(mail::signatureLines("Prog", "Co", "example.org"), QStringList({"Prog by Co", "http://www.example.org"}));
    EXPECT_EQ(mail::signatureLines("Prog", "Co", "example"), QStringList({"Prog by Co", "http://www.example"}));
}

TEST(MailTextTest, SubjectsStayOneHeaderAndNonAsciiGoesAsUtf8Words)
{
    EXPECT_EQ(mail::encodeSubject("Nightly backup"), "Nightly backup");
    EXPECT_EQ(mail::encodeSubject("one\r\nBcc: x@y\rtwo\nthree"), "one  Bcc: x@y two three");

    // 40 two-byte letters and a four-byte character: more than one word is needed.
    const QString subject = QString(40, QChar(0x00E9)) + QString::fromUtf8("\xF0\x9F\x93\xA6") + "Sicherung";
    const QByteArray encoded = mail::encodeSubject(subject);
    QByteArray decoded;
    for (const QByteArray& word : encoded.split('\n')) {
        const QByteArray trimmed = word.trimmed();
        EXPECT_LE(trimmed.size(), 75);
        ASSERT_TRUE(trimmed.startsWith("=?UTF-8?B?") && trimmed.endsWith("?=")) << trimmed.constData();
        const QByteArray bytes = QByteArray::fromBase64(trimmed.mid(10, trimmed.size() - 12));
        EXPECT_TRUE(QString::fromUtf8(bytes).toUtf8() == bytes) << "each word holds whole characters";
        decoded += bytes;
    }
    EXPECT_GT(encoded.count('\n'), 0);
    EXPECT_EQ(QString::fromUtf8(decoded), subject);
    EXPECT_EQ(encoded.count('\n'), encoded.count("\r\n ")) << "words are folded onto continuation lines";
}

TEST(MailTextTest, AddressesThatCouldEndACommandAreRefused)
{
    EXPECT_FALSE(mail::addressProblem("recipient", "anna@example.org"));
    for (const QString& bad : {QString("a@b\r\nRCPT TO:<c@d>"), QString("a@b\n"), QString("a@b") + QChar(0),
                               QString("a@b>"), QString("<a@b")}) {
        const std::optional<QString> problem = mail::addressProblem("recipient", bad);
        ASSERT_TRUE(problem);
        EXPECT_TRUE(problem->startsWith("The recipient address")) << problem->toStdString();
    }
}

TEST(MailTextTest, DotsThatStartALineAreDoubledAcrossPieces)
{
    mail::DotStuffer stuffer;
    QByteArray out;
    for (const QByteArray& piece : {QByteArray(".first\r\n"), QByteArray("a.b\r\n."), QByteArray("..x\r"),
                                    QByteArray("\n"), QByteArray(".\r\nend\r\n")})
        out += stuffer.apply(piece);
    EXPECT_EQ(out, "..first\r\na.b\r\n....x\r\n..\r\nend\r\n");
}
