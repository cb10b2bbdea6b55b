#pragma once

#include <array>

#include <QImage>
#include <QWidget>

#include "controls/ControlProperties.h"

// A progress bar painted from its own pictures: blocks that fill a framed trough in proportion to
// the value (style 0), or a short head that moves on at each change of the value (any other style).
class Xp_ProgressBar : public QWidget
{
    Q_OBJECT

public:
    explicit Xp_ProgressBar(QWidget* parent = nullptr);

    qint64 Value() const { return m_value; }
    // Refuses a value outside Min to Max with a message and keeps the old one.
    void setValue(qint64 New_Value);
    qint64 Style() const { return m_style; }
    // Hides QWidget::setStyle: the bar draws no platform style.
    void setStyle(qint64 New_Style);
    qint64 ProgressLook() const { return m_progressLook; }
    void setProgressLook(qint64 New_ProgressLook);
    qint64 Min() const { return m_min; }
    void setMin(qint64 New_Mini);
    qint64 Max() const { return m_max; }
    void setMax(qint64 New_Maxi);

    // Stored properties, read without range checks, as the host saved them.
    void ReadProperties(const controls::PropertyBag& bag);
    controls::PropertyBag WriteProperties() const;

    // What the bar shows now.
    const QImage& surface() const { return m_surface; }

    QSize sizeHint() const override { return QSize(200, 17); }

signals:
    // A property changed, by its stored name; the host saves again.
    void propertyChanged(const QString& name);

protected:
    void paintEvent(QPaintEvent* event) override;
    void resizeEvent(QResizeEvent* event) override;

private:
    void fullRepaint();
    void drawBlocks();
    void blockStep();
    void movingStep();
    void drawPiece(const QImage& piece, qint64 x, qint64 width);
    void refuse(const QString& key, const QString& bound, const QString& builtInText);

    qint64 m_value = 0;
    qint64 m_style = 0;
    qint64 m_progressLook = 0;
    qint64 m_min = 0;
    qint64 m_max = 100;
    // The current look; empty pictures until a look is chosen.
    std::array<QImage, 3> m_pieces;

    QImage m_surface;
    qint64 m_barWidth = 0;
    qint64 m_innerHeight = 0;
    qint64 m_blockPosition = 4;
    qint64 m_lastValue = 0;
    bool m_full = false;
    qint64 m_headPosition = 4;
};
