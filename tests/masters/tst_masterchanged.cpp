// A city or a group changed by another desk (or program) between loading
// and saving is never written over unseen: the user takes theirs or saves
// over them.

#include "masterdriver.h"
#include "masters/frmcsc.h"
#include "masters/frmgrupmstr.h"
#include "platform/msgbox.h"
#include "support/scripted.h"
#include "support/testmain.h"

#include <QPushButton>

class MasterChangeTests : public QObject {
    Q_OBJECT
  private slots:
    void aCityOrGroupChangedElsewhereIsToldAndSettled() {
        TestBook book;
        book.Exec(QStringLiteral("insert into cscmstr (ctyid, ctyname, statename, contryname, "
                                 "delstatus) values (1, 'PUNE', 'MAHARASHTR', 'INDIA', 0)"));
        book.Exec(QStringLiteral("insert into adrsgrupmstr (grpid, grpname) values (1, 'AGENTS')"));
        FrmMainMdi main;
        QVERIFY(main.MDIForm_Load());
        ScriptedMsgBoxes boxes;

        // The city: this desk renames it, another changes its state; the
        // state is taken into the form, then both are saved.
        auto* city = OpenFromMenu<FrmCsC>(main, main.cty);
        Click(city->CmdEdt);
        DoubleClickRow(city->LstvewCsc, QStringLiteral("PUNE"));
        city->txtcty->setText(QStringLiteral("POONA"));
        book.Exec(QStringLiteral("update cscmstr set statename = 'MH' where ctyid = 1"));
        boxes.answers = {vbYes, 1}; // take theirs
        Click(city->CmdSave);
        QVERIFY2(boxes.Last().prompt.contains(
                     QStringLiteral("State: theirs \"MH\", yours \"MAHARASHTR\"")),
                 qPrintable(boxes.Last().prompt));
        QCOMPARE(city->txtstate->text(), QStringLiteral("MH"));
        QCOMPARE(book.Rows(QStringLiteral("Select ctyname from cscmstr")),
                 (QList<QStringList>{{"PUNE"}}));
        Click(city->CmdSave);
        QCOMPARE(boxes.Last().prompt, QStringLiteral("Record has been updated"));
        QCOMPARE(book.Rows(QStringLiteral("Select ctyname, statename from cscmstr")),
                 (QList<QStringList>{{"POONA", "MH"}}));

        // The group: renamed by both; this desk saves over the other's name.
        auto* group = OpenFromMenu<FrmGrupMstr>(main, main.dash);
        Click(group->CmdEdt);
        DoubleClickRow(group->LstvewGrup, QStringLiteral("AGENTS"));
        group->txtGrup->setText(QStringLiteral("BROKERS"));
        book.Exec(QStringLiteral("update adrsgrupmstr set grpname = 'DEALERS' where grpid = 1"));
        boxes.answers = {vbYes, 2}; // save over
        Click(group->CmdSave);
        QCOMPARE(boxes.Last().prompt, QStringLiteral("Record has been updated"));
        QVERIFY(boxes.Prompts().join(u'|').contains(
            QStringLiteral("Group: theirs \"DEALERS\", yours \"BROKERS\"")));
        QCOMPARE(book.Rows(QStringLiteral("Select grpname from adrsgrupmstr")),
                 (QList<QStringList>{{"BROKERS"}}));
    }
};

ADRSBOOK_TEST(MasterChangeTests)
#include "tst_masterchanged.moc"
