#include "controls/chameleonButton.h"

#include <cmath>

#include <QApplication>
#include <QFontMetrics>
#include <QKeyEvent>
#include <QKeySequence>
#include <QMouseEvent>
#include <QPainter>
#include <QShortcutEvent>

#include "controls/ButtonPainter.h"
#include "controls/ButtonPictures.h"
#include "controls/ControlInputCodes.h"

using namespace controls;

namespace
{
const QString KeyButtonType = QStringLiteral("BTYPE");
const QString KeyCaption = QStringLiteral("TX");
const QString KeyEnabled = QStringLiteral("ENAB");
const QString KeyFont = QStringLiteral("FONT");
const QString KeyColorScheme = QStringLiteral("COLTYPE");
const QString KeyFocusRect = QStringLiteral("FOCUSR");
const QString KeyBackColor = QStringLiteral("BCOL");
const QString KeyBackOver = QStringLiteral("BCOLO");
const QString KeyForeColor = QStringLiteral("FCOL");
const QString KeyForeOver = QStringLiteral("FCOLO");
const QString KeyMaskColor = QStringLiteral("MCOL");
const QString KeyMousePointer = QStringLiteral("MPTR");
const QString KeyMouseIcon = QStringLiteral("MICON");
const QString KeyPictureNormal = QStringLiteral("PICN");
const QString KeyPictureOver = QStringLiteral("PICH");
const QString KeyUseMaskColor = QStringLiteral("UMCOL");
const QString KeySoftBevel = QStringLiteral("SOFT");
const QString KeyPicturePosition = QStringLiteral("PICPOS");
const QString KeyGreyscale = QStringLiteral("NGREY");
const QString KeyEffect = QStringLiteral("FX");
const QString KeyHand = QStringLiteral("HAND");
const QString KeyCheck = QStringLiteral("CHECK");
const QString KeyValue = QStringLiteral("VALUE");

constexpr int PointerCustom = 99;

QImage readPicture(const PropertyBag& bag, const QString& key)
{
    const QVariant value = bag.value(key);
    if (value.typeId() == QMetaType::QImage)
        return value.value<QImage>();
    if (value.typeId() == QMetaType::QPixmap)
        return value.value<QPixmap>().toImage();
    return {};
}

OleColor readColour(const PropertyBag& bag, const QString& key, OleColor fallback)
{
    return static_cast<OleColor>(readInteger(bag, key, static_cast<qint64>(fallback)) & 0xFFFFFFFF);
}
} // namespace

chameleonButton::chameleonButton(QWidget* parent)
    : QWidget(parent)
{
    setFocusPolicy(Qt::StrongFocus);
    setMouseTracking(true);
    InitProperties();
}

QSize chameleonButton::sizeHint() const
{
    const QFontMetrics metrics(font());
    const QSize text = metrics.size(Qt::TextShowMnemonic, MnemonicText(ShowCaption(m_caption)));
    const bool beside = m_picturePosition == 0 || m_picturePosition == 1;
    const int width = qMax(text.width() + 24 + (beside ? m_picW + 4 : 0), m_picW + 12);
    return QSize(qMax(width, 75), heightForWidth(qMax(width, 75)));
}

int chameleonButton::heightForWidth(int width) const
{
    const bool beside = m_picturePosition == 0 || m_picturePosition == 1;
    const bool stacked = m_picturePosition == 2 || m_picturePosition == 3;
    const int textWidth = qMax(width - 3 - (beside ? m_picW : 0), 1);
    const QString text = MnemonicText(ShowCaption(m_caption));
    const int textHeight = text.isEmpty()
        ? 0
        : QFontMetrics(font())
              .boundingRect(QRect(0, 0, textWidth, 10000), Qt::TextWordWrap | Qt::TextShowMnemonic, text)
              .height();
    const int height = stacked ? textHeight + m_picH + 14 : qMax(textHeight + 12, m_picH + 8);
    return qMax(height, 23);
}

// ---- properties

void chameleonButton::setBackColor(OleColor theCol)
{
    m_backColor = theCol;
    if (!m_userMode)
        m_backOver = theCol;
    DeriveColors();
    repaintButton();
    emit propertyChanged(KeyBackColor);
}

void chameleonButton::setBackOver(OleColor theCol)
{
    m_backOver = theCol;
    DeriveColors();
    repaintButton();
    emit propertyChanged(KeyBackOver);
}

void chameleonButton::setForeColor(OleColor theCol)
{
    m_foreColor = theCol;
    if (!m_userMode)
        m_foreOver = theCol;
    DeriveColors();
    repaintButton();
    emit propertyChanged(KeyForeColor);
}

void chameleonButton::setForeOver(OleColor theCol)
{
    m_foreOver = theCol;
    DeriveColors();
    repaintButton();
    emit propertyChanged(KeyForeOver);
}

void chameleonButton::setMaskColor(OleColor theCol)
{
    m_maskColor = theCol;
    DeriveColors();
    repaintButton();
    emit propertyChanged(KeyMaskColor);
}

void chameleonButton::setButtonType(int value)
{
    m_buttonType = value;
    if (!m_userMode && value == 5)
        setFontBold(true);
    applyResize();
    emit propertyChanged(KeyButtonType);
}

void chameleonButton::setCaption(const QString& value)
{
    m_caption = value;
    UpdateAccessKey();
    LayoutCaption();
    PaintButton(StateNormal, true);
    updateGeometry();
    emit propertyChanged(KeyCaption);
}

void chameleonButton::setEnabled(bool value)
{
    m_enabled = value;
    PaintButton(StateNormal, true);
    QWidget::setEnabled(value);
    emit propertyChanged(KeyEnabled);
}

void chameleonButton::setFont(const QFont& newFont)
{
    applyFont(newFont);
    emit propertyChanged(KeyFont);
}

void chameleonButton::applyFont(const QFont& newFont)
{
    // The font change event lays out and repaints.
    QWidget::setFont(newFont);
}

void chameleonButton::setFontBold(bool value)
{
    QFont changed = font();
    changed.setBold(value);
    applyFont(changed);
}

void chameleonButton::setFontItalic(bool value)
{
    QFont changed = font();
    changed.setItalic(value);
    applyFont(changed);
}

void chameleonButton::setFontUnderline(bool value)
{
    QFont changed = font();
    changed.setUnderline(value);
    applyFont(changed);
}

int chameleonButton::FontSize() const
{
    return static_cast<int>(std::nearbyint(font().pointSizeF()));
}

void chameleonButton::setFontSize(int value)
{
    QFont changed = font();
    changed.setPointSize(value);
    applyFont(changed);
}

void chameleonButton::setFontName(const QString& value)
{
    QFont changed = font();
    changed.setFamily(value);
    applyFont(changed);
}

void chameleonButton::setColorScheme(int value)
{
    m_colorScheme = value;
    DeriveColors();
    PaintButton(StateNormal, true);
    emit propertyChanged(KeyColorScheme);
}

void chameleonButton::setShowFocusRect(bool value)
{
    m_showFocusRect = value;
    repaintButton();
    emit propertyChanged(KeyFocusRect);
}

void chameleonButton::setMousePointer(int newPointer)
{
    m_mousePointer = static_cast<qint16>(newPointer);
    applyCursor();
    emit propertyChanged(KeyMousePointer);
}

void chameleonButton::setMouseIcon(const QImage& newIcon)
{
    m_mouseIcon = newIcon;
    applyCursor();
    emit propertyChanged(KeyMouseIcon);
}

void chameleonButton::setHandPointer(bool value)
{
    m_handPointer = value;
    m_mouseIcon = QImage();
    m_mousePointer = value ? PointerCustom : 1;
    applyCursor();
    emit propertyChanged(KeyHand);
}

void chameleonButton::applyCursor()
{
    if (m_handPointer && m_mousePointer == PointerCustom)
        setCursor(Qt::PointingHandCursor);
    else if (m_mousePointer == PointerCustom && !m_mouseIcon.isNull())
        setCursor(QCursor(QPixmap::fromImage(m_mouseIcon)));
    else if (m_mousePointer == 0 || m_mousePointer == PointerCustom)
        unsetCursor();
    else
        setCursor(cursorShape(m_mousePointer));
}

void chameleonButton::setSoftBevel(bool value)
{
    m_softBevel = value;
    DeriveColors();
    repaintButton();
    emit propertyChanged(KeySoftBevel);
}

void chameleonButton::setPictureNormal(const QImage& NewPic)
{
    m_pictureNormal = NewPic;
    MeasurePicture();
    LayoutCaption();
    repaintButton();
    updateGeometry();
    emit propertyChanged(KeyPictureNormal);
}

void chameleonButton::setPictureOver(const QImage& NewPic)
{
    m_pictureOver = NewPic;
    if (m_over)
        repaintButton();
    emit propertyChanged(KeyPictureOver);
}

void chameleonButton::setPicturePosition(int newPicPos)
{
    m_picturePosition = newPicPos;
    emit propertyChanged(KeyPicturePosition);
    LayoutCaption();
    repaintButton();
    updateGeometry();
}

void chameleonButton::setUseMaskColor(bool value)
{
    m_useMaskColor = value;
    if (!m_pictureNormal.isNull())
        repaintButton();
    emit propertyChanged(KeyUseMaskColor);
}

void chameleonButton::setUseGreyscale(bool value)
{
    m_useGreyscale = value;
    if (!m_pictureNormal.isNull())
        repaintButton();
    emit propertyChanged(KeyGreyscale);
}

void chameleonButton::setSpecialEffect(int value)
{
    m_specialEffect = value;
    repaintButton();
    emit propertyChanged(KeyEffect);
}

void chameleonButton::setCheckBoxBehaviour(bool value)
{
    m_checkBoxBehaviour = value;
    repaintButton();
    emit propertyChanged(KeyCheck);
}

void chameleonButton::setValue(bool value)
{
    m_value = value;
    if (m_checkBoxBehaviour)
        PaintButton(StateNormal, true);
    emit propertyChanged(KeyValue);
}

void chameleonButton::setDefaultButton(bool isDefault)
{
    m_isDefault = isDefault;
    repaintButton();
}

// ---- lifecycle

void chameleonButton::DisableRefresh()
{
    m_paintEnabled = false;
}

void chameleonButton::Refresh()
{
    DeriveColors();
    LayoutCaption();
    m_paintEnabled = true;
    repaintButton();
}

void chameleonButton::InitProperties()
{
    m_enabled = true;
    m_showFocusRect = true;
    m_useMaskColor = true;
    m_caption = m_displayName;
    m_buttonType = 2;
    m_colorScheme = 1;
    DeriveColors();
    m_backColor = m_backOver = m_colours.clrFace;
    m_foreColor = m_foreOver = m_colours.clrText;
    m_maskColor = rgb(192, 192, 192);
    UpdateAccessKey();
    LayoutCaption();
}

void chameleonButton::ReadProperties(const PropertyBag& bag)
{
    const QPalette system = QApplication::palette();
    m_readingProperties = true;
    m_buttonType = static_cast<int>(readInteger(bag, KeyButtonType, 2));
    m_caption = readText(bag, KeyCaption, QString());
    m_enabled = readBoolean(bag, KeyEnabled, true);
    QWidget::setFont(readFont(bag, KeyFont, font()));
    m_colorScheme = static_cast<int>(readInteger(bag, KeyColorScheme, 1));
    m_showFocusRect = readBoolean(bag, KeyFocusRect, true);
    m_backColor = readColour(bag, KeyBackColor, GetSysColor(system, COLOR_BTNFACE));
    m_backOver = readColour(bag, KeyBackOver, m_backColor);
    m_foreColor = readColour(bag, KeyForeColor, GetSysColor(system, COLOR_BTNTEXT));
    m_foreOver = readColour(bag, KeyForeOver, m_foreColor);
    m_maskColor = readColour(bag, KeyMaskColor, rgb(192, 192, 192));
    m_mousePointer = static_cast<qint16>(readInteger(bag, KeyMousePointer, 0));
    m_mouseIcon = readPicture(bag, KeyMouseIcon);
    m_pictureNormal = readPicture(bag, KeyPictureNormal);
    m_pictureOver = readPicture(bag, KeyPictureOver);
    m_useMaskColor = readBoolean(bag, KeyUseMaskColor, true);
    m_softBevel = readBoolean(bag, KeySoftBevel, false);
    m_picturePosition = static_cast<int>(readInteger(bag, KeyPicturePosition, 0));
    m_useGreyscale = readBoolean(bag, KeyGreyscale, false);
    m_specialEffect = static_cast<int>(readInteger(bag, KeyEffect, 0));
    // A stored pointer and icon survive unless the hand replaces them.
    m_handPointer = readBoolean(bag, KeyHand, false);
    if (m_handPointer)
        m_mousePointer = PointerCustom;
    applyCursor();
    m_checkBoxBehaviour = readBoolean(bag, KeyCheck, false);
    m_value = readBoolean(bag, KeyValue, false);
    m_readingProperties = false;

    QWidget::setEnabled(m_enabled);
    MeasurePicture();
    LayoutCaption();
    UpdateAccessKey();
    updateGeometry();
}

PropertyBag chameleonButton::WriteProperties() const
{
    return {
        {KeyButtonType, m_buttonType},
        {KeyCaption, m_caption},
        {KeyEnabled, m_enabled},
        {KeyFont, font()},
        {KeyColorScheme, m_colorScheme},
        {KeyFocusRect, m_showFocusRect},
        {KeyBackColor, m_backColor},
        {KeyBackOver, m_backOver},
        {KeyForeColor, m_foreColor},
        {KeyForeOver, m_foreOver},
        {KeyMaskColor, m_maskColor},
        {KeyMousePointer, m_mousePointer},
        {KeyMouseIcon, m_mouseIcon},
        {KeyPictureNormal, m_pictureNormal},
        {KeyPictureOver, m_pictureOver},
        {KeyUseMaskColor, m_useMaskColor},
        {KeySoftBevel, m_softBevel},
        {KeyPicturePosition, m_picturePosition},
        {KeyGreyscale, m_useGreyscale},
        {KeyEffect, m_specialEffect},
        {KeyHand, m_handPointer},
        {KeyCheck, m_checkBoxBehaviour},
        {KeyValue, m_value},
    };
}

void chameleonButton::showEvent(QShowEvent*)
{
    m_paintEnabled = true;
    DeriveColors();
    PaintButton(StateNormal, true);
}

void chameleonButton::hideEvent(QHideEvent*)
{
    m_paintEnabled = false;
}

void chameleonButton::resizeEvent(QResizeEvent*)
{
    applyResize();
}

void chameleonButton::applyResize()
{
    m_w = width();
    m_h = height();
    int inset = 4;
    if (m_buttonType >= 7 && m_buttonType <= 13)
        inset = 3;
    else if (m_buttonType == 14)
        inset = 5;
    m_rcFocus = PixelRect {inset, inset, m_w - inset, m_h - inset};
    if (m_buttonType == 14)
        m_rcFocus = m_rcFocus.moved(1, 1);
    LayoutCaption();
    if (m_w > 0 && m_h > 0)
        setMask(BuildShape(m_buttonType, m_w, m_h));
    if (m_h != 0)
        PaintButton(StateNormal, true);
}

void chameleonButton::changeEvent(QEvent* event)
{
    switch (event->type()) {
    case QEvent::FontChange:
        if (!m_readingProperties) {
            LayoutCaption();
            PaintButton(StateNormal, true);
            updateGeometry();
        }
        break;
    case QEvent::EnabledChange:
        if (!m_readingProperties)
            PaintButton(StateNormal, true);
        break;
    case QEvent::PaletteChange:
    case QEvent::ParentChange:
        // The host's colours changed: schemes other than 2 follow them.
        if (m_colorScheme != 2) {
            DeriveColors();
            repaintButton();
        }
        break;
    default:
        break;
    }
    QWidget::changeEvent(event);
}

// ---- colours, layout, painting

ColourSet chameleonButton::derivedColours(OleColor backColor) const
{
    ColourInputs inputs;
    inputs.colorScheme = m_colorScheme;
    inputs.buttonType = m_buttonType;
    inputs.softBevel = m_softBevel;
    inputs.backColor = backColor;
    inputs.foreColor = m_foreColor;
    inputs.foreOver = m_foreOver;
    inputs.maskColor = m_maskColor;
    inputs.system = QApplication::palette();
    inputs.parent = parentWidget() ? parentWidget()->palette() : palette();
    return controls::DeriveColors(inputs);
}

void chameleonButton::DeriveColors()
{
    m_colours = derivedColours(m_backColor);
}

void chameleonButton::MeasurePicture()
{
    m_picW = m_pictureNormal.isNull() ? 0 : m_pictureNormal.width();
    m_picH = m_pictureNormal.isNull() ? 0 : m_pictureNormal.height();
}

CaptionLayout chameleonButton::layoutFor(const QFont& font) const
{
    const QString text = MnemonicText(ShowCaption(m_caption));
    const QFontMetrics metrics(font);
    CaptionInputs inputs;
    inputs.width = m_w;
    inputs.height = m_h;
    inputs.picturePosition = m_picturePosition;
    inputs.pictureWidth = m_picW;
    inputs.pictureHeight = m_picH;
    inputs.hasPicture = !m_pictureNormal.isNull() || !m_pictureOver.isNull();
    inputs.caption = m_caption;
    return controls::LayoutCaption(m_layout, inputs, [&](const PixelRect& within) {
        if (text.isEmpty())
            return QSize(0, 0);
        const QRect bounds(within.left, within.top, qMax(within.width(), 1), qMax(within.height(), 1));
        return metrics.boundingRect(bounds, Qt::TextWordWrap | Qt::TextShowMnemonic, text).size();
    });
}

void chameleonButton::LayoutCaption()
{
    m_layout = layoutFor(font());
}

void chameleonButton::UpdateAccessKey()
{
    if (m_shortcutId != 0) {
        releaseShortcut(m_shortcutId);
        m_shortcutId = 0;
    }
    m_accessKey = AccessKey(m_caption);
    if (!m_accessKey.isNull())
        m_shortcutId = grabShortcut(QKeySequence(QStringLiteral("Alt+") + m_accessKey.toUpper()));
}

void chameleonButton::PaintButton(int state, bool force)
{
    if (m_checkBoxBehaviour && m_value)
        state = StatePressed;
    if (!force && state == m_lastState && m_caption == m_lastCaption)
        return;
    if (m_h == 0 || !m_paintEnabled)
        return;
    m_lastState = state;
    m_lastCaption = m_caption;

    ButtonPaintInput in;
    in.width = m_w;
    in.height = m_h;
    in.buttonType = m_buttonType;
    in.colorScheme = m_colorScheme;
    in.specialEffect = m_specialEffect;
    in.picturePosition = m_picturePosition;
    // A disabled host disables the button with it.
    in.enabled = m_enabled && isEnabled();
    in.over = m_over;
    in.focused = m_focused;
    in.isDefault = m_isDefault;
    in.showFocusRect = m_showFocusRect;
    in.softBevel = m_softBevel;
    in.useMaskColor = m_useMaskColor;
    in.useGreyscale = m_useGreyscale;
    in.captionText = MnemonicText(ShowCaption(m_caption));
    in.font = font();
    in.layout = m_layout;
    if (m_buttonType == 14 && m_isDefault) {
        in.boldFont = font();
        in.boldFont.setBold(true);
        in.boldLayout = layoutFor(in.boldFont);
    }
    in.rcFocus = m_rcFocus;
    in.pictureNormal = m_pictureNormal;
    in.pictureOver = m_pictureOver;
    in.pictureWidth = m_picW;
    in.pictureHeight = m_picH;
    // Under the cursor every shade of scheme 2 comes from the hover colour.
    in.colours = m_over && m_colorScheme == 2 ? derivedColours(m_backOver) : m_colours;
    m_surface = PaintButtonFace(in, state);
    update();
}

void chameleonButton::paintEvent(QPaintEvent*)
{
    QPainter painter(this);
    painter.drawImage(0, 0, m_surface);
}

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
