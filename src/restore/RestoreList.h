#pragma once

#include <optional>

#include <QString>
#include <QStringList>

#include "core/SetDocument.h"

namespace restore
{

// The name of the set loaded in the main window, or nothing when no set is loaded (or its last load
// failed, so the loaded values may belong to another set than the one the user selected).
std::optional<QString> loadedSetName();

// The set's restore list: data/<set>RESTORE.lst below the program folder.
QString restoreListPath(const QString& setName);

// The paths of the set's last run (data/<set>.lst), in file order; empty lines and lines of one
// blank are left out. Nothing, with `error` saying why, when the list cannot be read.
std::optional<QStringList> readLastRunFiles(const QString& setName, QString& error);

// Replaces the set's restore list with `paths`, one a line ended by CR LF. The previous list stays
// whole when the new one cannot be written.
platform::Result writeRestoreList(const QString& setName, const QStringList& paths);

} // namespace restore
