// The printing form driven as a person uses it: search, load, choices, keys.

#include "app/frmmainmdi.h"
#include "data/connmodule.h"
#include "data/statementlog.h"
#include "platform/msgbox.h"
#include "platform/shell.h"
#include "printdesk.h"
#include "support/scripted.h"

#include <QAction>
#include <QGroupBox>
#include <QMdiArea>

class PrintFormTests : public QObject {
    Q_OBJECT
  private slots:
    void search_upperCasesFiltersAndClearsOnFocus();
    void loading_fillsTheLabelsAndEndsOnAttention();
    void loading_doubleClickLoadsTwiceAndResetsTheChoices();
    void emptyList_noRecordFoundThenSelectARecord();
    void attention_showsMirrorsAndHidesTheContactBox();
    void choicesAndCopies_followTheirKeyRules();
    void menu_opensTheFormAndTheKeyboardAlonePrints();
    void halfFilledList_loadsAndPrintsAsAFullOne();
};

void PrintFormTests::search_upperCasesFiltersAndClearsOnFocus() {
    TestBook book;
    SeedCity(book, 1, "PUNE", "MH", "INDIA");
    const QStringList names{"CABLE HOUSE", "ABBA TRADERS", "ZEBRA", "O'BRIEN & CO"};
    for (int i = 0; i < names.size(); ++i) {
        Party p;
        p.id = i + 1;
        p.name = names[i];
        p.delstatus = i == 2 ? 1 : 0; // listed all the same
        SeedParty(book, p);
    }
    Party unnamed;
    unnamed.id = 9;
    unnamed.name = QVariant();
    SeedParty(book, unnamed);

    PrintDesk desk;
    QCOMPARE(desk.log.first(),
             QStringLiteral("Select adrsname,adrsid from adrsmstr  order by adrsname"));
    QCOMPARE(desk.form->LstvewPrnt->Count(), 4); // focusing the search box lists named parties only
    QCOMPARE(desk.form->LstvewPrnt->Item(1).SubItem(1), QStringLiteral("2"));

    desk.log.clear();
    Click(desk.form->Txtsrch);
    TypeText("ab");
    QCOMPARE(desk.form->Txtsrch->text(), QStringLiteral("AB"));
    QCOMPARE(desk.ListedNames(), QStringList({"ABBA TRADERS", "CABLE HOUSE"}));
    QCOMPARE(
        desk.log.last(),
        QStringLiteral(
            "Select adrsname,adrsid from Adrsmstr  where  adrsname like '%AB%' order by adrsname"));
    TypeText("q");
    QCOMPARE(desk.form->LstvewPrnt->Count(), 0);

    PressEnter();
    QCOMPARE(Focused(), desk.form->LstvewPrnt);
    Click(desk.form->Txtsrch);
    QCOMPARE(desk.form->Txtsrch->text(), QString());
    QCOMPARE(desk.form->LstvewPrnt->Count(), 4);
    TypeText("o'b");
    QCOMPARE(desk.ListedNames(), QStringList{"O'BRIEN & CO"});
}

void PrintFormTests::loading_fillsTheLabelsAndEndsOnAttention() {
    TestBook book;
    SeedCity(book, 1, "MUMBAI", "MH", "INDIA", 1); // a city marked deleted still shows
    SeedCity(book, 2, "PUNE", "MH", "INDIA");
    Party first;
    first.id = 2;
    first.name = QStringLiteral("  Acme Traders ");
    SeedParty(book, first);
    Party second;
    second.id = 3;
    second.name = QStringLiteral("Beta Stores");
    second.contact = second.adrs3 = QVariant();
    second.phone = QStringLiteral("55");
    second.ctyid = 8; // no such city
    SeedParty(book, second);

    PrintDesk desk;
    FrmPrntrpt* f = desk.form;
    QVERIFY(!f->FrmPrnt->isEnabled());
    desk.log.clear();
    desk.Pick("acme");
    QCOMPARE(desk.log.mid(desk.log.size() - 2),
             QStringList({"Select * from Adrsmstr where Adrsid like '2'",
                          "Select * from cscmstr where ctyid like '1'"}));
    QCOMPARE(f->AdrsId, Integer(2));
    QCOMPARE(f->TxtName->text(), QStringLiteral("Acme Traders"));
    QCOMPARE(f->TxtCntact->text(), QStringLiteral("Ravi Kumar"));
    QCOMPARE(f->TxtAdrs->text() + "|" + f->TxtArea->text() + "|" + f->TxtLand->text(),
             QStringLiteral("12 Main road|Park area|near Temple"));
    QCOMPARE(f->MskedtPhno->text(), QStringLiteral(" 022-2345 ")); // numbers as stored
    QCOMPARE(f->MskedtMobno->text(), QStringLiteral("98200 12345"));
    QCOMPARE(f->LblCty->text() + "|" + f->LblState->text() + "|" + f->LblContry->text(),
             QStringLiteral("MUMBAI|MH|INDIA"));
    QCOMPARE(f->OrigContact, QStringLiteral("Ravi Kumar"));
    QVERIFY(f->FrmPrnt->isEnabled());
    QVERIFY(!f->CmdPrnt->isEnabled());
    QCOMPARE(Focused(), f->ChkAttn);

    // Missing values and a missing city never leave the last party's text behind.
    desk.Pick("beta");
    QCOMPARE(f->TxtName->text(), QStringLiteral("Beta Stores"));
    QCOMPARE(f->TxtCntact->text(), QString());
    QCOMPARE(f->TxtLand->text(), QString());
    QCOMPARE(f->MskedtPhno->text(), QStringLiteral("55"));
    QCOMPARE(f->LblCty->text() + f->LblState->text() + f->LblContry->text(), QString());
    QCOMPARE(f->OrigContact, QStringLiteral("Ravi Kumar")); // set only when the city is found
    QVERIFY(f->FrmPrnt->isEnabled());
    QVERIFY(desk.boxes.calls.isEmpty());
}

void PrintFormTests::loading_doubleClickLoadsTwiceAndResetsTheChoices() {
    TestBook book;
    SeedCity(book, 1, "MUMBAI", "MH", "INDIA");
    SeedParty(book, Party{});
    PrintDesk desk;
    FrmPrntrpt* f = desk.form;
    desk.Pick("acme");
    desk.MarkAttention();
    TypeText("X");
    QCOMPARE(f->TxtCntact->text(), QStringLiteral("X"));

    desk.log.clear();
    const QRect row = f->LstvewPrnt->visualRect(f->LstvewPrnt->model()->index(0, 0));
    // A person's double-click: press, release, then the second press and release.
    QTest::mouseClick(f->LstvewPrnt->viewport(), Qt::LeftButton, {}, row.center());
    QTest::mouseDClick(f->LstvewPrnt->viewport(), Qt::LeftButton, {}, row.center());
    QTest::mouseRelease(f->LstvewPrnt->viewport(), Qt::LeftButton, {}, row.center());
    Settle();
    QCOMPARE(desk.log.count("Select * from Adrsmstr where Adrsid like '1'"), 2);
    QVERIFY(!f->ChkAttn->isChecked());
    QVERIFY(f->TxtCntact1->isHidden());
    QCOMPARE(f->TxtCntact1->text(), QString());
    QCOMPARE(f->TxtCntact->text(), QStringLiteral("Ravi Kumar")); // refilled by the second load
    QCOMPARE(Focused(), f->ChkAttn);
}

void PrintFormTests::emptyList_noRecordFoundThenSelectARecord() {
    TestBook book;
    Shell::Recorder shell;
    PrintDesk desk;
    FrmPrntrpt* f = desk.form;
    desk.log.clear();
    desk.Pick("");
    QVERIFY(desk.log.contains("Select * from Adrsmstr where Adrsid like '0'"));
    QCOMPARE(desk.boxes.Prompts(), QStringList{"No record found"});
    QCOMPARE(desk.boxes.Last().title, QStringLiteral("NAME OF THE USER COMPANY (PRINT MASTER)"));
    QCOMPARE(desk.boxes.Last().Icon(), int(vbInformation));
    QVERIFY(f->FrmPrnt->isEnabled());

    desk.Sticker();
    desk.Print();
    QCOMPARE(desk.boxes.calls.size(), 2);
    QCOMPARE(desk.boxes.Last().prompt, QStringLiteral("Select a record"));
    QCOMPARE(desk.boxes.Last().title, QStringLiteral("Error Handler"));
    QCOMPARE(desk.boxes.Last().Icon(), int(vbInformation));
    QCOMPARE(Focused(), f->LstvewPrnt);
    QVERIFY(!QFile::exists(book.Path("A.TXT")));
    QVERIFY(shell.started.isEmpty());
}

void PrintFormTests::attention_showsMirrorsAndHidesTheContactBox() {
    TestBook book;
    SeedCity(book, 1, "MUMBAI", "MH", "INDIA");
    SeedParty(book, Party{});
    PrintDesk desk;
    FrmPrntrpt* f = desk.form;
    desk.Pick("acme");
    QCOMPARE(Focused(), f->ChkAttn);
    auto painted = [f] {
        return f->ChkAttn->autoFillBackground()
                   ? f->ChkAttn->palette().color(f->ChkAttn->backgroundRole())
                   : QColor();
    };
    QCOMPARE(painted(), QColor(255, 0, 0)); // red while focused
    desk.Sticker();
    QVERIFY(painted() != QColor(255, 0, 0));
    f->ChkAttn->setFocus();
    Settle();
    QCOMPARE(painted(), QColor(255, 0, 0));

    PressEnter(); // the box is hidden: on to Sticker
    QCOMPARE(Focused(), f->OptnStiker);
    f->ChkAttn->setFocus();
    desk.MarkAttention();
    QVERIFY(f->MarkAttn);
    QVERIFY(f->lblcntact->isVisible() && f->TxtCntact1->isVisible());
    QCOMPARE(f->TxtCntact1->text(), QStringLiteral("Ravi Kumar"));
    QCOMPARE(Focused(), f->TxtCntact1);
    QCOMPARE(f->TxtCntact1->selectedText(), QStringLiteral("Ravi Kumar"));

    TypeText("  o'neil ");
    QCOMPARE(f->TxtCntact1->text(), QStringLiteral("  O'NEIL "));
    QCOMPARE(f->TxtCntact->text(), QStringLiteral("O'NEIL"));
    f->TxtCntact1->clear();
    PressEnter(); // an empty contact person keeps the focus
    QCOMPARE(Focused(), f->TxtCntact1);
    TypeText("A");
    PressEnter();
    QCOMPARE(Focused(), f->OptnStiker);

    Click(f->ChkAttn);
    QVERIFY(!f->MarkAttn);
    QVERIFY(f->lblcntact->isHidden() && f->TxtCntact1->isHidden());
}

void PrintFormTests::choicesAndCopies_followTheirKeyRules() {
    TestBook book;
    SeedCity(book, 1, "MUMBAI", "MH", "INDIA");
    SeedParty(book, Party{});
    PrintDesk desk;
    FrmPrntrpt* f = desk.form;
    desk.Pick("acme");

    // Before a layout is chosen, leaving the copies field goes back to attention.
    Click(f->txtNoco);
    PressEnter();
    QCOMPARE(f->txtNoco->text(), QStringLiteral("1"));
    QCOMPARE(f->Copies, Integer(1));
    QCOMPARE(Focused(), f->ChkAttn);

    f->OptnStiker->setFocus();
    PressEnter(); // not chosen yet: stays
    QCOMPARE(Focused(), f->OptnStiker);
    desk.Sticker();
    QVERIFY(f->StickerMode && f->CmdPrnt->isEnabled() && f->txtNoco->isEnabled());
    PressEnter();
    QCOMPARE(Focused(), f->txtNoco);
    QCOMPARE(f->txtNoco->selectedText(), QStringLiteral("1"));
    TypeText("1a2-");
    PressKey(Qt::Key_Backspace);
    QCOMPARE(f->txtNoco->text(), QStringLiteral("12"));
    PressEnter();
    QCOMPARE(f->Copies, Integer(12));
    QCOMPARE(Focused(), f->txtNoco); // Print is enabled: the focus stays

    f->txtNoco->setText(QStringLiteral("99999")); // too many for the count: it stays as it was
    PressEnter();
    QCOMPARE(f->Copies, Integer(12));

    desk.Envelope();
    QVERIFY(!f->StickerMode && f->CmdPrnt->isEnabled() && !f->txtNoco->isEnabled());
    PressEnter();
    QCOMPARE(Focused(), f->CmdPrnt);
}

void PrintFormTests::menu_opensTheFormAndTheKeyboardAlonePrints() {
    TestBook book;
    SeedCity(book, 1, "MUMBAI", "MH", "INDIA");
    SeedParty(book, Party{});
    Shell::Recorder shell;
    ScriptedMsgBoxes boxes;
    FrmMainMdi main;
    ShowAndActivate(&main);
    main.prnt->trigger();
    Settle();
    auto* f = main.Child<FrmPrntrpt>();
    QVERIFY(f);
    QCOMPARE(f->Caption(), QStringLiteral("NAME OF THE USER COMPANY (PRINT MASTER)"));
    QCOMPARE(f->Width(), 10440);
    QCOMPARE(f->Height(), 8280);
    QCOMPARE(f->Top(), 0);
    QCOMPARE(f->LstvewPrnt->Count(), 1);
    QCOMPARE(Focused(), f->Txtsrch);

    TypeText("acme");
    PressEnter();
    PressEnter(); // loaded; on "Mark Attention !"
    PressKey(Qt::Key_Space);
    PressEnter(); // the box holds the contact person: on to Sticker
    PressKey(Qt::Key_Space);
    PressEnter();
    TypeText("2");
    PressEnter();
    PressKey(Qt::Key_Tab);
    QCOMPARE(Focused(), f->CmdPrnt);
    PressEnter();
    QCOMPARE(ReadFile(book.Path("A.TXT")).count("\r\n"), 18);
    QVERIFY(ReadFile(book.Path("A.TXT")).startsWith("     Ravi Kumar\r\n"));
    QCOMPARE(shell.started.size(), 1);
    QVERIFY(boxes.calls.isEmpty());
}

// The party picked from a list still being filled is loaded and printed
// just as when the list is whole.
void PrintFormTests::halfFilledList_loadsAndPrintsAsAFullOne() {
    TestBook book;
    SeedCity(book, 5, "PUNE", "MH", "INDIA");
    SeedNumberedParties(book, QStringLiteral("PARTY"), 1, 1200, 5, 5);
    Shell::Recorder shell;
    QList<QByteArray> printed;
    for (const bool whole : {false, true}) {
        PrintDesk desk;
        Click(desk.form->Txtsrch);
        TypeText("party");
        if (whole) desk.form->LstvewPrnt->FinishFill();
        QCOMPARE(desk.form->LstvewPrnt->Filling(), !whole);
        PressEnter(); // to the list, on its first row
        for (int i = 1; i < 60; ++i)
            PressKey(Qt::Key_Down);
        PressEnter(); // loaded; on "Mark Attention !"
        Settle();
        QCOMPARE(desk.form->TxtName->text(), QStringLiteral("PARTY 0060"));
        QCOMPARE(desk.form->LblCty->text(), QStringLiteral("PUNE"));
        desk.Sticker();
        desk.Copies("2");
        desk.Print();
        printed.append(ReadFile(book.Path("A.TXT")));
        QCOMPARE(desk.form->LstvewPrnt->Count(), 1200);
    }
    QVERIFY(printed[0].contains("PARTY 0060"));
    QCOMPARE(printed[0], printed[1]);
}

ADRSBOOK_TEST(PrintFormTests)
#include "tst_printform.moc"
