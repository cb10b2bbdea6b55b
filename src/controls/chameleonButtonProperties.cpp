#include "controls/chameleonButton.h"

#include <cmath>

#include <QApplication>

#include "controls/ButtonPainter.h"
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

// A copy of `font` with one change made.
template <typename Change>
QFont edited(QFont font, Change change)
{
    change(font);
    return font;
}
} // namespace

// ---- properties

void chameleonButton::setColour(OleColor& colour, OleColor* hover, OleColor value, const QString& key)
{
    colour = value;
    // While the host is being designed, the hover colour follows.
    if (hover && !m_userMode)
        *hover = value;
    DeriveColors();
    repaintButton();
    emit propertyChanged(key);
}

void chameleonButton::setBackColor(OleColor theCol)
{
    setColour(m_backColor, &m_backOver, theCol, KeyBackColor);
}

void chameleonButton::setBackOver(OleColor theCol)
{
    setColour(m_backOver, nullptr, theCol, KeyBackOver);
}

void chameleonButton::setForeColor(OleColor theCol)
{
    setColour(m_foreColor, &m_foreOver, theCol, KeyForeColor);
}

void chameleonButton::setForeOver(OleColor theCol)
{
    setColour(m_foreOver, nullptr, theCol, KeyForeOver);
}

void chameleonButton::setMaskColor(OleColor theCol)
{
    setColour(m_maskColor, nullptr, theCol, KeyMaskColor);
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
    applyFont(edited(font(), [&value](QFont& changed) { changed.setBold(value); }));
}

void chameleonButton::setFontItalic(bool value)
{
    applyFont(edited(font(), [&value](QFont& changed) { changed.setItalic(value); }));
}

void chameleonButton::setFontUnderline(bool value)
{
    applyFont(edited(font(), [&value](QFont& changed) { changed.setUnderline(value); }));
}

int chameleonButton::FontSize() const
{
    return static_cast<int>(std::nearbyint(font().pointSizeF()));
}

void chameleonButton::setFontSize(int value)
{
    applyFont(edited(font(), [&value](QFont& changed) { changed.setPointSize(value); }));
}

void chameleonButton::setFontName(const QString& value)
{
    applyFont(edited(font(), [&value](QFont& changed) { changed.setFamily(value); }));
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
