#pragma once

#include <QList>
#include <QPixmap>
#include <QSize>

class QPainter;

// A list of same-sized pictures addressed by index (IDX:n pictures of the markup, state images
// of the tree controls).
class TImageList {
public:
    explicit TImageList(QSize size = QSize(16, 16)) : m_size(size) {}

    int Count() const { return int(m_images.size()); }
    int Width() const { return m_size.width(); }
    int Height() const { return m_size.height(); }
    QSize Size() const { return m_size; }

    void Add(const QPixmap& image) { m_images.append(image); }
    void Clear() { m_images.clear(); }
    const QPixmap& Image(int index) const { return m_images.at(index); }

    // Draws image `index` with its top-left corner at (x, y); a disabled look when !enabled.
    void Draw(QPainter& painter, int x, int y, int index, bool enabled = true) const;

private:
    QSize m_size;
    QList<QPixmap> m_images;
};
