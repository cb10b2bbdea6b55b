#include "mail/MimeEncoders.h"

#include <gtest/gtest.h>

#include "mail/UUDecoders.h"

TEST(MimeEncodersTest, Base64FollowsTheRfcVectorsInLinesOf76)
{
    const QList<QPair<QByteArray, QByteArray>> vectors = {
        {"", ""},
        {"f", "Zg==\r\n"},
        {"fo", "Zm8=\r\n"},
        {"foo", "Zm9v\r\n"},
        {"foob", "Zm9vYg==\r\n"},
        {"fooba", "Zm9vYmE=\r\n"},
        {"foobar", "Zm9vYmFy\r\n"},
    };
    for (const auto& [bytes, encoded] : vectors) {
        EXPECT_EQ(mail::EncodeBase64Bytes(bytes), encoded) << bytes.constData();
        EXPECT_EQ(mail::DecodeBase64String(QString::fromLatin1(encoded).trimmed()), QString::fromLatin1(bytes));
    }
    EXPECT_EQ(mail::EncodeBase64Text("abc"), "YWJj\r\n");
    EXPECT_EQ(mail::EncodeBase64Text(""), "");

    QByteArray bytes(58, Qt::Uninitialized);
    for (int i = 0; i < bytes.size(); ++i)
        bytes[i] = char(i * 7);
    const QList<QByteArray> lines = mail::EncodeBase64Bytes(bytes).split('\n');
    ASSERT_EQ(lines.size(), 3);
    EXPECT_EQ(lines.at(0).size(), 77);
    EXPECT_TRUE(lines.at(1).endsWith("==\r"));
    EXPECT_EQ(lines.at(1).size(), 5);
    EXPECT_TRUE(lines.at(2).isEmpty());
    EXPECT_EQ(QByteArray::fromBase64(lines.at(0).trimmed() + lines.at(1).trimmed()), bytes);
}

TEST(MimeEncodersTest, DecodingStopsAtAnyCharacterOutsideTheAlphabet)
{
    EXPECT_EQ(mail::DecodeBase64String("VXNlcm5hbWU6"), "Username:");
    EXPECT_EQ(mail::DecodeBase64String("VXNlcm5hbWU6\r\n"), "");
    EXPECT_EQ(mail::DecodeBase64String("VXNl cm5h"), "");
    EXPECT_EQ(mail::DecodeBase64String("Zg==Zm8="), "ffo") << "\"=\" ends only its own group";
}

TEST(MimeEncodersTest, UuencodedLinesDecodeWithoutAnythingAfterTheData)
{
    EXPECT_EQ(mail::UUEncodeLine("Cat"), "#0V%T");
    EXPECT_EQ(mail::UUEncodeLine("A"), "!00``");
    EXPECT_EQ(mail::UUEncodeLine(QString(64, 'x')), "");
    const QString full = mail::UUEncodeLine(QString(45, 'y'));
    EXPECT_EQ(full.size(), 61);
    EXPECT_TRUE(full.startsWith('M'));

    for (const QString& text : {QString("A"), QString("Ab"), QString("Cat"), QString(45, 'z')}) {
        const QByteArray block = "begin 664 x\r\n" + mail::UUEncodeLine(text).toLatin1() + "\r\n`\r\nend\r\n";
        EXPECT_EQ(test::uudecode(block), text.toLatin1()) << text.toStdString();
        EXPECT_EQ(test::binasciiDecode(block), text.toLatin1()) << text.toStdString();
    }
}
