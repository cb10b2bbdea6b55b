#pragma once

#include <QString>

#include "mail/SmtpSession.h"

namespace test
{

// Limits that a working peer meets however busy the machine is, yet short enough that a test which
// goes wrong ends instead of holding the run for minutes.
inline mail::SmtpLimits generousLimits()
{
    constexpr int Ms = 30000;
    return mail::SmtpLimits {Ms, Ms, Ms, Ms, Ms, Ms, Ms, Ms};
}

// Generous limits, but the step that smtp_peer.py's "--stall STEP" never answers runs out of time after
// `ms`, so that a slow answer at another step never passes for the stall. CONNECT names the
// connection itself.
inline mail::SmtpLimits stallLimits(const QString& step, int ms)
{
    mail::SmtpLimits limits = generousLimits();
    if (step == QLatin1String("CONNECT"))
        limits.connectMs = ms;
    else if (step == QLatin1String("GREETING"))
        limits.greetingMs = ms;
    else if (step == QLatin1String("HELO") || step == QLatin1String("EHLO") || step == QLatin1String("AUTH"))
        limits.helloMs = ms;
    else if (step == QLatin1String("MAIL"))
        limits.mailFromMs = ms;
    else if (step == QLatin1String("RCPT"))
        limits.rcptToMs = ms;
    else if (step == QLatin1String("DATA"))
        limits.dataMs = ms;
    else if (step == QLatin1String("DOT"))
        limits.messageMs = ms;
    else if (step == QLatin1String("MESSAGE"))
        limits.stallMs = ms;
    return limits;
}

} // namespace test
