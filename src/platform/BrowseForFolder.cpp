#include "platform/BrowseForFolder.h"

#include <optional>

#include <QDir>
#include <QFileInfo>
#include <QStandardPaths>

#include "platform/FileDialogs.h"

namespace platform
{
namespace
{
// An existing standard folder, or the home folder when the desktop has none.
QString standardFolder(QStandardPaths::StandardLocation location)
{
    const QString path = QStandardPaths::writableLocation(location);
    if (!path.isEmpty() && QFileInfo(path).isDir())
        return path;
    return QDir::homePath();
}

std::optional<QString> specialFolder(qint32 id)
{
    switch (id) {
    case csidl::Desktop:
    case csidl::DesktopDirectory:
        return standardFolder(QStandardPaths::DesktopLocation);
    case csidl::Personal:
        return standardFolder(QStandardPaths::DocumentsLocation);
    case csidl::MyMusic:
        return standardFolder(QStandardPaths::MusicLocation);
    case csidl::MyVideo:
        return standardFolder(QStandardPaths::MoviesLocation);
    case csidl::MyPictures:
        return standardFolder(QStandardPaths::PicturesLocation);
    case csidl::Profile:
        return QDir::homePath();
    case csidl::Drives:
        return QStringLiteral("/");
    default:
        return std::nullopt;
    }
}
} // namespace

qint32 BrowseForFolder(qint32 lngCSIDL, qint32, QString& strFolder, QWidget* hwnd, const QString& pszTitle)
{
    const std::optional<QString> root = specialFolder(lngCSIDL);
    if (!root)
        return BrowseRootNotFound;
    if (const std::optional<QString> chosen = fileDialogs().chooseFolder(hwnd, pszTitle, *root))
        strFolder = *chosen;
    return 0;
}

} // namespace platform
