// After every Print the main window's status bar says what was sent to the
// printer, without a message box in the way.

#include "app/frmmainmdi.h"
#include "platform/shell.h"
#include "printdesk.h"

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
};

ADRSBOOK_TEST(PrintStatusTests)
#include "tst_printstatus.moc"
