#include "main_window/ScheduleClock.h"

#include <QSet>

#include "platform/DateText.h"

namespace main_window
{
namespace
{
QDateTime wallClock(const QDate& date, const QTime& time)
{
    return QDateTime(date, time, Qt::UTC);
}

// Only the minute counts: a start time of 14:05:30 is due from 14:05:00.
QDateTime minuteOf(const QDateTime& time)
{
    return wallClock(time.date(), QTime(time.time().hour(), time.time().minute()));
}
} // namespace

std::optional<QDateTime> ScheduleClock::cellTime(const QString& cell)
{
    const QStringList pieces = cell.split(QLatin1Char(' '), Qt::SkipEmptyParts);
    if (pieces.size() != 2)
        return std::nullopt;
    const std::optional<QDate> date = platform::DateText::parseDate(pieces.at(0));
    const std::optional<QTime> time = platform::DateText::parseTime(pieces.at(1));
    if (!date || !time)
        return std::nullopt;
    return wallClock(*date, *time);
}

bool ScheduleClock::takeDue(const QString& setName, const QString& cell, const QDateTime& now)
{
    const std::optional<QDateTime> shown = cellTime(cell);
    const bool readable = shown || cell.trimmed().isEmpty();
    Watch& watch = m_watches[setName];
    const QDateTime wallNow = wallClock(now.date(), now.time());
    const auto due = [&](const std::optional<QDateTime>& time) {
        return time && minuteOf(*time) <= wallNow && (!watch.queued || *time > *watch.queued);
    };
    std::optional<QDateTime> dueTime;
    if (due(watch.seen))
        dueTime = watch.seen;
    else if (due(shown))
        dueTime = shown;
    if (dueTime) {
        watch.queued = dueTime;
        watch.seen.reset();
        return true;
    }
    // An empty cell (no schedule, or the set waits in the queue) forgets a time still ahead; a cell
    // that cannot be read keeps what was seen before.
    if (readable)
        watch.seen = shown;
    return false;
}

void ScheduleClock::keepOnly(const QStringList& setNames)
{
    const QSet<QString> listed(setNames.cbegin(), setNames.cend());
    for (auto it = m_watches.begin(); it != m_watches.end();) {
        if (listed.contains(it.key()))
            ++it;
        else
            it = m_watches.erase(it);
    }
}

} // namespace main_window
