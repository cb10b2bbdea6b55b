#pragma once

#include <optional>

#include <QList>
#include <QString>

namespace platform
{

// A drive, folder or file as the computer's folder tree shows it.
struct ShellItem
{
    QString name;
    QString path;
    bool isFolder = false;
};

// What the computer's top level shows: "/", the home folder and the mounted volumes.
QList<ShellItem> computerItems();
// The items of a folder, folders first and then files, each group by name; nullopt when the path is
// no folder that can be listed.
std::optional<QList<ShellItem>> folderItems(const QString& path);

// The computer's folders and files as the folder-tree picker browses them.
class ShellNamespace
{
public:
    virtual ~ShellNamespace() = default;
    virtual QList<ShellItem> drives() { return computerItems(); }
    virtual std::optional<QList<ShellItem>> items(const QString& path) { return folderItems(path); }
};

ShellNamespace& shellNamespace();
// Installs another namespace (nullptr restores the real one). The caller keeps ownership.
void setShellNamespace(ShellNamespace* shell);

} // namespace platform
