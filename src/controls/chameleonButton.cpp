#include "controls/chameleonButton.h"

#include <QApplication>
#include <QFontMetrics>
#include <QKeySequence>
#include <QPainter>

#include "controls/ButtonPainter.h"
#include "controls/ButtonPictures.h"

using namespace controls;

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
