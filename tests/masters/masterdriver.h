#pragma once
// Driving the master windows as a person does: open from the menu, click
// buttons, double-click list rows, and read the entry colours.

#include "app/frmmainmdi.h"
#include "platform/listview.h"
#include "support/fixture.h"

#include <QAbstractButton>
#include <QDateTime>
#include <QLineEdit>
#include <QTest>

template <class F> F* OpenFromMenu(FrmMainMdi& main, QAction* item) {
    if (!main.isVisible()) ShowAndActivate(&main);
    item->trigger();
    Settle();
    return main.Child<F>();
}

inline void Click(QAbstractButton* button) {
    QTest::mouseClick(button, Qt::LeftButton);
    Settle();
}

inline void DoubleClickRow(ListView* list, const QString& text) {
    list->Flush();
    for (int i = 1; i <= list->Count(); ++i) {
        if (list->Item(i).Text() != text) continue;
        const QPoint at = list->visualRect(list->model()->index(i - 1, 0)).center();
        QTest::mouseClick(list->viewport(), Qt::LeftButton, {}, at);
        QTest::mouseDClick(list->viewport(), Qt::LeftButton, {}, at);
        Settle();
        return;
    }
    QFAIL(qPrintable(QStringLiteral("no row %1 in the list").arg(text)));
}

inline QStringList RowTexts(ListView* list) {
    QStringList texts;
    for (int i = 1; i <= list->Count(); ++i)
        texts.append(list->Item(i).Text());
    return texts;
}

inline bool MarkedEmpty(const QLineEdit* box) {
    return box->palette().color(QPalette::Base) == QColor(255, 255, 0) &&
           box->palette().color(QPalette::Text) == QColor(0, 0, 255);
}

inline bool MarkedFilled(const QLineEdit* box) {
    return box->palette().color(QPalette::Base) == QColor(255, 255, 255) &&
           box->palette().color(QPalette::Text) == QColor(0, 0, 0);
}

// A stamp written by the window between `from` and now.
inline bool StampedSince(const QVariant& stamp, const QDateTime& from) {
    const QDateTime at =
        QDateTime::fromString(stamp.toString(), QStringLiteral("yyyy-MM-dd HH:mm:ss"));
    return at.isValid() && at >= from.addSecs(-1) && at <= QDateTime::currentDateTime().addSecs(1);
}
