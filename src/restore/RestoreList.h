#pragma once

#include <QString>

namespace restore
{

// The restore list of a set: data/<name>RESTORE.lst below the program folder. The file selection
// writes the chosen paths into it, one a line, each ended by CR LF, in UTF-8; the restore run reads it.
QString restoreListPath(const QString& setName);

} // namespace restore
