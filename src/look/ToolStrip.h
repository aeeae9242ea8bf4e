#pragma once

#include <QString>

class QAction;
class QMainWindow;
class QObject;
class QToolBar;
class TCommandImages;

// The tool strips of the player's windows: 36 x 35 buttons with 28 x 28 icons from the shared
// command images, captions as tool tips.
QToolBar* AddToolStrip(QMainWindow* window, const QString& objectName, bool withImages);
void AddToolButton(QToolBar* bar, QAction* action);
// A button of the bar's own for an action that other bars and menus also show: an action's
// visibility is shared by all of them, so this button is shown and hidden through the returned
// item of the bar instead.
QAction* AddOwnToolButton(QToolBar* bar, QAction* action, const QString& objectName);

// Records which of the shared command images an action shows (-1: none).
void SetCommandImage(QAction* action, int imageIndex);

// Gives every action of window that has an image index its icon from images (start-up hands the
// shared images to every window; a window tried on its own may have none, and shows words).
void ShowCommandImages(const QObject* window, const TCommandImages* images);

// A command whose caption is also its hint, showing the shared image of imageIndex.
QAction* NewToolAction(QObject* owner, const char* name, const QString& caption, int imageIndex);

// The category an action is listed under ("General", "Navigate", "Options", ...).
void SetCategory(QAction* action, const char* category);
QString Category(const QAction* action);
