// The registers at their limit: ids are 16-bit, so with 32,767 parties,
// cities, groups or link rows a further new one is refused with a message
// and nothing at all is written.

#include "address/addressdriver.h"
#include "app/bookfile.h"
#include "masters/frmcsc.h"
#include "masters/frmgrupmstr.h"
#include "masters/masterdriver.h"
#include "platform/msgbox.h"
#include "support/scripted.h"
#include "support/testmain.h"

namespace {

// Fills `table` with rows 1..32767 in one statement; `select` makes each
// row from the counter i.
void FillToTheLimit(const TestBook& book, const QString& table, const QString& columns,
                    const QString& select) {
    book.Exec(
        QStringLiteral(
            "insert into %1 (%2) with recursive n(i) as (select 1 union all select i + 1 from n "
            "where i < 32767) select %3 from n")
            .arg(table, columns, select));
    QCOMPARE(book.Count(table), 32767);
}

QByteArray Digest() {
    return RowsDigest(*Conn);
}

} // namespace

class LimitTests : public QObject {
    Q_OBJECT
  private slots:
    void aFullPartyOrLinkRegisterRefusesANewParty_data() {
        QTest::addColumn<QString>("full");
        QTest::newRow("32767 parties") << "adrsmstr";
        QTest::newRow("32767 link ids") << "adrsgrpdtails";
    }
    void aFullPartyOrLinkRegisterRefusesANewParty() {
        QFETCH(QString, full);
        TestBook book;
        SeedCity(book, 1, QStringLiteral("PUNE"), QStringLiteral("MAHARASHTRA"),
                 QStringLiteral("INDIA"));
        SeedGroup(book, 1, QStringLiteral("CUSTOMERS"));
        if (full == QLatin1String("adrsmstr")) {
            FillToTheLimit(book, full,
                           QStringLiteral("adrsid, adrsname, adrs1, adrsctyid, adrsdelstatus"),
                           QStringLiteral("i, 'PARTY ' || i, 'ROAD', 1, 0"));
        } else {
            SeedParty(book, 1, QStringLiteral("MEMBER"), 1);
            FillToTheLimit(book, full, QStringLiteral("adrsgrpid, adrsconcrnid, adrsgrupid"),
                           QStringLiteral("i, 1, '1'"));
        }
        const QByteArray before = Digest();
        FrmAdrsMstr1 form;
        OpenWindow(form);
        ScriptedMsgBoxes boxes;
        EnterNewParty(form, QStringLiteral("one more"), QStringLiteral("road"), {1},
                      QStringLiteral("PUNE"));
        Click(form.CmdSave);
        // Refused once confirmed: the id is taken inside the write.
        QCOMPARE(boxes.calls.size(), 2);
        QCOMPARE(boxes.calls.first().prompt, QStringLiteral("Are you Sure to save this Record"));
        QCOMPARE(boxes.Last().Icon(), int(vbCritical));
        QVERIFY2(boxes.Last().prompt.startsWith(QStringLiteral("The party could not be saved.")) &&
                     boxes.Last().prompt.contains(
                         QStringLiteral("ids go up to 32767. Nothing was saved.")),
                 qPrintable(boxes.Last().prompt));
        QCOMPARE(Digest(), before);
        QCOMPARE(form.Txtname->text(),
                 QStringLiteral("ONE MORE")); // the entry stays for another try
    }

    void aFullCityOrGroupRegisterRefusesANewOne_data() {
        QTest::addColumn<QString>("full");
        QTest::newRow("32767 cities") << "cscmstr";
        QTest::newRow("32767 groups") << "adrsgrupmstr";
    }
    void aFullCityOrGroupRegisterRefusesANewOne() {
        QFETCH(QString, full);
        TestBook book;
        const bool cities = full == QLatin1String("cscmstr");
        if (cities)
            FillToTheLimit(book, full,
                           QStringLiteral("ctyid, ctyname, statename, contryname, delstatus"),
                           QStringLiteral("i, 'CITY ' || i, 'PUNJAB', 'INDIA', 0"));
        else
            FillToTheLimit(book, full, QStringLiteral("grpid, grpname"),
                           QStringLiteral("i, 'GROUP ' || i"));
        const QByteArray before = Digest();
        FrmMainMdi main;
        ScriptedMsgBoxes boxes;
        if (cities) {
            auto* f = OpenFromMenu<FrmCsC>(main, main.cty);
            Click(f->CmdSave);
            TypeText(QStringLiteral("moga"));
            PressEnter();
            PressEnter();
            PressEnter(); // on Save
            Click(f->CmdSave);
        } else {
            auto* f = OpenFromMenu<FrmGrupMstr>(main, main.dash);
            Click(f->CmdSave);
            TypeText(QStringLiteral("one more"));
            Click(f->CmdSave);
        }
        // The master windows' one report for any failed save.
        QCOMPARE(boxes.Prompts(), (QStringList{QStringLiteral("Are you Sure to save this Record"),
                                               QStringLiteral("Invalid Input")}));
        QCOMPARE(boxes.Last().Icon(), int(vbCritical));
        QCOMPARE(Digest(), before);
    }
};

ADRSBOOK_TEST(LimitTests)
#include "tst_limits.moc"
