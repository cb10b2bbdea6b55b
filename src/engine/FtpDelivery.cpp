#include "engine/FtpDelivery.h"

#include <cmath>

#include <QFile>
#include <QFileInfo>

#include "core/ErrorReport.h"
#include "core/FileSystemHelpers.h"
#include "core/PathHelpers.h"
#include "core/ProgramState.h"
#include "core/RunLog.h"
#include "core/SetDocument.h"
#include "engine/Leftovers.h"
#include "ftp/FtpDestinationFields.h"
#include "ftp/FtpSteps.h"
#include "ftp/clsFtpClient.h"
#include "platform/MirrorPath.h"

namespace engine
{
using ftp::FtpStep;
using ftp::FtpSteps;
using ftp::joinFtpFolder;

namespace
{
const QString CrLf = QStringLiteral("\r\n");
// The runtime's "Bad file name or number".
constexpr qint32 BadFileName = 52;
constexpr int TimeOutSeconds = 60;
// Folder levels and entries beyond any tree an interrupted run leaves.
constexpr int DeepestLevel = 64;
constexpr int MostEntries = 10000;

// Digits only, 1 to 65535.
std::optional<int> portNumber(const QString& text)
{
    const QString digits = text.trimmed();
    if (digits.isEmpty() || digits.size() > 5)
        return std::nullopt;
    for (const QChar c : digits) {
        if (c < QLatin1Char('0') || c > QLatin1Char('9'))
            return std::nullopt;
    }
    const int value = digits.toInt();
    if (value < 1 || value > 65535)
        return std::nullopt;
    return value;
}

constexpr const char* Send = "send";

// "N% Uploaded." with halves going to the even neighbour, or the byte count when there is no size.
QString progressText(qint64 sent, qint64 size)
{
    if (size > 0) {
        const double percent = std::nearbyint(double(sent) / (double(size) / 100.0));
        if (percent <= 32767.0)
            return QString::number(qint64(percent)) + QStringLiteral("% Uploaded.");
    }
    return QString::number(sent) + QStringLiteral(" Bytes Uploaded");
}
} // namespace

FtpDelivery::FtpDelivery(platform::RunContext& run)
    : m_run(run)
{ }

FtpDelivery::~FtpDelivery()
{
    close();
}

FolderDeliveryResult FtpDelivery::deliver(core::BackupSetInfo& set, int destination, const QString& timestampFolder,
                                          const QString& archivePath)
{
    core::LogEvent(QStringLiteral("Performing FTP Backup"));
    set.RunDestType = core::DestinationType::Ftp;

    const auto run = [&]() -> FolderDeliveryResult {
        if (destination < 1 || destination > core::MaxDestinations)
            return deliveryFailure(QStringLiteral("There is no destination %1.").arg(destination));
        m_dest = &set.Dest.at(destination);
        const QString stamp = QString(timestampFolder).remove(QLatin1Char('/'));
        set.RunFtpHost = m_dest->FTPHost;
        set.RunFtpUser = m_dest->FTPUser;
        set.RunFtpPassword = m_dest->FTPPass;
        set.RunFtpFolder = joinFtpFolder(m_dest->FTPFolder, stamp);
        set.RunFtpPort = m_dest->FTPPort;
        set.LastFolder = stamp;
        m_stampLevels = stamp.isEmpty() ? QStringList() : QStringList {stamp};

        m_host = m_dest->FTPHost.trimmed();
        if (m_host.isEmpty())
            return deliveryFailure(QStringLiteral("Destination %1 names no FTP server.").arg(destination));
        const std::optional<int> port = portNumber(m_dest->FTPPort);
        if (!port)
            return deliveryFailure(QStringLiteral("The port \"%1\" of destination %2 is not a number from 1 to 65535.")
                                       .arg(m_dest->FTPPort)
                                       .arg(destination));
        m_port = *port;

        switch (set.Compression) {
        case core::CompressionMode::EachFile:
        case core::CompressionMode::ArchivePerFile:
            return deliverEachFile(set);
        case core::CompressionMode::OneArchive:
            return deliverArchive(archivePath);
        default:
            return deliveryFailure(QStringLiteral("The compression mode %1 is not known; nothing was delivered.")
                                       .arg(core::storedCode(set.Compression)));
        }
    };

    FolderDeliveryResult result = run();
    close();
    if (result.succeeded() && !m_stampLevels.isEmpty() && !m_run.stopRequested())
        removeLeftovers(set, m_stampLevels.constFirst());
    if (!result.succeeded() && !result.stopped())
        core::state().strFailureReason = result.reason();
    return result;
}

// A fresh session for each connection, so nothing of an earlier destination (its user above all)
// carries over.
platform::Result FtpDelivery::open()
{
    close();
    m_client = std::make_unique<ftp::clsFtpClient>();
    m_steps = std::make_unique<FtpSteps>(*m_client);
    m_client->setFtpServer(m_host);
    (void)m_client->setRemotePort(m_port);
    m_client->setUsername(m_dest->FTPUser);
    m_client->setPassword(m_dest->FTPUser.isEmpty() ? QString() : m_dest->FTPPass);
    m_client->setPassiveMode(m_dest->FTPPassive);
    (void)m_client->setTimeOut(TimeOutSeconds);
    QObject::connect(m_client.get(), &ftp::clsFtpClient::OnDataTransferProgress, m_client.get(), [this](qint64 sent) {
        // Listings report their progress too; only an upload's is shown.
        if (!m_uploading)
            return;
        m_bytesSent = sent;
        m_run.showStatus(progressText(sent, m_fileSize));
    });

    const FtpStep step = m_steps->connect(m_run, watchConnect);
    if (step.succeeded() || step.stopped())
        return step;
    if (step.ended == FtpStep::Ended::TimedOut)
        return platform::Result::failure(QStringLiteral("Could not connect to ") + m_host);
    if (step.ended == FtpStep::Ended::Refused)
        return platform::Result::failure(QStringLiteral("Could not log in to %1: %2").arg(m_host, step.reason()));
    return platform::Result::failure(QStringLiteral("Could not connect to %1: %2").arg(m_host, step.reason()));
}

// Connects and enters the destination's folder: a server that cannot be reached or will not let
// the user in or into the folder fails the destination.
platform::Result FtpDelivery::openAt()
{
    const platform::Result opened = open();
    if (!opened.succeeded() || m_dest->FTPFolder.isEmpty())
        return opened;
    const FtpStep step = m_steps->run([this] { return m_client->SetCurrentDirectory(m_dest->FTPFolder); });
    if (step.succeeded())
        return step;
    close();
    if (m_run.stopRequested())
        return platform::Result::stop();
    return platform::Result::failure(
        QStringLiteral("Could not enter the folder \"%1\" on %2: %3").arg(m_dest->FTPFolder, m_host, step.reason()));
}

// Makes and enters each level below the current folder; a level that exists already is entered all
// the same.
platform::Result FtpDelivery::enterLevels(const QStringList& levels)
{
    for (const QString& level : levels) {
        if (level.isEmpty())
            continue;
        m_steps->run([this, &level] { return m_client->CreateDirectory(level); });
        const FtpStep step = m_steps->run([this, &level] { return m_client->SetCurrentDirectory(level); });
        if (!step.succeeded())
            return platform::Result::failure(
                QStringLiteral("Could not make the folder \"%1\" on %2: %3").arg(level, m_host, step.reason()));
    }
    return platform::Result::success();
}

// Sends the file as `remoteName` and asks the server what it kept: a server that answers SIZE must
// hold every byte that left.
FtpDelivery::Sent FtpDelivery::store(const QString& localPath, const QString& remoteName)
{
    Sent stored;
    m_bytesSent = 0;
    m_uploading = true;
    const FtpStep upload = m_steps->run([&] { return m_client->UploadFile(localPath, remoteName, 0); });
    m_uploading = false;
    if (!upload.succeeded()) {
        stored.setOutcome(m_run.stopRequested() ? platform::Result::stop(upload.reason()) : platform::Result(upload));
        return stored;
    }
    stored.bytes = m_bytesSent;
    const FtpStep size = m_steps->run([&] { return m_client->GetFileSize(remoteName); });
    if (m_run.stopRequested()) {
        stored.setOutcome(platform::Result::stop());
        return stored;
    }
    if (size.succeeded()) {
        if (m_client->RemoteFileSize() != stored.bytes) {
            stored.setOutcome(platform::Result::failure(QStringLiteral("the server kept %1 of the %2 bytes sent as %3")
                                                            .arg(m_client->RemoteFileSize())
                                                            .arg(stored.bytes)
                                                            .arg(remoteName)));
            return stored;
        }
        stored.confirmed = true;
    } else if (size.ended != FtpStep::Ended::Refused) {
        // The session is gone with the answer: what the server kept cannot be known.
        stored.setOutcome(platform::Result::failure(
            QStringLiteral("the server did not say what it kept of %1: %2").arg(remoteName, size.reason())));
        return stored;
    }
    stored.setOutcome(platform::Result::success());
    return stored;
}

FtpStep FtpDelivery::rename(const QString& from, const QString& to)
{
    return m_steps->run([&] { return m_client->RenameFile(from, to); });
}

// The new copy goes to a name of its own first, so that the earlier one stays whole until the new one
// can take its place.
FtpDelivery::Sent FtpDelivery::send(const QString& localPath, const QString& remoteName)
{
    m_fileSize = QFileInfo(localPath).size();
    m_run.showStatus(QStringLiteral("FTP: Uploading ") + localPath + QStringLiteral("..."));
    core::LogEvent(QStringLiteral("FTP: Uploading ") + localPath);
    if (m_storeDirectly)
        return store(localPath, remoteName);

    const QString partial = partialName(remoteName);
    Sent sent = store(localPath, partial);
    if (sent.stopped())
        return sent;
    if (!sent.succeeded()) {
        m_steps->run([&] { return m_client->DeleteFile(partial); });
        return sent;
    }
    FtpStep placed = rename(partial, remoteName);
    // A server that renames, but not over a file, takes the new copy once the earlier one made way;
    // only a copy the server said it holds whole may take that place.
    if (!placed.succeeded() && placed.refusedCommand == QLatin1String("RNTO") && sent.confirmed
        && !m_run.stopRequested()) {
        core::LogEvent(QStringLiteral("FTP: The server would not put %1 in the place of %2 (%3); the earlier copy "
                                      "is removed first.")
                           .arg(partial, remoteName, placed.reason()));
        m_steps->run([&] { return m_client->DeleteFile(remoteName); });
        placed = rename(partial, remoteName);
    }
    if (placed.succeeded())
        return sent;
    if (m_run.stopRequested()) {
        sent.setOutcome(platform::Result::stop(placed.reason()));
        return sent;
    }
    if (!sent.confirmed) {
        // Nothing shows that the server kept the sent copy: the earlier one is all there is.
        m_steps->run([&] { return m_client->DeleteFile(partial); });
        sent.setOutcome(
            platform::Result::failure(QStringLiteral("the sent copy could not take its name: ") + placed.reason()));
        return sent;
    }

    // The server keeps what it is sent but will not rename it: the file goes under its own name.
    core::LogEvent(QStringLiteral("FTP: The server refused to rename %1 (%2); %3 is sent again under its own name.")
                       .arg(partial, placed.reason(), remoteName));
    m_run.showStatus(QStringLiteral("FTP: Uploading ") + localPath + QStringLiteral("..."));
    m_storeDirectly = true;
    Sent direct = store(localPath, remoteName);
    if (!direct.succeeded()) {
        if (!direct.stopped())
            direct.setOutcome(platform::Result::failure(
                direct.reason() + QStringLiteral("; the whole copy sent before stays as ") + partial));
        return direct;
    }
    m_steps->run([&] { return m_client->DeleteFile(partial); });
    return direct;
}

// Time-stamp folders of this set that no version names and that hold nothing but folders and files
// cut off in their upload are what interrupted runs left; they go. Nothing else is touched, and a
// server that cannot be reached now is left for the next delivery.
void FtpDelivery::removeLeftovers(const core::BackupSetInfo& set, const QString& stamp)
{
    if (!openAt().succeeded())
        return;
    if (!m_steps->run([this] { return m_client->GetCurrentDirectory(); }).succeeded()
        || !m_steps->run([this] { return m_client->EnumFiles(); }).succeeded() || !m_client->CurrentDirectoryFiles()) {
        close();
        return;
    }
    const QString base = m_client->CurrentDirectory();
    QStringList candidates;
    for (const ftp::clsFtpFile& entry : *m_client->CurrentDirectoryFiles()) {
        if (entry.IsDirectory && !entry.Permissions.startsWith(QLatin1Char('l'))
            && !entry.Filename.contains(QLatin1Char('/'))
            && isStaleTimestampFolder(entry.Filename, set, stamp, versionLines, true))
            candidates << ftp::joinRemotePath(base, entry.Filename);
    }
    for (const QString& folder : std::as_const(candidates)) {
        if (m_run.stopRequested())
            break;
        QStringList files;
        QStringList folders;
        if (!onlyPartials(folder, 0, files, folders))
            continue;
        core::LogEvent(QStringLiteral("FTP: Removing what an interrupted backup left: ") + folder);
        bool removed = true;
        for (const QString& file : std::as_const(files))
            removed = removed && m_steps->run([&] { return m_client->DeleteFile(file); }).succeeded();
        for (const QString& emptied : std::as_const(folders))
            removed = removed && m_steps->run([&] { return m_client->RemoveDirectory(emptied); }).succeeded();
        if (!removed)
            core::LogEvent(QStringLiteral("FTP: Could not remove all of ") + folder);
    }
    close();
}

// Gathers the tree below the remote `folder`, deepest first, when it holds only folders and files
// whose upload was cut off. Link entries are never followed: they keep the folder.
bool FtpDelivery::onlyPartials(const QString& folder, int depth, QStringList& files, QStringList& folders)
{
    if (depth > DeepestLevel || !m_steps->run([&] { return m_client->SetCurrentDirectory(folder); }).succeeded()
        || !m_steps->run([this] { return m_client->EnumFiles(); }).succeeded())
        return false;
    const std::shared_ptr<const ftp::clsFtpFiles> entries = m_client->CurrentDirectoryFiles();
    if (!entries)
        return false;
    for (const ftp::clsFtpFile& entry : *entries) {
        const QString& name = entry.Filename;
        if (name == QLatin1String(".") || name == QLatin1String(".."))
            continue;
        if (name.isEmpty() || name.contains(QLatin1Char('/')) || entry.Permissions.startsWith(QLatin1Char('l')))
            return false;
        const QString path = ftp::joinRemotePath(folder, name);
        if (entry.IsDirectory) {
            if (!onlyPartials(path, depth + 1, files, folders))
                return false;
        } else if (isPartialName(name)) {
            files << path;
        } else {
            return false;
        }
        if (files.size() + folders.size() > MostEntries)
            return false;
    }
    folders << folder;
    return true;
}

void FtpDelivery::close()
{
    if (m_steps)
        m_steps->quit();
    m_steps.reset();
    m_client.reset();
}

FolderDeliveryResult FtpDelivery::deliverEachFile(const core::BackupSetInfo& set)
{
    if ((set.Compression == core::CompressionMode::ArchivePerFile || set.ProtectData == core::ProtectionMode::Blowfish)
        && !prepareFile)
        return deliveryFailure(
            QStringLiteral("The run has no way to pack or protect the files; nothing was delivered."));
    QString unreadable;
    const std::optional<QStringList> sources = core::readSetFileList(set.ItemName, unreadable);
    if (!sources)
        return deliveryFailure(unreadable);

    FolderDeliveryResult result;
    const qsizetype listed = sources->size();
    for (const QString& source : *sources) {
        if (m_run.stopRequested())
            return deliveryStopped();

        const std::optional<QString> relative = platform::mirrorRelativePath(source);
        if (!relative) {
            addCopyError(result, BadFileName, QStringLiteral("Bad file name or number"), source, Send);
            continue;
        }
        QStringList levels = m_stampLevels;
        const qsizetype slash = relative->lastIndexOf(QLatin1Char('/'));
        if (slash > 0)
            levels += relative->left(slash).split(QLatin1Char('/'), Qt::SkipEmptyParts);

        PreparedFile prepared;
        const Preparation preparation = prepareForDelivery(source, prepareFile, m_run, result, prepared, Send);
        if (preparation == Preparation::Stopped)
            return deliveryStopped();
        if (preparation == Preparation::Skipped)
            continue;
        if (!QFileInfo(prepared.path).isFile()) {
            addCopyError(result, core::err::FileNotFound, QStringLiteral("File not found"), source, Send);
            removeWorkFiles(prepared);
            continue;
        }

        const platform::Result opened = openAt();
        if (!opened.succeeded()) {
            removeWorkFiles(prepared);
            if (opened.stopped())
                return deliveryStopped();
            return deliveryFailure(opened.reason(), result);
        }
        const platform::Result entered = enterLevels(levels);
        Sent sent;
        if (entered.succeeded())
            sent = send(prepared.path, prepared.name);
        else
            sent.setOutcome(entered);
        close();
        removeWorkFiles(prepared);
        if (sent.stopped() || m_run.stopRequested())
            return deliveryStopped();
        if (sent.succeeded()) {
            result.deliveredBytes += sent.bytes;
            ++result.deliveredFiles;
        } else {
            addCopyError(result, core::err::PathFileAccess, QStringLiteral("Path/File access error: ") + sent.reason(),
                         source, Send);
        }
        m_run.yield();
    }
    if (listed > 0 && result.deliveredFiles == 0) {
        return deliveryFailure(
            QStringLiteral("None of the %1 listed files could be sent to %2").arg(listed).arg(m_host), result);
    }
    result.setOutcome(platform::Result::success());
    return result;
}

FolderDeliveryResult FtpDelivery::deliverArchive(const QString& archivePath)
{
    if (m_run.stopRequested())
        return deliveryStopped();
    if (archivePath.isEmpty() || !QFileInfo(archivePath).isFile())
        return deliveryFailure(QStringLiteral("The run made no archive to deliver."));
    const platform::Result opened = openAt();
    if (opened.stopped())
        return deliveryStopped();
    if (!opened.succeeded())
        return deliveryFailure(opened.reason());
    if (const platform::Result entered = enterLevels(m_stampLevels); !entered.succeeded())
        return deliveryFailure(entered.reason());
    const Sent sent = send(archivePath, core::FileNameOf(archivePath));
    close();
    if (sent.stopped() || m_run.stopRequested())
        return deliveryStopped();
    if (!sent.succeeded())
        return deliveryFailure(QStringLiteral("Could not send the archive to %1: %2").arg(m_host, sent.reason()));
    return deliveredArchive(sent.bytes);
}

} // namespace engine
