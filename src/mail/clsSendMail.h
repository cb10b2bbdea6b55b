#pragma once

#include <QObject>
#include <QString>
#include <QStringList>
#include <QTcpSocket>

#include "mail/MailChecks.h"
#include "mail/MimeComposer.h"
#include "mail/MxLookup.h"
#include "mail/SmtpReply.h"

namespace mail
{

// A reusable mail component: one message (To, Cc, Bcc, plain or HTML text, base64 or uuencoded
// attachments, embedded images) and one server's settings, sent over SMTP with optional
// POP-before-SMTP and AUTH LOGIN. The program's own mail does not use it. Each object owns its
// socket; its waits pump the event loop with a time limit. Every send ends in exactly one of
// SendSuccesful and SendFailed.
class clsSendMail : public QObject
{
    Q_OBJECT

public:
    // The application name of the stored settings in the per-user store.
    static constexpr const char* SettingsApplication = "Quillback Mail Component";

    explicit clsSendMail(QObject* parent = nullptr);
    ~clsSendMail() override;

    // Properties: each reader has a writer of the same name with "set" in front.
    bool AsHTML() const { return m_asHtml; }
    void setAsHTML(bool value) { m_asHtml = value; }
    QString Attachment() const { return m_attachmentPaths.join(m_delimiter); }
    void setAttachment(const QString& value);
    QString BccRecipient() const { return m_bcc.join(m_delimiter); }
    void setBccRecipient(const QString& value);
    QString CcDisplayName() const { return m_ccNames.join(m_delimiter); }
    void setCcDisplayName(const QString& value) { m_ccNames = cleanList(value); }
    QString CcRecipient() const { return m_cc.join(m_delimiter); }
    void setCcRecipient(const QString& value);
    int ConnectRetry() const { return m_connectRetry; }
    void setConnectRetry(int value);
    int ConnectTimeout() const { return m_connectTimeout; }
    void setConnectTimeout(int value);
    QString ContentBase() const { return m_contentBase; }
    void setContentBase(const QString& value);
    QString Delimiter() const { return m_delimiter; }
    void setDelimiter(const QString& value) { m_delimiter = value.left(1); }
    int EmailAddressValidation() const { return m_addressValidation; }
    void setEmailAddressValidation(int value);
    int EncodeType() const { return m_encodeType; }
    void setEncodeType(int value);
    QString from() const { return m_from; }
    void setFrom(const QString& value);
    QString FromDisplayName() const { return m_fromName; }
    void setFromDisplayName(const QString& value);
    int MaxRecipients() const { return m_maxRecipients; }
    void setMaxRecipients(int value);
    QString Message() const { return m_message; }
    void setMessage(const QString& value) { m_message = PrepareMessageText(value); }
    int MessageTimeout() const { return m_messageTimeout; }
    void setMessageTimeout(int value);
    QString Password() const { return m_password; }
    void setPassword(const QString& value) { m_password = value; }
    bool PersistentSettings() const { return m_persistent; }
    void setPersistentSettings(bool value);
    int Priority() const { return m_priority; }
    void setPriority(int value);
    bool Receipt() const { return m_receipt; }
    void setReceipt(bool value) { m_receipt = value; }
    QString Recipient() const { return m_to.join(m_delimiter); }
    void setRecipient(const QString& value);
    QString RecipientDisplayName() const { return m_toNames.join(m_delimiter); }
    void setRecipientDisplayName(const QString& value) { m_toNames = cleanList(value); }
    QString ReplyToAddress() const { return m_replyTo; }
    void setReplyToAddress(const QString& value) { m_replyTo = value.trimmed(); }
    QString POP3Host() const { return m_popHost; }
    void setPOP3Host(const QString& value);
    QString SMTPHost() const { return m_smtpHost; }
    void setSMTPHost(const QString& value);
    int SMTPHostValidation() const { return m_hostValidation; }
    void setSMTPHostValidation(int value);
    int SMTPPort() const { return m_smtpPort; }
    void setSMTPPort(int value);
    QString Subject() const { return m_subject; }
    void setSubject(const QString& value) { m_subject = value; }
    bool UseAuthentication() const { return m_useAuth; }
    void setUseAuthentication(bool value);
    bool UsePopAuthentication() const { return m_usePop; }
    void setUsePopAuthentication(bool value);
    QString Username() const { return m_username; }
    void setUsername(const QString& value);

    // The texts of the failures found so far, in order.
    const QStringList& errors() const { return m_errors; }
    // Where MXQuery asks; tests point it at a fake server.
    MxLookup& mxLookup() { return m_mx; }
    // The POP3 port of POP-before-SMTP; tests point it at a fake server.
    void setPop3Port(quint16 port) { m_popPort = port; }

    // Methods.
    bool Connect();
    void Disconnect();
    QString GetContentType(const QString& fileName, const QString& strDefault) const;
    QString GetIPAddress(QString& sHostName) const { return mail::GetIPAddress(sHostName); }
    QString GetIPHost() const { return mail::GetIPHost(); }
    bool IsValidEmailAddress(const QString& AddressString) const { return mail::IsValidEmailAddress(AddressString); }
    QString MXQuery(const QString& IPDomain);
    bool Ping(QString& Address, QString& RoundTripTime, QString& DataSize, bool& DataMatch) const
    {
        return mail::Ping(Address, RoundTripTime, DataSize, DataMatch);
    }
    void send();
    void shutdown() { }
    QString DecodeBase64String(const QString& str2Decode) const;

signals:
    void SendSuccesful();
    void SendFailed(const QString& Explanation);
    void Status(const QString& Status);
    void Progress(int PercentComplete);

private:
    enum class Flag
    {
        Connected,
        ReplyReceived,
        DataReady,
        AuthLoginOffered,
        AuthAccepted,
        PopDone,
    };

    QStringList cleanList(const QString& value) const;
    void checkAddresses(const QString& value, const QString& text);
    bool hostPasses(QString& host);
    void save(const QString& key, const QString& value) const;
    void saveNumber(const QString& key, int value) const;
    void AddError(const QString& text);
    void RemoveError(const QString& text);
    void FailSend();

    bool OpenSession();
    void CloseSession();
    bool connectSocket(const QString& host, quint16 port);
    bool WaitForFlag(Flag flag, int seconds, bool reportTimeout);
    bool isSet(Flag flag) const;
    void sendLine(const QByteArray& line);
    bool sendMessageText(MimeMessage message);
    // Waits while more than `limit` bytes wait in the socket; false when they stop moving.
    bool drainTo(qint64 limit);
    qint64 EstimateMessageSize() const;
    void onReadyRead();
    void judge(const SmtpReply& reply);
    void onBytesWritten(qint64 bytes);

    // Message and settings.
    QStringList m_to, m_toNames, m_cc, m_ccNames, m_bcc;
    QString m_from, m_fromName, m_replyTo, m_subject, m_message, m_contentBase;
    QStringList m_attachmentPaths;
    QList<MimeAttachment> m_attachments;
    qint64 m_attachmentBytes = 0;
    qint64 m_attachmentNameLength = 0;
    QString m_delimiter = QStringLiteral(";");
    int m_priority = 3;
    QString m_priorityText;
    QString m_smtpHost, m_popHost, m_username, m_password;
    int m_smtpPort = 25;
    bool m_asHtml = false, m_useAuth = false, m_usePop = false, m_receipt = false, m_persistent = false;
    int m_connectTimeout = 40, m_messageTimeout = 60, m_connectRetry = 4, m_maxRecipients = 100;
    int m_encodeType = 0, m_addressValidation = 1, m_hostValidation = 3;
    QStringList m_errors;

    // Session.
    QTcpSocket m_socket;
    SmtpReplyReader m_reader;
    MxLookup m_mx;
    quint16 m_popPort = 110;
    bool m_sessionFailed = false;
    bool m_keepConnection = false;
    bool m_replyReceived = false, m_dataReady = false, m_authOffered = false, m_authAccepted = false;
    bool m_inPop = false;
    bool m_closing = false;
    bool m_outcomeGiven = false;
    // From the 354 until the server has had every byte up to the final ".": a reply meanwhile fails.
    bool m_messageGoingOut = false;
    bool m_dotSent = false;
    // The verb of the last command, to name it when the server answers with nothing.
    QString m_lastCommand;
    int m_popStep = 0;
    bool m_popDone = false;
    int m_authPrompts = 0;
    qint64 m_bytesSent = 0;
    qint64 m_estimatedSize = 0;
    int m_lastPercent = -1;
};

} // namespace mail
