#include "platform/Shell.h"

#include <QDesktopServices>
#include <QDir>
#include <QFileInfo>
#include <QUrl>

namespace platform
{
namespace
{
constexpr qint32 kShellSuccess = 42;
constexpr qint32 kFileNotFound = 2;
constexpr qint32 kPathNotFound = 3;

class DesktopShell : public Shell
{
public:
    bool open(const QString& file, const QString& workingFolder) override
    {
        QString path = file;
        if (QDir::isRelativePath(path) && !workingFolder.isEmpty())
            path = QDir(workingFolder).filePath(path);
        return QDesktopServices::openUrl(QUrl::fromLocalFile(path));
    }
};

Shell*& installed()
{
    static Shell* current = nullptr;
    return current;
}
} // namespace

Shell& shell()
{
    static DesktopShell desktop;
    Shell* current = installed();
    return current ? *current : desktop;
}

void setShell(Shell* shell)
{
    installed() = shell;
}

qint32 ShellExecuteOpen(const QString& file, const QString& folder)
{
    if (!folder.isEmpty() && !QFileInfo(folder).isDir())
        return kPathNotFound;
    QString path = file;
    if (!path.isEmpty() && QDir::isRelativePath(path) && !folder.isEmpty())
        path = QDir(folder).filePath(path);
    if (path.isEmpty() || !QFileInfo::exists(path))
        return kFileNotFound;
    return shell().open(path, folder) ? kShellSuccess : ShellNoAssociation;
}

} // namespace platform
