#include "mail/MailText.h"

#include "localisation/Brand.h"
#include "platform/DateText.h"

namespace mail
{
namespace
{
const QByteArray CrLf = QByteArrayLiteral("\r\n");

QByteArray line(const QString& text)
{
    return text.toUtf8() + CrLf;
}

bool isPlainAscii(const QString& text)
{
    for (const QChar c : text)
        if (c.unicode() < 32 || c.unicode() > 126)
            return false;
    return true;
}

// "=?UTF-8?B?" and "?=" leave 63 characters of a 75-character word: 15 groups, 45 bytes.
constexpr qsizetype MaxWordBytes = 45;
} // namespace

QByteArray encodedWords(const QString& text, const QByteArray& fold)
{
    QByteArray out;
    QByteArray word;
    auto flush = [&] {
        if (word.isEmpty())
            return;
        if (!out.isEmpty())
            out += fold;
        out += "=?UTF-8?B?" + word.toBase64() + "?=";
        word.clear();
    };
    for (qsizetype i = 0; i < text.size(); ++i) {
        // A character whole: both halves of a surrogate pair stay in one word.
        const qsizetype length = text.at(i).isHighSurrogate() && i + 1 < text.size() ? 2 : 1;
        const QByteArray bytes = text.mid(i, length).toUtf8();
        i += length - 1;
        if (word.size() + bytes.size() > MaxWordBytes)
            flush();
        word += bytes;
    }
    flush();
    return out;
}

QByteArray encodeSubject(const QString& subject)
{
    QString text = subject;
    text.replace(QLatin1Char('\r'), QLatin1Char(' ')).replace(QLatin1Char('\n'), QLatin1Char(' '));
    if (isPlainAscii(text))
        return text.toLatin1();
    return encodedWords(text, "\r\n ");
}

QStringList signatureLines(const QString& program, const QString& company, const QString& website)
{
    if (website.count(QLatin1Char('.')) >= 2)
        return {program, company, QStringLiteral("http://") + website};
    return {program + QStringLiteral(" by ") + company, QStringLiteral("http://www.") + website};
}

QByteArray composeMailText(const MailTextValues& values)
{
    const QString program = localisation::BrandProgramName();
    const QString company = localisation::BrandCompanyName();

    QByteArray text;
    text += line(QStringLiteral("From: <") + values.from + QLatin1Char('>'));
    text += line(QStringLiteral("To: ") + values.to);
    text += "Subject: " + encodeSubject(values.subject) + CrLf;
    text += line(QStringLiteral("X-Mailer: ") + program);
    text += line(QStringLiteral("Mime-Version: 1.0"));
    text += line(QStringLiteral("Content-Type: text/plain;charset=us-ascii"));
    text += CrLf;

    text += line(values.isTest
                     ? QStringLiteral("This is a test mailing by ") + program + QLatin1Char('.')
                     : QStringLiteral("This is an automatic mailing of backup files by ") + program + QLatin1Char('.'));
    text += CrLf;
    text += line(values.isTest
                     ? QStringLiteral("A test attachment (TestAttachment.txt) should be attached to this email.")
                     : QStringLiteral("Your backup files are attached."));
    text += CrLf;
    text += line(QStringLiteral("Message Date and Time: ") + platform::DateText::generalDate(values.when));
    text += CrLf;
    text += line(QStringLiteral("Thank you,"));
    text += CrLf;
    for (const QString& signature : signatureLines(program, company, localisation::BrandWebsite()))
        text += line(signature);
    text += CrLf;
    return text;
}

std::optional<QString> addressProblem(const QString& role, const QString& address)
{
    for (const QChar c : address) {
        if (c == QLatin1Char('\r') || c == QLatin1Char('\n') || c == QChar(0))
            return QStringLiteral("The %1 address holds a line break or a NUL character").arg(role);
        if (c == QLatin1Char('<') || c == QLatin1Char('>'))
            return QStringLiteral("The %1 address \"%2\" holds \"<\" or \">\"").arg(role, address);
    }
    return std::nullopt;
}

QByteArray DotStuffer::apply(const QByteArray& piece)
{
    if (piece.isEmpty())
        return {};
    const bool dotFirst = m_atLineStart && piece.front() == '.';
    m_atLineStart = piece.back() == '\n';
    // Most pieces, uuencoded data above all, have no line that starts with a dot.
    if (!dotFirst && piece.indexOf("\n.") < 0)
        return piece;
    QByteArray out;
    out.reserve(piece.size() + piece.size() / 32 + 1);
    if (dotFirst)
        out += '.';
    qsizetype start = 0;
    for (qsizetype end = piece.indexOf('\n'); end >= 0; end = piece.indexOf('\n', start)) {
        out.append(piece.sliced(start, end + 1 - start));
        start = end + 1;
        if (start < piece.size() && piece.at(start) == '.')
            out += '.';
    }
    out.append(piece.sliced(start));
    return out;
}

} // namespace mail
