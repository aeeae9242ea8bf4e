// Draws the eight built-in 16x16 glyph bitmaps of the markup tree view into a folder:
//   TVCHK01/02 and TVRAD01/02  check and radio, on and off, in the 16-colour palette
//   TVCHK03/04 and TVRAD03/04  the same in a smooth look with a 256-colour palette
// Everything outside the glyph is transparent, so the glyphs sit on any background.
//
// The pictures are checked in under src/resources/glyphs. To redraw them:
//   cmake --build --preset release --target glyphgen
//   QT_QPA_PLATFORM=offscreen build/release/bin/glyphgen src/resources/glyphs

#include <QDir>
#include <QGuiApplication>
#include <QImage>
#include <QLinearGradient>
#include <QPainter>
#include <QRadialGradient>
#include <cstdio>

namespace {

QImage Blank() {
    QImage image(16, 16, QImage::Format_ARGB32);
    image.fill(Qt::transparent);
    return image;
}

// The classic tick, seven columns of three pixels.
void Tick(QPainter& p, int x, int y, const QColor& color) {
    static const int top[7] = {2, 3, 4, 3, 2, 1, 0};
    for (int c = 0; c < 7; ++c)
        p.fillRect(x + c, y + top[c], 1, 3, color);
}

// 16 colours: a flat square in navy with a white face, a black tick when on.
QImage Check16(bool on) {
    QImage image = Blank();
    QPainter p(&image);
    p.fillRect(1, 1, 13, 13, QColor(0x00, 0x00, 0x80));
    p.fillRect(2, 2, 11, 11, Qt::white);
    p.fillRect(2, 2, 11, 1, QColor(0xC0, 0xC0, 0xC0));
    p.fillRect(2, 2, 1, 11, QColor(0xC0, 0xC0, 0xC0));
    if (on)
        Tick(p, 4, 4, Qt::black);
    return image;
}

QImage Radio16(bool on) {
    QImage image = Blank();
    // A 12-pixel disc: a pixel belongs to it when its centre lies within the radius; the ring is
    // the disc's pixels with a neighbour outside it.
    const auto inside = [](int x, int y) {
        const double dx = x + 0.5 - 8.0;
        const double dy = y + 0.5 - 8.0;
        return dx * dx + dy * dy <= 6.0 * 6.0;
    };
    for (int y = 0; y < 16; ++y)
        for (int x = 0; x < 16; ++x) {
            if (!inside(x, y))
                continue;
            const bool ring =
                !inside(x - 1, y) || !inside(x + 1, y) || !inside(x, y - 1) || !inside(x, y + 1);
            image.setPixelColor(x, y, ring ? QColor(0x00, 0x00, 0x80) : QColor(Qt::white));
        }
    if (on) {
        QPainter p(&image);
        p.fillRect(6, 6, 4, 4, Qt::black);
        p.fillRect(7, 5, 2, 6, Qt::black);
        p.fillRect(5, 7, 6, 2, Qt::black);
    }
    return image;
}

// Smooth look: a blue frame, a face shaded from grey to white, a green tick.
QImage CheckSmooth(bool on) {
    QImage image = Blank();
    QPainter p(&image);
    p.fillRect(1, 1, 13, 13, QColor(0x1C, 0x51, 0x80));
    QLinearGradient face(2, 2, 12, 12);
    face.setColorAt(0, QColor(0xDC, 0xDC, 0xD7));
    face.setColorAt(1, Qt::white);
    p.fillRect(2, 2, 11, 11, face);
    if (on) {
        p.setRenderHint(QPainter::Antialiasing);
        QPen pen(QColor(0x21, 0xA1, 0x21), 2.2, Qt::SolidLine, Qt::RoundCap, Qt::RoundJoin);
        p.setPen(pen);
        const QPointF tick[3] = {{4.5, 7.5}, {6.8, 10.0}, {10.8, 4.8}};
        p.drawPolyline(tick, 3);
    }
    return image;
}

QImage RadioSmooth(bool on) {
    QImage image = Blank();
    QPainter p(&image);
    p.setRenderHint(QPainter::Antialiasing);
    QLinearGradient face(2, 2, 13, 13);
    face.setColorAt(0, QColor(0xDC, 0xDC, 0xD7));
    face.setColorAt(1, Qt::white);
    p.setPen(QPen(QColor(0x1C, 0x51, 0x80), 1.0));
    p.setBrush(face);
    p.drawEllipse(QRectF(1.5, 1.5, 12, 12));
    if (on) {
        QRadialGradient dot(QPointF(6.8, 6.8), 3.5);
        dot.setColorAt(0, QColor(0x7E, 0xE0, 0x7E));
        dot.setColorAt(1, QColor(0x21, 0xA1, 0x21));
        p.setPen(Qt::NoPen);
        p.setBrush(dot);
        p.drawEllipse(QRectF(4.5, 4.5, 6, 6));
    }
    return image;
}

bool Save(const QImage& image, const QString& folder, const char* name) {
    return image.save(folder + QLatin1Char('/') + QLatin1String(name) + QStringLiteral(".png"));
}

} // namespace

int main(int argc, char** argv) {
    QGuiApplication app(argc, argv);
    const QString folder = argc > 1 ? QString::fromLocal8Bit(argv[1]) : QStringLiteral(".");
    QDir().mkpath(folder);
    const bool ok = Save(Check16(true), folder, "TVCHK01") && Save(Check16(false), folder, "TVCHK02") &&
                    Save(CheckSmooth(true), folder, "TVCHK03") &&
                    Save(CheckSmooth(false), folder, "TVCHK04") && Save(Radio16(true), folder, "TVRAD01") &&
                    Save(Radio16(false), folder, "TVRAD02") && Save(RadioSmooth(true), folder, "TVRAD03") &&
                    Save(RadioSmooth(false), folder, "TVRAD04");
    if (!ok)
        std::fprintf(stderr, "glyphgen: could not write the pictures\n");
    return ok ? 0 : 1;
}
