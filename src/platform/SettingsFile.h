#pragma once

#include <QString>

namespace platform
{

// Result codes of the settings files and the registry over them, with the registry's numbers.
namespace regerr
{
inline constexpr qint32 Success = 0;
// The key or value does not exist.
inline constexpr qint32 FileNotFound = 2;
// The file cannot be read or written, or a key with sub-keys was to be deleted.
inline constexpr qint32 AccessDenied = 5;
inline constexpr qint32 InvalidHandle = 6;
// A key path, name or value that the file cannot hold.
inline constexpr qint32 InvalidParameter = 87;
// The file is not readable text; it is left as it is.
inline constexpr qint32 RegistryCorrupt = 1015;
} // namespace regerr

// The program's settings files below the program folder's settings/ folder.
enum class SettingsStore
{
    Machine, // machine.ini: the registry's local-machine hive
    User, // user.ini: the registry's current-user hive
    App, // app.ini: the per-user store, one [application\section] group per section
    Service, // service.ini: the service host's settings
};

QString settingsFilePath(SettingsStore store);

// One INI file of settings: a "[group]" line per key path (parts joined by "\"), "name=value" lines
// below it, and the lines before the first group as the group "". Paths and names match without
// regard to case; values are kept verbatim. Every call reads the file afresh and every change
// replaces it atomically, owner-only. Lines it does not understand are kept where they are; a file
// that is not valid text is never written over.
class SettingsFile
{
public:
    explicit SettingsFile(QString path);

    const QString& path() const { return m_path; }

    qint32 read(const QString& group, const QString& name, QString* value) const;
    qint32 write(const QString& group, const QString& name, const QString& value);
    qint32 remove(const QString& group, const QString& name);

    // Success when the group has a line of its own or a sub-group has one ("" always exists).
    qint32 findGroup(const QString& group) const;
    // Adds an empty group unless it exists already.
    qint32 createGroup(const QString& group);
    // Removes the group with its lines; a group that has sub-groups is refused.
    qint32 removeGroup(const QString& group);

    // What went wrong in the last failed call, for a person.
    const QString& errorString() const { return m_error; }

private:
    struct Content;
    qint32 load(Content& content) const;
    qint32 save(const Content& content);
    qint32 fail(qint32 code, const QString& reason) const;

    QString m_path;
    mutable QString m_error;
};

} // namespace platform
