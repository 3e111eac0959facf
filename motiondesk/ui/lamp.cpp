#include "motiondesk/ui/lamp.h"

#include "motiondesk/ui/colours.h"

#include <QPainter>
#include <QRadialGradient>

namespace ui {

Lamp::Lamp(QWidget* parent, QColor litColor) : QWidget(parent), litColor_(litColor) {
    setSizePolicy(QSizePolicy::Fixed, QSizePolicy::Fixed);
}

void Lamp::setLit(bool lit) {
    if (lit == lit_) return;
    lit_ = lit;
    update();
}

void Lamp::setLitColor(const QColor& color) {
    litColor_ = color;
    update();
}

void Lamp::paintEvent(QPaintEvent*) {
    QPainter painter(this);
    painter.setRenderHint(QPainter::Antialiasing);
    const qreal side = qMin(width(), height()) - 2;
    const QRectF bulb((width() - side) / 2.0, (height() - side) / 2.0, side, side);

    // A lit lamp is a bright gradient with a white hot spot; a dark one is a flat grey disc with
    // a darker rim, so lit and dark differ in brightness, colour and shape of the fill.
    if (lit_) {
        QRadialGradient glow(bulb.center() - QPointF(side / 6, side / 6), side / 1.6);
        glow.setColorAt(0.0, Qt::white);
        glow.setColorAt(0.35, litColor_.lighter(130));
        glow.setColorAt(1.0, litColor_.darker(120));
        painter.setBrush(glow);
        painter.setPen(QPen(litColor_.darker(170), 1));
    } else {
        painter.setBrush(darkLampFill(palette()));
        painter.setPen(QPen(darkLampRim(palette()), 1));
    }
    painter.drawEllipse(bulb);
}

} // namespace ui
