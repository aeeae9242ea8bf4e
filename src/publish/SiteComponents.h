#pragma once

#include <QString>
#include <QStringList>

// The scripts old course pages expect (the IE-era objects, Flash through the emulator, MathML
// through the typesetter), as the player puts them into its pages, staged once in the site's
// _components/ folder. A page that has scripts, movies or formulas loads two files from there
// before its own scripts: the names of its course's files as they are on disc (names-<course>.js,
// so that a name a script builds in another case or with backslashes still finds its file) and
// legacy.js, which loads the emulator or the typesetter only when the page shows a movie or a
// formula, as in the player.

// The folder of the site holding them.
inline constexpr char16_t SiteComponentsFolder[] = u"_components";

// Whether the page (HTML) needs them: it has a script, a movie or a formula.
bool PageNeedsComponents(const QString& page);
// The page with the two scripts at the start of its head. root leads from the page's folder to
// the site's ("../../"); names is the name map's file name in _components/.
QString WithComponentScripts(const QString& page, const QString& root, const QString& names);

// Writes the name map: files (relative to the site) whose names have capitals, by their names
// in lower case.
bool WriteNameMap(const QString& path, const QStringList& casedNames);

// Writes _components/legacy.js into the site, with the emulator and the typesetter copied
// beside it when some page needs them and the program has them. False when a file could not be
// written.
bool StageSiteComponents(const QString& site, bool movies, bool formulas);
