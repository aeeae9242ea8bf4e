#pragma once

// With CP_SCREENSHOT_DIR set, the look tests save the widgets they check there as PNG files to
// look at.

#include <QByteArray>
#include <QString>
#include <QWidget>

inline void SaveShot(QWidget& widget, const char* name) {
    const QByteArray dir = qgetenv("CP_SCREENSHOT_DIR");
    if (!dir.isEmpty())
        widget.grab().save(QString::fromLocal8Bit(dir) + QLatin1Char('/') + QLatin1String(name));
}
