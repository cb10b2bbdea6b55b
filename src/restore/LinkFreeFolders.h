#pragma once

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

} // namespace restore
