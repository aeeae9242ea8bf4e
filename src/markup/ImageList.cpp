#include "markup/ImageList.h"

#include <QIcon>
#include <QPainter>

void TImageList::Draw(QPainter& painter, int x, int y, int index, bool enabled) const {
    if (index < 0 || index >= Count())
        return;
    if (enabled) {
        painter.drawPixmap(x, y, m_images.at(index));
        return;
    }
    const QPixmap disabled = QIcon(m_images.at(index)).pixmap(m_size, QIcon::Disabled);
    painter.drawPixmap(x, y, disabled);
}
