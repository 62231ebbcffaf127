#include "platform/lineheight.h"

#include <QFontMetrics>
#include <QLabel>
#include <QTextLayout>
#include <cmath>

namespace {
// Letters with the signs that reach highest and lowest: Latin capitals with
// accents and descenders, Devanagari i, ii, candrabindu, vocalic r, reph
// and virama, Gurmukhi i, ii, tippi, uu and a subjoined ra.
const QString kSample = QStringLiteral(
    u"\u00C1gjy \u0915\u093F \u0915\u0940 \u0915\u0901 \u0915\u0943 \u0930\u094D\u0915 "
    u"\u0915\u094D\u0937 \u0A15\u0A3F \u0A15\u0A40 \u0A15\u0A70 \u0A15\u0A42 \u0A2A\u0A4D\u0A30");
} // namespace

int ScriptLineHeight(const QFont& font) {
    QTextLayout layout(kSample, font);
    layout.beginLayout();
    const QTextLine line = layout.createLine();
    layout.endLayout();
    return int(std::ceil(line.ascent()) + std::ceil(line.descent()));
}

int LineBoxHeight(const QWidget* box) {
    const int line = ScriptLineHeight(box->font());
    // A label draws its text centred in what its frame leaves; a text box
    // (and a combo box's) keeps the room its own font asks for and needs
    // the taller line's excess on top of it.
    if (qobject_cast<const QLabel*>(box))
        return box->height() - box->contentsRect().height() + line;
    return box->sizeHint().height() + std::max(0, line - QFontMetrics(box->font()).height());
}

void FitLineHeights(const QList<QWidget*>& boxes) {
    for (QWidget* box : boxes) {
        const int needed = LineBoxHeight(box);
        if (needed > box->height()) box->resize(box->width(), needed);
    }
}
