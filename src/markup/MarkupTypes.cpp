#include "markup/MarkupTypes.h"

#include <QGuiApplication>
#include <QPalette>

namespace {

// Windows system colours 0..24 mapped onto the application palette, with the classic
// Windows value where the palette has no matching role.
QColor SystemQColor(int index) {
    const QPalette p = QGuiApplication::palette();
    switch (index) {
    case 0:
        return QColor(0xC8, 0xC8, 0xC8); // scroll bar
    case 1:
        return QColor(0x00, 0x00, 0x00); // desktop
    case 2:
        return QColor(0x99, 0xB4, 0xD1); // active caption
    case 3:
        return QColor(0xBF, 0xCD, 0xDB); // inactive caption
    case 4:
        return p.color(QPalette::Window); // menu
    case 5:
        return p.color(QPalette::Base); // window
    case 6:
        return QColor(0x64, 0x64, 0x64); // window frame
    case 7:
        return p.color(QPalette::WindowText); // menu text
    case 8:
        return p.color(QPalette::Text); // window text
    case 9:
        return QColor(0x00, 0x00, 0x00); // caption text
    case 10:
        return QColor(0xB4, 0xB4, 0xB4); // active border
    case 11:
        return QColor(0xF4, 0xF7, 0xFC); // inactive border
    case 12:
        return QColor(0xAB, 0xAB, 0xAB); // application workspace
    case 13:
        return p.color(QPalette::Active, QPalette::Highlight);
    case 14:
        return p.color(QPalette::Active, QPalette::HighlightedText);
    case 15:
        return p.color(QPalette::Button); // button face
    case 16:
        return p.color(QPalette::Dark); // button shadow
    case 17:
        return p.color(QPalette::Disabled, QPalette::Text); // grey text
    case 18:
        return p.color(QPalette::ButtonText);
    case 19:
        return QColor(0x43, 0x4E, 0x54); // inactive caption text
    case 20:
        return p.color(QPalette::Light); // button highlight
    case 21:
        return p.color(QPalette::Shadow); // 3D dark shadow
    case 22:
        return p.color(QPalette::Midlight); // 3D light
    case 23:
        return p.color(QPalette::ToolTipText);
    case 24:
        return p.color(QPalette::ToolTipBase);
    default:
        return QColor(0, 0, 0);
    }
}

} // namespace

QColor ToQColor(TColor color) {
    if (color == clNone)
        return QColor(Qt::transparent);
    if (IsSystemColor(color))
        return SystemQColor(int(color & 0xFFu));
    return QColor(int(color & 0xFF), int((color >> 8) & 0xFF), int((color >> 16) & 0xFF));
}

TColor FromQColor(const QColor& color) {
    if (color.alpha() == 0)
        return clNone;
    return TColor(color.red()) | (TColor(color.green()) << 8) | (TColor(color.blue()) << 16);
}
