#pragma once
// Devanagari and Gurmukhi letters carry vowel signs above and below the
// line that the Latin letters never reach, and they are drawn by other
// fonts (the Lohit fonts) whose lines are taller than the desktop font's.
// A box laid out one Latin line high cuts them off.

#include <QList>

class QFont;
class QWidget;

// The height in pixels of a line of text in `font` that holds any of
// those scripts (as the fonts that draw them lay it out).
int ScriptLineHeight(const QFont& font);

// The height `box` (a text box, an editable combo box or a one-line
// label) needs to show such a line whole.
int LineBoxHeight(const QWidget* box);

// Makes each box at least that tall, keeping its position and width; a
// box tall enough already stays as it is.
void FitLineHeights(const QList<QWidget*>& boxes);
