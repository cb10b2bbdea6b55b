#include "controls/chameleonButton.h"

#include <QApplication>
#include <QKeyEvent>
#include <QMouseEvent>

#include "controls/ButtonPainter.h"
#include "controls/ControlInputCodes.h"

using namespace controls;

// ---- input

bool chameleonButton::event(QEvent* event)
{
    // The only shortcut this control grabs is its access key.
    if (event->type() == QEvent::Shortcut) {
        UserControl_AccessKeyPress();
        return true;
    }
    return QWidget::event(event);
}

void chameleonButton::UserControl_MouseDown(int button, int shift, float x, float y)
{
    emit MouseDown(button, shift, x, y);
    m_lastButton = button;
    if (button != 2)
        PaintButton(StatePressed, false);
}

void chameleonButton::mousePressEvent(QMouseEvent* event)
{
    m_afterDoubleClick = false;
    const QPointF at = event->position();
    UserControl_MouseDown(buttonCode(event->button()), shiftCode(event->modifiers()), static_cast<float>(at.x()),
                          static_cast<float>(at.y()));
}

void chameleonButton::mouseDoubleClickEvent(QMouseEvent*)
{
    // The second press of a double click: pressed look until its release, and no click of its own.
    m_afterDoubleClick = true;
    if (m_lastButton == 1)
        UserControl_MouseDown(1, 0, 0, 0);
}

void chameleonButton::mouseReleaseEvent(QMouseEvent* event)
{
    const int button = buttonCode(event->button());
    const QPointF at = event->position();
    emit MouseUp(button, shiftCode(event->modifiers()), static_cast<float>(at.x()), static_cast<float>(at.y()));
    if (button != 2)
        PaintButton(StateNormal, false);
    const bool clicked = !m_afterDoubleClick && IsCursorOver(at);
    m_afterDoubleClick = false;
    if (clicked)
        UserControl_Click();
}

void chameleonButton::UserControl_Click()
{
    if (m_lastButton != 1 || !m_enabled)
        return;
    if (m_checkBoxBehaviour)
        m_value = !m_value;
    PaintButton(StateNormal, true);
    repaint();
    emit Click();
}

void chameleonButton::UserControl_AccessKeyPress()
{
    m_lastButton = 1;
    UserControl_Click();
}

void chameleonButton::mouseMoveEvent(QMouseEvent* event)
{
    const int button = buttonCode(event->buttons());
    const QPointF at = event->position();
    emit MouseMove(button, shiftCode(event->modifiers()), static_cast<float>(at.x()), static_cast<float>(at.y()));
    const bool over = IsCursorOver(at);
    // Held buttons keep the moves coming here after the cursor has left, so leaving is seen here too.
    if (!over)
        leaveHover();
    if (button >= 2)
        return;
    if (!over) {
        PaintButton(StateNormal, false);
        return;
    }
    if (button == 0 && !m_over) {
        enterHover();
    } else if (button == 1) {
        m_over = true;
        PaintButton(StatePressed, false);
        m_over = false;
    }
}

void chameleonButton::enterEvent(QEnterEvent* event)
{
    if (QApplication::mouseButtons() == Qt::NoButton && !m_over && IsCursorOver(event->position()))
        enterHover();
}

void chameleonButton::leaveEvent(QEvent*)
{
    leaveHover();
}

void chameleonButton::enterHover()
{
    m_hoverFollowed = true;
    m_over = true;
    PaintButton(StateNormal, true);
    emit MouseOver();
}

void chameleonButton::leaveHover()
{
    if (!m_hoverFollowed)
        return;
    m_hoverFollowed = false;
    m_over = false;
    PaintButton(StateNormal, true);
    emit MouseOut();
}

bool chameleonButton::IsCursorOver(const QPointF& position) const
{
    const QPoint point = position.toPoint();
    if (!rect().contains(point))
        return false;
    return mask().isEmpty() || mask().contains(point);
}

void chameleonButton::keyPressEvent(QKeyEvent* event)
{
    const int code = keyCode(event->key());
    emit KeyDown(code, shiftCode(event->modifiers()));
    m_lastKey = code;
    switch (code) {
    case 32:
        PaintButton(StatePressed, false);
        break;
    case 37:
    case 38:
        focusNextPrevChild(false);
        break;
    case 39:
    case 40:
        focusNextPrevChild(true);
        break;
    default:
        break;
    }
    if (!event->text().isEmpty())
        emit KeyPress(event->text().at(0).unicode());
    // The host still sees Enter and Escape, for its default and cancel buttons.
    if (code == 13 || code == 27)
        event->ignore();
}

void chameleonButton::keyReleaseEvent(QKeyEvent* event)
{
    if (event->isAutoRepeat())
        return;
    const int code = keyCode(event->key());
    emit KeyUp(code, shiftCode(event->modifiers()));
    if (m_lastKey == 32 && code == 32) {
        if (m_checkBoxBehaviour)
            m_value = !m_value;
        PaintButton(StateNormal, false);
        repaint();
        emit Click();
    }
}

void chameleonButton::focusInEvent(QFocusEvent*)
{
    m_focused = true;
    repaintButton();
}

void chameleonButton::focusOutEvent(QFocusEvent*)
{
    m_focused = false;
    repaintButton();
}
