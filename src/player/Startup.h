#pragma once

#include "app/AppContext.h"

#include <functional>

// Creates the six windows once, in the roster's order, and fills the roster. An error in one
// window's creation is reported and start-up goes on with the next window.
void CreateWindows(const TAppContext& context);

// The first half of CreateWindows: the catalogue alone, wired so that whatever needs another
// window (a course button, a search result, a collection) makes the others first. The catalogue
// has no browser, so it shows before the web engine starts. beforeBrowsers runs once, right
// before the first of the other windows is made.
void CreateCatalogue(const TAppContext& context, std::function<void()> beforeBrowsers = {});

// The second half: the other five windows, with the context given to CreateCatalogue and the
// library in use now. Once only; later calls do nothing.
void CreateOtherWindows();

// Destroys the windows in the reverse order of creation and clears the roster.
void DestroyWindows();

// Another library, chosen in the catalogue: the catalogue scans it and the other windows take
// their paths from it from now on.
void SwitchLibrary(const QString& folder);

// `courseplayer FILE.sff`: loads the collection file into the collection editor and shows it,
// as its load command would; a file that cannot be read gets the editor's own message.
void OpenCollection(const QString& fileName);
