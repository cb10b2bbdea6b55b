#include "core/NextRunTime.h"

#include <bitset>

#include <QStringList>

#include "core/DocumentValues.h"
#include "core/ErrorReport.h"
#include "core/SetText.h"
#include "platform/DateText.h"

namespace core
{
namespace
{
enum Accuracy
{
    Daily = 0,
    Weekly = 1,
    Monthly = 2,
};

// The days a Period lists: weekdays 1 (Monday) to 7, or days of the month 1 to 31.
std::bitset<32> listedDays(const QString& period, Accuracy accuracy)
{
    static const QString dayKeys[]
        = {QStringLiteral("mon"), QStringLiteral("tue"), QStringLiteral("wed"), QStringLiteral("thu"),
           QStringLiteral("fri"), QStringLiteral("sat"), QStringLiteral("sun")};
    const int last = accuracy == Weekly ? 7 : 31;
    std::bitset<32> days;
    for (const QString& piece : period.split(QLatin1Char(','))) {
        const QString entry = piece.trimmed();
        int day = 0;
        if (accuracy == Weekly) {
            for (int k = 0; k < 7; ++k) {
                if (entry.compare(dayKeys[k], Qt::CaseInsensitive) == 0)
                    day = k + 1;
            }
        }
        if (day == 0) {
            bool ok = false;
            day = entry.toInt(&ok);
            if (!ok)
                continue;
        }
        if (day >= 1 && day <= last)
            days.set(static_cast<size_t>(day));
    }
    return days;
}

int minuteOfDay(const QTime& time)
{
    return time.hour() * 60 + time.minute();
}
} // namespace

QString CalculateDate(const QString& txtTemp, const QDateTime& now)
{
    const QString dateText = core::ExtractItem(txtTemp, QStringLiteral("StartDate"));
    const QString timeText = core::ExtractItem(txtTemp, QStringLiteral("StartTime"));
    const std::optional<QDate> startDate = platform::DateText::parseDate(dateText);
    const std::optional<QTime> startTime = platform::DateText::parseTime(timeText);
    if (!startDate || !startTime) {
        const QString reason = !startDate
            ? QStringLiteral("The schedule's start date \"%1\" is not a date.").arg(dateText)
            : QStringLiteral("The schedule's start time \"%1\" is not a time of day.").arg(timeText);
        core::reportFailure(QStringLiteral("frmMain.CalculateDate(txtTemp)"), {txtTemp}, core::err::TypeMismatch,
                            reason);
        return QString();
    }

    const QDate today = now.date();
    // Minutes count, not seconds: the clock compares the cell with the current minute.
    const bool startMinuteAhead = minuteOfDay(*startTime) > minuteOfDay(now.time());
    const auto runAt = [&](const QDate& day) {
        return platform::DateText::shortDate(day) + QLatin1Char(' ') + platform::DateText::longTime(*startTime);
    };

    if (*startDate > today || (*startDate == today && startMinuteAhead))
        return runAt(*startDate);
    if (!truthValue(core::ExtractItem(txtTemp, QStringLiteral("Repeat"))).value_or(false))
        return QString();

    const int accuracy = wholeNumber(core::ExtractItem(txtTemp, QStringLiteral("SAccurancy"))).value_or(Daily);
    std::bitset<32> days;
    switch (accuracy) {
    case Daily:
        break;
    case Weekly:
    case Monthly:
        days = listedDays(core::ExtractItem(txtTemp, QStringLiteral("Period")), static_cast<Accuracy>(accuracy));
        if (days.none())
            return QString();
        break;
    default:
        return QString();
    }

    // The first listed day from today on; a day the month does not have is never chosen, so a
    // listed 31 waits for the next month that has one.
    QDate day = startMinuteAhead ? today : today.addDays(1);
    for (int i = 0; i < 366; ++i, day = day.addDays(1)) {
        const bool listed = accuracy == Daily || (accuracy == Weekly && days.test(static_cast<size_t>(day.dayOfWeek())))
            || (accuracy == Monthly && days.test(static_cast<size_t>(day.day())));
        if (listed)
            return runAt(day);
    }
    return QString();
}

} // namespace core
