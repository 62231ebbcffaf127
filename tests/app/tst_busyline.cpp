// The busy line of the registers' lists, the address master's party list
// and the printing form's list: each stays while another program holds the
// book, and every list still open is read again by itself once it is free.

#include "address/addressdriver.h"
#include "app/frmmainmdi.h"
#include "masters/frmcsc.h"
#include "platform/busynotice.h"
#include "platform/listview.h"
#include "platform/msgbox.h"
#include "printing/frmprntrpt.h"
#include "search/frmsrchengn.h"
#include "search/searchdriver.h"
#include "support/fixture.h"
#include "support/lockingprogram.h"
#include "support/scripted.h"
#include "support/testmain.h"

#include <QLabel>
#include <QPushButton>

class BusyLineTests : public QObject {
    Q_OBJECT
  private slots:
    void everyOpenListFillsOnceTheBookIsFree() {
        TestBook book;
        if (book.Kind() == BookKind::Server) QSKIP("another program's lock on the book file");
        SeedCity(book, 1, QStringLiteral("PUNE"), QStringLiteral("MAHA"), QStringLiteral("INDIA"));
        SeedParty(book, 1, QStringLiteral("ACME"), 1);
        FrmMainMdi main;
        QVERIFY(main.MDIForm_Load());
        ShowAndActivate(&main);
        ScriptedMsgBoxes boxes;
        auto other = std::make_unique<LockingProgram>(book.File());
        QVERIFY(other->Holds());

        main.prnt->trigger(); // fills its party list as it opens
        Settle();
        auto* print = main.Child<FrmPrntrpt>();
        main.cty->trigger();
        Settle();
        auto* city = main.Child<FrmCsC>();
        QTest::mouseClick(city->CmdEdt, Qt::LeftButton); // the list of cities
        main.adrs->trigger();
        Settle();
        auto* party = main.Child<FrmAdrsMstr1>();
        QTest::mouseClick(party->CmdEdt, Qt::LeftButton); // the party list
        main.srchengn->trigger();
        Settle();
        QPointer<FrmSrchEngn> search = main.Child<FrmSrchEngn>();
        ClickInto(search->TxtValue);
        TypeText(QStringLiteral("a"));
        const QList<Form*> waiting{print, city, party, search};
        for (Form* form : waiting)
            QVERIFY2(BusyNotice(form) && BusyNotice(form)->isVisible(),
                     form->metaObject()->className());
        QCOMPARE(print->LstvewPrnt->Count() + city->LstvewCsc->Count() + party->Lstvewadrs->Count(),
                 0);
        search->Unload(); // closed with its search still to run again
        Settle();
        QVERIFY(!search);

        other.reset(); // lets go; each window's line looks for itself
        QTRY_COMPARE_WITH_TIMEOUT(print->LstvewPrnt->Count(), 1, 1000);
        QTRY_COMPARE_WITH_TIMEOUT(city->LstvewCsc->Count(), 1, 1000);
        QTRY_COMPARE_WITH_TIMEOUT(party->Lstvewadrs->Count(), 1, 1000);
        for (Form* form :
             {static_cast<Form*>(print), static_cast<Form*>(city), static_cast<Form*>(party)})
            QVERIFY(!BusyNotice(form)->isVisible());
        QVERIFY2(boxes.calls.isEmpty(), qPrintable(boxes.Prompts().join(u'|')));
    }
};

ADRSBOOK_TEST(BusyLineTests)
#include "tst_busyline.moc"
