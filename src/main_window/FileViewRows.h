#pragma once

#include <optional>

#include <QList>
#include <QString>
#include <QStringList>

namespace main_window
{

// One entry of the file view: a path and whether one of the set's exclude masks matches it.
struct FileViewRow
{
    QString path;
    bool excluded = false;

    bool operator==(const FileViewRow&) const = default;
};

// The rows of a set's FILES lines: one per non-empty line, the path being the text before its first
// TAB, matched with the masks as a whole.
QList<FileViewRow> fileViewRows(const QStringList& lines, const QStringList& masks);

// The rows of one folder's entries (files and folders, hidden ones left out) in name order. The
// masks are matched with each entry's own name. A trailing "/" of `folder` is dropped; a folder that
// cannot be read gives no rows.
QList<FileViewRow> ShowFolderContents(const QString& folder, const QStringList& masks);

// The file-list cache of a set: data/<set name>.sfl below the program folder.
QString fileListCachePath(const QString& setName);

// Writes the cache of a set from the texts of the file view's rows: one line per row, the row text
// followed by five "|" (its empty sub-items), each line and the file ending with CR LF. The previous
// cache is replaced only by a complete new one. False, with nothing changed, when it cannot be written.
bool SaveFileListCache(const QString& setName, const QStringList& rowTexts);

// The row texts a set's cache holds, in order; nothing when the set has no cache. Lines that are
// empty, a single blank, or lack the five sub-item fields are skipped.
std::optional<QStringList> readFileListCache(const QString& setName);

} // namespace main_window
