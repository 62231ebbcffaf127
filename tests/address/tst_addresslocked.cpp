// A party saved while another program holds the book locked: the save
// says that it could not be made, writes nothing and keeps the entry; once
// the book is free, Save saves it.

#include "addressdriver.h"
#include "platform/busynotice.h"
#include "platform/msgbox.h"
#include "support/lockingprogram.h"
#include "support/scripted.h"
#include "support/testmain.h"

#include <QLabel>

class AddressLockedTests : public QObject {
    Q_OBJECT
  private slots:
    void aSaveUnderAnotherProgramsLockIsSaidAndTheEntryKept() {
        TestBook book;
        if (book.Kind() == BookKind::Server) QSKIP("another program's lock on the book file");
        SeedCity(book, 1, QStringLiteral("PUNE"), QStringLiteral("MAHA"), QStringLiteral("INDIA"));
        SeedGroup(book, 1, QStringLiteral("CUSTOMERS"));
        SeedParty(book, 5, QStringLiteral("ACME"), 1);
        SeedLink(book, 1, 5, 1);
        FrmAdrsMstr1 form;
        OpenWindow(form);
        ScriptedMsgBoxes boxes;
        LoadParty(form, QStringLiteral("ac"));
        QCOMPARE(form.AdrsId, Integer(5));
        form.TxtCntact->setText(QStringLiteral("RAVI"));

        auto other = std::make_unique<LockingProgram>(book.File());
        QVERIFY(other->Holds());
        Click(form.CmdSave);
        QVERIFY2(!boxes.calls.isEmpty(), "a save that failed said nothing");
        const MsgBoxCall said = boxes.Last();
        QVERIFY2(said.prompt.startsWith(QStringLiteral("The party could not be saved.")) &&
                     said.prompt.contains(QStringLiteral("busy in another program")),
                 qPrintable(said.prompt));
        QCOMPARE(said.Icon(), int(vbExclamation));
        QVERIFY(!boxes.Prompts().contains(QStringLiteral("Record has been updated")));
        QVERIFY(!BusyNotice(&form) || !BusyNotice(&form)->isVisible());
        QCOMPARE(form.TxtCntact->text(), QStringLiteral("RAVI"));
        QCOMPARE(form.AdrsId, Integer(5));
        other.reset();
        QVERIFY(book.Value(QStringLiteral("select adrscontact from adrsmstr")).isNull());

        Click(form.CmdSave);
        QCOMPARE(boxes.Last().prompt, QStringLiteral("Record has been updated"));
        QCOMPARE(book.Value(QStringLiteral("select adrscontact from adrsmstr")).toString(),
                 QStringLiteral("RAVI"));
    }
};

ADRSBOOK_TEST(AddressLockedTests)
#include "tst_addresslocked.moc"
