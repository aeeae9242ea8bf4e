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

int TMarkupFont::Size(int dpi) const {
    return MulDivRound(PixelSize, 72, dpi > 0 ? dpi : 96);
}

void TMarkupFont::SetSize(int points, int dpi) {
    PixelSize = MulDivRound(points, dpi > 0 ? dpi : 96, 72);
}
