#pragma once

#include "app/AppContext.h"

// Creates the six windows once, in the roster's order, and fills the roster. An error in one
// window's creation is reported and start-up goes on with the next window.
void CreateWindows(const TAppContext& context);

// Destroys the windows in the reverse order of creation and clears the roster.
void DestroyWindows();

// Another library, chosen in the catalogue: the catalogue scans it and the other windows take
// their paths from it from now on.
void SwitchLibrary(const QString& folder);

// `courseplayer FILE.sff`: loads the collection file into the collection editor and shows it,
// as its load command would; a file that cannot be read gets the editor's own message.
void OpenCollection(const QString& fileName);
