#include "platform/Form.h"

#include <QCoreApplication>
#include <QEvent>

namespace platform
{
namespace
{
QList<QPointer<QWidget>>& registry()
{
    static QList<QPointer<QWidget>> windows;
    return windows;
}

void prune()
{
    registry().removeIf([](const QPointer<QWidget>& window) { return window.isNull(); });
}
} // namespace

QList<QWidget*> loadedWindows()
{
    prune();
    QList<QWidget*> windows;
    for (const QPointer<QWidget>& window : registry())
        windows.append(window.data());
    return windows;
}

void registerLoadedWindow(QWidget* window)
{
    prune();
    registry().append(window);
}

void forgetLoadedWindow(QWidget* window)
{
    registry().removeIf([window](const QPointer<QWidget>& entry) { return entry.isNull() || entry == window; });
}

void unloadAllWindows()
{
    // Newest first: a window may own state that an older one reads while it goes.
    const QList<QPointer<QWidget>> windows = registry();
    registry().clear();
    for (auto it = windows.crbegin(); it != windows.crend(); ++it) {
        // A window that owned another has taken it along already.
        if (!it->isNull())
            delete it->data();
    }
    // Windows unloaded earlier wait for the event loop; nothing is left for it now.
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
}

} // namespace platform
