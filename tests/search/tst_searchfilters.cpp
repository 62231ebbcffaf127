// The filter area: the group list, the Enter chain, "Select All Group", the
// filter guard and the value box that starts afresh on every visit.

#include "searchdriver.h"

#include "app/frmmainmdi.h"
#include "platform/msgbox.h"
#include "support/scripted.h"
#include "support/testmain.h"

#include <QAction>
#include <QCheckBox>
#include <QMdiArea>

class SearchFilterTests : public QObject {
    Q_OBJECT

  private slots:
    void groupsAreReadAfreshOnEveryFocus();
    void enterWalksTheChainAndTheGroupIdFollowsTheName();
    void selectAllGroupSpansEveryGroup();
    void leavingAnEmptyFilterIsRefused();
    void enteringTheValueBoxStartsAfresh();
    void otherWindowsMayTakeTheFocus();
};

void SearchFilterTests::groupsAreReadAfreshOnEveryFocus() {
    TestBook book;
    book.Exec("insert into adrsgrupmstr (grpid, grpname) values (1, 'SUPPLIERS '), (2, 'AGENTS')");
    WatchStatements watch;
    SearchWindow w; // the group box has the focus first
    QCOMPARE(Focused(), w->CmbxGrup1);
    QCOMPARE(watch.log, QStringList{"Select grpname,grpid from adrsgrupmstr  order by grpname"});
    QCOMPARE(w->CmbxGrup1->count(), 2);
    QCOMPARE(w->CmbxGrup1->itemText(0), QString("AGENTS"));
    QCOMPARE(w->CmbxGrup1->itemText(1), QString("SUPPLIERS"));
    QCOMPARE(w->LstvewGrup2->Item(2).Text(), QString("SUPPLIERS "));
    QCOMPARE(w->LstvewGrup2->Item(2).SubItem(1), QString("1"));
    QVERIFY(w->LstvewGrup2->isHidden());

    // What the user typed survives the reload; a group added meanwhile shows.
    TypeText("AG");
    PressEnter();
    book.Exec("insert into adrsgrupmstr (grpid, grpname) values (3, 'ACCOUNTS')");
    QCOMPARE(Focused(), w->ChkAll);
    ClickInto(w->CmbxGrup1);
    QCOMPARE(w->CmbxGrup1->currentText(), QString("AG"));
    QCOMPARE(w->CmbxGrup1->itemText(0), QString("ACCOUNTS"));
    QCOMPARE(w->LstvewGrup2->Count(), 3);
}

void SearchFilterTests::enterWalksTheChainAndTheGroupIdFollowsTheName() {
    TestBook book;
    book.Exec(
        "insert into adrsgrupmstr (grpid, grpname) values (4, 'TWIN'), (9, 'ALPHA'), (2, 'TWIN')");
    SearchWindow w;
    ClickInto(w->CmbxGrup1);
    TypeText("ALPHA");
    PressEnter();
    QCOMPARE(Focused(), w->ChkAll);
    QCOMPARE(w->SelectedGroupId, Integer(9));
    PressEnter();
    QCOMPARE(Focused(), w->Cmbxfiltr);
    TypeText("Name Wise");
    PressEnter();
    QCOMPARE(Focused(), w->TxtValue);
    PressEnter(); // Enter in the value box does nothing
    QCOMPARE(Focused(), w->TxtValue);

    // Of two groups with one name, the last in the list counts.
    ClickInto(w->CmbxGrup1);
    Retype("TWIN");
    PressEnter();
    const Integer last = w->LstvewGrup2->Item(3).SubItem(1).toShort();
    QCOMPARE(w->SelectedGroupId, last);

    // An unknown name keeps the id chosen before.
    ClickInto(w->CmbxGrup1);
    Retype("NOBODY");
    PressEnter();
    QCOMPARE(w->SelectedGroupId, last);
}

void SearchFilterTests::selectAllGroupSpansEveryGroup() {
    TestBook book;
    SeedBook(book);
    SearchWindow w;
    ClickInto(w->CmbxGrup1);
    TypeText("CUSTOMERS");
    PressEnter();
    QTest::keyClick(Focused(), Qt::Key_Space); // tick "Select All Group"
    QCOMPARE(w->CmbxGrup1->currentText(), QString("All"));
    QVERIFY(!w->CmbxGrup1->isEnabled());
    PressEnter();
    TypeText("Name Wise");
    PressEnter();
    QVERIFY(w->AllGroups);
    QCOMPARE(w->LstvewSrch->Count(), 4);

    // Unticking empties the group box; an empty group box also means all
    // groups, decided when the filter box next gets the focus.
    ClickInto(w->ChkAll);
    QCOMPARE(w->CmbxGrup1->currentText(), QString());
    QVERIFY(w->CmbxGrup1->isEnabled());
    ClickInto(w->CmbxGrup1);
    TypeText("SUPPLIERS");
    PressEnter();
    QVERIFY(w->AllGroups); // not yet
    PressEnter();
    QVERIFY(!w->AllGroups);
    PressEnter();
    QCOMPARE(Names(w->LstvewSrch), (QStringList{"DELTA CORP", "ZETA LTD"}));
}

void SearchFilterTests::leavingAnEmptyFilterIsRefused() {
    TestBook book;
    SeedBook(book);
    ScriptedMsgBoxes boxes;
    SearchWindow w;
    ClickInto(w->Cmbxfiltr);
    PressEnter();
    QCOMPARE(boxes.Prompts(), QStringList{"Please select a filter to proceed further"});
    QCOMPARE(boxes.Last().Icon(), int(vbInformation));
    QCOMPARE(boxes.Last().title, QString("NAME OF THE USER COMPANY (SEARCH ENGINE)"));
    QCOMPARE(Focused(), w->Cmbxfiltr);

    ClickInto(w->LstvewSrch); // the mouse cannot leave it either
    QCOMPARE(boxes.calls.size(), 2);
    QCOMPARE(Focused(), w->Cmbxfiltr);

    // With a filter chosen, a click anywhere sends the focus to the value box.
    TypeText("Phone Number Wise");
    ClickInto(w->LstvewSrch);
    QCOMPARE(Focused(), w->TxtValue);
    QCOMPARE(w->LstvewSrch->Count(), 4);
    QCOMPARE(boxes.calls.size(), 2);
}

// Leaving the window from an empty filter box, for another window or by
// closing it, asks nothing and takes no focus back.
void SearchFilterTests::otherWindowsMayTakeTheFocus() {
    TestBook book;
    ScriptedMsgBoxes boxes;
    FrmMainMdi main;
    ShowAndActivate(&main);
    main.srchengn->trigger();
    auto* search = main.Child<FrmSrchEngn>();
    ClickInto(search->Cmbxfiltr);
    main.cty->trigger();
    QVERIFY(!search->isAncestorOf(Focused()));
    QVERIFY(boxes.calls.isEmpty());
    main.srchengn->trigger();
    QCOMPARE(Focused(), search->Cmbxfiltr);
    main.MdiArea->closeActiveSubWindow();
    Settle();
    QVERIFY(!main.Child<FrmSrchEngn>());
    QVERIFY(boxes.calls.isEmpty());
}

void SearchFilterTests::enteringTheValueBoxStartsAfresh() {
    TestBook book;
    SeedBook(book);
    SearchWindow w;
    ChooseGroupAndFilter(w.form, "", "Name Wise");
    TypeText("ACME");
    QCOMPARE(Names(w->LstvewSrch), QStringList{"ACME TRADERS"});

    ClickInto(w->LstvewSrch);
    WatchStatements watch;
    ClickInto(w->TxtValue);
    QCOMPARE(w->TxtValue->text(), QString());
    QCOMPARE(Searches(watch.log),
             (QStringList{"Select * from Adrsmstr where adrsname like '%A%' order by adrsname",
                          "Select * from Adrsmstr where adrsname like '%%' order by adrsname"}));
    QCOMPARE(w->LstvewSrch->Count(), 4);
}

ADRSBOOK_TEST(SearchFilterTests)
#include "tst_searchfilters.moc"
