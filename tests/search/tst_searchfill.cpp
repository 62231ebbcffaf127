// Long results fill in slices: a new search drops the fill of the last
// one, whatever reads the list sees all of it, and a save elsewhere never
// waits for a fill.

#include "searchdriver.h"

#include "data/blockpool.h"
#include "data/connection.h"
#include "data/connmodule.h"
#include "data/connstring.h"
#include "data/recordset.h"
#include "support/testmain.h"

#include <QElapsedTimer>
#include <memory>

namespace {

void SeedCities(const TestBook& book) {
    book.Exec("insert into cscmstr (ctyid, ctyname, statename, contryname, delstatus) values "
              "(5, 'NEW DELHI', 'DELHI', 'INDIA', 0), (7, 'MUMBAI', 'MAHARASHTRA', 'INDIA', 0)");
}

// All groups, Name Wise: the value box has the focus and lists everyone.
void ReadyToSearch(FrmSrchEngn* form) {
    ChooseGroupAndFilter(form, QStringLiteral("All"), QStringLiteral("Name Wise"));
}

// 1,200 parties (more than a statement gives at once), and the search window listing them all: the
// first rows are shown, the rest still to come.
struct FillingSearch {
    FillingSearch() {
        SeedCities(book);
        SeedNumberedParties(book, QStringLiteral("PARTY"), 1, 1200);
        ReadyToSearch(w.form);
    }
    TestBook book;
    SearchWindow w;
};

// Lets the event loop run until the list has filled.
void Drain(ListView* list) {
    for (int i = 0; i < 2000 && list->Filling(); ++i)
        QTest::qWait(1);
}

} // namespace

class SearchFillTests : public QObject {
    Q_OBJECT

  private slots:
    void aStaleFillNeverReachesTheNewerResult();
    void theWholeResultWaitsForTheFill();
    void aSaveElsewhereDoesNotWaitForTheFill();
    void eachFillShowsTheCitiesAsTheyAreThen();
    void aClosedWindowHandsItsLongResultBack();
};

// A result long enough to be kept in blocks: they are in use while the
// window shows it, free when the search narrows and handed back to the
// system a moment later, and at once when the window closes.
void SearchFillTests::aClosedWindowHandsItsLongResultBack() {
    TestBook book;
    SeedCities(book);
    SeedNumberedParties(book, QStringLiteral("PARTY"), 1, 4000);
    const std::size_t before = BlockPool::BlocksInUse();
    auto w = std::make_unique<SearchWindow>();
    ReadyToSearch(w->form);
    ListView* list = (*w)->LstvewSrch;
    QCOMPARE(list->Count(), 4000);
    QCOMPARE(list->Item(4000).SubItem(4), QStringLiteral("MUMBAI"));
    QVERIFY(BlockPool::BlocksInUse() > before);
    Retype(QStringLiteral("PARTY 000"));
    Drain(list);
    QCOMPARE(list->Count(), 9);
    QCOMPARE(BlockPool::BlocksInUse(), before);
    QTRY_COMPARE(BlockPool::FreeBlocks(), std::size_t(0)); // a moment later
    Retype(QString());
    QCOMPARE(list->Count(), 4000);
    w.reset();
    QCOMPARE(BlockPool::BlocksInUse(), before);
    QCOMPARE(BlockPool::FreeBlocks(), std::size_t(0));
}

void SearchFillTests::aStaleFillNeverReachesTheNewerResult() {
    FillingSearch s;
    SeedNumberedParties(s.book, QStringLiteral("OTHER"), 2001, 150);
    ListView* list = s.w->LstvewSrch;

    // Each way of leaving the fill of "PARTY" half done: the next key at once,
    // or after some slices have run.
    for (const int slicesFirst : {0, 3}) {
        Retype(QStringLiteral("PARTY"));
        QVERIFY(list->Filling());
        for (int i = 0; i < slicesFirst; ++i)
            QTest::qWait(5);
        Retype(QStringLiteral("OTHER 00"));
        Drain(list);
        QVERIFY(!list->Filling());
        const QStringList names = Names(list);
        QCOMPARE(names.size(), 99);
        QCOMPARE(names.first(), QStringLiteral("OTHER 0001"));
        QCOMPARE(names.last(), QStringLiteral("OTHER 0099"));
        // Every row is whole: the city of each came with it.
        QCOMPARE(list->Item(2).SubItem(4), QStringLiteral("MUMBAI"));
        QCOMPARE(list->Item(99).SubItem(4), QStringLiteral("NEW DELHI"));
    }
}

void SearchFillTests::theWholeResultWaitsForTheFill() {
    FillingSearch s;
    SearchWindow& w = s.w;
    QVERIFY(w->LstvewSrch->Filling()); // only the first rows are there yet
    ListView* whole = w->WholeResult();
    QVERIFY(!whole->Filling());
    QCOMPARE(whole->Count(), 1200);
    QCOMPARE(whole->Item(1200).Text(), QStringLiteral("PARTY 1200"));
    QCOMPARE(whole->Item(1200).SubItem(4), QStringLiteral("MUMBAI"));

    // Reading the count alone also waits.
    Retype(QStringLiteral("ARTY"));
    QVERIFY(w->LstvewSrch->Filling());
    QCOMPARE(w->LstvewSrch->Count(), 1200);
}

void SearchFillTests::aSaveElsewhereDoesNotWaitForTheFill() {
    FillingSearch s;
    const TestBook& book = s.book;
    SearchWindow& w = s.w;
    QVERIFY(w->LstvewSrch->Filling());

    // Another program on the same book, then another window of this one:
    // each commits at once, though the fill has rows still to read.
    Connection other;
    other.Open(ConnString::ForFile(book.File(), QString::fromLatin1(kDatabasePassword)));
    QElapsedTimer clock;
    clock.start();
    InTransaction(other, [&] {
        other.Execute(QStringLiteral("Delete from adrsmstr where adrsid like '1200'"));
    });
    QVERIFY2(clock.elapsed() < 1000, qPrintable(QString::number(clock.elapsed())));
    other.Close();

    clock.restart();
    Recordset rs;
    InTransaction(*Conn, [&] {
        rs.Open(QStringLiteral("Select * from adrsgrupmstr"), Conn, adOpenStatic,
                adLockBatchOptimistic);
        rs.AddNew();
        rs.Fields("grpid") = 9;
        rs.Fields("grpname") = QStringLiteral("LATE");
        rs.UpdateBatch(adAffectAllChapters);
    });
    QVERIFY2(clock.elapsed() < 1000, qPrintable(QString::number(clock.elapsed())));
    QCOMPARE(book.Count(QStringLiteral("adrsgrupmstr")), 1);

    // The list still ends whole and in order.
    Drain(w->LstvewSrch);
    const QStringList names = Names(w->LstvewSrch);
    QVERIFY(names.size() >= 1199);
    QCOMPARE(names.first(), QStringLiteral("PARTY 0001"));
    QCOMPARE(names[1198], QStringLiteral("PARTY 1199"));
}

// The cities are read once per fill: a city changed since the last fill
// shows in the next one, on the first rows and on the last.
void SearchFillTests::eachFillShowsTheCitiesAsTheyAreThen() {
    FillingSearch s;
    QCOMPARE(s.w->WholeResult()->Item(1200).SubItem(4), QStringLiteral("MUMBAI"));
    s.book.Exec("update cscmstr set ctyname = 'BOMBAY', statename = 'MH' where ctyid = 7");
    Retype(QStringLiteral("PARTY"));
    ListView* whole = s.w->WholeResult();
    QCOMPARE(whole->Count(), 1200);
    for (const int row : {2, 1200}) {
        QCOMPARE(whole->Item(row).SubItem(4), QStringLiteral("BOMBAY"));
        QCOMPARE(whole->Item(row).SubItem(5), QStringLiteral("MH"));
    }
    QCOMPARE(whole->Item(1199).SubItem(4), QStringLiteral("NEW DELHI"));
}

ADRSBOOK_TEST(SearchFillTests)
#include "tst_searchfill.moc"
