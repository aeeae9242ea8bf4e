#pragma once

class QWebEngineProfile;

// Makes discs written for Internet Explorer with plug-ins play in the profile's pages:
// - a page that declares no charset is read as windows-1251, the discs' encoding, unless it is
//   valid UTF-8 (the engine's own detection tells UTF-8 for local files);
// - before a local page's own scripts: ActiveXObject for the XML document and XMLHTTP objects,
//   attachEvent/detachEvent and document.selection.empty();
// - once a page's document is ready: the staged Flash emulator when the page embeds a .swf, and
//   the staged MathML typesetter when it has <math>; other pages load neither.
// Pages from the web get none of this.
void PrepareForOldDiscs(QWebEngineProfile* profile);
