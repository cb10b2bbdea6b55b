#include "mail/clsSendMail.h"

#include <QElapsedTimer>
#include <QFileInfo>

#include "core/Settings.h"
#include "mail/MailChecks.h"
#include "mail/MailText.h"
#include "mail/MimeEncoders.h"
#include "platform/EventLoop.h"

namespace mail
{
namespace
{
const QString TimeoutText = QStringLiteral("Timeout occurred: The SMTP Host did not respond to the request");
const QString AttachmentMissing = QStringLiteral("The file you tried to attach does not exist");
const QString SmtpHostText = QStringLiteral("Invalid or Missing SMTP Host Name");
const QString PopHostText = QStringLiteral("Invalid or Missing POP3 Host Name");
const QString PortText = QStringLiteral("Invalid Remote Port");
// Sending holds back while more than this waits in the socket.
constexpr qint64 PendingLimit = 4096;

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

bool hasBreakOrNul(const QString& text)
{
    return text.contains(QLatin1Char('\r')) || text.contains(QLatin1Char('\n')) || text.contains(QChar(0));
}
} // namespace

clsSendMail::clsSendMail(QObject* parent)
    : QObject(parent)
{
    connect(&m_socket, &QTcpSocket::readyRead, this, &clsSendMail::onReadyRead);
    connect(&m_socket, &QTcpSocket::bytesWritten, this, &clsSendMail::onBytesWritten);
    connect(&m_socket, &QTcpSocket::errorOccurred, this, [this](QAbstractSocket::SocketError error) {
        // The peer's goodbye after QUIT, ours or the POP3 server's, is no failure.
        if (error == QAbstractSocket::RemoteHostClosedError && (m_closing || (m_inPop && m_popDone)))
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
    if (m_addressValidation != 1)
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

void clsSendMail::send()
{
    m_outcomeGiven = false;
    if (m_from.isEmpty())
        AddError(QStringLiteral("Missing or Invalid Sender E-mail Address"));
    if (m_asHtml && m_encodeType == 1)
        AddError(QStringLiteral("Sending HTML requires MIME encoding"));
    const qsizetype recipients = m_to.size() + m_cc.size() + m_bcc.size();
    if (recipients == 0)
        AddError(QStringLiteral("No Recipient E-mail Address Specified"));
    if (recipients > m_maxRecipients)
        AddError(QStringLiteral("Too many recipients"));
    // A line break would end a command or a header early.
    const QList<QPair<QString, QStringList>> fields = {
        {QStringLiteral("sender"), {m_from, m_fromName, m_replyTo}},
        {QStringLiteral("recipients"), m_to + m_toNames + m_cc + m_ccNames + m_bcc},
        {QStringLiteral("subject"), {m_subject}},
        {QStringLiteral("host names"), {m_smtpHost, m_popHost}},
        {QStringLiteral("user name"), {m_username}},
    };
    for (const auto& [what, values] : fields)
        for (const QString& value : values)
            if (hasBreakOrNul(value)) {
                AddError(QStringLiteral("A line break or NUL character in the %1").arg(what));
                break;
            }
    if (!m_to.isEmpty())
        m_toNames.resize(m_to.size());
    if (!m_cc.isEmpty())
        m_ccNames.resize(m_cc.size());
    if (!m_errors.isEmpty()) {
        FailSend();
        return;
    }

    QList<MimeAttachment> attachments = m_attachments;
    EmbedReferencedFiles(m_message, attachments, m_asHtml);
    m_estimatedSize = EstimateMessageSize();
    m_sessionFailed = false;

    const bool sent = [&] {
        if (m_socket.state() != QAbstractSocket::ConnectedState && !OpenSession())
            return false;
        m_bytesSent = 0;
        emit Status(QStringLiteral("Sending Sender Information..."));
        m_replyReceived = false;
        sendLine("MAIL FROM: <" + m_from.toUtf8() + '>');
        if (!WaitForFlag(Flag::ReplyReceived, m_messageTimeout, true) || m_sessionFailed)
            return false;
        emit Status(QStringLiteral("Sending Recipient Information..."));
        for (const QString& entry : m_to + m_cc + m_bcc) {
            m_replyReceived = false;
            sendLine("RCPT TO: <" + entry.trimmed().toUtf8() + '>');
            if (!WaitForFlag(Flag::ReplyReceived, m_messageTimeout, true) || m_sessionFailed)
                return false;
        }
        emit Status(QStringLiteral("Sending Message..."));
        m_dataReady = false;
        sendLine("DATA");
        if (!WaitForFlag(Flag::DataReady, m_messageTimeout, true) || m_sessionFailed)
            return false;
        m_replyReceived = false;
        MimeMessage message;
        message.from = m_from;
        message.fromName = m_fromName;
        message.to = m_to;
        message.toNames = m_toNames;
        message.cc = m_cc;
        message.ccNames = m_ccNames;
        message.replyTo = m_replyTo;
        message.subject = m_subject;
        message.text = m_message;
        message.asHtml = m_asHtml;
        message.contentBase = m_contentBase;
        message.receipt = m_receipt;
        message.priority = m_priority;
        message.priorityText = m_priorityText;
        message.encodeType = m_encodeType;
        message.attachments = attachments;
        if (!sendMessageText(message))
            return false;
        m_replyReceived = false;
        sendLine(".");
        return WaitForFlag(Flag::ReplyReceived, m_messageTimeout, true) && !m_sessionFailed;
    }();
    if (!sent) {
        if (!m_outcomeGiven) {
            if (m_errors.isEmpty())
                AddError(QStringLiteral("The message was not sent"));
            FailSend();
        }
        return;
    }
    emit Progress(100);
    emit Status(QStringLiteral("Transmission Complete..."));
    if (!m_keepConnection)
        CloseSession();
    m_outcomeGiven = true;
    emit SendSuccesful();
}

// ---- Session ----

bool clsSendMail::isSet(Flag flag) const
{
    switch (flag) {
    case Flag::Connected:
        return m_socket.state() == QAbstractSocket::ConnectedState;
    case Flag::ReplyReceived:
        return m_replyReceived;
    case Flag::DataReady:
        return m_dataReady;
    case Flag::AuthLoginOffered:
        return m_authOffered;
    case Flag::AuthAccepted:
        return m_authAccepted;
    case Flag::PopDone:
        return m_popDone;
    }
    return false;
}

bool clsSendMail::WaitForFlag(Flag flag, int seconds, bool reportTimeout)
{
    if (isSet(flag))
        return true;
    if (seconds >= 1)
        platform::waitWhile([&] { return !isSet(flag) && !m_sessionFailed; }, seconds * 1000);
    if (isSet(flag))
        return true;
    if (m_sessionFailed)
        return false;
    if (reportTimeout) {
        AddError(TimeoutText);
        FailSend();
    }
    return false;
}

void clsSendMail::sendLine(const QByteArray& line)
{
    m_socket.write(line + "\r\n");
}

bool clsSendMail::connectSocket(const QString& host, quint16 port)
{
    for (int attempt = 0; attempt < m_connectRetry; ++attempt) {
        if (m_socket.state() == QAbstractSocket::ConnectedState)
            return true;
        if (m_socket.state() == QAbstractSocket::UnconnectedState)
            m_socket.connectToHost(host, port);
        if (WaitForFlag(Flag::Connected, m_connectTimeout, false))
            return true;
        if (m_sessionFailed)
            return false;
        m_socket.abort();
    }
    return false;
}

bool clsSendMail::OpenSession()
{
    if (m_socket.state() == QAbstractSocket::ConnectedState)
        return true;
    if (m_socket.state() != QAbstractSocket::UnconnectedState) {
        m_socket.abort();
        platform::doEvents();
    }
    if (m_smtpHost.isEmpty())
        m_smtpHost = MXQuery(QString());
    if (m_smtpHost.isEmpty()) {
        AddError(SmtpHostText);
        FailSend();
        return false;
    }
    if (m_usePop) {
        emit Status(QStringLiteral("Connecting to POP3 Server (") + m_popHost + QStringLiteral(")..."));
        m_sessionFailed = false;
        m_popDone = false;
        m_popStep = 0;
        if (m_popHost.isEmpty()) {
            AddError(PopHostText);
            FailSend();
            return false;
        }
        m_inPop = true;
        m_reader.clear();
        if (connectSocket(m_popHost, m_popPort))
            WaitForFlag(Flag::PopDone, m_connectTimeout, false);
        m_inPop = false;
        m_socket.abort();
        platform::doEvents();
        if (m_sessionFailed)
            return false;
        // Only a finished exchange opens the SMTP server's door.
        if (!m_popDone) {
            AddError(QStringLiteral("POP3 Authentication Failed: the POP3 Host did not finish the login"));
            FailSend();
            return false;
        }
        emit Status(QStringLiteral("POP3 Authentication Successful..."));
    }

    m_replyReceived = m_dataReady = m_authOffered = m_authAccepted = m_sessionFailed = false;
    m_authPrompts = 0;
    m_reader.clear();
    emit Status(QStringLiteral("Connecting to SMTP Server (") + m_smtpHost + QStringLiteral(")..."));
    if (connectSocket(m_smtpHost, quint16(m_smtpPort)))
        WaitForFlag(Flag::ReplyReceived, m_connectTimeout, false);
    if (m_socket.state() != QAbstractSocket::ConnectedState || m_sessionFailed || !m_replyReceived) {
        if (!m_sessionFailed) {
            AddError(TimeoutText);
            FailSend();
        }
        return false;
    }

    emit Status(QStringLiteral("Initializing Communications..."));
    m_replyReceived = false;
    const qsizetype at = m_from.indexOf(QLatin1Char('@'));
    sendLine((m_useAuth ? "EHLO " : "HELO ") + (at >= 0 ? m_from.mid(at + 1) : m_from).toUtf8());
    if (!WaitForFlag(Flag::ReplyReceived, m_connectTimeout, true))
        return false;
    if (!m_useAuth)
        return true;
    if (!WaitForFlag(Flag::AuthLoginOffered, 5, false)) {
        emit Status(QStringLiteral("Login Not Supported by Host, Continuing..."));
        return true;
    }
    emit Status(QStringLiteral("Sending Login Authentication..."));
    sendLine("AUTH LOGIN");
    if (WaitForFlag(Flag::AuthAccepted, 5, false)) {
        emit Status(QStringLiteral("Host Login OK!"));
        return !m_sessionFailed;
    }
    emit Status(QStringLiteral("Host Login Failed!"));
    if (!m_sessionFailed) {
        AddError(QStringLiteral("Host Login Failed!"));
        FailSend();
    }
    return false;
}

void clsSendMail::CloseSession()
{
    if (m_socket.state() != QAbstractSocket::UnconnectedState)
        emit Status(QStringLiteral("Closing Connection..."));
    if (m_socket.state() == QAbstractSocket::ConnectedState) {
        m_replyReceived = false;
        m_closing = true;
        sendLine("QUIT");
        WaitForFlag(Flag::ReplyReceived, 2, false);
    }
    m_socket.abort();
    m_closing = false;
    platform::doEvents();
}

bool clsSendMail::sendMessageText(MimeMessage message)
{
    const QDateTime now = QDateTime::currentDateTime();
    QString host = MxLookup::ReverseLookup(m_socket.localAddress().toString());
    if (host.isEmpty())
        host = m_smtpHost;
    MimeBodyStream stream(std::move(message), now, MakeMessageID(now, host));
    stream.onStatus = [this](const QString& text) { emit Status(text); };
    DotStuffer stuffer;
    for (QByteArray piece = stream.next(); !piece.isEmpty(); piece = stream.next()) {
        if (m_socket.state() != QAbstractSocket::ConnectedState) {
            AddError(QStringLiteral("Socket not Open"));
            FailSend();
            return false;
        }
        m_socket.write(stuffer.apply(piece));
        // Hold back while the socket has much to send; pending bytes that stop moving time out.
        qint64 pending = m_socket.bytesToWrite();
        QElapsedTimer still;
        still.start();
        while (m_socket.bytesToWrite() > PendingLimit && !m_sessionFailed) {
            platform::waitWhile([&] { return m_socket.bytesToWrite() == pending && !m_sessionFailed; }, 50);
            if (m_socket.bytesToWrite() != pending) {
                pending = m_socket.bytesToWrite();
                still.restart();
            } else if (still.elapsed() >= qint64(m_messageTimeout) * 1000) {
                AddError(TimeoutText);
                FailSend();
                return false;
            }
        }
        if (m_sessionFailed)
            return false;
    }
    if (!stream.error().isEmpty()) {
        AddError(stream.error());
        FailSend();
        return false;
    }
    return !m_sessionFailed;
}

void clsSendMail::onReadyRead()
{
    m_reader.append(m_socket.readAll());
    if (m_reader.overflowed()) {
        AddError(QStringLiteral("The server sent an overlong reply"));
        FailSend();
        return;
    }
    while (const std::optional<SmtpReply> reply = m_reader.takeReply()) {
        judge(*reply);
        if (m_socket.state() != QAbstractSocket::ConnectedState)
            break;
    }
}

void clsSendMail::judge(const SmtpReply& reply)
{
    const QString text = QString::fromUtf8(reply.text).trimmed();
    if (m_inPop) {
        if (text.startsWith(QLatin1String("+OK"), Qt::CaseInsensitive)) {
            switch (m_popStep++) {
            case 0:
                sendLine("USER " + m_username.toUtf8());
                break;
            case 1:
                sendLine("PASS " + m_password.toUtf8());
                break;
            case 2:
                sendLine("QUIT");
                break;
            default:
                m_popDone = true;
                m_popStep = 0;
                break;
            }
            return;
        }
        m_popDone = false;
        m_popStep = 0;
        AddError(text);
        FailSend();
        return;
    }
    switch (reply.code) {
    case 220:
    case 221:
    case 251:
        m_replyReceived = true;
        break;
    case 250:
        m_replyReceived = true;
        if (text.contains(QLatin1String("auth"), Qt::CaseInsensitive)
            && text.contains(QLatin1String("login"), Qt::CaseInsensitive))
            m_authOffered = true;
        break;
    case 235:
        m_authAccepted = true;
        break;
    case 334: {
        // The prompts come in order, user name then password, whatever their wording.
        const int prompt = ++m_authPrompts;
        const QString value = prompt == 1 ? m_username : prompt == 2 ? m_password : QString();
        if (prompt > 2)
            m_socket.write("\r\n*\r\n");
        else if (value.isEmpty())
            m_socket.write("\r\n");
        else
            m_socket.write(EncodeBase64Text(value).toLatin1());
        break;
    }
    case 354:
        m_dataReady = true;
        break;
    case 211:
    case 214:
        break;
    default:
        AddError(text);
        FailSend();
        break;
    }
}

void clsSendMail::onBytesWritten(qint64 bytes)
{
    m_bytesSent += bytes;
    const int percent = m_estimatedSize >= 1
        ? int(qMin<qint64>(100, qRound64(double(m_bytesSent) / double(m_estimatedSize) * 100)))
        : 0;
    if (percent != m_lastPercent) {
        m_lastPercent = percent;
        if (m_socket.state() == QAbstractSocket::ConnectedState)
            emit Progress(percent);
    }
}

qint64 clsSendMail::EstimateMessageSize() const
{
    qint64 size = m_from.size() + 93;
    if (m_useAuth) {
        size += m_from.size() + 25;
        if (!m_username.isEmpty())
            size += 4 * m_username.size() / 3;
        if (!m_password.isEmpty())
            size += 4 * m_password.size() / 3;
    }
    auto entries = [&size](const QStringList& list, int perEntry, int factor) {
        for (qsizetype i = 0; i < list.size(); ++i)
            size += factor * list.at(i).size() + perEntry + (i > 0 ? 6 : 0);
    };
    entries(m_to, 15, 2);
    entries(m_cc, 15, 2);
    entries(m_bcc, 15, 1);
    for (const QString& name : m_toNames + m_ccNames)
        size += name.size() + 11;
    if (!m_fromName.isEmpty())
        size += m_fromName.size() + 3;
    size += m_from.size();
    if (!m_replyTo.isEmpty())
        size += m_replyTo.size() + 14;
    size += m_subject.size() + m_message.size();
    if (m_encodeType == 0) {
        size += 64;
        if (m_asHtml && !m_contentBase.isEmpty())
            size += 18 + m_contentBase.size();
        if (m_receipt)
            size += 36 + m_fromName.size() + m_from.size();
    }
    const qint64 b = m_attachmentBytes;
    const qint64 n = m_attachments.size();
    if (n > 0) {
        if (m_encodeType == 0)
            size += 4 * b / 3 + 2 * (b / 57) + 42 + 2 * m_attachmentNameLength + 182 * n + 290;
        else
            size += 4 * b / 3 + 3 * (b / 45) + m_attachmentNameLength + 20 * n;
    }
    return size;
}

} // namespace mail
