#pragma once

#include <functional>

#include <QString>
#include <QStringList>
#include <QStringView>

#include "core/ProgramRun.h"

namespace engine
{

// Whether a file name matches one include pattern: "*" any run of characters, "?" one character,
// letter case ignored, every other character itself. A pattern ending in ".*" also takes names
// without that last part, so "*.*" matches every name, with or without a dot. Empty: nothing.
bool includePatternMatches(QStringView name, QStringView pattern);

// Collects the files below a folder whose names match one of several patterns, depth first: a
// folder's own matches before those of its sub-folders; within a folder the matches of the first
// pattern, then the new ones of the next; entries in name order (letter case ignored, then exact).
// Only regular files are collected (symbolic links to them too); links to folders are never
// followed, so a link loop cannot trap the walk. The walk yields to the event loop after every
// entry and stops at its next poll once the run asks to stop or Cancel() is called. Shows the
// entry it examines as the run's status.
class clsdirsearch
{
public:
    explicit clsdirsearch(platform::RunContext& run = core::programRun())
        : m_run(run)
    { }

    // Runs a complete search of `startFolder` and its sub-folders; `patternList` separates the
    // patterns with "|" (an empty piece matches nothing). The results are read through filesfound().
    void findfiles(const QString& startFolder, const QString& patternList);

    // The full paths found by the last search, in the order found; each path once.
    const QStringList& filesfound() const { return m_filesFound; }
    // Folders (and entries) the last search could not read; they contributed nothing.
    const QStringList& unreadable() const { return m_unreadable; }
    // Files the last search left out because a line break in the name cannot stand in a file list.
    const QStringList& unlistable() const { return m_unlistable; }

    // Stops a search in progress at its next poll (a handler running inside the walk may call it).
    void Cancel() { m_searchCancelled = true; }

    // Folders the walk never enters, however they are reached (the program's own work files, the
    // set's destinations); those that do not exist are ignored.
    void setFoldersToSkip(const QStringList& folders) { m_foldersToSkip = folders; }

    bool pause() const { return m_pause; }
    void setPause(bool pause) { m_pause = pause; }
    bool searchinsubfolders() const { return m_searchInSubfolders; }
    void setSearchinsubfolders(bool search) { m_searchInSubfolders = search; }

    // Raised for every folder entered (its path ending in "/") and every file newly found.
    std::function<void(const QString& folder)> searching;
    std::function<void(const QString& name, const QString& folder)> found;

private:
    struct Walk;
    void searchFolder(Walk& walk, const QString& folder, int dirFd);
    bool stopRequested();
    void waitWhilePaused();

    platform::RunContext& m_run;
    QStringList m_foldersToSkip;
    QStringList m_searchPatterns;
    QStringList m_filesFound;
    QStringList m_unreadable;
    QStringList m_unlistable;
    bool m_searchCancelled = false;
    bool m_pause = false;
    bool m_searchInSubfolders = true;
};

} // namespace engine
