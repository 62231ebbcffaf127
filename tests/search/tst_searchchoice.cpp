// The search uses the choice on screen: "Select All Group" takes effect
// when it is ticked, the panel follows the row the keys select, and Hindi
// and Punjabi values and names show whole.

#include "searchdriver.h"

#include "platform/msgbox.h"
#include "support/inkrows.h"
#include "support/testmain.h"

#include <QCheckBox>
#include <QLabel>

class SearchChoiceTests : public QObject {
    Q_OBJECT
  private slots:
    void selectAllGroupTakesEffectWhenItIsTicked() {
        TestBook book;
        SeedBook(book);
        SearchWindow w;
        ChooseGroupAndFilter(w.form, "CUSTOMERS", "Name Wise");
        TypeText("TA");
        QCOMPARE(Names(w->LstvewSrch), QStringList{"BETA STORES"});

        // Ticked with the mouse, then straight back to the value.
        QTest::mouseClick(w->ChkAll, Qt::LeftButton);
        QCOMPARE(w->CmbxGrup1->currentText(), QString("All"));
        ClickInto(w->TxtValue);
        TypeText("TA");
        QCOMPARE(Names(w->LstvewSrch), (QStringList{"BETA STORES", "DELTA CORP", "ZETA LTD"}));

        // Unticked, a group typed and the value changed: that group only.
        QTest::mouseClick(w->ChkAll, Qt::LeftButton);
        ClickInto(w->CmbxGrup1);
        TypeText("SUPPLIERS");
        ClickInto(w->TxtValue);
        TypeText("TA");
        QCOMPARE(Names(w->LstvewSrch), (QStringList{"DELTA CORP", "ZETA LTD"}));
    }

    void thePanelFollowsTheRowTheKeysSelect() {
        TestBook book;
        SeedBook(book);
        SearchWindow w;
        ChooseGroupAndFilter(w.form, "", "Name Wise");
        QTest::keyClick(Focused(), Qt::Key_Tab);
        QCOMPARE(Focused(), w->LstvewSrch);
        QCOMPARE(w->Label4->text(), QString("ACME TRADERS"));
        QTest::keyClick(Focused(), Qt::Key_Down);
        QCOMPARE(w->Label4->text(), QString("BETA STORES"));
        QCOMPARE(w->Label18->text(), QString("MUMBAI"));
        QTest::keyClick(Focused(), Qt::Key_End);
        QCOMPARE(w->Label4->text(), QString("ZETA LTD"));
        QCOMPARE(w->Label27->text(), QString()); // its own empty mobile, not the last one's

        // A search that finds nothing empties the panel.
        ClickInto(w->TxtValue);
        TypeText("NOBODY");
        QCOMPARE(w->LstvewSrch->Count(), 0);
        QCOMPARE(w->Label4->text(), QString());
        QCOMPARE(w->Label18->text(), QString());
    }

    void hindiAndPunjabiShowWhole() {
        const QString hindi = QStringLiteral(u"\u0915\u0943\u0937\u094D\u0923 \u0915\u0941\u092E"
                                             u"\u093E\u0930");
        const QString punjabi = QStringLiteral(u"\u0A17\u0A41\u0A30\u0A2A\u0A4D\u0A30\u0A40\u0A24");
        TestBook book;
        book.Exec(QStringLiteral("insert into adrsmstr (adrsid, adrsname, adrsdelstatus) values "
                                 "(1, '%1', 0), (2, '%2', 0)")
                      .arg(hindi, punjabi));
        SearchWindow w;
        ChooseGroupAndFilter(w.form, "", "Name Wise");
        TypeText(punjabi);
        QCOMPARE(Names(w->LstvewSrch), QStringList{punjabi});
        QCOMPARE(w->Label4->text(), punjabi);
        QTest::keyClick(Focused(), Qt::Key_Tab); // no cursor in the value box
        QVERIFY(ShowsWhole(w->TxtValue, punjabi));
        QVERIFY(ShowsWhole(w->Label4, hindi));

        // The result list's rows, with nothing selected.
        ClickInto(w->TxtValue);
        Retype(QString());
        QCOMPARE(w->LstvewSrch->Count(), 2);
        w->CmbxGrup1->setFocus();
        w->LstvewSrch->setCurrentIndex(QModelIndex());
        w->LstvewSrch->clearSelection();
        for (int row = 0; row < 2; ++row)
            QVERIFY2(RowShowsWhole(w->LstvewSrch, row),
                     qPrintable(w->LstvewSrch->Item(row + 1).Text()));
    }
};

ADRSBOOK_TEST(SearchChoiceTests)
#include "tst_searchchoice.moc"
