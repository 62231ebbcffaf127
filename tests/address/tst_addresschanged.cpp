// A party changed by another desk (or program) between loading and saving:
// nothing is written over it unseen. The user is told which fields differ,
// theirs and yours, and keeps editing, takes theirs, or saves over them.

#include "addressdriver.h"
#include "platform/msgbox.h"
#include "support/scripted.h"
#include "support/testmain.h"

#include <QPlainTextEdit>

namespace {

enum Choice { KeepEditing = 0, TakeTheirs = 1, SaveOver = 2 };

// The party as the book holds it: contact, PIN, groups.
QStringList Stored(const TestBook& book) {
    const QList<QStringList> party =
        book.Rows(QStringLiteral("Select adrscontact, adrspin from adrsmstr where adrsid = 9"));
    QStringList groups;
    for (const QStringList& link : book.Rows(QStringLiteral(
             "Select adrsgrupid from adrsgrpdtails where adrsconcrnid = 9 order by adrsgrupid")))
        groups << link.first();
    return {party.value(0).value(0), party.value(0).value(1), groups.join(u',')};
}

// Types over a box of the loaded entry.
void Retype(QLineEdit* box, const QString& text) {
    box->setFocus();
    box->selectAll();
    TypeText(text);
}

} // namespace

class AddressChangeTests : public QObject {
    Q_OBJECT
  private slots:
    void aPartyChangedElsewhereIsNeverSavedOverUnseen() {
        TestBook book;
        SeedCity(book, 1, QStringLiteral("LUDHIANA"), QStringLiteral("PUNJAB"),
                 QStringLiteral("INDIA"));
        SeedGroup(book, 1, QStringLiteral("CUSTOMERS"));
        SeedGroup(book, 2, QStringLiteral("DEALERS"));
        SeedParty(book, 9, QStringLiteral("B-PARTY-9"), 1);
        book.Exec(QStringLiteral("update adrsmstr set adrscontact = 'ANIL', adrspin = '141001' "
                                 "where adrsid = 9"));
        SeedLink(book, 1, 9, 1);
        FrmAdrsMstr1 form;
        OpenWindow(form);
        ScriptedMsgBoxes boxes;
        const auto save = [&](int choice) {
            boxes.calls.clear();
            boxes.answers = {vbYes, choice};
            Click(form.CmdSave);
        };

        // This desk changes the contact; another the PIN meanwhile.
        LoadParty(form, QStringLiteral("B-PARTY"));
        Retype(form.TxtCntact, QStringLiteral("RAVI"));
        book.Exec(QStringLiteral("update adrsmstr set adrspin = '141002' where adrsid = 9"));
        save(KeepEditing);
        QCOMPARE(boxes.calls.size(), 2);
        QCOMPARE(boxes.Last().choices.size(), 3);
        QVERIFY2(boxes.Last().prompt.contains(QStringLiteral("PIN Code: theirs \"141002\", yours "
                                                             "\"141001\"")),
                 qPrintable(boxes.Last().prompt));
        QVERIFY(!boxes.Last().prompt.contains(QStringLiteral("Contact Person")));
        QCOMPARE(Stored(book), (QStringList{"ANIL", "141002", "1"}));
        QCOMPARE(form.TxtCntact->text(), QStringLiteral("RAVI")); // still being edited

        save(TakeTheirs);
        QCOMPARE(form.TxtPin->text(), QStringLiteral("141002"));
        QCOMPARE(Stored(book), (QStringList{"ANIL", "141002", "1"}));
        save(KeepEditing); // checked again: nothing changed since
        QCOMPARE(boxes.Prompts().last(), QStringLiteral("Record has been updated"));
        QCOMPARE(Stored(book), (QStringList{"RAVI", "141002", "1"}));

        // Both change the contact, and the groups change too: saved over.
        LoadParty(form, QStringLiteral("B-PARTY"));
        Retype(form.TxtCntact, QStringLiteral("MEENA"));
        book.Exec(QStringLiteral("update adrsmstr set adrscontact = 'SUNIL' where adrsid = 9"));
        SeedLink(book, 2, 9, 2);
        save(SaveOver);
        const QString asked = boxes.calls.at(1).prompt;
        QVERIFY2(asked.contains(QStringLiteral("Contact Person: theirs \"SUNIL\", yours "
                                               "\"MEENA\"")) &&
                     asked.contains(QStringLiteral("Groups: theirs \"CUSTOMERS, DEALERS\", yours "
                                                   "\"CUSTOMERS\"")),
                 qPrintable(asked));
        QCOMPARE(boxes.Prompts().last(), QStringLiteral("Record has been updated"));
        QCOMPARE(Stored(book), (QStringList{"MEENA", "141002", "1"}));
    }
};

ADRSBOOK_TEST(AddressChangeTests)
#include "tst_addresschanged.moc"
