#pragma once

#include <QString>

class QAction;
class QMainWindow;
class QToolBar;
class TCommandImages;

// The tool strips of the player's windows: 36 x 35 buttons with 28 x 28 icons from the shared
// command images, captions as tool tips.
QToolBar* AddToolStrip(QMainWindow* window, const QString& objectName, bool withImages);
void AddToolButton(QToolBar* bar, QAction* action);

// The command images shared by every window (the catalogue window owns them); nullptr while
// there is no catalogue window (a window tried on its own).
const TCommandImages* SharedCommandImages();

// Gives action the shared icon of the index (no icon without shared images or for index < 0).
void SetCommandImage(QAction* action, int imageIndex);

// The category an action is listed under ("General", "Navigate", "Options", ...).
void SetCategory(QAction* action, const char* category);
QString Category(const QAction* action);
