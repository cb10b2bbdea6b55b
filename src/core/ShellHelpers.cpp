#include "core/ShellHelpers.h"

#include <optional>

#include <QDir>
#include <QFileInfo>
#include <QStandardPaths>
#include <QSysInfo>
#include <QWidget>

#include "platform/FileDialogs.h"
#include "platform/Prompt.h"
#include "platform/Shell.h"

namespace core
{
namespace
{
constexpr qint32 kShellSuccess = 42;
constexpr qint32 kFileNotFound = 2;
constexpr qint32 kPathNotFound = 3;

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
    if (const std::optional<QString> chosen = platform::fileDialogs().chooseFolder(hwnd, pszTitle, *root))
        strFolder = *chosen;
    return 0;
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
    return platform::shell().open(path, folder) ? kShellSuccess : ShellNoAssociation;
}

QString ShowShellExecuteError(qint32 code, bool show)
{
    if (code > 32)
        return QString();
    QString text;
    switch (code) {
    case 2:
        text = QStringLiteral("File not found");
        break;
    case 3:
        text = QStringLiteral("Path not found");
        break;
    case 5:
        text = QStringLiteral("Access denied");
        break;
    case 8:
        text = QStringLiteral("Out of memory");
        break;
    case 11:
        text = QStringLiteral("Invalid EXE file or error in EXE image");
        break;
    case 26:
        text = QStringLiteral("A sharing violation occurred");
        break;
    case 27:
        text = QStringLiteral("Incomplete or invalid file association");
        break;
    case 28:
        text = QStringLiteral("DDE Time out");
        break;
    case 29:
        text = QStringLiteral("DDE transaction failed");
        break;
    case 30:
        text = QStringLiteral("DDE busy");
        break;
    case 31:
        text = QStringLiteral("No association for file extension");
        break;
    case 32:
        text = QStringLiteral("DLL not found");
        break;
    default:
        text = QStringLiteral("Unknown error");
        break;
    }
    if (show) {
        platform::Message message;
        message.text = text;
        message.title = QStringLiteral("Error:");
        message.icon = platform::Icon::Critical;
        platform::prompt().show(message);
    }
    return text;
}

void SetTopmost(QWidget* window, bool topmost)
{
    if (!window || window->windowFlags().testFlag(Qt::WindowStaysOnTopHint) == topmost)
        return;
    // Changing a window flag re-creates the native window hidden and may move it.
    const QRect geometry = window->geometry();
    const bool visible = window->isVisible();
    window->setWindowFlag(Qt::WindowStaysOnTopHint, topmost);
    window->setGeometry(geometry);
    if (visible)
        window->show();
}

bool IsNTCompatible()
{
    return true;
}

QString SystemName()
{
    const QString name = QSysInfo::prettyProductName();
    return name.isEmpty() ? QSysInfo::kernelType() + QLatin1Char(' ') + QSysInfo::kernelVersion() : name;
}

} // namespace core
