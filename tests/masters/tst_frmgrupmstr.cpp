#include "data/connmodule.h"
#include "data/statementlog.h"
#include "masterdriver.h"
#include "masters/frmgrupmstr.h"
#include "platform/msgbox.h"
#include "platform/twips.h"
#include "support/scripted.h"
#include "support/testmain.h"

#include <QGroupBox>
#include <QPushButton>

namespace {
void SeedGroup(TestBook& book, int id, const QString& name) {
    book.Exec(QStringLiteral("insert into adrsgrupmstr (grpid, grpname) values (%1, '%2')")
                  .arg(id)
                  .arg(name));
}

QString GroupName(TestBook& book, int id) {
    return book.Value(QStringLiteral("Select grpname from adrsgrupmstr where grpid = %1").arg(id))
        .toString();
}

// The buttons' captions and Delete's state, and whether the entry is open.
QString State(FrmGrupMstr* f) {
    return QStringList{f->CmdSave->text(), f->CmdEdt->text(), f->CmdDel->isEnabled() ? "del" : "-",
                       f->FrameCsC->isEnabled() ? "open" : "locked",
                       f->Width() == 4410 ? "narrow" : QString::number(f->Width())}
        .join(u' ');
}

void LoadGroup(FrmGrupMstr* f, const QString& name) {
    Click(f->CmdEdt);
    DoubleClickRow(f->LstvewGrup, name);
}
} // namespace

class GroupMasterTests : public QObject {
    Q_OBJECT
  private slots:
    void statesWhileAdding() {
        TestBook book;
        FrmMainMdi main;
        auto* f = OpenFromMenu<FrmGrupMstr>(main, main.dash);
        ScriptedMsgBoxes boxes;
        QCOMPARE(f->Caption(), QStringLiteral("NAME OF THE USER COMPANY (GROUP MASTER)"));
        QCOMPARE(f->Height(), 2940);
        QCOMPARE(f->Left(), Twips(Px(100)));
        QCOMPARE(f->Top(), 0);
        QCOMPARE(State(f), QStringLiteral("&New &Edit - locked narrow"));
        QVERIFY(f->LstvewGrup->isHidden());

        Click(f->CmdSave);
        QCOMPARE(State(f), QStringLiteral("&Save &Cancel - open narrow"));
        QCOMPARE(Focused(), f->txtGrup);
        TypeText(QStringLiteral("o'neil's customers"));
        QCOMPARE(f->txtGrup->text(), QStringLiteral("O'NEIL'S CUSTOM"));
        PressEnter();
        QCOMPARE(Focused(), f->CmdSave);
        PressEnter();
        QCOMPARE(book.Rows("Select grpid, grpname from adrsgrupmstr"),
                 QList<QStringList>{(QStringList{"1", "O'NEIL'S CUSTOM"})});
        QCOMPARE(boxes.Prompts(),
                 (QStringList{"Are you Sure to save this Record", "Record has been Saved"}));
        QCOMPARE(boxes.calls[0].buttons, int(vbYesNo));
        QCOMPARE(boxes.calls[1].Icon(), int(vbInformation));
        QCOMPARE(State(f), QStringLiteral("&New &Edit - open narrow"));
        QVERIFY(f->txtGrup->text().isEmpty());

        // Cancel after New keeps Save and add mode.
        Click(f->CmdSave);
        Click(f->CmdEdt);
        QCOMPARE(State(f), QStringLiteral("&Save &Edit - open narrow"));
        QCOMPARE(Focused(), f->txtGrup);
        TypeText(QStringLiteral("family"));
        Click(f->CmdSave);
        QCOMPARE(GroupName(book, 2), QStringLiteral("FAMILY"));
    }

    void statesWhileChoosingAndDeleting() {
        TestBook book;
        SeedGroup(book, 1, QStringLiteral("D''CRUZ"));
        SeedGroup(book, 2, QStringLiteral("ALPHA"));
        FrmMainMdi main;
        auto* f = OpenFromMenu<FrmGrupMstr>(main, main.dash);
        ScriptedMsgBoxes boxes;
        QStringList log;
        StatementLog::Watch(&log);
        Click(f->CmdEdt);
        StatementLog::Watch(nullptr);
        QCOMPARE(log, QStringList{"Select grpname,grpid from adrsgrupmstr  order by grpname"});
        QCOMPARE(State(f), QStringLiteral("&New &Cancel - locked 7560"));
        QVERIFY(f->LstvewGrup->isVisible());
        QCOMPARE(Focused(), f->LstvewGrup);
        QCOMPARE(RowTexts(f->LstvewGrup), (QStringList{"ALPHA", "D'CRUZ"}));
        QCOMPARE(f->LstvewGrup->Item(1).SubItem(1), QStringLiteral("2"));

        PressKey(Qt::Key_Down);
        PressEnter();
        QCOMPARE(State(f), QStringLiteral("&Save &Edit del open narrow"));
        QVERIFY(f->LstvewGrup->isHidden());
        QCOMPARE(f->txtGrup->text(), QStringLiteral("D'CRUZ"));
        QCOMPARE(f->txtGrup->selectedText(), QStringLiteral("D'CRUZ"));

        boxes.Answer(vbNo);
        Click(f->CmdDel);
        QCOMPARE(Focused(), f->CmdDel);
        QCOMPARE(book.Count("adrsgrupmstr"), 2);
        log.clear();
        StatementLog::Watch(&log);
        Click(f->CmdDel);
        StatementLog::Watch(nullptr);
        QCOMPARE(log.first(), QStringLiteral("Delete * from adrsgrupmstr where grpid like '1'"));
        QCOMPARE(book.Rows("Select grpid from adrsgrupmstr"), QList<QStringList>{QStringList{"2"}});
        QCOMPARE(boxes.Last().prompt, QStringLiteral("Record has been Deleted"));
        QCOMPARE(State(f), QStringLiteral("&New &Edit - open narrow"));
        QVERIFY(f->txtGrup->text().isEmpty());
    }

    // A blank name is coloured and nothing is written; answering No leaves
    // the entry as typed, and the next Save renames the group on screen.
    void blankOrDeclinedSaveWritesNothing() {
        TestBook book;
        SeedGroup(book, 1, QStringLiteral("SUPPLIERS"));
        FrmMainMdi main;
        auto* f = OpenFromMenu<FrmGrupMstr>(main, main.dash);
        ScriptedMsgBoxes boxes;
        LoadGroup(f, QStringLiteral("SUPPLIERS"));
        TypeText(QStringLiteral("   "));
        Click(f->CmdSave);
        QVERIFY(MarkedEmpty(f->txtGrup));
        QCOMPARE(Focused(), f->txtGrup);
        QVERIFY(boxes.calls.isEmpty());

        TypeText(QStringLiteral("vendors"));
        boxes.Answer(vbNo);
        Click(f->CmdSave);
        QVERIFY(MarkedFilled(f->txtGrup));
        QCOMPARE(f->txtGrup->text(), QStringLiteral("VENDORS"));
        QCOMPARE(State(f), QStringLiteral("&Save &Edit del open narrow"));
        QCOMPARE(GroupName(book, 1), QStringLiteral("SUPPLIERS"));
        Click(f->CmdSave);
        QCOMPARE(GroupName(book, 1), QStringLiteral("VENDORS"));
        QCOMPARE(boxes.Last().prompt, QStringLiteral("Record has been updated"));
    }

    // The memberships go with the group, so the next group, which gets the
    // same id, starts with none.
    void deleteTakesTheMembershipsAlong() {
        TestBook book;
        SeedGroup(book, 1, QStringLiteral("SUPPLIERS"));
        SeedGroup(book, 2, QStringLiteral("FRIENDS"));
        book.Exec("insert into adrsgrpdtails (adrsgrpid, adrsconcrnid, adrsgrupid) values "
                  "(1, 10, '2'), (2, 11, '2'), (3, 10, '1')");
        FrmMainMdi main;
        auto* f = OpenFromMenu<FrmGrupMstr>(main, main.dash);
        ScriptedMsgBoxes boxes;
        LoadGroup(f, QStringLiteral("FRIENDS"));
        Click(f->CmdDel);
        QCOMPARE(book.Rows("Select adrsgrpid from adrsgrpdtails"),
                 QList<QStringList>{QStringList{"3"}});
        Click(f->CmdSave);
        TypeText(QStringLiteral("family"));
        Click(f->CmdSave);
        QCOMPARE(GroupName(book, 2), QStringLiteral("FAMILY"));
        QCOMPARE(book.Value("Select count(*) from adrsgrpdtails where adrsgrupid = '2'").toInt(),
                 0);
    }

    void failedDeleteIsReportedAndTheEntryStays() {
        TestBook book;
        SeedGroup(book, 1, QStringLiteral("SUPPLIERS"));
        book.Exec(
            "insert into adrsgrpdtails (adrsgrpid, adrsconcrnid, adrsgrupid) values (1, 10, '1')");
        FrmMainMdi main;
        auto* f = OpenFromMenu<FrmGrupMstr>(main, main.dash);
        ScriptedMsgBoxes boxes;
        LoadGroup(f, QStringLiteral("SUPPLIERS"));
        book.Exec("delete from adrsgrupmstr");
        Click(f->CmdDel);
        QVERIFY(!boxes.Prompts().contains(QStringLiteral("Record has been Deleted")));
        QCOMPARE(boxes.Last().Icon(), int(vbCritical));
        QVERIFY(boxes.Last().prompt.startsWith(QStringLiteral("The group could not be deleted.")));
        QCOMPARE(book.Count("adrsgrpdtails"), 1);
        QCOMPARE(State(f), QStringLiteral("&Save &Edit del open narrow"));
        QCOMPARE(f->txtGrup->text(), QStringLiteral("SUPPLIERS"));
    }

    // No id beyond 32767 is ever written; renaming still works then.
    void idBeyondTheLimitIsInvalidInput() {
        TestBook book;
        SeedGroup(book, 32767, QStringLiteral("LAST"));
        FrmMainMdi main;
        auto* f = OpenFromMenu<FrmGrupMstr>(main, main.dash);
        ScriptedMsgBoxes boxes;
        Click(f->CmdSave);
        TypeText(QStringLiteral("more"));
        Click(f->CmdSave);
        // The id is taken once the save is confirmed, inside its write.
        QCOMPARE(boxes.Prompts(),
                 (QStringList{"Are you Sure to save this Record", "Invalid Input"}));
        QCOMPARE(boxes.Last().title, QStringLiteral("Error Handler"));
        QCOMPARE(boxes.Last().Icon(), int(vbCritical));
        QCOMPARE(book.Count("adrsgrupmstr"), 1);

        Click(f->CmdEdt); // cancels the new entry
        LoadGroup(f, QStringLiteral("LAST"));
        TypeText(QStringLiteral("final"));
        Click(f->CmdSave);
        QCOMPARE(GroupName(book, 32767), QStringLiteral("FINAL"));
    }
};

ADRSBOOK_TEST(GroupMasterTests)
#include "tst_frmgrupmstr.moc"
