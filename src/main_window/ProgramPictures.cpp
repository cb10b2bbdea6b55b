#include "main_window/ProgramPictures.h"

#include <QFont>
#include <QLinearGradient>
#include <QPainter>
#include <QPainterPath>

#include "localisation/Brand.h"
#include "platform/VersionInfo.h"

namespace main_window
{
namespace
{
const QColor Deep(0x1F, 0x4E, 0x7A);
const QColor Light(0x4F, 0x8F, 0xC6);
const QColor Feather(0xF5, 0xF8, 0xFB);

// A feather over a rounded square: the quill of the program's name.
void drawMark(QPainter& painter, const QRectF& area)
{
    painter.setRenderHint(QPainter::Antialiasing);
    QLinearGradient background(area.topLeft(), area.bottomRight());
    background.setColorAt(0, Light);
    background.setColorAt(1, Deep);
    painter.setPen(Qt::NoPen);
    painter.setBrush(background);
    const qreal radius = area.width() * 0.2;
    painter.drawRoundedRect(area, radius, radius);

    const qreal w = area.width();
    const qreal h = area.height();
    const QPointF tip(area.left() + w * 0.80, area.top() + h * 0.14);
    const QPointF end(area.left() + w * 0.24, area.top() + h * 0.82);
    QPainterPath vane;
    vane.moveTo(tip);
    vane.cubicTo(QPointF(area.left() + w * 0.36, area.top() + h * 0.20),
                 QPointF(area.left() + w * 0.22, area.top() + h * 0.50), end);
    vane.cubicTo(QPointF(area.left() + w * 0.52, area.top() + h * 0.70),
                 QPointF(area.left() + w * 0.78, area.top() + h * 0.46), tip);
    painter.setBrush(Feather);
    painter.drawPath(vane);

    QPen shaft(Deep, qMax<qreal>(1.0, w * 0.035));
    shaft.setCapStyle(Qt::RoundCap);
    painter.setPen(shaft);
    painter.drawLine(tip, QPointF(area.left() + w * 0.16, area.top() + h * 0.90));
}
} // namespace

QIcon programIcon()
{
    QIcon icon;
    for (const int side : {16, 24, 32, 48, 64, 128}) {
        QPixmap pixmap(side, side);
        pixmap.fill(Qt::transparent);
        QPainter painter(&pixmap);
        drawMark(painter, QRectF(0, 0, side, side));
        painter.end();
        icon.addPixmap(pixmap);
    }
    return icon;
}

QPixmap splashPicture(const QSize& size)
{
    QPixmap pixmap(size);
    QPainter painter(&pixmap);
    painter.setRenderHint(QPainter::Antialiasing);
    QLinearGradient background(0, 0, 0, size.height());
    background.setColorAt(0, QColor(0xF4, 0xF7, 0xFB));
    background.setColorAt(1, QColor(0xD5, 0xE1, 0xEC));
    painter.fillRect(pixmap.rect(), background);

    const int side = size.height() / 2;
    drawMark(painter, QRectF(28, (size.height() - side) / 2.0, side, side));

    const int textLeft = 28 + side + 24;
    QFont title = painter.font();
    title.setPointSize(26);
    title.setBold(true);
    painter.setFont(title);
    painter.setPen(Deep);
    painter.drawText(QRect(textLeft, size.height() / 2 - 56, size.width() - textLeft - 16, 48),
                     Qt::AlignLeft | Qt::AlignBottom, localisation::BrandProgramName());
    QFont line = painter.font();
    line.setPointSize(10);
    line.setBold(false);
    painter.setFont(line);
    painter.setPen(QColor(0x34, 0x48, 0x5C));
    painter.drawText(QRect(textLeft, size.height() / 2, size.width() - textLeft - 16, 60), Qt::AlignLeft | Qt::AlignTop,
                     QStringLiteral("Version %1.%2\n%3")
                         .arg(platform::version::Major)
                         .arg(platform::version::Minor)
                         .arg(localisation::BrandCompanyName()));
    painter.end();
    return pixmap;
}

} // namespace main_window
