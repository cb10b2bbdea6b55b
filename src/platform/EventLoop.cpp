#include "platform/EventLoop.h"

#include <QCoreApplication>
#include <QElapsedTimer>
#include <QEventLoop>
#include <QTimer>

namespace platform
{

void doEvents()
{
    if (QCoreApplication::instance())
        QCoreApplication::processEvents(QEventLoop::AllEvents);
}

bool waitWhile(const std::function<bool()>& predicate, int limitMs)
{
    if (!predicate())
        return true;
    if (!QCoreApplication::instance())
        return false;

    QElapsedTimer elapsed;
    elapsed.start();
    QEventLoop loop;
    QTimer poll;
    poll.setInterval(5);
    bool cleared = false;
    QObject::connect(&poll, &QTimer::timeout, &loop, [&] {
        if (!predicate()) {
            cleared = true;
            loop.quit();
        } else if (elapsed.elapsed() >= limitMs) {
            loop.quit();
        }
    });
    poll.start();
    loop.exec();
    return cleared;
}

} // namespace platform
