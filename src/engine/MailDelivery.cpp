#include "engine/MailDelivery.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QScopeGuard>

#include "core/ErrorReport.h"
#include "core/FileSystemHelpers.h"
#include "core/ProgramState.h"
#include "core/RunLog.h"
#include "core/SetDocument.h"
#include "mail/MailSender.h"
#include "platform/EventLoop.h"

namespace engine
{
namespace
{
bool stopRequested()
{
    return core::state().bStopBackup;
}

QString fail(MailDeliveryResult& result, const QString& reason)
{
    core::state().strFailureReason = reason;
    core::LogEvent(reason);
    result.outcome = MailDeliveryResult::Outcome::Failed;
    result.reason = reason;
    return reason;
}
} // namespace

void MailDelivery::setStatus(const QString& text)
{
    if (showStatus)
        showStatus(text);
}

MailDeliveryResult MailDelivery::deliver(core::BackupSetInfo& set, const QString& archivePath)
{
    MailDeliveryResult result;
    m_workFiles.clear();
    m_workFolders.clear();
    // Work copies go however the mail ends; the single archive stays for later destinations.
    const auto cleanUp = qScopeGuard([this] {
        for (const QString& file : std::as_const(m_workFiles))
            QFile::remove(file);
        for (const QString& folder : std::as_const(m_workFolders))
            QDir(folder).removeRecursively();
    });

    core::LogEvent(QStringLiteral("Performing Email Backup"));
    if (stopRequested()) {
        result.outcome = MailDeliveryResult::Outcome::Stopped;
        return result;
    }
    set.RunDestType = core::DestinationType::Email;

    QStringList attachments;
    switch (set.Compression) {
    case core::CompressionMode::OneArchive:
        attachments << archivePath;
        break;
    case core::CompressionMode::EachFile:
    case core::CompressionMode::ArchivePerFile:
        if (!collectEachFile(set, attachments, result.copyErrors)) {
            if (stopRequested())
                result.outcome = MailDeliveryResult::Outcome::Stopped;
            else
                result.reason = core::state().strFailureReason;
            return result;
        }
        break;
    default:
        fail(result, QStringLiteral("The compression mode %1 is not known").arg(core::storedCode(set.Compression)));
        return result;
    }

    core::ProgramState& program = core::state();
    program.bMailSuccess = false;
    program.bMailDone = false;
    if (stopRequested()) {
        result.outcome = MailDeliveryResult::Outcome::Stopped;
        return result;
    }

    setStatus(QStringLiteral("Connecting to mail server"));
    platform::doEvents();
    core::LogEvent(QStringLiteral("Sending Mail"));
    mail::mailValues().strAttachments = attachments.join(QStringLiteral("\r\n"));

    // The sender reads the recipient and subject from the loaded set: it is the run's set while the
    // mail is under way (a run's mail may wait for a test mail and start later).
    const core::BackupSetInfo loaded = program.CurrentSet;
    program.CurrentSet = set;
    program.MailIsTest = false;
    mail::MailSender& sender = mail::MailSender::instance();
    sender.setRunStatus(showStatus);
    const auto restore = qScopeGuard([&] {
        sender.setRunStatus({});
        if (program.CurrentSet.ItemName == set.ItemName && loaded.ItemName != set.ItemName)
            program.CurrentSet = loaded;
    });
    mail::SendEmail();
    while (!program.bMailDone) {
        if (stopRequested()) {
            result.outcome = MailDeliveryResult::Outcome::Stopped;
            return result;
        }
        platform::waitWhile([&program] { return !program.bMailDone && !program.bStopBackup; }, 200);
    }
    if (stopRequested()) {
        result.outcome = MailDeliveryResult::Outcome::Stopped;
        return result;
    }

    for (const QString& path : sender.lastOutcome().notAttached)
        result.copyErrors += copyErrorEntry(core::err::FileNotFound, QStringLiteral("File not attached"), path);
    if (program.bMailSuccess) {
        result.outcome = MailDeliveryResult::Outcome::Delivered;
    } else {
        result.outcome = MailDeliveryResult::Outcome::Failed;
        result.reason = program.strFailureReason;
    }
    return result;
}

bool MailDelivery::collectEachFile(const core::BackupSetInfo& set, QStringList& attachments, QString& copyErrors)
{
    QString unreadable;
    const std::optional<QStringList> sources = core::readSetFileList(set.ItemName, unreadable);
    if (!sources) {
        MailDeliveryResult ignored;
        fail(ignored, unreadable);
        return false;
    }
    const QString work
        = set.Compression == core::CompressionMode::ArchivePerFile || set.ProtectData == core::ProtectionMode::Blowfish
        ? core::WinTmpDir()
        : QString();
    for (const QString& source : *sources) {
        if (stopRequested())
            return false;
        const PreparedFile prepared = prepareFile ? prepareFile(source) : PreparedFile {source, {}, {}, {}};
        m_workFiles += prepared.workFiles;
        if (stopRequested())
            return false;
        if (!prepared.error.isEmpty()) {
            core::LogEvent(QStringLiteral("Could not prepare ") + source + QStringLiteral(": ") + prepared.error);
            copyErrors += copyErrorEntry(core::err::PathFileAccess, prepared.error, source);
            continue;
        }
        QString path = prepared.path;
        // Work copies are named after their source alone: each moves to a folder of its own.
        if (path != source && !work.isEmpty()) {
            const QString folder = work + QStringLiteral("mail-%1/").arg(attachments.size() + 1);
            QDir().mkpath(folder);
            m_workFolders << folder;
            const QString own = folder + prepared.name;
            if (QFile::rename(path, own))
                path = own;
        }
        attachments << path;
        platform::doEvents();
    }
    return true;
}

} // namespace engine
