#pragma once

#include <functional>

#include <QString>
#include <QStringList>

#include "core/BackupSet.h"
#include "engine/FolderDelivery.h"

namespace engine
{

// How a delivery by e-mail ended.
struct MailDeliveryResult
{
    enum class Outcome
    {
        // The server accepted the mail.
        Delivered,
        // The mail was not sent or not accepted; `reason` says why (also the run's strFailureReason).
        Failed,
        // The run's stop request was seen; the run ends through its cancelled ending.
        Stopped,
    };
    Outcome outcome = Outcome::Failed;
    QString reason;
    // Entries of the listed files that could not be prepared or attached, as folder delivery
    // names the files that did not arrive.
    QString copyErrors;

    bool delivered() const { return outcome == Outcome::Delivered; }
};

// Mails one run of a set to the recipient of its current destination: the single archive, or each
// listed file as the set packs and protects it. Per-file work copies get a folder each in the
// run's work folder, so sources named alike both arrive, and are removed when the mail has ended.
// The single archive is left for the destinations after this one.
class MailDelivery
{
public:
    // `set` is the run's copy of the set, its CurrentDestination the destination mailed to;
    // `archivePath` the run's single archive (Compression 1). Sets the set's RunDestType.
    MailDeliveryResult deliver(core::BackupSetInfo& set, const QString& archivePath);

    // The run window's status text.
    std::function<void(const QString& text)> showStatus;
    // Packs and protects one source file as the set asks.
    std::function<PreparedFile(const QString& source)> prepareFile;

private:
    bool collectEachFile(const core::BackupSetInfo& set, QStringList& attachments, QString& copyErrors);
    void setStatus(const QString& text);

    QStringList m_workFiles;
    QStringList m_workFolders;
};

} // namespace engine
