#include "localisation/Skin.h"

#include <QAbstractItemView>
#include <QComboBox>
#include <QFrame>
#include <QHeaderView>
#include <QLineEdit>
#include <QPalette>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QTextEdit>
#include <QWidget>

#include "core/ErrorReport.h"
#include "core/ProgramState.h"
#include "localisation/Languages.h"

namespace localisation
{
namespace
{
// The runtime's "object variable not set".
constexpr qint32 ObjectNotSet = 91;

Skin*& installedSkin()
{
    static Skin* skin = nullptr;
    return skin;
}

std::function<void()>& recoveryHook()
{
    static std::function<void()> hook;
    return hook;
}

// A control of the window: one of its own named widgets, not a part Qt builds inside another.
bool isControlOf(const QWidget* widget, const QWidget* window)
{
    const QString name = widget->objectName();
    return widget->window() == window && !name.isEmpty() && !name.startsWith(QLatin1String("qt_"));
}

bool isInputOrList(const QWidget* widget)
{
    if (qobject_cast<const QHeaderView*>(widget))
        return false;
    return qobject_cast<const QLineEdit*>(widget) || qobject_cast<const QTextEdit*>(widget)
        || qobject_cast<const QPlainTextEdit*>(widget) || qobject_cast<const QComboBox*>(widget)
        || qobject_cast<const QAbstractItemView*>(widget);
}

bool isTextRole(QPalette::ColorRole role)
{
    return role == QPalette::Text || role == QPalette::ButtonText || role == QPalette::WindowText;
}

void setColours(QWidget* widget, std::initializer_list<std::pair<QPalette::ColorRole, QColor>> colours)
{
    QPalette palette = widget->palette();
    for (const auto& [role, colour] : colours) {
        // Disabled controls keep their greyed text, so that they still look disabled.
        if (isTextRole(role)) {
            palette.setColor(QPalette::Active, role, colour);
            palette.setColor(QPalette::Inactive, role, colour);
        } else {
            palette.setColor(role, colour);
        }
    }
    widget->setPalette(palette);
}

bool trySkin(QWidget* frm)
{
    const Skin* skin = SkinObject();
    if (!skin || !frm)
        return false;
    ColorControls(frm, skin->backColour(), skin->foreColour(), skin->pictureColour(), skin->accentColour());
    skin->skinWindow(frm);
    return true;
}
} // namespace

QColor Skin::backColour() const
{
    return QColor(0xF4, 0xF7, 0xFB);
}

QColor Skin::foreColour() const
{
    return QColor(0x1C, 0x2B, 0x3A);
}

QColor Skin::pictureColour() const
{
    return QColor(0xD5, 0xE1, 0xEC);
}

QColor Skin::accentColour() const
{
    return QColor(0x2E, 0x6D, 0xA4);
}

void Skin::skinWindow(QWidget* window) const
{
    if (!window)
        return;
    setColours(window,
               {{QPalette::Window, QColor(0xE4, 0xEB, 0xF2)},
                {QPalette::WindowText, QColor(0x22, 0x31, 0x40)},
                {QPalette::ButtonText, foreColour()},
                {QPalette::Highlight, accentColour()},
                {QPalette::HighlightedText, Qt::white}});
    window->setAutoFillBackground(true);
}

Skin* SkinObject()
{
    return installedSkin();
}

void setSkinObject(Skin* skin)
{
    installedSkin() = skin;
}

void setSkinRecovery(std::function<void()> recovery)
{
    recoveryHook() = std::move(recovery);
}

void ColorControls(QWidget* frm, const QColor& back, const QColor& fore, const QColor& picture, const QColor&)
{
    if (!frm)
        return;
    for (QWidget* control : frm->findChildren<QWidget*>()) {
        if (!isControlOf(control, frm))
            continue;
        if (qobject_cast<QPushButton*>(control)) {
            setColours(control, {{QPalette::Button, back}});
        } else if (isInputOrList(control)) {
            // A combo box that cannot be edited draws its face with the button colours.
            setColours(control,
                       {{QPalette::Base, back},
                        {QPalette::Text, fore},
                        {QPalette::Button, back},
                        {QPalette::ButtonText, fore}});
        } else if (control->metaObject() == &QFrame::staticMetaObject) {
            setColours(control, {{QPalette::Window, picture}});
            control->setAutoFillBackground(true);
        }
    }
}

void ApplySkin(QWidget* frm)
{
    if (trySkin(frm))
        return;
    if (const std::function<void()>& recovery = recoveryHook())
        recovery();
    if (trySkin(frm))
        return;
    core::reportFailure(QStringLiteral("modSkin.ApplySkin(frm)"), {frm ? frm->objectName() : QString()}, ObjectNotSet,
                        QStringLiteral("There is no skin to apply; the window keeps its own colours."));
}

void translateAndSkin(QWidget* window)
{
    Languages().ChangeLanguage(window, CurrentLanguage());
    if (core::state().UseSkin)
        ApplySkin(window);
}

} // namespace localisation
