#include "labels/labelgeometry.h"

#include <QCoreApplication>
#include <QPointF>
#include <algorithm>

namespace {

constexpr double kFitSlackMm = 0.01; // rounding in the published measures

} // namespace

QRectF LabelSheet::LabelRect(int row, int column) const {
    return QRectF(leftMargin + (column - 1) * (labelWidth + columnGap),
                  topMargin + (row - 1) * (labelHeight + rowGap), labelWidth, labelHeight);
}

// As the makers publish them: label size, the first label's corner, the
// gaps between labels.
QList<LabelSheet> StandardSheets() {
    const double in = kMmPerInch;
    return {
        {.name = QStringLiteral("A4, 3 x 7 labels of 63.5 x 38.1 mm"),
         .paperMm = kA4Mm,
         .rows = 7,
         .columns = 3,
         .labelWidth = 63.5,
         .labelHeight = 38.1,
         .leftMargin = 7.25,
         .topMargin = 15.15,
         .columnGap = 2.5},
        {.name = QStringLiteral("A4, 3 x 8 labels of 70 x 37 mm"),
         .paperMm = kA4Mm,
         .rows = 8,
         .columns = 3,
         .labelWidth = 70,
         .labelHeight = 37,
         .topMargin = 0.5},
        {.name = QStringLiteral("A4, 2 x 7 labels of 99.1 x 38.1 mm"),
         .paperMm = kA4Mm,
         .rows = 7,
         .columns = 2,
         .labelWidth = 99.1,
         .labelHeight = 38.1,
         .leftMargin = 4.65,
         .topMargin = 15.15,
         .columnGap = 2.5},
        {.name = QStringLiteral("A4, 2 x 4 labels of 99.1 x 67.7 mm"),
         .paperMm = kA4Mm,
         .rows = 4,
         .columns = 2,
         .labelWidth = 99.1,
         .labelHeight = 67.7,
         .leftMargin = 4.65,
         .topMargin = 13.1,
         .columnGap = 2.5},
        {.name = QStringLiteral("US Letter, 3 x 10 labels of 2.625 x 1 in"),
         .paperMm = kLetterMm,
         .rows = 10,
         .columns = 3,
         .labelWidth = 2.625 * in,
         .labelHeight = 1 * in,
         .leftMargin = 0.1875 * in,
         .topMargin = 0.5 * in,
         .columnGap = 0.125 * in},
        {.name = QStringLiteral("US Letter, 2 x 10 labels of 4 x 1 in"),
         .paperMm = kLetterMm,
         .rows = 10,
         .columns = 2,
         .labelWidth = 4 * in,
         .labelHeight = 1 * in,
         .leftMargin = 0.15625 * in,
         .topMargin = 0.5 * in,
         .columnGap = 0.1875 * in},
    };
}

QString SheetProblem(const LabelSheet& s) {
    if (s.rows < 1 || s.columns < 1)
        return QCoreApplication::translate("LabelSheet", "The sheet needs at least one label.");
    if (s.labelWidth <= 0 || s.labelHeight <= 0)
        return QCoreApplication::translate("LabelSheet", "A label needs a width and a height.");
    if (s.leftMargin < 0 || s.topMargin < 0 || s.columnGap < 0 || s.rowGap < 0)
        return QCoreApplication::translate("LabelSheet", "Margins and gaps cannot be negative.");
    const QRectF last = s.LabelRect(s.rows, s.columns);
    if (last.right() > s.paperMm.width() + kFitSlackMm)
        return QCoreApplication::translate("LabelSheet", "The labels are wider than the paper.");
    if (last.bottom() > s.paperMm.height() + kFitSlackMm)
        return QCoreApplication::translate("LabelSheet", "The labels are taller than the paper.");
    return QString();
}

QList<PlacedLabel> PlaceLabels(const LabelSheet& sheet, int count, int firstRow, int firstColumn,
                               QPointF offsetMm) {
    QList<PlacedLabel> placed;
    const int perSheet = sheet.LabelsPerSheet();
    if (perSheet < 1 || count < 1) return placed;
    const bool inGrid =
        firstRow >= 1 && firstRow <= sheet.rows && firstColumn >= 1 && firstColumn <= sheet.columns;
    int slot = inGrid ? (firstRow - 1) * sheet.columns + (firstColumn - 1) : 0;
    placed.reserve(count);
    for (int i = 0; i < count; ++i, ++slot) {
        PlacedLabel label;
        label.page = slot / perSheet;
        label.row = slot % perSheet / sheet.columns + 1;
        label.column = slot % sheet.columns + 1;
        label.rectMm = sheet.LabelRect(label.row, label.column).translated(offsetMm);
        placed.append(label);
    }
    return placed;
}

QList<EnvelopeLayout> StandardEnvelopes() {
    return {
        LayOutEnvelope(QStringLiteral("DL, 220 x 110 mm"), QSizeF(220, 110)),
        LayOutEnvelope(QStringLiteral("C5, 229 x 162 mm"), QSizeF(229, 162)),
        LayOutEnvelope(QStringLiteral("C4, 324 x 229 mm"), QSizeF(324, 229)),
        LayOutEnvelope(QStringLiteral("US #10, 9.5 x 4.125 in"),
                       QSizeF(9.5 * kMmPerInch, 4.125 * kMmPerInch)),
    };
}

EnvelopeLayout LayOutEnvelope(const QString& name, QSizeF sizeMm) {
    const double w = sizeMm.width(), h = sizeMm.height();
    constexpr double kEdge = 10, kRightEdge = 15, kBottomEdge = 12;
    EnvelopeLayout e;
    e.name = name;
    e.sizeMm = sizeMm;
    const double left = w / 2, top = h / 2; // right of the middle, in the lower half
    e.recipientMm = QRectF(left, top, w - left - kRightEdge, h - top - kBottomEdge);
    e.senderMm = QRectF(kEdge, kEdge, std::max(0.0, w * 0.40 - kEdge), h * 0.30);
    return e;
}
