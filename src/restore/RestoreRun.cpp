#include "restore/RestoreRun.h"

#include <algorithm>

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QScopeGuard>
#include <QSet>
#include <QTemporaryDir>

#include "core/FileSystemHelpers.h"
#include "core/PathHelpers.h"
#include "core/ProgramState.h"
#include "core/RunLog.h"
#include "core/WorkFolder.h"
#include "crypto/BackupFileCipher.h"
#include "platform/MirrorPath.h"
#include "platform/ProgramFolder.h"
#include "platform/RunContext.h"
#include "restore/ArchiveEntries.h"
#include "restore/LinkFreeFolders.h"
#include "restore/OverwriteQuestion.h"
#include "restore/RestoreList.h"
#include "restore/RestorePlacing.h"

namespace restore
{
namespace
{
const QString CrLf = QStringLiteral("\r\n");
// The status shows the next stage of its dots after this many lines of the restore list.
constexpr int LinesPerDot = 500;

// A full local path that stays where it says: it begins with "/" and has no ".." part.
bool isFullPath(const QString& path)
{
    return path.startsWith(QLatin1Char('/')) && !path.split(QLatin1Char('/')).contains(QStringLiteral(".."))
        && !path.contains(QChar(0));
}

QString withReason(const QString& what, const QString& reason)
{
    return what + QStringLiteral(" (") + reason + QLatin1Char(')');
}
} // namespace

RestoreRun::RestoreRun(RestoreRequest request, platform::RunContext& run, OverwriteQuestion& question)
    : m_request(std::move(request))
    , m_run(run)
    , m_question(question)
{ }

RestoreRun::~RestoreRun()
{
    if (!m_work.isEmpty())
        core::removeWorkFolder(m_work);
}

void RestoreRun::setStatus(const QString& text)
{
    m_status = text;
    m_run.showStatus(text);
}

void RestoreRun::advanceDots()
{
    QString text = m_status;
    if (text.contains(QStringLiteral("...")))
        text.remove(QStringLiteral("..."));
    else if (text.contains(QStringLiteral("..")))
        text.replace(QStringLiteral(".."), QStringLiteral("..."));
    else if (text.contains(QLatin1Char('.')))
        text.replace(QStringLiteral("."), QStringLiteral(".."));
    else
        text += QLatin1Char('.');
    setStatus(text);
}

void RestoreRun::fail(const QString& what, const QString& reason)
{
    m_summary.failedList << withReason(what, reason);
    core::LogEvent(QStringLiteral("Could not restore: ") + withReason(what, reason));
}

void RestoreRun::failPath(const QString& path, const QString& reason)
{
    ++m_summary.failed;
    fail(path, reason);
}

void RestoreRun::cancelFrom(qsizetype index)
{
    m_summary.cancelled = true;
    m_summary.notRestored = m_paths.size() - index;
}

RestoreRun::Outcome RestoreRun::run()
{
    if (m_run.stopRequested())
        return stop();

    const VersionLine& version = m_request.version;
    const bool ftp = version.kind() == VersionLine::Kind::Ftp;
    core::LogEvent(QStringLiteral("======================Performing Restore======================"));
    core::LogEvent(QStringLiteral("Name: ") + m_request.setName);
    core::LogEvent(QStringLiteral("Type: ") + (ftp ? QStringLiteral("2") : QStringLiteral("1")));
    core::LogEvent(QStringLiteral("Compression: ") + version.field(ftp ? 9 : 5));
    core::LogEvent(QStringLiteral("Encryption: ") + version.field(ftp ? 10 : 6));
    // A blanket answer of an earlier restore does not carry over.
    core::state().ReplaceAnswer = NoAnswer;
    if (ftp) {
        core::LogEvent(QStringLiteral("Host: ") + version.ftpHost());
        core::LogEvent(QStringLiteral("User: ") + version.ftpUser());
        core::LogEvent(QStringLiteral("Folder: ") + version.ftpFolder());
        core::LogEvent(QStringLiteral("Port: ") + version.ftpPort());
    } else {
        core::LogEvent(QStringLiteral("Backup Folder: ") + version.folder());
    }

    // The restore list, the archive name and the destination belong to the loaded set.
    if (loadedSetName() != m_request.setName) {
        m_summary.error = QStringLiteral("The set \"%1\" is no longer the set loaded in the main window, so nothing "
                                         "was restored.")
                              .arg(m_request.setName);
        return complete();
    }
    // Another set may be loaded while the run yields: what the run needs of the set is taken now.
    m_archiveName = core::state().CurrentSet.ZIPName;

    setStatus(QStringLiteral("[Building Restore List]"));
    const bool listRead = readRestoreList();
    if (m_run.stopRequested())
        return stop();
    if (!listRead)
        return complete();

    if (ftp) {
        setStatus(QStringLiteral("[Restoring from FTP]"));
        m_run.yield();
        core::LogEvent(QStringLiteral("-----------Performing FTP Restore--------------"));
    } else {
        setStatus(QStringLiteral("[Restoring from Local/Lan]"));
        m_run.yield();
    }
    if (m_run.stopRequested())
        return stop();
    if (!ftp)
        core::LogEvent(QStringLiteral("---------Restoring from Local/LAN---------"));
    if (const std::optional<Outcome> ended = prepare())
        return *ended;
    m_fetch = std::make_unique<VersionFetch>(version, core::state().CurrentSet, m_run);
    m_fetch->watchConnect = watchConnect;
    return version.compression() == 1 ? restoreArchive() : restoreEachFile();
}

bool RestoreRun::readRestoreList()
{
    QFile list(restoreListPath(m_request.setName));
    if (!list.open(QIODevice::ReadOnly)) {
        m_summary.error
            = QStringLiteral("The restore list %1 cannot be read: %2").arg(list.fileName(), list.errorString());
        return false;
    }
    // A path chosen twice is restored once.
    QSet<QString> seen;
    int lines = 0;
    while (!list.atEnd()) {
        QByteArray bytes = list.readLine();
        while (bytes.endsWith('\n') || bytes.endsWith('\r'))
            bytes.chop(1);
        const QString line = QString::fromUtf8(bytes);
        if (!line.isEmpty() && line != QLatin1String(" ") && !seen.contains(line)) {
            seen.insert(line);
            m_paths << line;
        }
        if (m_run.stopRequested())
            return false;
        m_run.yield();
        if (++lines == LinesPerDot) {
            advanceDots();
            lines = 0;
        }
    }
    if (list.error() != QFileDevice::NoError) {
        m_summary.error
            = QStringLiteral("The restore list %1 cannot be read: %2").arg(list.fileName(), list.errorString());
        m_paths.clear();
        return false;
    }
    return true;
}

std::optional<RestoreRun::Outcome> RestoreRun::prepare()
{
    const VersionLine& version = m_request.version;
    const bool ftp = version.kind() == VersionLine::Kind::Ftp;
    const int mode = version.compression();
    if (mode < 0 || mode > 2) {
        m_summary.error
            = QStringLiteral("The version's compression \"%1\" is not known.").arg(version.field(ftp ? 9 : 5));
        return complete();
    }
    if (version.protection() != 0 && version.protection() != 1) {
        m_summary.error
            = QStringLiteral("The version's protection \"%1\" is not known.").arg(version.field(ftp ? 10 : 6));
        return complete();
    }
    // A remote folder may be relative to the login folder: the server decides what it reaches.
    if (!ftp && !isFullPath(version.folder())) {
        m_summary.error = QStringLiteral("The version's folder \"%1\" is not a full path.").arg(version.folder());
        return complete();
    }
    // An absent folder (a drive not mounted) is one problem, not one per file.
    if (!ftp && !QFileInfo(version.folder()).isDir()) {
        m_summary.error = QStringLiteral("The version's folder \"%1\" cannot be found.").arg(version.folder());
        return complete();
    }
    if (!m_request.previousLocation) {
        if (!isFullPath(m_request.newFolder)) {
            m_summary.error
                = QStringLiteral("The folder to restore to, \"%1\", is not a full path.").arg(m_request.newFolder);
            return complete();
        }
        m_newFolder = QDir::cleanPath(m_request.newFolder);
        m_folders = TargetFolders(m_newFolder);
    }

    // A folder of the restore's own, so that a run's end, which clears the run's work folder, never
    // takes the restore's files along.
    const QString tmp = platform::ProgramFolder::file(QStringLiteral("tmp"));
    const bool tmpMade = platform::makePrivateFolder(tmp);
    // One restore runs at a time: a work folder there now was left by one that never ended, with
    // decrypted copies of protected files in it.
    const QStringList left = QDir(tmp).entryList({QStringLiteral("restore-*")}, QDir::Dirs | QDir::Hidden);
    for (const QString& folder : left)
        core::removeWorkFolder(tmp + QLatin1Char('/') + folder);
    QTemporaryDir work(core::workFolderPattern(QStringLiteral("restore-")));
    if (!tmpMade || !work.isValid()) {
        m_summary.error = QStringLiteral("No work folder can be made below %1: %2").arg(tmp, work.errorString());
        return complete();
    }
    work.setAutoRemove(false);
    m_work = work.path() + QLatin1Char('/');
    m_names.emplace(core::temporaryNamesList(m_work));
    return std::nullopt;
}

RestoreRun::Target RestoreRun::targetFor(const QString& path) const
{
    Target target;
    const std::optional<QString> relative = platform::mirrorRelativePath(path);
    if (!relative) {
        target.refusal = QStringLiteral("a path with \"..\" or without a name is never restored");
        return target;
    }
    target.relative = *relative;
    if (m_request.previousLocation) {
        if (!path.startsWith(QLatin1Char('/'))) {
            target.refusal = QStringLiteral("not a full path, so it has no previous location");
            return target;
        }
        target.target = QLatin1Char('/') + *relative;
    } else {
        target.target = core::JoinPath(m_newFolder, *relative);
    }
    return target;
}

platform::Result RestoreRun::decrypt(const QString& workFile)
{
    QString plain = workFile;
    plain.chop(3);
    const crypto::CipherResult result = crypto::DecryptBackupFile(workFile, plain, m_request.version.password());
    QFile::remove(workFile);
    if (result.stopped())
        return platform::Result::stop(result.reason());
    if (!result.succeeded())
        return platform::Result::failure(result.reason().isEmpty() ? QStringLiteral("it cannot be decrypted")
                                                                   : result.reason());
    return platform::Result::success();
}

platform::Result RestoreRun::openArchive(ArchiveEntries& archive, const QString& workFile, bool useFolderNames,
                                         const QString& logLine)
{
    setStatus(QStringLiteral("Status: Unzipping Files..."));
    m_run.yield();
    core::LogEvent(logLine);
    const platform::Result opened = archive.open(workFile, useFolderNames);
    // A name that would leave the folder has no path to be chosen by.
    for (const UnzipResult& refused : archive.refused())
        fail(refused.entry + QStringLiteral(" in ") + core::FileNameOf(workFile), refused.reason);
    return opened;
}

bool RestoreRun::makeFoldersOf(const QString& path, const Target& target)
{
    // A link below a new folder could lead anywhere: its folders are made without following one.
    const FoldersResult made = m_folders.makeFor(target.relative, target.target);
    if (!made.succeeded())
        failPath(path, made.reason());
    return made.succeeded();
}

RestoreRun::Step RestoreRun::counted(const QString& path, const Target& target, const PlaceResult& placed)
{
    switch (placed.outcome()) {
    case PlaceOutcome::Placed:
        ++m_summary.restored;
        m_placedOn.note(QFileInfo(target.target).path());
        break;
    case PlaceOutcome::Skipped:
        ++m_summary.skipped;
        break;
    case PlaceOutcome::Failed:
        failPath(path, placed.reason());
        break;
    case PlaceOutcome::Cancelled:
        return Step::Cancel;
    case PlaceOutcome::Stopped:
        return Step::Stop;
    }
    return Step::Next;
}

RestoreRun::Step RestoreRun::place(const QString& path, const QString& workFile, const Target& target, bool finalCopy)
{
    if (!makeFoldersOf(path, target))
        return Step::Next;
    return counted(path, target,
                   PlaceFile(workFile, target.target, m_question, m_run, finalCopy, m_names ? &*m_names : nullptr));
}

RestoreRun::Step RestoreRun::placeEntry(const QString& path, ArchiveEntries& archive,
                                        const platform::ZipEntryInfo& entry, const Target& target,
                                        const QString& shownAs, bool finalCopy)
{
    if (!makeFoldersOf(path, target))
        return Step::Next;
    platform::PendingFile pending(target.target, m_names ? &*m_names : nullptr);
    const UnzipResult unpacked = archive.unpack(entry, pending, m_run);
    if (unpacked.outcome == UnzipOutcome::Stopped)
        return Step::Stop;
    if (unpacked.outcome != UnzipOutcome::Written) {
        failPath(path, unpacked.reason);
        return Step::Next;
    }
    return counted(path, target, PlaceFile(pending, shownAs, m_question, m_run, finalCopy));
}

RestoreRun::Outcome RestoreRun::restoreArchive()
{
    if (m_run.stopRequested())
        return stop();
    const bool isProtected = m_request.version.protection() == 1;
    const qint64 chosen = m_paths.size();

    QString name = m_archiveName;
    name.replace(QLatin1Char(' '), QLatin1Char('_'));
    if (name.isEmpty() || name.contains(QLatin1Char('/')) || name == QLatin1String(".")
        || name == QLatin1String("..")) {
        m_summary.error = QStringLiteral("The set's archive name \"%1\" cannot name a file.").arg(name);
        return complete();
    }
    if (isProtected)
        name += QStringLiteral(".bf");
    const QString source = m_fetch->sourceOf(name);
    // In a folder of its own, so that no archive name can be that of the folder it is unpacked to.
    QString workFile = m_work + QStringLiteral("archive/") + name;
    if (m_run.stopRequested())
        return stop();

    const Fetched fetched = m_fetch->fetch(source, workFile);
    if (fetched.stopped() || m_run.stopRequested())
        return stop();
    if (fetched.noServer) {
        m_summary.error = fetched.reason();
        return complete();
    }
    if (fetched.missing) {
        m_summary.missingList << source;
        m_summary.missing += chosen;
        return complete();
    }
    const auto archiveUnusable = [&](const QString& reason) {
        fail(source, reason);
        m_summary.failed += chosen;
        return complete();
    };
    if (!fetched.succeeded())
        return archiveUnusable(fetched.reason());

    if (isProtected) {
        setStatus(QStringLiteral("Status: Decrypting File"));
        m_run.yield();
        core::LogEvent(QStringLiteral("Decrypting File"));
        if (const platform::Result decrypted = decrypt(workFile); !decrypted) {
            if (decrypted.stopped() || m_run.stopRequested())
                return stop();
            return archiveUnusable(decrypted.reason());
        }
        workFile.chop(3);
    }

    ArchiveEntries archive;
    const platform::Result opened = openArchive(archive, workFile, true, QStringLiteral("Unzipping Files"));
    if (m_run.stopRequested())
        return stop();
    if (!opened)
        return archiveUnusable(QStringLiteral("damaged archive: ") + opened.reason());
    setStatus(QStringLiteral("Status: Finished Extracting ") + core::FileNameOf(workFile));

    // Each chosen entry is unpacked straight beside its target; the others are never written.
    return restorePaths([&](const QString& path) {
        const Target target = targetFor(path);
        if (!target.refusal.isEmpty()) {
            failPath(path, target.refusal);
            return Step::Next;
        }
        const std::optional<platform::ZipEntryInfo> entry = archive.find(target.relative);
        if (!entry) {
            ++m_summary.missing;
            m_summary.missingList << withReason(path, QStringLiteral("not in the archive"));
            return Step::Next;
        }
        // Named as the work folder's copy it stands in for.
        const Step step = placeEntry(path, archive, *entry, target, m_work + target.relative, false);
        if (step == Step::Next)
            m_run.yield();
        return step;
    });
}

RestoreRun::Outcome RestoreRun::restoreEachFile()
{
    const int mode = m_request.version.compression();
    const bool isProtected = m_request.version.protection() == 1;
    return restorePaths([&](const QString& path) { return restoreOneFile(path, mode, isProtected); });
}

RestoreRun::Outcome RestoreRun::restorePaths(const std::function<Step(const QString& path)>& restoreOne)
{
    for (qsizetype i = 0; i < m_paths.size(); ++i) {
        const QString& path = m_paths.at(i);
        if (m_run.stopRequested())
            return stop();
        setStatus(QStringLiteral("[Restoring Files]") + CrLf + path);
        m_run.yield();
        if (m_run.stopRequested())
            return stop();
        const Step step = restoreOne(path);
        if (step == Step::Stop)
            return stop();
        if (step == Step::Cancel) {
            cancelFrom(i);
            break;
        }
        if (step == Step::End)
            break;
    }
    return complete();
}

RestoreRun::Step RestoreRun::restoreOneFile(const QString& path, int mode, bool isProtected)
{
    const Target target = targetFor(path);
    if (!target.refusal.isEmpty()) {
        failPath(path, target.refusal);
        return Step::Next;
    }
    QString suffix = mode == 2 ? QStringLiteral(".zip") : QString();
    if (isProtected)
        suffix += QStringLiteral(".bf");
    const QString source = m_fetch->sourceOf(target.relative + suffix);
    QString workFile = m_work + QStringLiteral("files/") + target.relative + suffix;

    if (m_run.stopRequested())
        return Step::Stop;
    const Fetched fetched = m_fetch->fetch(source, workFile);
    if (fetched.stopped() || m_run.stopRequested())
        return Step::Stop;
    if (fetched.noServer) {
        m_summary.error = fetched.reason();
        return Step::End;
    }
    if (fetched.missing) {
        ++m_summary.missing;
        m_summary.missingList << source;
        return Step::Next;
    }
    if (!fetched.succeeded()) {
        failPath(path, fetched.reason());
        return Step::Next;
    }

    if (isProtected) {
        core::LogEvent(QStringLiteral("Decrypting File"));
        if (const platform::Result decrypted = decrypt(workFile); !decrypted) {
            if (decrypted.stopped())
                return Step::Stop;
            failPath(path, decrypted.reason());
            return Step::Next;
        }
        workFile.chop(3);
    }

    if (mode != 2) {
        setStatus(QStringLiteral("[Restoring Files]") + CrLf + path);
        m_run.yield();
        return place(path, workFile, target, false);
    }

    QString plain = workFile;
    plain.chop(4);
    // The fetched archive is not kept for the rest of the run.
    const auto dropArchive = qScopeGuard([&] { QFile::remove(workFile); });
    ArchiveEntries archive;
    const platform::Result opened = openArchive(archive, workFile, false, QStringLiteral("Unzipping File"));
    if (m_run.stopRequested())
        return Step::Stop;
    if (!opened) {
        failPath(path, QStringLiteral("damaged archive: ") + opened.reason());
        return Step::Next;
    }
    const std::optional<platform::ZipEntryInfo> entry = archive.find(core::FileNameOf(plain));
    if (!entry) {
        ++m_summary.missing;
        m_summary.missingList << withReason(source, core::FileNameOf(plain) + QStringLiteral(" is not in it"));
        return Step::Next;
    }
    setStatus(QStringLiteral("[Restoring Files]") + CrLf + target.target);
    m_run.yield();
    return placeEntry(path, archive, *entry, target, plain, true);
}

RestoreRun::Outcome RestoreRun::stop()
{
    m_fetch.reset();
    // What was placed before the stop stays, and is as durable as a whole run's.
    m_placedOn.sync();
    if (!m_work.isEmpty() && core::removeWorkFolder(m_work))
        m_work.clear();
    return Outcome::Stopped;
}

RestoreRun::Outcome RestoreRun::complete()
{
    m_fetch.reset();
    if (const platform::Result synced = m_placedOn.sync(); !synced)
        fail(m_request.previousLocation ? QStringLiteral("the previous location") : m_newFolder, synced.reason());
    if (!m_work.isEmpty() && core::removeWorkFolder(m_work))
        m_work.clear();
    const QString status = m_summary.statusText();
    setStatus(status);
    // The failures were logged as they happened.
    for (const QString& line : m_summary.lines(false))
        core::LogEvent(line);
    core::LogEvent(QStringLiteral("================Restore Complete=============="));
    return Outcome::Completed;
}

} // namespace restore
