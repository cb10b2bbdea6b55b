#include "restore/cUnzip.h"

#include <algorithm>
#include <functional>

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QSet>

#include "core/ErrorReport.h"
#include "platform/PendingFile.h"
#include "restore/ArchiveEntries.h"
#include "restore/LinkFreeFolders.h"
#include "restore/OverwriteQuestion.h"

namespace restore
{
namespace
{
using platform::ZipEntryInfo;
using platform::ZipEntryKind;
using platform::ZipReadStatus;

QString methodName(int method)
{
    switch (method) {
    case 0:
        return QStringLiteral("Stored");
    case 8:
        return QStringLiteral("Deflated");
    case 9:
        return QStringLiteral("Deflate64");
    case 12:
        return QStringLiteral("BZip2");
    case 14:
        return QStringLiteral("LZMA");
    case 93:
        return QStringLiteral("Zstandard");
    case 95:
        return QStringLiteral("XZ");
    default:
        return QStringLiteral("Method %1").arg(method);
    }
}

QString folderPart(const QString& relative)
{
    const qsizetype slash = relative.lastIndexOf(QLatin1Char('/'));
    return slash < 0 ? QString() : relative.left(slash);
}

QString lastPart(const QString& relative)
{
    return relative.mid(relative.lastIndexOf(QLatin1Char('/')) + 1);
}
} // namespace

// The state of one Unzip.
struct cUnzip::Pass
{
    explicit Pass(platform::RunContext& context)
        : run(context)
    { }

    platform::RunContext& run;
    platform::ZipReader reader;
    QString root;
    // Made once the root is known.
    std::optional<FolderMaker> folders;
    bool stopped = false;
    bool replaceAll = false;
    bool replaceNone = false;
    QByteArray password;
    bool passwordRefused = false;
};

cUnzip::cUnzip(QObject* parent)
    : QObject(parent)
{ }

cUnzip::~cUnzip() = default;

void cUnzip::setZipFile(const QString& sFile)
{
    m_zipFile = sFile;
    m_listing.clear();
}

const cUnzip::Entry* cUnzip::entryAt(qint64 lIndex, const char* property) const
{
    if (lIndex >= 1 && lIndex <= m_listing.size())
        return &m_listing.at(lIndex - 1);
    core::reportFailure(QStringLiteral("cUnzip.%1(lIndex)").arg(QLatin1String(property)), {lIndex},
                        core::err::SubscriptOutOfRange, QStringLiteral("Subscript out of range"));
    return nullptr;
}

qint64 cUnzip::FileCompressionRatio(qint64 lIndex) const
{
    const Entry* entry = entryAt(lIndex, "FileCompressionRatio");
    if (!entry)
        return 0;
    return entry->size > 0 ? (entry->packedSize * 100 + entry->size / 2) / entry->size : 100;
}

void cUnzip::setFileSelected(qint64 lIndex, bool bState)
{
    if (entryAt(lIndex, "FileSelected"))
        m_listing[lIndex - 1].selected = bState;
}

qint32 cUnzip::Directory()
{
    m_listing.clear();
    m_archiveError.clear();
    platform::ZipReader reader;
    if (!reader.open(m_zipFile)) {
        m_archiveError = reader.errorString();
        return 0;
    }
    for (const ZipEntryInfo& info : reader.entries()) {
        QString name = info.name;
        name.replace(QLatin1Char('\\'), QLatin1Char('/'));
        const qsizetype slash = name.lastIndexOf(QLatin1Char('/'));
        Entry entry;
        entry.archiveIndex = info.index;
        entry.name = name.mid(slash + 1);
        entry.folder = slash < 0 ? QString() : name.left(slash);
        // Folder entries have no name of their own and are not listed.
        if (entry.name.isEmpty() || info.kind == ZipEntryKind::Folder)
            continue;
        entry.size = info.size;
        entry.packedSize = info.compressedSize;
        entry.method = methodName(info.method);
        entry.date = info.modified;
        entry.crc = info.crc;
        entry.encrypted = info.encrypted;
        m_listing << entry;
    }
    return 0;
}

platform::Result cUnzip::Unzip(platform::RunContext& run)
{
    m_results.clear();
    m_archiveError.clear();
    if (m_zipFile.isEmpty())
        return platform::Result::failure(QStringLiteral("No archive to unzip"));
    const auto unreadable = [this](const QString& reason) {
        m_archiveError = reason;
        return platform::Result::failure(reason);
    };
    if (m_unzipFolder.isEmpty() && !m_testZip)
        return unreadable(QStringLiteral("No folder to unzip to"));

    Pass pass(run);
    if (!pass.reader.open(m_zipFile))
        return unreadable(pass.reader.errorString());
    if (!m_testZip) {
        pass.root = QDir::cleanPath(QDir(m_unzipFolder).absolutePath());
        if (!QDir().mkpath(pass.root))
            return unreadable(QStringLiteral("cannot make folder %1").arg(pass.root));
        pass.folders.emplace(pass.root);
    }

    // Without a listing, or with every listed entry chosen, the whole archive is unpacked.
    QSet<qint64> chosen;
    bool everything = true;
    for (const Entry& entry : std::as_const(m_listing)) {
        if (entry.selected)
            chosen.insert(entry.archiveIndex);
        else
            everything = false;
    }
    if (m_listing.isEmpty())
        everything = true;

    for (const ZipEntryInfo& entry : pass.reader.entries()) {
        if (!everything && !chosen.contains(entry.index))
            continue;
        if (run.stopRequested()) {
            pass.stopped = true;
            break;
        }
        const std::optional<UnzipResult> result = unpackEntry(pass, entry);
        if (!result)
            continue;
        m_results << *result;
        report(pass, *result);
        if (result->outcome == UnzipOutcome::Stopped)
            break;
    }

    if (pass.stopped)
        return platform::Result::stop(QStringLiteral("stopped"));
    const auto failures = std::count_if(m_results.cbegin(), m_results.cend(),
                                        [](const UnzipResult& result) { return !result.succeeded(); });
    if (failures > 0)
        return platform::Result::failure(QStringLiteral("%1 of the entries could not be unpacked").arg(failures));
    return platform::Result::success();
}

std::optional<UnzipResult> cUnzip::unpackEntry(Pass& pass, const ZipEntryInfo& entry)
{
    UnzipResult result;
    result.entry = entry.name;
    const platform::ZipEntryPath safe = platform::zipEntryRelativePath(entry.name);
    if (!safe.path) {
        result.outcome = UnzipOutcome::Refused;
        result.reason = safe.refusal;
        return result;
    }
    if (entry.kind == ZipEntryKind::Link || entry.kind == ZipEntryKind::Special) {
        result.outcome = UnzipOutcome::Refused;
        result.reason = entry.kind == ZipEntryKind::Link ? QStringLiteral("link") : QStringLiteral("not a plain file");
        return result;
    }

    QString relative = m_useFolderNames ? *safe.path : lastPart(*safe.path);
    if (m_spaceToUnderScore)
        relative.replace(QLatin1Char(' '), QLatin1Char('_'));

    if (entry.kind == ZipEntryKind::Folder) {
        // Only a kept folder structure has folders to make.
        if (m_testZip || !m_useFolderNames)
            return std::nullopt;
        result.target = pass.root + QLatin1Char('/') + relative;
        const FoldersResult folders = pass.folders->make(relative);
        result.reason = folders.reason();
        result.outcome = folders.succeeded() ? UnzipOutcome::Written
            : folders.refused                ? UnzipOutcome::Refused
                                             : UnzipOutcome::Failed;
        return result;
    }

    if (m_testZip) {
        if (entry.encrypted && !passwordFor(pass)) {
            result.outcome = UnzipOutcome::Damaged;
            result.reason = QStringLiteral("no password");
            return result;
        }
        const ZipReadStatus status = readEntry(pass, entry, [](const char*, qint64) { return true; });
        if (status == ZipReadStatus::Ok)
            result.outcome = UnzipOutcome::Tested;
        else
            readFailed(pass, status, result);
        return result;
    }

    result.target = pass.root + QLatin1Char('/') + relative;
    const FoldersResult folders = pass.folders->make(folderPart(relative));
    if (!folders.succeeded()) {
        result.outcome = folders.refused ? UnzipOutcome::Refused : UnzipOutcome::Failed;
        result.reason = folders.reason();
        return result;
    }
    return writeFile(pass, entry, result.target);
}

UnzipResult cUnzip::writeFile(Pass& pass, const ZipEntryInfo& entry, const QString& target)
{
    UnzipResult result;
    result.entry = entry.name;
    result.target = target;

    switch (pathState(target)) {
    case PathState::Missing:
        break;
    case PathState::File:
        if (!askOverwrite(pass, entry, target, result.reason)) {
            result.outcome = UnzipOutcome::Kept;
            return result;
        }
        break;
    case PathState::Link:
        result.outcome = UnzipOutcome::Refused;
        result.reason = QStringLiteral("%1 is a link").arg(target);
        return result;
    default:
        result.outcome = UnzipOutcome::Failed;
        result.reason = QStringLiteral("%1 is not a file").arg(target);
        return result;
    }

    if (entry.encrypted && !passwordFor(pass)) {
        result.outcome = UnzipOutcome::Damaged;
        result.reason = QStringLiteral("no password");
        return result;
    }

    platform::PendingFile out(target);
    ZipReadStatus status = ZipReadStatus::Ok;
    const UnzipResult written = restore::unpackEntry(pass.reader, entry, out, pass.run, pass.password, &status);
    result.outcome = written.outcome;
    result.reason = written.reason;
    if (written.outcome == UnzipOutcome::Stopped)
        pass.stopped = true;
    // The next encrypted entry asks again.
    if (status == ZipReadStatus::WrongPassword)
        pass.password.clear();
    if (written.outcome != UnzipOutcome::Written)
        return result;
    if (!out.place()) {
        result.outcome = UnzipOutcome::Failed;
        result.reason = out.reason();
    }
    return result;
}

ZipReadStatus cUnzip::readEntry(Pass& pass, const ZipEntryInfo& entry,
                                const std::function<bool(const char*, qint64)>& sink)
{
    return pass.reader.read(
        entry.index,
        [&](const char* data, qint64 size) {
            if (!sink(data, size))
                return false;
            pass.run.yield();
            return !pass.run.stopRequested();
        },
        entry.encrypted ? pass.password : QByteArray());
}

void cUnzip::readFailed(Pass& pass, ZipReadStatus status, UnzipResult& result)
{
    if (status == ZipReadStatus::Interrupted) {
        pass.stopped = true;
        result.outcome = UnzipOutcome::Stopped;
        result.reason = QStringLiteral("stopped");
        return;
    }
    // The next encrypted entry asks again.
    if (status == ZipReadStatus::WrongPassword)
        pass.password.clear();
    result.outcome = UnzipOutcome::Damaged;
    result.reason = status == ZipReadStatus::WrongPassword ? QStringLiteral("wrong password or damaged entry")
                                                           : pass.reader.errorString();
}

bool cUnzip::askOverwrite(Pass& pass, const ZipEntryInfo& entry, const QString& target, QString& reason)
{
    if (m_extractOnlyNewer && entry.modified <= QFileInfo(target).lastModified()) {
        reason = QStringLiteral("the file there is not older");
        return false;
    }
    if (m_overwriteExisting || pass.replaceAll)
        return true;
    reason = QStringLiteral("a file is there");
    if (pass.replaceNone)
        return false;
    if (!m_promptToOverwrite)
        return m_extractOnlyNewer;
    if (!m_question)
        return false;
    switch (m_question->ask(target, entry.name, pass.run).value_or(OverwriteAnswer::No)) {
    case OverwriteAnswer::YesToAll:
        pass.replaceAll = true;
        return true;
    case OverwriteAnswer::Yes:
        return true;
    case OverwriteAnswer::NoToAll:
        pass.replaceNone = true;
        return false;
    case OverwriteAnswer::No:
    case OverwriteAnswer::Cancel:
        break;
    }
    return false;
}

bool cUnzip::passwordFor(Pass& pass)
{
    if (!pass.password.isEmpty())
        return true;
    if (pass.passwordRefused)
        return false;
    QString answer;
    bool cancel = false;
    emit PasswordRequest(answer, cancel);
    answer = answer.trimmed();
    if (answer.isEmpty() || cancel) {
        pass.passwordRefused = true;
        return false;
    }
    pass.password = answer.toUtf8();
    return true;
}

void cUnzip::report(Pass& pass, const UnzipResult& result)
{
    const bool problem = !result.succeeded();
    if (m_messageLevel >= 2 || (m_messageLevel == 1 && !problem))
        return;
    QString text;
    switch (result.outcome) {
    case UnzipOutcome::Written:
        text = QStringLiteral("  inflating: %1").arg(result.target);
        break;
    case UnzipOutcome::Tested:
        text = QStringLiteral("    testing: %1   OK").arg(result.entry);
        break;
    case UnzipOutcome::Kept:
        text = QStringLiteral("    keeping: %1 (%2)").arg(result.target, result.reason);
        break;
    default:
        text = QStringLiteral("   skipping: %1 (%2)").arg(result.entry, result.reason);
        break;
    }
    pass.run.showStatus(text);
}

void cUnzip::GetVersion(qint32& lMajor, qint32& lMinor, qint32& lRevision, QDateTime&, QString& sExtraInfo) const
{
    const QStringList parts = platform::ZipReader::libraryVersion().split(QLatin1Char('.'));
    lMajor = parts.value(0).toInt();
    lMinor = parts.value(1).toInt();
    lRevision = parts.value(2).toInt();
    sExtraInfo.clear();
}

} // namespace restore
