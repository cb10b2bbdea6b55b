#pragma once

#include <optional>

#include <QString>

namespace core
{

// Local paths use "/". Basedir and Basename also take the "\" of stored Windows forms and the "/" of
// remote paths: "/" counts whenever the text holds one, "\" only when it holds none.

// The path without its last part and without that part's separator ("/a/b.txt" gives "/a",
// "/x" gives "/", "file.txt" gives "").
QString Basedir(const QString& FullName);
// The last part of the path; a trailing separator gives "", a text without one is returned whole.
QString Basename(const QString& FullName);

// The folder of a local path: "/a/b.txt" and "/a/b/" give "/a" and "/a/b"; "/" stays "/".
// A text without any "/" has no folder: nullopt.
std::optional<QString> ParentFolder(const QString& path);
// The part after the last "/" ("" when the path ends with one or is empty); also stored back into
// the caller's variable.
QString LastPathPart(QString& path);
// All parts of a remote "/" path but the last, each preceded by "/": "a/b/c" gives "/a/b",
// "/x/y/z.zip" gives "//x/y"; a text without "/" gives "/". Never "".
QString ParentSlashPath(const QString& path);
// The text after the last "/" of a local path.
QString FileNameOf(const QString& path);
// The local folder and a relative path below it, joined by one "/" ("/a/" and "b" give "/a/b").
QString JoinPath(QString folder, const QString& relative);

// Cuts the caller's text before its first NUL and returns it.
QString StripNulls(QString& strItem);
// The text before the first NUL; the whole text when it holds none.
QString TrimNull(const QString& S);

} // namespace core
