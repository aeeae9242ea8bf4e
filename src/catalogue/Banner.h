#pragma once

#include <QImage>
#include <QPixmap>
#include <QWidget>
#include <future>

// The catalogue's banner picture. Drawn from its vector source at the screen's own pixel density,
// and kept until its size or density changes: sharp on a high-DPI screen. Its lettering makes the
// drawing a good part of the catalogue's first paint, so DrawAhead starts it on another thread
// while the rest of the catalogue is made; no time is spent on it before the window shows.
class TBanner final : public QWidget {
public:
    explicit TBanner(QWidget* parent);
    ~TBanner() override;

    // Starts drawing the picture at the banner's size for the primary screen's density.
    void DrawAhead();
    // The picture as it is painted at the given device pixel ratio.
    QPixmap Picture(qreal devicePixelRatio) const;

protected:
    void paintEvent(QPaintEvent* event) override;

private:
    mutable std::future<QImage> m_ahead;
    mutable QPixmap m_cache;
};
