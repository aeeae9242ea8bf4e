#pragma once

// How much of a view's picture Chromium's find marks cover: the current match is marked
// orange, the others yellow. Counts every other pixel of every other row.

#include <QImage>
#include <QWidget>

inline bool IsFindMark(QRgb pixel) {
    const int r = qRed(pixel), g = qGreen(pixel), b = qBlue(pixel);
    return r > 230 && b < 80 && (g > 230 || (g > 130 && g < 170));
}

inline int FindMarkPixels(QWidget* view) {
    const QImage image = view->grab().toImage();
    int marks = 0;
    for (int y = 0; y < image.height(); y += 2)
        for (int x = 0; x < image.width(); x += 2)
            marks += IsFindMark(image.pixel(x, y));
    return marks;
}
