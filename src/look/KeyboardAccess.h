#pragma once

#include <QKeySequence>
#include <QList>
#include <QString>
#include <QStringList>

class QAction;
class QMainWindow;
class QObject;
class QMenu;
class QMenuBar;
class QWidget;

// The keyboard's way into menus: an underlined letter for every entry, and F10 for the menu bar.

// The texts of one menu's entries with an underlined letter ('&') each, none twice: a letter
// chosen by hand is kept; otherwise the first letter of a word that is still free, then any free
// letter. "&&" is a plain ampersand; an empty text (a separator) stays empty.
QStringList WithMnemonics(const QStringList& texts);

// Underlines the titles of bar's menus now, and the entries of each menu (and submenu) every
// time it opens, so entries added or hidden later get letters of their own.
void AddMnemonics(QMenuBar* bar);
void AddMnemonics(QMenu* menu);

// F10 anywhere in window opens the first menu of its menu bar.
void AddMenuBarKey(QMainWindow* window);

// An action the window runs by keys alone: its shortcuts work wherever the focus is in window.
void AddWindowKeys(QWidget* window, QAction* action, const QList<QKeySequence>& keys);

// A copy of action for another window's menu or tool strip: it runs action and follows its
// icon, tips, shortcuts and enabled, visible and checked state. Qt gives screen readers one entry
// per action, belonging to the first menu that asked for it, so an action shared by the menus of
// two windows is hidden and never current to them in the second.
QAction* MirrorAction(QAction* action, QObject* owner);
