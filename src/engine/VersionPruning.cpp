#include "engine/VersionPruning.h"

#include <algorithm>

#include "core/ErrorReport.h"
#include "core/FileSystemHelpers.h"
#include "core/MainWindowServices.h"
#include "core/ProgramState.h"
#include "core/RunLog.h"
#include "core/SetText.h"
#include "ftp/FtpDestinationFields.h"
#include "ftp/FtpSteps.h"
#include "ftp/clsFtpClient.h"

namespace engine
{
using ftp::FtpStep;
using ftp::FtpSteps;
using ftp::joinFtpFolder;

namespace
{
const QString Location = QStringLiteral("frmMain.SyncVersions(arrVersions,iKeep,iQuantity,prjData)");
const QString FolderTag = QStringLiteral("LAN");
const QString FtpTag = QStringLiteral("FTP");
// Levels below a version's remote folder that are entered; deeper ones are left.
constexpr int DeepestLevel = 32;

QString tagOf(const QString& line)
{
    return line.section(QLatin1Char('|'), 0, 0);
}

// A path as the pruning compares it: no empty or "." parts, and every ".." has taken the part before
// it away. An absolute path stays at "/" as a ".." there would; a relative one keeps the ".." parts it
// starts with.
struct CleanPath
{
    bool absolute = false;
    QStringList parts;

    bool operator==(const CleanPath&) const = default;
    QString text() const
    {
        const QString joined = parts.join(QLatin1Char('/'));
        return absolute ? QLatin1Char('/') + joined : joined;
    }
};

CleanPath cleaned(const QString& path)
{
    CleanPath clean;
    clean.absolute = path.startsWith(QLatin1Char('/'));
    for (const QString& part : path.split(QLatin1Char('/'), Qt::SkipEmptyParts)) {
        if (part == QLatin1String("."))
            continue;
        if (part == QLatin1String("..") && !clean.parts.isEmpty() && clean.parts.last() != QLatin1String(".."))
            clean.parts.removeLast();
        else if (part != QLatin1String("..") || !clean.absolute)
            clean.parts << part;
    }
    return clean;
}

// Whether `path` is `folder` or lies below it, without climbing back out.
bool within(const CleanPath& path, const CleanPath& folder)
{
    if (path.absolute != folder.absolute || path.parts.size() < folder.parts.size()
        || path.parts.first(folder.parts.size()) != folder.parts)
        return false;
    // A relative folder may start with "..", what lies below it may not.
    return !path.parts.sliced(folder.parts.size()).contains(QStringLiteral(".."));
}

// The parts of `path` below `folder` when it lies strictly below it.
std::optional<QStringList> partsBelow(const CleanPath& path, const CleanPath& folder)
{
    if (path.parts.size() <= folder.parts.size() || !within(path, folder))
        return std::nullopt;
    return path.parts.sliced(folder.parts.size());
}

// The delivered archive's name when the line records it directly in the version's folder; "" for a
// line without one, nullopt for one that points elsewhere.
std::optional<QString> archiveNameIn(const core::VersionLine& version, const CleanPath& folder)
{
    if (version.archivePath().isEmpty())
        return QString();
    const CleanPath archive = cleaned(version.deliveredArchivePath());
    if (archive.parts.isEmpty() || archive.parts.constLast() == QLatin1String("..")
        || archive.absolute != folder.absolute || archive.parts.first(archive.parts.size() - 1) != folder.parts)
        return std::nullopt;
    return archive.parts.constLast();
}

int portOrDefault(int port)
{
    return port > 0 ? port : 21;
}

bool sameServer(const core::VersionLine& a, const core::VersionLine& b)
{
    return a.ftpHost().trimmed().compare(b.ftpHost().trimmed(), Qt::CaseInsensitive) == 0
        && portOrDefault(a.ftpPortNumber()) == portOrDefault(b.ftpPortNumber()) && a.ftpUser() == b.ftpUser();
}
} // namespace

void SyncVersions(QStringList& arrVersions, int& iKeep, int& iQuantity, QString& prjData)
{
    VersionPruning(core::state().CurrentSet).prune(arrVersions, iKeep, iQuantity, prjData);
}

VersionPruning::VersionPruning(const core::BackupSetInfo& set)
    : m_set(set)
{ }

VersionPruning::~VersionPruning() = default;

void VersionPruning::report(const QString& reason) const
{
    core::reportFailure(Location, {m_set.ItemName}, core::err::InvalidArgument, reason);
}

void VersionPruning::prune(const QStringList& versions, int keep, int& quantity, QString& text)
{
    // A copy: the caller's list must not change under the loop, whatever handlers run meanwhile.
    m_lines.clear();
    for (const QString& line : versions) {
        if (!line.isEmpty())
            m_lines << line;
    }
    if (keep < 1) {
        report(QStringLiteral("The set \"%1\" keeps %2 versions; at least one is kept, so none is deleted.")
                   .arg(m_set.ItemName)
                   .arg(keep));
        return;
    }
    switch (m_set.RotationType) {
    case core::RotationMode::OneAtATime:
        rotateOne(keep, quantity, text);
        break;
    case core::RotationMode::EveryDestination:
        acrossAll(keep, quantity, text);
        break;
    default:
        break;
    }
    if (m_steps)
        m_steps->quit();
    m_steps.reset();
    m_client.reset();
}

// A rotating set prunes the versions of the kind of its current destination, oldest first.
void VersionPruning::rotateOne(int keep, int& quantity, QString& text)
{
    const int current = m_set.CurrentDestination;
    if (current < 1 || current > m_set.DestCount || current > core::MaxDestinations)
        return;
    const core::DestinationType type = m_set.Dest.at(current).Type;
    if (type != core::DestinationType::Folder && type != core::DestinationType::Ftp)
        return;
    const QString tag = type == core::DestinationType::Folder ? FolderTag : FtpTag;
    while (quantity > keep) {
        qsizetype oldest = -1;
        for (qsizetype i = m_lines.size() - 1; i >= 0; --i) {
            if (tagOf(m_lines.at(i)) == tag) {
                oldest = i;
                break;
            }
        }
        if (oldest < 0)
            return;
        const QString line = m_lines.at(oldest);
        QString reason;
        const std::optional<core::VersionLine> version = core::VersionLine::parse(line, &reason);
        if (!version) {
            report(QStringLiteral("The version line \"%1\" cannot be read (%2); it is kept.")
                       .arg(core::VersionLine::withoutPasswords(line), reason));
            return;
        }
        if (meetsStopRule(*version))
            return;
        const Gone gone = deleteVersion(*version);
        if (gone != Gone::Yes && gone != Gone::NotOurs)
            return;
        removeLine(line, quantity, text);
    }
}

// A set that delivers to every destination keeps `keep` versions per folder or FTP destination on
// average; lines that cannot go are passed over.
void VersionPruning::acrossAll(int keep, int& quantity, QString& text)
{
    int counted = 0;
    for (int d = 1; d <= m_set.DestCount && d <= core::MaxDestinations; ++d) {
        const core::DestinationType type = m_set.Dest.at(d).Type;
        if (type == core::DestinationType::Folder || type == core::DestinationType::Ftp)
            ++counted;
    }
    if (counted == 0) {
        report(QStringLiteral("The set \"%1\" has no folder or FTP destination to count its versions by; none is "
                              "deleted.")
                   .arg(m_set.ItemName));
        return;
    }
    const QStringList lines = m_lines;
    for (qsizetype i = lines.size() - 1; i >= 0; --i) {
        if (double(quantity) / counted <= keep)
            return;
        const QString& line = lines.at(i);
        const QString tag = tagOf(line);
        if ((tag != FolderTag && tag != FtpTag) || !m_lines.contains(line))
            continue;
        QString reason;
        const std::optional<core::VersionLine> version = core::VersionLine::parse(line, &reason);
        if (!version) {
            report(QStringLiteral("The version line \"%1\" cannot be read (%2); it is kept.")
                       .arg(core::VersionLine::withoutPasswords(line), reason));
            continue;
        }
        if (meetsStopRule(*version))
            return;
        const Gone gone = deleteVersion(*version);
        if (gone == Gone::Yes || gone == Gone::NotOurs)
            removeLine(line, quantity, text);
    }
}

// The version the set delivered last, at its current destination, is never deleted, however its
// line spells the folder.
bool VersionPruning::meetsStopRule(const core::VersionLine& version) const
{
    const int current = m_set.CurrentDestination;
    if (current < 1 || current > m_set.DestCount || current > core::MaxDestinations)
        return false;
    const core::DestinationInfo& dest = m_set.Dest.at(current);
    const CleanPath folder = cleaned(version.folder());
    if (version.kind() == core::VersionLine::Kind::Folder) {
        const CleanPath latest = cleaned(dest.LocalFolder + QLatin1Char('/') + m_set.LastFolder);
        return !latest.parts.isEmpty() && folder == latest;
    }
    return folder == cleaned(joinFtpFolder(dest.FTPFolder, m_set.LastFolder));
}

// Whether deleting the version's folder would take what another line records: a folder at or below
// it, or one below the destination's folder that holds it.
bool VersionPruning::heldByAnotherLine(const core::VersionLine& version, const QString& destinationFolder) const
{
    const CleanPath folder = cleaned(version.folder());
    const CleanPath destination = cleaned(destinationFolder);
    for (const QString& line : m_lines) {
        const std::optional<core::VersionLine> other = core::VersionLine::parse(line);
        if (!other || other->kind() != version.kind() || other->fields() == version.fields())
            continue;
        if (version.kind() == core::VersionLine::Kind::Ftp && !sameServer(*other, version))
            continue;
        const CleanPath otherFolder = cleaned(other->folder());
        if (within(otherFolder, folder) || (within(folder, otherFolder) && partsBelow(otherFolder, destination)))
            return true;
    }
    return false;
}

VersionPruning::Gone VersionPruning::passOver(const core::VersionLine& version, const QString& why) const
{
    const QString where = version.kind() == core::VersionLine::Kind::Ftp
        ? QStringLiteral("\"%1\" on %2 port %3").arg(version.folder(), version.ftpHost()).arg(version.ftpPort())
        : QStringLiteral("\"%1\"").arg(version.folder());
    core::LogEvent(QStringLiteral("Pruning of the set \"%1\" removes the line of the version at %2 and deletes "
                                  "nothing: %3.")
                       .arg(m_set.ItemName, where, why));
    return Gone::NotOurs;
}

void VersionPruning::removeLine(const QString& line, int& quantity, QString& text)
{
    const int removed = int(m_lines.removeAll(line));
    text = core::DeleteVersion(text, line);
    core::forgetShownVersion(line);
    quantity -= qMax(1, removed);
}

VersionPruning::Gone VersionPruning::deleteVersion(const core::VersionLine& version)
{
    if (version.kind() == core::VersionLine::Kind::Folder)
        return deleteFolderVersion(version);
    return deleteFtpVersion(version);
}

// The version's folder goes, with everything in it, when it lies strictly below one of the set's
// folder destinations and no part of it below that destination is a link.
VersionPruning::Gone VersionPruning::deleteFolderVersion(const core::VersionLine& version) const
{
    const CleanPath folder = cleaned(version.folder());
    QString destination;
    std::optional<QStringList> below;
    for (int d = 1; d <= m_set.DestCount && d <= core::MaxDestinations && !below; ++d) {
        const core::DestinationInfo& dest = m_set.Dest.at(d);
        if (dest.Type == core::DestinationType::Folder && cleaned(dest.LocalFolder).absolute) {
            below = partsBelow(folder, cleaned(dest.LocalFolder));
            destination = dest.LocalFolder;
        }
    }
    if (!below)
        return passOver(version, QStringLiteral("the folder does not lie inside a folder destination of the set"));
    if (!archiveNameIn(version, folder))
        return passOver(version,
                        QStringLiteral("its archive \"%1\" does not lie in that folder").arg(version.archivePath()));
    if (heldByAnotherLine(version, destination))
        return passOver(version, QStringLiteral("another version line records what lies there"));

    switch (core::DeleteFolderBelow(destination, *below)) {
    case core::FolderBelow::Gone:
        return Gone::Yes;
    case core::FolderBelow::NotAFolder:
        return passOver(version, QStringLiteral("a part of it is a symbolic link or no folder"));
    case core::FolderBelow::Failed:
        break;
    }
    return Gone::No;
}

// Acts only for a server, port and user that are an FTP destination of the set, on a folder strictly
// below that destination's folder. Logs in as the line's user, passive as the destination is.
VersionPruning::Gone VersionPruning::deleteFtpVersion(const core::VersionLine& version)
{
    const CleanPath folder = cleaned(version.folder());
    const core::DestinationInfo* destination = nullptr;
    std::optional<QStringList> below;
    bool serverIsADestination = false;
    for (int d = 1; d <= m_set.DestCount && d <= core::MaxDestinations && !below; ++d) {
        const core::DestinationInfo& dest = m_set.Dest.at(d);
        if (dest.Type != core::DestinationType::Ftp
            || dest.FTPHost.trimmed().compare(version.ftpHost().trimmed(), Qt::CaseInsensitive) != 0
            || ftp::portNumber(dest.FTPPort).value_or(21) != portOrDefault(version.ftpPortNumber())
            || dest.FTPUser != version.ftpUser())
            continue;
        serverIsADestination = true;
        below = partsBelow(folder, cleaned(dest.FTPFolder));
        destination = &dest;
    }
    if (!serverIsADestination)
        return passOver(version,
                        QStringLiteral("that server, port and user \"%1\" are no FTP destination of the set")
                            .arg(version.ftpUser()));
    if (!below)
        return passOver(version, QStringLiteral("the folder does not lie inside an FTP destination's folder"));
    const std::optional<QString> archive = archiveNameIn(version, folder);
    if (!archive)
        return passOver(version,
                        QStringLiteral("its archive \"%1\" does not lie in that folder").arg(version.archivePath()));
    if (heldByAnotherLine(version, destination->FTPFolder))
        return passOver(version, QStringLiteral("another version line records what lies there"));
    if (m_ftpStopped)
        return Gone::ServerDown;

    m_steps.reset();
    m_client = std::make_unique<ftp::clsFtpClient>();
    m_steps = std::make_unique<FtpSteps>(*m_client);
    m_client->setFtpServer(version.ftpHost());
    (void)m_client->setRemotePort(portOrDefault(version.ftpPortNumber()));
    m_client->setUsername(version.ftpUser());
    m_client->setPassword(version.ftpUser().isEmpty() ? QString() : version.ftpPassword());
    m_client->setPassiveMode(destination->FTPPassive);
    (void)m_client->setTimeOut(TimeOutSeconds);
    if (!m_steps->run([this] { return m_client->Connect(); }).succeeded()) {
        m_ftpStopped = true;
        return Gone::ServerDown;
    }
    // A relative destination folder starts at the login folder; from here on every path is full, as
    // the session changes folders on the way.
    const CleanPath base = cleaned(destination->FTPFolder);
    const QString login = m_client->CurrentDirectory();
    Gone gone = Gone::No;
    if (base.absolute || login.startsWith(QLatin1Char('/'))) {
        const QString top = base.absolute ? base.text() : cleaned(login + QLatin1Char('/') + base.text()).text();
        gone = deleteFtpFolder(version, top, *below, *archive);
    } else {
        report(QStringLiteral("The login folder \"%1\" of %2 is no full path; the version at \"%3\" is kept.")
                   .arg(login, version.ftpHost(), version.folder()));
    }
    m_steps->quit();
    return gone;
}

// Goes down from the destination's folder `top` to the version's folder, making sure at each level
// that the next part is a folder and no link, then deletes the version.
VersionPruning::Gone VersionPruning::deleteFtpFolder(const core::VersionLine& version, const QString& top,
                                                     const QStringList& parts, const QString& archiveName)
{
    QString folder = top;
    for (const QString& part : parts) {
        if (!m_steps->run([&] { return m_client->SetCurrentDirectory(folder); }).succeeded()
            || !m_steps->run([this] { return m_client->EnumFiles(); }).succeeded())
            return Gone::No;
        const std::shared_ptr<const ftp::clsFtpFiles> files = m_client->CurrentDirectoryFiles();
        if (!files)
            return Gone::No;
        const auto entry = std::find_if(files->begin(), files->end(),
                                        [&part](const ftp::clsFtpFile& file) { return file.Filename == part; });
        if (entry == files->end())
            return Gone::Yes;
        if (!entry->IsDirectory || entry->Permissions.startsWith(QLatin1Char('l')))
            return passOver(version,
                            QStringLiteral("\"%1\" is a symbolic link or no folder on the server")
                                .arg(ftp::joinRemotePath(folder, part)));
        folder = ftp::joinRemotePath(folder, part);
    }

    if (version.compression() != 1)
        return removeRemoteTree(folder, 0) ? Gone::Yes : Gone::No;
    if (!archiveName.isEmpty()) {
        const QString archive = ftp::joinRemotePath(folder, archiveName);
        const FtpStep deleted = m_steps->run([&] { return m_client->DeleteFile(archive); });
        if (!deleted.succeeded() && deleted.replyCode != 550)
            return Gone::No;
    }
    return m_steps->run([&] { return m_client->RemoveDirectory(folder); }).succeeded() ? Gone::Yes : Gone::No;
}

// Files are deleted, folders entered and removed after their content, link entries deleted as
// entries and never followed. True when the folder is gone.
bool VersionPruning::removeRemoteTree(const QString& folder, int depth)
{
    const FtpStep entered = m_steps->run([&] { return m_client->SetCurrentDirectory(folder); });
    // A version folder that is not there any more is gone.
    if (!entered.succeeded())
        return depth == 0 && entered.replyCode == 550;
    if (depth >= DeepestLevel || !m_steps->run([this] { return m_client->EnumFiles(); }).succeeded())
        return false;
    const std::shared_ptr<const ftp::clsFtpFiles> files = m_client->CurrentDirectoryFiles();
    bool emptied = true;
    if (files) {
        for (const ftp::clsFtpFile& file : *files) {
            const QString name = file.Filename;
            if (name.isEmpty() || name == QLatin1String(".") || name == QLatin1String("..")
                || name.contains(QLatin1Char('/'))) {
                continue;
            }
            const QString path = ftp::joinRemotePath(folder, name);
            const bool link = file.Permissions.startsWith(QLatin1Char('l'));
            if (file.IsDirectory && !link)
                emptied = removeRemoteTree(path, depth + 1) && emptied;
            else
                emptied = m_steps->run([&] { return m_client->DeleteFile(path); }).succeeded() && emptied;
        }
    }
    return emptied && m_steps->run([&] { return m_client->RemoveDirectory(folder); }).succeeded();
}

} // namespace engine
