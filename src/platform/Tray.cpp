#include "platform/Tray.h"

#include <memory>

#include <QSystemTrayIcon>

namespace platform
{
namespace
{
class DesktopTray : public Tray
{
public:
    bool isAvailable() const override { return QSystemTrayIcon::isSystemTrayAvailable(); }

    bool update(const QString& toolTip) override
    {
        if (!m_icon || !m_icon->isVisible() || !isAvailable())
            return false;
        m_icon->setToolTip(toolTip);
        return true;
    }

    bool add(const QIcon& icon, const QString& toolTip) override
    {
        if (!isAvailable())
            return false;
        if (!m_icon) {
            m_icon = std::make_unique<QSystemTrayIcon>();
            QObject::connect(m_icon.get(), &QSystemTrayIcon::activated, this, &DesktopTray::activated);
        }
        m_icon->setIcon(icon);
        m_icon->setToolTip(toolTip);
        m_icon->show();
        return m_icon->isVisible();
    }

    void remove() override
    {
        if (m_icon)
            m_icon->hide();
    }

private:
    // Qt reports whole clicks; the program tells them apart as the notification protocol does.
    void activated(QSystemTrayIcon::ActivationReason reason)
    {
        switch (reason) {
        case QSystemTrayIcon::Trigger:
            emit mouseMessage(LeftButtonUp);
            break;
        case QSystemTrayIcon::DoubleClick:
            emit mouseMessage(LeftDoubleClick);
            break;
        case QSystemTrayIcon::Context:
            emit mouseMessage(RightButtonUp);
            break;
        default:
            break;
        }
    }

    std::unique_ptr<QSystemTrayIcon> m_icon;
};

Tray*& installed()
{
    static Tray* current = nullptr;
    return current;
}
} // namespace

Tray& tray()
{
    // Kept to the end of the process: the icon must not outlive the application object's teardown.
    static DesktopTray* desktop = new DesktopTray;
    Tray* current = installed();
    return current ? *current : *desktop;
}

void setTray(Tray* tray)
{
    installed() = tray;
}

} // namespace platform
