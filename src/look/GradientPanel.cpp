#include "look/GradientPanel.h"

#include "look/Theme.h"

#include <QLinearGradient>
#include <QPainter>
#include <QPainterPath>

TGradientPanel::TGradientPanel(QWidget* parent) : QWidget(parent), m_top(Theme::Sky), m_bottom(Theme::Deep) {
}

void TGradientPanel::SetColors(const QColor& top, const QColor& bottom) {
    m_top = top;
    m_bottom = bottom;
    update();
}

void TGradientPanel::SetCornerRadius(int radius) {
    m_radius = qMax(0, radius);
    update();
}

void TGradientPanel::paintEvent(QPaintEvent*) {
    QPainter painter(this);
    painter.setRenderHint(QPainter::Antialiasing, true);
    const QRectF r = rect();
    const qreal radius = qMin<qreal>(m_radius, qMin(r.width(), r.height()) / 2);
    // Square top, rounded bottom: the panel hangs from the top of the window.
    QPainterPath path;
    path.moveTo(r.topLeft());
    path.lineTo(r.topRight());
    path.lineTo(r.right(), r.bottom() - radius);
    path.quadTo(r.bottomRight(), QPointF(r.right() - radius, r.bottom()));
    path.lineTo(r.left() + radius, r.bottom());
    path.quadTo(r.bottomLeft(), QPointF(r.left(), r.bottom() - radius));
    path.closeSubpath();
    QLinearGradient gradient(r.topLeft(), r.bottomLeft());
    gradient.setColorAt(0, m_top);
    gradient.setColorAt(1, m_bottom);
    painter.fillPath(path, gradient);
}
