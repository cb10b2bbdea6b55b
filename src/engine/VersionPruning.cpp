#include "engine/VersionPruning.h"

#include <sys/stat.h>

#include <QDir>
#include <QFile>

#include "core/ErrorReport.h"
#include "core/FileSystemHelpers.h"
#include "core/MainWindowServices.h"
#include "core/ProgramState.h"
#include "core/SetText.h"
#include "engine/FtpDelivery.h"
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

// A local path without "." and ".." parts and without a trailing "/"; empty for one that is not full.
QString cleanFolder(const QString& path)
{
    if (!path.startsWith(QLatin1Char('/')))
        return {};
    return QDir::cleanPath(path);
}

bool strictlyBelow(const QString& path, const QString& folder)
{
    if (path.isEmpty() || folder.isEmpty())
        return false;
    const QString prefix = folder.endsWith(QLatin1Char('/')) ? folder : folder + QLatin1Char('/');
    return path.size() > prefix.size() && path.startsWith(prefix);
}

// Whether anything is at the path, a link included.
bool present(const QString& path)
{
    struct stat st = {};
    return ::lstat(QFile::encodeName(path).constData(), &st) == 0;
}

QString withoutTrailingSlash(QString folder)
{
    while (folder.size() > 1 && folder.endsWith(QLatin1Char('/')))
        folder.chop(1);
    return folder;
}

// Below the remote `base` by at least one level; "" stands for the login folder.
bool remoteStrictlyBelow(const QString& folder, const QString& base)
{
    const QString path = withoutTrailingSlash(folder);
    if (base.isEmpty())
        return !path.isEmpty() && !path.startsWith(QLatin1Char('/'));
    const QString prefix = base.endsWith(QLatin1Char('/')) ? base : base + QLatin1Char('/');
    return path.size() > prefix.size() && path.startsWith(prefix);
}

std::optional<int> portOf(const QString& text)
{
    bool ok = false;
    const int port = text.trimmed().toInt(&ok);
    if (!ok || port < 1 || port > 65535)
        return std::nullopt;
    return port;
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
        if (meetsStopRule(*version) || deleteVersion(*version) != Gone::Yes)
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
        if (deleteVersion(*version) == Gone::Yes)
            removeLine(line, quantity, text);
    }
}

// The version the set delivered last, at its current destination, is never deleted.
bool VersionPruning::meetsStopRule(const core::VersionLine& version) const
{
    const int current = m_set.CurrentDestination;
    if (current < 1 || current > m_set.DestCount || current > core::MaxDestinations)
        return false;
    const core::DestinationInfo& dest = m_set.Dest.at(current);
    if (version.kind() == core::VersionLine::Kind::Folder) {
        const QString latest = cleanFolder(dest.LocalFolder + QLatin1Char('/') + m_set.LastFolder);
        return !latest.isEmpty() && cleanFolder(version.folder()) == latest;
    }
    return withoutTrailingSlash(version.folder())
        == withoutTrailingSlash(joinFtpFolder(dest.FTPFolder, m_set.LastFolder));
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
    if (m_ftpStopped)
        return Gone::ServerDown;
    return deleteFtpVersion(version);
}

// The version's folder goes when it lies strictly below one of the set's folder destinations; its
// archive when that does. A line elsewhere deletes nothing.
VersionPruning::Gone VersionPruning::deleteFolderVersion(const core::VersionLine& version) const
{
    QStringList destinations;
    for (int d = 1; d <= m_set.DestCount && d <= core::MaxDestinations; ++d) {
        if (m_set.Dest.at(d).Type == core::DestinationType::Folder) {
            const QString folder = cleanFolder(m_set.Dest.at(d).LocalFolder);
            if (!folder.isEmpty())
                destinations << folder;
        }
    }
    const auto insideADestination = [&destinations](const QString& path) {
        for (const QString& folder : destinations) {
            if (strictlyBelow(path, folder))
                return true;
        }
        return false;
    };
    const QString folder = cleanFolder(version.folder());
    const QString archive = cleanFolder(version.deliveredArchivePath());
    const bool folderIsADestination = destinations.contains(folder);

    if (!folder.isEmpty() && !folderIsADestination && insideADestination(folder) && QFileInfo(folder).isDir())
        core::DeleteFolderTree(folder);
    if (!archive.isEmpty() && insideADestination(archive) && !QFileInfo(archive).isDir())
        QFile::remove(archive);

    const bool folderGone = folder.isEmpty() || folderIsADestination || !present(folder);
    const bool archiveGone = archive.isEmpty() || QFileInfo(archive).isDir() || !present(archive);
    return folderGone && archiveGone ? Gone::Yes : Gone::No;
}

// Logs in as the delivery did: the line's user (anonymous when empty), passive as the destination at
// that host and port is, else passive.
VersionPruning::Gone VersionPruning::deleteFtpVersion(const core::VersionLine& version)
{
    const QString host = version.ftpHost();
    const int port = version.ftpPortNumber() > 0 ? version.ftpPortNumber() : 21;
    const bool passive = ftp::passiveForServer(m_set, host, port);
    bool stampLevel = false;
    for (int d = 1; d <= m_set.DestCount && d <= core::MaxDestinations; ++d) {
        const core::DestinationInfo& dest = m_set.Dest.at(d);
        if (dest.Type == core::DestinationType::Ftp && dest.FTPHost.trimmed().compare(host, Qt::CaseInsensitive) == 0
            && portOf(dest.FTPPort).value_or(21) == port && remoteStrictlyBelow(version.folder(), dest.FTPFolder))
            stampLevel = true;
    }

    m_steps.reset();
    m_client = std::make_unique<ftp::clsFtpClient>();
    m_steps = std::make_unique<FtpSteps>(*m_client);
    m_client->setFtpServer(host);
    (void)m_client->setRemotePort(port);
    m_client->setUsername(version.ftpUser());
    m_client->setPassword(version.ftpUser().isEmpty() ? QString() : version.ftpPassword());
    m_client->setPassiveMode(passive);
    (void)m_client->setTimeOut(TimeOutSeconds);
    if (!m_steps->run([this] { return m_client->Connect(); }).succeeded()) {
        m_ftpStopped = true;
        return Gone::ServerDown;
    }

    const QString folder = withoutTrailingSlash(version.folder());
    const QString archive = version.deliveredArchivePath();
    const auto deleted = [](const FtpStep& step) { return step.succeeded() || step.replyCode == 550; };
    bool gone = false;
    if (!stampLevel) {
        // The destination's own folder holds every other version: only this one's archive goes.
        gone = deleted(m_steps->run([&] { return m_client->DeleteFile(archive); }));
    } else if (version.compression() == 1) {
        gone = deleted(m_steps->run([&] { return m_client->DeleteFile(archive); }));
        if (gone && !m_steps->run([&] { return m_client->RemoveDirectory(folder); }).succeeded())
            gone = m_steps->run([&] { return m_client->SetCurrentDirectory(folder); }).replyCode == 550;
    } else {
        gone = removeRemoteTree(folder, 0);
    }
    m_steps->quit();
    return gone ? Gone::Yes : Gone::No;
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
            const QString path = folder + QLatin1Char('/') + name;
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
