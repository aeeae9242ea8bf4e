#pragma once

class QWebEngineProfile;

// The one profile every browser of the player shares: off the record, local pages may read
// other local files (XSLT stylesheets, xsl:include, document()), scripts may open windows
// (the browsers catch those requests) and unknown URL schemes are never handed to the desktop.
// Created on first use as a child of the application object, so it outlives every page that
// the windows own and goes with the application. Error pages, the context menus and the
// page's preferred language are Russian.
QWebEngineProfile* SharedBrowserProfile();
