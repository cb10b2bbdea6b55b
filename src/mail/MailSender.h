#pragma once

#include <functional>

#include <QObject>
#include <QString>
#include <QStringList>

#include "mail/SmtpSession.h"

namespace mail
{

// The example address and server the preferences and the e-mail destination dialog show until the
// user enters their own.
inline constexpr const char* PlaceholderAddress = "you@example.com";
inline constexpr const char* PlaceholderServer = "mail.example.com";

// The values of the mail being sent; one mail at a time.
struct MailValues
{
    QString MailTo;
    QString MailFrom;
    QString MailServer;
    QString MailPort;
    QString MailUsername;
    // In clear.
    QString MailPassword;
    bool MailUseAuth = false;
    // The files a run's mail carries, one full path a line (CR LF); the run fills it.
    QString strAttachments;
};

MailValues& mailValues();

// Fills the mail values from the preferences; the recipient is the test address for a test mail,
// otherwise the e-mail address of the loaded set's current destination.
void LoadMailSettings();

// Starts one mail: a test mail when MailIsTest is set, otherwise the run's mail of strAttachments.
// Returns at once; the end shows in the status bar and, for a run's mail, in bMailDone, bMailSuccess
// and strFailureReason. Without sender, recipient or server it asks for the mail preferences and
// ends the attempt as not sent.
void SendEmail();

// Lets the preferences' test button be pressed again.
void CloseMailConnection();

// The attachment of test mails in the program folder, created with its one line when missing.
QString testAttachmentPath();
void WriteTestAttachment();

// How a mail attempt ended.
struct MailOutcome
{
    // Sent, or why not; a mail the run's stop ended is stopped.
    platform::Result result;
    // Files of the run that could not be attached.
    QStringList notAttached;

    bool succeeded() const { return result.succeeded(); }
    const QString& reason() const { return result.reason(); }
};

// The one mail attempt of the program. A test mail never reads or writes the run's stop request or
// its failure reason, so it cannot disturb a run; a run's mail ends when the run's stop request is
// set. While a test mail is under way a run's mail waits for it; any other second attempt is refused.
class MailSender : public QObject
{
    Q_OBJECT

public:
    static MailSender& instance();

    void send();
    // An attempt is under way or waiting.
    bool busy() const;
    const MailOutcome& lastOutcome() const { return m_lastOutcome; }

    // Tests shorten the waits.
    void setLimits(const SmtpLimits& limits) { m_session.setLimits(limits); }
    SmtpLimits limits() const { return m_session.limits(); }
    // Where a run's mail shows its progress besides the status bar (the run window's status label).
    void setRunStatus(std::function<void(const QString&)> show) { m_runStatus = std::move(show); }
    // Ends any attempt without an outcome and forgets a waiting one.
    void reset();

signals:
    void ended(bool test, const mail::MailOutcome& outcome);

private:
    MailSender();
    void begin(bool test);
    void starting(bool test);
    void startWaitingRun();
    void endAttempt(bool test, const MailOutcome& outcome);
    void onStatus(const QString& text, bool forRun);
    void onFinished(const SmtpResult& result);
    void onStopPoll();
    void updateStopPoll();

    SmtpSession m_session;
    QTimer m_stopPoll;
    std::function<void(const QString&)> m_runStatus;
    bool m_currentIsTest = false;
    bool m_starting = false;
    bool m_runWaiting = false;
    QStringList m_notAttached;
    MailOutcome m_lastOutcome;
};

} // namespace mail
