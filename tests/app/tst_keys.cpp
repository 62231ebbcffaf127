// The keyboard in the main window: access keys of the active child before
// the menu bar's, the keyboard in a child as soon as it opens, and Enter on
// a focused button.

#include "address/addressdriver.h"
#include "app/frmmainmdi.h"
#include "masters/frmcsc.h"
#include "masters/frmgrupmstr.h"
#include "platform/msgbox.h"
#include "search/frmsrchengn.h"
#include "support/scripted.h"
#include "support/testmain.h"

#include <QMenu>

namespace {
void Alt(int key) {
    QTest::keyClick(Focused(), Qt::Key(key), Qt::AltModifier);
    Settle();
}

struct Desk {
    TestBook book;
    FrmMainMdi main;
    ScriptedMsgBoxes boxes;
    Desk() {
        main.MDIForm_Load();
        ShowAndActivate(&main);
    }
};
} // namespace

class KeyboardTests : public QObject {
    Q_OBJECT
  private slots:
    void aChildFromTheMenuHasTheKeyboardAndItsAccessKeysComeFirst() {
        Desk d;
        d.main.cty->trigger();
        auto* city = d.main.Child<FrmCsC>();
        QVERIFY(city->isAncestorOf(Focused()));
        Alt(Qt::Key_N);
        QCOMPARE(Focused(), city->txtcty);
        TypeText(QStringLiteral("ludhiana"));
        PressEnter();
        PressEnter();
        Alt(Qt::Key_S); // the city's Save, not the menu's Search Engine
        QVERIFY(!d.main.Child<FrmSrchEngn>());
        QCOMPARE(d.boxes.Prompts(),
                 (QStringList{"Are you Sure to save this Record", "Record has been Saved"}));
        QCOMPARE(d.book.Rows(QStringLiteral("Select ctyname, statename from cscmstr")),
                 (QList<QStringList>{{"LUDHIANA", "PUNJAB"}}));
        // Save reads "&New" again: no control claims S, so the menu has it.
        Alt(Qt::Key_S);
        QVERIFY(d.main.Child<FrmSrchEngn>());

        // A window brought forward from the menu has the keyboard too.
        d.main.dash->trigger();
        auto* group = d.main.Child<FrmGrupMstr>();
        QVERIFY(group->isAncestorOf(Focused()));
        d.main.cty->trigger();
        QVERIFY(city->isAncestorOf(Focused()));
        // A letter no control of the child claims opens its menu.
        Alt(Qt::Key_M);
        QTRY_VERIFY(d.main.mstr->isVisible());
        d.main.mstr->close();
    }

    void enterPressesTheFocusedButtonAndSharedKeysOnlyMoveTheFocus() {
        Desk d;
        SeedCity(d.book, 1, QStringLiteral("PATIALA"), QStringLiteral("PUNJAB"),
                 QStringLiteral("INDIA"));
        SeedGroup(d.book, 1, QStringLiteral("CUSTOMERS"));
        d.main.adrs->trigger();
        auto* form = d.main.Child<FrmAdrsMstr1>();
        QVERIFY(form->isAncestorOf(Focused()));
        Alt(Qt::Key_N);
        QCOMPARE(Focused(), form->Txtname);
        // Cancel and Close share C: the key moves between them, pressing neither.
        Alt(Qt::Key_C);
        QCOMPARE(Focused(), form->CmdEdt);
        Alt(Qt::Key_C);
        QCOMPARE(Focused(), form->CmdClos);
        Alt(Qt::Key_C);
        QCOMPARE(Focused(), form->CmdEdt);
        QCOMPARE(form->CmdEdt->text(), QStringLiteral("&Cancel"));
        QCOMPARE(d.main.Child<FrmAdrsMstr1>(), form);

        form->Txtname->setFocus();
        TypeEntryUpToCity(*form, QStringLiteral("acme"), QStringLiteral("main road"));
        PickCity(form->CmbxCty, QStringLiteral("PATIALA"));
        PressEnter();
        PressEnter();
        PressEnter();
        QCOMPARE(Focused(), form->CmdSave);
        PressEnter(); // the end of the Enter chain presses Save
        QCOMPARE(d.boxes.Prompts(),
                 (QStringList{"Are you Sure to save this Record", "Record has been Saved"}));
        QCOMPARE(d.book.Rows(QStringLiteral("Select adrsname, adrsctyid from adrsmstr")),
                 (QList<QStringList>{{"ACME", "1"}}));
    }
};

ADRSBOOK_TEST(KeyboardTests)
#include "tst_keys.moc"
