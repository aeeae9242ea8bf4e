#pragma once

class QApplication;

// The program speaks Russian whatever the system's language: Qt's own texts (stock dialogs,
// standard buttons, the file dialog's columns) come from Qt's Russian translation when it is
// installed, and numbers and dates are written the Russian way ("19,05", "09.12.2026") even
// under an English or "C" locale. Call once, before any window.
void UseRussianTexts(QApplication& app);
