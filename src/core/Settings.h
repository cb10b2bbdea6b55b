#pragma once

#include <optional>

#include <QString>

#include "core/ErrorReport.h"

namespace core
{

namespace err
{
inline constexpr qint32 SettingAppNameEmpty = ObjectErrorBase + 1000;
inline constexpr qint32 SettingSectionEmpty = ObjectErrorBase + 1001;
inline constexpr qint32 SettingKeyEmpty = ObjectErrorBase + 1002;
// Plus the store's result code: a key that exists but cannot be opened.
inline constexpr qint32 SettingOpenBase = ObjectErrorBase + 2000;
} // namespace err

// The machine-wide preferences, under SOFTWARE\<company>\<AppName>\<Section>. Company, AppName and
// Section are taken without surrounding blanks; Key is taken as it is. Names match without regard
// to case.

// The stored value, or Default when the key or the value is missing. nullopt when it raises: blank
// arguments or a key that cannot be opened (a damaged or unreadable file); the error is then in Err().
std::optional<QString> ReadSetting(const QString& AppName, const QString& Section, const QString& Key,
                                   const QString& Default);

// Stores the value, creating the key when missing. A refused write shows the permission notice
// (Abort, Retry, Ignore) unless it is silenced; true only when the value was written.
bool WriteSetting(const QString& AppName, const QString& Section, const QString& Key, const QString& Value);

// The per-user store: values by application, section and key.
QString GetSetting(const QString& AppName, const QString& Section, const QString& Key,
                   const QString& Default = QString());
bool SaveSetting(const QString& AppName, const QString& Section, const QString& Key, const QString& Value);

// The program's own preferences: the values above under the program's name and the section
// "Settings". A value that cannot be read gives the default (the error stays in Err()).
QString ReadPreference(const QString& Key, const QString& Default);
bool WritePreference(const QString& Key, const QString& Value);
QString GetUserPreference(const QString& Key, const QString& Default);
bool SaveUserPreference(const QString& Key, const QString& Value);

// The notice shown when the settings cannot be written; it names the file the machine-wide settings
// are kept in.
QString PermissionDeniedText();

} // namespace core
