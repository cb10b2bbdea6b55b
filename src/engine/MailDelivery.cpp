#include "engine/MailDelivery.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QScopeGuard>

#include "core/ErrorReport.h"
#include "core/ProgramState.h"
#include "core/RunLog.h"
#include "core/SetDocument.h"
#include "core/WorkFolder.h"
#include "mail/MailSender.h"
#include "platform/EventLoop.h"

namespace engine
{
namespace
{
QString fail(MailDeliveryResult& result, const QString& reason)
{
    core::state().strFailureReason = reason;
    core::LogEvent(reason);
    result.setOutcome(platform::Result::failure(reason));
    return reason;
}
} // namespace

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
    if (m_run.stopRequested()) {
        result.setOutcome(platform::Result::stop());
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
        if (!collectEachFile(set, attachments, result)) {
            if (m_run.stopRequested())
                result.setOutcome(platform::Result::stop());
            else
                result.setOutcome(platform::Result::failure(core::state().strFailureReason));
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
    if (m_run.stopRequested()) {
        result.setOutcome(platform::Result::stop());
        return result;
    }

    m_run.showStatus(QStringLiteral("Connecting to mail server"));
    m_run.yield();
    core::LogEvent(QStringLiteral("Sending Mail"));
    mail::mailValues().strAttachments = attachments.join(QStringLiteral("\r\n"));

    // The sender reads the recipient and subject from the loaded set: it is the run's set while the
    // mail is under way (a run's mail may wait for a test mail and start later).
    const core::BackupSetInfo loaded = program.CurrentSet;
    program.CurrentSet = set;
    program.MailIsTest = false;
    mail::MailSender& sender = mail::MailSender::instance();
    sender.setRunStatus([this](const QString& text) { m_run.showStatus(text); });
    const auto restore = qScopeGuard([&] {
        sender.setRunStatus({});
        if (program.CurrentSet.ItemName == set.ItemName && loaded.ItemName != set.ItemName)
            program.CurrentSet = loaded;
    });
    mail::SendEmail();
    while (!program.bMailDone) {
        if (m_run.stopRequested()) {
            result.setOutcome(platform::Result::stop());
            return result;
        }
        platform::waitWhile([&] { return !program.bMailDone && !m_run.stopRequested(); }, 200);
    }
    if (m_run.stopRequested()) {
        result.setOutcome(platform::Result::stop());
        return result;
    }

    for (const QString& path : sender.lastOutcome().notAttached) {
        result.copyErrors += copyErrorEntry(core::err::FileNotFound, QStringLiteral("File not attached"), path);
        result.failedFiles << path;
    }
    result.setOutcome(program.bMailSuccess ? platform::Result::success()
                                           : platform::Result::failure(program.strFailureReason));
    return result;
}

bool MailDelivery::collectEachFile(const core::BackupSetInfo& set, QStringList& attachments, MailDeliveryResult& result)
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
        if (m_run.stopRequested())
            return false;
        const PreparedFile prepared = prepareFile ? prepareFile(source) : PreparedFile {source, {}, {}, {}};
        m_workFiles += prepared.workFiles;
        if (m_run.stopRequested())
            return false;
        if (!prepared.error.isEmpty()) {
            core::LogEvent(QStringLiteral("Could not prepare ") + source + QStringLiteral(": ") + prepared.error);
            result.copyErrors += copyErrorEntry(core::err::PathFileAccess, prepared.error, source);
            result.failedFiles << source;
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
        m_run.yield();
    }
    return true;
}

} // namespace engine
