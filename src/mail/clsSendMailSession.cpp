// The SMTP side of clsSendMail: checks before sending, the optional POP3 login, the session and its replies.
#include "mail/clsSendMail.h"

#include <QElapsedTimer>
#include <QFileInfo>

#include "mail/MailChecks.h"
#include "mail/MailText.h"
#include "mail/MimeEncoders.h"
#include "mail/SendMailTexts.h"
#include "platform/EventLoop.h"

namespace mail
{
namespace
{
// Sending holds back while more than this waits in the socket.
constexpr qint64 PendingLimit = 4096;

bool hasBreakOrNul(const QString& text)
{
    return text.contains(QLatin1Char('\r')) || text.contains(QLatin1Char('\n')) || text.contains(QChar(0));
}
} // namespace

void clsSendMail::send()
{
    m_outcomeGiven = false;
    m_messageGoingOut = false;
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
    QStringList attachmentNames;
    for (const MimeAttachment& attachment : m_attachments)
        attachmentNames << attachment.name;
    const QList<QPair<QString, QStringList>> fields = {
        {QStringLiteral("sender"), {m_from, m_fromName, m_replyTo}},
        {QStringLiteral("recipients"), m_to + m_toNames + m_cc + m_ccNames + m_bcc},
        {QStringLiteral("subject"), {m_subject}},
        {QStringLiteral("content base"), {m_contentBase}},
        {QStringLiteral("name of an attachment"), attachmentNames},
        {QStringLiteral("host names"), {m_smtpHost, m_popHost}},
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
        sendLine(".");
        m_dotSent = true;
        // A reply counts as the verdict only once all of this has left (judge).
        if (!drainTo(0))
            return false;
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
    // Given before QUIT: nothing the server says while closing changes it.
    m_outcomeGiven = true;
    if (!m_keepConnection)
        CloseSession();
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
    const qsizetype blank = line.indexOf(' ');
    m_lastCommand = QString::fromUtf8(blank < 0 ? line : line.left(blank));
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
    // The POP3 login sends them as they are: a line break would add commands of its own.
    if (hasBreakOrNul(m_username) || hasBreakOrNul(m_password)) {
        AddError(QStringLiteral("A line break or NUL character in the user name or password"));
        FailSend();
        return false;
    }
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
    m_messageGoingOut = false;
    m_lastCommand.clear();
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
        // Hold back while the socket has much to send.
        if (!drainTo(PendingLimit))
            return false;
    }
    if (!stream.error().isEmpty()) {
        AddError(stream.error());
        FailSend();
        return false;
    }
    return !m_sessionFailed;
}

bool clsSendMail::drainTo(qint64 limit)
{
    // Pending bytes that stop moving for the message time-out end the send.
    qint64 pending = m_socket.bytesToWrite();
    QElapsedTimer still;
    still.start();
    while (m_socket.bytesToWrite() > limit && !m_sessionFailed) {
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
    if (m_closing) {
        // Whatever answers QUIT ends the wait; the send's outcome was given before it.
        m_replyReceived = true;
        return;
    }
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
        AddError(text.isEmpty() ? QStringLiteral("The POP3 Host answered with an empty line") : text);
        FailSend();
        return;
    }
    if (m_messageGoingOut) {
        if (!m_dotSent || m_socket.bytesToWrite() > 0) {
            // Said before the server had the final ".": it cannot be its verdict on the message.
            AddError(QStringLiteral("The SMTP Host answered before the whole message was sent: ")
                     + (text.isEmpty() ? QStringLiteral("an empty line") : text));
            FailSend();
            return;
        }
        m_messageGoingOut = false;
    }
    if (text.isEmpty()) {
        AddError(m_lastCommand.isEmpty()
                     ? QStringLiteral("The SMTP Host sent an empty line instead of its greeting")
                     : QStringLiteral("The SMTP Host answered %1 with an empty line")
                           .arg(m_lastCommand == QLatin1String(".") ? QStringLiteral("the end of the message")
                                                                    : m_lastCommand));
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
        m_messageGoingOut = true;
        m_dotSent = false;
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
