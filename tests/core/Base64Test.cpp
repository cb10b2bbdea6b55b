#include "core/Base64.h"

#include <QStringList>

#include <gtest/gtest.h>

using core::Base64Encode;

TEST(Base64Test, Rfc4648Vectors)
{
    const std::pair<QByteArray, QString> cases[] = {
        {"", ""},
        {"f", "Zg=="},
        {"fo", "Zm8="},
        {"foo", "Zm9v"},
        {"foob", "Zm9vYg=="},
        {"fooba", "Zm9vYmE="},
        {"foobar", "Zm9vYmFy"},
        {QByteArray(3, '\0'), "AAAA"},
        {QByteArray("\xff\xfe\xfd", 3), "//79"},
    };
    for (const auto& [bytes, encoded] : cases)
        EXPECT_EQ(Base64Encode(bytes), encoded) << bytes.toHex().constData();
}

TEST(Base64Test, TextIsEncodedAsUtf8)
{
    EXPECT_EQ(Base64Encode(QString("user@example.org")), "dXNlckBleGFtcGxlLm9yZw==");
    EXPECT_EQ(Base64Encode(QString::fromUtf8("pässwörd")), "cMOkc3N3w7ZyZA==");
}

TEST(Base64Test, Wrapping)
{
    struct Case
    {
        QByteArray bytes;
        int lineLength;
        QString encoded;
    };
    const Case cases[] = {
        {"foobar", 4, "Zm9v\r\nYmFy"},
        {"f", 3, "Zg=\r\n="},
        {"foobar", 8, "Zm9vYmFy"},
        {"foobar", 7, "Zm9vYmF\r\ny"},
        {"foobar", 0, "Zm9vYmFy"},
        {"foobar", -1, "Zm9vYmFy"},
        {"", 4, ""},
    };
    for (const Case& c : cases)
        EXPECT_EQ(Base64Encode(c.bytes, c.lineLength), c.encoded) << c.bytes.constData() << " " << c.lineLength;
}

TEST(Base64Test, LongTextHasNoLimit)
{
    const QString text(40000, QLatin1Char('a'));
    const QString expected = QString("YWFh").repeated(13333) + "YQ==";
    EXPECT_EQ(Base64Encode(text), expected);

    const QStringList lines = Base64Encode(text, 76).split("\r\n");
    ASSERT_EQ(lines.size(), (expected.size() + 75) / 76);
    for (qsizetype i = 0; i + 1 < lines.size(); ++i)
        ASSERT_EQ(lines.at(i).size(), 76) << i;
    EXPECT_EQ(lines.join(""), expected);
}
