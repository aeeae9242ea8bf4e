#include "look/CommandImages.h"

#include "look/Theme.h"

#include <QIconEngine>
#include <QImage>
#include <QPainter>
#include <QSvgRenderer>

#include <cmath>

namespace {

// Drawing of each command, in index order.
const char* const kFiles[TCommandImages::Count] = {
    "remove_favor", "up",         "down",          "forward",     "run",
    "add_favor",    "close",      "back",          "clear_favor", "load_favor",
    "print",        "show_favor", "print_preview", "save_favor",  "show_all_theory",
};

QImage Render(const QString& file, int pixels) {
    QImage image(pixels, pixels, QImage::Format_ARGB32_Premultiplied);
    image.fill(Qt::transparent);
    QSvgRenderer renderer(file);
    if (renderer.isValid()) {
        QPainter painter(&image);
        renderer.render(&painter, QRectF(0, 0, pixels, pixels));
    }
    return image;
}

// Under the pointer the drawing sits in a warm halo and is a touch brighter. The halo's reach
// is two pixels of the small drawing, so it grows with the scale.
QImage HotLook(const QImage& normal, int scale) {
    QImage glow(normal.size(), QImage::Format_ARGB32_Premultiplied);
    glow.fill(Qt::transparent);
    {
        QImage mask = normal;
        QPainter tint(&mask);
        tint.setCompositionMode(QPainter::CompositionMode_SourceIn);
        tint.fillRect(mask.rect(), Theme::Glow);
        tint.end();
        QPainter painter(&glow);
        // As many layers at each scale, so the halo is as strong.
        const int reach = 2 * scale;
        int layers = 0;
        for (int dx = -reach; dx <= reach; ++dx)
            for (int dy = -reach; dy <= reach; ++dy)
                layers += dx * dx + dy * dy <= 5 * scale * scale;
        painter.setOpacity(1.0 - std::pow(1.0 - 0.22, 21.0 / layers));
        for (int dx = -reach; dx <= reach; ++dx)
            for (int dy = -reach; dy <= reach; ++dy)
                if (dx * dx + dy * dy <= 5 * scale * scale)
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

QPixmap AtScale(const QImage& image, int scale) {
    QPixmap pixmap = QPixmap::fromImage(image);
    pixmap.setDevicePixelRatio(scale);
    return pixmap;
}

} // namespace

TCommandImages::TCommandImages() = default;

const TCommandImages::TLooks& TCommandImages::Drawn(std::size_t s, int index) const {
    TLooks& looks = m_looks[s];
    if (!m_drawn[s].test(size_t(index))) {
        const int scale = Scales[s];
        const QImage normal = Render(FileName(index), Size * scale);
        looks.Normal[size_t(index)] = AtScale(normal, scale);
        looks.Hot[size_t(index)] = AtScale(HotLook(normal, scale), scale);
        looks.Disabled[size_t(index)] = AtScale(DisabledLook(normal), scale);
        m_drawn[s].set(size_t(index));
    }
    return looks;
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
    for (std::size_t s = 0; s < Scales.size(); ++s) {
        const TLooks& looks = Drawn(s, index);
        icon.addPixmap(looks.Normal[size_t(index)], QIcon::Normal);
        icon.addPixmap(looks.Hot[size_t(index)], QIcon::Active);
        icon.addPixmap(looks.Disabled[size_t(index)], QIcon::Disabled);
    }
    return icon;
}

namespace {

QIcon DrawExtraIcon(const QString& file) {
    QIcon icon;
    for (const int scale : TCommandImages::Scales) {
        const QImage normal = Render(file, TCommandImages::Size * scale);
        icon.addPixmap(AtScale(normal, scale), QIcon::Normal);
        icon.addPixmap(AtScale(HotLook(normal, scale), scale), QIcon::Active);
        icon.addPixmap(AtScale(DisabledLook(normal), scale), QIcon::Disabled);
    }
    return icon;
}

// An icon whose looks are drawn when it is first painted or asked for its pixels. A window
// gets its commands' icons when it is made, at start-up, and the drawing (the halo of the hot
// look above all) is most of the cost of making the catalogue window, which is not on the
// screen yet.
class TDrawnWhenAsked final : public QIconEngine {
public:
    explicit TDrawnWhenAsked(const QString& file) : m_file(file) {}

    void paint(QPainter* painter, const QRect& rect, QIcon::Mode mode, QIcon::State state) override {
        Drawn().paint(painter, rect, Qt::AlignCenter, mode, state);
    }
    QPixmap pixmap(const QSize& size, QIcon::Mode mode, QIcon::State state) override {
        return Drawn().pixmap(size, mode, state);
    }
    QPixmap scaledPixmap(const QSize& size, QIcon::Mode mode, QIcon::State state, qreal scale) override {
        return Drawn().pixmap(size, scale, mode, state);
    }
    QSize actualSize(const QSize& size, QIcon::Mode mode, QIcon::State state) override {
        return Drawn().actualSize(size, mode, state);
    }
    QList<QSize> availableSizes(QIcon::Mode mode, QIcon::State state) override {
        return Drawn().availableSizes(mode, state);
    }
    bool isNull() override { return false; }
    QString key() const override { return QStringLiteral("TDrawnWhenAsked"); }
    QIconEngine* clone() const override {
        auto* copy = new TDrawnWhenAsked(m_file);
        copy->m_icon = m_icon;
        return copy;
    }

private:
    const QIcon& Drawn() {
        if (m_icon.isNull())
            m_icon = DrawExtraIcon(m_file);
        return m_icon;
    }

    QString m_file;
    QIcon m_icon;
};

} // namespace

QIcon TCommandImages::ExtraIcon(const QString& file) {
    return QIcon(new TDrawnWhenAsked(file));
}

QPixmap TCommandImages::Pick(std::array<QPixmap, Count> TLooks::*look, int index, int scale) const {
    if (index < 0 || index >= Count)
        return {};
    for (std::size_t s = 0; s < Scales.size(); ++s)
        if (Scales[s] == scale)
            return (Drawn(s, index).*look)[size_t(index)];
    return {};
}

QPixmap TCommandImages::Normal(int index, int scale) const {
    return Pick(&TLooks::Normal, index, scale);
}

QPixmap TCommandImages::Hot(int index, int scale) const {
    return Pick(&TLooks::Hot, index, scale);
}

QPixmap TCommandImages::Disabled(int index, int scale) const {
    return Pick(&TLooks::Disabled, index, scale);
}

QString TCommandImages::ApplicationIconFile() {
    return QStringLiteral(":/icons/courseplayer.svg");
}

QIcon TCommandImages::ApplicationIcon() {
    // Drawn from the drawing at each size rather than scaled from one picture, so the small
    // sizes of a task bar or a title bar stay crisp.
    QIcon icon;
    for (const int pixels : {16, 24, 32, 48, 64, 128})
        icon.addPixmap(QPixmap::fromImage(Render(ApplicationIconFile(), pixels)));
    return icon;
}
