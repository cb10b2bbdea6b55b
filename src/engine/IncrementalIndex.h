#pragma once

#include <vector>

#include <QString>

#include "engine/clsFileInfo.h"

namespace core
{
struct cDirItem;
}

namespace engine
{

// The incremental index of the loaded set (CurrentSet): a text file beside the backups of a folder
// destination, named after the set's archive name with ".ndx", that lists each file backed up with
// its modification date. Selecting against it marks the files that are new or changed since; writing
// it back records the dates just seen. Nothing in the run uses it yet: the set loader turns
// `Incremental` off, so every run is a full run.
//
// Each line is `"name",#date#` and CR LF, the date as yyyy-MM-dd HH:mm:ss (the date alone at
// midnight, the time alone on the zero date). A name holding a double quote or a line break cannot
// stand in that form and is left out.
class IncrementalIndex
{
public:
    // One candidate of the run window's list: a file name, marked when it is to be backed up.
    struct Candidate
    {
        QString name;
        bool selected = false;
    };

    // Scans the folder and name pattern of each line ("/home/u/Docs/*.txt") one level deep, lists
    // what it found as candidates and marks those that are new or newer than the index says; with no
    // index rows (none kept, none written yet, incremental off) it marks all. Starts from empty
    // tables each time.
    void IncrementalBackupList(const QString& localFileSpec);
    // Writes the index rows (name and new date) over the index beside a folder destination, through
    // a temporary file, so that a failed write leaves the previous index. True when the index is in
    // place, or when the set keeps none.
    bool uploadIndex();
    // Reads the index beside a folder destination into remoteIndexTable (name, date, date); whether
    // it holds rows afterwards. False while `Incremental` is off, and for every other destination.
    bool getRemoteIndex();
    // Lists the entries of currentFolder whose names match `spec` (the file search's include
    // rule) and hands each to addLocalFile.
    void getLocalFiles(const QString& spec);
    // Records one entry found by the search of `FilePath` (folder and pattern) under its own path, a
    // folder as that path with "/*.*"; "." and ".." and the index file itself are skipped.
    void addLocalFile(const core::cDirItem& w, const QString& FilePath);
    // Removes from localIndexTable every row whose name the local scan did not find.
    void verifyLocalIndex();
    // Marks every candidate and adds it to remoteIndexTable as new.
    void selectAllFiles();

    // The index beside the current folder destination; "" when the set's current destination is no
    // folder (FTP servers keep no index) or its archive name is no plain file name.
    static QString indexPath();

    const std::vector<Candidate>& List1() const { return m_list; }

    // Every entry of the local scan with its modification date (in OldDate).
    clsFileInfo localFileTable;
    // The rows read from the index, and those to write back.
    clsFileInfo remoteIndexTable;
    // A local index; only pruned, never filled.
    clsFileInfo localIndexTable;
    // The folder being scanned, ending in "/".
    QString currentFolder;

private:
    std::vector<Candidate> m_list;
};

} // namespace engine
