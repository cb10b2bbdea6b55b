// The control side of an FTP session: replies, the control connection's events and the watchdog.
#include "ftp/clsFtpClient.h"

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

const QString kNoDirectoryText
    = QStringLiteral("Cannot retrieve the current directory path. Unexpected server response.");

} // namespace

void clsFtpClient::m_objControlSocket_OnDataArrival()
{
    if (m_lngPendingMethod != NoMethod)
        m_objTimeOut->Reset();
    QByteArray piece;
    m_objControlSocket->GetData(piece);
    m_lastServerResponse = decodeControlText(piece);
    m_replies.append(piece);

    const int generation = m_connectionGeneration;
    while (const std::optional<FtpReply> reply = m_replies.next()) {
        if (!reply->continuation.isEmpty())
            m_ftpServerMessage = reply->continuation;
        emit SessionProtocolMessage(reply->text, reply->code < 400 ? 1 : 2);
        // A handler may have dropped this connection; what is left of it must not be acted on.
        if (generation != m_connectionGeneration)
            return;
        actOnReply(reply->code, reply->text);
        if (generation != m_connectionGeneration)
            return;
    }

    if (const QString overflow = m_replies.overflow(); !overflow.isEmpty()) {
        // The dialogue cannot go on from a stream that is not made of replies.
        dropConnections();
        if (m_lngPendingMethod != NoMethod)
            endOperation(rsError, WSAEMSGSIZE, overflow,
                         clientSource(QStringLiteral("m_objControlSocket_OnDataArrival")), true);
        else
            setSessionState(StateNotConnected);
    }
}

bool clsFtpClient::GetDirFromResponse(const QString& reply)
{
    const std::optional<QString> path = quotedPath(reply);
    m_currentDirectory = path.value_or(QString());
    return path.has_value();
}

void clsFtpClient::loggedIn()
{
    setSessionState(StateLoggedIn);
    SendFtpCommand(QStringLiteral("PWD"));
}

void clsFtpClient::actOnReply(int code, const QString& reply)
{
    const QString& last = m_strLastCommand;
    auto endWith = [this](int result) {
        const int pending = m_lngPendingMethod;
        EndAsyncMethod();
        raiseCompletion(pending, result);
    };

    switch (m_lngPendingMethod) {
    case NoMethod:
        if (code == 421)
            CloseControlConnection();
        return;
    case MethodConnect:
        if (last.isEmpty()) {
            if (code == 220)
                SendFtpCommand(QStringLiteral("USER"), m_username);
            else
                failLogin(code);
        } else if (last == QLatin1String("USER")) {
            if (code == 230)
                loggedIn();
            else if (code == 331)
                SendFtpCommand(QStringLiteral("PASS"), m_password);
            else
                failLogin(code);
        } else if (last == QLatin1String("PASS")) {
            if (code == 202 || code == 230)
                loggedIn();
            else
                failLogin(code);
        } else if (last == QLatin1String("PWD")) {
            if (code != 257) {
                failLogin(code);
            } else if (GetDirFromResponse(reply)) {
                endWith(rsSuccess);
            } else {
                CloseControlConnection();
                m_lastFtpError = {kNoDirectory, kNoDirectoryText, {}};
                emit OnConnect(rsError);
            }
        }
        return;
    case MethodGetCurrentDirectory:
        if (code != 257) {
            RaiseFtpError(code);
            return;
        }
        EndAsyncMethod();
        if (GetDirFromResponse(reply)) {
            emit OnGetCurrentDirectory(rsSuccess);
        } else {
            m_lastFtpError = {kNoDirectory, kNoDirectoryText, {}};
            emit OnGetCurrentDirectory(rsError);
        }
        return;
    case MethodSetCurrentDirectory:
    case MethodRemoveDirectory:
    case MethodDeleteFile:
        if (code == 250)
            endWith(rsSuccess);
        else
            RaiseFtpError(code);
        return;
    case MethodCreateDirectory:
        if (code == 257)
            endWith(rsSuccess);
        else
            RaiseFtpError(code);
        return;
    case MethodRenameFile:
        if (last == QLatin1String("RNFR")) {
            if (code == 350)
                SendFtpCommand(QStringLiteral("RNTO"), m_strNewFileName);
            else
                RaiseFtpError(code);
        } else if (last == QLatin1String("RNTO")) {
            if (code == 250)
                endWith(rsSuccess);
            else
                RaiseFtpError(code);
        }
        return;
    case MethodGetFileSize: {
        if (code != 213) {
            RaiseFtpError(code);
            return;
        }
        // "213 <bytes>": the number alone after the code.
        bool ok = false;
        const qint64 size = reply.mid(4).trimmed().toLongLong(&ok);
        EndAsyncMethod();
        if (!ok || size < 0) {
            m_lastFtpError = {kBadSizeReply, QStringLiteral("The server's reply to SIZE holds no size."),
                              clientSource(QStringLiteral("GetFileSize"))};
            emit OnGetFileSize(rsError);
            return;
        }
        m_remoteFileSize = size;
        emit OnGetFileSize(rsSuccess);
        return;
    }
    case MethodQuitSession:
        if (last != QLatin1String("QUIT"))
            return;
        if (code == 221) {
            EndAsyncMethod();
            m_objControlSocket->CloseSocket();
            emit OnQuitSession(rsSuccess);
        } else {
            RaiseFtpError(code);
        }
        return;
    case MethodDownloadFile:
    case MethodUploadFile:
    case MethodEnumFiles:
        actOnTransferReply(code, reply);
        return;
    default:
        return;
    }
}

// ---- notifications

void clsFtpClient::m_objControlSocket_OnConnect()
{
    m_objTimeOut->Reset();
    setSessionState(StateConnected);
}

void clsFtpClient::m_objControlSocket_OnClose()
{
    ++m_connectionGeneration;
    m_replies.clear();
    if (m_lngPendingMethod != NoMethod)
        endOperation(rsError, WSAENOTCONN, QStringLiteral("The server closed the connection."),
                     clientSource(QStringLiteral("m_objControlSocket_OnClose")), true);
    else
        setSessionState(StateNotConnected);
}

void clsFtpClient::m_objControlSocket_OnError(int Number, const QString& Description)
{
    const int pending = m_lngPendingMethod;
    CloseControlConnection();
    m_objControlSocket->Abort();
    CloseDataConnection();
    CloseLocalFile();
    m_lastFtpError = {Number, Description, clientSource(QStringLiteral("m_objControlSocket_OnError"))};
    setSessionState(StateNotConnected);
    if (pending != MethodQuitSession)
        RaiseMethodError(pending);
}

void clsFtpClient::m_objTimeOut_TimeOut()
{
    const int pending = m_lngPendingMethod;
    if (pending == NoMethod)
        return;
    // A late reply could not be told from the next command's, so the connection goes with the operation.
    dropConnections();
    endOperation(rsTimeOut, WSAETIMEDOUT,
                 QStringLiteral("The server did not answer within %1 seconds.").arg(m_objTimeOut->TimeOutValue()),
                 clientSource(QStringLiteral("TimeOut")), true);
}

} // namespace ftp
