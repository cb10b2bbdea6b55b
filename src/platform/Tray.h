#pragma once

#include <QIcon>
#include <QObject>
#include <QString>

namespace platform
{

// The program's icon in the desktop's notification area.
class Tray : public QObject
{
    Q_OBJECT

public:
    // The mouse messages the icon reports, by their numbers in the notification protocol.
    enum MouseMessage
    {
        MouseMove = 512,
        LeftButtonDown = 513,
        LeftButtonUp = 514,
        LeftDoubleClick = 515,
        RightButtonDown = 516,
        RightButtonUp = 517,
    };

    // The desktop has a notification area; without one the icon cannot be added.
    virtual bool isAvailable() const = 0;
    // Changes the tooltip of the icon; false when there is no icon to update (not added yet, or lost).
    virtual bool update(const QString& toolTip) = 0;
    // Puts the icon up; false when the notification area refused it.
    virtual bool add(const QIcon& icon, const QString& toolTip) = 0;
    virtual void remove() = 0;

signals:
    void mouseMessage(int message);
};

Tray& tray();
// Installs another tray (nullptr restores the desktop's). The caller keeps ownership.
void setTray(Tray* tray);

} // namespace platform
