#include "labels/labelprint.h"

#include "labels/blockfit.h"

#include <QCoreApplication>
#include <QFontMetricsF>
#include <QLocale>
#include <QPageSize>
#include <QPainter>
#include <QPrinter>
#include <algorithm>

namespace {

constexpr double kSenderScale = 0.8;

QSizeF ToPx(QSizeF mm, const QPaintDevice* device) {
    return QSizeF(mm.width() * device->logicalDpiX() / kMmPerInch,
                  mm.height() * device->logicalDpiY() / kMmPerInch);
}

class MmPainter {
  public:
    explicit MmPainter(QPrinter* printer)
        : printer_(printer), perMm_(printer->resolution() / kMmPerInch) {}
    bool Begin() { return painter_.begin(printer_); }
    void End() { painter_.end(); }
    bool NewPage() { return printer_->newPage(); }
    // Stops the job: a printer throws away what it was sent, a file is left unfinished.
    void Abort() {
        printer_->abort();
        if (painter_.isActive()) painter_.end();
    }

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
        if (lines.isEmpty()) return;
        const QRectF box = ToPx(boxMm);
        painter_.save();
        painter_.setClipRect(ToPx(clipMm));
        painter_.setFont(font);
        const QFontMetricsF fm(font, printer_);
        const double height = fm.height() + (lines.size() - 1) * fm.lineSpacing();
        double top = box.top();
        if (centred) top += std::max(0.0, (box.height() - height) / 2);
        double baseline = top + fm.ascent();
        for (const QString& line : lines) {
            painter_.drawText(QPointF(box.left(), baseline), line);
            baseline += fm.lineSpacing();
        }
        painter_.restore();
    }

  private:
    QPrinter* printer_;
    double perMm_;
    QPainter painter_;
};

// Calls the progress now and then rather than for every label.
class Steps {
  public:
    Steps(const LabelProgress& progress, int total) : progress_(progress), total_(total) {}
    bool Go(int done) {
        if (!progress_ || (done % kEvery != 0 && done != total_)) return true;
        return progress_(done, total_);
    }

  private:
    static constexpr int kEvery = 16;
    const LabelProgress& progress_;
    int total_;
};

} // namespace

QList<BlockLine> LabelLines(const AddressBlock& party, const LabelStyle& style) {
    QList<BlockLine> lines = AddressBlockParts(party, style.attention, style.phone);
    const QString pin = party.pin.trimmed();
    if (pin.isEmpty()) return lines;
    for (BlockLine& line : lines) {
        if (line.part != BlockPart::City) continue;
        const QString city = party.city.trimmed();
        const qsizetype after =
            !city.isEmpty() && line.text.startsWith(city) ? city.size() : line.text.size();
        line.text.insert(after, QStringLiteral(" - ") + pin);
    }
    return lines;
}

QRectF LabelTextBox(const QRectF& label) {
    const double across = std::min(4.0, label.width() * 0.06);
    const double down = std::min(2.0, label.height() * 0.06);
    return label.adjusted(across, down, -across, -down);
}

std::optional<LabelRun> FitRun(const QList<AddressBlock>& parties, const LabelStyle& style,
                               QSizeF boxMm, QPaintDevice* device, const LabelProgress& progress) {
    const int count = int(parties.size());
    Steps steps(progress, 2 * count);
    BlockFitter fitter(style.font, ToPx(boxMm, device), device);
    QList<QList<BlockLine>> blocks;
    QList<double> needed;
    blocks.reserve(count);
    needed.reserve(count);
    for (const AddressBlock& party : parties) {
        blocks.append(LabelLines(party, style));
        needed.append(fitter.NeededSize(blocks.last()));
        if (!steps.Go(int(blocks.size()))) return std::nullopt;
    }
    fitter.ShrinkTo(blocks, needed, kSmallestPointSize);
    LabelRun run;
    run.font = fitter.Font();
    run.blocks.reserve(count);
    for (int i = 0; i < count; ++i) {
        const FittedBlock fitted = fitter.Fit(blocks[i], needed[i]);
        run.blocks.append(fitted.lines);
        if (fitted.cutShort) run.cutShort.append(parties[i].name);
        if (!steps.Go(count + i + 1)) return std::nullopt;
    }
    return run;
}

int SheetPages(const LabelSheet& sheet, int labels, int firstRow, int firstColumn) {
    const int perSheet = sheet.LabelsPerSheet();
    if (perSheet < 1 || labels < 1) return 1;
    const QList<PlacedLabel> first = PlaceLabels(sheet, 1, firstRow, firstColumn);
    const int slot = (first.first().row - 1) * sheet.columns + first.first().column - 1;
    return (slot + labels - 1) / perSheet + 1;
}

QString PageCount(int pages) {
    const QString number = QLocale(QLocale::English).toString(pages);
    return pages == 1 ? QCoreApplication::translate("LabelPrint", "1 page")
                      : QCoreApplication::translate("LabelPrint", "%1 pages").arg(number);
}

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

int PrintLabelSheet(QPrinter* printer, const LabelSheet& sheet, const LabelRun& run, int copies,
                    int firstRow, int firstColumn, const LabelStyle& style,
                    const LabelProgress& progress) {
    const int count = int(run.blocks.size()) * std::max(0, copies);
    const QList<PlacedLabel> placed =
        PlaceLabels(sheet, count, firstRow, firstColumn, style.offsetMm);
    MmPainter painter(printer);
    if (!painter.Begin()) return 0;
    Steps steps(progress, count);
    int page = 0;
    if (style.outlines) painter.Outlines(sheet);
    for (int i = 0; i < placed.size(); ++i) {
        while (page < placed[i].page) {
            painter.NewPage();
            if (style.outlines) painter.Outlines(sheet);
            ++page;
        }
        const QRectF label = placed[i].rectMm;
        painter.Block(run.blocks[i / copies], run.font, LabelTextBox(label), label, true);
        if (!steps.Go(i + 1)) {
            painter.Abort();
            return -1;
        }
    }
    painter.End();
    return page + 1;
}

int PrintEnvelopes(QPrinter* printer, const EnvelopeLayout& envelope, const LabelRun& run,
                   int copies, const QStringList& senderLines, const LabelStyle& style,
                   const LabelProgress& progress) {
    const int count = int(run.blocks.size()) * std::max(0, copies);
    MmPainter painter(printer);
    if (!painter.Begin()) return 0;
    const QRectF recipient = envelope.recipientMm.translated(style.offsetMm);
    const QRectF sender = envelope.senderMm.translated(style.offsetMm);
    QFont senderFont = style.font;
    senderFont.setPointSizeF(std::max(kSmallestPointSize, style.font.pointSizeF() * kSenderScale));
    QList<BlockLine> senderBlock;
    for (const QString& line : senderLines)
        senderBlock.append({senderBlock.isEmpty() ? BlockPart::Name : BlockPart::Address, line});
    BlockFitter senderFitter(senderFont, ToPx(sender.size(), printer), printer);
    senderFitter.ShrinkFor({senderBlock}, kSmallestPointSize);
    const QStringList fittedSender = senderFitter.Fit(senderBlock).lines;
    Steps steps(progress, count);
    for (int i = 0; i < count; ++i) {
        if (i > 0) painter.NewPage();
        painter.Block(fittedSender, senderFitter.Font(), sender, sender, false);
        painter.Block(run.blocks[i / copies], run.font, recipient, recipient, false);
        if (!steps.Go(i + 1)) {
            painter.Abort();
            return -1;
        }
    }
    painter.End();
    return std::max(1, count);
}
