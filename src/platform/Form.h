#pragma once

#include <QList>
#include <QPointer>
#include <QWidget>

namespace platform
{

// The windows that are loaded now, in the order they were loaded.
QList<QWidget*> loadedWindows();
void registerLoadedWindow(QWidget* window);
void forgetLoadedWindow(QWidget* window);
// Deletes every loaded window at once: at the program's end and between tests, never from a handler.
void unloadAllWindows();

// Each window of the program is one program-wide instance: loading creates it and runs its Form_Load,
// unloading (explicitly, or by its close box) destroys it. A window may unload itself, or be unloaded by
// another window, from inside its own handlers, so destruction waits for the event loop.
template <class Window>
class Form
{
public:
    // The instance, loaded first when needed; nullptr when its load unloaded it again.
    static Window* load()
    {
        if (!slot()) {
            auto* window = new Window;
            window->setAttribute(Qt::WA_DeleteOnClose);
            slot() = window;
            registerLoadedWindow(window);
            window->Form_Load();
        }
        return slot().data();
    }

    // The instance when it is loaded, otherwise nullptr; never loads.
    static Window* loaded() { return slot().data(); }

    static void unload()
    {
        Window* window = slot().data();
        if (!window)
            return;
        slot() = nullptr;
        forgetLoadedWindow(window);
        window->hide();
        window->deleteLater();
    }

private:
    static QPointer<Window>& slot()
    {
        static QPointer<Window> instance;
        return instance;
    }
};

} // namespace platform
