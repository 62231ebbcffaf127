#pragma once
// A list's rows are one line of its font high, as its first row measures.
// Devanagari and Gurmukhi signs reach above and below that line: once a
// list holds such text its rows take the height of their taller line, and
// go back to the plain height when the list is cleared.

#include <QStyledItemDelegate>

// Whether the text holds letters of the Indian scripts (Devanagari to
// Sinhala), drawn taller than the Latin line.
bool HasTallScript(const QString& text);
bool HasTallScript(QUtf8StringView text);

class RowHeightDelegate : public QStyledItemDelegate {
  public:
    using QStyledItemDelegate::QStyledItemDelegate;
    QSize sizeHint(const QStyleOptionViewItem& option, const QModelIndex& index) const override;
    bool tall = false; // the list holds text of those scripts
};
