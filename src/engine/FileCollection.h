#pragma once

#include <QString>
#include <QStringList>

#include "core/BackupSet.h"
#include "engine/FileSearch.h"
#include "platform/Result.h"

namespace engine
{

// How the collection of a run's files ended. Succeeded: the set file list holds this run's files.
// Stopped, or failed (the lists could not be written, or no file was found): the previous set file
// list is untouched.
struct CollectionResult : platform::Result
{
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
// file list data/<set>.lst with the result in one step. Yields to the run after every file and
// stops at the next poll once the run asks to stop. The working lists are removed when the
// collector goes away.
class FileCollector
{
public:
    explicit FileCollector(platform::RunContext& run = core::programRun())
        : m_run(run)
        , m_search(run)
    { }
    ~FileCollector();
    FileCollector(const FileCollector&) = delete;
    FileCollector& operator=(const FileCollector&) = delete;

    // `filesLines` are the lines of the set's FILES section (a path, optionally followed by a TAB
    // and more); folders are searched with all their sub-folders, files listed as they are, other
    // paths logged and returned as missing. Shows "[Organizing files]", the search's progress and
    // "[Creating Index File]" with moving dots as the run's status; logs "Getting Files", "Applying
    // Exclude Filter" when the set has exclude masks, and every folder it could not read (returned
    // as unreadable).
    CollectionResult collect(core::BackupSetInfo& set, const QStringList& filesLines);

    // Where the working lists are: the collected paths, and those left after the exclude filter.
    // Empty before the first collection.
    QString collectedListPath() const { return m_collectedList; }
    QString filteredListPath() const { return m_filteredList; }
    void removeWorkLists();

private:
    void setStatus(const QString& text);

    platform::RunContext& m_run;
    clsdirsearch m_search;
    QString m_collectedList;
    QString m_filteredList;
    QString m_status;
};

} // namespace engine
