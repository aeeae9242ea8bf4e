#pragma once

#include <QPixmap>
#include <QWidget>

// The catalogue's banner picture. Drawn from its vector source when it is first painted, at the
// screen's own pixel density, and kept until its size or density changes: sharp on a high-DPI
// screen, and no time spent on it before the window shows.
class TBanner final : public QWidget {
public:
    explicit TBanner(QWidget* parent);

    // The picture as it is painted at the given device pixel ratio.
    QPixmap Picture(qreal devicePixelRatio) const;

protected:
    void paintEvent(QPaintEvent* event) override;

private:
    mutable QPixmap m_cache;
};
