#pragma once

#include <QColor>
#include <QtGlobal>

// Colours as the content and the controls write them: 0x00BBGGRR for RGB (red in the low byte),
// 0xFF000000 + n for system colour n (0..24), 0x1FFFFFFF for no colour.
using TColor = quint32;

constexpr TColor clNone = 0x1FFFFFFF;
constexpr TColor clBlack = 0x000000;
constexpr TColor clRed = 0x0000FF;
constexpr TColor clBlue = 0xFF0000;
constexpr TColor clSilver = 0xC0C0C0;
constexpr TColor clGray = 0x808080;
constexpr TColor clWhite = 0xFFFFFF;
constexpr TColor SystemColor(int index) {
    return 0xFF000000u + quint32(index);
}
constexpr TColor clHighlight = SystemColor(13);
constexpr TColor clHighlightText = SystemColor(14);
constexpr TColor clBtnFace = SystemColor(15);
constexpr TColor clBtnShadow = SystemColor(16);
constexpr TColor clBtnHighlight = SystemColor(20);

constexpr bool IsSystemColor(TColor c) {
    return (c & 0xFF000000u) == 0xFF000000u;
}

// RGB of a colour; system colours through a fixed table of palette roles. clNone gives
// a transparent QColor.
QColor ToQColor(TColor color);
TColor FromQColor(const QColor& color);

// A rectangle as the layout code thinks of it: right and bottom are exclusive edges.
struct TRect {
    int Left = 0;
    int Top = 0;
    int Right = 0;
    int Bottom = 0;
    int Width() const { return Right - Left; }
    int Height() const { return Bottom - Top; }
    bool operator==(const TRect&) const = default;
};
