#include "main_window/SetLoader.h"

#include <QFile>
#include <QScopeGuard>

#include "core/ErrorReport.h"
#include "core/NextRunTime.h"
#include "core/ProgramState.h"
#include "core/ProjectTextCoding.h"
#include "core/RunLog.h"
#include "core/SetDocument.h"
#include "core/SetDocumentParser.h"
#include "core/SetText.h"
#include "platform/Clock.h"

namespace main_window
{
namespace
{
const QString Location = QStringLiteral("frmMain.LoadBackup(bFromFile,strBackupname)");
} // namespace

void SetLoader::setSyncVersions(SyncVersionsFunction syncVersions)
{
    m_syncVersions = std::move(syncVersions);
}

SetLoader::Result SetLoader::fail(const QString& setName, qint32 number, const QString& reason)
{
    core::reportFailure(Location, {false, setName}, number, reason);
    core::state().CurrentSet.LoadFailed = true;
    Result result;
    result.outcome = Outcome::Failed;
    result.setName = setName;
    result.reason = reason;
    return result;
}

SetLoader::Result SetLoader::LoadBackup(const QString& strBackupname)
{
    if (m_loading) {
        Result refused;
        refused.outcome = Outcome::Refused;
        refused.setName = strBackupname;
        refused.reason
            = QStringLiteral("The set \"%1\" is not loaded while another set is being loaded.").arg(strBackupname);
        return refused;
    }
    m_loading = true;
    const auto done = qScopeGuard([this] { m_loading = false; });

    if (const auto error = core::setNameError(strBackupname))
        return fail(strBackupname, core::err::InvalidArgument, *error);
    QFile file(core::setDocumentPath(strBackupname));
    if (!file.exists())
        return fail(strBackupname, core::err::FileNotFound,
                    QStringLiteral("The document of the set \"%1\" does not exist.").arg(strBackupname));
    if (!file.open(QIODevice::ReadOnly))
        return fail(strBackupname, core::err::PermissionDenied,
                    QStringLiteral("Cannot read \"%1\": %2").arg(file.fileName(), file.errorString()));
    const QByteArray bytes = file.readAll();
    if (file.error() != QFileDevice::NoError)
        return fail(strBackupname, core::err::PathFileAccess,
                    QStringLiteral("Cannot read \"%1\": %2").arg(file.fileName(), file.errorString()));
    const QString text = bytes.isEmpty() ? QString() : core::DecodeProjectText(bytes);
    if (text.isEmpty())
        return fail(strBackupname, core::err::InvalidArgument,
                    QStringLiteral("The document of the set \"%1\" is empty.").arg(strBackupname));

    core::ParseResult parsed = core::parseSetDocument(text);
    if (!parsed.parsed)
        return fail(strBackupname, parsed.number,
                    QStringLiteral("The document of the set \"%1\" is damaged: %2").arg(strBackupname, parsed.reason));

    // The set is known by its document's name, so that every later save goes back to this document
    // even when the name stored inside differs.
    core::ParsedSet& loaded = *parsed.parsed;
    loaded.set.ItemName = strBackupname;
    loaded.set.LoadFailed = false;

    Result result;
    result.outcome = Outcome::Loaded;
    result.setName = strBackupname;
    if (loaded.set.Schedule.Scheduler)
        result.nextRunTime
            = core::CalculateDate(core::sectionText(text, QStringLiteral("SCHEDULER")), platform::clock().now());
    result.fileRows = fileViewRows(loaded.files, loaded.excludes);

    core::ProgramState& program = core::state();
    program.CurrentSet = std::move(loaded.set);
    program.strSetText = text;
    m_globalfiles = std::move(loaded.files);
    m_globalexcludes = std::move(loaded.excludes);
    m_globalVersions = std::move(loaded.versions);

    // Pruning reads CurrentSet, so it runs on the set just taken over.
    applyKeepingRule(strBackupname);
    return result;
}

void SetLoader::applyKeepingRule(const QString& setName)
{
    core::ProgramState& program = core::state();
    const core::BackupSetInfo& set = program.CurrentSet;
    if (!set.UseTimeStamp || set.DeleteBackups != 1)
        return;
    QStringList versions;
    for (const QString& line : std::as_const(m_globalVersions)) {
        if (!line.isEmpty())
            versions << line;
    }
    int keep = set.KeepVersions;
    int quantity = static_cast<int>(versions.size());
    if (quantity <= keep)
        return;
    if (keep < 0) {
        core::reportFailure(
            Location, {false, setName}, core::err::InvalidArgument,
            QStringLiteral("The set \"%1\" keeps %2 versions; no version is deleted.").arg(setName).arg(keep));
        return;
    }
    if (!m_syncVersions)
        return;

    m_syncVersions(versions, keep, quantity, program.strSetText);
    m_globalVersions = core::sectionLines(program.strSetText, QStringLiteral("VERSIONS"));
    if (const platform::Result saved = core::SaveProject(setName, program.strSetText); !saved) {
        core::LogEvent(QStringLiteral("The set \"%1\" could not be saved: %2").arg(setName, saved.reason()));
        core::reportFailure(Location, {false, setName}, core::Err().Number, saved.reason());
    }
}

} // namespace main_window
