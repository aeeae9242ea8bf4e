#pragma once

#include <QString>

class TSearchForm;
struct TSearchHit;

// The search window and the index of the open library: both made on first use, one index per
// library folder. The catalogue's "Поиск по всем курсам" and the viewer's "Поиск по курсу" open
// the window; a chosen result opens in the viewer. Search stands below the catalogue and the
// viewer, so start-up wires them together here.

// Connect the catalogue's and the viewer's search commands, as each window is made.
void ConnectCatalogueSearch();
void ConnectViewerSearch();
// Shows the window for one course (its number and name), or every course for course < 0.
void ShowSearch(int course, const QString& courseName = {});
// The window; nullptr until the first search.
TSearchForm* SearchWindow();
// Another library: its own index from now on (SwitchLibrary calls it).
void SearchLibraryChanged(const QString& folder);
// Destroys the window and the index (DestroyWindows calls it).
void DestroySearch();
// Where indexes are kept, one sub-folder per library; empty: the user's cache folder. Tests
// point it at a temporary folder.
void SetSearchCacheRoot(const QString& folder);

// Opens a result as the search window's choice does: the course (as its catalogue button would,
// unless the viewer shows it already), the section, the item in the tree and its page, whose
// found words are then marked. The message for the user when it cannot; empty on success.
QString OpenSearchResult(const TSearchHit& hit, const QString& query);
