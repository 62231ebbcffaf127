#pragma once
// Fits an address block into a box: the font shrinks step by step down to
// a smallest size; what still does not fit is elided on the right, and
// lines that find no room below are left off. Nothing leaves the box.

#include <QFont>
#include <QSizeF>
#include <QStringList>

class QPaintDevice;

struct FittedBlock {
    QFont font;
    QStringList lines;
    double lineSpacing = 0; // in the device's pixels
    double height = 0;      // of the lines kept
};

// `box` is in the pixels of `device`, which gives the font's measures.
FittedBlock FitBlock(const QStringList& lines, const QFont& font, double minPointSize, QSizeF box,
                     QPaintDevice* device);
