#pragma once

#include <QColor>
#include <QWidget>

// A panel filled with a vertical gradient, its bottom corners rounded: the backdrop of a
// window's content.
class TGradientPanel final : public QWidget {
    Q_OBJECT
public:
    explicit TGradientPanel(QWidget* parent = nullptr);

    void SetColors(const QColor& top, const QColor& bottom);
    void SetCornerRadius(int radius);
    int CornerRadius() const { return m_radius; }

protected:
    void paintEvent(QPaintEvent* event) override;

private:
    QColor m_top;
    QColor m_bottom;
    int m_radius = 14;
};
