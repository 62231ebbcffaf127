// Start-up, the main window's menu and child windows, the about box, and
// backup and restore from the Administrator menu.

#include "app/frmabtus.h"
#include "app/frmmainmdi.h"
#include "data/connmodule.h"
#include "masters/frmcsc.h"
#include "platform/filedialogs.h"
#include "platform/msgbox.h"
#include "platform/twips.h"
#include "search/frmsrchengn.h"
#include "support/fixture.h"
#include "support/scripted.h"
#include "support/testmain.h"

#include <QDir>
#include <QFile>
#include <QLabel>
#include <QMdiArea>
#include <QMdiSubWindow>
#include <QMenuBar>
#include <QTest>

namespace {
void Touch(const QString& file, const QByteArray& bytes = "x") {
    QFile f(file);
    if (f.open(QIODevice::WriteOnly)) f.write(bytes);
}
} // namespace

class AppTests : public QObject {
    Q_OBJECT
  private slots:
    void startUpOpensBothConnectionsSetsTitlesAndClearsTempFiles() {
        TestBook book;
        CloseConns();
        Touch(book.Path(QStringLiteral("old.TMP")));
        Touch(book.Path(QStringLiteral("keep.txt")));
        ScriptedMsgBoxes boxes;
        {
            FrmMainMdi main;
            QVERIFY(main.MDIForm_Load());
            QVERIFY(boxes.calls.isEmpty());
            QCOMPARE(main.windowTitle(), QStringLiteral("ORVANE ADDRESS BOOK (MAIN MENU)"));
            QCOMPARE(AppTitle, QStringLiteral("NAME OF THE USER COMPANY"));
            QVERIFY(Conn && Conn->State() == 1);
            QVERIFY(Conn2 && Conn2->State() == 1 && Conn2 != Conn);
            QVERIFY(!QFile::exists(book.Path(QStringLiteral("old.TMP"))));
            QVERIFY(QFile::exists(book.Path(QStringLiteral("keep.txt"))));
        }
        // Without leftovers start-up is just as quiet (the first copy has ended).
        FrmMainMdi again;
        QVERIFY(again.MDIForm_Load());
        QVERIFY(boxes.calls.isEmpty());
    }

    void startUpWithoutADatabaseReportsItAndEnds() {
        TestBook book;
        CloseConns();
        QFile::remove(book.File());
        ScriptedMsgBoxes boxes;
        FrmMainMdi main;
        QVERIFY(!main.MDIForm_Load());
        QCOMPARE(boxes.calls.size(), 1);
        QCOMPARE(boxes.Last().Icon(), int(vbCritical));
        QVERIFY(boxes.Last().prompt.contains(book.File()));
        QVERIFY(boxes.Last().prompt.contains(QStringLiteral("was not found")));
        QVERIFY(!QFile::exists(book.File())); // and no empty database was made in its place
        QVERIFY(!Conn && !Conn2);
    }

    void theMainWindowFillsTheScreenLessABand() {
        QCOMPARE(FrmMainMdi::Placement(Twips(1024), 11520), QRect(0, 0, 15360, 11120));
        TestBook book;
        FrmMainMdi main;
        QVERIFY(main.MDIForm_Load());
        QCOMPARE(main.geometry().topLeft(), QPoint(0, 0));
        QCOMPARE(main.height(), Px(ScreenHeight() - 400));
    }

    void menuHasItsCommandsAndOpensOneWindowOfEach() {
        TestBook book;
        FrmMainMdi main;
        QVERIFY(main.MDIForm_Load());
        ShowAndActivate(&main);
        QStringList bar;
        for (QAction* a : main.menuBar()->actions())
            bar << a->text();
        QCOMPARE(bar, (QStringList{"&Master", "&Search Engine", "Printing &Reports",
                                   "Administrator", "About us"}));
        QStringList master;
        for (QAction* a : main.mstr->actions())
            master << a->objectName() + u'=' + a->text();
        QCOMPARE(master,
                 (QStringList{"adrs=&Address Master", "dash=&Group Master", "cty=&City Master"}));
        QCOMPARE(main.prnt->text(), QStringLiteral("&Printing"));
        QCOMPARE(main.Bak->text(), QStringLiteral("Backup"));
        QCOMPARE(main.Rtsr->text(), QStringLiteral("Restore"));

        main.cty->trigger();
        main.cty->trigger();
        QCOMPARE(main.MdiArea->subWindowList().size(), 1);
        auto* city = main.Child<FrmCsC>();
        QVERIFY(city);
        QCOMPARE(city->Caption(), QStringLiteral("NAME OF THE USER COMPANY (CITY MASTER)"));
        // All five windows at once, each once.
        for (QAction* a :
             {main.adrs, main.dash, main.srchengn, main.prnt, main.abts, main.srchengn})
            a->trigger();
        QCOMPARE(main.MdiArea->subWindowList().size(), 6);
        QCOMPARE(main.MdiArea->activeSubWindow()->widget(), main.Child<FrmSrchEngn>());
        // Closing a child unloads it; its command opens it afresh.
        city->Unload();
        Settle();
        QVERIFY(!main.Child<FrmCsC>());
        main.cty->trigger();
        QVERIFY(main.Child<FrmCsC>());
        QVERIFY(main.Child<FrmCsC>() != nullptr);
    }

    void aboutBoxOpensAQuarterDownAndAThirdAcross() {
        QCOMPARE(FrmAbtus::Placement(10000, 9000), QPoint(3333, 2250));
        QCOMPARE(FrmAbtus::Placement(10000.5, 9001.5),
                 QPoint(3333, 2250)); // inner sizes rounded half to even
        TestBook book;
        FrmMainMdi main;
        QVERIFY(main.MDIForm_Load());
        ShowAndActivate(&main);
        main.abts->trigger();
        auto* about = main.Child<FrmAbtus>();
        QVERIFY(about);
        QCOMPARE(about->Caption(), QStringLiteral("About us"));
        QCOMPARE(about->Picture1->pixmap().size(), QSize(327, 77));
        QVERIFY(about->Label1->text().startsWith(QStringLiteral("Contact No:- ")));
        QVERIFY(about->Label2->text().startsWith(QStringLiteral("E-Mail Id:-")));
        const QPoint at = FrmAbtus::Placement(main.ScaleWidth(), main.ScaleHeight());
        QCOMPARE(about->Left(), Twips(Px(at.x())));
        QCOMPARE(about->Top(), Twips(Px(at.y())));
    }

    void backupThenRestoreBringsEveryRowBack() {
        TestBook book;
        FrmMainMdi main;
        QVERIFY(main.MDIForm_Load());
        book.Exec(QStringLiteral(
            "insert into cscmstr (ctyid, ctyname, statename, contryname, addt, delstatus) values "
            "(1, 'O''HARA', 'PUNJAB', 'INDIA', '2026-12-01 10:00:00', 0)"));
        book.Exec(
            QStringLiteral("insert into adrsgrupmstr (grpid, grpname) values (1, 'CUSTOMERS')"));
        book.Exec(QStringLiteral(
            "insert into adrsmstr (adrsid, adrsname, adrsctyid, adrsphno, adrsdelstatus) values "
            "(1, 'ALPHA', 1, ' 0161 ', 0)"));
        book.Exec(QStringLiteral(
            "insert into adrsgrpdtails (adrsgrpid, adrsconcrnid, adrsgrupid) values (1, 1, '1')"));
        auto snapshot = [&] {
            QList<QStringList> all;
            for (const char* t : {"cscmstr", "adrsgrupmstr", "adrsmstr", "adrsgrpdtails"})
                all += book.Rows(QStringLiteral("Select * from %1").arg(QLatin1String(t)));
            return all;
        };
        const auto before = snapshot();

        FileDialogs::Scripted dialogs;
        ScriptedMsgBoxes boxes;
        const QString copy = book.Path(QStringLiteral("backup.mdb"));
        dialogs.answers << copy;
        main.Bak->trigger();
        QVERIFY(dialogs.suggested.last().contains(
            QDate::currentDate().toString(QStringLiteral("yyyy-MM-dd"))));
        QCOMPARE(boxes.Last().Icon(), int(vbInformation));
        QVERIFY(QFile::exists(copy));

        book.Exec(QStringLiteral("delete from adrsmstr"));
        book.Exec(QStringLiteral("insert into adrsgrupmstr (grpid, grpname) values (2, 'LATER')"));
        main.cty->trigger();
        dialogs.answers << copy;
        boxes.Answer(vbYes);
        main.Rtsr->trigger();
        QCOMPARE(boxes.Last().Icon(), int(vbInformation));
        QVERIFY(main.MdiArea->subWindowList().isEmpty()); // the open windows were closed
        QCOMPARE(snapshot(), before);
        QCOMPARE(QDir(book.Folder())
                     .entryList({QStringLiteral("adrsbookHXS-before-restore-*.mdb")})
                     .size(),
                 1);
    }

    void aRefusedRestoreAndAnUnwritableBackupChangeNothing() {
        TestBook book;
        FrmMainMdi main;
        QVERIFY(main.MDIForm_Load());
        book.Exec(QStringLiteral("insert into adrsgrupmstr (grpid, grpname) values (1, 'KEPT')"));
        FileDialogs::Scripted dialogs;
        ScriptedMsgBoxes boxes;
        const QString junk = book.Path(QStringLiteral("junk.mdb"));
        Touch(junk, QByteArray(8192, 'j'));
        dialogs.answers << junk;
        main.Rtsr->trigger();
        QCOMPARE(boxes.calls.size(), 1); // refused before any question
        QCOMPARE(boxes.Last().Icon(), int(vbCritical));
        QVERIFY(boxes.Last().prompt.contains(QStringLiteral("nothing has been changed")));
        QCOMPARE(book.Rows(QStringLiteral("Select grpname from adrsgrupmstr")),
                 (QList<QStringList>{{"KEPT"}}));

        dialogs.answers << QStringLiteral("/nonexistent-folder/backup.mdb");
        main.Bak->trigger();
        QCOMPARE(boxes.Last().Icon(), int(vbCritical));
        QVERIFY(boxes.Last().prompt.startsWith(QStringLiteral("The backup could not be made.")));
        // Cancelling either dialog does nothing at all.
        const int shown = boxes.calls.size();
        main.Bak->trigger();
        main.Rtsr->trigger();
        QCOMPARE(boxes.calls.size(), shown);
    }
};

ADRSBOOK_TEST(AppTests)
#include "tst_app.moc"
