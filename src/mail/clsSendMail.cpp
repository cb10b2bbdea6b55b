#include "mail/clsSendMail.h"

#include <QFileInfo>

#include "core/Settings.h"
#include "mail/MailChecks.h"
#include "mail/MailText.h"
#include "mail/MimeEncoders.h"
#include "mail/SendMailTexts.h"

namespace mail
{
namespace
{
const QString AttachmentMissing = QStringLiteral("The file you tried to attach does not exist");
const QString PortText = QStringLiteral("Invalid Remote Port");

QString stored(const QString& key, const QString& fallback)
{
    return core::GetSetting(QLatin1String(clsSendMail::SettingsApplication), QStringLiteral("Settings"), key, fallback);
}

bool storedFlag(const QString& key, bool fallback)
{
    const QString value = stored(key, QString()).trimmed();
    if (value.isEmpty())
        return fallback;
    return value == QLatin1String("-1") || value == QLatin1String("1")
        || value.compare(QLatin1String("True"), Qt::CaseInsensitive) == 0;
}

// A stored number counts only when the writer would have kept it.
int storedNumber(const QString& key, int fallback, int lowest, int highest)
{
    bool ok = false;
    const int value = stored(key, QString()).trimmed().toInt(&ok);
    return ok && value >= lowest && value <= highest ? value : fallback;
}
} // namespace

clsSendMail::clsSendMail(QObject* parent)
    : QObject(parent)
{
    connect(&m_socket, &QTcpSocket::readyRead, this, &clsSendMail::onReadyRead);
    connect(&m_socket, &QTcpSocket::bytesWritten, this, &clsSendMail::onBytesWritten);
    connect(&m_socket, &QTcpSocket::errorOccurred, this, [this](QAbstractSocket::SocketError error) {
        // Nothing while closing after QUIT changes an outcome, nor the POP3 server's goodbye.
        if (m_closing || (error == QAbstractSocket::RemoteHostClosedError && m_inPop && m_popDone))
            return;
        AddError(m_socket.errorString());
        FailSend();
    });

    m_persistent = storedFlag(QStringLiteral("PersistentSettings"), false);
    if (m_persistent) {
        m_from = stored(QStringLiteral("From"), QString());
        m_fromName = stored(QStringLiteral("FromDisplayName"), QString());
        m_popHost = stored(QStringLiteral("Pop3Host"), QString());
        m_smtpHost = stored(QStringLiteral("RemoteHost"), QString());
        m_smtpPort = storedNumber(QStringLiteral("RemotePort"), 25, 1, 65535);
        m_hostValidation = storedNumber(QStringLiteral("SMTPHostValidation"), 3, INT_MIN, INT_MAX);
        m_addressValidation = storedNumber(QStringLiteral("EmailValidation"), 1, INT_MIN, INT_MAX);
        m_connectTimeout = storedNumber(QStringLiteral("ConnectTimeout"), 40, 1, 120);
        m_messageTimeout = storedNumber(QStringLiteral("MessageTimeout"), 60, 1, INT_MAX);
        m_connectRetry = storedNumber(QStringLiteral("ConnectRetry"), 4, 1, 20);
        m_encodeType = storedNumber(QStringLiteral("EncodeType"), 0, INT_MIN, INT_MAX);
        m_username = stored(QStringLiteral("Username"), QString());
        m_useAuth = storedFlag(QStringLiteral("UseAuthentication"), false);
        m_usePop = storedFlag(QStringLiteral("UsePopAuthentication"), false);
        m_maxRecipients = storedNumber(QStringLiteral("MaxRecipients"), 100, 1, INT_MAX);
    }
}

clsSendMail::~clsSendMail()
{
    m_socket.disconnect(this);
    if (m_socket.state() == QAbstractSocket::ConnectedState)
        m_socket.write("QUIT\r\n");
    m_socket.disconnectFromHost();
}

// ---- Properties ----

QStringList clsSendMail::cleanList(const QString& value) const
{
    if (value.isEmpty())
        return {};
    QStringList entries = m_delimiter.isEmpty() ? QStringList {value} : value.split(m_delimiter);
    for (QString& entry : entries)
        entry = entry.trimmed().remove(QLatin1String("\r\n")).remove(QLatin1Char('\t'));
    return entries;
}

void clsSendMail::checkAddresses(const QString& value, const QString& text)
{
    RemoveError(text);
    // An empty value clears the list; send() reports a mail with no sender or recipient at all.
    if (m_addressValidation != 1 || value.isEmpty())
        return;
    const QStringList entries = m_delimiter.isEmpty() ? QStringList {value} : value.split(m_delimiter);
    for (const QString& entry : entries) {
        if (!IsValidEmailAddress(entry)) {
            AddError(text);
            return;
        }
    }
}

void clsSendMail::save(const QString& key, const QString& value) const
{
    if (m_persistent)
        core::SaveSetting(QLatin1String(SettingsApplication), QStringLiteral("Settings"), key, value);
}

void clsSendMail::saveNumber(const QString& key, int value) const
{
    save(key, (value >= 0 ? QStringLiteral(" ") : QString()) + QString::number(value));
}

void clsSendMail::setAttachment(const QString& value)
{
    m_attachmentPaths
        = value.isEmpty() ? QStringList() : value.split(m_delimiter.isEmpty() ? QString(QChar(0)) : m_delimiter);
    RemoveError(AttachmentMissing);
    m_attachments.clear();
    m_attachmentBytes = 0;
    m_attachmentNameLength = 0;
    for (const QString& path : m_attachmentPaths) {
        const QFileInfo info(path);
        if (!info.isFile() || info.isHidden()) {
            AddError(AttachmentMissing);
            break;
        }
        m_attachments.append(MimeAttachment {path, info.fileName(), false});
        m_attachmentNameLength += info.fileName().size();
        m_attachmentBytes += info.size();
    }
}

void clsSendMail::setBccRecipient(const QString& value)
{
    m_bcc = cleanList(value);
    checkAddresses(value, QStringLiteral("Invalid Bcc: Recipient E-mail Address"));
}

void clsSendMail::setCcRecipient(const QString& value)
{
    m_cc = cleanList(value);
    checkAddresses(value, QStringLiteral("Invalid Cc: Recipient E-mail Address"));
}

void clsSendMail::setRecipient(const QString& value)
{
    m_to = cleanList(value);
    checkAddresses(value, QStringLiteral("Missing or Invalid Recipient E-mail Address"));
}

void clsSendMail::setConnectRetry(int value)
{
    if (value < 1 || value > 20)
        return;
    m_connectRetry = value;
    saveNumber(QStringLiteral("ConnectRetry"), value);
}

void clsSendMail::setConnectTimeout(int value)
{
    if (value < 1 || value > 120)
        return;
    m_connectTimeout = value;
    saveNumber(QStringLiteral("ConnectTimeout"), value);
}

void clsSendMail::setContentBase(const QString& value)
{
    if (value.isEmpty()) {
        m_contentBase = value;
        return;
    }
    QString base = value;
    base.replace(QLatin1Char('\\'), QLatin1Char('/'));
    if (!base.contains(QLatin1String("http://"), Qt::CaseInsensitive))
        base.prepend(QStringLiteral("http://"));
    if (!base.endsWith(QLatin1Char('/')))
        base += QLatin1Char('/');
    m_contentBase = base;
}

void clsSendMail::setEmailAddressValidation(int value)
{
    m_addressValidation = value;
    saveNumber(QStringLiteral("EmailValidation"), value);
}

void clsSendMail::setEncodeType(int value)
{
    m_encodeType = value;
    saveNumber(QStringLiteral("EncodeType"), value);
}

void clsSendMail::setFrom(const QString& value)
{
    m_from = value.trimmed();
    checkAddresses(value, QStringLiteral("Missing or Invalid Sender E-mail Address"));
    save(QStringLiteral("From"), m_from);
}

void clsSendMail::setFromDisplayName(const QString& value)
{
    m_fromName = value.trimmed();
    save(QStringLiteral("FromDisplayName"), m_fromName);
}

void clsSendMail::setMaxRecipients(int value)
{
    m_maxRecipients = qAbs(value);
    saveNumber(QStringLiteral("MaxRecipients"), m_maxRecipients);
}

void clsSendMail::setMessageTimeout(int value)
{
    m_messageTimeout = qAbs(value);
    saveNumber(QStringLiteral("MessageTimeout"), m_messageTimeout);
}

void clsSendMail::setPersistentSettings(bool value)
{
    m_persistent = value;
    save(QStringLiteral("PersistentSettings"), value ? QStringLiteral("-1") : QStringLiteral("0"));
}

void clsSendMail::setPriority(int value)
{
    m_priority = value;
    if (value == 1)
        m_priorityText = QStringLiteral("High");
    else if (value == 3)
        m_priorityText = QStringLiteral("Normal");
    else if (value == 5)
        m_priorityText = QStringLiteral("Low");
}

bool clsSendMail::hostPasses(QString& host)
{
    switch (m_hostValidation) {
    case 1:
        return IsValidDomain(host);
    case 2: {
        QString roundTrip;
        QString size;
        bool match = false;
        QString address = host;
        if (!Ping(address, roundTrip, size, match))
            return false;
        host = address;
        return true;
    }
    case 3: {
        QString name = host;
        return !GetIPAddress(name).isEmpty();
    }
    default:
        return true;
    }
}

void clsSendMail::setPOP3Host(const QString& value)
{
    QString host = QString(value).remove(QChar(0));
    if (!host.isEmpty() && !hostPasses(host)) {
        AddError(PopHostText);
        return;
    }
    save(QStringLiteral("Pop3Host"), host);
    RemoveError(PopHostText);
    m_popHost = host;
}

void clsSendMail::setSMTPHost(const QString& value)
{
    QString host = QString(value).remove(QChar(0));
    if (!host.isEmpty() && !hostPasses(host)) {
        AddError(SmtpHostText);
        return;
    }
    save(QStringLiteral("RemoteHost"), host);
    RemoveError(SmtpHostText);
    m_smtpHost = host;
}

void clsSendMail::setSMTPHostValidation(int value)
{
    m_hostValidation = value;
    saveNumber(QStringLiteral("SMTPHostValidation"), value);
    if (!m_smtpHost.isEmpty())
        setSMTPHost(m_smtpHost);
}

void clsSendMail::setSMTPPort(int value)
{
    if (value < 1 || value > 65535) {
        AddError(PortText);
        return;
    }
    m_smtpPort = value;
    saveNumber(QStringLiteral("RemotePort"), value);
    RemoveError(PortText);
}

void clsSendMail::setUseAuthentication(bool value)
{
    m_useAuth = value;
    save(QStringLiteral("UseAuthentication"), value ? QStringLiteral("-1") : QStringLiteral("0"));
}

void clsSendMail::setUsePopAuthentication(bool value)
{
    m_usePop = value;
    save(QStringLiteral("UsePopAuthentication"), value ? QStringLiteral("-1") : QStringLiteral("0"));
}

void clsSendMail::setUsername(const QString& value)
{
    m_username = value;
    save(QStringLiteral("Username"), value);
}

// ---- Errors ----

void clsSendMail::AddError(const QString& text)
{
    if (!m_errors.contains(text))
        m_errors << text;
}

void clsSendMail::RemoveError(const QString& text)
{
    m_errors.removeIf([&](const QString& entry) { return entry.compare(text, Qt::CaseInsensitive) == 0; });
}

void clsSendMail::FailSend()
{
    QString explanation;
    for (const QString& text : m_errors)
        explanation += text + QStringLiteral("\r\n");
    m_errors.clear();
    m_sessionFailed = true;
    if (m_socket.state() != QAbstractSocket::UnconnectedState)
        m_socket.abort();
    if (!m_outcomeGiven) {
        m_outcomeGiven = true;
        emit SendFailed(explanation);
    }
}

// ---- Methods ----

bool clsSendMail::Connect()
{
    m_keepConnection = true;
    m_outcomeGiven = false;
    return OpenSession();
}

void clsSendMail::Disconnect()
{
    m_keepConnection = false;
    CloseSession();
}

QString clsSendMail::GetContentType(const QString& fileName, const QString& strDefault) const
{
    return mail::GetContentType(fileName, strDefault);
}

QString clsSendMail::DecodeBase64String(const QString& str2Decode) const
{
    return mail::DecodeBase64String(str2Decode);
}

QString clsSendMail::MXQuery(const QString& IPDomain)
{
    const QString domain = IPDomain.trimmed();
    emit Status(domain.isEmpty() ? QStringLiteral("Performing MX Query")
                                 : QStringLiteral("Performing MX Query, Domain: ") + domain);
    const MxAnswer answer = m_mx.QueryMX(domain);
    if (!answer.error.isEmpty())
        emit Status(answer.error);
    return answer.host;
}

} // namespace mail
