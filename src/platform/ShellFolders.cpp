#include "platform/ShellFolders.h"

#include <QDir>
#include <QFileInfo>
#include <QStorageInfo>

namespace platform
{
namespace
{
ShellNamespace*& installed()
{
    static ShellNamespace* current = nullptr;
    return current;
}

// Volumes of the system's own workings, which nobody backs up.
bool isSystemVolume(const QString& root)
{
    for (const char* prefix : {"/proc", "/sys", "/dev", "/run"}) {
        const QString system = QLatin1String(prefix);
        if (root == system || root.startsWith(system + QLatin1Char('/')))
            return true;
    }
    return false;
}
} // namespace

QList<ShellItem> computerItems()
{
    QList<ShellItem> items {{QStringLiteral("/"), QStringLiteral("/"), true}};
    const QString home = QDir::homePath();
    if (home != QLatin1String("/"))
        items.append({QDir::home().dirName(), home, true});
    for (const QStorageInfo& volume : QStorageInfo::mountedVolumes()) {
        const QString root = volume.rootPath();
        if (!volume.isValid() || !volume.isReady() || root == QLatin1String("/") || root == home
            || isSystemVolume(root))
            continue;
        items.append({volume.displayName(), root, true});
    }
    return items;
}

std::optional<QList<ShellItem>> folderItems(const QString& path)
{
    const QFileInfo folder(path);
    if (path.isEmpty() || !folder.isDir() || !folder.isReadable())
        return std::nullopt;
    const QFileInfoList entries
        = QDir(path).entryInfoList(QDir::AllEntries | QDir::NoDotAndDotDot | QDir::Hidden | QDir::System,
                                   QDir::DirsFirst | QDir::Name | QDir::IgnoreCase);
    QList<ShellItem> items;
    for (const QFileInfo& entry : entries)
        items.append({entry.fileName(), entry.absoluteFilePath(), entry.isDir()});
    return items;
}

ShellNamespace& shellNamespace()
{
    static ShellNamespace real;
    ShellNamespace* current = installed();
    return current ? *current : real;
}

void setShellNamespace(ShellNamespace* shell)
{
    installed() = shell;
}

} // namespace platform
