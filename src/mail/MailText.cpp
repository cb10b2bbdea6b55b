#include "mail/MailText.h"

#include <algorithm>

#include "localisation/Brand.h"
#include "mail/UUEncode.h"
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

// "=?UTF-8?B?" and "?=" leave 63 characters of a 75-character word: 15 groups, 45 bytes.
constexpr qsizetype MaxWordBytes = 45;
constexpr qsizetype FoldWidth = 78;
// A run this long still fits a line after the longest header name this program writes and a quote.
constexpr qsizetype MaxPlainRun = 900;

bool isBlank(char c)
{
    return c == ' ' || c == '\t';
}

QByteArray foldLine(const QByteArray& line)
{
    qsizetype lastText = line.size() - 1;
    while (lastText >= 0 && isBlank(line.at(lastText)))
        --lastText;
    // Not before the first word of the value: a header's first line keeps its name and some text.
    qsizetype firstWordEnd = 0;
    while (firstWordEnd < line.size() && !isBlank(line.at(firstWordEnd)))
        ++firstWordEnd;
    while (firstWordEnd < line.size() && isBlank(line.at(firstWordEnd)))
        ++firstWordEnd;
    while (firstWordEnd < line.size() && !isBlank(line.at(firstWordEnd)))
        ++firstWordEnd;
    // A fold goes before a blank that follows text and has text after it, so no line is blank.
    auto foldsAt = [&](qsizetype i) {
        return i >= firstWordEnd && i < lastText && isBlank(line.at(i)) && !isBlank(line.at(i - 1));
    };
    QByteArray out;
    qsizetype start = 0;
    while (line.size() - start > FoldWidth) {
        qsizetype cut = -1;
        for (qsizetype i = start + FoldWidth; i > start && cut < 0; --i)
            if (foldsAt(i))
                cut = i;
        for (qsizetype i = start + FoldWidth + 1; i < line.size() && cut < 0; ++i)
            if (foldsAt(i))
                cut = i;
        if (cut < 0)
            break;
        out += line.mid(start, cut - start) + CrLf;
        start = cut;
    }
    return out + line.mid(start);
}
} // namespace

bool fitsHeaderAsIs(const QString& text)
{
    qsizetype run = 0;
    for (const QChar c : text) {
        if (c == QLatin1Char(' ') || c == QLatin1Char('\t')) {
            run = 0;
            continue;
        }
        if (c.unicode() < 32 || c.unicode() > 126 || ++run > MaxPlainRun)
            return false;
    }
    return true;
}

QByteArray foldHeader(const QByteArray& header)
{
    QByteArray out;
    qsizetype start = 0;
    for (qsizetype end = header.indexOf(CrLf); end >= 0; end = header.indexOf(CrLf, start)) {
        out += foldLine(header.mid(start, end - start)) + CrLf;
        start = end + 2;
    }
    return out + foldLine(header.mid(start));
}

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
    if (fitsHeaderAsIs(text))
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
    text += foldHeader("Subject: " + encodeSubject(values.subject)) + CrLf;
    text += line(QStringLiteral("X-Mailer: ") + program);
    text += line(QStringLiteral("Mime-Version: 1.0"));
    // The begin lines carry the files' names as they are.
    bool eightBit = false;
    for (const QString& path : values.attachments) {
        const QByteArray begin = UUEncode::beginLine(path);
        eightBit = eightBit || std::any_of(begin.begin(), begin.end(), [](char c) { return quint8(c) > 127; });
    }
    if (eightBit) {
        text += line(QStringLiteral("Content-Type: text/plain;charset=utf-8"));
        text += line(QStringLiteral("Content-Transfer-Encoding: 8bit"));
    } else {
        text += line(QStringLiteral("Content-Type: text/plain;charset=us-ascii"));
    }
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
