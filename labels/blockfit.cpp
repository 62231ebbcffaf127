#include "labels/blockfit.h"

#include <QFontMetricsF>
#include <algorithm>
#include <cmath>

namespace {

constexpr double kShrinkStep = 0.5;

double Widest(const QStringList& lines, const QFontMetricsF& fm) {
    double widest = 0;
    for (const QString& line : lines)
        widest = std::max(widest, fm.horizontalAdvance(line));
    return widest;
}

double BlockHeight(qsizetype lines, const QFontMetricsF& fm) {
    return lines < 1 ? 0 : fm.height() + (lines - 1) * fm.lineSpacing();
}

} // namespace

FittedBlock FitBlock(const QStringList& lines, const QFont& font, double minPointSize, QSizeF box,
                     QPaintDevice* device) {
    FittedBlock fitted;
    fitted.font = font;
    double size = font.pointSizeF() > 0 ? font.pointSizeF() : 10;
    minPointSize = std::min(minPointSize, size);
    for (;;) {
        fitted.font.setPointSizeF(size);
        const QFontMetricsF fm(fitted.font, device);
        fitted.lineSpacing = fm.lineSpacing();
        const bool fits =
            Widest(lines, fm) <= box.width() && BlockHeight(lines.size(), fm) <= box.height();
        if (fits) {
            fitted.lines = lines;
            fitted.height = BlockHeight(lines.size(), fm);
            return fitted;
        }
        if (size <= minPointSize) break;
        size = std::max(minPointSize, size - kShrinkStep);
    }
    // At the smallest size: keep the lines that have room, each elided.
    const QFontMetricsF fm(fitted.font, device);
    qsizetype room = 0;
    while (room < lines.size() && BlockHeight(room + 1, fm) <= box.height())
        ++room;
    for (qsizetype i = 0; i < room; ++i)
        fitted.lines.append(fm.elidedText(lines[i], Qt::ElideRight, box.width()));
    fitted.height = BlockHeight(room, fm);
    return fitted;
}
