#include "platform/limitedtextedit.h"

#include <QMimeData>
#include <QTextCursor>

LimitedTextEdit::LimitedTextEdit(int maxLength, QWidget* parent)
    : QPlainTextEdit(parent), maxLength_(maxLength) {
    connect(this, &QPlainTextEdit::textChanged, this, &LimitedTextEdit::TakeBackOverflow);
}

QString LimitedTextEdit::Fitted(const QString& text, int maxLength) {
    if (text.size() <= maxLength) return text;
    QString fitted = text.left(qMax(0, maxLength));
    if (!fitted.isEmpty() && fitted.back().isHighSurrogate()) fitted.chop(1);
    return fitted;
}

void LimitedTextEdit::insertFromMimeData(const QMimeData* source) {
    if (!source || !source->hasText()) return;
    QTextCursor cursor = textCursor();
    const int held = document()->characterCount() - 1;
    const int selected = cursor.selectionEnd() - cursor.selectionStart();
    const QString piece = Fitted(source->text(), maxLength_ - (held - selected));
    if (piece.isEmpty() && selected == 0) return;
    cursor.insertText(piece);
    setTextCursor(cursor);
    ensureCursorVisible();
}

void LimitedTextEdit::TakeBackOverflow() {
    const int overflow = document()->characterCount() - 1 - maxLength_;
    if (overflow <= 0) return;
    QTextCursor cursor = textCursor();
    const int at = cursor.position();
    if (at < overflow) {
        cursor.movePosition(QTextCursor::End);
        cursor.setPosition(maxLength_, QTextCursor::KeepAnchor);
    } else {
        cursor.setPosition(at - overflow);
        cursor.setPosition(at, QTextCursor::KeepAnchor);
    }
    cursor.removeSelectedText();
}
