#include "mail/MailSender.h"

#include "core/MainWindowServices.h"
#include "core/ProgramState.h"
#include "core/RunLog.h"
#include "core/ScramblePassword.h"
#include "core/Settings.h"
#include "localisation/Languages.h"
#include "platform/EventLoop.h"
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
    LoadMailSettings();
    const MailValues& values = mailValues();
    core::ProgramState& state = core::state();
    if (values.MailFrom.isEmpty() || values.MailTo.isEmpty() || values.MailServer.isEmpty()) {
        platform::Message message;
        message.text = localisation::Languages().getMessages(QStringLiteral("MSG_EMAIL"));
        platform::prompt().show(message);
        if (core::MainWindowServices* services = core::mainWindowServices())
            services->showPreferences(false);
        state.bMailSuccess = false;
        state.bMailDone = true;
        return;
    }
    core::LogEvent(QStringLiteral("To: ") + values.MailTo);
    core::LogEvent(QStringLiteral("From: ") + values.MailFrom);
    core::LogEvent(QStringLiteral("Server: ") + values.MailServer);
    showStatus(QStringLiteral("Connecting..."));
    showStatus(QStringLiteral("Connecting to Mail Server..."));
    platform::doEvents();
    // Nothing can be sent yet: the attempt ends as not sent, so that a run waiting for it goes on.
    state.bMailSuccess = false;
    state.bMailDone = true;
    CloseMailConnection();
}

void CloseMailConnection()
{
    if (core::MainWindowServices* services = core::mainWindowServices())
        services->enableMailTest();
}

} // namespace mail
