// The data side of an FTP session: passive and active data connections, the local file, transfers,
// listings and their completion.
#include "ftp/clsFtpClient.h"

#include <algorithm>

#include <QFile>
#include <QFileInfo>
#include <QRandomGenerator>
#include <QRegularExpression>

#include "ftp/DirectoryListing.h"
#include "ftp/FtpErrorNumbers.h"
#include "ftp/SocketSupport.h"
#include "ftp/clsFtpSocket.h"
#include "ftp/clsFtpTimeout.h"
#include "platform/Clock.h"

namespace ftp
{

namespace
{

// Active-mode ports come from this range; a session tries this many before it gives up.
const int kFirstDataPort = 20000;
const int kLastDataPort = 40001;
const int kPortAttempts = 50;
// Bytes handed to the data connection per pass: large enough that the loopback, not the event loop,
// bounds an upload; small enough that memory does not grow with the file.
const qint64 kUploadChunk = 256 * 1024;

} // namespace

bool clsFtpClient::DownloadFile(const QString& strRemoteFilePath, const QString& strLocalFilePath, bool OverWrite)
{
    const QString method = QStringLiteral("DownloadFile");
    if (!cancelForTransfer(method))
        return false;
    if (strRemoteFilePath.isEmpty() || strLocalFilePath.isEmpty())
        return refuse(5, QStringLiteral("Download Failed: Invalid Procedure Call or Argument"), method);
    if (!checkArgument(strRemoteFilePath, method))
        return false;
    resetTransfer();
    m_strRemoteFile = strRemoteFilePath;
    m_strLocalFile = strLocalFilePath;
    m_blnOverWrite = OverWrite;
    return beginTransfer(MethodDownloadFile);
}

bool clsFtpClient::EnumFiles()
{
    const QString method = QStringLiteral("EnumFiles");
    if (m_lngPendingMethod != NoMethod)
        return refuseBusy(QStringLiteral("Cannot execute the EnumFiles method. Waiting fot the server response on "
                                         "the previous command."),
                          method);
    resetTransfer();
    return beginCommand(MethodEnumFiles, QStringLiteral("TYPE"), QStringLiteral("A"));
}

bool clsFtpClient::UploadFile(const QString& strLocalFile, const QString& strRemoteFile, qint64 lngStartPosition)
{
    const QString method = QStringLiteral("UploadFile");
    if (!cancelForTransfer(method))
        return false;
    if (strLocalFile.isEmpty() || strRemoteFile.isEmpty() || lngStartPosition < 0)
        return refuse(5, QStringLiteral("Invalid procedure call or argument"), method);
    if (!checkArgument(strRemoteFile, method))
        return false;
    resetTransfer();
    m_strLocalFile = strLocalFile;
    m_strRemoteFile = strRemoteFile;
    m_lngStartPosition = lngStartPosition;
    return beginTransfer(MethodUploadFile);
}

bool clsFtpClient::cancelForTransfer(const QString& method)
{
    // A handler of the cancel event may start something else; a few rounds are enough for any caller.
    for (int round = 0; round < 10 && m_lngPendingMethod != NoMethod; ++round)
        CancelAsyncMethod();
    if (m_lngPendingMethod != NoMethod)
        return refuse(kBusy, QStringLiteral("Cannot cancel the operation in progress."), method);
    return true;
}

bool clsFtpClient::beginTransfer(int id)
{
    return beginCommand(id, QStringLiteral("TYPE"), m_transferMode == 0 ? QStringLiteral("A") : QStringLiteral("I"));
}

void clsFtpClient::resetTransfer()
{
    CloseLocalFile();
    m_transfer = {};
    m_listingBytes.clear();
    m_strRemoteFile.clear();
    m_strLocalFile.clear();
    m_blnOverWrite = false;
    m_lngBytesReceived = 0;
    m_lngBytesSent = 0;
    m_lngStartPosition = 0;
    m_lngUploadSize = 0;
    m_bytesLeft = 0;
    m_drainCheck->stop();
}

void clsFtpClient::actOnTransferReply(int code, const QString& reply)
{
    const QString last = m_strLastCommand;
    if (last == QLatin1String("TYPE")) {
        if (code != 200)
            RaiseFtpError(code);
        else if (m_passiveMode)
            SendFtpCommand(QStringLiteral("PASV"));
        else
            SendPORTCommand();
    } else if (last == QLatin1String("PASV")) {
        if (code == 227)
            EstablishPasvDataConnection(reply);
        else
            RaiseFtpError(code);
    } else if (last == QLatin1String("PORT")) {
        if (code == 200)
            sendTransferCommand();
        else
            RaiseFtpError(code);
    } else if (last == QLatin1String("REST")) {
        if (code == 350)
            SendFtpCommand(m_lngPendingMethod == MethodDownloadFile ? QStringLiteral("RETR") : QStringLiteral("STOR"),
                           m_strRemoteFile);
        else
            RaiseFtpError(code);
    } else if (last == QLatin1String("RETR") || last == QLatin1String("STOR") || last == QLatin1String("LIST")) {
        if (code >= 100 && code < 200) {
            m_transfer.serverReady = true;
            startUploadWhenReady();
        } else if (code == 226 || code == 250) {
            m_transfer.serverDone = true;
            completeWhenDone();
        } else {
            RaiseFtpError(code);
        }
    }
}

int clsFtpClient::GetFreePort()
{
    if (m_lngLastDataPort == 0)
        m_lngLastDataPort = static_cast<int>(QRandomGenerator::global()->bounded(kFirstDataPort, kLastDataPort + 1));
    else
        m_lngLastDataPort = m_lngLastDataPort >= kLastDataPort ? kFirstDataPort : m_lngLastDataPort + 1;
    return m_lngLastDataPort;
}

void clsFtpClient::SendPORTCommand()
{
    setSessionState(StateOpeningDataConnection);
    // The server reaches us where it reached us for the control connection.
    const QString localIP = m_objControlSocket->LocalIP();
    FtpResult listening = FtpResult::fail(WSAEADDRINUSE, GetErrorDescription(WSAEADDRINUSE), {});
    int port = 0;
    for (int attempt = 0; attempt < kPortAttempts && !listening; ++attempt) {
        port = GetFreePort();
        m_objDataSocket->Abort();
        listening = m_objDataSocket->Bind(port, localIP);
        if (listening)
            listening = m_objDataSocket->Listen();
    }
    if (!listening) {
        failTransfer(listening.error().Number,
                     QStringLiteral("clsFtpClient.SendPORTCommand failed: ") + listening.error().Description,
                     listening.error().Source);
        return;
    }
    QString argument = localIP;
    argument.replace(QLatin1Char('.'), QLatin1Char(','));
    argument += QStringLiteral(",%1,%2").arg(port / 256).arg(port % 256);
    SendFtpCommand(QStringLiteral("PORT"), argument);
}

void clsFtpClient::EstablishPasvDataConnection(const QString& reply)
{
    setSessionState(StateOpeningDataConnection);
    static const QRegularExpression numbers(QStringLiteral(
        "(\\d{1,3})\\s*,\\s*(\\d{1,3})\\s*,\\s*(\\d{1,3})\\s*,\\s*(\\d{1,3})\\s*,\\s*(\\d{1,3})\\s*,\\s*(\\d{1,3})"));
    const QRegularExpressionMatch match = numbers.match(reply.mid(4));
    const int high = match.hasMatch() ? match.captured(5).toInt() : 256;
    const int low = match.hasMatch() ? match.captured(6).toInt() : 256;
    const int port = high * 256 + low;
    if (high > 255 || low > 255 || port == 0) {
        failTransfer(kBadPassiveReply, QStringLiteral("The server's reply to PASV names no address and port."),
                     clientSource(QStringLiteral("EstablishPasvDataConnection")));
        return;
    }
    // Only the port is taken: a reply naming another host is not followed, so a server cannot send us
    // elsewhere, and one behind an address translation that names its outside address still works.
    m_objDataSocket->Abort();
    m_objDataSocket->setLocalPort(0);
    const FtpResult started = m_objDataSocket->Connect(m_objControlSocket->RemoteHostIP(), port);
    if (!started)
        failTransfer(started.error().Number,
                     QStringLiteral("clsFtpClient.EstablishPasvDataConnection failed: ") + started.error().Description,
                     started.error().Source);
}

void clsFtpClient::sendTransferCommand()
{
    switch (m_lngPendingMethod) {
    case MethodDownloadFile:
        if (OpenLocalFile() && m_strLastCommand != QLatin1String("REST"))
            SendFtpCommand(QStringLiteral("RETR"), m_strRemoteFile);
        break;
    case MethodUploadFile:
        if (OpenLocalFileForUpload() && m_strLastCommand != QLatin1String("REST"))
            SendFtpCommand(QStringLiteral("STOR"), m_strRemoteFile);
        break;
    case MethodEnumFiles:
        SendFtpCommand(QStringLiteral("LIST"));
        break;
    default:
        break;
    }
}

bool clsFtpClient::OpenLocalFile()
{
    const QFileInfo existing(m_strLocalFile);
    const qint64 resume = !m_blnOverWrite && existing.isFile() ? existing.size() : 0;
    if (resume > 0) {
        auto file = std::make_unique<QFile>(m_strLocalFile);
        if (!file->open(QIODevice::WriteOnly | QIODevice::Append)) {
            failTransfer(kFileAccess, QStringLiteral("Cannot write %1: %2").arg(m_strLocalFile, file->errorString()),
                         clientSource(QStringLiteral("OpenLocalFile")));
            return false;
        }
        m_localFile = std::move(file);
        m_lngBytesReceived = resume;
        SendFtpCommand(QStringLiteral("REST"), QString::number(resume));
        return true;
    }
    // A new copy replaces the target only when all of it is on the disk.
    auto file = std::make_unique<platform::PendingFile>(m_strLocalFile);
    if (!file->open()) {
        failTransfer(kFileAccess, QStringLiteral("Cannot write %1: %2").arg(m_strLocalFile, file->reason()),
                     clientSource(QStringLiteral("OpenLocalFile")));
        return false;
    }
    m_newDownload = std::move(file);
    return true;
}

bool clsFtpClient::OpenLocalFileForUpload()
{
    const QFileInfo info(m_strLocalFile);
    if (!info.isFile()) {
        failTransfer(kFileNotFound, QStringLiteral("File not found: %1").arg(m_strLocalFile),
                     clientSource(QStringLiteral("OpenLocalFileForUpload")));
        return false;
    }
    auto file = std::make_unique<QFile>(m_strLocalFile);
    if (!file->open(QIODevice::ReadOnly)) {
        failTransfer(kFileAccess, QStringLiteral("Cannot read %1: %2").arg(m_strLocalFile, file->errorString()),
                     clientSource(QStringLiteral("OpenLocalFileForUpload")));
        return false;
    }
    m_lngUploadSize = file->size();
    m_lngBytesSent = m_lngStartPosition;
    m_bytesLeft = m_lngStartPosition;
    if (m_lngStartPosition > 0)
        file->seek(std::min(m_lngStartPosition, m_lngUploadSize));
    m_localFile = std::move(file);
    if (m_lngStartPosition > 0)
        SendFtpCommand(QStringLiteral("REST"), QString::number(m_lngStartPosition));
    return true;
}

// Bytes go out only once the connection is there, the file is open and the server said it is ready:
// a server may connect before it answers PORT, and bytes sent before STOR would be lost.
void clsFtpClient::startUploadWhenReady()
{
    if (m_lngPendingMethod != MethodUploadFile || !m_transfer.dataOpen || !m_transfer.serverReady || !m_localFile
        || m_transfer.sending)
        return;
    m_transfer.sending = true;
    m_drainCheck->start();
    UploadData();
}

void clsFtpClient::UploadData()
{
    if (m_lngPendingMethod != MethodUploadFile || m_transfer.allSent)
        return;
    if (m_lngBytesSent < m_lngUploadSize && m_localFile) {
        const qint64 chunk
            = std::min(m_lngUploadSize - m_lngBytesSent, std::max<qint64>(kUploadChunk, m_sendBufferLength));
        const QByteArray bytes = m_localFile->read(chunk);
        if (bytes.size() != chunk) {
            failTransfer(kFileAccess,
                         QStringLiteral("Cannot read %1: %2").arg(m_strLocalFile, m_localFile->errorString()),
                         clientSource(QStringLiteral("UploadData")));
            return;
        }
        m_lngBytesSent += bytes.size();
        const FtpResult sent = m_objDataSocket->SendData(bytes);
        if (!sent)
            failTransfer(sent.error().Number,
                         QStringLiteral("clsFtpClient.UploadData failed: ") + sent.error().Description,
                         sent.error().Source);
        return;
    }
    // The end of the data tells the server the file is complete; its reply ends the upload. The
    // connection stays open until the server closes it, so the bytes still queued can be watched.
    m_transfer.allSent = true;
    CloseLocalFile(true);
    m_objDataSocket->ShutdownSend();
    completeWhenDone();
}

void clsFtpClient::CloseLocalFile(bool keep)
{
    if (m_newDownload && !keep)
        m_newDownload->discard(); // the earlier file stays whole
    m_newDownload.reset();
    if (!m_localFile)
        return;
    m_localFile->close();
    m_localFile.reset();
}

QString clsFtpClient::localWriteFailure() const
{
    const QString why = m_newDownload ? qt_error_string(m_newDownload->error())
        : m_localFile                 ? m_localFile->errorString()
                                      : QString();
    return QStringLiteral("Cannot write %1: %2").arg(m_strLocalFile, why);
}

void clsFtpClient::failTransfer(int number, const QString& description, const QString& errorSource)
{
    endOperation(rsError, number, description, errorSource);
}

// A download or listing is complete only when its data connection has closed and the server confirmed
// it, in whichever order the two arrive.
void clsFtpClient::completeWhenDone()
{
    const int pending = m_lngPendingMethod;
    if (pending == MethodUploadFile) {
        if (!m_transfer.serverDone)
            return;
        if (!m_transfer.allSent) {
            failTransfer(WSAECONNABORTED, QStringLiteral("The server ended the upload before the whole file was sent."),
                         clientSource(QStringLiteral("m_objControlSocket_OnDataArrival")));
            return;
        }
        const qint64 size = m_lngUploadSize;
        const bool reportAll = m_bytesLeft < size;
        CloseDataConnection();
        EndAsyncMethod();
        resetTransfer();
        if (reportAll)
            emit OnDataTransferProgress(size);
        emit OnUploadFile(rsSuccess);
        return;
    }
    if (!m_transfer.dataClosed || !m_transfer.serverDone)
        return;

    if (pending == MethodDownloadFile) {
        const bool written = m_newDownload ? m_newDownload->place() : (m_localFile && m_localFile->flush());
        if (!written) {
            failTransfer(kFileAccess, localWriteFailure(), clientSource(QStringLiteral("m_objDataSocket_OnClose")));
            return;
        }
        m_newDownload.reset();
        m_localFile.reset();
        EndAsyncMethod();
        resetTransfer();
        emit OnDownloadFile(rsSuccess);
    } else if (pending == MethodEnumFiles) {
        EndAsyncMethod();
        m_currentDirectoryListing = decodeListing(m_listingBytes);
        m_listingBytes.clear();
        std::optional<clsFtpFiles> files = ParseDirectoryListing(m_currentDirectoryListing, platform::clock().now());
        if (!files) {
            m_currentDirectoryFiles.reset();
            m_lastFtpError = {kUnknownListing, QStringLiteral("Unknown listing format."),
                              clientSource(QStringLiteral("m_objDataSocket_OnClose"))};
            emit OnEnumFiles(rsError);
            return;
        }
        m_currentDirectoryFiles = std::make_shared<const clsFtpFiles>(std::move(*files));
        emit OnEnumFiles(rsSuccess);
    }
}

// ---- data socket notifications

void clsFtpClient::m_objDataSocket_OnConnect()
{
    if (!DataTransferInProgress())
        return;
    m_objTimeOut->Reset();
    m_transfer.dataOpen = true;
    sendTransferCommand();
}

void clsFtpClient::m_objDataSocket_OnConnectionRequest(qintptr requestID)
{
    if (!DataTransferInProgress())
        return;
    // Only the server gets to deliver or fetch the data; anyone else is dropped and we go on listening.
    if (clsFtpSocket::RequestPeerIP(requestID) != m_objControlSocket->RemoteHostIP())
        return;
    m_objDataSocket->CloseSocket();
    const FtpResult accepted = m_objDataSocket->Accept(requestID);
    if (!accepted) {
        failTransfer(accepted.error().Number, accepted.error().Description,
                     clientSource(QStringLiteral("m_objDataSocket_OnConnectionRequest")));
        return;
    }
    m_objTimeOut->Reset();
    m_transfer.dataOpen = true;
    startUploadWhenReady();
}

void clsFtpClient::m_objDataSocket_OnDataArrival()
{
    if (m_lngPendingMethod != NoMethod)
        m_objTimeOut->Reset();
    QByteArray bytes;
    m_objDataSocket->GetData(bytes);
    if (bytes.isEmpty())
        return;
    if (m_lngPendingMethod == MethodDownloadFile && (m_newDownload || m_localFile)) {
        const bool written = m_newDownload ? m_newDownload->write(bytes.constData(), bytes.size())
                                           : m_localFile->write(bytes) == bytes.size();
        if (!written) {
            failTransfer(kFileAccess, localWriteFailure(),
                         clientSource(QStringLiteral("m_objDataSocket_OnDataArrival")));
            return;
        }
        m_lngBytesReceived += bytes.size();
        emit OnDataTransferProgress(m_lngBytesReceived);
    } else if (m_lngPendingMethod == MethodEnumFiles) {
        m_listingBytes += bytes;
        if (m_listingBytes.size() > kLongestListing) {
            failTransfer(WSAEMSGSIZE, QStringLiteral("The listing is larger than %1 bytes.").arg(kLongestListing),
                         clientSource(QStringLiteral("m_objDataSocket_OnDataArrival")));
            return;
        }
        emit OnDataTransferProgress(m_listingBytes.size());
    }
}

void clsFtpClient::m_objDataSocket_OnSendComplete()
{
    if (m_lngPendingMethod != MethodUploadFile || !m_transfer.sending)
        return;
    UploadData();
}

void clsFtpClient::noteBytesLeft()
{
    if (m_lngPendingMethod != MethodUploadFile || !m_transfer.sending) {
        m_drainCheck->stop();
        return;
    }
    const qint64 left = std::max<qint64>(m_lngBytesSent - m_objDataSocket->UnsentBytes(), 0);
    if (left <= m_bytesLeft)
        return;
    m_bytesLeft = left;
    m_objTimeOut->Reset();
    emit OnDataTransferProgress(left);
}

void clsFtpClient::m_objDataSocket_OnClose()
{
    m_transfer.dataClosed = true;
    switch (m_lngPendingMethod) {
    case MethodDownloadFile:
    case MethodEnumFiles:
        completeWhenDone();
        break;
    case MethodUploadFile:
        if (!m_transfer.allSent)
            failTransfer(WSAECONNRESET,
                         QStringLiteral("The server closed the data connection before the whole file was sent."),
                         clientSource(QStringLiteral("m_objDataSocket_OnClose")));
        break;
    default:
        break;
    }
}

void clsFtpClient::m_objDataSocket_OnError(int Number, const QString& Description)
{
    if (!DataTransferInProgress())
        return;
    failTransfer(Number, Description, clientSource(QStringLiteral("m_objDataSocket_OnError")));
}

} // namespace ftp
