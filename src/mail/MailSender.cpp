#include "mail/MailSender.h"

#include <QCoreApplication>
#include <QFile>
#include <QFileInfo>
#include <QPointer>

#include "core/MainWindowServices.h"
#include "core/ProgramState.h"
#include "core/RunLog.h"
#include "core/ScramblePassword.h"
#include "core/Settings.h"
#include "localisation/Brand.h"
#include "localisation/Languages.h"
#include "mail/MailText.h"
#include "platform/Clock.h"
#include "platform/EventLoop.h"
#include "platform/FileWriter.h"
#include "platform/ProgramFolder.h"
#include "platform/Prompt.h"

namespace mail
{
namespace
{
void showStatus(const QString& text)
{
    if (core::MainWindowServices* services = core::mainWindowServices())
        services->setStatusText(text);
}

// The numeric value of the port text's leading digits; 0 when it has none or they are out of range.
quint16 portNumber(const QString& text)
{
    qint64 port = 0;
    for (const QChar c : text) {
        if (!c.isDigit() || c.unicode() > '9')
            break;
        port = port * 10 + (c.unicode() - '0');
        if (port > 65535)
            return 0;
    }
    return quint16(port);
}

QStringList attachmentList(const QString& text)
{
    QStringList paths;
    for (QString path : text.split(QLatin1Char('\n'))) {
        if (path.endsWith(QLatin1Char('\r')))
            path.chop(1);
        if (!path.isEmpty())
            paths << path;
    }
    return paths;
}
} // namespace

MailValues& mailValues()
{
    static MailValues values;
    return values;
}

void LoadMailSettings()
{
    MailValues& values = mailValues();
    const core::ProgramState& state = core::state();
    if (state.MailIsTest) {
        values.MailTo = core::ReadPreference(QStringLiteral("txtEmailTo"), QString());
    } else {
        const int slot = state.CurrentSet.CurrentDestination;
        values.MailTo = slot >= 1 && slot <= core::MaxDestinations ? state.CurrentSet.Dest.at(slot).EmailID : QString();
    }
    values.MailFrom = core::ReadPreference(QStringLiteral("txtEmailFrom"), QString());
    values.MailServer = core::ReadPreference(QStringLiteral("txtServer"), QString());
    values.MailPort = core::ReadPreference(QStringLiteral("txtPort"), QStringLiteral("25"));
    values.MailUsername = core::ReadPreference(QStringLiteral("txtUsername"), QString());
    values.MailPassword = core::ScramblePassword(core::ReadPreference(QStringLiteral("txtPassword2"), QString()));
    values.MailUseAuth = core::ReadPreference(QStringLiteral("chkAuth"), QStringLiteral("0")) != QLatin1String("0");
}

void SendEmail()
{
    MailSender::instance().send();
}

void CloseMailConnection()
{
    if (core::MainWindowServices* services = core::mainWindowServices())
        services->enableMailTest();
}

QString testAttachmentPath()
{
    return platform::ProgramFolder::file(QStringLiteral("TestAttachment.txt"));
}

void WriteTestAttachment()
{
    if (QFileInfo::exists(testAttachmentPath()))
        return;
    QString reason;
    if (!platform::fileWriter().replaceFile(
            testAttachmentPath(),
            (QStringLiteral("This is a test attachment from ") + localisation::BrandProgramName()).toUtf8() + "\r\n",
            reason))
        core::LogEvent(reason);
}

MailSender& MailSender::instance()
{
    static QPointer<MailSender> sender;
    if (!sender) {
        sender = new MailSender;
        // Goes with the application, before the socket layer does.
        sender->setParent(QCoreApplication::instance());
    }
    return *sender;
}

MailSender::MailSender()
{
    connect(&m_session, &SmtpSession::status, this, &MailSender::onStatus);
    connect(&m_session, &SmtpSession::finished, this, &MailSender::onFinished);
    m_stopPoll.setInterval(100);
    connect(&m_stopPoll, &QTimer::timeout, this, &MailSender::onStopPoll);
}

bool MailSender::busy() const
{
    return m_session.isActive() || m_starting || m_runWaiting;
}

void MailSender::send()
{
    core::ProgramState& state = core::state();
    const bool test = state.MailIsTest;
    if (m_session.isActive() || m_starting) {
        if (!test && m_currentIsTest && !m_runWaiting) {
            m_runWaiting = true;
            updateStopPoll();
            return;
        }
        state.MailIsTest = m_currentIsTest;
        platform::Message busy;
        busy.text = QStringLiteral("A mail is being sent already. Please try again when it has ended.");
        platform::prompt().show(busy);
        if (!test) {
            state.bMailSuccess = false;
            state.bMailDone = true;
        }
        return;
    }
    begin(test);
}

void MailSender::begin(bool test)
{
    m_currentIsTest = test;
    // The status is shown with one pass of the event loop, in which another attempt may be asked for.
    m_starting = true;
    starting(test);
    m_starting = false;
    startWaitingRun();
}

void MailSender::starting(bool test)
{
    core::ProgramState& state = core::state();
    LoadMailSettings();
    const MailValues& values = mailValues();
    if (values.MailFrom.isEmpty() || values.MailTo.isEmpty() || values.MailServer.isEmpty()) {
        platform::Message incomplete;
        incomplete.text = localisation::Languages().getMessages(QStringLiteral("MSG_EMAIL"));
        platform::prompt().show(incomplete);
        if (core::MainWindowServices* services = core::mainWindowServices())
            services->showPreferences(false);
        endAttempt(test,
                   MailOutcome {platform::Result::failure(QStringLiteral("The mail settings are not complete")), {}});
        return;
    }

    QString problem = addressProblem(QStringLiteral("sender"), values.MailFrom)
                          .value_or(addressProblem(QStringLiteral("recipient"), values.MailTo).value_or(QString()));
    QStringList attachments;
    m_notAttached.clear();
    if (problem.isEmpty()) {
        if (test) {
            WriteTestAttachment();
            attachments << testAttachmentPath();
        } else {
            attachments = attachmentList(values.strAttachments);
        }
        for (qsizetype i = 0; i < attachments.size();) {
            QFile file(attachments.at(i));
            if (QFileInfo(file).isFile() && file.open(QIODevice::ReadOnly)) {
                ++i;
                continue;
            }
            const QString why = QFileInfo(file).isDir() ? QStringLiteral("it is a folder") : file.errorString();
            core::LogEvent(QStringLiteral("Could not attach ") + attachments.at(i) + QStringLiteral(": ") + why);
            m_notAttached << attachments.takeAt(i);
        }
        if (attachments.isEmpty()) {
            problem = m_notAttached.isEmpty()
                ? QStringLiteral("There is no file to attach")
                : QStringLiteral("No file could be attached: ") + m_notAttached.join(QStringLiteral(", "));
        }
    }
    if (!problem.isEmpty()) {
        showStatus(QStringLiteral("Error: ") + problem);
        if (!test && m_runStatus)
            m_runStatus(QStringLiteral("Error: ") + problem);
        endAttempt(test, MailOutcome {platform::Result::failure(problem), m_notAttached});
        return;
    }

    core::LogEvent(QStringLiteral("To: ") + values.MailTo);
    core::LogEvent(QStringLiteral("From: ") + values.MailFrom);
    core::LogEvent(QStringLiteral("Server: ") + values.MailServer);
    showStatus(QStringLiteral("Connecting..."));
    showStatus(QStringLiteral("Connecting to Mail Server..."));
    platform::doEvents();
    // A run that was stopped meanwhile is already ending; its wait ends on the stop request.
    if (!test && state.bStopBackup) {
        state.MailIsTest = false;
        return;
    }

    const core::BackupSetInfo& set = state.CurrentSet;
    const int slot = set.CurrentDestination;
    MailTextValues text;
    text.from = values.MailFrom;
    text.to = values.MailTo;
    text.subject = slot >= 1 && slot <= core::MaxDestinations ? set.Dest.at(slot).Subject : QString();
    text.isTest = test;
    text.when = platform::clock().now();
    text.attachments = attachments;

    SmtpRequest request;
    request.server = values.MailServer;
    request.port = portNumber(values.MailPort);
    request.from = values.MailFrom;
    request.to = values.MailTo;
    request.useAuth = values.MailUseAuth;
    request.username = values.MailUsername;
    request.password = values.MailPassword;
    request.text = composeMailText(text);
    request.attachments = attachments;
    request.blankLineAfterBlocks = !test;

    m_session.start(request);
}

void MailSender::onStatus(const QString& text, bool forRun)
{
    showStatus(text);
    if (forRun && !m_currentIsTest && m_runStatus)
        m_runStatus(text);
}

void MailSender::onFinished(const SmtpResult& result)
{
    CloseMailConnection();
    MailOutcome outcome {result.toResult(), m_notAttached};
    if (outcome.result.stopped()) {
        // The run that asked for the stop ends its own wait; nothing is recorded here.
        core::state().MailIsTest = false;
        m_lastOutcome = outcome;
        updateStopPoll();
        emit ended(m_currentIsTest, outcome);
        return;
    }
    if (outcome.succeeded() && !m_notAttached.isEmpty())
        onStatus(QStringLiteral("Message Sent (not attached: ") + m_notAttached.join(QStringLiteral(", "))
                     + QLatin1Char(')'),
                 true);
    endAttempt(m_currentIsTest, outcome);
}

void MailSender::endAttempt(bool test, const MailOutcome& outcome)
{
    core::ProgramState& state = core::state();
    m_lastOutcome = outcome;
    // A run waiting behind a test mail watches the same flags: only its own mail may set them.
    if (!test || !m_runWaiting) {
        state.bMailSuccess = outcome.succeeded();
        state.bMailDone = true;
    }
    if (!test && !outcome.succeeded())
        state.strFailureReason = outcome.reason();
    state.MailIsTest = false;
    emit ended(test, outcome);

    startWaitingRun();
}

void MailSender::startWaitingRun()
{
    if (m_runWaiting && !m_session.isActive() && !m_starting) {
        m_runWaiting = false;
        if (!core::state().bStopBackup) {
            begin(false);
            return;
        }
    }
    updateStopPoll();
}

void MailSender::onStopPoll()
{
    if (!core::state().bStopBackup)
        return;
    m_runWaiting = false;
    if (m_session.isActive() && !m_currentIsTest)
        m_session.stop();
    updateStopPoll();
}

void MailSender::updateStopPoll()
{
    const bool watch = m_runWaiting || (m_session.isActive() && !m_currentIsTest);
    if (watch && !m_stopPoll.isActive())
        m_stopPoll.start();
    else if (!watch)
        m_stopPoll.stop();
}

void MailSender::reset()
{
    m_runWaiting = false;
    m_session.stop();
    m_stopPoll.stop();
    m_lastOutcome = MailOutcome();
}

} // namespace mail
