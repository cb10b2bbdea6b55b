#include "ftp/clsFtpTimeout.h"

namespace ftp
{

namespace
{
// Periods longer than this do not fit the timer's milliseconds.
const int kLongestPeriodSeconds = 2147483;
} // namespace

clsFtpTimeout::clsFtpTimeout(QObject* parent)
    : QObject(parent)
{
    m_timer.setSingleShot(false);
    m_timer.setTimerType(Qt::CoarseTimer);
    connect(&m_timer, &QTimer::timeout, this, &clsFtpTimeout::TimeOut);
}

void clsFtpTimeout::StartTimer()
{
    if (m_timeOutValue < 1)
        return;
    m_registered = true;
    arm();
}

void clsFtpTimeout::StopTimer()
{
    m_timer.stop();
}

void clsFtpTimeout::Reset()
{
    if (m_registered)
        arm();
}

void clsFtpTimeout::arm()
{
    // A period of zero would fire without pause; such a watchdog stays quiet instead.
    if (m_timeOutValue < 1 || m_timeOutValue > kLongestPeriodSeconds)
        return;
    m_timer.start(m_timeOutValue * 1000);
}

} // namespace ftp
