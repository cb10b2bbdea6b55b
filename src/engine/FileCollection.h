#pragma once

#include <functional>

#include <QString>
#include <QStringList>

#include "core/BackupSet.h"
#include "engine/FileSearch.h"

namespace engine
{

// How the collection of a run's files ended.
struct CollectionResult
{
    enum class Outcome
    {
        // The set file list holds this run's files.
        Completed,
        // The run's stop request was seen; the previous set file list is untouched.
        Stopped,
        // The lists could not be written, or no file was found; `reason` says why. The previous set
        // file list is untouched.
        Failed
    };
    Outcome outcome = Outcome::Completed;
    QString reason;
    // Lines of the new set file list.
    qint64 listed = 0;
    // Paths of FILES lines that are neither a folder nor a file: they contributed nothing.
    QStringList missing;
    // Folders (and entries) the search could not read: what lies in them is not listed.
    QStringList unreadable;
};

// The include masks of `set` as the file search takes them: "," and ";" become "|", blanks go.
// An empty Include becomes "*.*;" in the record (the set document keeps its own value).
QString includePatternList(core::BackupSetInfo& set);

// The status text one step further: "." appended, then "..", "...", then no dots again.
QString advanceDots(const QString& status);

// The first steps of a run: gathers the files of a set's FILES lines through its include and
// exclude masks into two working lists in the run's private work folder, then replaces the set
// file list data/<set>.lst with the result in one step. Yields to the event loop after every file
// and stops at the next poll once the run's stop request (bStopBackup) is set. The working lists
// are removed when the collector goes away.
class FileCollector
{
public:
    FileCollector() = default;
    ~FileCollector();
    FileCollector(const FileCollector&) = delete;
    FileCollector& operator=(const FileCollector&) = delete;

    // `filesLines` are the lines of the set's FILES section (a path, optionally followed by a TAB
    // and more); folders are searched with all their sub-folders, files listed as they are, other
    // paths logged and returned as missing. Shows "[Organizing files]", the search's progress and
    // "[Creating Index File]" with moving dots through showStatus; logs "Getting Files", "Applying
    // Exclude Filter" when the set has exclude masks, and every folder it could not read (returned
    // as unreadable).
    CollectionResult collect(core::BackupSetInfo& set, const QStringList& filesLines);

    // Where the working lists are: the collected paths, and those left after the exclude filter.
    // Empty before the first collection.
    QString collectedListPath() const { return m_collectedList; }
    QString filteredListPath() const { return m_filteredList; }
    void removeWorkLists();

    // The run window's status text.
    std::function<void(const QString& text)> showStatus;

private:
    void setStatus(const QString& text);

    clsdirsearch m_search;
    QString m_collectedList;
    QString m_filteredList;
    QString m_status;
};

} // namespace engine
