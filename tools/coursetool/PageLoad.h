#pragma once

#include <QString>

class TEmbeddedBrowser;

// What the subcommands that load a library page headless share (pdf, page): the same
// WebEngine set-up, the same reading of the PAGE argument and the same wait for the load.

// Before the first browser: no sandbox when run as root, no graphics set-up log in the output.
void PrepareHeadlessBrowser();

// PAGE as given on the command line (a local path, relative to where the tool runs, or a URL)
// as the URL to load; empty, with the message printed, when a local page does not exist. A
// local page's library becomes the folder that pages may read.
QString PageTarget(const QString& page);

// Loads target in browser; false when it failed or did not finish in time.
bool LoadPage(TEmbeddedBrowser& browser, const QString& target);
