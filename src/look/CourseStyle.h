#pragma once

#include <QProxyStyle>

// The program's style: soft gradient faces with rounded corners, and a warm glow round a
// button or tab under the pointer. Built over Fusion, so every control it does not draw itself
// still looks at home.
class TCourseStyle final : public QProxyStyle {
    Q_OBJECT
public:
    TCourseStyle();

    void polish(QWidget* widget) override;
    void unpolish(QWidget* widget) override;
    using QProxyStyle::polish;
    using QProxyStyle::unpolish;

    void drawPrimitive(PrimitiveElement element, const QStyleOption* option, QPainter* painter,
                       const QWidget* widget = nullptr) const override;
    void drawControl(ControlElement element, const QStyleOption* option, QPainter* painter,
                     const QWidget* widget = nullptr) const override;
    int pixelMetric(PixelMetric metric, const QStyleOption* option = nullptr,
                    const QWidget* widget = nullptr) const override;
    // Message boxes and the file dialog take our drawings, which stay sharp at any scale; Qt's
    // own are bitmaps, blurred when the screen is scaled.
    QIcon standardIcon(StandardPixmap icon, const QStyleOption* option = nullptr,
                       const QWidget* widget = nullptr) const override;
};

// The program's vector drawing for a standard icon, as a resource path; empty when it has none.
QString StandardIconFile(QStyle::StandardPixmap icon);

class QPainter;
class QRectF;

// Paints a glowing button face into rect: used by the style and by controls that draw their
// own faces (the catalogue's tabs), so the two never drift apart.
void PaintButtonFace(QPainter& painter, const QRectF& rect, qreal radius, bool hot, bool down, bool enabled,
                     bool checked = false);

// Paints the keyboard focus mark inside a button face that fills rect.
void PaintFocusRing(QPainter& painter, const QRectF& rect);
