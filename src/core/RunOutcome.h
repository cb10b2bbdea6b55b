#pragma once

#include <QString>

#include "core/BackupSet.h"
#include "core/SetDocument.h"

namespace core
{

// Records the outcome of one delivery of `set` in its document text `setText`: Ran, LastRunTime,
// Status and, when given, Duration. After a success ("success" at the end of the status, in any
// letter case, and not a status beginning with "FAILURE") also LastFolder, CurrentDestination, the statistics of every
// listed path that still exists, and, for a folder or FTP delivery, the new version line with `deliveredBytes` as its
// size. On failure the steps done before stay in `setText` and the failure is reported. The version
// line the new one replaced goes to `replacedVersion`; the main window's lists are the caller's.
platform::Result ReplaceProjectValues(const BackupSetInfo& set, QString& setText, const QString& sStatus,
                                      const QString& sDuration, qint64 deliveredBytes,
                                      QString* replacedVersion = nullptr);

// Shows the outcome in the main window: the set's row in the set list (last run time, status, the
// next destination's kind, duration) and, when the set is the loaded one, its file list read again
// from its document.
platform::Result RefreshBackupSetRow(const BackupSetInfo& set, const QString& sStatus, const QString& sDuration);

} // namespace core
