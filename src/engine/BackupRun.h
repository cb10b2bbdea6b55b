#pragma once

#include <functional>
#include <optional>

#include <QDateTime>
#include <QString>
#include <QStringList>

#include "core/BackupSet.h"
#include "engine/FolderDelivery.h"
#include "engine/RunRecorder.h"
#include "platform/RunContext.h"

namespace engine
{

// How a run ended, for the run window.
struct RunResult
{
    // The run left through its cancelled ending: it was stopped, or a failure broke it off.
    bool cancelled = false;
    FinalStatus status;
};

// One run of the loaded set (the program's CurrentSet and strSetText, copied when the run starts, so
// that a set loaded meanwhile takes nothing of the run): collects the files of its FILES lines,
// packs and protects them as the set asks, delivers them to its current destination or to every
// destination, records each outcome in the set's document and has the main window load the set
// again. Work copies (archives, .bf files, the working lists) are made in the run's private work
// folder, never beside the sources, and the folder is removed when the run ends, however it ends.
// The run asks its context whether to stop at every step and yields to it between files and
// chunks, so the run window's buttons and timers keep working inside it.
class BackupRun
{
public:
    explicit BackupRun(platform::RunContext& context)
        : m_run(context)
    { }

    RunResult run();

    // Starts and ends the run window's FTP connect limit (see FtpDelivery).
    std::function<void(bool on)> watchConnect;

private:
    RunResult road(core::BackupSetInfo& set, const QStringList& filesLines, RunRecorder& recorder);
    RunResult cancelled(core::BackupSetInfo& set, RunRecorder& recorder);
    bool buildArchive(const core::BackupSetInfo& set);
    bool protectArchive(const core::BackupSetInfo& set);
    PreparedFile prepareFile(const core::BackupSetInfo& set, const QString& source);

    platform::RunContext& m_run;
    // The single archive of a set that packs everything into one (Compression 1).
    QString m_archivePath;
    QString m_timestampFolder;
    // The set's version lines as the run began: what the deliveries must leave in place.
    QStringList m_versionLines;
    // Entries of the files that did not arrive or were left out of the archive.
    QString m_copyErrors;
    // How many of those every destination lacks: paths not found or not read by the collection,
    // files left out of the single archive.
    qint64 m_missingEverywhere = 0;
};

} // namespace engine
