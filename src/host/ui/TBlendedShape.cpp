#include "TBlendedShape.h"

#include <QPaintEvent>
#include <QPainter>
#include <QPainterPath>

TBlendedShape::TBlendedShape(QWidget* parent) : QWidget(parent) {
    // Mouse presses go to the window below: a shape is only decoration.
    setAttribute(Qt::WA_TransparentForMouseEvents);
}

void TBlendedShape::setFillColor(const QColor& c) {
    m_fill = c;
    update();
}

void TBlendedShape::setRadius(int r) {
    m_radius = qMax(0, r);
    update();
}

void TBlendedShape::paintEvent(QPaintEvent* /*event*/) {
    QPainter p(this);
    p.setRenderHint(QPainter::Antialiasing);
    QPainterPath path;
    path.addRoundedRect(QRectF(rect()), m_radius, m_radius);
    p.fillPath(path, m_fill);
}
