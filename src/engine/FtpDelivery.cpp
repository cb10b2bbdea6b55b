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
#include "engine/FtpSteps.h"
#include "ftp/clsFtpClient.h"
#include "platform/EventLoop.h"
#include "platform/MirrorPath.h"

namespace engine
{
namespace
{
using Outcome = FolderDeliveryResult::Outcome;

const QString CrLf = QStringLiteral("\r\n");
// The runtime's "Bad file name or number".
constexpr qint32 BadFileName = 52;
constexpr int TimeOutSeconds = 60;
// A name the old copy keeps until the new one is whole.
const QString PartialSuffix = QStringLiteral(".partial");

bool stopRequested()
{
    return core::state().bStopBackup;
}

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

void addCopyError(FolderDeliveryResult& result, qint32 number, const QString& description, const QString& source)
{
    result.copyErrors += copyErrorEntry(number, description, source);
    result.failedFiles << source;
    core::LogEvent(QStringLiteral("Could not send ") + source + QStringLiteral(": Error ") + QString::number(number)
                   + QLatin1Char(' ') + description);
}

void removeWorkFiles(const PreparedFile& prepared)
{
    for (const QString& file : prepared.workFiles)
        QFile::remove(file);
}

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

QString joinFtpFolder(const QString& folder, const QString& part)
{
    if (part.isEmpty())
        return folder;
    if (folder.isEmpty() || folder.endsWith(QLatin1Char('/')))
        return folder + part;
    return folder + QLatin1Char('/') + part;
}

FtpDelivery::FtpDelivery() = default;

FtpDelivery::~FtpDelivery()
{
    close();
}

void FtpDelivery::setStatus(const QString& text)
{
    if (showStatus)
        showStatus(text);
}

FolderDeliveryResult FtpDelivery::deliver(core::BackupSetInfo& set, int destination, const QString& timestampFolder,
                                          const QString& archivePath)
{
    core::LogEvent(QStringLiteral("Performing FTP Backup"));
    set.RunDestType = core::DestinationType::Ftp;

    const auto run = [&]() -> FolderDeliveryResult {
        if (destination < 1 || destination > core::MaxDestinations)
            return FolderDeliveryResult::failed(QStringLiteral("There is no destination %1.").arg(destination));
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
            return FolderDeliveryResult::failed(QStringLiteral("Destination %1 names no FTP server.").arg(destination));
        const std::optional<int> port = portNumber(m_dest->FTPPort);
        if (!port)
            return FolderDeliveryResult::failed(
                QStringLiteral("The port \"%1\" of destination %2 is not a number from 1 to 65535.")
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
            return FolderDeliveryResult::failed(
                QStringLiteral("The compression mode %1 is not known; nothing was delivered.")
                    .arg(core::storedCode(set.Compression)));
        }
    };

    FolderDeliveryResult result = run();
    close();
    if (result.outcome == Outcome::Failed)
        core::state().strFailureReason = result.reason;
    return result;
}

// A fresh session for each connection, so nothing of an earlier destination (its user above all)
// carries over.
FtpDelivery::Opened FtpDelivery::open(QString* reason)
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
    QObject::connect(m_client.get(), &ftp::clsFtpClient::OnDataTransferProgress, m_client.get(),
                     [this](qint64 sent) { setStatus(progressText(sent, m_fileSize)); });

    core::ProgramState& program = core::state();
    for (int attempt = 0;; ++attempt) {
        if (stopRequested())
            return Opened::Stopped;
        program.bConnectTimedOut = false;
        m_steps->setGiveUp([&program] { return program.bStopBackup || program.bConnectTimedOut; });
        if (watchConnect)
            watchConnect(true);
        const FtpStep step = m_steps->run([this] { return m_client->Connect(); });
        if (watchConnect)
            watchConnect(false);
        const bool outOfTime = program.bConnectTimedOut || step.ended == FtpStep::Ended::TimedOut;
        program.bConnectTimedOut = false;
        m_steps->setGiveUp([&program] { return program.bStopBackup; });
        if (step.ok())
            return Opened::Open;
        if (stopRequested())
            return Opened::Stopped;
        if (outOfTime && attempt < Retries) {
            core::LogEvent(QStringLiteral("FTP: Connecting again to ") + m_host);
            continue;
        }
        setStatus(QStringLiteral("FTP: Connection failed."));
        core::LogEvent(QStringLiteral("FTP: Connection Failed. ") + step.reason);
        if (outOfTime)
            *reason = QStringLiteral("Could not connect to ") + m_host;
        else if (step.ended == FtpStep::Ended::Refused)
            *reason = QStringLiteral("Could not log in to %1: %2").arg(m_host, step.reason);
        else
            *reason = QStringLiteral("Could not connect to %1: %2").arg(m_host, step.reason);
        return Opened::Failed;
    }
}

// Connects and enters the destination's folder: a server that cannot be reached or will not let
// the user in or into the folder fails the destination.
FtpDelivery::Opened FtpDelivery::openAt(QString* reason)
{
    const Opened opened = open(reason);
    if (opened != Opened::Open || m_dest->FTPFolder.isEmpty())
        return opened;
    const FtpStep step = m_steps->run([this] { return m_client->SetCurrentDirectory(m_dest->FTPFolder); });
    if (step.ok())
        return Opened::Open;
    close();
    if (stopRequested())
        return Opened::Stopped;
    *reason = QStringLiteral("Could not enter the folder \"%1\" on %2: %3").arg(m_dest->FTPFolder, m_host, step.reason);
    return Opened::Failed;
}

// Makes and enters each level below the current folder; a level that exists already is entered all
// the same.
bool FtpDelivery::enterLevels(const QStringList& levels, QString* reason)
{
    for (const QString& level : levels) {
        if (level.isEmpty())
            continue;
        m_steps->run([this, &level] { return m_client->CreateDirectory(level); });
        const FtpStep step = m_steps->run([this, &level] { return m_client->SetCurrentDirectory(level); });
        if (!step.ok()) {
            *reason = QStringLiteral("Could not make the folder \"%1\" on %2: %3").arg(level, m_host, step.reason);
            return false;
        }
    }
    return true;
}

FtpDelivery::Sent FtpDelivery::send(const QString& localPath, const QString& remoteName)
{
    Sent sent;
    m_fileSize = QFileInfo(localPath).size();
    setStatus(QStringLiteral("FTP: Uploading ") + localPath + QStringLiteral("..."));
    core::LogEvent(QStringLiteral("FTP: Uploading ") + localPath);
    const QString partial = remoteName + PartialSuffix;
    const FtpStep upload = m_steps->run([&] { return m_client->UploadFile(localPath, partial, 0); });
    if (!upload.ok()) {
        sent.stopped = stopRequested();
        sent.reason = upload.reason;
        if (!sent.stopped)
            m_steps->run([&] { return m_client->DeleteFile(partial); });
        return sent;
    }
    FtpStep placed = m_steps->run([&] { return m_client->RenameFile(partial, remoteName); });
    // Some servers will not rename over a file: the old copy goes only now that the new one is whole.
    if (!placed.ok() && !stopRequested()) {
        m_steps->run([&] { return m_client->DeleteFile(remoteName); });
        placed = m_steps->run([&] { return m_client->RenameFile(partial, remoteName); });
    }
    if (!placed.ok()) {
        sent.stopped = stopRequested();
        sent.reason = QStringLiteral("the sent copy could not take its name: ") + placed.reason;
        return sent;
    }
    sent.ok = true;
    sent.bytes = m_fileSize;
    return sent;
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
        return FolderDeliveryResult::failed(
            QStringLiteral("The run has no way to pack or protect the files; nothing was delivered."));
    QString unreadable;
    const std::optional<QStringList> sources = core::readSetFileList(set.ItemName, unreadable);
    if (!sources)
        return FolderDeliveryResult::failed(unreadable);

    FolderDeliveryResult result;
    const qsizetype listed = sources->size();
    for (const QString& source : *sources) {
        if (stopRequested())
            return FolderDeliveryResult::stopped();

        const std::optional<QString> relative = platform::mirrorRelativePath(source);
        if (!relative) {
            addCopyError(result, BadFileName, QStringLiteral("Bad file name or number"), source);
            continue;
        }
        QStringList levels = m_stampLevels;
        const qsizetype slash = relative->lastIndexOf(QLatin1Char('/'));
        if (slash > 0)
            levels += relative->left(slash).split(QLatin1Char('/'), Qt::SkipEmptyParts);

        const PreparedFile prepared
            = prepareFile ? prepareFile(source) : PreparedFile {source, core::FileNameOf(source), {}, {}};
        if (stopRequested()) {
            removeWorkFiles(prepared);
            return FolderDeliveryResult::stopped();
        }
        if (!prepared.error.isEmpty() || prepared.name.isEmpty() || prepared.name.contains(QLatin1Char('/'))) {
            const QString why = prepared.error.isEmpty()
                ? QStringLiteral("\"%1\" cannot name a file").arg(prepared.name)
                : prepared.error;
            addCopyError(result, core::err::PathFileAccess, QStringLiteral("Path/File access error: ") + why, source);
            removeWorkFiles(prepared);
            continue;
        }
        if (!QFileInfo(prepared.path).isFile()) {
            addCopyError(result, core::err::FileNotFound, QStringLiteral("File not found"), source);
            removeWorkFiles(prepared);
            continue;
        }

        QString reason;
        const Opened opened = openAt(&reason);
        if (opened != Opened::Open) {
            removeWorkFiles(prepared);
            if (opened == Opened::Stopped)
                return FolderDeliveryResult::stopped();
            FolderDeliveryResult broken = FolderDeliveryResult::failed(reason);
            broken.copyErrors = result.copyErrors;
            broken.failedFiles = result.failedFiles;
            return broken;
        }
        Sent sent;
        if (enterLevels(levels, &sent.reason))
            sent = send(prepared.path, prepared.name);
        close();
        removeWorkFiles(prepared);
        if (sent.stopped || stopRequested())
            return FolderDeliveryResult::stopped();
        if (sent.ok) {
            result.deliveredBytes += sent.bytes;
            ++result.deliveredFiles;
        } else {
            addCopyError(result, core::err::PathFileAccess, QStringLiteral("Path/File access error: ") + sent.reason,
                         source);
        }
        platform::doEvents();
    }
    if (listed > 0 && result.deliveredFiles == 0) {
        FolderDeliveryResult none = FolderDeliveryResult::failed(
            QStringLiteral("None of the %1 listed files could be sent to %2").arg(listed).arg(m_host));
        none.copyErrors = result.copyErrors;
        none.failedFiles = result.failedFiles;
        return none;
    }
    return result;
}

FolderDeliveryResult FtpDelivery::deliverArchive(const QString& archivePath)
{
    if (stopRequested())
        return FolderDeliveryResult::stopped();
    if (archivePath.isEmpty() || !QFileInfo(archivePath).isFile())
        return FolderDeliveryResult::failed(QStringLiteral("The run made no archive to deliver."));
    QString reason;
    const Opened opened = openAt(&reason);
    if (opened == Opened::Stopped)
        return FolderDeliveryResult::stopped();
    if (opened == Opened::Failed)
        return FolderDeliveryResult::failed(reason);
    if (!enterLevels(m_stampLevels, &reason))
        return FolderDeliveryResult::failed(reason);
    const Sent sent = send(archivePath, core::FileNameOf(archivePath));
    close();
    if (sent.stopped || stopRequested())
        return FolderDeliveryResult::stopped();
    if (!sent.ok)
        return FolderDeliveryResult::failed(
            QStringLiteral("Could not send the archive to %1: %2").arg(m_host, sent.reason));
    FolderDeliveryResult result;
    result.deliveredBytes = sent.bytes;
    result.deliveredFiles = 1;
    return result;
}

} // namespace engine
