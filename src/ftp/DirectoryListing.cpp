#include "ftp/DirectoryListing.h"

#include <QStringDecoder>

namespace ftp
{

namespace
{

// Every line is read by hand, left to right, so that no line (a server may send one of a megabyte)
// costs more than one pass over it.

const char* const kMonths[] = {"jan", "feb", "mar", "apr", "may", "jun", "jul", "aug", "sep", "oct", "nov", "dec"};

bool isDigit(QStringView text, qsizetype at)
{
    return at >= 0 && at < text.size() && text[at] >= QLatin1Char('0') && text[at] <= QLatin1Char('9');
}

bool isBlank(QStringView text, qsizetype at)
{
    return at >= 0 && at < text.size() && text[at] == QLatin1Char(' ');
}

bool isDash(QStringView text, qsizetype at)
{
    return at >= 0 && at < text.size() && text[at] == QLatin1Char('-');
}

// Where the run of `test` characters from `at` ends.
template <typename Test>
qsizetype skip(QStringView text, qsizetype at, Test test)
{
    while (test(text, at))
        ++at;
    return at;
}

qsizetype skipBlanks(QStringView text, qsizetype at)
{
    return skip(text, at, isBlank);
}

qsizetype skipDigits(QStringView text, qsizetype at)
{
    return skip(text, at, isDigit);
}

int number(QStringView text, qsizetype from, qsizetype to)
{
    return text.sliced(from, to - from).toInt();
}

// The month, 1 to 12, whose three-letter name stands at `at` in either case; 0 for none.
int monthAt(QStringView text, qsizetype at)
{
    if (at < 0 || at + 3 > text.size())
        return 0;
    for (int m = 0; m < 12; ++m) {
        if (text.sliced(at, 3).compare(QLatin1String(kMonths[m]), Qt::CaseInsensitive) == 0)
            return m + 1;
    }
    return 0;
}

// The date and name of a Unix line from the month on: "Mar 15 09:30 name" or "Jan  5  2006 name".
struct UnixDate
{
    int month = 0;
    int day = 0;
    int hour = -1; // -1: the date gives the year instead
    int minute = 0;
    int year = 0;
    qsizetype nameAt = 0;
};

std::optional<UnixDate> readUnixDate(QStringView line, qsizetype at)
{
    UnixDate date;
    date.month = monthAt(line, at);
    if (date.month == 0)
        return std::nullopt;
    qsizetype p = skipBlanks(line, at + 3);
    if (p == at + 3)
        return std::nullopt;
    const qsizetype dayEnd = skipDigits(line, p);
    if (dayEnd - p < 1 || dayEnd - p > 2)
        return std::nullopt;
    date.day = number(line, p, dayEnd);
    p = skipBlanks(line, dayEnd);
    if (p == dayEnd)
        return std::nullopt;
    const qsizetype digitsEnd = skipDigits(line, p);
    if (digitsEnd - p >= 1 && digitsEnd - p <= 2 && digitsEnd < line.size() && line[digitsEnd] == QLatin1Char(':')
        && isDigit(line, digitsEnd + 1) && isDigit(line, digitsEnd + 2)) {
        date.hour = number(line, p, digitsEnd);
        date.minute = number(line, digitsEnd + 1, digitsEnd + 3);
        p = digitsEnd + 3;
    } else if (digitsEnd - p == 4) {
        date.year = number(line, p, digitsEnd);
        p = digitsEnd;
    } else {
        return std::nullopt;
    }
    // One blank, then the name, which may itself begin with blanks.
    if (!isBlank(line, p) || p + 1 >= line.size())
        return std::nullopt;
    date.nameAt = p + 1;
    return date;
}

// The blank-separated fields of a text.
QList<QStringView> fieldsOf(QStringView text)
{
    QList<QStringView> fields;
    qsizetype p = skipBlanks(text, 0);
    while (p < text.size()) {
        const qsizetype end
            = skip(text, p, [](QStringView t, qsizetype i) { return i < t.size() && t[i] != QLatin1Char(' '); });
        fields.append(text.sliced(p, end - p));
        p = skipBlanks(text, end);
    }
    return fields;
}

std::optional<clsFtpFile> readUnixLine(QStringView line, qsizetype c, const QDateTime& now)
{
    const std::optional<UnixDate> date = readUnixDate(line, c);
    if (!date)
        return std::nullopt;
    const QList<QStringView> fields = fieldsOf(line.first(c));
    if (fields.size() < 2)
        return std::nullopt;
    bool sizeOk = false;
    const qint64 size = fields.last().toLongLong(&sizeOk);
    if (!sizeOk || size < 0)
        return std::nullopt;

    QDateTime written;
    if (date->hour >= 0) {
        const QTime time(date->hour, date->minute);
        written = QDateTime(QDate(now.date().year(), date->month, date->day), time);
        // Listings leave out the year for the last months only; a day's grace covers servers in other
        // time zones.
        if (written.isValid() && written > now.addDays(1))
            written = QDateTime(QDate(now.date().year() - 1, date->month, date->day), time);
    } else {
        written = QDateTime(QDate(date->year, date->month, date->day), QTime(0, 0));
    }
    if (!written.isValid())
        return std::nullopt;

    clsFtpFile file;
    file.Permissions = fields.first().toString();
    file.IsDirectory = file.Permissions.startsWith(QLatin1Char('d'));
    file.FileSize = size;
    file.LastWriteTime = written;
    file.Filename = line.sliced(date->nameAt).toString();
    if (file.Permissions.startsWith(QLatin1Char('l'))) {
        const qsizetype arrow = file.Filename.indexOf(QStringLiteral(" -> "));
        if (arrow >= 0) {
            file.FilePath = file.Filename.mid(arrow + 4);
            file.Filename = file.Filename.left(arrow);
        }
    }
    if (fields.size() >= 4)
        file.Owner = fields[2].toString();
    if (fields.size() >= 5)
        file.Group = fields[fields.size() - 2].toString();
    return file;
}

// "03-15-21  09:30AM       <DIR>          name", whatever the locale.
std::optional<clsFtpFile> readDosLine(QStringView line)
{
    const auto digitsAt = [&line](qsizetype at, qsizetype count) { return skipDigits(line, at) - at == count; };
    if (!digitsAt(0, 2) || !isDash(line, 2) || !digitsAt(3, 2) || !isDash(line, 5))
        return std::nullopt;
    const int monthValue = number(line, 0, 2);
    const int dayValue = number(line, 3, 5);
    const qsizetype yearEnd = skipDigits(line, 6);
    if (yearEnd - 6 != 2 && yearEnd - 6 != 4)
        return std::nullopt;
    int year = number(line, 6, yearEnd);
    if (yearEnd - 6 == 2)
        year += year < 70 ? 2000 : 1900;

    qsizetype p = skipBlanks(line, yearEnd);
    if (p == yearEnd)
        return std::nullopt;
    const qsizetype hourEnd = skipDigits(line, p);
    if (hourEnd - p < 1 || hourEnd - p > 2 || hourEnd >= line.size() || line[hourEnd] != QLatin1Char(':')
        || !digitsAt(hourEnd + 1, 2))
        return std::nullopt;
    int hour = number(line, p, hourEnd);
    const int minute = number(line, hourEnd + 1, hourEnd + 3);
    // Blanks, an optional AM or PM, and at least one blank before the size.
    p = hourEnd + 3;
    qsizetype kindAt = skipBlanks(line, p);
    if (kindAt + 1 < line.size() && QStringLiteral("AaPp").contains(line[kindAt])
        && (line[kindAt + 1] == QLatin1Char('M') || line[kindAt + 1] == QLatin1Char('m'))) {
        if (hour < 1 || hour > 12)
            return std::nullopt;
        hour = hour % 12 + (line[kindAt].toUpper() == QLatin1Char('P') ? 12 : 0);
        p = kindAt + 2;
        kindAt = skipBlanks(line, p);
    }
    if (kindAt == p)
        return std::nullopt;

    clsFtpFile file;
    qsizetype kindEnd = kindAt;
    if (line.sliced(kindAt).startsWith(QLatin1String("<DIR>"))) {
        file.IsDirectory = true;
        kindEnd = kindAt + 5;
    } else {
        kindEnd = skipDigits(line, kindAt);
        bool sizeOk = false;
        file.FileSize = line.sliced(kindAt, kindEnd - kindAt).toLongLong(&sizeOk);
        if (!sizeOk)
            return std::nullopt;
    }
    const qsizetype nameAt = skipBlanks(line, kindEnd);
    if (nameAt == kindEnd || nameAt >= line.size())
        return std::nullopt;

    const QDateTime written(QDate(year, monthValue, dayValue), QTime(hour, minute));
    if (!written.isValid())
        return std::nullopt;
    file.LastWriteTime = written;
    file.Filename = line.sliced(nameAt).toString();
    return file;
}

} // namespace

qsizetype GetDateStartPosition(const QString& line)
{
    // Every blank-month-blank is tried in line order, so an owner or group named like a month does not
    // hide the date behind it.
    for (qsizetype p = line.indexOf(QLatin1Char(' ')); p >= 0; p = line.indexOf(QLatin1Char(' '), p + 1)) {
        if (!isBlank(line, p + 4) || !isDigit(line, p - 1) || monthAt(line, p + 1) == 0)
            continue;
        if (readUnixDate(line, p + 1))
            return p + 1;
    }
    return -1;
}

std::optional<clsFtpFiles> ParseDirectoryListing(const QString& listing, const QDateTime& now)
{
    clsFtpFiles files;
    int unreadable = 0;
    qsizetype start = 0;
    while (start <= listing.size()) {
        qsizetype end = listing.indexOf(QLatin1Char('\n'), start);
        if (end < 0)
            end = listing.size();
        QStringView line = QStringView(listing).sliced(start, end - start);
        start = end + 1;
        if (line.endsWith(QLatin1Char('\r')))
            line.chop(1);
        if (line.trimmed().isEmpty() || line.startsWith(QLatin1String("total "), Qt::CaseInsensitive))
            continue;
        const QString text = line.toString();
        std::optional<clsFtpFile> file;
        if (const qsizetype c = GetDateStartPosition(text); c > 0)
            file = readUnixLine(text, c, now);
        if (!file)
            file = readDosLine(text);
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
