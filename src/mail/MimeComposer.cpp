#include "mail/MimeComposer.h"

#include <cmath>

#include <QFileInfo>
#include <QMimeDatabase>
#include <QRandomGenerator>
#include <QRegularExpression>
#include <QTimeZone>

#include "mail/MailText.h"
#include "mail/MimeEncoders.h"
#include "mail/UUEncode.h"

namespace mail
{
namespace
{
const QByteArray CrLf = QByteArrayLiteral("\r\n");
constexpr qsizetype MaxLineBytes = 998;
// 200 lines of 57 bytes: the base64 chunks join into one continuous text.
constexpr qint64 Base64ChunkBytes = 11400;
constexpr qint64 UUChunkBytes = UUEncode::BytesPerLine * 4096;

bool isPlainText(const QString& text)
{
    for (const QChar c : text)
        if (c.unicode() > 126)
            return false;
    return true;
}

QString hex8(quint64 value)
{
    return QString::number(value, 16).toUpper().rightJustified(8, QLatin1Char('0')).right(8);
}

// A MIME parameter value or a URL as a quoted string: a '"' or '\\' in it must not end it early.
QByteArray quotedString(const QString& value)
{
    QByteArray out = "\"";
    for (const char c : value.toUtf8()) {
        if (c == '"' || c == '\\')
            out += '\\';
        out += c;
    }
    return out + '"';
}

QByteArray addressList(const QStringList& addresses, const QStringList& names)
{
    QByteArray out;
    for (qsizetype i = 0; i < addresses.size(); ++i) {
        if (i > 0)
            out += ", \r\n\t";
        const QString name = names.value(i);
        out += name.isEmpty() ? QByteArray("\"") + addresses.at(i).trimmed().toUtf8() + '"'
                              : EncodeHeaderText(name, true);
        out += " <" + addresses.at(i).toUtf8() + '>';
    }
    return out;
}
} // namespace

QString PrepareMessageText(const QString& text)
{
    if (text.isEmpty())
        return text;
    // SMTP allows CR and LF only as a pair: a text with other line ends gets CR LF throughout.
    static const QRegularExpression lineEnd(QStringLiteral("\r\n|\r|\n"));
    QStringList prepared;
    for (const QString& line : text.split(lineEnd)) {
        QByteArray rest = line.toUtf8();
        QByteArray done;
        while (rest.size() > MaxLineBytes) {
            const qsizetype blank = rest.lastIndexOf(' ', MaxLineBytes - 1);
            qsizetype take = blank >= 0 ? blank + 1 : MaxLineBytes;
            // Never inside a character.
            while (blank < 0 && take > 1 && (quint8(rest.at(take)) & 0xC0) == 0x80)
                --take;
            done += rest.left(take) + CrLf;
            rest.remove(0, take);
        }
        prepared << QString::fromUtf8(done + rest);
    }
    return prepared.join(QLatin1String("\r\n"));
}

bool hasEightBitText(const QString& text)
{
    return !isPlainText(text);
}

bool EmbedReferencedFiles(QString& text, QList<MimeAttachment>& attachments, bool asHtml)
{
    if (!asHtml)
        return false;
    bool embedded = false;
    for (MimeAttachment& attachment : attachments) {
        const QString& name = attachment.name;
        if (name.isEmpty())
            continue;
        for (qsizetype at = text.indexOf(name, 0, Qt::CaseInsensitive); at >= 0;
             at = text.indexOf(name, at, Qt::CaseInsensitive)) {
            const qsizetype tagStart = text.lastIndexOf(QLatin1Char('<'), at);
            const qsizetype tagEnd = tagStart >= 0 ? text.indexOf(QLatin1Char('>'), tagStart) : -1;
            const qsizetype sign = text.lastIndexOf(QLatin1Char('='), at);
            // Inside a tag, after one of its attributes' "="; anything else is plain text.
            if (tagStart < 0 || tagEnd < 0 || at <= tagStart || at >= tagEnd || sign <= tagStart) {
                at += name.size();
                continue;
            }
            const qsizetype quote = text.indexOf(QLatin1Char('"'), sign);
            const qsizetype cut = quote >= 0 && quote < at ? quote : sign;
            text = text.left(cut + 1) + QStringLiteral("cid:") + name + text.mid(at + name.size());
            attachment.embedded = true;
            embedded = true;
            at = cut + 1 + 4 + name.size();
        }
    }
    return embedded;
}

QString MimeBoundary(const QDateTime& now)
{
    const qint64 day = QDate(1899, 12, 30).daysTo(now.date());
    const double fraction = now.time().msecsSinceStartOfDay() / 86400000.0;
    return QStringLiteral("----_=_NextPart_000_") + hex8(quint64(day)) + QLatin1Char('.')
        + hex8(quint64(std::llround(fraction * 1e8)));
}

QString TimeZoneText(int offsetFromUtcSeconds)
{
    const int minutes = offsetFromUtcSeconds / 60;
    const QString hours = QString::number(std::abs(minutes) / 60).rightJustified(2, QLatin1Char('0'));
    return (minutes < 0 ? QStringLiteral("-") : QStringLiteral("+")) + hours
        + QString::number(std::abs(minutes) % 60).rightJustified(2, QLatin1Char('0'));
}

QString FormatMailDate(const QDateTime& local)
{
    static const char* const days[] = {"Mon", "Tue", "Wed", "Thu", "Fri", "Sat", "Sun"};
    static const char* const months[]
        = {"Jan", "Feb", "Mar", "Apr", "May", "Jun", "Jul", "Aug", "Sep", "Oct", "Nov", "Dec"};
    const QDate date = local.date();
    return QStringLiteral("%1, %2 %3 %4 %5 %6")
        .arg(QLatin1String(days[date.dayOfWeek() - 1]))
        .arg(date.day())
        .arg(QLatin1String(months[date.month() - 1]))
        .arg(date.year())
        .arg(local.time().toString(QStringLiteral("HH:mm:ss")), TimeZoneText(local.offsetFromUtc()));
}

QString MakeMessageID(const QDateTime& now, const QString& host)
{
    static const QString alphabet = QStringLiteral("ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz012345678");
    QString id = now.toUTC().toString(QStringLiteral("yyyyMMddHHmmsszzz")) + QLatin1Char('.');
    for (int i = 0; i < 20; ++i)
        id += alphabet.at(QRandomGenerator::global()->bounded(int(alphabet.size())));
    return id + QLatin1Char('@') + host;
}

QByteArray EncodeHeaderText(const QString& text, bool quoted)
{
    if (fitsHeaderAsIs(text))
        return quoted ? quotedString(text) : text.toLatin1();
    return encodedWords(text, "\r\n\t");
}

QString GetContentType(const QString& fileName, const QString& strDefault)
{
    if (!fileName.contains(QLatin1Char('.')))
        return strDefault;
    const QMimeType type = QMimeDatabase().mimeTypeForFile(fileName, QMimeDatabase::MatchExtension);
    return type.isValid() && !type.isDefault() ? type.name() : strDefault;
}

MimeBodyStream::MimeBodyStream(MimeMessage message, const QDateTime& now, const QString& messageId)
    : m_message(std::move(message))
    , m_now(now)
    , m_messageId(messageId)
{
    if (m_message.encodeType == 0)
        m_boundary = MimeBoundary(now);
    for (const MimeAttachment& attachment : m_message.attachments)
        m_related = m_related || attachment.embedded;
}

bool MimeBodyStream::isMultipart() const
{
    return m_message.encodeType == 0 && !m_message.attachments.isEmpty();
}

QByteArray MimeBodyStream::next()
{
    switch (m_phase) {
    case Phase::Header:
        m_phase = m_message.attachments.isEmpty() ? Phase::Closing : Phase::AttachmentStart;
        return header();
    case Phase::AttachmentStart:
        return attachmentStart();
    case Phase::AttachmentData:
        return attachmentData();
    case Phase::Closing:
        m_phase = Phase::Done;
        if (isMultipart())
            return "--" + m_boundary.toLatin1() + "--" + CrLf;
        return next();
    case Phase::Done:
        break;
    }
    return {};
}

QByteArray MimeBodyStream::header() const
{
    const MimeMessage& m = m_message;
    const QByteArray sender
        = (m.fromName.trimmed().isEmpty() ? '"' + m.from.toUtf8() + '"' : EncodeHeaderText(m.fromName, true)) + " <"
        + m.from.toUtf8() + '>';
    QByteArray out;
    auto line = [&out](const QByteArray& text) { out += foldHeader(text) + CrLf; };
    line("Message-ID: <" + m_messageId.toUtf8() + '>');
    line("From: " + sender);
    line("To: " + addressList(m.to, m.toNames));
    if (!m.cc.isEmpty())
        line("Cc: " + addressList(m.cc, m.ccNames));
    line("Subject: " + EncodeHeaderText(m.subject, false));
    if (!m.replyTo.isEmpty())
        line("Reply-to: <" + m.replyTo.toUtf8() + '>');
    line("Date: " + FormatMailDate(m_now).toLatin1());
    if (m.encodeType == 0) {
        line("MIME-Version: 1.0");
        if (m.priority != 3) {
            line("X-Priority: " + QByteArray::number(m.priority));
            line("X-MSMail-Priority: " + m.priorityText.toUtf8());
        }
        if (m.receipt)
            line("Disposition-Notification-To: " + sender);
        if (isMultipart()) {
            line(m_related ? "Content-Type: multipart/related;" : "Content-Type: multipart/mixed;");
            line("\tboundary=\"" + m_boundary.toLatin1() + '"');
            line("");
            line("This is a multi-part message in MIME format.");
            line("");
            line("--" + m_boundary.toLatin1());
        }
        line(m.asHtml ? "Content-Type: text/html;" : "Content-Type: text/plain;");
        line("\tcharset=\"utf-8\"");
        line(hasEightBitText(m.text) ? "Content-Transfer-Encoding: 8bit" : "Content-Transfer-Encoding: 7bit");
        if (m.asHtml && !m.contentBase.isEmpty())
            line("Content-Base: " + quotedString(m.contentBase));
    }
    out += CrLf + m.text.toUtf8() + CrLf;
    if (!m.attachments.isEmpty())
        out += CrLf;
    return out;
}

QByteArray MimeBodyStream::attachmentStart()
{
    if (m_attachment >= m_message.attachments.size()) {
        m_phase = Phase::Closing;
        return next();
    }
    const MimeAttachment& attachment = m_message.attachments.at(m_attachment);
    if (onStatus)
        onStatus(
            (attachment.embedded ? QStringLiteral("Sending Embedded File, ") : QStringLiteral("Sending Attachment, "))
            + attachment.name + QStringLiteral("..."));
    m_file.setFileName(attachment.path);
    if (!m_file.open(QIODevice::ReadOnly))
        return fail(QStringLiteral("Could not read %1: %2").arg(attachment.path, m_file.errorString()));
    m_phase = Phase::AttachmentData;
    const QByteArray name = attachment.name.toUtf8();
    if (m_message.encodeType != 0)
        return "begin 600 " + name + CrLf;
    QByteArray out = "--" + m_boundary.toLatin1() + CrLf;
    out += "Content-Type: " + GetContentType(attachment.name, QStringLiteral("application/octet-stream")).toLatin1()
        + ';' + CrLf;
    out += "\tname=" + quotedString(attachment.name) + CrLf;
    out += "Content-Transfer-Encoding: base64" + CrLf;
    out += "Content-Disposition: attachment;" + CrLf;
    out += "\tfilename=" + quotedString(attachment.name) + CrLf;
    if (attachment.embedded && m_related)
        out += "Content-ID: <" + name + '>' + CrLf;
    return out + CrLf;
}

QByteArray MimeBodyStream::attachmentData()
{
    const bool base64 = m_message.encodeType == 0;
    const qint64 size = base64 ? Base64ChunkBytes : UUChunkBytes;
    QByteArray chunk;
    while (chunk.size() < size) {
        const QByteArray part = m_file.read(size - chunk.size());
        if (part.isEmpty())
            break;
        chunk += part;
    }
    if (m_file.error() != QFileDevice::NoError)
        return fail(QStringLiteral("Could not read %1: %2").arg(m_file.fileName(), m_file.errorString()));
    QByteArray out = base64 ? EncodeBase64Bytes(chunk) : UUEncode::dataLines(chunk);
    if (chunk.size() < size) {
        m_file.close();
        out += base64 ? CrLf : UUEncode::endLines();
        ++m_attachment;
        m_phase = Phase::AttachmentStart;
    }
    return out;
}

QByteArray MimeBodyStream::fail(const QString& reason)
{
    m_file.close();
    m_error = reason;
    m_phase = Phase::Done;
    return {};
}

} // namespace mail
