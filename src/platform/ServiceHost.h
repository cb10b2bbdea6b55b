#pragma once

#include <QObject>
#include <QString>

class QSocketNotifier;

namespace platform
{

// The host that runs the program as a service (a systemd user unit starting "quillback /s").
// It raises Start when the service starts and Stop when the service manager (or a person at the
// terminal) asks the program to end: SIGTERM and SIGINT arrive as Stop through the event loop.
class ServiceHost : public QObject
{
    Q_OBJECT

public:
    // The host's "Active" setting (settings/service.ini, the lines before any group): "1" when the
    // program is installed to run as a service. "0" when it is missing or cannot be read.
    static QString activeSetting();

    // Starts the service; the host answers with started().
    void startService();
    // The host's error report; the service manager keeps what goes to standard error.
    void logError(int code, int category, const QString& text);

    // From now on SIGTERM and SIGINT raise stopRequested() in the event loop. False when the signal
    // pipe cannot be made (the default handlers then stay).
    bool installSignalHandlers();
    // Gives the two signals their default handling back.
    void removeSignalHandlers();

signals:
    void started();
    void stopRequested();

private:
    void readSignal();

    QSocketNotifier* m_notifier = nullptr;
};

ServiceHost& serviceHost();

} // namespace platform
