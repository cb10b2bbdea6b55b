#pragma once

#include <QString>

namespace core
{

// The string value strRegSubKey of the key strRegKeyPath below a root handle (HKEY_CURRENT_USER,
// HKEY_LOCAL_MACHINE), up to its first NUL; an empty string when the root, key or value is missing.
QString RegGetKey(qint32 lngRootKey, const QString& strRegKeyPath, const QString& strRegSubKey);

// Fills state().NotificationSettings from the current user's
// Software\<company>\<program>\Settings, with the defaults for missing or empty values.
void LoadNotificationSettings();

// The body a notification mail has when none is stored.
QString DefaultNotificationBody();

// The entry that starts the program when the user logs in: an autostart file named ProgramName.
class AddRemove
{
public:
    // FileToRun is the program's full path; true when the entry was written.
    bool AddToRun2(const QString& ProgramName, const QString& FileToRun);
    // True when no entry of that name is left; a missing entry is no failure.
    bool RemoveFromRun2(const QString& ProgramName);
};

} // namespace core
