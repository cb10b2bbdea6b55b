#include "platform/DateText.h"

#include <cmath>
#include <ctime>

#include <QLocale>
#include <QRegularExpression>
#include <QStringList>

namespace platform
{
namespace
{
struct DatePattern
{
    // Field order as letters 'd', 'M', 'y'.
    QString order;
    QChar separator;
    bool padDay = true;
    bool padMonth = true;
};

DatePattern localePattern()
{
    const QString format = QLocale().dateFormat(QLocale::ShortFormat);
    DatePattern pattern;
    for (qsizetype i = 0; i < format.size(); ++i) {
        const QChar c = format.at(i);
        if (c == QLatin1Char('\'')) {
            // Quoted literal text carries no field.
            const qsizetype end = format.indexOf(QLatin1Char('\''), i + 1);
            i = end < 0 ? format.size() : end;
            continue;
        }
        if (c == QLatin1Char('d') || c == QLatin1Char('M') || c == QLatin1Char('y')) {
            qsizetype run = 1;
            while (i + run < format.size() && format.at(i + run) == c)
                ++run;
            if (!pattern.order.contains(c))
                pattern.order.append(c);
            if (c == QLatin1Char('d'))
                pattern.padDay = run >= 2;
            else if (c == QLatin1Char('M'))
                pattern.padMonth = run >= 2;
            i += run - 1;
            continue;
        }
        const bool betweenFields = !pattern.order.isEmpty() && pattern.order.size() < 3;
        if (pattern.separator.isNull() && betweenFields && !c.isSpace() && !c.isLetter())
            pattern.separator = c;
    }
    if (pattern.order.size() != 3)
        pattern.order = QStringLiteral("dMy");
    if (pattern.separator.isNull())
        pattern.separator = QLatin1Char('/');
    return pattern;
}

int expandYear(int year, qsizetype digits)
{
    if (digits > 2)
        return year;
    return year < 30 ? 2000 + year : 1900 + year;
}

std::optional<QDate> dateFromFields(const QStringList& fields, const QString& order)
{
    int day = 0, month = 0, year = 0;
    for (int i = 0; i < 3; ++i) {
        bool ok = false;
        const int value = fields.at(i).toInt(&ok);
        if (!ok)
            return std::nullopt;
        switch (order.at(i).toLatin1()) {
        case 'd':
            day = value;
            break;
        case 'M':
            month = value;
            break;
        default:
            year = expandYear(value, fields.at(i).size());
            break;
        }
    }
    const QDate date(year, month, day);
    if (!date.isValid())
        return std::nullopt;
    return date;
}
} // namespace

QChar DateText::dateSeparator()
{
    return localePattern().separator;
}

QString DateText::shortDate(const QDate& date)
{
    if (!date.isValid())
        return QString();
    const DatePattern pattern = localePattern();
    QStringList parts;
    for (const QChar field : pattern.order) {
        switch (field.toLatin1()) {
        case 'd':
            parts << QString::number(date.day()).rightJustified(pattern.padDay ? 2 : 1, QLatin1Char('0'));
            break;
        case 'M':
            parts << QString::number(date.month()).rightJustified(pattern.padMonth ? 2 : 1, QLatin1Char('0'));
            break;
        default:
            parts << QString::number(date.year()).rightJustified(4, QLatin1Char('0'));
            break;
        }
    }
    return parts.join(pattern.separator);
}

QString DateText::longTime(const QTime& time)
{
    if (!time.isValid())
        return QString();
    return time.toString(QStringLiteral("HH:mm:ss"));
}

QString DateText::generalDate(const QDateTime& dateTime)
{
    if (!dateTime.isValid())
        return QString();
    const QTime time = dateTime.time();
    if (time.hour() == 0 && time.minute() == 0 && time.second() == 0)
        return shortDate(dateTime.date());
    return shortDate(dateTime.date()) + QLatin1Char(' ') + longTime(time);
}

std::optional<QDate> DateText::parseDate(const QString& text)
{
    static const QRegularExpression nonDigits(QStringLiteral("[^0-9]+"));
    const QString trimmed = text.trimmed();
    if (trimmed.isEmpty())
        return std::nullopt;
    const QStringList fields = trimmed.split(nonDigits, Qt::SkipEmptyParts);
    if (fields.size() != 3)
        return std::nullopt;

    const QString localeOrder = localePattern().order;
    QStringList orders{localeOrder};
    if (fields.at(0).size() >= 3)
        orders.prepend(QStringLiteral("yMd"));
    for (const QString& other : {QStringLiteral("dMy"), QStringLiteral("Mdy"), QStringLiteral("yMd")}) {
        if (!orders.contains(other))
            orders << other;
    }
    for (const QString& order : orders) {
        // A four-digit field is a year wherever it stands.
        bool consistent = true;
        for (int i = 0; i < 3; ++i) {
            if (fields.at(i).size() >= 3 && order.at(i) != QLatin1Char('y'))
                consistent = false;
        }
        if (!consistent)
            continue;
        if (auto date = dateFromFields(fields, order))
            return date;
    }
    return std::nullopt;
}

std::optional<QTime> DateText::parseTime(const QString& text)
{
    static const QRegularExpression pattern(
        QStringLiteral("^\\s*(\\d{1,2})[:.](\\d{1,2})(?:[:.](\\d{1,2}))?\\s*([AaPp][Mm])?\\s*$"));
    const auto match = pattern.match(text);
    if (!match.hasMatch())
        return std::nullopt;
    int hour = match.captured(1).toInt();
    const int minute = match.captured(2).toInt();
    const int second = match.captured(3).isEmpty() ? 0 : match.captured(3).toInt();
    const QString meridiem = match.captured(4).toUpper();
    if (!meridiem.isEmpty()) {
        if (hour < 1 || hour > 12)
            return std::nullopt;
        if (meridiem == QLatin1String("AM") && hour == 12)
            hour = 0;
        else if (meridiem == QLatin1String("PM") && hour != 12)
            hour += 12;
    }
    const QTime time(hour, minute, second);
    if (!time.isValid())
        return std::nullopt;
    return time;
}

std::optional<QDateTime> DateText::parseGeneralDate(const QString& text)
{
    const QString trimmed = text.trimmed();
    const qsizetype blank = trimmed.indexOf(QLatin1Char(' '));
    const QString datePart = blank < 0 ? trimmed : trimmed.left(blank);
    const auto date = parseDate(datePart);
    if (!date)
        return std::nullopt;
    if (blank < 0)
        return QDateTime(*date, QTime(0, 0));
    const auto time = parseTime(trimmed.mid(blank + 1));
    if (!time)
        return std::nullopt;
    return QDateTime(*date, *time);
}

namespace
{
const QDate& epoch()
{
    static const QDate date(1899, 12, 30);
    return date;
}
constexpr double msPerDay = 86400000.0;
} // namespace

double toDateValue(const QDate& date)
{
    return static_cast<double>(epoch().daysTo(date));
}

double toDateValue(const QDateTime& dateTime)
{
    const double days = toDateValue(dateTime.date());
    const double fraction = dateTime.time().msecsSinceStartOfDay() / msPerDay;
    // Before the epoch the fraction still counts forward from the start of the day.
    return days < 0 ? days - fraction : days + fraction;
}

QDateTime fromDateValue(double value)
{
    double whole = std::trunc(value);
    qint64 ms = std::llround(std::fabs(value - whole) * msPerDay);
    if (ms >= static_cast<qint64>(msPerDay)) {
        ms -= static_cast<qint64>(msPerDay);
        whole += value < 0 ? -1 : 1;
    }
    return QDateTime(epoch().addDays(static_cast<qint64>(whole)), QTime::fromMSecsSinceStartOfDay(static_cast<int>(ms)));
}

double localDateValue(const QDateTime& instant)
{
    // One zone check and localtime_r: Qt's own conversion checks the zone file several times per
    // call, which dominates when the times of many thousands of files are read.
    if (instant.isValid()) {
        const qint64 ms = instant.toMSecsSinceEpoch();
        const time_t seconds = static_cast<time_t>(ms >= 0 ? ms / 1000 : (ms - 999) / 1000);
        const int msPart = static_cast<int>(ms - static_cast<qint64>(seconds) * 1000);
        struct tm local = {};
        if (localtime_r(&seconds, &local)) {
            const QDate date(local.tm_year + 1900, local.tm_mon + 1, local.tm_mday);
            const QTime time(local.tm_hour, local.tm_min, qMin(local.tm_sec, 59), msPart);
            return toDateValue(QDateTime(date, time));
        }
    }
    const QDateTime local = instant.toLocalTime();
    return toDateValue(QDateTime(local.date(), local.time()));
}

} // namespace platform
