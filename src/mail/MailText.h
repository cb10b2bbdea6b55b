#pragma once

#include <optional>

#include <QByteArray>
#include <QByteArrayView>
#include <QDateTime>
#include <QString>
#include <QStringList>

namespace mail
{

// What the plain-text mail of a run or a test says, up to its attachments.
struct MailTextValues
{
    QString from;
    QString to;
    QString subject;
    bool isTest = false;
    QDateTime when;
    // The files whose uuencoded blocks follow the text: a name outside ASCII makes the text UTF-8.
    QStringList attachments;
};

// The header lines, the empty line and the body, each line with CR LF; the uuencoded attachments
// follow it. Line breaks in the subject become blanks.
QByteArray composeMailText(const MailTextValues& values);

// The signature: a website with two dots or more is a whole host name; otherwise "www." goes before it.
QStringList signatureLines(const QString& program, const QString& company, const QString& website);

// The subject as it goes into its header: plain when it fits a header as it is, otherwise UTF-8
// in "=?UTF-8?B?...?=" words of at most 75 characters, cut between characters and folded onto
// continuation lines.
QByteArray encodeSubject(const QString& subject);

// Printable ASCII (blanks and tabs included) whose runs without a blank are short enough that the
// text, folded at its blanks, keeps within a header line's 998 octets.
bool fitsHeaderAsIs(const QString& text);

// A header, its lines joined by CR LF and without the last one, with every line longer than 78
// characters folded before a blank, so that a long subject never exceeds the line limit servers
// enforce. Unfolding gives the same text back; a run without blanks is never cut.
QByteArray foldHeader(const QByteArray& header);

// UTF-8 "=?UTF-8?B?...?=" words of at most 75 characters, cut between characters and joined by `fold`.
QByteArray encodedWords(const QString& text, const QByteArray& fold);

// Why an address cannot go into MAIL FROM, RCPT TO or a header: a line break, NUL or an angle
// bracket would end the command early or smuggle in another one. nullopt when it can.
std::optional<QString> addressProblem(const QString& role, const QString& address);

// Doubles a "." that starts a line of DATA (a server takes a line of "." alone as the end and drops
// one leading dot from every other line). Keeps track of line starts across pieces.
class DotStuffer
{
public:
    QByteArray apply(const QByteArray& piece);

private:
    bool m_atLineStart = true;
};

} // namespace mail
