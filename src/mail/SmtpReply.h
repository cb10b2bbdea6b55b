#pragma once

#include <optional>

#include <QByteArray>
#include <QList>

namespace mail
{

// One whole server reply: every line as received, CR LF included, and the code of its last line
// (0 when that line does not start with three digits).
struct SmtpReply
{
    int code = 0;
    QByteArray text;
};

// Assembles the bytes a server sends into replies. A reply is complete only at its final line
// ("ddd " or a bare "ddd"); lines of the form "ddd-" continue it, however the bytes were cut.
class SmtpReplyReader
{
public:
    // A reply larger than this is a hostile or broken server, not a reply.
    static constexpr qsizetype MaxReplyBytes = 64 * 1024;

    void append(const QByteArray& bytes);
    // The next complete reply, in the order they came.
    std::optional<SmtpReply> takeReply();
    // True once the server sent more than a reply may hold without ending it.
    bool overflowed() const { return m_overflowed; }
    void clear();

private:
    QByteArray m_pending;
    QByteArray m_reply;
    QList<SmtpReply> m_complete;
    bool m_overflowed = false;
};

} // namespace mail
