#include "ui/TickImages.h"

#include <QPainter>
#include <QPixmap>

QIcon TickImage(Tick tick)
{
    QPixmap pixmap(16, 16);
    pixmap.fill(Qt::transparent);
    QPainter painter(&pixmap);
    painter.setRenderHint(QPainter::Antialiasing);
    painter.setPen(QPen(QColor(96, 96, 96), 1));
    painter.setBrush(Qt::white);
    painter.drawRect(QRectF(1.5, 1.5, 12, 12));
    if (tick == Tick::Ticked) {
        painter.setPen(QPen(QColor(0, 128, 0), 2.2, Qt::SolidLine, Qt::RoundCap, Qt::RoundJoin));
        painter.drawPolyline(QPolygonF({QPointF(4, 8), QPointF(6.5, 11), QPointF(12, 4)}));
    } else if (tick == Tick::Partly) {
        painter.setPen(Qt::NoPen);
        painter.setBrush(QColor(0, 128, 0, 150));
        painter.drawRect(QRectF(4.5, 4.5, 6, 6));
    }
    return QIcon(pixmap);
}
