#include "mail/SmtpReply.h"

#include <gtest/gtest.h>

namespace
{
struct Taken
{
    QList<int> codes;
    QList<QByteArray> texts;
};

Taken feed(const QList<QByteArray>& pieces)
{
    mail::SmtpReplyReader reader;
    Taken taken;
    for (const QByteArray& piece : pieces) {
        reader.append(piece);
        while (const std::optional<mail::SmtpReply> reply = reader.takeReply()) {
            taken.codes << reply->code;
            taken.texts << reply->text;
        }
    }
    return taken;
}
} // namespace

TEST(SmtpReplyTest, AReplyIsCompleteOnlyAtItsFinalLineHoweverTheBytesAreCut)
{
    const QByteArray ehlo = "250-peer.test\r\n250-SIZE 100\r\n250-AUTH LOGIN PLAIN\r\n250 HELP\r\n";
    struct Case
    {
        const char* name;
        QList<QByteArray> pieces;
        QList<int> codes;
    };
    const Case cases[] = {
        {"one piece", {ehlo}, {250}},
        {"cut at line ends", {"250-peer.test\r\n", "250-SIZE 100\r\n250-AUTH LOGIN PLAIN\r\n", "250 HELP\r\n"}, {250}},
        {"cut inside lines and inside CR LF",
         {"25", "0-peer.test\r", "\n250-SIZE 100\r\n250-AUTH LOGIN PLAIN\r\n250 HE", "LP\r\n"},
         {250}},
        {"two replies in one piece", {"334 VXNlciBOYW1lAA==\r\n535 5.7.8 Authentication failed\r\n"}, {334, 535}},
        {"a bare code", {"354\r\n"}, {354}},
        {"no code at all", {"hello there\r\n"}, {0}},
        {"a line not yet ended", {"220 peer.test ready"}, {}},
    };
    for (const Case& c : cases) {
        const Taken taken = feed(c.pieces);
        EXPECT_EQ(taken.codes, c.codes) << c.name;
        if (c.codes.size() == 1) {
            EXPECT_EQ(taken.texts.value(0), c.pieces.join()) << c.name << ": the reply keeps every line as received";
        }
    }
}

TEST(SmtpReplyTest, AReplyThatNeverEndsOverflowsInsteadOfGrowing)
{
    mail::SmtpReplyReader reader;
    const QByteArray line = "250-" + QByteArray(1000, 'x') + "\r\n";
    for (int i = 0; i < 100 && !reader.overflowed(); ++i)
        reader.append(line);
    EXPECT_TRUE(reader.overflowed());
    EXPECT_FALSE(reader.takeReply());

    mail::SmtpReplyReader endless;
    endless.append(QByteArray(mail::SmtpReplyReader::MaxReplyBytes + 1, 'x'));
    EXPECT_TRUE(endless.overflowed()) << "a line without an end counts too";
}
