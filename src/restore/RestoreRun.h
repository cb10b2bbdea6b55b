#pragma once

#include <functional>
#include <memory>
#include <optional>

#include <QString>
#include <QStringList>

#include "core/VersionLine.h"
#include "platform/PendingFile.h"
#include "platform/Result.h"
#include "platform/ZipReader.h"
#include "restore/LinkFreeFolders.h"
#include "restore/PlacedFileSystems.h"
#include "restore/RestoreSummary.h"
#include "restore/VersionFetch.h"

namespace platform
{
class RunContext;
}

namespace restore
{

using core::VersionLine;

class ArchiveEntries;
class OverwriteQuestion;
class PlaceResult;

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

// Restores one version of the loaded set (CurrentSet) from the folder or FTP server it was delivered
// to: reads the restore list, fetches the version's files or archive into a private work folder below tmp/,
// decrypts them there, unpacks each chosen file beside its target (or copies it there) and places
// it, asking before an existing file is replaced (PlaceFile, through `question`). A file that cannot be fetched,
// decrypted or unpacked whole is listed and never placed. The work folder is removed when the run
// ends in any way.
//
// The run shows its status, yields and looks for a stop through `run` at fixed points; a stop ends
// it at once (Stopped), logging nothing more.
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

    RestoreRun(RestoreRequest request, platform::RunContext& run, OverwriteQuestion& question);
    ~RestoreRun();
    RestoreRun(const RestoreRun&) = delete;
    RestoreRun& operator=(const RestoreRun&) = delete;

    Outcome run();
    const RestoreSummary& summary() const { return m_summary; }

    // Starts (true) and ends (false) the window's connect limit around each FTP connect attempt.
    std::function<void(bool on)> watchConnect;

private:
    // Where one chosen path goes, or why it cannot be restored.
    struct Target
    {
        QString relative;
        QString target;
        QString refusal;
    };
    enum class Step
    {
        Next,
        Stop,
        Cancel,
        // Nothing more can be fetched.
        End,
    };

    std::optional<Outcome> prepare();
    bool readRestoreList();
    Outcome restoreArchive();
    Outcome restoreEachFile();
    // Restores the chosen paths one by one, showing each; a Cancel leaves the rest unrestored.
    Outcome restorePaths(const std::function<Step(const QString& path)>& restoreOne);
    Step restoreOneFile(const QString& path, int mode, bool isProtected);
    Step place(const QString& path, const QString& workFile, const Target& target, bool finalCopy);
    // Unpacks the entry for its target and places it there; the log names it as `shownAs`.
    Step placeEntry(const QString& path, ArchiveEntries& archive, const platform::ZipEntryInfo& entry,
                    const Target& target, const QString& shownAs, bool finalCopy);
    // Makes the target's folders, once a run; false (and the path failed) when they cannot be made.
    bool makeFoldersOf(const QString& path, const Target& target);
    Step counted(const QString& path, const Target& target, const PlaceResult& placed);
    // Opens a fetched archive to place its entries, listing the entries it refuses.
    platform::Result openArchive(ArchiveEntries& archive, const QString& workFile, bool useFolderNames,
                                 const QString& logLine);
    Target targetFor(const QString& path) const;
    // Decrypts the fetched .bf file to the same name without ".bf" and removes it.
    platform::Result decrypt(const QString& workFile);

    Outcome complete();
    Outcome stop();
    void setStatus(const QString& text);
    void advanceDots();
    void fail(const QString& what, const QString& reason);
    // A chosen path that failed.
    void failPath(const QString& path, const QString& reason);
    void cancelFrom(qsizetype index);

    RestoreRequest m_request;
    platform::RunContext& m_run;
    OverwriteQuestion& m_question;
    RestoreSummary m_summary;
    QStringList m_paths;
    QString m_status;
    // The private work folder, ending with "/".
    QString m_work;
    // The loaded set's archive name, taken when the run starts.
    QString m_archiveName;
    QString m_newFolder;
    // Brings the version's files from its folder or server, once the run has a work folder.
    std::unique_ptr<VersionFetch> m_fetch;
    TargetFolders m_folders;
    PlacedFileSystems m_placedOn;
    // The temporary names the run gives files beside their targets, noted in its work folder so that
    // the next start removes them should the program be killed.
    std::optional<platform::TemporaryNames> m_names;
};

} // namespace restore
