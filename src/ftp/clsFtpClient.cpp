#include "ftp/clsFtpClient.h"

#include <utility>

#include <QFileDevice>
#include <QHash>

#include "ftp/FtpErrorNumbers.h"
#include "ftp/FtpReply.h"
#include "ftp/FtpReplyCodes.h"
#include "ftp/SocketSupport.h"
#include "ftp/clsFtpSocket.h"
#include "ftp/clsFtpTimeout.h"

namespace ftp
{

namespace
{

const QString kInvalidCall = QStringLiteral("Invalid procedure call or argument");
const QString kInvalidProperty = QStringLiteral("Invalid property value.");

QString waitingText(const QString& method)
{
    return QStringLiteral("Cannot execute the %1 method.  Waiting for server response on previous command.")
        .arg(method);
}

int stateForCommand(const QString& word, int pending)
{
    static const QHash<QString, int> states {
        {QStringLiteral("USER"), clsFtpClient::StateLoggingIn},
        {QStringLiteral("PASS"), clsFtpClient::StateLoggingIn},
        {QStringLiteral("CWD"), clsFtpClient::StateChangingDirectory},
        {QStringLiteral("DELE"), clsFtpClient::StateDeletingFile},
        {QStringLiteral("RMD"), clsFtpClient::StateRemovingDirectory},
        {QStringLiteral("MKD"), clsFtpClient::StateCreatingDirectory},
        {QStringLiteral("RNFR"), clsFtpClient::StateRenaming},
        {QStringLiteral("LIST"), clsFtpClient::StateListing},
        {QStringLiteral("PWD"), clsFtpClient::StateListing},
        {QStringLiteral("RETR"), clsFtpClient::StateDownloading},
        {QStringLiteral("STOR"), clsFtpClient::StateUploading},
        {QStringLiteral("QUIT"), clsFtpClient::StateQuitting},
    };
    if (auto found = states.constFind(word); found != states.constEnd())
        return *found;
    static const QStringList dataCommands {QStringLiteral("TYPE"), QStringLiteral("PASV"), QStringLiteral("PORT"),
                                           QStringLiteral("REST")};
    if (dataCommands.contains(word)) {
        switch (pending) {
        case clsFtpClient::MethodDownloadFile:
            return clsFtpClient::StateDownloading;
        case clsFtpClient::MethodUploadFile:
            return clsFtpClient::StateUploading;
        case clsFtpClient::MethodEnumFiles:
            return clsFtpClient::StateListing;
        default:
            break;
        }
    }
    return clsFtpClient::StateIdle;
}

bool holdsLineBreakOrNul(const QString& text)
{
    return text.contains(QLatin1Char('\r')) || text.contains(QLatin1Char('\n')) || text.contains(QChar(0));
}

} // namespace

clsFtpClient::clsFtpClient(QObject* parent)
    : QObject(parent)
    , m_objControlSocket(new clsFtpSocket(this))
    , m_objDataSocket(new clsFtpSocket(this))
    , m_objTimeOut(new clsFtpTimeout(this))
    , m_drainCheck(new QTimer(this))
{
    m_objTimeOut->setTimeOutValue(60);
    // The system takes megabytes of an upload at once and sends them at the link's pace; this looks at
    // how much of it is still queued.
    m_drainCheck->setInterval(200);
    connect(m_drainCheck, &QTimer::timeout, this, &clsFtpClient::noteBytesLeft);
    connect(m_objControlSocket, &clsFtpSocket::OnConnect, this, &clsFtpClient::m_objControlSocket_OnConnect);
    connect(m_objControlSocket, &clsFtpSocket::OnDataArrival, this, &clsFtpClient::m_objControlSocket_OnDataArrival);
    connect(m_objControlSocket, &clsFtpSocket::OnClose, this, &clsFtpClient::m_objControlSocket_OnClose);
    connect(m_objControlSocket, &clsFtpSocket::OnError, this,
            [this](int number, const QString& description) { m_objControlSocket_OnError(number, description); });
    connect(m_objTimeOut, &clsFtpTimeout::TimeOut, this, &clsFtpClient::m_objTimeOut_TimeOut);
    connect(m_objDataSocket, &clsFtpSocket::OnConnect, this, &clsFtpClient::m_objDataSocket_OnConnect);
    connect(m_objDataSocket, &clsFtpSocket::OnConnectionRequest, this,
            &clsFtpClient::m_objDataSocket_OnConnectionRequest);
    connect(m_objDataSocket, &clsFtpSocket::OnDataArrival, this, &clsFtpClient::m_objDataSocket_OnDataArrival);
    connect(m_objDataSocket, &clsFtpSocket::OnSendComplete, this, &clsFtpClient::m_objDataSocket_OnSendComplete);
    connect(m_objDataSocket, &clsFtpSocket::OnSendProgress, this, &clsFtpClient::noteBytesLeft);
    connect(m_objDataSocket, &clsFtpSocket::OnClose, this, &clsFtpClient::m_objDataSocket_OnClose);
    connect(m_objDataSocket, &clsFtpSocket::OnError, this,
            [this](int number, const QString& description) { m_objDataSocket_OnError(number, description); });
}

clsFtpClient::~clsFtpClient()
{
    m_objTimeOut->StopTimer();
    m_objControlSocket->disconnect(this);
    m_objDataSocket->disconnect(this);
    m_objTimeOut->disconnect(this);
}

QString clsFtpClient::anonymousPassword()
{
    return QStringLiteral("anonymous@example.io");
}

// ---- public operations

bool clsFtpClient::Connect()
{
    if (m_ftpServer.isEmpty())
        return refuse(kInvalidPropertyValue, QStringLiteral("clsFtpClient.Connect failed: ") + kInvalidProperty,
                      QStringLiteral("Connect"));
    if (holdsLineBreakOrNul(m_ftpServer) || holdsLineBreakOrNul(m_username) || holdsLineBreakOrNul(m_password))
        return refuse(kInvalidProcedureCall,
                      QStringLiteral("The server, user name or password holds a line break or a NUL character."),
                      QStringLiteral("Connect"));
    if (m_username.isEmpty()) {
        m_username = QStringLiteral("anonymous");
        m_password = anonymousPassword();
    }

    // A new connection starts from nothing: what an earlier one left must not read as its greeting.
    if (const int pending = m_lngPendingMethod; pending != NoMethod) {
        EndAsyncMethod();
        CloseDataConnection();
        CloseLocalFile();
        raiseCompletion(pending, rsCancelled);
    }
    dropConnections();

    setSessionState(StateConnecting);
    m_strLastCommand.clear();
    BeginAsyncMethod(MethodConnect);
    const FtpResult started = m_objControlSocket->Connect(m_ftpServer, m_remotePort);
    if (!started) {
        if (m_lngPendingMethod == MethodConnect)
            EndAsyncMethod();
        return refuse(started.error().Number,
                      QStringLiteral("clsFtpClient.Connect failed: ") + started.error().Description,
                      QStringLiteral("Connect"));
    }
    return true;
}

bool clsFtpClient::SetCurrentDirectory(const QString& strDirectoryPath)
{
    const QString method = QStringLiteral("SetCurrentDirectory");
    return beginPathCommand(MethodSetCurrentDirectory, method, QStringLiteral("CWD"), strDirectoryPath,
                            waitingText(method), kInvalidCall);
}

bool clsFtpClient::GetCurrentDirectory()
{
    if (m_lngPendingMethod != NoMethod)
        return refuseBusy(
            QStringLiteral("Cannot get current directory.  Waiting for server response on previous command."),
            QStringLiteral("GetCurrentDirectory"));
    return beginCommand(MethodGetCurrentDirectory, QStringLiteral("PWD"), {});
}

bool clsFtpClient::CreateDirectory(const QString& strDirectoryPath)
{
    const QString method = QStringLiteral("CreateDirectory");
    return beginPathCommand(MethodCreateDirectory, method, QStringLiteral("MKD"), strDirectoryPath,
                            QStringLiteral("Could not write to FTP.  Check username and password."), kInvalidCall);
}

bool clsFtpClient::RemoveDirectory(const QString& strDirectoryPath)
{
    const QString method = QStringLiteral("RemoveDirectory");
    return beginPathCommand(MethodRemoveDirectory, method, QStringLiteral("RMD"), strDirectoryPath,
                            QStringLiteral("Remove Directory Failed"), QStringLiteral("Remove Directory Failed"));
}

bool clsFtpClient::DeleteFile(const QString& strFilePath)
{
    const QString method = QStringLiteral("DeleteFile");
    return beginPathCommand(MethodDeleteFile, method, QStringLiteral("DELE"), strFilePath, waitingText(method),
                            kInvalidCall);
}

bool clsFtpClient::RenameFile(const QString& strOldFileName, const QString& strNewFileName)
{
    const QString method = QStringLiteral("RenameFile");
    if (m_lngPendingMethod != NoMethod)
        return refuseBusy(QStringLiteral("FTP Rename File failed"), method);
    if (strOldFileName.isEmpty() || strNewFileName.isEmpty())
        return refuse(kInvalidProcedureCall, QStringLiteral("FTP RenameFile failed"), method);
    if (!checkArgument(strOldFileName, method) || !checkArgument(strNewFileName, method))
        return false;
    m_strNewFileName = strNewFileName;
    return beginCommand(MethodRenameFile, QStringLiteral("RNFR"), strOldFileName);
}

bool clsFtpClient::GetFileSize(const QString& strFilePath)
{
    const QString method = QStringLiteral("GetFileSize");
    m_remoteFileSize = -1;
    return beginPathCommand(MethodGetFileSize, method, QStringLiteral("SIZE"), strFilePath, waitingText(method),
                            kInvalidCall);
}

bool clsFtpClient::QuitSession()
{
    const QString method = QStringLiteral("QuitSession");
    if (m_lngPendingMethod != NoMethod)
        return refuseBusy(waitingText(method), method);
    return beginCommand(MethodQuitSession, QStringLiteral("QUIT"), {});
}

void clsFtpClient::CancelAsyncMethod()
{
    const int pending = m_lngPendingMethod;
    EndAsyncMethod();
    switch (pending) {
    case MethodDownloadFile:
    case MethodUploadFile:
    case MethodEnumFiles:
        CloseDataConnection();
        CloseLocalFile();
        m_listingBytes.clear();
        raiseCompletion(pending, rsCancelled);
        break;
    case NoMethod:
    case MethodQuitSession:
        break;
    default:
        raiseCompletion(pending, rsCancelled);
        break;
    }
}

void clsFtpClient::CloseControlConnection()
{
    EndAsyncMethod();
    if (m_objControlSocket->State() != clsFtpSocket::StateClosed)
        m_objControlSocket->CloseSocket();
}

bool clsFtpClient::DataTransferInProgress() const
{
    return m_lngPendingMethod == MethodDownloadFile || m_lngPendingMethod == MethodUploadFile
        || m_lngPendingMethod == MethodEnumFiles;
}

bool clsFtpClient::Busy() const
{
    return m_sessionState != StateIdle && m_sessionState != StateNotConnected;
}

QString clsFtpClient::FtpServerMessage()
{
    return std::exchange(m_ftpServerMessage, QString());
}

FtpResult clsFtpClient::setSendBufferLenght(int NewValue)
{
    if (NewValue < 512 || NewValue > 8192)
        return FtpResult::fail(kInvalidPropertyValue, kInvalidProperty,
                               clientSource(QStringLiteral("SendBufferLenght")));
    m_sendBufferLength = NewValue;
    return FtpResult::success();
}

FtpResult clsFtpClient::setRemotePort(int NewValue)
{
    if (NewValue < 1 || NewValue > 65535)
        return FtpResult::fail(kInvalidPropertyValue, kInvalidProperty, clientSource(QStringLiteral("RemotePort")));
    m_remotePort = NewValue;
    return FtpResult::success();
}

FtpResult clsFtpClient::setTimeOut(int intSeconds)
{
    // Below a second the watchdog would either never run or never let an operation finish.
    if (intSeconds < 1 || intSeconds > 32767)
        return FtpResult::fail(kInvalidPropertyValue, kInvalidProperty, clientSource(QStringLiteral("TimeOut")));
    m_objTimeOut->setTimeOutValue(intSeconds);
    return FtpResult::success();
}

int clsFtpClient::TimeOut() const
{
    return m_objTimeOut->TimeOutValue();
}

// ---- the pending-operation protocol

bool clsFtpClient::refuse(int number, const QString& description, const QString& method)
{
    m_lastFtpError = {number, description, clientSource(method)};
    return false;
}

bool clsFtpClient::refuseBusy(const QString& description, const QString& method)
{
    return refuse(kBusy, description, method);
}

bool clsFtpClient::checkArgument(const QString& argument, const QString& method)
{
    if (!holdsLineBreakOrNul(argument))
        return true;
    return refuse(kInvalidProcedureCall, QStringLiteral("A name may not hold a line break or a NUL character."),
                  method);
}

bool clsFtpClient::beginPathCommand(int id, const QString& method, const QString& word, const QString& path,
                                    const QString& busyText, const QString& emptyText)
{
    if (m_lngPendingMethod != NoMethod)
        return refuseBusy(busyText, method);
    if (path.isEmpty())
        return refuse(kInvalidProcedureCall, emptyText, method);
    if (!checkArgument(path, method))
        return false;
    return beginCommand(id, word, path);
}

bool clsFtpClient::beginCommand(int id, const QString& word, const QString& argument)
{
    BeginAsyncMethod(id);
    SendFtpCommand(word, argument);
    return true;
}

void clsFtpClient::BeginAsyncMethod(int id)
{
    m_lastFtpError = {};
    m_lngPendingMethod = id;
    m_objTimeOut->StartTimer();
}

void clsFtpClient::EndAsyncMethod()
{
    m_objTimeOut->StopTimer();
    m_lngPendingMethod = NoMethod;
    setSessionState(StateIdle);
}

void clsFtpClient::setSessionState(int state)
{
    m_sessionState = state;
    emit OnStateChange(state);
}

void clsFtpClient::RaiseMethodError(int id)
{
    raiseCompletion(id, rsError);
}

void clsFtpClient::raiseCompletion(int id, int result)
{
    switch (id) {
    case MethodConnect:
        emit OnConnect(result);
        break;
    case MethodGetCurrentDirectory:
        emit OnGetCurrentDirectory(result);
        break;
    case MethodSetCurrentDirectory:
        emit OnSetCurrentDirectory(result);
        break;
    case MethodCreateDirectory:
        emit OnCreateDirectory(result);
        break;
    case MethodRemoveDirectory:
        emit OnRemoveDirectory(result);
        break;
    case MethodRenameFile:
        emit OnRenameFile(result);
        break;
    case MethodDeleteFile:
        emit OnDeleteFile(result);
        break;
    case MethodDownloadFile:
        emit OnDownloadFile(result);
        break;
    case MethodUploadFile:
        emit OnUploadFile(result);
        break;
    case MethodEnumFiles:
        emit OnEnumFiles(result);
        break;
    case MethodQuitSession:
        emit OnQuitSession(result);
        break;
    case MethodGetFileSize:
        emit OnGetFileSize(result);
        break;
    default:
        break;
    }
}

void clsFtpClient::endOperation(int result, int number, const QString& description, const QString& errorSource,
                                bool connectionGone)
{
    const int pending = m_lngPendingMethod;
    CloseDataConnection();
    CloseLocalFile();
    m_listingBytes.clear();
    EndAsyncMethod();
    // The state is final before the event, so a handler may start the next operation.
    if (connectionGone)
        setSessionState(StateNotConnected);
    m_lastFtpError = {number, description, errorSource};
    raiseCompletion(pending, result);
}

void clsFtpClient::RaiseFtpError(int code)
{
    const int pending = m_lngPendingMethod;
    // A refused transfer leaves no data connection and no partial file behind.
    CloseDataConnection();
    CloseLocalFile();
    m_listingBytes.clear();
    EndAsyncMethod();
    m_lastFtpError = {code + 16000, replyCodeText(code), QStringLiteral("FtpClientX.clsFtpClient")};
    RaiseMethodError(pending);
}

// A refused login also drops the connection; it is closed before the event, so a handler may connect
// again from inside it.
void clsFtpClient::failLogin(int code)
{
    const int pending = m_lngPendingMethod;
    CloseControlConnection();
    m_lastFtpError = {code + 16000, replyCodeText(code), QStringLiteral("FtpClientX.clsFtpClient")};
    RaiseMethodError(pending);
}

void clsFtpClient::dropConnections()
{
    ++m_connectionGeneration;
    m_objControlSocket->Abort();
    m_objDataSocket->Abort();
    m_replies.clear();
}

void clsFtpClient::CloseDataConnection()
{
    if (m_objDataSocket->State() != clsFtpSocket::StateClosed)
        m_objDataSocket->Abort();
}

// ---- the control dialogue

bool clsFtpClient::SendFtpCommand(const QString& word, const QString& argument)
{
    const QString errorSource = clientSource(QStringLiteral("SendFtpCommand"));
    if (holdsLineBreakOrNul(argument)) {
        endOperation(rsError, kInvalidProcedureCall,
                     QStringLiteral("A name may not hold a line break or a NUL character."), errorSource);
        return false;
    }
    if (m_objControlSocket->State() != clsFtpSocket::StateConnected) {
        endOperation(rsError, WSAENOTCONN, QStringLiteral("The connection is not established"), errorSource);
        return false;
    }
    setSessionState(stateForCommand(word, m_lngPendingMethod));
    QString line = word;
    if (!argument.isEmpty())
        line += QLatin1Char(' ') + argument;
    m_strLastCommand = word;
    const FtpResult sent = m_objControlSocket->SendData(line + QStringLiteral("\r\n"));
    if (!sent) {
        endOperation(rsError, sent.error().Number, sent.error().Description, errorSource);
        return false;
    }
    // The trace may be logged or shown; the password is not.
    emit SessionProtocolMessage(
        word == QLatin1String("PASS") ? QStringLiteral("PASS ********") : word + QLatin1Char(' ') + argument, 0);
    return true;
}

} // namespace ftp
