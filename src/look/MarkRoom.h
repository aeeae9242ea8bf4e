#pragma once

class QFont;
class QLabel;

// Qt measures Tahoma's line by its typographic ascent, which ends below the marks of Й and Ё
// (bold lifts them a pixel more), so a label sized to its line cuts them off. How many pixels
// the marks reach above the line:
int MarkRoom(const QFont& font);

// Keeps the label's top margin as high as its marks reach, also for a font given it later.
void KeepMarksWhole(QLabel* label);
