#include "platform/listrowheight.h"

#include "platform/lineheight.h"

#include <QFontMetrics>

bool HasTallScript(const QString& text) {
    for (const QChar c : text)
        if (c.unicode() >= 0x0900 && c.unicode() <= 0x0DFF) return true;
    return false;
}

// The same range in UTF-8: a lead byte E0 and a second byte from A4 to B7.
bool HasTallScript(QUtf8StringView text) {
    const auto* p = reinterpret_cast<const unsigned char*>(text.data());
    for (qsizetype i = 0; i + 1 < text.size(); ++i)
        if (p[i] == 0xE0 && p[i + 1] >= 0xA4 && p[i + 1] <= 0xB7) return true;
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
