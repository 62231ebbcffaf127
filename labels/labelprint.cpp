#include "labels/labelprint.h"

#include "labels/blockfit.h"
#include "printing/sticker.h"

#include <QFontMetricsF>
#include <QPageSize>
#include <QPainter>
#include <QPrinter>
#include <algorithm>

namespace {

constexpr double kSenderScale = 0.8;

class MmPainter {
  public:
    explicit MmPainter(QPrinter* printer)
        : printer_(printer), perMm_(printer->resolution() / kMmPerInch) {}
    bool Begin() { return painter_.begin(printer_); }
    void End() { painter_.end(); }
    bool NewPage() { return printer_->newPage(); }

    // Every label of the sheet where the sheet has it, in light grey.
    void Outlines(const LabelSheet& sheet) {
        painter_.save();
        painter_.setPen(QPen(QColor(200, 200, 200), 0));
        for (int row = 1; row <= sheet.rows; ++row)
            for (int column = 1; column <= sheet.columns; ++column)
                painter_.drawRect(ToPx(sheet.LabelRect(row, column)));
        painter_.restore();
    }

    QRectF ToPx(const QRectF& mm) const {
        return QRectF(mm.x() * perMm_, mm.y() * perMm_, mm.width() * perMm_, mm.height() * perMm_);
    }

    // The lines inside `boxMm`, left aligned, centred down the box or from
    // its top. Clipped to `clipMm` so nothing reaches a neighbour.
    void Block(const QStringList& lines, const QFont& font, const QRectF& boxMm,
               const QRectF& clipMm, bool centred) {
        const QRectF box = ToPx(boxMm);
        const FittedBlock fitted = FitBlock(lines, font, kSmallestPointSize, box.size(), printer_);
        if (fitted.lines.isEmpty()) return;
        painter_.save();
        painter_.setClipRect(ToPx(clipMm));
        painter_.setFont(fitted.font);
        const QFontMetricsF fm(fitted.font, printer_);
        double top = box.top();
        if (centred) top += (box.height() - fitted.height) / 2;
        double baseline = top + fm.ascent();
        for (const QString& line : fitted.lines) {
            painter_.drawText(QPointF(box.left(), baseline), line);
            baseline += fitted.lineSpacing;
        }
        painter_.restore();
    }

  private:
    QPrinter* printer_;
    double perMm_;
    QPainter painter_;
};

// The printable inside of a label: a little in from each edge.
QRectF Inside(const QRectF& label) {
    const double across = std::min(4.0, label.width() * 0.06);
    const double down = std::min(2.0, label.height() * 0.06);
    return label.adjusted(across, down, -across, -down);
}

QList<QStringList> Blocks(const QList<AddressBlock>& parties, int copies, const LabelStyle& style) {
    QList<QStringList> blocks;
    for (const AddressBlock& party : parties) {
        const QStringList lines = AddressBlockLines(party, style.attention, style.phone);
        for (int i = 0; i < copies; ++i)
            blocks.append(lines);
    }
    return blocks;
}

} // namespace

void PreparePrinter(QPrinter* printer, const QString& name, QSizeF paperMm,
                    QPageLayout::Orientation orientation) {
    // Page sizes are given portrait; the orientation turns them.
    const QSizeF portrait(std::min(paperMm.width(), paperMm.height()),
                          std::max(paperMm.width(), paperMm.height()));
    printer->setFullPage(true);
    printer->setPageLayout(
        QPageLayout(QPageSize(portrait, QPageSize::Millimeter, name, QPageSize::ExactMatch),
                    orientation, QMarginsF(0, 0, 0, 0), QPageLayout::Millimeter));
}

int PrintLabelSheet(QPrinter* printer, const LabelSheet& sheet, const QList<AddressBlock>& parties,
                    int copies, int firstRow, int firstColumn, const LabelStyle& style) {
    const QList<QStringList> blocks = Blocks(parties, copies, style);
    const QList<PlacedLabel> placed =
        PlaceLabels(sheet, static_cast<int>(blocks.size()), firstRow, firstColumn, style.offsetMm);
    MmPainter painter(printer);
    if (!painter.Begin()) return 0;
    int page = 0;
    if (style.outlines) painter.Outlines(sheet);
    for (qsizetype i = 0; i < placed.size(); ++i) {
        while (page < placed[i].page) {
            painter.NewPage();
            if (style.outlines) painter.Outlines(sheet);
            ++page;
        }
        const QRectF label = placed[i].rectMm;
        painter.Block(blocks[i], style.font, Inside(label), label, true);
    }
    painter.End();
    return placed.isEmpty() ? 1 : page + 1;
}

int PrintEnvelopes(QPrinter* printer, const EnvelopeLayout& envelope,
                   const QList<AddressBlock>& parties, int copies, const QStringList& senderLines,
                   const LabelStyle& style) {
    const QList<QStringList> blocks = Blocks(parties, copies, style);
    MmPainter painter(printer);
    if (!painter.Begin()) return 0;
    QFont senderFont = style.font;
    senderFont.setPointSizeF(std::max(kSmallestPointSize, style.font.pointSizeF() * kSenderScale));
    for (qsizetype i = 0; i < blocks.size(); ++i) {
        if (i > 0) painter.NewPage();
        const QRectF recipient = envelope.recipientMm.translated(style.offsetMm);
        const QRectF sender = envelope.senderMm.translated(style.offsetMm);
        if (!senderLines.isEmpty()) painter.Block(senderLines, senderFont, sender, sender, false);
        painter.Block(blocks[i], style.font, recipient, recipient, false);
    }
    painter.End();
    return static_cast<int>(std::max<qsizetype>(1, blocks.size()));
}
