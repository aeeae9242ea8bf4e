#include "browser/PageZoom.h"

#include <QChildEvent>
#include <QDir>
#include <QFileInfo>
#include <QSettings>
#include <QStandardPaths>
#include <QWebEngineView>
#include <QWheelEvent>
#include <algorithm>
#include <cmath>

namespace {

const QString kZoomKey = QStringLiteral("Page/Zoom");
// One notch of an ordinary mouse wheel, in eighths of a degree.
constexpr int kWheelNotch = 120;

double Clamped(double factor) {
    return std::clamp(factor, TPageZoom::MinFactor, TPageZoom::MaxFactor);
}

} // namespace

TPageZoom::TPageZoom(const QString& settingsFile, QObject* parent)
    : QObject(parent), m_settingsFile(settingsFile) {
    if (m_settingsFile.isEmpty())
        m_settingsFile = QStandardPaths::writableLocation(QStandardPaths::GenericConfigLocation) +
                         QStringLiteral("/courseplayer/settings.ini");
    m_factor = FactorFromSetting(QSettings(m_settingsFile, QSettings::IniFormat).value(kZoomKey).toString());
}

int TPageZoom::Percent() const {
    return int(std::lround(m_factor * 100));
}

double TPageZoom::FactorFromSetting(const QString& text) {
    bool ok = false;
    const double value = text.trimmed().toDouble(&ok);
    // A hand-edited or damaged file must not leave every page unreadable.
    if (!ok || !std::isfinite(value) || value <= 0)
        return 1.0;
    return Clamped(value);
}

double TPageZoom::NextStep(double factor, int direction) {
    const double current = Clamped(factor);
    // Compared in whole per cent, so that 1.1 read back from a file is the 110 % step itself.
    const long percent = std::lround(current * 100);
    if (direction > 0) {
        for (int step : StepsPercent)
            if (step > percent)
                return step / 100.0;
    } else if (direction < 0) {
        for (auto it = StepsPercent.rbegin(); it != StepsPercent.rend(); ++it)
            if (*it < percent)
                return *it / 100.0;
    }
    return current;
}

void TPageZoom::SetFactor(double factor) {
    if (!std::isfinite(factor))
        return;
    factor = Clamped(factor);
    if (factor == m_factor)
        return;
    m_factor = factor;
    Store();
    emit FactorChanged(m_factor);
}

void TPageZoom::ZoomIn() {
    SetFactor(NextStep(m_factor, +1));
}

void TPageZoom::ZoomOut() {
    SetFactor(NextStep(m_factor, -1));
}

void TPageZoom::Reset() {
    m_wheelRemainder = 0;
    SetFactor(1.0);
}

void TPageZoom::Store() const {
    // A settings file that cannot be written costs the remembered zoom, never the zoom shown.
    QDir().mkpath(QFileInfo(m_settingsFile).absolutePath());
    QSettings settings(m_settingsFile, QSettings::IniFormat);
    settings.setValue(kZoomKey, QString::number(m_factor, 'g', 4));
}

void TPageZoom::Attach(QWebEngineView* view) {
    view->setZoomFactor(m_factor);
    connect(this, &TPageZoom::FactorChanged, view, [view](double factor) { view->setZoomFactor(factor); });
    // Chromium may start a page in a fresh renderer at its own zoom; every finished load gets ours.
    connect(view, &QWebEngineView::loadFinished, this, [this, view] {
        if (view->zoomFactor() != m_factor)
            view->setZoomFactor(m_factor);
    });
    // The wheel reaches the page through a child widget the view creates (its focus proxy),
    // which Chromium would take the wheel from: watch every child, present and future.
    view->installEventFilter(this);
    for (QObject* child : view->children())
        WatchInputOf(child);
}

void TPageZoom::WatchInputOf(QObject* child) {
    if (child->isWidgetType())
        child->installEventFilter(this);
}

bool TPageZoom::eventFilter(QObject* watched, QEvent* event) {
    if (event->type() == QEvent::ChildAdded && qobject_cast<QWebEngineView*>(watched)) {
        WatchInputOf(static_cast<QChildEvent*>(event)->child());
        return false;
    }
    if (event->type() != QEvent::Wheel)
        return false;
    auto* wheel = static_cast<QWheelEvent*>(event);
    if (!(wheel->modifiers() & Qt::ControlModifier))
        return false;
    // Whole notches only: a touch pad's small parts add up to one.
    m_wheelRemainder += wheel->angleDelta().y();
    while (m_wheelRemainder >= kWheelNotch) {
        m_wheelRemainder -= kWheelNotch;
        ZoomIn();
    }
    while (m_wheelRemainder <= -kWheelNotch) {
        m_wheelRemainder += kWheelNotch;
        ZoomOut();
    }
    wheel->accept();
    return true;
}
