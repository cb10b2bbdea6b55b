#pragma once

#include <optional>

#include <QChar>
#include <QDate>
#include <QDateTime>
#include <QString>
#include <QTime>

namespace platform
{

// Every date and time text of the program. The short date is numeric, in the locale's order and
// separator, with a four-digit year and no blanks; the long time is HH:mm:ss.
class DateText
{
public:
    static QString shortDate(const QDate& date);
    static QString longTime(const QTime& time);
    // Short date, a blank and long time; the date alone at exactly midnight.
    static QString generalDate(const QDateTime& dateTime);

    // Reads what the writers above give, and tolerantly two-digit years and the other field orders.
    static std::optional<QDate> parseDate(const QString& text);
    static std::optional<QTime> parseTime(const QString& text);
    static std::optional<QDateTime> parseGeneralDate(const QString& text);

    static QChar dateSeparator();
    static QChar timeSeparator() { return QLatin1Char(':'); }
};

// The date value: days since 30 December 1899 00:00, the fraction being the time of day (wall clock).
double toDateValue(const QDateTime& dateTime);
double toDateValue(const QDate& date);
QDateTime fromDateValue(double value);

// The date value of a point in time, taken in local time.
double localDateValue(const QDateTime& instant);

} // namespace platform
