#pragma once

#include <QString>

namespace mail
{

// Failure texts that both the settings and the session of clsSendMail report.
inline const QString TimeoutText = QStringLiteral("Timeout occurred: The SMTP Host did not respond to the request");
inline const QString SmtpHostText = QStringLiteral("Invalid or Missing SMTP Host Name");
inline const QString PopHostText = QStringLiteral("Invalid or Missing POP3 Host Name");

} // namespace mail
