#pragma once

#include <QString>

class QWebEngineProfile;

// Makes discs written for Internet Explorer with plug-ins play in the profile's pages:
// - a page that declares no charset is read as windows-1251, the discs' encoding, unless it is
//   valid UTF-8 (the engine's own detection tells UTF-8 for local files);
// - before a local page's own scripts: ActiveXObject for the XML document and XMLHTTP objects,
//   attachEvent/detachEvent and document.selection.empty();
// - when the Flash emulator is staged, a Flash plug-in entry from the start (pages that test for
//   Flash before writing their movie find it), and the emulator itself as soon as a movie of a
//   .swf appears in the page;
// - once a page's document is ready: the staged MathML typesetter when it has <math>.
// Pages without a movie or formulas load neither.
// Pages from the web get none of this.
void PrepareForOldDiscs(QWebEngineProfile* profile);

// The same scripts as one file for pages outside the player (a published site), where they run
// on every protocol: put it into a page before the page's own scripts. components is a JavaScript
// expression giving the URL of the folder holding "ruffle/" and "mathjax/"; flash says whether
// the emulator is there.
QString LegacyScriptsForPages(const QString& components, bool flash);
