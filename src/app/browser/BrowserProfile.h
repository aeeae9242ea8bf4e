#pragma once

#include <QStringList>

class QWebEngineProfile;

// The one profile every browser of the player shares: off the record, local pages may read
// other local files (XSLT stylesheets, xsl:include, document()) but only inside the allowed
// folders, scripts may open windows (the browsers catch those requests) and unknown URL schemes
// are never handed to the desktop. Created on first use as a child of the application object,
// so it outlives every page that the windows own and goes with the application. Error pages,
// the context menus and the page's preferred language are Russian.
QWebEngineProfile* SharedBrowserProfile();

// The folders whose files the pages may load: the library folder, and the folders where the
// player stages components of its own. Until this is called no local file loads at all.
void SetAllowedFileRoots(const QStringList& folders);
QStringList AllowedFileRoots();
