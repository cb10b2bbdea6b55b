#pragma once

#include <optional>

#include <QString>

#include "platform/SettingsFile.h"

namespace platform
{

// The two hives the program uses, kept as settings/machine.ini and settings/user.ini.
enum class RegistryRoot
{
    CurrentUser,
    LocalMachine,
};

// The predefined root handle values as 32-bit signed numbers (&H80000001, &H80000002).
inline constexpr qint32 HkeyCurrentUser = static_cast<qint32>(0x80000001u);
inline constexpr qint32 HkeyLocalMachine = static_cast<qint32>(0x80000002u);

// nullopt for a handle value that names no hive the program keeps.
std::optional<RegistryRoot> registryRoot(qint32 handle);

// A registry key of a hive, addressed by its path ("SOFTWARE\Company\Program\Settings").
// Every operation answers with a result code of regerr::. Values are strings.
class RegistryKey
{
public:
    // Opens the key, creating it (and the hive's file) when it is missing. `reason`, when given,
    // receives what went wrong.
    static qint32 create(RegistryRoot root, const QString& path, RegistryKey* key, QString* reason = nullptr);
    // Opens an existing key: FileNotFound when it does not exist.
    static qint32 open(RegistryRoot root, const QString& path, RegistryKey* key);
    // Deletes a key with its values; a key that has sub-keys is refused (AccessDenied).
    static qint32 remove(RegistryRoot root, const QString& path);

    qint32 queryValue(const QString& name, QString* data) const;
    qint32 setValue(const QString& name, const QString& data, QString* reason = nullptr) const;
    qint32 deleteValue(const QString& name) const;

    const QString& path() const { return m_path; }

private:
    RegistryRoot m_root = RegistryRoot::CurrentUser;
    QString m_path;
};

} // namespace platform
