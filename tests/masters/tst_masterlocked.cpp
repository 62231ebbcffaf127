// A delete while another program holds the book locked: said in a message
// box (not only in the busy line of a list), nothing changed, the entry
// kept; pressed again once the book is free, it deletes.

#include "masterdriver.h"
#include "masters/frmcsc.h"
#include "platform/busynotice.h"
#include "platform/msgbox.h"
#include "support/lockingprogram.h"
#include "support/scripted.h"
#include "support/testmain.h"

#include <QLabel>
#include <QPushButton>

class MasterLockedTests : public QObject {
    Q_OBJECT
  private slots:
    void aCityDeleteUnderAnotherProgramsLockIsSaid() {
        TestBook book;
        if (book.Kind() == BookKind::Server) QSKIP("another program's lock on the book file");
        book.Exec("insert into cscmstr (ctyid, ctyname, statename, contryname, delstatus) values "
                  "(1, 'AMRITSAR', 'PUNJAB', 'INDIA', 0)");
        const auto delstatus = [&] {
            return book.Value("Select delstatus from cscmstr where ctyid = 1").toInt();
        };
        FrmMainMdi main;
        auto* f = OpenFromMenu<FrmCsC>(main, main.cty);
        ScriptedMsgBoxes boxes;
        Click(f->CmdEdt);
        DoubleClickRow(f->LstvewCsc, QStringLiteral("AMRITSAR"));

        auto other = std::make_unique<LockingProgram>(book.File());
        QVERIFY(other->Holds());
        Click(f->CmdDel); // Yes to the question
        QCOMPARE(boxes.calls.size(), 2);
        const MsgBoxCall said = boxes.Last();
        QVERIFY2(said.prompt.startsWith(QStringLiteral("The city could not be deleted.")) &&
                     said.prompt.contains(QStringLiteral("busy in another program")),
                 qPrintable(said.prompt));
        QCOMPARE(said.Icon(), int(vbExclamation));
        QCOMPARE(said.title, f->Caption());
        QVERIFY(!BusyNotice(f) || !BusyNotice(f)->isVisible()); // no "list read again"
        QCOMPARE(f->txtcty->text(), QStringLiteral("AMRITSAR"));
        QVERIFY(f->CmdDel->isEnabled());
        other.reset();
        QCOMPARE(delstatus(), 0);

        Click(f->CmdDel);
        QCOMPARE(boxes.Last().prompt, QStringLiteral("Record has been Deleted"));
        QCOMPARE(delstatus(), 1);
    }
};

ADRSBOOK_TEST(MasterLockedTests)
#include "tst_masterlocked.moc"
