#include "ftp/FtpReply.h"

#include <QStringDecoder>

namespace ftp
{

namespace
{

bool startsWithCode(const QString& line)
{
    if (line.size() < 3)
        return false;
    for (int i = 0; i < 3; ++i) {
        if (line[i] < QLatin1Char('0') || line[i] > QLatin1Char('9'))
            return false;
    }
    return true;
}

bool isFinalLine(const QString& line)
{
    return startsWithCode(line) && (line.size() == 3 || line[3] == QLatin1Char(' '));
}

bool isContinuationLine(const QString& line)
{
    return startsWithCode(line) && line.size() > 3 && line[3] == QLatin1Char('-');
}

} // namespace

std::optional<FtpReply> FtpReplyReader::next()
{
    for (;;) {
        if (m_replySize > kLongestReply)
            return std::nullopt;
        // Some servers end their lines with a bare LF.
        const qsizetype end = m_pending.indexOf('\n');
        if (end < 0)
            return std::nullopt;
        const qsizetype length = end > 0 && m_pending.at(end - 1) == '\r' ? end - 1 : end;
        const QString line = decodeControlText(m_pending.left(length));
        m_pending.remove(0, end + 1);
        if (m_lines.isEmpty() && !startsWithCode(line))
            continue; // text outside any reply
        m_lines.append(line);
        m_replySize += line.size();
        // Inside a multi-line reply only its own code followed by a blank ends it.
        const bool ends = isFinalLine(line) && (m_lines.size() == 1 || line.left(3) == m_lines.first().left(3));
        if (!ends)
            continue;

        FtpReply reply;
        reply.code = line.left(3).toInt();
        QStringList continuation;
        for (const QString& replyLine : std::as_const(m_lines)) {
            if (isContinuationLine(replyLine))
                continuation.append(replyLine.mid(4));
        }
        reply.continuation = continuation.join(QStringLiteral("\r\n"));
        reply.text = m_lines.join(QStringLiteral("\r\n"));
        m_lines.clear();
        m_replySize = 0;
        return reply;
    }
}

QString FtpReplyReader::overflow() const
{
    if (m_pending.size() > kLongestLine)
        return QStringLiteral("The server sent a reply line longer than %1 bytes.").arg(kLongestLine);
    if (m_replySize > kLongestReply)
        return QStringLiteral("The server sent a reply longer than %1 bytes.").arg(kLongestReply);
    return {};
}

void FtpReplyReader::clear()
{
    m_pending.clear();
    m_lines.clear();
    m_replySize = 0;
}

QString decodeControlText(const QByteArray& bytes)
{
    QStringDecoder decoder(QStringDecoder::Utf8, QStringDecoder::Flag::Stateless);
    QString text = decoder(bytes);
    if (decoder.hasError())
        return QString::fromLatin1(bytes);
    return text;
}

std::optional<QString> quotedPath(const QString& reply)
{
    if (reply.size() < 7)
        return std::nullopt;
    const qsizetype open = reply.indexOf(QLatin1Char('"'));
    if (open < 0)
        return std::nullopt;
    QString path;
    for (qsizetype i = open + 1; i < reply.size(); ++i) {
        if (reply[i] != QLatin1Char('"')) {
            path += reply[i];
        } else if (i + 1 < reply.size() && reply[i + 1] == QLatin1Char('"')) {
            path += QLatin1Char('"'); // a quote inside the name is sent doubled
            ++i;
        } else {
            return path.replace(QLatin1Char('\\'), QLatin1Char('/'));
        }
    }
    return std::nullopt;
}

} // namespace ftp
