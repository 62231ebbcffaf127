// Saving and deleting parties: ids and link ids, stamps, trimming, the
// validation colours, all-or-nothing writes and the reports of failures.

#include "addressdriver.h"

#include "data/connmodule.h"
#include "data/statementlog.h"
#include "platform/msgbox.h"
#include "support/scripted.h"
#include "support/testmain.h"

#include <QDateTime>
#include <QLabel>
#include <QPlainTextEdit>

namespace {

void SeedRegisters(const TestBook& book) {
    SeedCity(book, 4, QStringLiteral("PUNE"), QStringLiteral("MAHA"), QStringLiteral("INDIA"));
    const char* names[] = {"AGENTS", "BANKS", "CLIENTS", "DEALERS", "EXPORTERS"};
    for (int i = 0; i < 5; ++i)
        SeedGroup(book, 10 + i, QString::fromLatin1(names[i]));
}

QDateTime Stamp(const TestBook& book, const QString& column, int id) {
    return QDateTime::fromString(
        book.Value(QStringLiteral("select %1 from adrsmstr where adrsid = %2").arg(column).arg(id))
            .toString(),
        QStringLiteral("yyyy-MM-dd HH:mm:ss"));
}

bool Green(QWidget* w) {
    return w->palette().color(QPalette::Base) == QColor(192, 255, 192);
}

} // namespace

class AddressSaveTests : public QObject {
    Q_OBJECT
  private slots:
    void newPartyWithItsLinksGapsAndStamp() {
        TestBook book;
        SeedRegisters(book);
        FrmAdrsMstr1 form;
        OpenWindow(form);
        ScriptedMsgBoxes boxes;
        EnterNewParty(form, QStringLiteral("  o'brien & co  "), QStringLiteral(" 12 main road "),
                      {2, 4}, QStringLiteral("PUNE"), QStringLiteral(" 020 555 "),
                      QStringLiteral("98 "));
        form.TxtPin->setText(QStringLiteral(" 411001 "));
        form.TxtVat->setText(QStringLiteral("VAT9"));
        form.Txtnote->setPlainText(QStringLiteral("  pays late  "));
        QStringList statements;
        StatementLog::Watch(&statements);
        const QDateTime before = QDateTime::currentDateTime().addSecs(-1);
        Click(form.CmdSave);
        StatementLog::Watch(nullptr);

        QCOMPARE(boxes.Prompts(), (QStringList{QStringLiteral("Are you Sure to save this Record"),
                                               QStringLiteral("Record has been Saved")}));
        QVERIFY(boxes.calls[0].YesNo() && boxes.calls[0].Icon() == 0);
        QCOMPARE(boxes.calls[1].Icon(), int(vbInformation));
        QCOMPARE(boxes.calls[1].title, form.Caption());
        // The duplicate check sees how the book stands (one statement) and
        // reads the parties' keys once, then the save.
        QVERIFY2(statements.value(0).contains(QStringLiteral("count(*),max(adrsid)")),
                 qPrintable(statements.value(0)));
        QCOMPARE(statements.mid(1),
                 (QStringList{QStringLiteral("Select adrsid,adrsname,adrsphno,adrsmobno,adrsemail "
                                             "from adrsmstr"),
                              QStringLiteral("Select max(adrsid) from adrsmstr"),
                              QStringLiteral("Select max(adrsgrpid) from adrsgrpdtails"),
                              QStringLiteral("Select * from adrsmstr"),
                              QStringLiteral("Select * from adrsgrpdtails")}));
        QCOMPARE(book.Rows(QStringLiteral(
                     "select adrsid, adrsname, adrscontact, adrs1, adrs2, adrs3, adrsctyid, "
                     "adrspin, adrscstno, adrsphno, adrsmobno, adrsnotes, adrsedtdt, "
                     "adrsdelstatus from adrsmstr")),
                 (QList<QStringList>{{"1", "O'BRIEN & CO", "CONTACT", "12 MAIN ROAD", "AREA",
                                      "NEAR THE PARK", "4", "411001", "VAT9", " 020 555 ", "98 ",
                                      "pays late", "<null>", "0"}}));
        const QDateTime added = Stamp(book, QStringLiteral("adrsaddt"), 1);
        QVERIFY(added >= before && added <= QDateTime::currentDateTime());
        // Rows 2 and 4 of five ticked: link ids 2 and 4, the unticked rows leaving gaps.
        QCOMPARE(book.Rows(
                     QStringLiteral("select adrsgrpid, adrsconcrnid, adrsgrupid from adrsgrpdtails "
                                    "order by adrsgrpid")),
                 (QList<QStringList>{{"2", "1", "11"}, {"4", "1", "13"}}));

        // The entry is cleared but for PIN and VAT/CST.
        QCOMPARE(form.CmdSave->text(), QStringLiteral("&New"));
        QCOMPARE(form.CmdEdt->text(), QStringLiteral("&Edit"));
        QVERIFY(form.Txtname->text().isEmpty() && form.MskedtPhno->text().isEmpty());
        QCOMPARE(form.LstvewGrup1->Count(), 0);
        QCOMPARE(form.TxtPin->text(), QStringLiteral(" 411001 "));
        QCOMPARE(form.TxtVat->text(), QStringLiteral("VAT9"));
        QCOMPARE(form.AdrsId, Integer(0));
    }

    void validationColoursAndFocusesTheLastFailedField() {
        TestBook book;
        SeedRegisters(book);
        FrmAdrsMstr1 form;
        OpenWindow(form);
        ScriptedMsgBoxes boxes;
        EnterNewParty(form, QString(), QString(), {1}, QStringLiteral("PUNE"));
        Click(form.CmdSave);
        QVERIFY(Green(form.Txtname) && Green(form.TxtAddrs));
        QCOMPARE(form.TxtAddrs->palette().color(QPalette::Text), QColor(0, 0, 255));
        QVERIFY(!Green(form.LstvewGrup1));
        QCOMPARE(Focused(), form.TxtAddrs);
        QCOMPARE(form.ErrCount, Integer(0));

        // No city and no group as well: the focus ends on the checklist, not
        // on the land line where leaving the city combo would send it.
        form.CmbxCty->setEditText(QString());
        form.LstvewGrup1->Item(1).SetChecked(false);
        Click(form.CmdSave);
        QVERIFY(Green(form.CmbxCty) && Green(form.LstvewGrup1));
        QCOMPARE(Focused(), form.LstvewGrup1);
        QVERIFY(boxes.calls.isEmpty());
        QCOMPARE(book.Count(QStringLiteral("adrsmstr")), 0);

        form.Txtname->setText(QStringLiteral("A"));
        form.TxtAddrs->setText(QStringLiteral("B"));
        form.CmbxCty->setEditText(QStringLiteral("PUNE"));
        form.LstvewGrup1->Item(1).SetChecked(true);
        Click(form.CmdSave);
        QVERIFY(!Green(form.Txtname) && !Green(form.CmbxCty));
        QCOMPARE(form.Txtname->palette().color(QPalette::Base), QColor(Qt::white));
        QCOMPARE(book.Count(QStringLiteral("adrsmstr")), 1);
    }

    void changingKeepsTheIdThroughADeclinedSave() {
        TestBook book;
        SeedRegisters(book);
        SeedParty(book, 5, QStringLiteral("ACME"), 4);
        book.Exec(QStringLiteral(
            "update adrsmstr set adrsaddt = '2001-02-03 04:05:06' where adrsid = 5"));
        SeedLink(book, 7, 5, 11);
        SeedLink(book, 8, 5, 13);
        SeedLink(book, 20, 9, 10);
        FrmAdrsMstr1 form;
        OpenWindow(form);
        ScriptedMsgBoxes boxes;
        LoadParty(form, QStringLiteral("ac"));
        QCOMPARE(form.AdrsId, Integer(5));
        form.Txtname->setText(QStringLiteral("ACME TWO"));

        boxes.Answer(vbNo);
        Click(form.CmdSave);
        QCOMPARE(form.AdrsId, Integer(5));
        QCOMPARE(form.Txtname->text(), QStringLiteral("ACME TWO"));
        QCOMPARE(book.Value(QStringLiteral("select adrsname from adrsmstr")).toString(),
                 QStringLiteral("ACME"));

        Click(form.CmdSave);
        QCOMPARE(boxes.Prompts().last(), QStringLiteral("Record has been updated"));
        QCOMPARE(book.Rows(QStringLiteral("select adrsid, adrsname, adrsaddt from adrsmstr")),
                 (QList<QStringList>{{"5", "ACME TWO", "2001-02-03 04:05:06"}}));
        QVERIFY(Stamp(book, QStringLiteral("adrsedtdt"), 5).isValid());
        // The same groups, written again with new link ids.
        QCOMPARE(book.Rows(QStringLiteral("select adrsgrpid, adrsgrupid from adrsgrpdtails "
                                          "where adrsconcrnid = 5 order by adrsgrpid")),
                 (QList<QStringList>{{"22", "11"}, {"24", "13"}}));
    }

    void fullRegistersAreReportedAndNothingIsWritten() {
        TestBook book;
        SeedRegisters(book);
        SeedParty(book, 32767, QStringLiteral("LAST"), 4);
        SeedLink(book, 30, 32767, 10);
        FrmAdrsMstr1 form;
        OpenWindow(form);
        ScriptedMsgBoxes boxes;
        EnterNewParty(form, QStringLiteral("new"), QStringLiteral("road"), {1},
                      QStringLiteral("PUNE"));
        Click(form.CmdSave);
        // The ids are taken once the save is confirmed, inside its write.
        QCOMPARE(boxes.calls.size(), 2);
        QVERIFY(boxes.Last().prompt.startsWith(QStringLiteral("The party could not be saved.")));
        QCOMPARE(boxes.Last().Icon(), int(vbCritical));
        QCOMPARE(boxes.Last().title, form.Caption());
        QCOMPARE(book.Count(QStringLiteral("adrsmstr")), 1);
        QCOMPARE(form.Txtname->text(), QStringLiteral("NEW"));
        QCOMPARE(form.CmdSave->text(), QStringLiteral("&Save"));

        // A change of the party with the highest id still saves.
        Click(form.CmdEdt); // Cancel
        LoadParty(form, QStringLiteral("last"));
        form.Txtname->setText(QStringLiteral("LAST ONE"));
        Click(form.CmdSave);
        QCOMPARE(boxes.Prompts().last(), QStringLiteral("Record has been updated"));
        QCOMPARE(book.Rows(QStringLiteral("select adrsname from adrsmstr")),
                 (QList<QStringList>{{"LAST ONE"}}));
        QCOMPARE(book.Rows(QStringLiteral("select adrsgrpid, adrsgrupid from adrsgrpdtails")),
                 (QList<QStringList>{{"1", "10"}}));
    }

    void aFailureHalfwayLeavesTheBookAsItWas() {
        TestBook book;
        SeedRegisters(book);
        SeedParty(book, 1, QStringLiteral("OTHER"), 4);
        SeedLink(book, 32765, 1, 10);
        FrmAdrsMstr1 form;
        OpenWindow(form);
        ScriptedMsgBoxes boxes;
        // Rows 1 and 4: the first link gets 32766, the second would need 32769.
        EnterNewParty(form, QStringLiteral("new"), QStringLiteral("road"), {1, 4},
                      QStringLiteral("PUNE"));
        Click(form.CmdSave);
        QVERIFY(boxes.Last().prompt.startsWith(QStringLiteral("The party could not be saved.")));
        QCOMPARE(book.Count(QStringLiteral("adrsmstr")), 1);
        QCOMPARE(book.Count(QStringLiteral("adrsgrpdtails")), 1);

        // Unticking the fourth row makes it fit; the entry was left as typed.
        form.LstvewGrup1->Item(4).SetChecked(false);
        Click(form.CmdSave);
        QCOMPARE(boxes.Prompts().last(), QStringLiteral("Record has been Saved"));
        QCOMPARE(book.Rows(QStringLiteral(
                     "select adrsgrpid, adrsconcrnid from adrsgrpdtails order by adrsgrpid")),
                 (QList<QStringList>{{"32765", "1"}, {"32766", "2"}}));
    }

    void deleteRemovesThePartyAndItsMemberships() {
        TestBook book;
        SeedRegisters(book);
        SeedParty(book, 1, QStringLiteral("KEEP"), 4);
        SeedParty(book, 2, QStringLiteral("GONE"), 4);
        SeedLink(book, 1, 1, 10);
        SeedLink(book, 2, 2, 10);
        SeedLink(book, 3, 2, 11);
        FrmAdrsMstr1 form;
        OpenWindow(form);
        ScriptedMsgBoxes boxes;
        Click(form.CmdDel); // disabled: nothing loaded
        QVERIFY(boxes.calls.isEmpty());

        LoadParty(form, QStringLiteral("gone"));
        boxes.Answer(vbNo);
        Click(form.CmdDel);
        QCOMPARE(Focused(), form.CmdDel);
        QCOMPARE(book.Count(QStringLiteral("adrsmstr")), 2);

        Click(form.CmdDel);
        QCOMPARE(boxes.Prompts(),
                 (QStringList{QStringLiteral("Are you sure to delete this record?"),
                              QStringLiteral("Are you sure to delete this record?"),
                              QStringLiteral("Record has been Deleted")}));
        QCOMPARE(book.Rows(QStringLiteral("select adrsid from adrsmstr")),
                 (QList<QStringList>{{"1"}}));
        QCOMPARE(book.Rows(QStringLiteral("select adrsconcrnid from adrsgrpdtails")),
                 (QList<QStringList>{{"1"}}));
        QVERIFY(!form.CmdDel->isEnabled());
        QCOMPARE(form.AdrsId, Integer(0));
        QCOMPARE(form.CmdSave->text(), QStringLiteral("&New"));
    }
};

ADRSBOOK_TEST(AddressSaveTests)
#include "tst_addresssave.moc"
