#pragma once

#include <QColor>
#include <QFont>

class QApplication;

// The program's one built-in look: a calm blue with a warm glow under the pointer, on Tahoma
// 8 pt. Every window takes it from the application, so none sets colours of its own.
namespace Theme {
inline const QColor Ink{0x17, 0x33, 0x5c};       // text and frames
inline const QColor Deep{0x1d, 0x4f, 0x91};      // dark end of gradients, frame of the course box
inline const QColor Sky{0x5b, 0x9b, 0xd5};       // light end of the panel gradient
inline const QColor Mist{0xe9, 0xf2, 0xfb};      // button faces, tab faces
inline const QColor Paper{0xff, 0xff, 0xff};     // page and window background
inline const QColor Glow{0xff, 0xb3, 0x3b};      // the glow of a button under the pointer
inline const QColor GlowLight{0xff, 0xf1, 0xd6}; // face of a glowing button
inline const QColor Disabled{0x9a, 0xa6, 0xb5};  // disabled text

QFont DefaultFont(); // Tahoma 8 pt, or the nearest sans when Tahoma is missing
} // namespace Theme

// Installs the style, palette, font, window icon and Russian texts (UseRussianTexts) for the
// whole program; call once, before any window.
void ApplyTheme(QApplication& app);
