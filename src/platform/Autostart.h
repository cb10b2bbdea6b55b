#pragma once

#include <QString>
#include <QStringList>

namespace platform
{

// The desktop's autostart entries, which start a program when the user logs in:
// $XDG_CONFIG_HOME/autostart/<name>.desktop (default ~/.config/autostart).
QString autostartFolder();
QString autostartEntryPath(const QString& name);

// The Exec value that runs `arguments` (the program first), each quoted so that any text works.
QString desktopExecLine(const QStringList& arguments);

// What the entry runs: the program alone, or, when the program folder is not the one the program
// takes by itself, the program with QUILLBACK_HOME set to it, so that the start at login finds the
// same sets.
QStringList autostartCommand(const QString& program);

// Writes (or replaces) the entry `name`, shown under the product's name, that runs `program`; false
// with a warning when the name is not usable or the file cannot be written.
bool writeAutostartEntry(const QString& name, const QString& program);
// Removes the entry; a missing entry is no failure.
bool removeAutostartEntry(const QString& name);

} // namespace platform
