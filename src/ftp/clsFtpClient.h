#pragma once

#include <memory>

#include <QByteArray>
#include <QObject>
#include <QString>
#include <QStringList>
#include <QTimer>

#include "ftp/FtpReply.h"
#include "ftp/clsFtpError.h"
#include "ftp/clsFtpFiles.h"
#include "platform/PendingFile.h"

class QFileDevice;

namespace ftp
{

class clsFtpSocket;
class clsFtpTimeout;

// The result every completion event carries.
enum AsyncResultStatus
{
    rsSuccess = 0,
    rsError = 1, // the reason is in LastFtpError
    rsTimeOut = 2,
    rsCancelled = 3,
};

// One FTP session: a control connection to one server and at most one operation at a time. An
// operation method checks its arguments, sends the first command and returns at once; the operation
// ends later, from the event loop, with its completion event. A method that cannot begin returns
// false and leaves the reason in LastFtpError; it never shows anything, so a session may run unattended.
class clsFtpClient : public QObject
{
    Q_OBJECT

public:
    // Ids of the pending operation.
    enum PendingMethod
    {
        NoMethod = 0,
        MethodConnect = 1,
        MethodGetCurrentDirectory = 2,
        MethodSetCurrentDirectory = 3,
        MethodCreateDirectory = 4,
        MethodRemoveDirectory = 5,
        MethodRenameFile = 6,
        MethodDeleteFile = 7,
        MethodDownloadFile = 8,
        MethodUploadFile = 9,
        MethodEnumFiles = 10,
        MethodQuitSession = 11,
        MethodGetFileSize = 12,
    };

    // Values of FtpSessionState.
    enum SessionState
    {
        StateIdle = 0,
        StateNotConnected = 1,
        StateConnecting = 2,
        StateConnected = 3,
        StateLoggingIn = 4,
        StateLoggedIn = 5,
        StateChangingDirectory = 6,
        StateDeletingFile = 7,
        StateRemovingDirectory = 8,
        StateCreatingDirectory = 9,
        StateRenaming = 10,
        StateOpeningDataConnection = 11,
        StateListing = 13,
        StateDownloading = 15,
        StateUploading = 17,
        StateQuitting = 19,
    };

    explicit clsFtpClient(QObject* parent = nullptr);
    ~clsFtpClient() override;

    // Starts afresh: an operation still pending ends with rsCancelled and both connections drop.
    bool Connect();
    bool SetCurrentDirectory(const QString& strDirectoryPath);
    bool GetCurrentDirectory();
    bool CreateDirectory(const QString& strDirectoryPath);
    bool RemoveDirectory(const QString& strDirectoryPath);
    bool DeleteFile(const QString& strFilePath);
    bool RenameFile(const QString& strOldFileName, const QString& strNewFileName);
    // Asks the server for the size of a remote file (SIZE); RemoteFileSize holds it afterwards. Servers
    // answer in image mode only, as after a transfer.
    bool GetFileSize(const QString& strFilePath);
    qint64 RemoteFileSize() const { return m_remoteFileSize; }
    // Fetches a remote file. With OverWrite the file arrives as a pending file in the local path's
    // folder and replaces it only when complete; without, an existing local file is resumed.
    bool DownloadFile(const QString& strRemoteFilePath, const QString& strLocalFilePath, bool OverWrite);
    // Lists the current remote folder into CurrentDirectoryListing and CurrentDirectoryFiles.
    bool EnumFiles();
    // Sends a local file, from lngStartPosition on when it is 1 or more.
    bool UploadFile(const QString& strLocalFile, const QString& strRemoteFile, qint64 lngStartPosition);
    bool QuitSession();
    void CancelAsyncMethod();
    bool DataTransferInProgress() const;
    bool Busy() const;
    // The entries of the last listing; none after a listing in no known form. Earlier collections stay
    // valid for whoever holds them.
    std::shared_ptr<const clsFtpFiles> CurrentDirectoryFiles() const { return m_currentDirectoryFiles; }
    QString CurrentDirectoryListing() const { return m_currentDirectoryListing; }
    QString CurrentDirectory() const { return m_currentDirectory; }
    // The continuation text of the last multi-line reply; reading it clears it.
    QString FtpServerMessage();
    QString FtpServer() const { return m_ftpServer; }
    void setFtpServer(const QString& server) { m_ftpServer = server; }
    QString Password() const { return m_password; }
    void setPassword(const QString& password) { m_password = password; }
    QString Username() const { return m_username; }
    void setUsername(const QString& username) { m_username = username; }
    bool PassiveMode() const { return m_passiveMode; }
    void setPassiveMode(bool passive) { m_passiveMode = passive; }
    int SendBufferLenght() const { return m_sendBufferLength; }
    FtpResult setSendBufferLenght(int NewValue);
    int RemotePort() const { return m_remotePort; }
    FtpResult setRemotePort(int NewValue);
    int TransferMode() const { return m_transferMode; }
    void setTransferMode(int mode) { m_transferMode = mode; }
    // Seconds without progress after which an operation ends with rsTimeOut; at least 1.
    FtpResult setTimeOut(int intSeconds);
    int TimeOut() const;
    int FtpSessionState() const { return m_sessionState; }
    QString LastServerResponse() const { return m_lastServerResponse; }
    const clsFtpError& LastFtpError() const { return m_lastFtpError; }
    // Ends the pending operation without an event and closes the control connection.
    void CloseControlConnection();

    // The password of anonymous logins.
    static QString anonymousPassword();
    // A listing larger than this ends with an error rather than filling the memory.
    static constexpr qint64 kLongestListing = 32 * 1024 * 1024;

signals:
    void OnConnect(int AsyncResultStatus);
    void OnCreateDirectory(int AsyncResultStatus);
    void OnDeleteFile(int AsyncResultStatus);
    void OnGetCurrentDirectory(int AsyncResultStatus);
    void OnSetCurrentDirectory(int AsyncResultStatus);
    void OnRemoveDirectory(int AsyncResultStatus);
    void OnRenameFile(int AsyncResultStatus);
    void OnDownloadFile(int AsyncResultStatus);
    void OnUploadFile(int AsyncResultStatus);
    void OnEnumFiles(int AsyncResultStatus);
    void OnDataTransferProgress(qint64 lngBytesTransferred);
    // MessageType: 0 command sent, 1 reply below 400, 2 reply of 400 or more.
    void SessionProtocolMessage(const QString& strMessage, int MessageType);
    void OnStateChange(int SessionState);
    void OnQuitSession(int AsyncResultStatus);
    void OnGetFileSize(int AsyncResultStatus);

private:
    bool beginCommand(int id, const QString& word, const QString& argument);
    // A command on one remote path: refused while another waits, for an empty path and for one that
    // would break the command line.
    bool beginPathCommand(int id, const QString& method, const QString& word, const QString& path,
                          const QString& busyText, const QString& emptyText);
    bool refuse(int number, const QString& description, const QString& method);
    bool refuseBusy(const QString& description, const QString& method);
    bool checkArgument(const QString& argument, const QString& method);
    void BeginAsyncMethod(int id);
    void EndAsyncMethod();
    void RaiseMethodError(int id);
    void raiseCompletion(int id, int result);
    void RaiseFtpError(int code);
    void failLogin(int code);
    // Ends the pending operation with the given result and reason; the data connection closes.
    void endOperation(int result, int number, const QString& description, const QString& source,
                      bool connectionGone = false);
    bool SendFtpCommand(const QString& word, const QString& argument = {});
    void setSessionState(int state);
    void dropConnections();
    void CloseDataConnection();
    bool GetDirFromResponse(const QString& reply);
    void loggedIn();
    void actOnReply(int code, const QString& reply);

    void m_objControlSocket_OnConnect();
    void m_objControlSocket_OnDataArrival();
    void m_objControlSocket_OnClose();
    void m_objControlSocket_OnError(int Number, const QString& Description);
    void m_objTimeOut_TimeOut();

    // The data side.
    // A file transfer takes over from whatever operation is pending; false when that cannot be ended.
    bool cancelForTransfer(const QString& method);
    // Sets the transfer mode, the first step of a file transfer.
    bool beginTransfer(int id);
    void resetTransfer();
    void actOnTransferReply(int code, const QString& reply);
    void SendPORTCommand();
    int GetFreePort();
    void EstablishPasvDataConnection(const QString& reply);
    bool OpenLocalFile();
    bool OpenLocalFileForUpload();
    void sendTransferCommand();
    void startUploadWhenReady();
    void UploadData();
    // Closes the local file; a new download that is not complete is discarded unless kept.
    void CloseLocalFile(bool keep = false);
    void completeWhenDone();
    void failTransfer(int number, const QString& description, const QString& source);
    // "Cannot write <local file>: <the system's reason>" after a failed write of a download.
    QString localWriteFailure() const;
    void m_objDataSocket_OnConnect();
    void m_objDataSocket_OnConnectionRequest(qintptr requestID);
    void m_objDataSocket_OnDataArrival();
    void m_objDataSocket_OnSendComplete();
    // Counts the bytes of an upload that have left, from the socket's reports and from the system's
    // queue: only bytes moving keep the watchdog quiet, and the progress counts those.
    void noteBytesLeft();
    void m_objDataSocket_OnClose();
    void m_objDataSocket_OnError(int Number, const QString& Description);

    clsFtpSocket* m_objControlSocket = nullptr;
    clsFtpSocket* m_objDataSocket = nullptr;
    clsFtpTimeout* m_objTimeOut = nullptr;
    clsFtpError m_lastFtpError;

    QString m_ftpServer;
    QString m_username;
    QString m_password;
    int m_remotePort = 21;
    bool m_passiveMode = false;
    int m_sendBufferLength = 1460;
    int m_transferMode = 1;
    int m_sessionState = StateNotConnected;
    QString m_lastServerResponse;
    QString m_currentDirectory;
    QString m_ftpServerMessage;

    int m_lngPendingMethod = NoMethod;
    QString m_strLastCommand;
    QString m_strNewFileName;
    qint64 m_remoteFileSize = -1;

    QString m_strRemoteFile;
    QString m_strLocalFile;
    bool m_blnOverWrite = false;
    qint64 m_lngBytesReceived = 0;
    qint64 m_lngBytesSent = 0;
    qint64 m_lngStartPosition = 0;
    qint64 m_lngUploadSize = 0;
    // Bytes of the upload the server has taken, as last reported.
    qint64 m_bytesLeft = 0;
    QTimer* m_drainCheck = nullptr;
    int m_lngLastDataPort = 0;
    std::unique_ptr<QFileDevice> m_localFile;
    // A new download's content, given the local file's name only once complete.
    std::unique_ptr<platform::PendingFile> m_newDownload;
    QByteArray m_listingBytes;
    QString m_currentDirectoryListing;
    std::shared_ptr<const clsFtpFiles> m_currentDirectoryFiles;
    // What a transfer is waiting for: the data connection, the server's go-ahead and its last word.
    struct TransferProgress
    {
        bool dataOpen = false;
        bool dataClosed = false;
        bool serverReady = false; // the 1xx reply to STOR
        bool serverDone = false; // the 226 or 250 reply
        bool sending = false;
        bool allSent = false;
    } m_transfer;

    FtpReplyReader m_replies;
    // Raised whenever the control connection is dropped, so that lines of an earlier connection are
    // never acted on.
    int m_connectionGeneration = 0;
};

} // namespace ftp
