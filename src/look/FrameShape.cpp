#include "look/FrameShape.h"

#include "look/Theme.h"

#include <QPainter>

TFrameShape::TFrameShape(QWidget* parent) : QWidget(parent), m_color(Theme::Deep) {
    setAttribute(Qt::WA_TransparentForMouseEvents, true);
}

void TFrameShape::SetPen(const QColor& color, int width) {
    m_color = color;
    m_width = qMax(1, width);
    update();
}

void TFrameShape::paintEvent(QPaintEvent*) {
    QPainter painter(this);
    painter.setRenderHint(QPainter::Antialiasing, true);
    const qreal half = m_width / 2.0;
    painter.setPen(QPen(m_color, m_width, Qt::SolidLine, Qt::SquareCap, Qt::MiterJoin));
    painter.setBrush(Qt::NoBrush);
    painter.drawRect(QRectF(rect()).adjusted(half, half, -half, -half));
}
