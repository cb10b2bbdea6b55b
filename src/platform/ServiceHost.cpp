#include "platform/ServiceHost.h"

#include <cerrno>
#include <csignal>
#include <cstring>

#include <fcntl.h>
#include <unistd.h>

#include <QSocketNotifier>
#include <QtDebug>

#include "platform/SettingsFile.h"

namespace platform
{
namespace
{
int signalPipe[2] = {-1, -1};

// Only async-signal-safe calls here: the event loop does the rest.
void onSignal(int signalNumber)
{
    const int savedErrno = errno;
    const char byte = static_cast<char>(signalNumber);
    [[maybe_unused]] const ssize_t written = ::write(signalPipe[1], &byte, 1);
    errno = savedErrno;
}

bool setHandler(int signalNumber, void (*handler)(int))
{
    struct sigaction action = {};
    action.sa_handler = handler;
    sigemptyset(&action.sa_mask);
    action.sa_flags = SA_RESTART;
    return ::sigaction(signalNumber, &action, nullptr) == 0;
}
} // namespace

QString ServiceHost::activeSetting()
{
    SettingsFile file(settingsFilePath(SettingsStore::Service));
    QString value;
    if (file.read(QString(), QStringLiteral("Active"), &value) != regerr::Success)
        return QStringLiteral("0");
    return value;
}

void ServiceHost::startService()
{
    emit started();
}

void ServiceHost::logError(int code, int category, const QString& text)
{
    qWarning().noquote() << QStringLiteral("Service error %1/%2: %3").arg(code).arg(category).arg(text);
}

bool ServiceHost::installSignalHandlers()
{
    if (m_notifier)
        return true;
    if (::pipe2(signalPipe, O_CLOEXEC | O_NONBLOCK) != 0) {
        qWarning("The service's signal pipe cannot be made: %s", strerror(errno));
        return false;
    }
    m_notifier = new QSocketNotifier(signalPipe[0], QSocketNotifier::Read, this);
    connect(m_notifier, &QSocketNotifier::activated, this, &ServiceHost::readSignal);
    setHandler(SIGTERM, onSignal);
    setHandler(SIGINT, onSignal);
    return true;
}

void ServiceHost::removeSignalHandlers()
{
    if (!m_notifier)
        return;
    setHandler(SIGTERM, SIG_DFL);
    setHandler(SIGINT, SIG_DFL);
    delete m_notifier;
    m_notifier = nullptr;
    ::close(signalPipe[0]);
    ::close(signalPipe[1]);
    signalPipe[0] = signalPipe[1] = -1;
}

void ServiceHost::readSignal()
{
    char bytes[16];
    bool any = false;
    while (::read(signalPipe[0], bytes, sizeof bytes) > 0)
        any = true;
    if (any)
        emit stopRequested();
}

ServiceHost& serviceHost()
{
    // Kept to the end of the process, like the signal handlers it installs.
    static ServiceHost* host = new ServiceHost;
    return *host;
}

} // namespace platform
