// A double-click anywhere in the city and group lists, on a row or on the
// empty area below the rows, acts as the lists' double-click.

#include "masterdriver.h"
#include "masters/frmcsc.h"
#include "masters/frmgrupmstr.h"
#include "platform/msgbox.h"
#include "support/scripted.h"
#include "support/testmain.h"

#include <QLineEdit>
#include <QPushButton>

namespace {
// Double-clicks the list below its last row.
void DoubleClickBelowRows(ListView* list) {
    list->Flush();
    const QPoint at(list->viewport()->width() / 2, list->viewport()->height() - 4);
    QVERIFY(!list->indexAt(at).isValid());
    QTest::mouseClick(list->viewport(), Qt::LeftButton, {}, at);
    QTest::mouseDClick(list->viewport(), Qt::LeftButton, {}, at);
    Settle();
}

struct Register {
    QPushButton* edit;
    ListView* list;
    QLineEdit* entry;
};
} // namespace

class RegisterListTests : public QObject {
    Q_OBJECT
  private slots:
    void aDoubleClickBelowTheRowsReportsNoRecordFound() {
        for (bool seeded : {false, true}) {
            TestBook book;
            if (seeded) {
                book.Exec(QStringLiteral("insert into cscmstr (ctyid, ctyname, delstatus) values "
                                         "(1, 'PATIALA', 0)"));
                book.Exec(QStringLiteral(
                    "insert into adrsgrupmstr (grpid, grpname) values (1, 'CUSTOMERS')"));
            }
            FrmMainMdi main;
            auto* city = OpenFromMenu<FrmCsC>(main, main.cty);
            auto* group = OpenFromMenu<FrmGrupMstr>(main, main.dash);
            const Register registers[] = {{city->CmdEdt, city->LstvewCsc, city->txtcty},
                                          {group->CmdEdt, group->LstvewGrup, group->txtGrup}};
            for (const Register& r : registers) {
                ScriptedMsgBoxes boxes;
                Click(r.edit);
                DoubleClickBelowRows(r.list);
                QCOMPARE(boxes.Prompts(), QStringList{"No record found"});
                QVERIFY(r.list->isVisible());
                QVERIFY(r.entry->text().isEmpty());
            }
        }
    }
};

ADRSBOOK_TEST(RegisterListTests)
#include "tst_listdblclick.moc"
