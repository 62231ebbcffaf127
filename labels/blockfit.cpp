#include "labels/blockfit.h"

#include <QTextLayout>
#include <algorithm>
#include <cmath>

namespace {

constexpr double kShrinkStep = 0.5;
constexpr double kDefaultPointSize = 10;
// A block that needs a size this much above the one printed fits without
// being measured again: widths grow in proportion to the size, give or take
// the hinting of a pixel.
constexpr double kSureMargin = 1.02;

// Left out first when a block does not fit: what a letter reaches its
// addressee without. The last two only when the block is cut short.
constexpr BlockPart kLeastImportant[] = {BlockPart::Phone, BlockPart::Attention,
                                         BlockPart::LandMark};
constexpr BlockPart kCutShort[] = {BlockPart::Area, BlockPart::Address};

QList<BlockLine> Without(QList<BlockLine> block, BlockPart part) {
    block.removeIf([part](const BlockLine& line) { return line.part == part; });
    return block;
}

} // namespace

BlockFitter::BlockFitter(const QFont& font, QSizeF box, QPaintDevice* device)
    : font_(font), box_(box), device_(device), fm_(font, device) {
    SetPointSize(font.pointSizeF() > 0 ? font.pointSizeF() : kDefaultPointSize);
}

void BlockFitter::SetPointSize(double size) {
    if (size == font_.pointSizeF() && !widths_.isEmpty()) return;
    font_.setPointSizeF(size);
    fm_ = QFontMetricsF(font_, device_);
    widths_.clear();
}

double BlockFitter::Height(qsizetype lines) const {
    return lines < 1 ? 0 : fm_.height() + (lines - 1) * fm_.lineSpacing();
}

// Blocks repeat many of their lines (areas, cities): each is measured once.
double BlockFitter::Width(const QString& text) const {
    auto at = widths_.constFind(text);
    if (at == widths_.cend()) at = widths_.insert(text, fm_.horizontalAdvance(text));
    return *at;
}

bool BlockFitter::FitsUnwrapped(const QList<BlockLine>& block) const {
    if (Height(block.size()) > box_.height()) return false;
    return std::all_of(block.cbegin(), block.cend(),
                       [&](const BlockLine& line) { return Width(line.text) <= box_.width(); });
}

bool BlockFitter::Roomy(double neededSize) const {
    return neededSize >= font_.pointSizeF() * kSureMargin;
}

double BlockFitter::NeededSize(const QList<BlockLine>& block) const {
    const double size = font_.pointSizeF();
    double needed = size * box_.height() / std::max(1.0, Height(block.size()));
    for (const BlockLine& line : block)
        needed = std::min(needed, size * box_.width() / std::max(1.0, Width(line.text)));
    return needed;
}

void BlockFitter::ShrinkTo(const QList<QList<BlockLine>>& blocks, const QList<double>& needed,
                           double minPointSize) {
    const double start = font_.pointSizeF();
    const double smallest = std::min(minPointSize, start);
    const double least =
        needed.isEmpty() ? start : *std::min_element(needed.cbegin(), needed.cend());
    // Below the least size needed by a margin, every block fits for sure.
    double size = start;
    if (least < start)
        size = std::max(smallest, std::floor(least / kSureMargin / kShrinkStep) * kShrinkStep);
    SetPointSize(size);
    // At the starting size, a block near its limit is measured: hinting
    // makes the proportion a near one. Go on down while one is too big.
    QList<const QList<BlockLine>*> tooBig;
    for (qsizetype i = 0; i < blocks.size(); ++i)
        if (!Roomy(needed.value(i)) && !FitsUnwrapped(blocks[i])) tooBig.append(&blocks[i]);
    while (!tooBig.isEmpty() && size > smallest) {
        size = std::max(smallest, size - kShrinkStep);
        SetPointSize(size);
        tooBig.removeIf([this](const QList<BlockLine>* block) { return FitsUnwrapped(*block); });
    }
}

QList<double> BlockFitter::ShrinkFor(const QList<QList<BlockLine>>& blocks, double minPointSize) {
    QList<double> needed;
    needed.reserve(blocks.size());
    for (const QList<BlockLine>& block : blocks)
        needed.append(NeededSize(block));
    ShrinkTo(blocks, needed, minPointSize);
    return needed;
}

QStringList BlockFitter::Wrapped(const QList<BlockLine>& block) const {
    QStringList lines;
    QTextOption option;
    option.setWrapMode(QTextOption::WrapAtWordBoundaryOrAnywhere);
    for (const BlockLine& line : block) {
        QTextLayout layout(line.text, font_, device_);
        layout.setTextOption(option);
        layout.beginLayout();
        for (QTextLine part = layout.createLine(); part.isValid(); part = layout.createLine()) {
            part.setLineWidth(box_.width());
            lines.append(line.text.mid(part.textStart(), part.textLength()).trimmed());
        }
        layout.endLayout();
    }
    return lines;
}

QStringList BlockFitter::Elided(const QList<BlockLine>& block) const {
    QStringList lines;
    for (const BlockLine& line : block)
        if (Height(lines.size() + 1) <= box_.height())
            lines.append(fm_.elidedText(line.text, Qt::ElideRight, box_.width()));
    return lines;
}

FittedBlock BlockFitter::Fit(const QList<BlockLine>& block, double neededSize) const {
    FittedBlock fitted;
    QList<BlockLine> kept = block;
    if (Roomy(neededSize) || FitsUnwrapped(kept)) {
        for (const BlockLine& line : kept)
            fitted.lines.append(line.text);
        return fitted;
    }
    for (qsizetype left = 0;; ++left) {
        const QStringList wrapped = Wrapped(kept);
        if (Height(wrapped.size()) <= box_.height()) {
            fitted.lines = wrapped;
            fitted.cutShort = left > qsizetype(std::size(kLeastImportant));
            return fitted;
        }
        if (left < qsizetype(std::size(kLeastImportant)))
            kept = Without(kept, kLeastImportant[left]);
        else if (left < qsizetype(std::size(kLeastImportant) + std::size(kCutShort)))
            kept = Without(kept, kCutShort[left - std::size(kLeastImportant)]);
        else
            break;
    }
    // The name and the city line alone, on a line each.
    fitted.cutShort = true;
    fitted.lines = Elided(kept);
    return fitted;
}
