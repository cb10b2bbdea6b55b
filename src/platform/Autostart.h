#pragma once

#include <QString>

namespace platform
{

// The desktop's autostart entries, which start a program when the user logs in:
// $XDG_CONFIG_HOME/autostart/<name>.desktop (default ~/.config/autostart).
QString autostartFolder();
QString autostartEntryPath(const QString& name);

// The Exec value that runs one program with no arguments, quoted so that any path works.
QString desktopExecCommand(const QString& program);

// Writes (or replaces) the entry; false with a warning when the name is not usable or the file
// cannot be written.
bool writeAutostartEntry(const QString& name, const QString& program);
// Removes the entry; a missing entry is no failure.
bool removeAutostartEntry(const QString& name);

} // namespace platform
