#pragma once

#include <QString>
#include <functional>

class QWidget;

// "Опубликовать для браузера…" of the catalogue's library menu: asks where, writes the open
// library as a web site there with a progress bar and a cancel button, and says what came of it.
// The export runs on the window's thread (the course trees are read by the player's tree
// control, a widget), handing events on between files so that the window and the cancel button
// stay alive.
struct TPublishHooks {
    std::function<QString()> AskFolder;                     // default: a folder dialog
    std::function<void(const QString& text, bool ok)> Tell; // default: a message box
    std::function<bool(int done, int total)> CancelAt;      // tests: cancel at this progress
};

void PublishForBrowsers(QWidget* parent, const QString& library, const TPublishHooks& hooks = {});

// Where the site goes in the folder the user chose: the folder itself when it is empty or holds a
// site written before, else a new "Сайт курсов" folder in it.
QString SiteFolderIn(const QString& chosen);
