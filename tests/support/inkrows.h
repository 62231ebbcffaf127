#pragma once
// Whether a box shows its text whole: the rows of pixels the text colours
// in the box as it stands, against a box of the same kind, font and width
// with room to spare. A text cut at the top or the bottom colours fewer.

#include <QString>

class QTreeView;
class QWidget;

// The rows `text` colours in `box` (a QLineEdit or a QLabel), drawn as the
// box stands; the box's own text is put back afterwards.
int InkRows(QWidget* box, const QString& text);

// Whether `box` shows `text` without cutting any of it off.
bool ShowsWhole(QWidget* box, const QString& text);

// Whether row `row` (0-based) of a list shows its first cell's text whole:
// the text's pixels keep off the row's top and bottom, and colour as many
// rows as in a roomy label. The list must show no selection or focus on
// that row.
bool RowShowsWhole(QTreeView* list, int row);
