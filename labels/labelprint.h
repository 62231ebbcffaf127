#pragma once
// Paints address labels on a sheet, or envelopes, onto any printer: a real
// one, the preview's, or a PDF file. One code path for all three.

#include "labels/labelgeometry.h"

#include <QFont>
#include <QPageLayout>
#include <QPointF>
#include <QStringList>

class QPrinter;
struct AddressBlock;

constexpr double kSmallestPointSize = 6;

struct LabelStyle {
    QFont font;             // its point size is the size to print at when the block fits
    bool attention = false; // the contact person first, as on a sticker with the attention mark
    bool phone = true;      // the phone line last
    QPointF offsetMm;       // the printer's own feed error, made good
    bool outlines = false;  // the sheet's labels drawn in light grey, for the preview
};

// Paper of the given size, no margins, the painter's origin at the paper's
// corner. Call before painting (and before a preview opens).
void PreparePrinter(QPrinter* printer, const QString& name, QSizeF paperMm,
                    QPageLayout::Orientation orientation);

// `copies` labels for each party in turn, from the first free label on.
// Returns the number of pages printed (0 when the printer could not start).
int PrintLabelSheet(QPrinter* printer, const LabelSheet& sheet, const QList<AddressBlock>& parties,
                    int copies, int firstRow, int firstColumn, const LabelStyle& style);

// One envelope per copy of each party; the sender block on each when
// `senderLines` holds any line.
int PrintEnvelopes(QPrinter* printer, const EnvelopeLayout& envelope,
                   const QList<AddressBlock>& parties, int copies, const QStringList& senderLines,
                   const LabelStyle& style);
