#include "restore/LinkFreeFolders.h"

#include <cerrno>
#include <cstring>

#include <sys/stat.h>

#include <QFile>
#include <QStringList>

namespace restore
{

PathState pathState(const QString& path)
{
    struct stat st = {};
    if (::lstat(QFile::encodeName(path).constData(), &st) != 0)
        return PathState::Missing;
    if (S_ISLNK(st.st_mode))
        return PathState::Link;
    if (S_ISDIR(st.st_mode))
        return PathState::Folder;
    return S_ISREG(st.st_mode) ? PathState::File : PathState::Other;
}

FoldersResult makeFolders(const QString& root, const QString& relative)
{
    const auto failure = [](const QString& reason) { return FoldersResult {platform::Result::failure(reason)}; };
    QString path = root;
    for (const QString& part : relative.split(QLatin1Char('/'), Qt::SkipEmptyParts)) {
        path += QLatin1Char('/') + part;
        switch (pathState(path)) {
        case PathState::Folder:
            continue;
        case PathState::Missing:
            if (::mkdir(QFile::encodeName(path).constData(), 0777) != 0 && pathState(path) != PathState::Folder)
                return failure(QStringLiteral("cannot make folder %1: %2")
                                   .arg(path, QString::fromLocal8Bit(std::strerror(errno))));
            continue;
        case PathState::Link:
            return {platform::Result::failure(QStringLiteral("%1 is a link").arg(path)), true};
        default:
            return failure(QStringLiteral("%1 is not a folder").arg(path));
        }
    }
    return {platform::Result::success()};
}

} // namespace restore
