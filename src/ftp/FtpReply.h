#pragma once

#include <optional>

#include <QByteArray>
#include <QString>
#include <QStringList>

namespace ftp
{

// One complete reply of the control connection.
struct FtpReply
{
    int code = 0;
    QString text; // every line, joined by CR LF, without the last line break
    QString continuation; // the texts of its "nnn-" lines from the fifth character on, joined by CR LF
};

// Assembles control-connection bytes, in whatever pieces they come, into lines and the lines into
// replies. A line ends with CR LF or, from servers that write it so, a bare LF. Each reply comes out
// once, when its final line is complete.
class FtpReplyReader
{
public:
    static constexpr qsizetype kLongestLine = 64 * 1024;
    static constexpr qsizetype kLongestReply = 1024 * 1024;

    void append(const QByteArray& bytes) { m_pending += bytes; }
    // The next complete reply, or nothing while none is complete.
    std::optional<FtpReply> next();
    // Why the stream cannot be read as replies (a line or a reply beyond the limits); empty while it can.
    QString overflow() const;
    void clear();

private:
    QByteArray m_pending;
    QStringList m_lines;
    qsizetype m_replySize = 0;
};

// Control text is UTF-8; a line that is not is read as Latin-1 rather than lost.
QString decodeControlText(const QByteArray& bytes);

// The path quoted in a 257 reply, with doubled quotes undoubled and backslashes turned into slashes;
// nothing when the reply holds no quoted path.
std::optional<QString> quotedPath(const QString& reply);

} // namespace ftp
