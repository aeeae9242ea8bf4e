#pragma once

#include <QList>
#include <QPixmap>
#include <QSize>
#include <memory>

class QPainter;

// A list of same-sized pictures addressed by index (IDX:n pictures of the markup, state images
// of the tree controls).
class TImageList {
public:
    explicit TImageList(QSize size = QSize(16, 16)) : m_size(size) {}
    // A copy is a list of its own: holders of the original do not see it as theirs.
    TImageList(const TImageList& other) : m_size(other.m_size), m_images(other.m_images) {}
    TImageList& operator=(const TImageList& other) {
        if (this != &other) {
            m_size = other.m_size;
            m_images = other.m_images;
        }
        return *this;
    }

    int Count() const { return int(m_images.size()); }
    int Width() const { return m_size.width(); }
    int Height() const { return m_size.height(); }
    QSize Size() const { return m_size; }

    void Add(const QPixmap& image) { m_images.append(image); }
    void Clear() { m_images.clear(); }
    const QPixmap& Image(int index) const { return m_images.at(index); }

    // Draws image `index` with its top-left corner at (x, y); a disabled look when !enabled.
    void Draw(QPainter& painter, int x, int y, int index, bool enabled = true) const;

    // Expires when the list goes, so that a control holding a pointer to it can tell.
    std::weak_ptr<const void> Lifetime() const { return m_lifetime; }

private:
    std::shared_ptr<const void> m_lifetime = std::make_shared<int>(0);
    QSize m_size;
    QList<QPixmap> m_images;
};
