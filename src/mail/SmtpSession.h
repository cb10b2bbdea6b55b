#pragma once

#include <QByteArray>
#include <QFile>
#include <QObject>
#include <QPointer>
#include <QString>
#include <QStringList>
#include <QTimer>

#include "mail/MailText.h"
#include "mail/SmtpReply.h"
#include "platform/Result.h"

class QTcpSocket;

namespace mail
{

// How long each step may wait for the server.
struct SmtpLimits
{
    int connectMs = 30 * 1000;
    int greetingMs = 5 * 60 * 1000;
    // EHLO or HELO and the three AUTH LOGIN steps.
    int helloMs = 30 * 1000;
    int mailFromMs = 5 * 60 * 1000;
    int rcptToMs = 5 * 60 * 1000;
    int dataMs = 2 * 60 * 1000;
    // The reply after the final ".".
    int messageMs = 10 * 60 * 1000;
    // Sending the message may make no progress this long.
    int stallMs = 3 * 60 * 1000;
};

struct SmtpRequest
{
    QString server;
    quint16 port = 25;
    QString from;
    QString to;
    bool useAuth = false;
    QString username;
    QString password;
    // The message up to its attachments.
    QByteArray text;
    // Files sent uuencoded after the text, in this order.
    QStringList attachments;
    // A run's mail puts an empty line after each block.
    bool blankLineAfterBlocks = false;
};

struct SmtpResult
{
    enum class End
    {
        Sent,
        // The server answered a step with another code than it needed.
        Refused,
        // No connection, a time-out, a closed connection or an unreadable attachment.
        Failed,
        // stop() ended it.
        Stopped,
    };
    End end = End::Failed;
    // For a person: the reply of a refusal, or what went wrong.
    QString reason;

    bool succeeded() const { return end == End::Sent; }
    // The same outcome in the shape every module boundary uses; a refusal is a failure there.
    platform::Result toResult() const;
};

// One SMTP conversation from connect to QUIT, driven by the socket's events: plain SMTP with
// optional AUTH LOGIN, one sender, one recipient, and a plain-text message whose attachments are
// uuencoded as the socket drains, so memory does not grow with them.
class SmtpSession : public QObject
{
    Q_OBJECT

public:
    explicit SmtpSession(QObject* parent = nullptr);
    ~SmtpSession() override;

    void setLimits(const SmtpLimits& limits) { m_limits = limits; }
    const SmtpLimits& limits() const { return m_limits; }

    // Starts connecting; the outcome comes through finished(). Not while isActive().
    void start(const SmtpRequest& request);
    // Ends the conversation at once; finished() reports Stopped.
    void stop();
    bool isActive() const { return m_step != Step::Idle; }

signals:
    // A progress or error text; `forRun` marks the texts a run window shows too.
    void status(const QString& text, bool forRun);
    void finished(const mail::SmtpResult& result);

private:
    enum class Step
    {
        Idle,
        Connecting,
        Greeting,
        Hello,
        AuthLogin,
        AuthUser,
        AuthPassword,
        MailFrom,
        RcptTo,
        Data,
        Message,
    };

    void onConnected();
    void onReadyRead();
    void onBytesWritten();
    void onSocketError();
    void onDeadline();
    void onTick();

    void handleReply(const SmtpReply& reply);
    // The reply codes that let the current step go on.
    bool accepts(int code) const;
    // The final "." is queued and nothing of the message waits in the socket any more.
    bool messageLeft() const;
    void send(const QByteArray& command, Step next, int limitMs);
    void sendMailFrom();
    void fillSocket();
    bool queueNextPiece();
    void armDeadline(int limitMs);
    QString stepName() const;
    void fail(const QString& reason, bool forRun = true);
    void finish(SmtpResult::End end, const QString& reason);

    SmtpLimits m_limits;
    SmtpRequest m_request;
    QPointer<QTcpSocket> m_socket;
    SmtpReplyReader m_reader;
    Step m_step = Step::Idle;
    QTimer m_deadline;
    QTimer m_tick;
    int m_ticks = 0;
    int m_deadlineMs = 0;

    // Sending the message: the text, then each attachment, then the final ".".
    DotStuffer m_stuffer;
    bool m_textQueued = false;
    int m_attachment = -1;
    QFile m_file;
    bool m_dotQueued = false;
};

} // namespace mail
