#include "restore/LinkFreeFolders.h"

#include <cerrno>
#include <cstring>

#include <sys/stat.h>

#include <QDir>
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

namespace
{
// Makes the folders of `relative` below `root`, skipping those `known` holds (full paths) and adding
// those it finds or makes.
FoldersResult makeBelow(const QString& root, const QString& relative, QSet<QString>* known)
{
    const auto failure = [](const QString& reason) { return FoldersResult {platform::Result::failure(reason)}; };
    if (known && known->contains(root + QLatin1Char('/') + relative))
        return {platform::Result::success()};
    QString path = root;
    for (const QString& part : relative.split(QLatin1Char('/'), Qt::SkipEmptyParts)) {
        path += QLatin1Char('/') + part;
        if (known && known->contains(path))
            continue;
        switch (pathState(path)) {
        case PathState::Folder:
            if (known)
                known->insert(path);
            continue;
        case PathState::Missing:
            if (::mkdir(QFile::encodeName(path).constData(), 0777) != 0 && pathState(path) != PathState::Folder)
                return failure(QStringLiteral("cannot make folder %1: %2")
                                   .arg(path, QString::fromLocal8Bit(std::strerror(errno))));
            if (known)
                known->insert(path);
            continue;
        case PathState::Link:
            return {platform::Result::failure(QStringLiteral("%1 is a link").arg(path)), true};
        default:
            return failure(QStringLiteral("%1 is not a folder").arg(path));
        }
    }
    return {platform::Result::success()};
}
} // namespace

FoldersResult makeFolders(const QString& root, const QString& relative)
{
    return makeBelow(root, relative, nullptr);
}

FolderMaker::FolderMaker(QString root)
    : m_root(std::move(root))
{ }

FoldersResult FolderMaker::make(const QString& relative)
{
    if (!m_rootMade) {
        if (!QDir().mkpath(m_root))
            return {platform::Result::failure(QStringLiteral("cannot make folder %1").arg(m_root))};
        m_rootMade = true;
    }
    return makeBelow(m_root, relative, &m_known);
}

} // namespace restore
