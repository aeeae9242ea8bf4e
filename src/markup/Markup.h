#pragma once

#include "markup/MarkupTypes.h"

#include <QString>

class TMarkupCanvas;
class TMarkupPictureCache;
class TImageList;

// Arguments of one RenderMarkup call besides the canvas and the text.
struct TMarkupArgs {
    TRect Bounds;                                // layout rectangle
    const TImageList* Images = nullptr;          // source of IDX:n pictures
    TMarkupPictureCache* PictureCache = nullptr; // "://" pictures; none: they never show
    int MouseX = 0;                              // point to hit-test, canvas coordinates
    int MouseY = 0;
    bool MeasureOnly = false; // only the measuring pass of every line
    bool HitTestOnly = false; // placing pass without drawing
    bool Selected = false;    // markup colours not applied
    bool BlinkOn = false;     // false: text after <BL> takes the background colour
    bool WrapWords = true;    // break lines at spaces; false: one run, end ellipsis
    TColor LinkColor = clBlue;
};

// Outputs. AnchorHref is only ever set by the engine: the caller clears it before the call.
struct TMarkupOutput {
    QString AnchorHref;
    int NeededWidth = 0;
    int NeededHeight = 0;
};

// Measures, draws or hit-tests one markup text in one call. The canvas's font is the base font
// and its brush colour the background; both are restored on return. The result is true when
// the point lies on anchor text (placing pass) or on a picture inside an anchor.
bool RenderMarkup(TMarkupCanvas& Canvas, const QString& Text, const TMarkupArgs& Args, TMarkupOutput& Out);

// The plain text of a markup string: <BR> and <HR> become CR LF, <Z> sections and tags go.
QString StripMarkup(const QString& Text);
