#pragma once
// Paints address labels on a sheet, or envelopes, onto any printer: a real
// one, the preview's, or a PDF file. One code path for all three. The
// blocks are fitted first, for the whole run at once (labels/blockfit.h).

#include "labels/labelgeometry.h"
#include "party/addressblock.h"

#include <QFont>
#include <QPageLayout>
#include <QPointF>
#include <QStringList>
#include <functional>
#include <optional>

class QPaintDevice;
class QPrinter;

constexpr double kSmallestPointSize = 6;

struct LabelStyle {
    QFont font;             // its point size is the size to print at when every block fits
    bool attention = false; // the contact person first, as on a sticker with the attention mark
    bool phone = true;      // the phone line last
    QPointF offsetMm;       // the printer's own feed error, made good
    bool outlines = false;  // the sheet's labels drawn in light grey, for the preview
};

// The lines a label or an envelope prints for a party: the sticker's block,
// with the PIN after the city ("MUMBAI - 400001 (MH), INDIA").
QList<BlockLine> LabelLines(const AddressBlock& party, const LabelStyle& style);

// The blocks of a print run fitted to their box: one font size for all.
struct LabelRun {
    QFont font;
    QList<QStringList> blocks; // the lines of each party, in order
    QStringList cutShort;      // the names of the parties that did not fit whole
};

// Called now and then with the work done so far; returning false stops it.
using LabelProgress = std::function<bool(int done, int total)>;

// Where a label's text goes: a little in from each edge.
QRectF LabelTextBox(const QRectF& labelMm);

// Fits every party's block into a box of `boxMm`, measured on `device`.
// Nothing when stopped.
std::optional<LabelRun> FitRun(const QList<AddressBlock>& parties, const LabelStyle& style,
                               QSizeF boxMm, QPaintDevice* device,
                               const LabelProgress& progress = {});

// The sheets `labels` labels take from the first free label on.
int SheetPages(const LabelSheet& sheet, int labels, int firstRow, int firstColumn);
// "1 page", "1,561 pages".
QString PageCount(int pages);

// Paper of the given size, no margins, the painter's origin at the paper's
// corner. Call before painting (and before a preview opens).
void PreparePrinter(QPrinter* printer, const QString& name, QSizeF paperMm,
                    QPageLayout::Orientation orientation);

// `copies` labels for each party of the run in turn, from the first free
// label on. Returns the number of pages printed: 0 when the printer could
// not start, -1 when stopped (the printer's job is then aborted).
int PrintLabelSheet(QPrinter* printer, const LabelSheet& sheet, const LabelRun& run, int copies,
                    int firstRow, int firstColumn, const LabelStyle& style,
                    const LabelProgress& progress = {});

// One envelope per copy of each party; the sender block on each when
// `senderLines` holds any line. Returns as PrintLabelSheet.
int PrintEnvelopes(QPrinter* printer, const EnvelopeLayout& envelope, const LabelRun& run,
                   int copies, const QStringList& senderLines, const LabelStyle& style,
                   const LabelProgress& progress = {});
