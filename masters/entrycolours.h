#pragma once
// The master windows show a missing entry by colour, without a message: an
// empty required field turns yellow with blue text; a filled one goes back
// to white with black text.

#include <QColor>
#include <QLineEdit>
#include <QPalette>

inline void ColourEntry(QLineEdit* box, const QColor& back, const QColor& fore) {
    QPalette p = box->palette();
    p.setColor(QPalette::Base, back);
    p.setColor(QPalette::Text, fore);
    box->setPalette(p);
}

inline void MarkEmpty(QLineEdit* box) {
    ColourEntry(box, QColor(255, 255, 0), QColor(0, 0, 255));
}
inline void MarkFilled(QLineEdit* box) {
    ColourEntry(box, QColor(255, 255, 255), QColor(0, 0, 0));
}
