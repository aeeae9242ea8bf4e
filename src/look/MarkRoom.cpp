#include "look/MarkRoom.h"

#include <QEvent>
#include <QFontMetrics>
#include <QLabel>

namespace {

class TMarkRoomKeeper final : public QObject {
public:
    explicit TMarkRoomKeeper(QLabel* label) : QObject(label), m_label(label) { Update(); }

protected:
    bool eventFilter(QObject* watched, QEvent* event) override {
        if (watched == m_label && event->type() == QEvent::FontChange)
            Update();
        return false;
    }

private:
    void Update() {
        QMargins margins = m_label->contentsMargins();
        margins.setTop(MarkRoom(m_label->font()));
        m_label->setContentsMargins(margins);
    }

    QLabel* m_label;
};

} // namespace

int MarkRoom(const QFont& font) {
    const QFontMetrics metrics(font);
    return qMax(0, -metrics.tightBoundingRect(QStringLiteral("ЙЁ")).top() - metrics.ascent());
}

void KeepMarksWhole(QLabel* label) {
    label->installEventFilter(new TMarkRoomKeeper(label));
}
