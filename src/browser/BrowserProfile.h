#pragma once

#include <QStringList>
#include <functional>

class QUrl;
class QWebEngineProfile;
class TShell;

// The one profile every browser of the player shares: off the record, local pages may read
// other local files (XSLT stylesheets, xsl:include, document()) but only inside the allowed
// folders, scripts may open windows (the browsers catch those requests) and unknown URL schemes
// are never handed to the desktop. Created on first use as a child of the application object,
// so it outlives every page that the windows own and goes with the application. Error pages,
// the context menus and the page's preferred language are Russian.
QWebEngineProfile* SharedBrowserProfile();

// The folders whose files the pages may load: the library folder, and the folders where the
// player stages components of its own. Until this is called no local file loads at all. Setting
// them does not make the profile: the engine starts with the first browser.
void SetAllowedFileRoots(const QStringList& folders);
QStringList AllowedFileRoots();

// Documents a page may link to that the browser cannot show (old Office files, RTF) are handed
// to the desktop's program, as on the machines the discs were made for, instead of being saved
// silently. shell opens them; nullptr: they are only refused.
void SetDocumentShell(TShell* shell);
// Told when a document a user clicked could not be handed over: its path, and whether it lies
// inside the allowed folders (when it does, the shell refused it: missing, or no program for
// it). Start-up shows a message; empty: nothing is said.
void SetDocumentFailureReporter(std::function<void(const QString& path, bool allowed)> reporter);
// True when url is such a document, which the browser must then not load; it is opened with the
// shell only when it lies inside the allowed folders and a user clicked its link.
bool HandOverDesktopDocument(const QUrl& url);
// A page's console message: true when it is the report of a user's click on a link (see
// TUserLinkWatch), which the page must then not log as its own.
bool TakeUserLinkReport(const QString& message);
