#pragma once

#include "markup/MarkupTypes.h"

#include <QRect>

class QPainter;
class QPixmap;
class QStyle;
class QWidget;

enum TControlStyle : int;

// What a glyph needs besides its box: the look, the tick colour of the bevelled look, the two
// user glyphs, and for the themed look the style and widget that draw it.
struct TGlyphLook {
    TControlStyle Style;
    TColor ControlColor = clRed;
    const QPixmap* GlyphChecked = nullptr;
    const QPixmap* GlyphUnChecked = nullptr;
    bool Enabled = true;
    const QWidget* Widget = nullptr; // the themed look draws with its style; none: no glyph
};

// Check and radio glyphs of the tree controls. The box is 14 x 14 at its top-left corner; the
// built-in bitmaps and the user glyphs are 16 x 16 pictures drawn at the box corner.
void DrawCheckGlyph(QPainter& painter, QRect box, bool checked, const TGlyphLook& look);
void DrawRadioGlyph(QPainter& painter, QRect box, bool checked, const TGlyphLook& look);

// ":/glyphs/TVCHK01.png" and its kin; a null pixmap when the resource is missing.
QPixmap BuiltInGlyph(const char* name);
