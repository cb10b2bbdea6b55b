#include "mail/SmtpSession.h"

#include <QHostInfo>
#include <QTcpSocket>

#include "core/Base64.h"
#include "mail/UUEncode.h"

namespace mail
{
namespace
{
// Whole lines of a file encoded at a time, and how much may wait in the socket before more is read.
constexpr qint64 ChunkBytes = UUEncode::BytesPerLine * 8192;
constexpr qint64 HighWaterBytes = 1 << 20;

QString durationText(int ms)
{
    if (ms % 60000 == 0)
        return ms == 60000 ? QStringLiteral("1 minute") : QStringLiteral("%1 minutes").arg(ms / 60000);
    if (ms % 1000 == 0)
        return ms == 1000 ? QStringLiteral("1 second") : QStringLiteral("%1 seconds").arg(ms / 1000);
    return QStringLiteral("%1 seconds").arg(ms / 1000.0, 0, 'g', 3);
}

QString replyText(const QByteArray& reply)
{
    return QString::fromUtf8(reply);
}

QString oneLine(const QByteArray& reply)
{
    return QString::fromUtf8(reply).replace(QLatin1String("\r\n"), QLatin1String(" ")).simplified();
}

QString helloIdentity(const QTcpSocket& socket)
{
    const QString name = QHostInfo::localHostName();
    if (!name.isEmpty())
        return name;
    return QLatin1Char('[') + socket.localAddress().toString() + QLatin1Char(']');
}
} // namespace

SmtpSession::SmtpSession(QObject* parent)
    : QObject(parent)
{
    m_deadline.setSingleShot(true);
    connect(&m_deadline, &QTimer::timeout, this, &SmtpSession::onDeadline);
    m_tick.setInterval(1000);
    connect(&m_tick, &QTimer::timeout, this, &SmtpSession::onTick);
}

SmtpSession::~SmtpSession()
{
    if (m_socket)
        m_socket->disconnect(this);
}

void SmtpSession::start(const SmtpRequest& request)
{
    if (isActive())
        return;
    m_request = request;
    m_reader.clear();
    m_stuffer = DotStuffer();
    m_textQueued = false;
    m_attachment = -1;
    m_dotQueued = false;
    m_ticks = 0;

    m_socket = new QTcpSocket(this);
    connect(m_socket, &QTcpSocket::connected, this, &SmtpSession::onConnected);
    connect(m_socket, &QTcpSocket::readyRead, this, &SmtpSession::onReadyRead);
    connect(m_socket, &QTcpSocket::bytesWritten, this, &SmtpSession::onBytesWritten);
    connect(m_socket, &QTcpSocket::errorOccurred, this, &SmtpSession::onSocketError);
    connect(m_socket, &QTcpSocket::disconnected, this, &SmtpSession::onSocketError);

    m_step = Step::Connecting;
    armDeadline(m_limits.connectMs);
    m_tick.start();
    m_socket->connectToHost(m_request.server, m_request.port);
}

void SmtpSession::stop()
{
    if (isActive())
        finish(SmtpResult::End::Stopped, QString());
}

void SmtpSession::onTick()
{
    emit status(QStringLiteral("Connecting to Mail Server ") + m_request.server + QStringLiteral("... (")
                    + QString::number(m_ticks) + QLatin1Char(')'),
                false);
    ++m_ticks;
}

void SmtpSession::onConnected()
{
    if (m_step != Step::Connecting)
        return;
    m_tick.stop();
    // Before the status: a handler of it may run the event loop, which can bring the greeting.
    m_step = Step::Greeting;
    armDeadline(m_limits.greetingMs);
    emit status(QStringLiteral("Connected"), true);
}

void SmtpSession::onReadyRead()
{
    if (!isActive() || !m_socket)
        return;
    m_reader.append(m_socket->readAll());
    if (m_reader.overflowed()) {
        fail(QStringLiteral("%1 sent a reply of more than %2 bytes")
                 .arg(m_request.server)
                 .arg(SmtpReplyReader::MaxReplyBytes));
        return;
    }
    while (isActive()) {
        const std::optional<SmtpReply> reply = m_reader.takeReply();
        if (!reply)
            break;
        handleReply(*reply);
    }
}

void SmtpSession::handleReply(const SmtpReply& reply)
{
    if (m_step == Step::Message && !messageLeft()) {
        // Whatever the server says before it has the final "." cannot be its verdict on the message.
        const QString said = oneLine(reply.text);
        fail(QStringLiteral("%1 answered before the whole message was sent: %2")
                 .arg(m_request.server, said.isEmpty() ? QStringLiteral("an empty line") : said));
        return;
    }
    if (!accepts(reply.code)) {
        emit status(QStringLiteral("Error: ") + replyText(reply.text), m_step != Step::Greeting);
        QString reason = oneLine(reply.text);
        if (reason.isEmpty())
            reason = m_step == Step::Greeting
                ? QStringLiteral("%1 sent an empty line instead of its greeting").arg(m_request.server)
                : QStringLiteral("%1 answered %2 with an empty line").arg(m_request.server, stepName());
        finish(SmtpResult::End::Refused, reason);
        return;
    }

    switch (m_step) {
    case Step::Greeting:
        emit status(QStringLiteral("Receiving Welcome Message"), true);
        send((m_request.useAuth ? "EHLO " : "HELO ") + helloIdentity(*m_socket).toUtf8(), Step::Hello,
             m_limits.helloMs);
        break;
    case Step::Hello:
        if (m_request.useAuth) {
            emit status(QStringLiteral("Requesting Authentication"), true);
            send("AUTH LOGIN", Step::AuthLogin, m_limits.helloMs);
        } else {
            sendMailFrom();
        }
        break;
    case Step::AuthLogin:
        emit status(QStringLiteral("Sending Encoded Username"), true);
        send(core::Base64Encode(m_request.username).toLatin1(), Step::AuthUser, m_limits.helloMs);
        break;
    case Step::AuthUser:
        emit status(QStringLiteral("Sending Encoded Username"), true);
        send(core::Base64Encode(m_request.password).toLatin1(), Step::AuthPassword, m_limits.helloMs);
        break;
    case Step::AuthPassword:
        emit status(QStringLiteral("AUTH OK"), true);
        sendMailFrom();
        break;
    case Step::MailFrom:
        emit status(QStringLiteral("Sending Mail TO"), true);
        send("RCPT TO:<" + m_request.to.toUtf8() + '>', Step::RcptTo, m_limits.rcptToMs);
        break;
    case Step::RcptTo:
        emit status(QStringLiteral("Sending Email Data"), false);
        send("DATA", Step::Data, m_limits.dataMs);
        break;
    case Step::Data:
        emit status(QStringLiteral("Sending Mail . . ."), true);
        m_step = Step::Message;
        armDeadline(m_limits.stallMs);
        fillSocket();
        break;
    case Step::Message:
        m_socket->write("QUIT\r\n");
        emit status(QStringLiteral("Message Sent"), true);
        finish(SmtpResult::End::Sent, QString());
        break;
    default:
        break;
    }
}

bool SmtpSession::accepts(int code) const
{
    switch (m_step) {
    case Step::Greeting:
        return code == 220;
    case Step::AuthLogin:
    case Step::AuthUser:
        return code == 334;
    case Step::AuthPassword:
        return code == 235;
    case Step::RcptTo:
        // 251: the server will forward the mail.
        return code == 250 || code == 251;
    case Step::Data:
        return code == 354;
    case Step::Hello:
    case Step::MailFrom:
    case Step::Message:
        return code == 250;
    case Step::Idle:
    case Step::Connecting:
        break;
    }
    return false;
}

bool SmtpSession::messageLeft() const
{
    return m_dotQueued && m_socket->bytesToWrite() == 0;
}

void SmtpSession::send(const QByteArray& command, Step next, int limitMs)
{
    m_step = next;
    m_socket->write(command + "\r\n");
    armDeadline(limitMs);
}

void SmtpSession::sendMailFrom()
{
    emit status(QStringLiteral("Sending Mail FROM"), false);
    send("MAIL FROM:<" + m_request.from.toUtf8() + '>', Step::MailFrom, m_limits.mailFromMs);
}

void SmtpSession::onBytesWritten()
{
    if (m_step != Step::Message)
        return;
    if (!m_dotQueued) {
        armDeadline(m_limits.stallMs);
        fillSocket();
    } else if (m_socket->bytesToWrite() > 0) {
        armDeadline(m_limits.stallMs);
    } else if (m_deadlineMs != m_limits.messageMs) {
        armDeadline(m_limits.messageMs);
    }
}

void SmtpSession::fillSocket()
{
    while (isActive() && m_socket->bytesToWrite() < HighWaterBytes && queueNextPiece()) { }
}

bool SmtpSession::queueNextPiece()
{
    if (!m_textQueued) {
        m_textQueued = true;
        m_socket->write(m_stuffer.apply(m_request.text));
        return true;
    }
    if (m_dotQueued)
        return false;
    if (!m_file.isOpen()) {
        ++m_attachment;
        if (m_attachment >= m_request.attachments.size()) {
            m_dotQueued = true;
            m_socket->write("\r\n.\r\n");
            if (m_socket->bytesToWrite() == 0)
                armDeadline(m_limits.messageMs);
            return false;
        }
        if (m_attachment == 0)
            emit status(QStringLiteral("Sending Attachment"), true);
        const QString path = m_request.attachments.at(m_attachment);
        m_file.setFileName(path);
        if (!m_file.open(QIODevice::ReadOnly)) {
            fail(QStringLiteral("Could not read %1: %2").arg(path, m_file.errorString()));
            return false;
        }
        m_socket->write(m_stuffer.apply(UUEncode::beginLine(path)));
        return true;
    }

    // Whole lines only, until the file's end: no empty data line when its size is a multiple of 45.
    QByteArray chunk;
    chunk.reserve(ChunkBytes);
    while (chunk.size() < ChunkBytes) {
        const QByteArray part = m_file.read(ChunkBytes - chunk.size());
        if (part.isEmpty())
            break;
        chunk += part;
    }
    if (m_file.error() != QFileDevice::NoError) {
        fail(QStringLiteral("Could not read %1: %2").arg(m_file.fileName(), m_file.errorString()));
        return false;
    }
    if (!chunk.isEmpty())
        m_socket->write(m_stuffer.apply(UUEncode::dataLines(chunk)));
    if (chunk.size() < ChunkBytes) {
        m_file.close();
        QByteArray end = UUEncode::endLines();
        if (m_request.blankLineAfterBlocks)
            end += "\r\n";
        m_socket->write(m_stuffer.apply(end));
    }
    return true;
}

void SmtpSession::onSocketError()
{
    if (!isActive() || !m_socket)
        return;
    // A reply that came just before the close (a refusal, then goodbye) is the better reason.
    if (m_socket->bytesAvailable() > 0)
        onReadyRead();
    if (!isActive())
        return;
    if (m_step == Step::Connecting) {
        fail(QStringLiteral("Could not connect to %1: %2").arg(m_request.server, m_socket->errorString()), false);
        return;
    }
    const QString where = m_step == Step::Greeting  ? QStringLiteral("before its greeting")
        : m_step == Step::Message && !messageLeft() ? QStringLiteral("while the message was being sent")
                                                    : QStringLiteral("while waiting for the reply to ") + stepName();
    if (m_socket->error() == QAbstractSocket::RemoteHostClosedError
        || m_socket->state() == QAbstractSocket::UnconnectedState)
        fail(QStringLiteral("The connection to %1 closed %2").arg(m_request.server, where));
    else
        fail(
            QStringLiteral("The connection to %1 failed %2: %3").arg(m_request.server, where, m_socket->errorString()));
}

void SmtpSession::onDeadline()
{
    if (!isActive())
        return;
    switch (m_step) {
    case Step::Connecting:
        fail(QStringLiteral("Could not connect to ") + m_request.server + QStringLiteral(" - timed out"), false);
        break;
    case Step::Greeting:
        fail(QStringLiteral("No greeting from %1 within %2").arg(m_request.server, durationText(m_deadlineMs)));
        break;
    case Step::Message:
        if (messageLeft()) {
            fail(QStringLiteral("No reply from %1 to the message within %2")
                     .arg(m_request.server, durationText(m_deadlineMs)));
        } else {
            fail(QStringLiteral("Sending the message to %1 made no progress for %2")
                     .arg(m_request.server, durationText(m_deadlineMs)));
        }
        break;
    default:
        fail(QStringLiteral("No reply from %1 to %2 within %3")
                 .arg(m_request.server, stepName(), durationText(m_deadlineMs)));
        break;
    }
}

void SmtpSession::armDeadline(int limitMs)
{
    m_deadlineMs = limitMs;
    m_deadline.start(limitMs);
}

QString SmtpSession::stepName() const
{
    switch (m_step) {
    case Step::Hello:
        return m_request.useAuth ? QStringLiteral("EHLO") : QStringLiteral("HELO");
    case Step::AuthLogin:
        return QStringLiteral("AUTH LOGIN");
    case Step::AuthUser:
        return QStringLiteral("the user name");
    case Step::AuthPassword:
        return QStringLiteral("the password");
    case Step::MailFrom:
        return QStringLiteral("MAIL FROM");
    case Step::RcptTo:
        return QStringLiteral("RCPT TO");
    case Step::Data:
        return QStringLiteral("DATA");
    case Step::Message:
        return QStringLiteral("the message");
    default:
        return QString();
    }
}

void SmtpSession::fail(const QString& reason, bool forRun)
{
    emit status(QStringLiteral("Error: ") + reason, forRun);
    finish(SmtpResult::End::Failed, reason);
}

platform::Result SmtpResult::toResult() const
{
    switch (end) {
    case End::Sent:
        return platform::Result::success();
    case End::Stopped:
        return platform::Result::stop(reason);
    case End::Refused:
    case End::Failed:
        break;
    }
    return platform::Result::failure(reason);
}

void SmtpSession::finish(SmtpResult::End end, const QString& reason)
{
    m_step = Step::Idle;
    m_deadline.stop();
    m_tick.stop();
    m_file.close();
    if (QTcpSocket* socket = m_socket) {
        m_socket = nullptr;
        socket->disconnect(this);
        connect(socket, &QTcpSocket::disconnected, socket, &QObject::deleteLater);
        if (end == SmtpResult::End::Sent) {
            // QUIT goes out first; its reply is not awaited.
            socket->disconnectFromHost();
            if (socket->state() == QAbstractSocket::UnconnectedState)
                socket->deleteLater();
        } else {
            socket->abort();
            socket->deleteLater();
        }
    }
    emit finished(SmtpResult {end, reason});
}

} // namespace mail
