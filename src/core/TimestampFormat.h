#pragma once

#include <optional>

#include <QDateTime>
#include <QString>

#include "core/BackupSet.h"

namespace core
{

// Formats a moment with a time-stamp pattern: "d"/"dd" the day, "ddd"/"dddd" the weekday's short
// and full name, "m"/"mm" the month, "mmm"/"mmmm" the month's short and full name, "yy"/"yyyy" the
// year, "h"/"hh" the hour 0-23, "n"/"nn" and "s"/"ss" minutes and seconds. "m" or "mm" after an
// hour (other characters between allowed) gives the minutes. Names come from the current locale;
// every other character stands for itself.
QString formatTimestamp(const QDateTime& when, const QString& pattern);

// The time stamp of a moment by accuracy: month or day, the moment in the whole pattern; hour or
// minute, the date part of the pattern (before its first "#") followed by the time part. Empty for
// any other accuracy.
QString timestampText(int accuracy, const QString& pattern, const QDateTime& when);

// The time-stamp folder name of a run of `set` at `now` by its accuracy: month or day, the moment
// in TimeStampFormat; hour or minute, the date part of the pattern (before its first "#") followed
// by the time part; then a blank and the set name. Empty for any other accuracy. Nothing, with the
// reason, when the pattern gives a name with a ".." part, which would climb out of the destination.
std::optional<QString> timestampFolderName(const BackupSetInfo& set, const QDateTime& now, QString* reason = nullptr);

// Whether `name` is a time-stamp folder name that a run of `set` makes at some moment: a time stamp in
// the set's pattern and accuracy, a blank and the set name. With `slashesDropped` the stamp is read
// without the pattern's "/" characters, as FTP deliveries write it.
bool isTimestampFolderName(const QString& name, const BackupSetInfo& set, bool slashesDropped = false);

} // namespace core
