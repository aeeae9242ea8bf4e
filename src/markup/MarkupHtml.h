#pragma once

#include "markup/MarkupTypes.h"

#include <QString>
#include <functional>

// The HTML writer of the markup engine: a caption as a web page shows it, for the published
// site. It reads the markup as the canvas renderer does (the same text preparation, tag letters
// and attribute reading) but leaves the layout to the browser: every run of text becomes one
// element carrying the whole style in force, so the result is balanced whatever the markup's
// own nesting, and every character of the text is escaped.
struct TMarkupHtmlArgs {
    // The address of picture n of the tree's image list (IDX:n); empty leaves the picture out.
    std::function<QString(int index)> ImageListUrl;
    // The address of a picture named by its source ("res://", "file://"...); empty leaves it out.
    std::function<QString(const QString& source)> PictureUrl;
    // The address an anchor's href becomes; by default the href itself, script links dropped.
    std::function<QString(const QString& href)> LinkUrl;
    TColor LinkColor = clBlue;
};

QString MarkupToHtml(const QString& text, const TMarkupHtmlArgs& args = {});
