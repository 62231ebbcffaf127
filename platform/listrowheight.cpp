#include "platform/listrowheight.h"

#include "platform/lineheight.h"

#include <QFontMetrics>

bool HasTallScript(const QString& text) {
    for (const QChar c : text)
        if (c.unicode() >= 0x0900 && c.unicode() <= 0x0DFF) return true;
    return false;
}

QSize RowHeightDelegate::sizeHint(const QStyleOptionViewItem& option,
                                  const QModelIndex& index) const {
    QSize size = QStyledItemDelegate::sizeHint(option, index);
    if (tall)
        size.rheight() +=
            std::max(0, ScriptLineHeight(option.font) - QFontMetrics(option.font).height());
    return size;
}
