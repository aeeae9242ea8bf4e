#pragma once

#include <QByteArray>

// Bold asked of a face that has none is made by FreeType pushing every outline outwards; which
// way is "out" it takes from the glyph's overall winding. A glyph whose contours wind both ways
// (the wine Tahoma's й, Й, Ш, Щ, Ы) has some of them pushed inwards instead: the breve of "й"
// thins to nothing in bold. This returns the TrueType font with such glyphs' stray contours turned
// round (outer clockwise, holes anticlockwise), or the data unchanged when no glyph needs it or
// the font is not one it can read. A mended glyph loses its hinting program, which numbers its
// points.
QByteArray WithConsistentContours(const QByteArray& font);

// Qt makes bold from the regular face, and a mended copy in its place would lose the hinting of
// the regular text. So the mended copy comes as a face of its own, a "Medium" that Qt picks for
// bold and thickens, leaving regular text to the untouched face. Empty when nothing needs mending.
QByteArray MediumFaceForBold(const QByteArray& font);

// How many simple glyphs of the font wind their contours both ways; -1 when it cannot be read.
int MixedWindingGlyphs(const QByteArray& font);
