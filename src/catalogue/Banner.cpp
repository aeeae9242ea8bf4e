#include "catalogue/Banner.h"

#include <QPainter>
#include <QSvgRenderer>

TBanner::TBanner(QWidget* parent) : QWidget(parent) {
}

QPixmap TBanner::Picture(qreal devicePixelRatio) const {
    const QSize pixels = (QSizeF(size()) * devicePixelRatio).toSize();
    if (m_cache.size() == pixels && qFuzzyCompare(m_cache.devicePixelRatio(), devicePixelRatio))
        return m_cache;
    QPixmap pixmap(pixels);
    pixmap.setDevicePixelRatio(devicePixelRatio);
    pixmap.fill(Qt::transparent);
    QSvgRenderer renderer(QStringLiteral(":/images/banner.svg"));
    if (renderer.isValid()) {
        QPainter painter(&pixmap);
        renderer.render(&painter, QRectF(QPointF(0, 0), QSizeF(size())));
    }
    m_cache = pixmap;
    return m_cache;
}

void TBanner::paintEvent(QPaintEvent*) {
    QPainter painter(this);
    painter.drawPixmap(0, 0, Picture(devicePixelRatioF()));
}
