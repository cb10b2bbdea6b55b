#pragma once

#include <optional>

#include <QString>

namespace platform
{

// The relative path below which a source file is mirrored: in a destination folder, as a zip entry
// name and when restoring. "/home/u/a.txt" gives "home/u/a.txt"; a stored Windows form
// "C:\Data\a.txt" gives "Data/a.txt". A path with a ".." part, or with nothing left, is refused.
std::optional<QString> mirrorRelativePath(const QString& sourcePath);

} // namespace platform
