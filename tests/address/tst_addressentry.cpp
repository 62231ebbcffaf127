// The address master's entry side: the Enter chain and its conditions,
// upper-casing, selection on focus, the city picker, the group checklist,
// the buttons and the two layouts.

#include "addressdriver.h"

#include "app/frmmainmdi.h"
#include "data/connmodule.h"
#include "platform/msgbox.h"
#include "support/scripted.h"
#include "support/testmain.h"

#include <QAction>
#include <QGroupBox>
#include <QLabel>

class AddressEntryTests : public QObject {
    Q_OBJECT
  private slots:
    void opensFromTheMenuNarrowAndLocked() {
        TestBook book;
        FrmMainMdi main;
        main.show();
        QVERIFY(QTest::qWaitForWindowActive(&main));
        main.adrs->trigger();
        Settle();
        FrmAdrsMstr1* form = main.Child<FrmAdrsMstr1>();
        QVERIFY(form);
        QCOMPARE(form->Caption(), QStringLiteral("NAME OF THE USER COMPANY (ADDRESS MASTER)"));
        QCOMPARE(form->Width(), 6000);
        QCOMPARE(form->Height(), 9495);
        QCOMPARE(form->Top(), 0);
        QCOMPARE(form->CmdSave->text(), QStringLiteral("&New"));
        QCOMPARE(form->CmdEdt->text(), QStringLiteral("&Edit"));
        QVERIFY(!form->CmdDel->isEnabled());
        QVERIFY(!form->FrameAdrs->isEnabled());
    }

    void enterChainWithItsConditions() {
        TestBook book;
        SeedCity(book, 1, QStringLiteral("PUNE"), QStringLiteral("MAHA"), QStringLiteral("INDIA"));
        SeedCity(book, 2, QStringLiteral("GONE"), QStringLiteral("X"), QStringLiteral("Y"), 1);
        SeedCity(book, 3, QStringLiteral("O'HARE"), QStringLiteral("IL"), QStringLiteral("USA"));
        SeedGroup(book, 7, QStringLiteral("TRADERS"));
        SeedGroup(book, 3, QStringLiteral("BANKS"));
        FrmAdrsMstr1 form;
        OpenWindow(form);
        ScriptedMsgBoxes boxes;

        Click(form.CmdSave);
        QCOMPARE(form.CmdSave->text(), QStringLiteral("&Save"));
        QCOMPARE(form.CmdEdt->text(), QStringLiteral("&Cancel"));
        QVERIFY(form.NewEntry && form.FrameAdrs->isEnabled());
        QVERIFY(!form.CmbxCty->isHidden() && form.LblCty->isHidden());
        QCOMPARE(Focused(), form.Txtname);
        TypeText(QStringLiteral("acme ltd"));
        QCOMPARE(form.Txtname->text(), QStringLiteral("ACME LTD"));
        for (QLineEdit* next : {form.TxtCntact, form.TxtAddrs, form.Txtarea, form.Txtland}) {
            PressEnter();
            QCOMPARE(Focused(), next);
        }
        TypeText(QStringLiteral("x"));
        QCOMPARE(form.Txtland->text(), QStringLiteral("X"));

        PressEnter(); // the checklist, filled in name order
        QCOMPARE(Focused(), form.LstvewGrup1);
        QCOMPARE(form.LstvewGrup1->Count(), 2);
        QCOMPARE(form.LstvewGrup1->Item(1).Text(), QStringLiteral("BANKS"));
        QCOMPARE(form.LstvewGrup1->Item(1).SubItem(1), QStringLiteral("3"));
        PressEnter(); // nothing ticked
        QCOMPARE(boxes.Prompts(),
                 QStringList{QStringLiteral("Please select atleat on group to proceed further")});
        QCOMPARE(boxes.Last().Icon(), int(vbInformation));
        QCOMPARE(boxes.Last().title, form.Caption());
        QCOMPARE(Focused(), form.LstvewGrup1);

        ToggleRow(form.LstvewGrup1, 2);
        PressEnter(); // on to the city, whose list holds the live cities only
        QCOMPARE(Focused(), form.CmbxCty);
        QCOMPARE(form.CmbxCty->count(), 2);
        QCOMPARE(form.CmbxCty->findText(QStringLiteral("GONE")), -1);
        PressEnter(); // an empty combo goes nowhere
        QCOMPARE(Focused(), form.CmbxCty);
        PickCity(form.CmbxCty, QStringLiteral("O'HARE"));
        QCOMPARE(form.LblState->text(), QStringLiteral("IL"));
        QCOMPARE(form.LblContry->text(), QStringLiteral("USA"));
        QCOMPARE(form.CtyId, Integer(3));

        // The phone fields select from the third character on.
        form.MskedtPhno->setText(QStringLiteral("0201234567"));
        form.MskedtMobNo->setText(QStringLiteral("98"));
        PressEnter();
        QCOMPARE(Focused(), form.MskedtPhno);
        QCOMPARE(form.MskedtPhno->selectionStart(), 2);
        QCOMPARE(form.MskedtPhno->selectedText(), QStringLiteral("01234567"));
        PressEnter();
        QCOMPARE(Focused(), form.MskedtMobNo);
        QVERIFY(!form.MskedtMobNo->hasSelectedText());
        PressEnter();
        QCOMPARE(Focused(), form.CmdSave);
        QCOMPARE(boxes.calls.size(), 1);
    }

    void cityTypedOrUnmatchedLeavesTheCityAsItWas() {
        TestBook book;
        SeedCity(book, 1, QStringLiteral("PUNE"), QStringLiteral("MAHA"), QStringLiteral("INDIA"));
        SeedCity(book, 2, QStringLiteral("NASIK"), QStringLiteral("MAHA"), QStringLiteral("INDIA"));
        SeedGroup(book, 1, QStringLiteral("BANKS"));
        FrmAdrsMstr1 form;
        OpenWindow(form);
        Click(form.CmdSave);
        form.CmbxCty->setFocus();
        PickCity(form.CmbxCty, QStringLiteral("PUNE"));
        QCOMPARE(form.CtyId, Integer(1));

        // NASIK is in the list but its row has gone since the list was filled.
        book.Exec(QStringLiteral("delete from cscmstr where ctyid = 2"));
        PickCity(form.CmbxCty, QStringLiteral("NASIK"));
        QCOMPARE(form.CtyId, Integer(1));
        QCOMPARE(form.LblState->text(), QStringLiteral("MAHA"));

        // A typed name is not looked up; Enter moves on to the land line.
        form.CmbxCty->setEditText(QString());
        TypeText(QStringLiteral("Nasik"));
        PressEnter();
        QCOMPARE(Focused(), form.MskedtPhno);
        QCOMPARE(form.CtyId, Integer(1));
    }

    void checklistReloadsOnEveryFocusOfANewEntry() {
        TestBook book;
        SeedGroup(book, 1, QStringLiteral("BANKS"));
        FrmAdrsMstr1 form;
        OpenWindow(form);
        Click(form.CmdSave);
        form.LstvewGrup1->setFocus();
        ToggleRow(form.LstvewGrup1, 1);
        QVERIFY(form.LstvewGrup1->Item(1).Checked());
        form.Txtname->setFocus();
        form.LstvewGrup1->setFocus();
        QVERIFY(!form.LstvewGrup1->Item(1).Checked());
    }

    void editAndCancelSwitchLayouts() {
        TestBook book;
        FrmAdrsMstr1 form;
        OpenWindow(form);
        Click(form.CmdSave);
        Click(form.CmdEdt); // Cancel after New keeps add mode
        QCOMPARE(form.CmdSave->text(), QStringLiteral("&Save"));
        QCOMPARE(form.CmdEdt->text(), QStringLiteral("&Edit"));
        QVERIFY(form.NewEntry);
        QCOMPARE(Focused(), form.Txtname);

        Click(form.CmdEdt);
        QCOMPARE(form.Width(), 10665);
        QVERIFY(!form.Lstvewadrs->isHidden());
        QVERIFY(form.CmbxCty->isHidden() && !form.LblCty->isHidden());
        QCOMPARE(Focused(), form.TxtSrchadrs);
        QCOMPARE(form.CmdEdt->text(), QStringLiteral("&Cancel"));
        QVERIFY(!form.NewEntry);
        Click(form.CmdEdt);
        QCOMPARE(form.Width(), 6000);
        QVERIFY(form.Lstvewadrs->isHidden());
        QCOMPARE(form.CmdEdt->text(), QStringLiteral("&Edit"));
    }
};

ADRSBOOK_TEST(AddressEntryTests)
#include "tst_addressentry.moc"
