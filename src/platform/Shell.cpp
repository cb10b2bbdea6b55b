#include "platform/Shell.h"

#include <QDesktopServices>
#include <QDir>
#include <QUrl>

namespace platform
{
namespace
{
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

} // namespace platform
