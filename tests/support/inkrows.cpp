#include "support/inkrows.h"

#include <QImage>
#include <QLabel>
#include <QLineEdit>
#include <QSignalBlocker>
#include <QTreeView>
#include <memory>

namespace {

QString TextOf(const QWidget* box) {
    if (auto* edit = qobject_cast<const QLineEdit*>(box)) return edit->text();
    if (auto* label = qobject_cast<const QLabel*>(box)) return label->text();
    return QString();
}

void Put(QWidget* box, const QString& text) {
    const QSignalBlocker quiet(box);
    if (auto* edit = qobject_cast<QLineEdit*>(box)) {
        edit->setText(text);
        edit->setCursorPosition(0);
    } else if (auto* label = qobject_cast<QLabel*>(box)) {
        label->setText(text);
    }
}

} // namespace

int InkRows(QWidget* box, const QString& text) {
    const QString was = TextOf(box);
    Put(box, QString());
    const QImage blank = box->grab().toImage();
    Put(box, text);
    const QImage drawn = box->grab().toImage();
    Put(box, was);
    int rows = 0;
    for (int y = 0; y < drawn.height(); ++y)
        for (int x = 0; x < drawn.width(); ++x)
            if (drawn.pixel(x, y) != blank.pixel(x, y)) {
                ++rows;
                break;
            }
    return rows;
}

bool ShowsWhole(QWidget* box, const QString& text) {
    std::unique_ptr<QWidget> roomy;
    if (auto* label = qobject_cast<QLabel*>(box)) {
        auto* copy = new QLabel;
        copy->setFrameStyle(label->frameStyle());
        copy->setIndent(label->indent());
        copy->setAlignment(label->alignment());
        roomy.reset(copy);
    } else {
        roomy = std::make_unique<QLineEdit>();
    }
    roomy->setFont(box->font());
    roomy->resize(box->width(), box->height() * 3);
    return InkRows(box, text) == InkRows(roomy.get(), text);
}

bool RowShowsWhole(QTreeView* list, int row) {
    const QModelIndex cell = list->model()->index(row, 0);
    const QImage image = list->viewport()->grab().toImage();
    const QRect rect = list->visualRect(cell) & image.rect();
    const QRgb base = list->palette().color(QPalette::Base).rgb();
    auto inked = [&](int y) {
        for (int x = rect.left(); x <= rect.right(); ++x)
            if (image.pixel(x, y) != base) return true;
        return false;
    };
    int rows = 0;
    for (int y = rect.top(); y <= rect.bottom(); ++y)
        rows += inked(y);
    // Drawn whole, the text keeps off the row's edges; cut there, it
    // reaches them (the renderers of a label and a list may place the line
    // a fraction of a pixel apart: one row either way).
    QLabel roomy;
    roomy.setFont(list->font());
    roomy.resize(rect.width() * 2, rect.height() * 3);
    return !inked(rect.top()) && !inked(rect.bottom()) &&
           rows >= InkRows(&roomy, cell.data().toString()) - 1;
}
