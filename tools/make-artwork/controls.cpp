// The small picture buttons: minimise / close on the title area and the orange round buttons of the text views.
#include "controls.h"

#include <QLinearGradient>
#include <QPainter>
#include <QPainterPath>
#include <QRadialGradient>

namespace artwork {

void paintWindowButton(QImage& target, WindowButton kind)
{
    const QSizeF size = target.deviceIndependentSize();
    QPainter p(&target);
    p.setRenderHint(QPainter::Antialiasing);
    const QRectF face(0.5, 0.5, size.width() - 1.0, size.height() - 1.0);
    QColor top;
    QColor bottom;
    QColor edge;
    if (kind == WindowButton::Minimize) {
        top = QColor(0xb4, 0xb0, 0xbc);
        bottom = QColor(0x86, 0x82, 0x90);
        edge = QColor(0x6a, 0x66, 0x74);
    } else {
        top = QColor(0xf4, 0x6a, 0x6e);
        bottom = QColor(0xcf, 0x2e, 0x3a);
        edge = QColor(0xa4, 0x1e, 0x2a);
    }
    QLinearGradient fill(0, 0, 0, size.height());
    fill.setColorAt(0, top);
    fill.setColorAt(1, bottom);
    p.setPen(QPen(edge, 1));
    p.setBrush(fill);
    p.drawRoundedRect(face, 4.5, 4.5);

    // soft shine over the upper half
    QPainterPath shine;
    shine.addRoundedRect(QRectF(2, 1.6, size.width() - 4.0, size.height() / 2.0 - 1.5), 3, 3);
    p.setPen(Qt::NoPen);
    p.setBrush(QColor(255, 255, 255, 60));
    p.drawPath(shine);

    p.setPen(QPen(Qt::white, 2.1, Qt::SolidLine, Qt::RoundCap));
    const QPointF mid(size.width() / 2.0, size.height() / 2.0);
    if (kind == WindowButton::Minimize) {
        p.drawLine(QPointF(mid.x() - 4, mid.y() + 3), QPointF(mid.x() + 4, mid.y() + 3));
    } else {
        p.drawLine(mid + QPointF(-3.6, -3.6), mid + QPointF(3.6, 3.6));
        p.drawLine(mid + QPointF(-3.6, 3.6), mid + QPointF(3.6, -3.6));
    }
}

void paintRoundButton(QImage& target, RoundButton kind)
{
    const QSizeF size = target.deviceIndependentSize();
    QPainter p(&target);
    p.setRenderHint(QPainter::Antialiasing);
    const QPointF c(size.width() / 2.0, size.height() / 2.0);
    const qreal radius = qMin(size.width(), size.height()) / 2.0 - 1.0;

    // faint drop shadow so the button lifts off the pale panel
    p.setPen(Qt::NoPen);
    p.setBrush(QColor(0xc0, 0x60, 0x10, 40));
    p.drawEllipse(c + QPointF(0, 0.6), radius + 0.4, radius + 0.4);

    QRadialGradient fill(c + QPointF(-3, -4), radius * 1.6);
    fill.setColorAt(0, QColor(0xff, 0xc6, 0x6b));
    fill.setColorAt(0.55, QColor(0xfb, 0x93, 0x24));
    fill.setColorAt(1, QColor(0xe5, 0x6a, 0x0c));
    p.setPen(QPen(QColor(0xc8, 0x58, 0x08), 1));
    p.setBrush(fill);
    p.drawEllipse(c, radius, radius);

    QLinearGradient gloss(0, c.y() - radius, 0, c.y());
    gloss.setColorAt(0, QColor(255, 255, 255, 120));
    gloss.setColorAt(1, QColor(255, 255, 255, 0));
    p.setPen(Qt::NoPen);
    p.setBrush(gloss);
    p.drawEllipse(QRectF(c.x() - radius * 0.72, c.y() - radius * 0.92, radius * 1.44, radius * 0.95));

    QPainterPath mark;
    switch (kind) {
    case RoundButton::Previous:
    case RoundButton::Next: {
        const qreal dir = kind == RoundButton::Previous ? -1.0 : 1.0;
        for (qreal shift : {-2.6, 2.6}) {
            const qreal x = c.x() + shift;
            mark.moveTo(x - 2.2 * dir, c.y() - 4.6);
            mark.lineTo(x + 2.2 * dir, c.y());
            mark.lineTo(x - 2.2 * dir, c.y() + 4.6);
        }
        break;
    }
    case RoundButton::New:
        mark.moveTo(c.x() - 5.5, c.y());
        mark.lineTo(c.x() + 5.5, c.y());
        mark.moveTo(c.x(), c.y() - 5.5);
        mark.lineTo(c.x(), c.y() + 5.5);
        break;
    case RoundButton::Ok:
        mark.moveTo(c.x() - 5.4, c.y() + 0.2);
        mark.lineTo(c.x() - 1.6, c.y() + 4.2);
        mark.lineTo(c.x() + 5.6, c.y() - 4.4);
        break;
    }
    // a thin darker rim keeps the white mark crisp on the bright orange
    p.setBrush(Qt::NoBrush);
    p.setPen(QPen(QColor(0xc0, 0x50, 0x00, 110), 3.6, Qt::SolidLine, Qt::RoundCap, Qt::RoundJoin));
    p.drawPath(mark.translated(0, 0.5));
    p.setPen(QPen(Qt::white, 2.4, Qt::SolidLine, Qt::RoundCap, Qt::RoundJoin));
    p.drawPath(mark);
}

} // namespace artwork
