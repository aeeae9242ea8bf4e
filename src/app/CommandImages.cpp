#include "app/CommandImages.h"

#include "app/Theme.h"

#include <QImage>
#include <QPainter>
#include <QSvgRenderer>

namespace {

// Drawing of each command, in index order.
const char* const kFiles[TCommandImages::Count] = {
    "remove_favor", "up",         "down",          "forward",     "run",
    "add_favor",    "close",      "back",          "clear_favor", "load_favor",
    "print",        "show_favor", "print_preview", "save_favor",  "show_all_theory",
};

QImage Render(int index) {
    QImage image(TCommandImages::Size, TCommandImages::Size, QImage::Format_ARGB32_Premultiplied);
    image.fill(Qt::transparent);
    QSvgRenderer renderer(TCommandImages::FileName(index));
    if (renderer.isValid()) {
        QPainter painter(&image);
        renderer.render(&painter, QRectF(0, 0, TCommandImages::Size, TCommandImages::Size));
    }
    return image;
}

// Under the pointer the drawing sits in a warm halo and is a touch brighter.
QImage HotLook(const QImage& normal) {
    QImage glow(normal.size(), QImage::Format_ARGB32_Premultiplied);
    glow.fill(Qt::transparent);
    {
        QImage mask = normal;
        QPainter tint(&mask);
        tint.setCompositionMode(QPainter::CompositionMode_SourceIn);
        tint.fillRect(mask.rect(), Theme::Glow);
        tint.end();
        QPainter painter(&glow);
        painter.setOpacity(0.22);
        for (int dx = -2; dx <= 2; ++dx)
            for (int dy = -2; dy <= 2; ++dy)
                if (dx * dx + dy * dy <= 5)
                    painter.drawImage(dx, dy, mask);
    }
    QPainter painter(&glow);
    painter.drawImage(0, 0, normal);
    painter.setCompositionMode(QPainter::CompositionMode_Screen);
    painter.setOpacity(0.18);
    QImage light = normal;
    {
        QPainter tint(&light);
        tint.setCompositionMode(QPainter::CompositionMode_SourceIn);
        tint.fillRect(light.rect(), Qt::white);
    }
    painter.drawImage(0, 0, light);
    return glow;
}

// Disabled: grey and faded, keeping the shape readable.
QImage DisabledLook(const QImage& normal) {
    QImage image = normal.convertToFormat(QImage::Format_ARGB32);
    for (int y = 0; y < image.height(); ++y) {
        auto* line = reinterpret_cast<QRgb*>(image.scanLine(y));
        for (int x = 0; x < image.width(); ++x) {
            const QRgb p = line[x];
            const int gray = qGray(p);
            const int light = 110 + gray * 120 / 255;
            line[x] = qRgba(light, light, qMin(255, light + 8), qAlpha(p) * 55 / 100);
        }
    }
    return image.convertToFormat(QImage::Format_ARGB32_Premultiplied);
}

} // namespace

TCommandImages::TCommandImages() {
    for (int i = 0; i < Count; ++i) {
        const QImage normal = Render(i);
        m_normal[size_t(i)] = QPixmap::fromImage(normal);
        m_hot[size_t(i)] = QPixmap::fromImage(HotLook(normal));
        m_disabled[size_t(i)] = QPixmap::fromImage(DisabledLook(normal));
    }
}

QString TCommandImages::FileName(int index) {
    if (index < 0 || index >= Count)
        return {};
    return QStringLiteral(":/icons/%1.svg").arg(QLatin1String(kFiles[index]));
}

QIcon TCommandImages::Icon(int index) const {
    if (index < 0 || index >= Count)
        return {};
    QIcon icon;
    icon.addPixmap(m_normal[size_t(index)], QIcon::Normal);
    icon.addPixmap(m_hot[size_t(index)], QIcon::Active);
    icon.addPixmap(m_disabled[size_t(index)], QIcon::Disabled);
    return icon;
}

QPixmap TCommandImages::Normal(int index) const {
    return index >= 0 && index < Count ? m_normal[size_t(index)] : QPixmap();
}

QPixmap TCommandImages::Hot(int index) const {
    return index >= 0 && index < Count ? m_hot[size_t(index)] : QPixmap();
}

QPixmap TCommandImages::Disabled(int index) const {
    return index >= 0 && index < Count ? m_disabled[size_t(index)] : QPixmap();
}
