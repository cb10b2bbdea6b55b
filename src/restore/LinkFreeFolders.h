#pragma once

#include <QString>

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

// Makes the folders of `relative` below `root` one by one, never going through a link, so that
// nothing written below them can land outside the root. An empty text when they are all there;
// otherwise why not, with `refused` set when a link stood in the way.
QString makeFolders(const QString& root, const QString& relative, bool& refused);

} // namespace restore
