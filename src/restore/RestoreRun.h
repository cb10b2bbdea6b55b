#pragma once

#include <functional>
#include <optional>

#include <QHash>
#include <QString>
#include <QStringList>

#include "core/VersionLine.h"

namespace restore
{

using core::VersionLine;

class cUnzip;

// What the file selection hands to the restore: the version to restore from and where its files go.
// The chosen paths are in the loaded set's restore list (RestoreList.h), written before the hand-over.
struct RestoreRequest
{
    // The chosen line of the set's version list.
    VersionLine version;
    // True: every file goes back where it was backed up from. False: below newFolder.
    bool previousLocation = true;
    // A full path; read only when previousLocation is false.
    QString newFolder;
    // The set the version was chosen from; the run restores only while it is the loaded set.
    QString setName;
};

// How a restore ended, file by file.
struct RestoreSummary
{
    // Counts of the chosen files.
    qint64 restored = 0;
    // Left in place by the user's answer.
    qint64 skipped = 0;
    // Not found in the version.
    qint64 missing = 0;
    // Damaged, refused or not copied.
    qint64 failed = 0;
    // Left unplaced by the Cancel answer of the overwrite question.
    qint64 notRestored = 0;
    bool cancelled = false;

    // What could not be found: files of the version, its archive, entries missing from the archive.
    QStringList missingList;
    // What could not be restored, each with its reason; unsafe archive entries too.
    QStringList failedList;
    // Why the restore could not begin; then nothing was fetched.
    QString error;

    bool hasProblems() const { return !error.isEmpty() || !missingList.isEmpty() || !failedList.isEmpty(); }
    // "Done!" only when everything chosen was restored or left by the user's answer; then the
    // counts and the lists.
    QString statusText() const;
};

// Restores one version of the loaded set (CurrentSet) from the folder it was delivered to: reads
// the restore list, fetches the version's files or archive into a private work folder below tmp/,
// decrypts and unpacks them there and places each chosen file at its target, asking before an
// existing file is replaced (PlaceFile). A file that cannot be fetched, decrypted or unpacked
// whole is listed and never placed. The work folder is removed when the run ends in any way.
//
// The run yields to the event loop as it goes and looks at bStopBackup at fixed points; a stop
// ends it at once (Stopped), logging nothing more.
class RestoreRun
{
public:
    enum class Outcome
    {
        // The run went to its end: the summary says what became of each chosen file.
        Completed,
        // A stop was requested.
        Stopped,
    };

    explicit RestoreRun(RestoreRequest request);
    ~RestoreRun();
    RestoreRun(const RestoreRun&) = delete;
    RestoreRun& operator=(const RestoreRun&) = delete;

    Outcome run();
    const RestoreSummary& summary() const { return m_summary; }

    // The restore window's status text.
    std::function<void(const QString& text)> showStatus;

private:
    // Where one chosen path goes, or why it cannot be restored.
    struct Target
    {
        QString relative;
        QString target;
        QString refusal;
    };
    // What became of the entries of one unpacking, by the path each was written to.
    struct Unpacked
    {
        QHash<QString, QString> problems;
        QHash<QString, bool> written;
        QString archiveError;
        bool stopped = false;
    };
    enum class Step
    {
        Next,
        Stop,
        Cancel,
    };

    std::optional<Outcome> prepare();
    bool readRestoreList();
    Outcome restoreArchive();
    Outcome restoreEachFile();
    Step restoreOneFile(const QString& path, int mode, bool isProtected);
    Step place(const QString& path, const QString& workFile, const Target& target, bool finalCopy);
    Unpacked unpack(const QString& archive, const QString& folder, bool useFolderNames, const QString& logLine);
    Target targetFor(const QString& path) const;
    // Decrypts the fetched .bf file to the same name without ".bf" and removes it. nullopt when
    // decrypted, else why not ("" for a stop).
    std::optional<QString> decrypt(const QString& workFile);

    Outcome complete();
    Outcome stop();
    bool stopRequested() const;
    void setStatus(const QString& text);
    void advanceDots();
    void fail(const QString& what, const QString& reason);
    void cancelFrom(qsizetype index);

    RestoreRequest m_request;
    RestoreSummary m_summary;
    QStringList m_paths;
    QString m_status;
    // The private work folder, ending with "/".
    QString m_work;
    // The loaded set's archive name, taken when the run starts.
    QString m_archiveName;
    QString m_newFolder;
};

} // namespace restore
