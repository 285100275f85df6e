#include "frame/FrameIcons.h"

#include <QPainter>
#include <QPainterPath>
#include <QPixmap>

#include <functional>

namespace {

constexpr int kSize = 32;

const QColor kInk(0x33, 0x44, 0x55);
const QColor kBlue(0x3a, 0x7b, 0xc8);
const QColor kPaper(0xfb, 0xfb, 0xf6);
const QColor kGreen(0x3c, 0x9a, 0x52);
const QColor kRed(0xc8, 0x45, 0x3a);
const QColor kWood(0xb0, 0x7a, 0x45);

QPen pen(const QColor &color, qreal width = 1.6)
{
    return QPen(color, width, Qt::SolidLine, Qt::RoundCap, Qt::RoundJoin);
}

void card(QPainter &p, const QRectF &r)
{
    p.setPen(pen(kInk));
    p.setBrush(QColor(0xdd, 0xea, 0xf7));
    p.drawRoundedRect(r, 3, 3);
    p.setPen(Qt::NoPen);
    p.setBrush(kInk);
    p.drawRect(QRectF(r.left() + 1, r.top() + r.height() * 0.25, r.width() - 2, r.height() * 0.18));
}

void person(QPainter &p, const QPointF &at, qreal scale, const QColor &color)
{
    p.setPen(pen(kInk, 1.2));
    p.setBrush(color);
    p.drawEllipse(QPointF(at.x(), at.y() - 6 * scale), 4.5 * scale, 4.5 * scale);
    QPainterPath body;
    body.moveTo(at.x() - 8 * scale, at.y() + 9 * scale);
    body.quadTo(at.x() - 8 * scale, at.y() - 1 * scale, at.x(), at.y() - 1 * scale);
    body.quadTo(at.x() + 8 * scale, at.y() - 1 * scale, at.x() + 8 * scale, at.y() + 9 * scale);
    body.closeSubpath();
    p.drawPath(body);
}

void door(QPainter &p, const QRectF &r)
{
    p.setPen(pen(kInk));
    p.setBrush(kWood);
    p.drawRect(r);
    p.setBrush(kPaper);
    p.drawEllipse(QPointF(r.right() - r.width() * 0.22, r.center().y()), 1.6, 1.6);
}

void draw(const QString &key, QPainter &p)
{
    if (key == QLatin1String("Table")) {
        p.setPen(pen(kInk));
        p.setBrush(kPaper);
        p.drawRect(QRectF(4, 6, 24, 20));
        p.setBrush(kBlue);
        p.drawRect(QRectF(4, 6, 24, 5));
        for (qreal y : {16.0, 21.0})
            p.drawLine(QPointF(4, y), QPointF(28, y));
        p.drawLine(QPointF(13, 11), QPointF(13, 26));
    } else if (key == QLatin1String("MagCard")) {
        card(p, QRectF(3, 8, 26, 17));
    } else if (key == QLatin1String("Report")) {
        p.setPen(pen(kInk));
        p.setBrush(kPaper);
        p.drawRect(QRectF(7, 3, 18, 26));
        p.setPen(pen(kBlue, 1.4));
        for (qreal y : {9.0, 13.0, 17.0, 21.0})
            p.drawLine(QPointF(10, y), QPointF(y < 20 ? 22 : 17, y));
    } else if (key == QLatin1String("Nav")) {
        p.setPen(pen(kInk));
        p.setBrush(kPaper);
        p.drawRect(QRectF(3, 5, 26, 22));
        p.setBrush(kBlue);
        p.drawRect(QRectF(3, 5, 9, 22));
        p.setPen(pen(kPaper, 1.4));
        for (qreal y : {10.0, 15.0, 20.0})
            p.drawLine(QPointF(5.5, y), QPointF(9.5, y));
    } else if (key == QLatin1String("Users")) {
        person(p, QPointF(20, 15), 0.9, QColor(0xc9, 0xd8, 0xe8));
        person(p, QPointF(12, 17), 1.0, kBlue);
    } else if (key == QLatin1String("Doors")) {
        door(p, QRectF(9, 4, 14, 24));
    } else if (key == QLatin1String("DoorAreas")) {
        door(p, QRectF(14, 4, 12, 21));
        door(p, QRectF(6, 8, 12, 21));
    } else if (key == QLatin1String("Events")) {
        p.setPen(pen(kInk));
        p.setBrush(kPaper);
        p.drawEllipse(QPointF(16, 16), 12, 12);
        p.setPen(pen(kRed, 2));
        p.drawLine(QPointF(16, 16), QPointF(16, 8));
        p.drawLine(QPointF(16, 16), QPointF(22, 19));
    } else if (key == QLatin1String("Operators")) {
        person(p, QPointF(14, 15), 1.0, kGreen);
        p.setPen(pen(kInk, 1.2));
        p.setBrush(QColor(0xf2, 0xc1, 0x4e));
        p.drawEllipse(QPointF(24, 22), 4, 4);
    } else if (key == QLatin1String("Verify")) {
        card(p, QRectF(2, 6, 22, 15));
        p.setPen(pen(kGreen, 3));
        p.drawPolyline(QPolygonF({QPointF(15, 22), QPointF(20, 27), QPointF(29, 14)}));
    } else if (key == QLatin1String("Handheld")) {
        p.setPen(pen(kInk));
        p.setBrush(QColor(0x5a, 0x64, 0x70));
        p.drawRoundedRect(QRectF(9, 2, 14, 28), 3, 3);
        p.setBrush(QColor(0x9c, 0xd6, 0xa4));
        p.drawRect(QRectF(11.5, 5, 9, 8));
        p.setPen(Qt::NoPen);
        p.setBrush(kPaper);
        for (int row = 0; row < 3; ++row) {
            for (int col = 0; col < 2; ++col)
                p.drawRect(QRectF(12 + col * 5, 16 + row * 4, 3, 2));
        }
    } else if (key == QLatin1String("Exit")) {
        door(p, QRectF(5, 4, 13, 24));
        p.setPen(pen(kRed, 2.4));
        p.drawLine(QPointF(16, 16), QPointF(29, 16));
        p.drawPolyline(QPolygonF({QPointF(24, 11), QPointF(29, 16), QPointF(24, 21)}));
    }
}

} // namespace

QIcon FrameIcon(const QString &key)
{
    static const QStringList known = {
        QStringLiteral("Table"),     QStringLiteral("MagCard"), QStringLiteral("Report"),    QStringLiteral("Nav"),
        QStringLiteral("Users"),     QStringLiteral("Doors"),   QStringLiteral("DoorAreas"), QStringLiteral("Events"),
        QStringLiteral("Operators"), QStringLiteral("Verify"),  QStringLiteral("Handheld"),  QStringLiteral("Exit")};
    if (!known.contains(key))
        return {};
    QIcon icon;
    for (int scale : {1, 2}) {
        QPixmap pixmap(kSize * scale, kSize * scale);
        pixmap.setDevicePixelRatio(scale);
        pixmap.fill(Qt::transparent);
        QPainter painter(&pixmap);
        painter.setRenderHint(QPainter::Antialiasing);
        draw(key, painter);
        painter.end();
        icon.addPixmap(pixmap);
    }
    return icon;
}
