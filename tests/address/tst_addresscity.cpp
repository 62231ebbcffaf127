// A city typed instead of chosen is saved as the city of that name or not
// at all, and no sequence of the buttons leaves the window unable to add a
// party.

#include "addressdriver.h"

#include "platform/msgbox.h"
#include "support/scripted.h"
#include "support/testmain.h"

#include <QLabel>

namespace {

void SeedRegisters(const TestBook& book) {
    SeedCity(book, 1, QStringLiteral("NEW DELHI"), QStringLiteral("DELHI"),
             QStringLiteral("INDIA"));
    SeedCity(book, 2, QStringLiteral("Ludhiana"), QStringLiteral("PUNJAB"),
             QStringLiteral("INDIA"));
    SeedCity(book, 3, QStringLiteral("LUDHIANA"), QStringLiteral("PB"), QStringLiteral("INDIA"));
    SeedCity(book, 4, QStringLiteral("AMRITSAR"), QStringLiteral("PUNJAB"), QStringLiteral("INDIA"),
             1);
    SeedGroup(book, 1, QStringLiteral("CUSTOMERS"));
}

// From whatever state the window is in: New when it offers it, then the
// Enter chain with the first group ticked and the city either chosen from
// the list (`picked`) or only typed; Save.
void EnterAndSave(FrmAdrsMstr1& form, const QString& name, const QString& typed,
                  const QString& picked = QString()) {
    if (form.CmdSave->text() == QStringLiteral("&New")) Click(form.CmdSave);
    QTest::mouseClick(form.Txtname, Qt::LeftButton);
    TypeEntryUpToCity(form, name, QStringLiteral("main road"));
    if (Focused() == form.CmbxCty) {
        if (picked.isEmpty()) {
            form.CmbxCty->setEditText(QString());
            TypeText(typed);
        } else {
            PickCity(form.CmbxCty, picked);
        }
        PressEnter();
    }
    PressEnter();
    PressEnter();
    Click(form.CmdSave);
}

QString CityOf(const TestBook& book, const QString& name) {
    return book
        .Value(QStringLiteral("Select adrsctyid from adrsmstr where adrsname = '%1'").arg(name))
        .toString();
}

} // namespace

class AddressCityTests : public QObject {
    Q_OBJECT
  private slots:
    void aTypedCityIsSavedAsTheCityOfThatNameOrRefused() {
        TestBook book;
        SeedRegisters(book);
        FrmAdrsMstr1 form;
        OpenWindow(form);
        ScriptedMsgBoxes boxes;
        // The first party of the session: typed, never chosen.
        EnterAndSave(form, QStringLiteral("FIRST"), QStringLiteral("ludhiana"));
        QCOMPARE(CityOf(book, QStringLiteral("FIRST")), QStringLiteral("2")); // first by id
        // Chosen from the list, then the next party's city only typed.
        EnterAndSave(form, QStringLiteral("SECOND"), QString(), QStringLiteral("NEW DELHI"));
        QCOMPARE(CityOf(book, QStringLiteral("SECOND")), QStringLiteral("1"));
        EnterAndSave(form, QStringLiteral("THIRD"), QStringLiteral("ludhiana"));
        QCOMPARE(CityOf(book, QStringLiteral("THIRD")), QStringLiteral("2"));
        QCOMPARE(boxes.Prompts().count(QStringLiteral("Record has been Saved")), 3);

        // No live city of that name (a deleted one does not count): refused,
        // and the focus waits in the city box.
        boxes.calls.clear();
        EnterAndSave(form, QStringLiteral("FOURTH"), QStringLiteral("NOWHERE"));
        for (const QString& typed : {QStringLiteral("NOWHERE"), QStringLiteral("AMRITSAR")}) {
            if (typed != QStringLiteral("NOWHERE")) {
                form.CmbxCty->setEditText(QString());
                TypeText(typed);
                Click(form.CmdSave);
            }
            QCOMPARE(boxes.calls.size(), 1);
            QCOMPARE(boxes.Last().Icon(), int(vbCritical));
            QVERIFY(boxes.Last().prompt.contains(QStringLiteral("chosen from the list")));
            QCOMPARE(Focused(), form.CmbxCty);
            QCOMPARE(form.CmbxCty->palette().color(QPalette::Base), QColor(192, 255, 192));
            QCOMPARE(book.Count(QStringLiteral("adrsmstr")), 3);
            QCOMPARE(form.CmdSave->text(), QStringLiteral("&Save"));
            boxes.calls.clear();
        }
        // Choosing it from the list then saves.
        PickCity(form.CmbxCty, QStringLiteral("NEW DELHI"));
        PressEnter();
        PressEnter();
        PressEnter();
        Click(form.CmdSave);
        QCOMPARE(CityOf(book, QStringLiteral("FOURTH")), QStringLiteral("1"));
    }

    void everySequenceOfTheButtonsStillAddsAParty() {
        TestBook book;
        SeedRegisters(book);
        SeedParty(book, 1, QStringLiteral("LOADED"), 1);
        SeedLink(book, 1, 1, 1);
        ScriptedMsgBoxes boxes;
        // N: New or Save, E: Edit or Cancel, L: Edit and load the party,
        // X: close the window and open it again.
        const QStringList sequences{QStringLiteral("NEEE"),  QStringLiteral("EE"),
                                    QStringLiteral("NE"),    QStringLiteral("NNEEE"),
                                    QStringLiteral("LEE"),   QStringLiteral("LEEX"),
                                    QStringLiteral("NEEEEE")};
        int parties = 1;
        for (const QString& sequence : sequences) {
            auto form = std::make_unique<FrmAdrsMstr1>();
            OpenWindow(*form);
            for (const QChar step : sequence) {
                if (step == u'N') Click(form->CmdSave);
                if (step == u'E') Click(form->CmdEdt);
                if (step == u'L') LoadParty(*form, QStringLiteral("LOADED"));
                if (step == u'X') {
                    form = std::make_unique<FrmAdrsMstr1>();
                    OpenWindow(*form);
                }
            }
            const QString name = QStringLiteral("P") + sequence;
            EnterAndSave(*form, name, QString(), QStringLiteral("NEW DELHI"));
            QVERIFY2(boxes.Prompts().contains(QStringLiteral("Record has been Saved")),
                     qPrintable(sequence));
            boxes.calls.clear();
            QCOMPARE(book.Count(QStringLiteral("adrsmstr")), ++parties);
            QCOMPARE(CityOf(book, name), QStringLiteral("1"));
        }
        QCOMPARE(book.Value(QStringLiteral("Select adrsname from adrsmstr where adrsid = 1")),
                 QVariant(QStringLiteral("LOADED")));
    }
};

ADRSBOOK_TEST(AddressCityTests)
#include "tst_addresscity.moc"
