#include "catalogue/Banner.h"

#include <QGuiApplication>
#include <QPainter>
#include <QScreen>
#include <QSvgRenderer>

namespace {

// On a QImage, which other threads may paint (a QPixmap belongs to the GUI thread).
QImage DrawBanner(QSize size, qreal devicePixelRatio) {
    QImage image((QSizeF(size) * devicePixelRatio).toSize(), QImage::Format_ARGB32_Premultiplied);
    image.setDevicePixelRatio(devicePixelRatio);
    image.fill(Qt::transparent);
    QSvgRenderer renderer(QStringLiteral(":/images/banner.svg"));
    if (renderer.isValid()) {
        QPainter painter(&image);
        renderer.render(&painter, QRectF(QPointF(0, 0), QSizeF(size)));
    }
    return image;
}

} // namespace

TBanner::TBanner(QWidget* parent) : QWidget(parent) {
}

TBanner::~TBanner() {
    if (m_ahead.valid())
        m_ahead.wait();
}

void TBanner::DrawAhead() {
    const QScreen* screen = QGuiApplication::primaryScreen();
    if (m_ahead.valid() || !screen)
        return;
    m_ahead = std::async(std::launch::async, DrawBanner, size(), screen->devicePixelRatio());
}

QPixmap TBanner::Picture(qreal devicePixelRatio) const {
    const QSize pixels = (QSizeF(size()) * devicePixelRatio).toSize();
    if (m_cache.size() == pixels && qFuzzyCompare(m_cache.devicePixelRatio(), devicePixelRatio))
        return m_cache;
    QImage image;
    if (m_ahead.valid())
        image = m_ahead.get();
    // Drawn ahead for another size or screen: drawn again.
    if (image.size() != pixels || !qFuzzyCompare(image.devicePixelRatio(), devicePixelRatio))
        image = DrawBanner(size(), devicePixelRatio);
    m_cache = QPixmap::fromImage(std::move(image));
    return m_cache;
}

void TBanner::paintEvent(QPaintEvent*) {
    QPainter painter(this);
    painter.drawPixmap(0, 0, Picture(devicePixelRatioF()));
}
