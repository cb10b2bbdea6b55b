#pragma once

#include <QSet>
#include <QString>

#include "platform/Result.h"

namespace restore
{

// What is at a path, without following a link there.
enum class PathState
{
    Missing,
    File,
    Folder,
    Link,
    Other,
};

PathState pathState(const QString& path);

// Whether the folders of a path are there; a failure says why not.
struct FoldersResult
{
    platform::Result result;
    // A link stood in the way.
    bool refused = false;

    bool succeeded() const { return result.succeeded(); }
    const QString& reason() const { return result.reason(); }
};

// Makes the folders of `relative` below `root` one by one, never going through a link, so that
// nothing written below them can land outside the root.
FoldersResult makeFolders(const QString& root, const QString& relative);

// makeFolders for the many files of one run: each folder is looked at (and made) once, and the
// folders it found or made are taken as they were for the rest of the run.
class FolderMaker
{
public:
    explicit FolderMaker(QString root);

    // The root itself is made (through links, as the user named it) the first time.
    FoldersResult make(const QString& relative);
    const QString& root() const { return m_root; }

private:
    QString m_root;
    bool m_rootMade = false;
    // Folders known to be real folders below the root.
    QSet<QString> m_known;
};

} // namespace restore
