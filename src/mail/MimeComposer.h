#pragma once

#include <functional>

#include <QByteArray>
#include <QDateTime>
#include <QFile>
#include <QList>
#include <QString>
#include <QStringList>

namespace mail
{

struct MimeAttachment
{
    QString path;
    // The path's last part.
    QString name;
    // The HTML text refers to it: it goes as a related part with a Content-ID.
    bool embedded = false;
};

// What the MIME mail class sends: its message state at the moment of the send.
struct MimeMessage
{
    QString from;
    QString fromName;
    QStringList to;
    QStringList toNames;
    QStringList cc;
    QStringList ccNames;
    QString replyTo;
    QString subject;
    // As PrepareMessageText gave it.
    QString text;
    bool asHtml = false;
    QString contentBase;
    bool receipt = false;
    int priority = 3;
    QString priorityText;
    // 0 MIME, any other value uuencode.
    int encodeType = 0;
    QList<MimeAttachment> attachments;
};

// The message text as it is kept: lines (ended by CR LF, CR or LF alone) of more than 998 bytes
// wrapped at their last blank (or at 998 bytes, between characters), joined by CR LF.
// Leading dots are doubled on the wire, once for every line, not here.
QString PrepareMessageText(const QString& text);
// A byte of the text's UTF-8 form is above 126.
bool hasEightBitText(const QString& text);
// Rewrites references to attached files inside HTML tags to "cid:" and the file's name and marks
// those attachments embedded; true when any was. Nothing happens to a plain text.
bool EmbedReferencedFiles(QString& text, QList<MimeAttachment>& attachments, bool asHtml);

// "----_=_NextPart_000_" and the date and the time of day in hexadecimal.
QString MimeBoundary(const QDateTime& now);
// "Mon, 30 Oct 2006 19:47:39 +0100" for the local time and its offset from UTC.
QString FormatMailDate(const QDateTime& local);
// "+0100", "-0500", "+0530".
QString TimeZoneText(int offsetFromUtcSeconds);
// The UTC time to the millisecond, ".", 20 random characters, "@" and the host.
QString MakeMessageID(const QDateTime& now, const QString& host);
// Text that fits a header as it is, quoted when asked; any other text as UTF-8 encoded words folded
// with CR LF and TAB.
QByteArray EncodeHeaderText(const QString& text, bool quoted);
// The content type of a file name's extension, `strDefault` when it has none or an unknown one.
QString GetContentType(const QString& fileName, const QString& strDefault);

// The DATA text of a message, piece by piece, as the socket drains: the header block and the text,
// then each attachment read in chunks, then the closing boundary. Dots are not doubled here.
class MimeBodyStream
{
public:
    MimeBodyStream(MimeMessage message, const QDateTime& now, const QString& messageId);

    // The next piece; empty at the end or after a failure.
    QByteArray next();
    bool atEnd() const { return m_phase == Phase::Done; }
    // Why the stream ended early (an attachment that could not be read); empty otherwise.
    const QString& error() const { return m_error; }
    // Told the status text of each attachment as it starts.
    std::function<void(const QString&)> onStatus;

    bool isMultipart() const;
    bool isRelated() const { return m_related; }
    const QString& boundary() const { return m_boundary; }

private:
    enum class Phase
    {
        Header,
        AttachmentStart,
        AttachmentData,
        Closing,
        Done,
    };

    QByteArray header() const;
    QByteArray attachmentStart();
    QByteArray attachmentData();
    QByteArray fail(const QString& reason);

    MimeMessage m_message;
    QDateTime m_now;
    QString m_messageId;
    QString m_boundary;
    bool m_related = false;
    Phase m_phase = Phase::Header;
    int m_attachment = 0;
    QFile m_file;
    QString m_error;
};

} // namespace mail
