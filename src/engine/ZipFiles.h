#pragma once

#include <QList>
#include <QSet>
#include <QString>
#include <QStringList>

#include "core/ProgramRun.h"
#include "platform/ZipWriter.h"

namespace engine
{

// MakeZipFile's results other than 0, numbered as Info-ZIP's zip numbers them.
namespace ziperr
{
inline constexpr qint32 Ok = 0;
// The archive to update is not a readable zip archive.
inline constexpr qint32 Format = 3;
// Nothing was left to pack.
inline constexpr qint32 Nothing = 12;
// No archive name was given.
inline constexpr qint32 Name = 13;
// The archive could not be written.
inline constexpr qint32 Write = 14;
} // namespace ziperr

// Collects the files to pack into one zip archive and builds it.
//
// Entries are named by the source path mirrored below a folder ("/home/u/a.txt" is packed as
// "home/u/a.txt"); relative names are read below RootDirectory and keep their relative name. The
// archive is always written whole under a temporary name and renamed into place when complete.
class clsZipFiles
{
public:
    bool RecurseFolders() const { return m_recurseFolders; }
    void setRecurseFolders(bool bRecurse) { m_recurseFolders = bRecurse; }
    const QString& ZipFileName() const { return m_zipFileName; }
    void setZipFileName(const QString& sZipFileName) { m_zipFileName = sZipFileName; }
    // Kept for callers that set it; archives are never encrypted (protection is the .bf cipher).
    bool Encrypted() const { return m_encrypted; }
    void setEncrypted(bool bEncrypt) { m_encrypted = bEncrypt; }
    // Kept for callers that set it; hidden files are packed like any other.
    bool IncludeSystemFiles() const { return m_includeSystemFiles; }
    void setIncludeSystemFiles(bool bInclude) { m_includeSystemFiles = bInclude; }
    // The number of names added.
    qint32 ZipFileCount() const { return static_cast<qint32>(m_names.size()); }
    const QString& RootDirectory() const { return m_rootDirectory; }
    void setRootDirectory(const QString& sRootDir) { m_rootDirectory = sRootDir; }
    // True: keep the entries of an existing archive and replace only those whose file is newer.
    // False (what a run uses): the archive holds exactly the names added.
    bool UpdatingZip() const { return m_updatingZip; }
    void setUpdatingZip(bool bUpdating) { m_updatingZip = bUpdating; }
    // True: every name added is a file the caller has just found (a run's file list) and is packed as
    // a file without another look at it; one that has become a folder since is left out as no regular
    // file. False: each name is looked at to tell a folder from a file.
    bool NamesAreFiles() const { return m_namesAreFiles; }
    void setNamesAreFiles(bool bFiles) { m_namesAreFiles = bFiles; }

    // The run the build yields to and stops for.
    void setRun(platform::RunContext& run) { m_run = &run; }

    // Adds a path to pack; a path already added (compared exactly) and the empty text are ignored.
    void AddFile(const QString& sFileName);
    // Takes a path off the list; one that is not listed leaves the error "File is not in Zip List"
    // in the error object and changes nothing.
    void RemoveFile(const QString& sFileName);

    // Builds the archive at ZipFileName from the listed paths.
    // 0: the archive was written (files that could not be packed are in SkippedFiles), or the build
    //    stopped at a stop request (bStopBackup is set; no archive was written).
    // Any other value (ziperr): no archive was written; GetLastMessage says why.
    // An existing archive at ZipFileName is replaced only by a complete new one.
    qint32 MakeZipFile();

    // What the most recent build of any builder reported: skipped files and failures, one a line.
    QString GetLastMessage() const;
    // The listed files the last MakeZipFile left out, with the reasons.
    const QList<platform::ZipSkippedEntry>& SkippedFiles() const { return m_skipped; }
    // The system's error number when the last MakeZipFile could not write the archive file; 0 otherwise.
    int WriteError() const { return m_writeError; }

private:
    QList<platform::ZipEntrySource> entries() const;
    void addEntries(const QString& name, QList<platform::ZipEntrySource>& into) const;

    QStringList m_names;
    QSet<QString> m_keys;
    bool m_recurseFolders = false;
    QString m_zipFileName;
    bool m_encrypted = false;
    bool m_includeSystemFiles = false;
    QString m_rootDirectory = QStringLiteral("/");
    bool m_updatingZip = false;
    bool m_namesAreFiles = false;
    QList<platform::ZipSkippedEntry> m_skipped;
    int m_writeError = 0;
    platform::RunContext* m_run = &core::programRun();
};

} // namespace engine
