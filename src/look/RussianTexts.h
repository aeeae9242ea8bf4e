#pragma once

#include <QString>

class QApplication;

// The program speaks Russian whatever the system's language: Qt's own texts (stock dialogs,
// standard buttons, the file dialog's columns) come from Qt's Russian translation when it is
// installed, and numbers and dates are written the Russian way ("19,05", "09.12.2026") even
// under an English or "C" locale. Call once, before any window.
void UseRussianTexts(QApplication& app);

class QWidget;

// Qt's file dialog writes its files' sizes and dates in the system's formats, which Qt reads
// before the program can change them ("9 Dec 2026" under an English system). Given a file dialog
// of Qt's own (not the desktop's), has its lists write them the Russian way; other widgets are
// left alone. The style calls it as each widget is polished.
void WriteFileColumnsInRussian(QWidget* widget);

// A file's size as a Russian file list writes it: "1 байт", "3 байта", "3,04 кБ", "5,00 ГБ".
// Qt's Russian locale names the binary units in English ("KiB") and counts bytes without the
// plural forms ("512 байты").
QString RussianDataSize(qint64 bytes);
