#pragma once
// Drives the search window as a person does, over a small book of parties.

#include "data/statementlog.h"
#include "platform/listview.h"
#include "search/frmsrchengn.h"
#include "support/fixture.h"

#include <QComboBox>
#include <QLineEdit>
#include <QPointer>
#include <QTest>

// Two cities, two groups and four parties:
//   1 ACME TRADERS  NEW DELHI  group 3 (CUSTOMERS)
//   2 BETA STORES   MUMBAI     group 3
//   3 DELTA CORP    MUMBAI     group 4 (SUPPLIERS)
//   4 ZETA LTD      NEW DELHI  group 4, no contact, mobile or e-mail
inline void SeedBook(const TestBook& book) {
    book.Exec("insert into cscmstr (ctyid, ctyname, statename, contryname, delstatus) values "
              "(5, 'NEW DELHI', 'DELHI', 'INDIA', 0), (7, 'MUMBAI', 'MAHARASHTRA', 'INDIA', 0)");
    book.Exec(
        "insert into adrsgrupmstr (grpid, grpname) values (3, 'CUSTOMERS'), (4, 'SUPPLIERS')");
    book.Exec("insert into adrsmstr (adrsid, adrsname, adrscontact, adrsctyid, adrsphno, "
              "adrsmobno, adrsemail, "
              "adrsdelstatus) values "
              "(1, 'ACME TRADERS', 'RAVI KUMAR', 5, '011-2345', '98100', 'acme@x.in', 0), "
              "(2, 'BETA STORES', 'DELIA ROY', 7, '022-777', '98200', 'beta@y.com', 0), "
              "(3, 'DELTA CORP', 'RAVI SHAH', 7, '022-888', '97300', 'sales@delta.com', 0), "
              "(4, 'ZETA LTD', null, 5, '011-999', null, null, 0)");
    book.Exec("insert into adrsgrpdtails (adrsgrpid, adrsconcrnid, adrsgrupid) values "
              "(1, 1, '3'), (2, 2, '3'), (3, 3, '4'), (4, 4, '4')");
}

// The search window on its own, loaded and active.
struct SearchWindow {
    SearchWindow() : form(new FrmSrchEngn) {
        form->Form_Load();
        ShowAndActivate(form);
    }
    ~SearchWindow() { delete form.data(); }
    FrmSrchEngn* operator->() const { return form; }
    QPointer<FrmSrchEngn> form;
};

// A click into a control, as the mouse gives it the focus.
inline void ClickInto(QWidget* control) {
    if (auto* combo = qobject_cast<QComboBox*>(control)) control = combo->lineEdit();
    QTest::mouseClick(control, Qt::LeftButton);
}

// Replaces the text of the focused box by typing.
inline void Retype(const QString& text) {
    if (QWidget* w = Focused()) QTest::keyClick(w, Qt::Key_A, Qt::ControlModifier);
    PressKey(Qt::Key_Delete);
    TypeText(text);
}

// Group box, Enter, Enter, filter box, Enter: the value box has the focus.
inline void ChooseGroupAndFilter(FrmSrchEngn* form, const QString& group, const QString& filter) {
    ClickInto(form->CmbxGrup1);
    Retype(group);
    PressEnter(); // "Select All Group"
    PressEnter(); // filter box
    Retype(filter);
    PressEnter(); // value box
}

inline QStringList Names(ListView* list) {
    QStringList names;
    for (int i = 1; i <= list->Count(); ++i)
        names.append(list->Item(i).Text());
    return names;
}

// What a result list reads its cities with, once per fill.
inline const QString kCityRead =
    QStringLiteral("Select ctyid,ctyname,Statename,Contryname from cscmstr");

// The statements a window issued, without the reads of the cities.
inline QStringList Searches(const QStringList& log) {
    QStringList out;
    for (const QString& s : log)
        if (s != kCityRead) out.append(s);
    return out;
}

// Collects the statements issued while alive.
struct WatchStatements {
    WatchStatements() { StatementLog::Watch(&log); }
    ~WatchStatements() { StatementLog::Watch(nullptr); }
    QStringList log;
};
