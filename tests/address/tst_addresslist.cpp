// The party list and loading a party: the list follows every keystroke,
// a picked party comes back with its city and every one of its groups.

#include "addressdriver.h"

#include "data/connmodule.h"
#include "data/statementlog.h"
#include "platform/msgbox.h"
#include "support/scripted.h"
#include "support/testmain.h"

#include <QLabel>

namespace {
QStringList Names(ListView* list) {
    list->Flush();
    QStringList names;
    for (int i = 1; i <= list->Count(); ++i)
        names.append(list->Item(i).Text() + u'/' + list->Item(i).SubItem(1));
    return names;
}
} // namespace

class AddressListTests : public QObject {
    Q_OBJECT
  private slots:
    // Enter on a row while the rest of the list is still being added loads
    // the row that was picked, and the list ends whole.
    void pickedWhileFillingLoadsThePickedRow() {
        TestBook book;
        SeedCity(book, 5, QStringLiteral("NEW DELHI"), QStringLiteral("DELHI"),
                 QStringLiteral("INDIA"));
        SeedNumberedParties(book, QStringLiteral("PARTY"), 1, 1200, 5, 5);
        FrmAdrsMstr1 form;
        OpenWindow(form);
        Click(form.CmdEdt);
        TypeText(QStringLiteral("PARTY"));
        PressEnter(); // to the list, on its first row
        QVERIFY(form.Lstvewadrs->Filling());
        for (int i = 1; i < 50; ++i)
            PressKey(Qt::Key_Down);
        QVERIFY(form.Lstvewadrs->Filling());
        PressEnter();
        Settle();
        QCOMPARE(form.Txtname->text(), QStringLiteral("PARTY 0050"));
        QCOMPARE(form.LblCty->text(), QStringLiteral("NEW DELHI"));
        QCOMPARE(form.Lstvewadrs->Count(), 1200);
        QCOMPARE(form.Lstvewadrs->Item(1200).SubItem(1), QStringLiteral("1200"));
    }

    void listFollowsEveryKeystroke() {
        TestBook book;
        SeedParty(book, 1, QStringLiteral("ZETA AB"), 1);
        SeedParty(book, 2, QStringLiteral("ABACUS"), 1);
        SeedParty(book, 3, QStringLiteral("XYZ"), 1);
        SeedParty(book, 4, QStringLiteral("O'BRIEN"), 1);
        book.Exec(QStringLiteral("update adrsmstr set adrsdelstatus = 1 where adrsid = 3"));
        FrmAdrsMstr1 form;
        OpenWindow(form);
        QStringList statements;
        StatementLog::Watch(&statements);
        Click(form.CmdEdt); // the box was empty already and still fills the list
        QCOMPARE(statements.last(),
                 QStringLiteral("Select adrsname,adrsid from Adrsmstr  where  adrsname like "
                                "'%%' order by adrsname"));
        QCOMPARE(Names(form.Lstvewadrs),
                 (QStringList{"ABACUS/2", "O'BRIEN/4", "XYZ/3", "ZETA AB/1"}));
        TypeText(QStringLiteral("ab"));
        StatementLog::Watch(nullptr);
        QCOMPARE(form.TxtSrchadrs->text(), QStringLiteral("AB"));
        QCOMPARE(Names(form.Lstvewadrs), (QStringList{"ABACUS/2", "ZETA AB/1"}));
        form.TxtSrchadrs->setText(QStringLiteral("O'B"));
        QCOMPARE(Names(form.Lstvewadrs), (QStringList{"O'BRIEN/4"}));
    }

    void loadingFillsFieldsCityAndEveryGroup() {
        TestBook book;
        SeedCity(book, 2, QStringLiteral("OLD TOWN"), QStringLiteral("GOA"),
                 QStringLiteral("INDIA"), 1);
        SeedGroup(book, 1, QStringLiteral("Z RENAMED"));
        SeedGroup(book, 2, QStringLiteral("Q"));
        SeedGroup(book, 3, QStringLiteral("A OTHER"));
        SeedParty(book, 6, QStringLiteral(" ACME "), 2);
        book.Exec(QStringLiteral(
            "update adrsmstr set adrsphno = ' 020 1', adrspin = '411', adrsfax = null "
            "where adrsid = 6"));
        // Linked to groups 1 and 2 in that order; 1 has since been renamed to sort after 2.
        SeedLink(book, 1, 6, 1);
        SeedLink(book, 2, 6, 2);
        FrmAdrsMstr1 form;
        OpenWindow(form);
        ScriptedMsgBoxes boxes;
        Click(form.CmdEdt);
        form.Txtfax->setText(QStringLiteral("FAX BEFORE"));
        TypeText(QStringLiteral("acme"));
        PressEnter();
        QCOMPARE(Focused(), form.Lstvewadrs);
        PressEnter();

        QCOMPARE(form.AdrsId, Integer(6));
        QCOMPARE(form.Txtname->text(), QStringLiteral("ACME"));
        QCOMPARE(form.MskedtPhno->text(), QStringLiteral(" 020 1"));
        QCOMPARE(form.TxtPin->text(), QStringLiteral("411"));
        QCOMPARE(form.Txtfax->text(),
                 QStringLiteral("FAX BEFORE"));                    // a null column leaves the field
        QCOMPARE(form.LblCty->text(), QStringLiteral("OLD TOWN")); // deleted cities still show
        QCOMPARE(form.LblState->text(), QStringLiteral("GOA"));
        QCOMPARE(Ticked(form.LstvewGrup1), (QStringList{"Q", "Z RENAMED"}));
        QCOMPARE(form.CmdSave->text(), QStringLiteral("&Save"));
        QVERIFY(form.CmdDel->isEnabled() && form.Lstvewadrs->isHidden());
        QCOMPARE(form.Width(), 6000);
        QCOMPARE(Focused(), form.Txtname);

        // Saved straight back, the party keeps both memberships.
        Click(form.CmdSave);
        QCOMPARE(boxes.Prompts().last(), QStringLiteral("Record has been updated"));
        QCOMPARE(
            book.Rows(QStringLiteral("select adrsgrupid from adrsgrpdtails order by adrsgrupid")),
            (QList<QStringList>{{"1"}, {"2"}}));
    }

    void changingTheCityThroughTheLabel() {
        TestBook book;
        SeedCity(book, 1, QStringLiteral("PUNE"), QStringLiteral("MAHA"), QStringLiteral("INDIA"));
        SeedCity(book, 2, QStringLiteral("GOA"), QStringLiteral("GOA"), QStringLiteral("INDIA"));
        SeedGroup(book, 1, QStringLiteral("BANKS"));
        SeedParty(book, 1, QStringLiteral("ACME"), 1);
        SeedLink(book, 1, 1, 1);
        FrmAdrsMstr1 form;
        OpenWindow(form);
        ScriptedMsgBoxes boxes;
        LoadParty(form, QStringLiteral("acme"));
        QTest::mouseClick(form.LblCty, Qt::LeftButton);
        QVERIFY(!form.CmbxCty->isHidden());
        form.CmbxCty->setFocus();
        PickCity(form.CmbxCty, QStringLiteral("GOA"));
        QVERIFY(!form.CmbxCty->isHidden()); // the drop-down did not count as leaving
        PressEnter();
        QVERIFY(form.CmbxCty->isHidden());
        QCOMPARE(form.LblCty->text(), QStringLiteral("GOA"));
        QCOMPARE(Focused(), form.MskedtPhno);
        Click(form.CmdSave);
        QCOMPARE(book.Value(QStringLiteral("select adrsctyid from adrsmstr")).toInt(), 2);
    }

    void missingCityNoSelectionAndVanishedParty() {
        TestBook book;
        SeedGroup(book, 1, QStringLiteral("BANKS"));
        SeedParty(book, 3, QStringLiteral("NOWHERE"), 99);
        SeedLink(book, 1, 3, 1);
        FrmAdrsMstr1 form;
        OpenWindow(form);
        ScriptedMsgBoxes boxes;
        LoadParty(form, QStringLiteral("now"));
        QCOMPARE(form.Txtname->text(), QStringLiteral("NOWHERE"));
        QVERIFY(form.LblCty->text().isEmpty());
        // Its groups are shown all the same, and the missing city is said.
        QCOMPARE(Ticked(form.LstvewGrup1), QStringList{QStringLiteral("BANKS")});
        QCOMPARE(boxes.calls.size(), 1);
        QVERIFY2(boxes.Last().prompt.contains(QStringLiteral("city (id 99)")),
                 qPrintable(boxes.Last().prompt));
        boxes.calls.clear();
        QVERIFY(form.CmdDel->isEnabled());

        // A search that lists nothing: Enter in the list does nothing.
        Click(form.CmdEdt);
        TypeText(QStringLiteral("zzz"));
        PressEnter();
        PressEnter();
        QVERIFY(!form.Lstvewadrs->isHidden());
        QVERIFY(boxes.calls.isEmpty());

        // A party deleted after the list was filled.
        form.TxtSrchadrs->clear();
        book.Exec(QStringLiteral("delete from adrsmstr"));
        form.Lstvewadrs->setFocus();
        PressEnter();
        QCOMPARE(boxes.Prompts(), QStringList{QStringLiteral("No record found")});
        QCOMPARE(boxes.Last().title, form.Caption());
        QVERIFY(!form.Lstvewadrs->isHidden());
    }
};

ADRSBOOK_TEST(AddressListTests)
#include "tst_addresslist.moc"
