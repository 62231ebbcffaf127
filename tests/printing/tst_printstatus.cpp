// After every Print the main window's status bar says what was sent to the
// printer, without a message box in the way; what could not be printed as
// it stands is said too.

#include "app/frmmainmdi.h"
#include "platform/busynotice.h"
#include "platform/shell.h"
#include "printdesk.h"
#include "support/lockingprogram.h"
#include "support/scripted.h"

#include <QStatusBar>

class PrintStatusTests : public QObject {
    Q_OBJECT
  private slots:
    void theStatusBarSaysWhatEachPrintSent() {
        TestBook book;
        SeedCity(book, 1, QStringLiteral("PUNE"), QStringLiteral("MAHA"), QStringLiteral("INDIA"));
        SeedParty(book, Party{});
        Shell::Recorder shell;
        FrmMainMdi main;
        QVERIFY(main.MDIForm_Load());
        ShowAndActivate(&main);
        ScriptedMsgBoxes boxes;
        main.prnt->trigger();
        Settle();
        auto* form = main.Child<FrmPrntrpt>();
        QVERIFY(form);
        QCOMPARE(main.statusBar()->currentMessage(), QString());

        Click(form->Txtsrch);
        TypeText(QStringLiteral("acme"));
        PressEnter();
        PressEnter();
        Click(form->OptnStiker);
        const struct {
            QString copies;
            QString said;
        } cases[] = {{"3", "3 stickers sent to the printer"},
                     {"1", "1 sticker sent to the printer"},
                     {"0", "Nothing printed: the number of copies is 0"}};
        for (const auto& c : cases) {
            Click(form->txtNoco);
            form->txtNoco->selectAll();
            TypeText(c.copies);
            PressEnter();
            Click(form->CmdPrnt);
            QCOMPARE(main.statusBar()->currentMessage(), c.said);
        }
        Click(form->OpntEnvelop);
        Click(form->CmdPrnt);
        QCOMPARE(main.statusBar()->currentMessage(),
                 QStringLiteral("Envelope sent to the printer"));
        QCOMPARE(shell.started.size(), 4);
        QVERIFY(boxes.calls.isEmpty());

        // A print that fails says so in a box and leaves no word of success.
        shell.startSucceeds = false;
        Click(form->CmdPrnt);
        QCOMPARE(boxes.calls.size(), 1);
        QCOMPARE(main.statusBar()->currentMessage(), QString());
    }

    // A name the text printer's code page lacks prints as "?" in the same
    // layout; the status bar says how many lines and points to the sheet.
    void lettersTheTextPrinterLacksAreSaid() {
        TestBook book;
        SeedCity(book, 1, QStringLiteral("PUNE"), QStringLiteral("MAHA"), QStringLiteral("INDIA"));
        Party p;
        p.name = QStringLiteral("Traders \u0936\u0930\u094d\u092e\u093e");
        p.adrs2 = QStringLiteral("\u092a\u093e\u0930\u094d\u0915 area");
        SeedParty(book, p);
        Shell::Recorder shell;
        FrmMainMdi main;
        ScriptedMsgBoxes boxes;
        auto* form = OpenWithParty(main, QStringLiteral("traders"));
        QVERIFY(form);
        Click(form->OpntEnvelop);
        Click(form->CmdPrnt);
        QCOMPARE(main.statusBar()->currentMessage(),
                 QStringLiteral("Envelope sent to the printer; 2 lines contain letters the text "
                                "printer cannot print: use Print on sheet"));
        Click(form->OptnStiker);
        Click(form->txtNoco);
        form->txtNoco->selectAll();
        TypeText(QStringLiteral("2"));
        PressEnter();
        Click(form->CmdPrnt);
        QCOMPARE(main.statusBar()->currentMessage(),
                 QStringLiteral("2 stickers sent to the printer; 2 lines contain letters the "
                                "text printer cannot print: use Print on sheet"));
        const QByteArray file = ReadFile(PrintFilePath());
        QCOMPARE(file.count("\r\n"), 18); // two stickers of nine lines, as ever
        QVERIFY2(file.startsWith("     Traders ?????\r\n     12 Main road\r\n     ????? AREA\r\n"),
                 file.constData());
        QVERIFY(boxes.calls.isEmpty());
    }

    // An edited contact person that cannot be stored while another program
    // holds the book is said in a box; nothing is printed, and no word of a
    // print stands in the status bar.
    void aContactPersonThatCannotBeSavedIsSaid() {
        TestBook book;
        if (book.Kind() == BookKind::Server) QSKIP("another program's lock on the book file");
        SeedCity(book, 1, QStringLiteral("PUNE"), QStringLiteral("MAHA"), QStringLiteral("INDIA"));
        SeedParty(book, Party{});
        Shell::Recorder shell;
        FrmMainMdi main;
        ScriptedMsgBoxes boxes;
        auto* form = OpenWithParty(main, QStringLiteral("acme"));
        QVERIFY(form);
        PressKey(Qt::Key_Space); // Mark Attention !
        TypeText(QStringLiteral("anil"));
        Click(form->OpntEnvelop);
        WritePrintFile(PrintFilePath(), "earlier\r\n");

        auto other = std::make_unique<LockingProgram>(book.File());
        QVERIFY(other->Holds());
        Click(form->CmdPrnt); // Yes to storing the contact person
        QCOMPARE(boxes.calls.size(), 2);
        QVERIFY2(boxes.Last().prompt.startsWith(QStringLiteral(
                     "The contact person could not be saved, so nothing was printed.")) &&
                     boxes.Last().prompt.contains(QStringLiteral("busy in another program")),
                 qPrintable(boxes.Last().prompt));
        QVERIFY(!BusyNotice(form) || !BusyNotice(form)->isVisible());
        QCOMPARE(main.statusBar()->currentMessage(), QString());
        QCOMPARE(ReadFile(PrintFilePath()), QByteArray("earlier\r\n"));
        QVERIFY(shell.started.isEmpty());
        other.reset();

        Click(form->CmdPrnt);
        QCOMPARE(main.statusBar()->currentMessage(),
                 QStringLiteral("Envelope sent to the printer"));
        QCOMPARE(book.Value(QStringLiteral("select adrscontact from adrsmstr")).toString(),
                 QStringLiteral("ANIL"));
    }
};

ADRSBOOK_TEST(PrintStatusTests)
#include "tst_printstatus.moc"
