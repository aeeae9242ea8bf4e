#include "player/FirstPaint.h"

#include <QApplication>
#include <QEvent>
#include <QPointer>
#include <QTimer>

namespace {

// On the application, since a window whose children cover it may never get a paint event itself.
class TFirstPaintFilter final : public QObject {
public:
    TFirstPaintFilter(QWidget* window, std::function<void()> fn) : m_window(window), m_fn(std::move(fn)) {}

protected:
    bool eventFilter(QObject* watched, QEvent* event) override {
        if (event->type() == QEvent::Paint && watched->isWidgetType() && m_window &&
            static_cast<QWidget*>(watched)->window() == m_window) {
            qApp->removeEventFilter(this);
            QTimer::singleShot(0, qApp, [fn = std::move(m_fn)] { fn(); });
            deleteLater();
        }
        return false;
    }

private:
    QPointer<QWidget> m_window;
    std::function<void()> m_fn;
};

} // namespace

void AfterFirstPaint(QWidget* window, std::function<void()> fn) {
    auto* filter = new TFirstPaintFilter(window, std::move(fn));
    filter->setParent(qApp);
    qApp->installEventFilter(filter);
}
