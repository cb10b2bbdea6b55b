#include "platform/Registry.h"

namespace platform
{
namespace
{
SettingsFile hiveFile(RegistryRoot root)
{
    return SettingsFile(
        settingsFilePath(root == RegistryRoot::LocalMachine ? SettingsStore::Machine : SettingsStore::User));
}
} // namespace

std::optional<RegistryRoot> registryRoot(qint32 handle)
{
    if (handle == HkeyCurrentUser)
        return RegistryRoot::CurrentUser;
    if (handle == HkeyLocalMachine)
        return RegistryRoot::LocalMachine;
    return std::nullopt;
}

qint32 RegistryKey::create(RegistryRoot root, const QString& path, RegistryKey* key, QString* reason)
{
    SettingsFile file = hiveFile(root);
    const qint32 rc = file.createGroup(path);
    if (rc != regerr::Success && reason)
        *reason = file.errorString();
    if (rc == regerr::Success && key) {
        key->m_root = root;
        key->m_path = path;
    }
    return rc;
}

qint32 RegistryKey::open(RegistryRoot root, const QString& path, RegistryKey* key)
{
    const qint32 rc = hiveFile(root).findGroup(path);
    if (rc == regerr::Success && key) {
        key->m_root = root;
        key->m_path = path;
    }
    return rc;
}

qint32 RegistryKey::remove(RegistryRoot root, const QString& path)
{
    return hiveFile(root).removeGroup(path);
}

qint32 RegistryKey::queryValue(const QString& name, QString* data) const
{
    return hiveFile(m_root).read(m_path, name, data);
}

qint32 RegistryKey::setValue(const QString& name, const QString& data, QString* reason) const
{
    SettingsFile file = hiveFile(m_root);
    const qint32 rc = file.write(m_path, name, data);
    if (rc != regerr::Success && reason)
        *reason = file.errorString();
    return rc;
}

qint32 RegistryKey::deleteValue(const QString& name) const
{
    return hiveFile(m_root).remove(m_path, name);
}

} // namespace platform
