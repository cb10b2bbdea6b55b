#include "mail/SmtpReply.h"

namespace mail
{
namespace
{
bool isDigit(char c)
{
    return c >= '0' && c <= '9';
}

bool hasCode(const QByteArray& line)
{
    return line.size() >= 3 && isDigit(line[0]) && isDigit(line[1]) && isDigit(line[2]);
}
} // namespace

void SmtpReplyReader::append(const QByteArray& bytes)
{
    if (m_overflowed)
        return;
    m_pending += bytes;
    qsizetype start = 0;
    for (qsizetype end = m_pending.indexOf('\n'); end >= 0; end = m_pending.indexOf('\n', start)) {
        const QByteArray line = m_pending.mid(start, end + 1 - start);
        start = end + 1;
        m_reply += line;
        const bool continues = hasCode(line) && line.size() > 3 && line[3] == '-';
        if (!continues) {
            m_complete.append(SmtpReply {hasCode(line) ? line.left(3).toInt() : 0, m_reply});
            m_reply.clear();
        } else if (m_reply.size() > MaxReplyBytes) {
            m_overflowed = true;
            return;
        }
    }
    m_pending.remove(0, start);
    if (m_pending.size() + m_reply.size() > MaxReplyBytes)
        m_overflowed = true;
}

std::optional<SmtpReply> SmtpReplyReader::takeReply()
{
    if (m_complete.isEmpty())
        return std::nullopt;
    return m_complete.takeFirst();
}

void SmtpReplyReader::clear()
{
    m_pending.clear();
    m_reply.clear();
    m_complete.clear();
    m_overflowed = false;
}

} // namespace mail
