// A party whose city or groups are no longer in their registers (a book
// restored from an older backup): loading it says what is missing, the
// group checklist is always there, and once a city is chosen and a group
// ticked the party saves.

#include "addressdriver.h"

#include "platform/msgbox.h"
#include "support/scripted.h"
#include "support/testmain.h"

#include <QLabel>

namespace {
// The city PUNE (5), the groups BANKS (1) and PRESS (2) when `withGroups`,
// and the party ACME in city `city`, linked to `groups`.
void SeedRegistersAndParty(const TestBook& book, int city, const QList<int>& groups,
                           bool withGroups) {
    SeedCity(book, 5, QStringLiteral("PUNE"), QStringLiteral("MAHA"), QStringLiteral("INDIA"));
    if (withGroups) {
        SeedGroup(book, 1, QStringLiteral("BANKS"));
        SeedGroup(book, 2, QStringLiteral("PRESS"));
    }
    SeedParty(book, 1, QStringLiteral("ACME"), city);
    for (int i = 0; i < groups.size(); ++i)
        SeedLink(book, i + 1, 1, groups[i]);
}
} // namespace

class AddressRestoredTests : public QObject {
    Q_OBJECT
  private slots:
    void loadingSaysWhatIsMissing_data() {
        QTest::addColumn<int>("city");          // the party's city id
        QTest::addColumn<QList<int>>("groups"); // its links' group ids
        QTest::addColumn<bool>("withGroups");   // the register holds BANKS (1) and PRESS (2)
        QTest::addColumn<QStringList>("said");  // parts of the one message, or none
        QTest::addColumn<QStringList>("ticked");

        QTest::newRow("whole") << 5 << QList<int>{1} << true << QStringList()
                               << QStringList{"BANKS"};
        QTest::newRow("city gone")
            << 42 << QList<int>{2} << true << QStringList{"city (id 42)", "a city must be chosen"}
            << QStringList{"PRESS"};
        QTest::newRow("every group gone")
            << 5 << QList<int>{9, 7} << true
            << QStringList{"groups (ids 7, 9)", "at least one group must be ticked"}
            << QStringList();
        QTest::newRow("one group of two gone")
            << 5 << QList<int>{1, 9} << true
            << QStringList{"group (id 9)", "keeps only the groups ticked"} << QStringList{"BANKS"};
        QTest::newRow("both gone, no group to tick")
            << 42 << QList<int>{9} << false
            << QStringList{"city (id 42)", "group (id 9)", "first be made in the Group Master"}
            << QStringList();
    }

    void loadingSaysWhatIsMissing() {
        QFETCH(int, city);
        QFETCH(QList<int>, groups);
        QFETCH(bool, withGroups);
        QFETCH(QStringList, said);
        QFETCH(QStringList, ticked);
        TestBook book;
        SeedRegistersAndParty(book, city, groups, withGroups);
        FrmAdrsMstr1 form;
        OpenWindow(form);
        ScriptedMsgBoxes boxes;
        LoadParty(form, QStringLiteral("acme"));
        QCOMPARE(form.Txtname->text(), QStringLiteral("ACME"));
        QCOMPARE(form.LstvewGrup1->Count(), withGroups ? 2 : 0);
        QCOMPARE(Ticked(form.LstvewGrup1), ticked);
        if (said.isEmpty()) {
            QVERIFY2(boxes.calls.isEmpty(), qPrintable(boxes.Prompts().join(u'|')));
            return;
        }
        QCOMPARE(boxes.calls.size(), 1);
        QCOMPARE(boxes.Last().Icon(), int(vbInformation));
        QCOMPARE(boxes.Last().title, form.Caption());
        for (const QString& part : said)
            QVERIFY2(boxes.Last().prompt.contains(part), qPrintable(boxes.Last().prompt));
        QCOMPARE(form.CmbxCty->isHidden(), city == 5); // a lost city is chosen anew
    }

    void withACityChosenAndAGroupTickedItSaves() {
        TestBook book;
        SeedRegistersAndParty(book, 42, {9}, true);
        FrmAdrsMstr1 form;
        OpenWindow(form);
        ScriptedMsgBoxes boxes;
        LoadParty(form, QStringLiteral("acme"));
        QCOMPARE(boxes.calls.size(), 1);

        // Save at once is refused, as before: nothing is written.
        Click(form.CmdSave);
        QCOMPARE(boxes.calls.size(), 1);
        QCOMPARE(book.Value(QStringLiteral("select adrsctyid from adrsmstr")).toInt(), 42);

        form.CmbxCty->setFocus();
        PickCity(form.CmbxCty, QStringLiteral("PUNE"));
        PressEnter();
        QCOMPARE(form.LblCty->text(), QStringLiteral("PUNE"));
        ToggleRow(form.LstvewGrup1, 1);
        Click(form.CmdSave);
        QCOMPARE(boxes.Prompts().last(), QStringLiteral("Record has been updated"));
        QCOMPARE(book.Rows(QStringLiteral("select adrsctyid from adrsmstr")),
                 (QList<QStringList>{{"5"}}));
        QCOMPARE(book.Rows(QStringLiteral("select adrsgrupid from adrsgrpdtails")),
                 (QList<QStringList>{{"1"}}));
    }
};

ADRSBOOK_TEST(AddressRestoredTests)
#include "tst_addressrestored.moc"
