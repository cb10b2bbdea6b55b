#pragma once

#include <QDateTime>
#include <QString>

namespace core
{

// The next run of a set from its SCHEDULER section text, seen at `now`: the short date, one blank and
// the start time (both as DateText writes them), or the empty text when the set will not run again.
// A start date or start time that cannot be read gives the empty text and an error report.
//
// The first run is the start date at the start time. After it, a repeating schedule runs daily, on
// the weekdays listed in Period ("mon" to "sun", or 1 to 7 from Monday) or on the days of the month
// listed in Period (1 to 31), always at the start time; today counts only while the start minute is
// still ahead. Period entries are trimmed, day keys match in any letter case, other entries are
// ignored.
QString CalculateDate(const QString& txtTemp, const QDateTime& now);

} // namespace core
