#pragma once

#include <QString>

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
};

MailValues& mailValues();

// Fills the mail values from the preferences; the recipient is the test address for a test mail,
// otherwise the e-mail address of the loaded set's current destination.
void LoadMailSettings();

// Starts one mail. Without sender, recipient or server it asks for the mail preferences and ends the
// attempt as not sent. In this form the SMTP dialogue is not there yet: every attempt ends at once,
// not sent.
void SendEmail();

// Ends the mail connection and lets the preferences' test button be pressed again.
void CloseMailConnection();

} // namespace mail
