#include <gtest/gtest.h>

#include "ftp/FtpReply.h"

using namespace ftp;

namespace
{

// Feeds the stream in pieces of `step` bytes and collects "code|text|continuation" of each reply.
QStringList readInPieces(const QByteArray& stream, int step)
{
    FtpReplyReader reader;
    QStringList replies;
    for (qsizetype at = 0; at < stream.size(); at += step) {
        reader.append(stream.mid(at, step));
        while (const std::optional<FtpReply> reply = reader.next())
            replies.append(QStringLiteral("%1|%2|%3").arg(reply->code).arg(reply->text, reply->continuation));
    }
    return replies;
}

} // namespace

TEST(FtpReplyTest, RepliesComeOutOnceAtTheirFinalLineHoweverTheBytesArePieced)
{
    const struct
    {
        const char* name;
        QByteArray stream;
        QStringList replies;
    } cases[] = {
        {"single lines", "220 ready\r\n331 password\r\n", {"220|220 ready|", "331|331 password|"}},
        {"two-line greeting", "220-Welcome\r\n220 \r\n", {"220|220-Welcome\r\n220 |Welcome"}},
        {"inner lines that look like replies",
         "211-Status\r\n 200 not the end\r\n150 nor this\r\n211 End\r\n",
         {"211|211-Status\r\n 200 not the end\r\n150 nor this\r\n211 End|Status"}},
        {"a bare code", "200\r\n", {"200|200|"}},
        {"text outside a reply", "noise\r\n250 ok\r\n", {"250|250 ok|"}},
        {"no line end yet", "220 rea", {}},
        {"lines ended by a bare LF",
         "220-Welcome\n220 ready\n331 password\r\n",
         {"220|220-Welcome\r\n220 ready|Welcome", "331|331 password|"}},
        {"UTF-8 and Latin-1",
         "257 \"/Gr\xc3\xbc\xc3\x9f"
         "e\"\r\n257 \"/caf\xe9\"\r\n",
         {"257|257 \"/Grüße\"|", "257|257 \"/café\"|"}},
    };
    for (const auto& c : cases) {
        for (const int step : {1, 2, 7, 1000}) {
            SCOPED_TRACE(QStringLiteral("%1, pieces of %2").arg(c.name).arg(step).toStdString());
            EXPECT_EQ(readInPieces(c.stream, step), c.replies);
        }
    }
}

TEST(FtpReplyTest, StreamsThatAreNotRepliesAreReportedNotHeld)
{
    FtpReplyReader longLine;
    longLine.append(QByteArray(FtpReplyReader::kLongestLine + 1, 'x'));
    EXPECT_FALSE(longLine.next().has_value());
    EXPECT_FALSE(longLine.overflow().isEmpty());

    FtpReplyReader endless;
    const QByteArray line = "220-" + QByteArray(1000, 'y') + "\r\n";
    for (int i = 0; i < 1100; ++i)
        endless.append(line);
    EXPECT_FALSE(endless.next().has_value());
    EXPECT_FALSE(endless.overflow().isEmpty());
    endless.clear();
    EXPECT_TRUE(endless.overflow().isEmpty());

    FtpReplyReader fine;
    fine.append("220 ok\r\n220-still ");
    EXPECT_TRUE(fine.next().has_value());
    EXPECT_TRUE(fine.overflow().isEmpty());
}

TEST(FtpReplyTest, TheQuotedPathOfA257Reply)
{
    const struct
    {
        QString reply;
        std::optional<QString> path;
    } cases[] = {
        {"257 \"/home/user\" is current", "/home/user"},
        {"257 \"/say \"\"hi\"\"\" is current", "/say \"hi\""},
        {"257 \"C:\\Data\\Sets\"", "C:/Data/Sets"},
        {"257 \"\" empty", ""},
        {"257 /home no quotes", std::nullopt},
        {"257 \"/unterminated", std::nullopt},
        {"257 \"", std::nullopt},
    };
    for (const auto& c : cases)
        EXPECT_EQ(quotedPath(c.reply), c.path) << c.reply.toStdString();
}
