#pragma once

#include <QString>

class QAction;
class QLineEdit;
class QObject;
class QWidget;
class TPageControl;

// What screen readers are told about the player's own widgets, through Qt's accessibility.

// Installs the look's accessible interfaces (the page control's tabs, plain widgets shown as
// windows); once, from the constructor of every widget that needs them.
void InstallLookAccessibility();

// A top-level window built on a plain widget is a window to screen readers, not a filler.
void ExposeAsWindow(QWidget* window);

// Names the button that shows action inside edit (the clear button: the edit's clear action,
// action == nullptr), so that screen readers say what it does.
void NameEditButton(QLineEdit* edit, const QAction* action, const QString& name);

// The tab `index` of control became the current one: selection, and focus when control has it.
void TellTabChanged(TPageControl* control, int index);
