#pragma once
// Label sheets and envelopes as measures in millimetres, and where each
// label of a print run lands. Pure: no printer, no settings.

#include <QList>
#include <QRectF>
#include <QSizeF>
#include <QString>

// A sheet of self-adhesive labels in a grid. The paper is portrait; the
// margins run from the paper's edge to the first label, the gaps between
// neighbouring labels.
struct LabelSheet {
    QString name;
    QSizeF paperMm;
    int rows = 1, columns = 1;
    double labelWidth = 0, labelHeight = 0;
    double leftMargin = 0, topMargin = 0;
    double columnGap = 0, rowGap = 0;

    int LabelsPerSheet() const { return rows * columns; }
    // The label in `row` and `column` (both from 1), without any offset.
    QRectF LabelRect(int row, int column) const;
    bool operator==(const LabelSheet&) const = default;
};

constexpr double kMmPerInch = 25.4;
const QSizeF kA4Mm(210, 297);
const QSizeF kLetterMm(8.5 * kMmPerInch, 11 * kMmPerInch);

// The common sheets, in the order the label window lists them.
QList<LabelSheet> StandardSheets();

// Empty when the sheet can be printed; else why not (a grid that does not
// fit its paper, a label of no size, no rows ...).
QString SheetProblem(const LabelSheet& sheet);

// One label of a print run: the page it is on (from 0), its place in the
// grid (from 1) and its rectangle on that page, offset already applied.
struct PlacedLabel {
    int page = 0;
    int row = 1, column = 1;
    QRectF rectMm;
};

// `count` labels filled row by row, starting at the first free label on
// the first page (a place outside the grid starts at the first label), and
// on every further page at the first label. `offsetMm` moves every label,
// as a printer that feeds off by that much needs.
QList<PlacedLabel> PlaceLabels(const LabelSheet& sheet, int count, int firstRow, int firstColumn,
                               QPointF offsetMm = {});

// An envelope printed landscape: its size (long edge across) and the
// boxes of the recipient's and the sender's address.
struct EnvelopeLayout {
    QString name;
    QSizeF sizeMm;
    QRectF recipientMm;
    QRectF senderMm;
};

// DL, C5, C4 and US #10, in that order.
QList<EnvelopeLayout> StandardEnvelopes();

// The recipient block right of the middle in the lower half, the sender
// in the top left corner, as envelopes are usually addressed.
EnvelopeLayout LayOutEnvelope(const QString& name, QSizeF sizeMm);
