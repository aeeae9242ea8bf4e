#include "markup/MarkupCanvas.h"

#include <algorithm>

namespace {

// Multiply, then divide, rounded to nearest (halves away from zero), as the sizes of the
// content were computed.
int MulDivRound(int a, int b, int c) {
    if (c == 0)
        return 0;
    const long long p = (long long)a * b;
    const long long half = c / 2;
    const long long r = p >= 0 ? (p + half) / c : (p - half) / c;
    return int(std::clamp<long long>(r, -2147483647LL, 2147483647LL));
}

} // namespace

int TMarkupCanvas::WordsWidth(const QString& text, unsigned format) {
    int width = 0;
    qsizetype from = 0;
    while (from < text.size()) {
        const qsizetype space = text.indexOf(QLatin1Char(' '), from);
        const qsizetype to = space < 0 ? text.size() : space + 1;
        TRect rect{0, 0, 0, 0};
        DrawText(text.mid(from, to - from), rect, format | TextFormat::CalcRect);
        width += rect.Width();
        from = to;
    }
    return width;
}

int TMarkupFont::Size(int dpi) const {
    return MulDivRound(PixelSize, 72, dpi > 0 ? dpi : 96);
}

void TMarkupFont::SetSize(int points, int dpi) {
    PixelSize = MulDivRound(points, dpi > 0 ? dpi : 96, 72);
}
