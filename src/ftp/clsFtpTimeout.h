#pragma once

#include <QObject>
#include <QTimer>

namespace ftp
{

// The watchdog of an FTP session: once started it raises TimeOut after every whole period that passes
// without Reset or StopTimer. Each watchdog has its own timer, so sessions never share one.
class clsFtpTimeout : public QObject
{
    Q_OBJECT

public:
    explicit clsFtpTimeout(QObject* parent = nullptr);

    // Begins or restarts the period; a period below one second starts nothing.
    void StartTimer();
    void StopTimer();
    // Seconds; a new value takes effect at the next StartTimer or Reset.
    void setTimeOutValue(int seconds) { m_timeOutValue = seconds; }
    int TimeOutValue() const { return m_timeOutValue; }
    // Restarts the period of a watchdog that was started once; before that it does nothing.
    void Reset();

    bool isRunning() const { return m_timer.isActive(); }

signals:
    void TimeOut();

private:
    void arm();

    QTimer m_timer;
    int m_timeOutValue = 0;
    bool m_registered = false;
};

} // namespace ftp
