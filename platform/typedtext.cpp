#include "platform/typedtext.h"

#include <QLineEdit>

namespace {
const char* const kGuarded = "guardsTypedText";

// The text without half characters and NULs; `cursor` follows the removals.
QString Storable(const QString& text, int& cursor) {
    QString kept;
    kept.reserve(text.size());
    const int at = cursor;
    for (qsizetype i = 0; i < text.size(); ++i) {
        const QChar c = text[i];
        if (c.isHighSurrogate() && i + 1 < text.size() && text[i + 1].isLowSurrogate()) {
            kept += c;
            kept += text[++i];
        } else if (c.isSurrogate() || c.isNull()) {
            if (i < at) --cursor;
        } else {
            kept += c;
        }
    }
    return kept;
}
} // namespace

void GuardTypedText(QLineEdit* box) {
    if (box->property(kGuarded).toBool()) return;
    box->setProperty(kGuarded, true);
    QObject::connect(box, &QLineEdit::textEdited, box, [box](const QString& text) {
        int cursor = box->cursorPosition();
        const QString kept = Storable(text, cursor);
        if (kept.size() == text.size()) return;
        box->setText(kept);
        box->setCursorPosition(cursor);
    });
}

void GuardTypedTextIn(QWidget* window) {
    for (QLineEdit* box : window->findChildren<QLineEdit*>())
        GuardTypedText(box);
}
