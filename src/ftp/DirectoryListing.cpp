#include "ftp/DirectoryListing.h"

#include <QRegularExpression>
#include <QStringDecoder>

namespace ftp
{

namespace
{

const QStringList kMonths {"jan", "feb", "mar", "apr", "may", "jun", "jul", "aug", "sep", "oct", "nov", "dec"};

// The date of a Unix line and the name after it: "Mar 15 09:30 name" or "Jan  5  2006 name".
const QRegularExpression& unixDate()
{
    static const QRegularExpression pattern(
        QStringLiteral("^([A-Za-z]{3}) +(\\d{1,2}) +(?:(\\d{1,2}):(\\d{2})|(\\d{4})) (.+)$"));
    return pattern;
}

// "03-15-21  09:30AM       <DIR>          name", whatever the locale.
const QRegularExpression& dosLine()
{
    static const QRegularExpression pattern(
        QStringLiteral("^(\\d{2})-(\\d{2})-(\\d{4}|\\d{2}) +(\\d{1,2}):(\\d{2}) *([AaPp][Mm])? +(<DIR>|\\d+) +(.+)$"));
    return pattern;
}

std::optional<clsFtpFile> readUnixLine(const QString& line, qsizetype c, const QDateTime& now)
{
    const QRegularExpressionMatch date = unixDate().match(line.mid(c));
    if (!date.hasMatch())
        return std::nullopt;
    const QStringList fields = line.left(c).split(QLatin1Char(' '), Qt::SkipEmptyParts);
    if (fields.size() < 2)
        return std::nullopt;
    bool sizeOk = false;
    const qint64 size = fields.last().toLongLong(&sizeOk);
    if (!sizeOk || size < 0)
        return std::nullopt;

    const int month = static_cast<int>(kMonths.indexOf(date.captured(1).toLower())) + 1;
    const int day = date.captured(2).toInt();
    QDateTime written;
    if (date.captured(5).isEmpty()) {
        const QTime time(date.captured(3).toInt(), date.captured(4).toInt());
        written = QDateTime(QDate(now.date().year(), month, day), time);
        // Listings leave out the year for the last months only; a day's grace covers servers in other
        // time zones.
        if (written.isValid() && written > now.addDays(1))
            written = QDateTime(QDate(now.date().year() - 1, month, day), time);
    } else {
        written = QDateTime(QDate(date.captured(5).toInt(), month, day), QTime(0, 0));
    }
    if (!written.isValid())
        return std::nullopt;

    clsFtpFile file;
    file.Permissions = fields.first();
    file.IsDirectory = file.Permissions.startsWith(QLatin1Char('d'));
    file.FileSize = size;
    file.LastWriteTime = written;
    file.Filename = date.captured(6);
    if (file.Permissions.startsWith(QLatin1Char('l'))) {
        const qsizetype arrow = file.Filename.indexOf(QStringLiteral(" -> "));
        if (arrow >= 0) {
            file.FilePath = file.Filename.mid(arrow + 4);
            file.Filename = file.Filename.left(arrow);
        }
    }
    if (fields.size() >= 4)
        file.Owner = fields[2];
    if (fields.size() >= 5)
        file.Group = fields[fields.size() - 2];
    return file;
}

std::optional<clsFtpFile> readDosLine(const QString& line)
{
    const QRegularExpressionMatch match = dosLine().match(line);
    if (!match.hasMatch())
        return std::nullopt;
    int year = match.captured(3).toInt();
    if (match.captured(3).size() == 2)
        year += year < 70 ? 2000 : 1900;
    int hour = match.captured(4).toInt();
    const QString half = match.captured(6).toUpper();
    if (!half.isEmpty()) {
        if (hour < 1 || hour > 12)
            return std::nullopt;
        hour = hour % 12 + (half == QLatin1String("PM") ? 12 : 0);
    }
    const QDateTime written(QDate(year, match.captured(1).toInt(), match.captured(2).toInt()),
                            QTime(hour, match.captured(5).toInt()));
    if (!written.isValid())
        return std::nullopt;

    clsFtpFile file;
    file.LastWriteTime = written;
    file.Filename = match.captured(8);
    if (match.captured(7) == QLatin1String("<DIR>")) {
        file.IsDirectory = true;
    } else {
        bool sizeOk = false;
        file.FileSize = match.captured(7).toLongLong(&sizeOk);
        if (!sizeOk)
            return std::nullopt;
    }
    return file;
}

bool isDigit(const QString& text, qsizetype at)
{
    return at >= 0 && at < text.size() && text[at].isDigit();
}

} // namespace

qsizetype GetDateStartPosition(const QString& line)
{
    const QString lower = line.toLower();
    // Every blank-month-blank is tried in line order, so an owner or group named like a month does not
    // hide the date behind it.
    for (qsizetype p = lower.indexOf(QLatin1Char(' ')); p >= 0; p = lower.indexOf(QLatin1Char(' '), p + 1)) {
        if (p + 4 >= lower.size() || lower[p + 4] != QLatin1Char(' '))
            continue;
        if (!kMonths.contains(lower.mid(p + 1, 3)))
            continue;
        if (isDigit(lower, p - 1) && unixDate().match(line.mid(p + 1)).hasMatch())
            return p + 1;
    }
    return -1;
}

std::optional<clsFtpFiles> ParseDirectoryListing(const QString& listing, const QDateTime& now)
{
    clsFtpFiles files;
    int unreadable = 0;
    const QStringList lines = listing.split(QLatin1Char('\n'));
    for (QString line : lines) {
        if (line.endsWith(QLatin1Char('\r')))
            line.chop(1);
        if (line.trimmed().isEmpty() || line.startsWith(QLatin1String("total "), Qt::CaseInsensitive))
            continue;
        std::optional<clsFtpFile> file;
        if (const qsizetype c = GetDateStartPosition(line); c > 0)
            file = readUnixLine(line, c, now);
        if (!file)
            file = readDosLine(line);
        if (file)
            files.Add(*file);
        else
            ++unreadable;
    }
    if (files.Count() == 0 && unreadable > 0)
        return std::nullopt;
    return files;
}

QString decodeListing(const QByteArray& bytes)
{
    QString text;
    text.reserve(bytes.size());
    qsizetype start = 0;
    while (start < bytes.size()) {
        qsizetype end = bytes.indexOf('\n', start);
        end = end < 0 ? bytes.size() : end + 1;
        const QByteArray line = bytes.mid(start, end - start);
        QStringDecoder decoder(QStringDecoder::Utf8, QStringDecoder::Flag::Stateless);
        const QString decoded = decoder(line);
        text += decoder.hasError() ? QString::fromLatin1(line) : decoded;
        start = end;
    }
    return text;
}

} // namespace ftp
