#pragma once

#include <QColor>
#include <QWidget>

// A rectangular frame drawn with a pen of the given width, inside the widget's bounds; the
// inside stays transparent so it can stand round another control.
class TFrameShape final : public QWidget {
    Q_OBJECT
public:
    explicit TFrameShape(QWidget* parent = nullptr);

    void SetPen(const QColor& color, int width);
    int PenWidth() const { return m_width; }
    QColor PenColor() const { return m_color; }

protected:
    void paintEvent(QPaintEvent* event) override;

private:
    QColor m_color;
    int m_width = 1;
};
