// The result list's fifteen columns, the panel that follows the chosen row,
// the two links and the window's layout.

#include "searchdriver.h"

#include "app/frmmainmdi.h"
#include "platform/msgbox.h"
#include "platform/shell.h"
#include "platform/twips.h"
#include "support/scripted.h"
#include "support/testmain.h"

#include <QAction>
#include <QGroupBox>
#include <QLabel>
#include <QMdiSubWindow>

namespace {

void ClickRow(ListView* list, int index) {
    list->Flush();
    const QRect cell = list->visualRect(list->model()->index(index - 1, 0));
    QTest::mouseClick(list->viewport(), Qt::LeftButton, {}, cell.center());
}

QStringList Cells(ListItem row) {
    QStringList cells;
    for (int c = 0; c < 15; ++c)
        cells.append(row.SubItem(c));
    return cells;
}

QStringList Panel(FrmSrchEngn* f) {
    return {f->Label4->text(),  f->Label16->text(), f->Label7->text(),  f->Label9->text(),
            f->Label18->text(), f->Label20->text(), f->Label22->text(), f->Label24->text(),
            f->Label11->text(), f->Label27->text(), f->Label28->text(), f->Label31->text(),
            f->Label13->text(), f->Label15->text(), f->Label32->text()};
}

} // namespace

class SearchResultTests : public QObject {
    Q_OBJECT

  private slots:
    void rowsCarryEveryColumn();
    void panelFollowsTheChosenRowOnly();
    void linksOpenWithTheirPrefixOnce();
    void layoutFollowsTheMainWindowOnce();
};

void SearchResultTests::rowsCarryEveryColumn() {
    TestBook book;
    book.Exec("insert into cscmstr (ctyid, ctyname, statename, contryname, delstatus) values "
              "(5, ' NEW DELHI ', 'DELHI', 'INDIA', 1), " // deleted cities still show
              "(7, 'MUMBAI', 'MAHARASHTRA', 'INDIA', 0)");
    // Of one id, the first row counts (a file's cities have no key; the
    // server's refuse a second row of an id).
    if (book.Kind() == BookKind::File)
        book.Exec("insert into cscmstr (ctyid, ctyname, statename, contryname, delstatus) values "
                  "(5, 'OLD DELHI', 'DELHI', 'INDIA', 0)");
    book.Exec("insert into adrsmstr (adrsid, adrsname, adrscontact, adrs1, adrs2, adrs3, "
              "adrsctyid, adrspin, "
              "adrscstno, adrsphno, adrsmobno, adrsfax, adrsemail, adrsweb, adrsnotes, "
              "adrsdelstatus) values "
              "(1, ' ACME ', ' RAVI ', ' 12 MALL RD ', ' BLOCK C ', ' NEAR GATE ', 5, ' 110001 ', "
              "' TIN9 ', "
              "' 011-2345 ', ' 98100 ', ' 011-9 ', ' a@x.in ', ' www.x.in ', ' PAYS LATE ', 0), "
              "(2, 'BETA', null, null, 'ONLY TWO', null, 99, null, null, null, null, null, null, "
              "null, null, 0), "
              "(3, 'CHI', null, 'ONLY ONE', null, null, null, null, null, null, null, null, null, "
              "null, null, 0), "
              "(4, null, 'NAMELESS', null, null, null, 5, null, null, null, null, null, null, "
              "null, null, 0)");
    SearchWindow w;
    WatchStatements watch;
    ChooseGroupAndFilter(w.form, "", "All");
    QCOMPARE(w->LstvewSrch->Count(), 3); // the party without a name is left out
    QCOMPARE(Cells(w->LstvewSrch->Item(1)),
             (QStringList{" ACME ", "RAVI", "12 MALL RD,BLOCK C", "NEAR GATE", "NEW DELHI", "DELHI",
                          "INDIA", "110001", "011-2345", "98100", "011-9", "TIN9", "a@x.in",
                          "www.x.in", "PAYS LATE"}));
    // Only the second line, a city id without a row, no city at all.
    QCOMPARE(Cells(w->LstvewSrch->Item(2)), (QStringList{"BETA", "", ",ONLY TWO", "", "", "", "",
                                                         "", "", "", "", "", "", "", ""}));
    QCOMPARE(Cells(w->LstvewSrch->Item(3)).mid(0, 5), (QStringList{"CHI", "", "ONLY ONE", "", ""}));

    // The cities are read once for the whole list.
    QStringList reads = watch.log;
    reads.removeAll("Select * from Adrsmstr order by adrsname");
    QCOMPARE(reads, QStringList{kCityRead});

    QStringList headers;
    for (int c = 0; c < 15; ++c)
        headers.append(w->LstvewSrch->model()->headerData(c, Qt::Horizontal).toString());
    QCOMPARE(headers,
             (QStringList{"Name", "Contact Person", "Address", "Area/Land Mark", "City", "State",
                          "Country", "Pin Code ", "Phone No.", "Mobile No.", "Fax No.",
                          "VAT/CST (TIN)", "E-Mail Id", "Web-Site ", "Remarks (Notes)"}));
}

void SearchResultTests::panelFollowsTheChosenRowOnly() {
    TestBook book;
    SeedBook(book);
    SearchWindow w;
    ChooseGroupAndFilter(w.form, "", "Name Wise");
    QCOMPARE(Panel(w.form), Cells(w->LstvewSrch->Item(1))); // the selected (first) row

    ClickRow(w->LstvewSrch, 2);
    QCOMPARE(Panel(w.form), Cells(w->LstvewSrch->Item(2)));
    QCOMPARE(w->Label4->text(), QString("BETA STORES"));
    QCOMPARE(w->Label20->text(), QString("MAHARASHTRA"));
    QCOMPARE(w->Label13->text(), QString("beta@y.com"));

    // A search that finds nothing empties the panel; focusing the empty
    // list leaves it empty.
    ClickInto(w->TxtValue);
    TypeText("NOBODY");
    QCOMPARE(w->LstvewSrch->Count(), 0);
    QCOMPARE(Panel(w.form), QStringList(15, QString()));
    QTest::keyClick(Focused(), Qt::Key_Tab);
    QCOMPARE(Focused(), w->LstvewSrch);
    QCOMPARE(Panel(w.form), QStringList(15, QString()));

    // Focusing a filled list shows its selected (first) row...
    ClickInto(w->TxtValue);
    QTest::keyClick(Focused(), Qt::Key_Tab);
    QCOMPARE(w->Label4->text(), QString("ACME TRADERS"));
    // ...and with no row selected the panel is empty.
    ClickInto(w->TxtValue);
    w->LstvewSrch->Flush();
    w->LstvewSrch->clearSelection();
    QTest::keyClick(Focused(), Qt::Key_Tab);
    QCOMPARE(Panel(w.form), QStringList(15, QString()));
    QCOMPARE(w->LstvewSrch->Count(), 4);
}

void SearchResultTests::linksOpenWithTheirPrefixOnce() {
    TestBook book;
    book.Exec(
        "insert into adrsmstr (adrsid, adrsname, adrsemail, adrsweb, adrsdelstatus) values "
        "(1, 'A', 'a@x.in', 'www.x.in', 0), (2, 'B', 'MailTo:b@y.in', 'HTTPS://secure.y.in', 0), "
        "(3, 'C', null, 'http://c.in', 0)");
    ScriptedMsgBoxes boxes;
    Shell::Recorder shell;
    SearchWindow w;

    // Nothing shown yet.
    QTest::mouseClick(w->Label13, Qt::LeftButton);
    QTest::mouseClick(w->Label15, Qt::LeftButton);
    QCOMPARE(boxes.Prompts(), (QStringList{"Invalid input", "Invalid input"}));
    QCOMPARE(boxes.Last().Icon(), int(vbCritical));
    QCOMPARE(boxes.Last().title, w->Caption());
    QVERIFY(shell.opened.isEmpty());

    ChooseGroupAndFilter(w.form, "", "All");
    for (int row = 1; row <= 3; ++row) {
        ClickRow(w->LstvewSrch, row);
        QTest::mouseClick(w->Label13, Qt::LeftButton);
        QTest::mouseClick(w->Label15, Qt::LeftButton);
    }
    QCOMPARE(shell.opened, (QStringList{"MAILTO:a@x.in", "http://www.x.in", "MailTo:b@y.in",
                                        "HTTPS://secure.y.in", "http://c.in"}));
    QCOMPARE(boxes.calls.size(), 3); // the empty e-mail of C

    QVERIFY(w->Label13->font().underline());
    QCOMPARE(w->Label15->palette().color(QPalette::WindowText), QColor(Qt::blue));
    QVERIFY(!w->Label4->font().underline());
}

void SearchResultTests::layoutFollowsTheMainWindowOnce() {
    TestBook book;
    FrmMainMdi main;
    main.resize(1366, 740);
    ShowAndActivate(&main);
    main.srchengn->trigger();
    auto* form = main.Child<FrmSrchEngn>();
    QVERIFY(form);
    QCOMPARE(form->Caption(), QString("NAME OF THE USER COMPANY (SEARCH ENGINE)"));

    const int formWidth = main.Width() - 200, formHeight = main.Height() - 1000;
    auto near = [](int twips, int expected) { return qAbs(twips - expected) < kTwipsPerPixel; };
    QVERIFY(near(form->Width(), formWidth));
    QVERIFY(near(form->Height(), formHeight));
    QVERIFY(near(Twips(form->LstvewSrch->width()), formWidth - 400));
    QVERIFY(near(Twips(form->LstvewSrch->height()), formHeight - 5545));
    QVERIFY(near(Twips(form->Frame1->width()), formWidth - 400));
    QVERIFY(near(Twips(form->Frame2->y()), formHeight - 5545 + 1500));
    QVERIFY(near(Twips(form->TxtValue->width()), formWidth - 400 - 9120));

    // Resizing the window moves nothing.
    const QRect list = form->LstvewSrch->geometry();
    form->Frame()->resize(600, 400);
    Settle();
    QCOMPARE(form->LstvewSrch->geometry(), list);
}

ADRSBOOK_TEST(SearchResultTests)
#include "tst_searchresults.moc"
