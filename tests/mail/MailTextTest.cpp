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

TEST(MailTextTest, LongHeadersFoldAtBlanksAndUnfoldToTheSameText)
{
    const auto unfold = [](QByteArray header) { return header.replace("\r\n", ""); };
    const QByteArray words = "Subject: " + QByteArray("Nightly backup of the project folder ").repeated(40) + "end";
    const QByteArray folded = mail::foldHeader(words);
    EXPECT_EQ(unfold(folded), words);
    const QList<QByteArray> lines = folded.split('\n');
    EXPECT_GT(lines.size(), 15);
    for (qsizetype i = 0; i < lines.size(); ++i) {
        EXPECT_LE(lines.at(i).size(), 78) << lines.at(i).constData();
        EXPECT_FALSE(lines.at(i).trimmed().isEmpty());
        EXPECT_EQ(lines.at(i).startsWith(' '), i > 0) << "a fold goes before a blank";
    }

    // Lines that are short, or have no blank after their text, stay as they are.
    for (const QByteArray& kept : {QByteArray("Subject: short"), QByteArray("To: a,\r\n\tb"),
                                   "X: " + QByteArray(200, 'x'), "X: " + QByteArray(100, 'x') + "    "})
        EXPECT_EQ(mail::foldHeader(kept), kept);

    // A subject too long for a line without a blank goes as encoded words instead.
    EXPECT_EQ(mail::encodeSubject(QString(900, 'x')), QByteArray(900, 'x'));
    const QByteArray encoded = mail::encodeSubject(QString(1200, 'x'));
    EXPECT_TRUE(encoded.startsWith("=?UTF-8?B?"));
    QByteArray decoded;
    for (const QByteArray& word : encoded.split('\n'))
        decoded += QByteArray::fromBase64(word.trimmed().mid(10).chopped(2));
    EXPECT_EQ(decoded, QByteArray(1200, 'x'));
}

TEST(MailTextTest, AFileNameOutsideAsciiDeclaresTheTextUtf8)
{
    mail::MailTextValues values;
    values.from = "me@example.org";
    values.to = "you@example.org";
    values.attachments = {"/data/plain.zip"};
    EXPECT_TRUE(mail::composeMailText(values).contains("\r\nContent-Type: text/plain;charset=us-ascii\r\n\r\n"));
    values.attachments << QString::fromUtf8("/data/Pr\xC3\xBC"
                                            "fung.zip");
    EXPECT_TRUE(mail::composeMailText(values).contains(
        "\r\nContent-Type: text/plain;charset=utf-8\r\nContent-Transfer-Encoding: 8bit\r\n\r\n"));
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
