// The statement each filter builds, over all groups and within a group,
// checked byte for byte and by the parties it finds.

#include "searchdriver.h"

#include "platform/msgbox.h"
#include "support/scripted.h"
#include "support/testmain.h"

#include <QLineEdit>

class SearchStatementTests : public QObject {
    Q_OBJECT

  private slots:
    void everyFilterInBothModes_data();
    void everyFilterInBothModes();
    void cityWithinGroupComesOutByteForByte();
    void apostrophesAreDoubledAndPatternsKeepTheirMeaning();
    void typedAllListsEveryPartyWhateverTheGroup();
    void unknownFilterRunsNothingAndClearsTheList();
    void failingStatementLeavesAnEmptyListAndAUsableWindow();
};

void SearchStatementTests::everyFilterInBothModes_data() {
    QTest::addColumn<QString>("filter");
    QTest::addColumn<QString>("value");
    QTest::addColumn<QString>("overAll"); // <V> stands for the value
    QTest::addColumn<QString>("inGroup3");
    QTest::addColumn<QStringList>("foundOverAll");
    QTest::addColumn<QStringList>("foundInGroup3");

    const QString joinA =
        "Select * from (Adrsmstr inner join adrsgrpdtails on adrsmstr.adrsid=adrsgrpdtails."
        "adrsconcrnid) where adrsgrpdtails.adrsgrupid like '3";
    const QString withCity =
        "Select * from (Adrsmstr inner join cscmstr on adrsmstr.adrsctyid=cscmstr.ctyid)";
    const QString joinB = withCity +
                          " inner join adrsgrpdtails on adrsmstr.adrsid=adrsgrpdtails.adrsconcrnid "
                          "where adrsgrpdtails.adrsgrupid like '3";

    QTest::newRow("name") << "Name Wise "
                          << "TA"
                          << "Select * from Adrsmstr where adrsname like '%<V>%' order by adrsname"
                          << joinA + "' and adrsname like '%<V>%' order by adrsname"
                          << QStringList{"BETA STORES", "DELTA CORP", "ZETA LTD"}
                          << QStringList{"BETA STORES"};
    QTest::newRow("city") << "City Wise"
                          << "del" << withCity + " where ctyname like '%<V>%' order by adrsname"
                          << joinB + "' and  cscmstr.ctyname like '%<V>%' order by adrsname"
                          << QStringList{"ACME TRADERS", "ZETA LTD"} << QStringList{"ACME TRADERS"};
    QTest::newRow("state") << "State Wise"
                           << "MAHA" << withCity + " where statename like '%<V>%' order by adrsname"
                           << joinB + "' and  cscmstr.statename like '%<V>%' order by adrsname"
                           << QStringList{"BETA STORES", "DELTA CORP"}
                           << QStringList{"BETA STORES"};
    QTest::newRow("phone") << "Phone Number Wise"
                           << "011"
                           << "Select * from Adrsmstr where adrsphno like '%<V>%' order by adrsname"
                           << joinA + "' and adrsphno like '%<V>%' order by adrsname"
                           << QStringList{"ACME TRADERS", "ZETA LTD"}
                           << QStringList{"ACME TRADERS"};
    QTest::newRow("mobile")
        << "Mobile Number Wise"
        << "98"
        << "Select * from Adrsmstr where adrsmobno like '%<V>%' order by adrsname"
        << joinA + "' and adrsmobno like '%<V>%' order by adrsname"
        << QStringList{"ACME TRADERS", "BETA STORES"} << QStringList{"ACME TRADERS", "BETA STORES"};
    QTest::newRow("email")
        << "Email Id Wise"
        << ".COM"
        << "Select * from Adrsmstr where adrsemail like '%<V>%' order by adrsname"
        << joinA + "' and adrsemail like '%<V>%' order by adrsname"
        << QStringList{"BETA STORES", "DELTA CORP"} << QStringList{"BETA STORES"};
    QTest::newRow("contact")
        << "Contact Person"
        << "RAVI"
        << "Select * from Adrsmstr where AdrsContact like '%<V>%' order by adrsname"
        << joinA + "' and AdrsContact like '%<V>%' order by adrsname"
        << QStringList{"ACME TRADERS", "DELTA CORP"} << QStringList{"ACME TRADERS"};
}

// Entering the value box searches for "A" and then for nothing; each typed
// key searches again for the whole value so far.
void SearchStatementTests::everyFilterInBothModes() {
    QFETCH(QString, filter);
    QFETCH(QString, value);
    QFETCH(QString, overAll);
    QFETCH(QString, inGroup3);
    QFETCH(QStringList, foundOverAll);
    QFETCH(QStringList, foundInGroup3);
    TestBook book;
    SeedBook(book);
    SearchWindow w;

    for (const bool inGroup : {false, true}) {
        const QString pattern = inGroup ? inGroup3 : overAll;
        QStringList expected{QString(pattern).replace("<V>", "A"),
                             QString(pattern).replace("<V>", "")};
        for (int n = 1; n <= value.size(); ++n)
            expected.append(QString(pattern).replace("<V>", value.left(n)));

        WatchStatements watch;
        ChooseGroupAndFilter(w.form, inGroup ? "CUSTOMERS" : "", filter);
        QCOMPARE(Focused(), w->TxtValue);
        TypeText(value);
        QStringList searches = Searches(watch.log);
        searches.removeAll("Select grpname,grpid from adrsgrupmstr  order by grpname");
        QCOMPARE(searches, expected);
        QCOMPARE(Names(w->LstvewSrch), inGroup ? foundInGroup3 : foundOverAll);
    }
}

void SearchStatementTests::cityWithinGroupComesOutByteForByte() {
    TestBook book;
    SeedBook(book);
    SearchWindow w;
    ChooseGroupAndFilter(w.form, "CUSTOMERS", "City Wise");
    WatchStatements watch;
    TypeText("DEL");
    QCOMPARE(Searches(watch.log).last(),
             QString("Select * from (Adrsmstr inner join cscmstr on "
                     "adrsmstr.adrsctyid=cscmstr.ctyid) inner join "
                     "adrsgrpdtails on adrsmstr.adrsid=adrsgrpdtails.adrsconcrnid where "
                     "adrsgrpdtails.adrsgrupid "
                     "like '3' and  cscmstr.ctyname like '%DEL%' order by adrsname"));
    QCOMPARE(Names(w->LstvewSrch), QStringList{"ACME TRADERS"});
}

void SearchStatementTests::apostrophesAreDoubledAndPatternsKeepTheirMeaning() {
    TestBook book;
    SeedBook(book);
    book.Exec(
        "insert into adrsmstr (adrsid, adrsname, adrsdelstatus) values (9, 'O''BRIEN & SONS', 0)");
    book.Exec("insert into adrsgrpdtails (adrsgrpid, adrsconcrnid, adrsgrupid) values (9, 9, '3')");
    ScriptedMsgBoxes boxes;
    SearchWindow w;

    for (const QString group : {"", "CUSTOMERS"}) {
        ChooseGroupAndFilter(w.form, group, "Name Wise");
        WatchStatements watch;
        TypeText("o'brien");
        QVERIFY(Searches(watch.log).last().contains("like '%o''brien%'"));
        QCOMPARE(Names(w->LstvewSrch), QStringList{"O'BRIEN & SONS"});
        Retype("B_TA");
        QCOMPARE(Names(w->LstvewSrch), QStringList{"BETA STORES"});
        Retype("AC%RS");
        QCOMPARE(Names(w->LstvewSrch), QStringList{"ACME TRADERS"});
    }
    QVERIFY(boxes.calls.isEmpty());
}

// "All" typed into the filter box lists every party at once, even one in no
// group and with the group box naming a group; the value box is disabled.
void SearchStatementTests::typedAllListsEveryPartyWhateverTheGroup() {
    TestBook book;
    SeedBook(book);
    book.Exec("insert into adrsmstr (adrsid, adrsname, adrsdelstatus) values (8, 'LONER', 0)");
    SearchWindow w;
    WatchStatements watch;
    ChooseGroupAndFilter(w.form, "CUSTOMERS", "All");
    QVERIFY(!w->TxtValue->isEnabled());
    QCOMPARE(Searches(watch.log).last(), QString("Select * from Adrsmstr order by adrsname"));
    QCOMPARE(Names(w->LstvewSrch),
             (QStringList{"ACME TRADERS", "BETA STORES", "DELTA CORP", "LONER", "ZETA LTD"}));

    // Choosing a filter again brings the value box back.
    ChooseGroupAndFilter(w.form, "CUSTOMERS", "Name Wise");
    QVERIFY(w->TxtValue->isEnabled());
    QCOMPARE(Focused(), w->TxtValue);
    QCOMPARE(Names(w->LstvewSrch), (QStringList{"ACME TRADERS", "BETA STORES"}));
}

void SearchStatementTests::unknownFilterRunsNothingAndClearsTheList() {
    TestBook book;
    SeedBook(book);
    ScriptedMsgBoxes boxes;
    SearchWindow w;
    ChooseGroupAndFilter(w.form, "", "Name Wise");
    QCOMPARE(w->LstvewSrch->Count(), 4);

    for (const QString filter : {"Pin Wise", "   ", "name wise"}) {
        ChooseGroupAndFilter(w.form, "", filter);
        WatchStatements watch;
        TypeText("A");
        QCOMPARE(Searches(watch.log), QStringList());
        QCOMPARE(w->LstvewSrch->Count(), 0);
        ChooseGroupAndFilter(w.form, "", "Name Wise"); // fills it again
        QCOMPARE(w->LstvewSrch->Count(), 4);
    }
    QVERIFY(boxes.calls.isEmpty());
}

void SearchStatementTests::failingStatementLeavesAnEmptyListAndAUsableWindow() {
    TestBook book;
    SeedBook(book);
    ScriptedMsgBoxes boxes;
    SearchWindow w;
    ChooseGroupAndFilter(w.form, "", "City Wise");
    QCOMPARE(w->LstvewSrch->Count(), 4);

    book.Exec("drop table cscmstr");
    TypeText("D");
    QCOMPARE(w->LstvewSrch->Count(), 0);
    QVERIFY(boxes.calls.isEmpty());

    // Once the table is back, the next key finds the parties again.
    book.Exec("create table cscmstr (ctyid integer, ctyname text, statename text, contryname text, "
              "addt text, "
              "edtdt text, deldt text, delstatus integer)");
    book.Exec("insert into cscmstr (ctyid, ctyname, statename, contryname, delstatus) values "
              "(5, 'NEW DELHI', 'DELHI', 'INDIA', 0)");
    TypeText("E");
    QCOMPARE(Names(w->LstvewSrch), (QStringList{"ACME TRADERS", "ZETA LTD"}));

    book.Exec("drop table adrsgrupmstr");
    ClickInto(w->CmbxGrup1);
    QCOMPARE(w->CmbxGrup1->count(), 0);
    QCOMPARE(w->LstvewGrup2->Count(), 0);
    QVERIFY(boxes.calls.isEmpty());
}

ADRSBOOK_TEST(SearchStatementTests)
#include "tst_searchstatements.moc"
