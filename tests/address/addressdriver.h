#pragma once
// Seeding the registers and driving the address master as a person does.

#include "address/frmadrsmstr1.h"
#include "platform/listview.h"
#include "support/fixture.h"

#include <QAbstractItemView>
#include <QApplication>
#include <QComboBox>
#include <QLineEdit>
#include <QPushButton>
#include <QTest>

inline void SeedCity(const TestBook& book, int id, const QString& name, const QString& state,
                     const QString& country, int delstatus = 0) {
    book.Exec(
        QStringLiteral("insert into cscmstr (ctyid, ctyname, statename, contryname, delstatus) "
                       "values (%1, '%2', '%3', '%4', %5)")
            .arg(id)
            .arg(QString(name).replace(u'\'', QLatin1String("''")), state, country)
            .arg(delstatus));
}

inline void SeedGroup(const TestBook& book, int id, const QString& name) {
    book.Exec(QStringLiteral("insert into adrsgrupmstr (grpid, grpname) values (%1, '%2')")
                  .arg(id)
                  .arg(name));
}

inline void SeedParty(const TestBook& book, int id, const QString& name, int ctyid) {
    book.Exec(
        QStringLiteral("insert into adrsmstr (adrsid, adrsname, adrs1, adrsctyid, adrsdelstatus) "
                       "values (%1, '%2', 'MAIN ROAD', %3, 0)")
            .arg(id)
            .arg(QString(name).replace(u'\'', QLatin1String("''")))
            .arg(ctyid));
}

inline void SeedLink(const TestBook& book, int linkId, int partyId, int groupId) {
    book.Exec(QStringLiteral("insert into adrsgrpdtails (adrsgrpid, adrsconcrnid, adrsgrupid) "
                             "values (%1, %2, '%3')")
                  .arg(linkId)
                  .arg(partyId)
                  .arg(groupId));
}

// The window on its own, loaded and active.
inline void OpenWindow(FrmAdrsMstr1& form) {
    form.Form_Load();
    ShowAndActivate(&form);
}

inline void Click(QPushButton* button) {
    QTest::mouseClick(button, Qt::LeftButton);
    Settle();
}

// Ticks or unticks the checklist row (1-based) with the keyboard: the
// arrows move to it and the space bar toggles its box.
inline void ToggleRow(ListView* list, int row) {
    list->Flush();
    QTest::keyClick(list, Qt::Key_Home);
    for (int i = 1; i < row; ++i)
        QTest::keyClick(list, Qt::Key_Down);
    QTest::keyClick(list, Qt::Key_Space);
}

// The names of the checklist's ticked rows.
inline QStringList Ticked(ListView* list) {
    QStringList names;
    for (int i = 1; i <= list->Count(); ++i)
        if (list->Item(i).Checked()) names.append(list->Item(i).Text());
    return names;
}

// Opens the focused city combo's list and chooses the entry with that text.
inline void PickCity(QComboBox* combo, const QString& city) {
    combo->showPopup();
    QAbstractItemView* view = combo->view();
    QTRY_VERIFY(view->isVisible());
    const int index = combo->findText(city);
    QVERIFY2(index >= 0, qPrintable(city));
    view->setCurrentIndex(view->model()->index(index, 0));
    QTest::keyClick(view, Qt::Key_Return);
    Settle();
    // The headless platform leaves the closed pop-up as the active window.
    QApplication::setActiveWindow(combo->window());
    QVERIFY(QTest::qWaitForWindowActive(combo->window()));
}

// From the name box along the Enter chain: the name, no contact, the
// address, no area or land mark, the first group ticked; the focus ends on
// the city (or on the land line when the city shows as a label).
inline void TypeEntryUpToCity(FrmAdrsMstr1& form, const QString& name, const QString& address) {
    TypeText(name);
    PressEnter();
    PressEnter();
    TypeText(address);
    PressEnter();
    PressEnter();
    PressEnter();
    ToggleRow(form.LstvewGrup1, 1);
    PressEnter();
}

// New, then the Enter chain through the whole entry: name, contact,
// address, area, land mark, the groups (ticking the given rows), the city
// and both phone numbers; the focus ends on Save.
inline void EnterNewParty(FrmAdrsMstr1& form, const QString& name, const QString& address,
                          const QList<int>& groupRows, const QString& city,
                          const QString& phone = QString(), const QString& mobile = QString()) {
    Click(form.CmdSave);
    TypeText(name);
    PressEnter();
    TypeText(QStringLiteral("contact"));
    PressEnter();
    TypeText(address);
    PressEnter();
    TypeText(QStringLiteral("area"));
    PressEnter();
    TypeText(QStringLiteral("near the park"));
    PressEnter();
    for (int row : groupRows)
        ToggleRow(form.LstvewGrup1, row);
    PressEnter();
    PickCity(form.CmbxCty, city);
    PressEnter();
    TypeText(phone);
    PressEnter();
    TypeText(mobile);
    PressEnter();
}

// Edit, the search text, then Enter in the list on its first row.
inline void LoadParty(FrmAdrsMstr1& form, const QString& search) {
    Click(form.CmdEdt);
    TypeText(search);
    PressEnter();
    form.Lstvewadrs->Flush();
    PressEnter();
    Settle();
}
