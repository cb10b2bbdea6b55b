#pragma once

#include <functional>

#include <QString>
#include <QStringList>

#include "core/BackupSet.h"
#include "core/ProgramRun.h"
#include "engine/FolderDelivery.h"

namespace engine
{

// How a delivery by e-mail ended. Succeeded: the server accepted the mail. Failed: it was not sent
// or not accepted (the reason is also the run's strFailureReason). Stopped: the run ends through
// its cancelled ending.
struct MailDeliveryResult : platform::Result
{
    // Entries of the listed files that could not be prepared or attached, as folder delivery
    // names the files that did not arrive.
    QString copyErrors;
    // Those files.
    QStringList failedFiles;
};

// Mails one run of a set to the recipient of its current destination: the single archive, or each
// listed file as the set packs and protects it. Per-file work copies get a folder each in the
// run's work folder, so sources named alike both arrive, and are removed when the mail has ended.
// The single archive is left for the destinations after this one.
class MailDelivery
{
public:
    explicit MailDelivery(platform::RunContext& run = core::programRun())
        : m_run(run)
    { }

    // `set` is the run's copy of the set, its CurrentDestination the destination mailed to;
    // `archivePath` the run's single archive (Compression 1). Sets the set's RunDestType.
    MailDeliveryResult deliver(core::BackupSetInfo& set, const QString& archivePath);

    // Packs and protects one source file as the set asks.
    std::function<PreparedFile(const QString& source)> prepareFile;

private:
    bool collectEachFile(const core::BackupSetInfo& set, QStringList& attachments, MailDeliveryResult& result);

    platform::RunContext& m_run;
    QStringList m_workFiles;
    QStringList m_workFolders;
};

} // namespace engine
