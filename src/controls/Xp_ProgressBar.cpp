#include "controls/Xp_ProgressBar.h"

#include <QPaintEvent>
#include <QPainter>

#include "controls/ProgressPieces.h"
#include "localisation/Languages.h"
#include "platform/Prompt.h"

namespace
{
// Every piece of every look has this size, even before a look is chosen.
constexpr qint64 PieceWidth = 8;
constexpr qint64 PieceHeight = 10;
// Blocks start this far apart, from x = 4.
constexpr qint64 BlockPitch = 10;
constexpr qint64 FirstBlock = 4;
// The moving head advances this far per change.
constexpr qint64 HeadStep = 5;
} // namespace

Xp_ProgressBar::Xp_ProgressBar(QWidget* parent)
    : QWidget(parent)
{
    setAttribute(Qt::WA_OpaquePaintEvent);
}

void Xp_ProgressBar::setValue(qint64 New_Value)
{
    if (New_Value > m_max) {
        refuse(QStringLiteral("MSG_SMALLER"), QString::number(m_max),
               tr("The value %1 was refused: it is larger than the maximum, %2.").arg(New_Value).arg(m_max));
        return;
    }
    if (New_Value < m_min) {
        refuse(QStringLiteral("MSG_LARGER"), QString::number(m_min),
               tr("The value %1 was refused: it is smaller than the minimum, %2.").arg(New_Value).arg(m_min));
        return;
    }
    m_value = New_Value;
    emit propertyChanged(QStringLiteral("Value"));
    // A hidden bar gets its resize event only when shown.
    if (m_surface.size() != size())
        fullRepaint();
    if (m_style == 0)
        blockStep();
    else if (m_value == m_max)
        fullRepaint();
    else
        movingStep();
    update();
}

void Xp_ProgressBar::setStyle(qint64 New_Style)
{
    m_style = New_Style;
    emit propertyChanged(QStringLiteral("Style"));
}

void Xp_ProgressBar::setProgressLook(qint64 New_ProgressLook)
{
    m_progressLook = New_ProgressLook;
    emit propertyChanged(QStringLiteral("ProgressLook"));
    if (const auto pieces = controls::progressLookPieces(New_ProgressLook))
        m_pieces = *pieces;
}

void Xp_ProgressBar::setMin(qint64 New_Mini)
{
    if (New_Mini > m_max) {
        refuse(QStringLiteral("MSG_SMALLER"), QString::number(m_max),
               tr("The minimum %1 was refused: it is larger than the maximum, %2.").arg(New_Mini).arg(m_max));
        return;
    }
    if (New_Mini < 0) {
        refuse(QStringLiteral("MSG_GREATER"), QString(),
               tr("The minimum %1 was refused: it must not be negative.").arg(New_Mini));
        return;
    }
    m_min = New_Mini;
    emit propertyChanged(QStringLiteral("Min"));
}

void Xp_ProgressBar::setMax(qint64 New_Maxi)
{
    if (New_Maxi < m_min) {
        refuse(QStringLiteral("MSG_LARGER"), QString::number(m_min),
               tr("The maximum %1 was refused: it is smaller than the minimum, %2.").arg(New_Maxi).arg(m_min));
        return;
    }
    m_max = New_Maxi;
    emit propertyChanged(QStringLiteral("Max"));
}

void Xp_ProgressBar::refuse(const QString& key, const QString& bound, const QString& builtInText)
{
    // A language file may carry the message; its text is followed by the bound, as it was written for.
    const QString translated = localisation::Languages().getMessages(key);
    platform::prompt().show({.text = translated.isEmpty() ? builtInText : translated + bound,
                             .title = tr("Error"),
                             .icon = platform::Icon::Critical,
                             .parent = this});
}

void Xp_ProgressBar::ReadProperties(const controls::PropertyBag& bag)
{
    m_min = controls::readInteger(bag, QStringLiteral("Min"), 0);
    m_max = controls::readInteger(bag, QStringLiteral("Max"), 100);
    m_value = controls::readInteger(bag, QStringLiteral("Value"), 0);
    m_style = controls::readInteger(bag, QStringLiteral("Style"), 0);
    setProgressLook(controls::readInteger(bag, QStringLiteral("ProgressLook"), 0));
    fullRepaint();
}

controls::PropertyBag Xp_ProgressBar::WriteProperties() const
{
    return {{QStringLiteral("Value"), m_value},
            {QStringLiteral("Style"), m_style},
            {QStringLiteral("ProgressLook"), m_progressLook},
            {QStringLiteral("Min"), m_min},
            {QStringLiteral("Max"), m_max}};
}

void Xp_ProgressBar::paintEvent(QPaintEvent* event)
{
    QPainter painter(this);
    painter.fillRect(event->rect(), palette().window());
    painter.drawImage(event->rect().topLeft(), m_surface, event->rect());
}

void Xp_ProgressBar::resizeEvent(QResizeEvent*)
{
    fullRepaint();
}

void Xp_ProgressBar::fullRepaint()
{
    const int w = width();
    const int h = height();
    m_surface = QImage(qMax(w, 0), qMax(h, 0), QImage::Format_RGB32);
    m_surface.fill(palette().window().color());
    if (!m_surface.isNull()) {
        QPainter painter(&m_surface);
        const QImage& frame = controls::progressFrame();
        auto region = [&](QRect source, QRect target) {
            if (target.width() > 0 && target.height() > 0)
                painter.drawImage(target, frame, source);
        };
        region({0, 0, 3, 3}, {0, 0, 3, 3});
        region({56, 0, 3, 3}, {w - 3, 0, 3, 3});
        region({56, 10, 3, 3}, {w - 3, h - 3, 3, 3});
        region({0, 10, 3, 3}, {0, h - 3, 3, 3});
        region({3, 0, 12, 3}, {3, 0, w - 6, 3});
        region({56, 3, 3, 3}, {w - 3, 3, 3, h - 6});
        region({3, 10, 1, 3}, {3, h - 3, w - 6, 3});
        region({0, 3, 3, 3}, {0, 3, 3, h - 6});
        region({4, 4, 51, 7}, {3, 3, w - 6, h - 6});
    }
    m_barWidth = w;
    m_innerHeight = h - 6;
    m_headPosition = FirstBlock;
    m_blockPosition = FirstBlock;
    m_lastValue = m_value;
    m_full = false;
    // The frame wipes the blocks; they stand for the value, so they come back at once.
    if (m_style == 0)
        drawBlocks();
    update();
}

void Xp_ProgressBar::blockStep()
{
    // A fall of the value draws the bar again from scratch, up to the new value.
    if (m_value < m_lastValue)
        fullRepaint();
    else
        drawBlocks();
    m_lastValue = m_value;
}

void Xp_ProgressBar::drawBlocks()
{
    if (m_max <= m_min)
        return;
    // Every block whose start lies below the value's share of the bar is drawn, however far the
    // value jumped.
    const double reach
        = static_cast<double>(m_value - m_min) / static_cast<double>(m_max - m_min) * static_cast<double>(m_barWidth);
    while (!m_full && m_blockPosition < reach) {
        if (m_blockPosition + BlockPitch >= m_barWidth) {
            // The last block is squeezed into what is left before the right border.
            const qint64 remaining = m_barWidth - 3 - m_blockPosition;
            if (remaining > 0)
                drawPiece(m_pieces[2], m_blockPosition, remaining);
            m_full = true;
            break;
        }
        drawPiece(m_pieces[2], m_blockPosition, PieceWidth);
        m_blockPosition += BlockPitch;
    }
}

void Xp_ProgressBar::movingStep()
{
    const qint64 p = m_headPosition;
    const qint64 half = PieceWidth / 2;
    if (p != 2 && p != 4)
        drawPiece(controls::progressBlank(), p - HeadStep, half);
    if (p + 20 < m_barWidth)
        drawPiece(m_pieces[2], p + 10, half);
    if (p + 10 < m_barWidth)
        drawPiece(m_pieces[1], p + 5, half);
    if (p + 5 < m_barWidth)
        drawPiece(m_pieces[0], p, half);
    if (p + 5 >= m_barWidth) {
        const qint64 remaining = m_barWidth - 3 - p;
        if (remaining > 0)
            drawPiece(controls::progressBlank(), p, remaining);
        // Later sweeps start at 2.
        m_headPosition = 2;
        return;
    }
    m_headPosition = p + HeadStep;
}

void Xp_ProgressBar::drawPiece(const QImage& piece, qint64 x, qint64 width)
{
    if (piece.isNull() || width <= 0 || m_innerHeight <= 0 || m_surface.isNull())
        return;
    QPainter painter(&m_surface);
    painter.drawImage(QRect(static_cast<int>(x), 3, static_cast<int>(width), static_cast<int>(m_innerHeight)), piece,
                      QRect(0, 0, PieceWidth, PieceHeight));
}
