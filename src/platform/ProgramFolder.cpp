#include "platform/ProgramFolder.h"

#include <optional>

#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QStandardPaths>

namespace platform
{
namespace
{
std::optional<QString>& cached()
{
    static std::optional<QString> folder;
    return folder;
}

QString locate()
{
    const QString home = qEnvironmentVariable("QUILLBACK_HOME");
    if (!home.isEmpty())
        return QDir::cleanPath(QDir(home).absolutePath());
    return ProgramFolder::defaultPath();
}
} // namespace

QString ProgramFolder::defaultPath()
{
    if (QCoreApplication::instance()) {
        const QString exeDir = QCoreApplication::applicationDirPath();
        const QFileInfo info(exeDir);
        if (!exeDir.isEmpty() && info.isDir() && info.isWritable())
            return QDir::cleanPath(exeDir);
    }

    QString dataHome = qEnvironmentVariable("XDG_DATA_HOME");
    if (dataHome.isEmpty() || QDir::isRelativePath(dataHome))
        dataHome = QDir::homePath() + QStringLiteral("/.local/share");
    return QDir::cleanPath(dataHome + QStringLiteral("/quillback"));
}

QString ProgramFolder::path()
{
    auto& folder = cached();
    if (!folder) {
        folder = locate();
        QDir().mkpath(*folder);
    }
    return *folder;
}

QString ProgramFolder::file(const QString& relative)
{
    return path() + QLatin1Char('/') + relative;
}

void ProgramFolder::reset()
{
    cached().reset();
}

bool makePrivateFolder(const QString& path)
{
    if (path.isEmpty())
        return false;
    QDir dir;
    if (!dir.exists(path)) {
        if (!dir.mkpath(path))
            return false;
        QFile::setPermissions(path, QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner);
    }
    return QFileInfo(path).isDir();
}

} // namespace platform
