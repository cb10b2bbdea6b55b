#pragma once

#include <QString>

namespace core
{

// Appends "date time text" and CR LF to status.log in the program folder while logging is on.
// A text that names the floppy drive as a path is not logged. A log that cannot be written is
// reported through ErrorIn and never stops the caller.
void LogEvent(const QString& strData);

// The text as one log line: NUL characters removed, each CR LF, lone CR and lone LF one blank.
QString RemoveChars(const QString& strText);

// The log file's path.
QString RunLogPath();

} // namespace core
