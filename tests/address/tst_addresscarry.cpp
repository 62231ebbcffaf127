// What one entry carries into the next, and what it is asked about: New
// keeps a city only as the screen shows it; the duplicate question is asked
// for what the entry sets or changes.

#include "addressdriver.h"

#include "party/duplicateentry.h"
#include "platform/msgbox.h"
#include "support/scripted.h"
#include "support/testmain.h"

#include <QLabel>

namespace {

void SeedBook(const TestBook& book) {
    SeedCity(book, 1, QStringLiteral("LUDHIANA"), QStringLiteral("PUNJAB"),
             QStringLiteral("INDIA"));
    SeedCity(book, 2, QStringLiteral("PUNE"), QStringLiteral("MAHA"), QStringLiteral("INDIA"));
    SeedGroup(book, 1, QStringLiteral("CUSTOMERS"));
}

// The name and address of a new party, its first group ticked, the city
// left as New leaves it, then Save (answered Yes).
void EnterLeavingTheCity(FrmAdrsMstr1& form, const QString& name) {
    Click(form.CmdSave);
    TypeEntryUpToCity(form, name, QStringLiteral("road"));
    Click(form.CmdSave);
}

} // namespace

class AddressCarryTests : public QObject {
    Q_OBJECT
  private slots:
    void init() { ForgetDuplicateIndex(); }

    void newKeepsACityOnlyWithItsStateAndCountry() {
        TestBook book;
        SeedBook(book);
        ScriptedMsgBoxes boxes;
        FrmAdrsMstr1 form;
        OpenWindow(form);
        EnterNewParty(form, QStringLiteral("first"), QStringLiteral("road"), {1},
                      QStringLiteral("LUDHIANA"));
        Click(form.CmdSave);
        QCOMPARE(boxes.Last().prompt, QStringLiteral("Record has been Saved"));

        // New: the city box still reads the last city, with its state and
        // country; saved untouched, that city is stored.
        Click(form.CmdSave);
        QCOMPARE(form.CmbxCty->currentText(), QStringLiteral("LUDHIANA"));
        QCOMPARE(form.LblState->text(), QStringLiteral("PUNJAB"));
        QCOMPARE(form.LblContry->text(), QStringLiteral("INDIA"));
        Click(form.CmdEdt); // Cancel keeps the new entry, and the city with it
        QCOMPARE(form.LblState->text(), QStringLiteral("PUNJAB"));
        TypeEntryUpToCity(form, QStringLiteral("second"), QStringLiteral("road"));
        Click(form.CmdSave);
        QCOMPARE(boxes.Last().prompt, QStringLiteral("Record has been Saved"));
        QCOMPARE(book.Rows(QStringLiteral("Select adrsname, adrsctyid from adrsmstr order by "
                                          "adrsid")),
                 (QList<QStringList>{{"FIRST", "1"}, {"SECOND", "1"}}));

        // A city gone from the register meanwhile is not kept: the box
        // starts empty, and Save asks for a city.
        book.Exec(QStringLiteral("update cscmstr set delstatus = 1 where ctyid = 1"));
        boxes.calls.clear();
        EnterLeavingTheCity(form, QStringLiteral("third"));
        QCOMPARE(form.CmbxCty->currentText(), QString());
        QCOMPARE(form.LblState->text(), QString());
        QCOMPARE(form.CtyId, Integer(0));
        QVERIFY(!boxes.Prompts().contains(QStringLiteral("Record has been Saved")));
        QCOMPARE(book.Count(QStringLiteral("adrsmstr")), 2);
    }

    void onlyWhatTheEntrySetsOrChangesIsAskedAbout() {
        TestBook book;
        SeedBook(book);
        SeedParty(book, 1, QStringLiteral("ACME"), 1);
        SeedParty(book, 2, QStringLiteral("BETA"), 1);
        SeedParty(book, 3, QStringLiteral("GAMMA"), 2);
        for (int id = 1; id <= 3; ++id)
            SeedLink(book, id, id, 1);
        // ACME and BETA share a mobile number; GAMMA has its own.
        book.Exec(QStringLiteral("update adrsmstr set adrsmobno = '98140 12345' where adrsid < 3"));
        book.Exec(QStringLiteral("update adrsmstr set adrsmobno = '98150 55555' where adrsid = 3"));
        ScriptedMsgBoxes boxes;
        FrmAdrsMstr1 form;
        OpenWindow(form);
        const QStringList updated{"Are you Sure to save this Record", "Record has been updated"};

        // The contact person of BETA changed: the shared number, stored
        // before, asks nothing.
        LoadParty(form, QStringLiteral("BETA"));
        form.TxtCntact->setFocus();
        TypeText(QStringLiteral("ravi"));
        Click(form.CmdSave);
        QCOMPARE(boxes.Prompts(), updated);
        QCOMPARE(book.Value(QStringLiteral("Select adrscontact from adrsmstr where adrsid = 2"))
                     .toString(),
                 QStringLiteral("RAVI"));

        // Its number changed to GAMMA's: asked.
        boxes.calls.clear();
        LoadParty(form, QStringLiteral("BETA"));
        form.MskedtMobNo->setFocus();
        QTest::keyClick(form.MskedtMobNo, Qt::Key_A, Qt::ControlModifier);
        TypeText(QStringLiteral("9815055555"));
        boxes.Answer(vbNo);
        Click(form.CmdSave);
        QCOMPARE(boxes.Prompts(), QStringList{"A party with this mobile number already exists: "
                                              "GAMMA, PUNE. Save anyway?"});

        // A new party with ACME's number: asked, the number is set here.
        boxes.calls.clear();
        Click(form.CmdEdt); // Edit, then Cancel: a new entry
        Click(form.CmdEdt);
        QVERIFY(form.NewEntry);
        TypeEntryUpToCity(form, QStringLiteral("delta"), QStringLiteral("road"));
        PickCity(form.CmbxCty, QStringLiteral("PUNE"));
        form.MskedtMobNo->setFocus();
        TypeText(QStringLiteral("+91 98140-12345"));
        boxes.Answer(vbNo);
        Click(form.CmdSave);
        QCOMPARE(boxes.Prompts().value(0).left(46),
                 QStringLiteral("A party with this mobile number already exists"));
    }
};

ADRSBOOK_TEST(AddressCarryTests)
#include "tst_addresscarry.moc"
