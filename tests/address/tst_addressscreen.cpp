// The address master as it stands on screen: Tab through the fields in
// their order, never into a control out of sight; Hindi and Punjabi texts
// shown whole; a loaded party's ticked groups in sight.

#include "addressdriver.h"

#include "platform/msgbox.h"
#include "support/inkrows.h"
#include "support/scripted.h"
#include "support/testmain.h"

#include <QGroupBox>
#include <QLabel>
#include <QPlainTextEdit>

namespace {

const QString kPunjabi = QStringLiteral(u"\u0A17\u0A41\u0A30\u0A2A\u0A4D\u0A30\u0A40\u0A24 "
                                        u"\u0A38\u0A3F\u0A70\u0A18"); // Gurpreet Singh
const QString kHindi = QStringLiteral(u"\u0915\u0943\u0937\u094D\u0923 \u0915\u0941\u092E\u093E"
                                      u"\u0930"); // Krishna Kumar

// The control a focused widget belongs to (a combo box's own line edit is
// the combo box).
QWidget* ControlOf(QWidget* w, const QList<QWidget*>& controls) {
    for (; w; w = w->parentWidget())
        if (controls.contains(w)) return w;
    return nullptr;
}

// Tab from the focused control round to it again: the controls it meets.
QList<QWidget*> TabRound(const QList<QWidget*>& controls) {
    QWidget* start = ControlOf(Focused(), controls);
    QList<QWidget*> met{start};
    for (int i = 0; i < 2 * controls.size(); ++i) {
        QTest::keyClick(Focused(), Qt::Key_Tab);
        Settle();
        QWidget* now = ControlOf(Focused(), controls);
        if (now == start) break;
        met << now;
    }
    return met;
}

} // namespace

class AddressScreenTests : public QObject {
    Q_OBJECT
  private slots:
    void tabFollowsTheFieldsAsTheyStandAndNeverLeavesTheScreen() {
        TestBook book;
        SeedCity(book, 1, QStringLiteral("PUNE"), QStringLiteral("MAHA"), QStringLiteral("INDIA"));
        SeedGroup(book, 1, QStringLiteral("BANKS"));
        SeedParty(book, 1, QStringLiteral("ACME"), 1);
        SeedLink(book, 1, 1, 1);
        ScriptedMsgBoxes boxes;
        FrmAdrsMstr1 form;
        OpenWindow(form);
        const QList<QWidget*> all{
            form.Txtname,     form.TxtCntact, form.TxtAddrs, form.Txtarea, form.Txtland,
            form.LstvewGrup1, form.CmbxCty,   form.TxtPin,   form.TxtVat,  form.MskedtPhno,
            form.MskedtMobNo, form.Txtfax,    form.Txtemail, form.Txtweb,  form.Txtnote,
            form.CmdSave,     form.CmdEdt,    form.CmdDel,   form.CmdClos, form.TxtSrchadrs,
            form.Lstvewadrs};
        const QList<QWidget*> entry{form.Txtname,  form.TxtCntact,   form.TxtAddrs,    form.Txtarea,
                                    form.Txtland,  form.LstvewGrup1, form.CmbxCty,     form.TxtPin,
                                    form.TxtVat,   form.MskedtPhno,  form.MskedtMobNo, form.Txtfax,
                                    form.Txtemail, form.Txtweb,      form.Txtnote,     form.CmdSave,
                                    form.CmdEdt,   form.CmdClos}; // Delete is disabled

        Click(form.CmdSave); // New
        QCOMPARE(TabRound(all), entry);
        Click(form.CmdEdt); // Cancel: the search box and list stay out of sight
        QCOMPARE(Focused(), form.Txtname);
        QCOMPARE(TabRound(all), entry);

        // Edit: the search box and the party list come last.
        form.CmdEdt->setFocus();
        Click(form.CmdEdt);
        QCOMPARE(Focused(), form.TxtSrchadrs);
        QCOMPARE(TabRound(all).mid(0, 2), (QList<QWidget*>{form.TxtSrchadrs, form.Lstvewadrs}));

        // A loaded party: its city shows as a label, and Tab meets Delete.
        form.TxtSrchadrs->setFocus();
        TypeText(QStringLiteral("ACME"));
        PressEnter();
        form.Lstvewadrs->Flush();
        PressEnter();
        Settle();
        QCOMPARE(form.AdrsId, Integer(1));
        QCOMPARE(Focused(), form.Txtname);
        QList<QWidget*> loaded = entry;
        loaded.removeOne(form.CmbxCty);
        loaded.insert(loaded.indexOf(form.CmdClos), form.CmdDel);
        QCOMPARE(TabRound(all), loaded);
        // Every control Tab met stood inside the narrow window.
        for (QWidget* w : loaded)
            QVERIFY2(form.rect().contains(QRect(w->mapTo(&form, QPoint(0, 0)), w->size())),
                     qPrintable(w->objectName()));
    }

    void hindiAndPunjabiTextsShowWhole() {
        TestBook book;
        SeedCity(book, 1, kHindi, kHindi, QStringLiteral("INDIA"));
        SeedGroup(book, 1, QStringLiteral("BANKS"));
        SeedParty(book, 1, kPunjabi, 1);
        SeedLink(book, 1, 1, 1);
        ScriptedMsgBoxes boxes;
        FrmAdrsMstr1 form;
        OpenWindow(form);
        Click(form.CmdSave);
        TypeText(kPunjabi); // typed into the name box
        PressEnter();
        TypeText(kHindi);
        QCOMPARE(form.Txtname->text(), kPunjabi);
        form.TxtAddrs->setFocus(); // no cursor in the boxes looked at
        for (QLineEdit* box : {form.Txtname, form.TxtCntact, form.Txtemail, form.TxtPin})
            QVERIFY2(ShowsWhole(box, box == form.Txtname ? kPunjabi : kHindi),
                     qPrintable(box->objectName()));

        Click(form.CmdEdt);
        LoadParty(form, kPunjabi.left(3));
        QCOMPARE(form.Txtname->text(), kPunjabi);
        QCOMPARE(form.LblCty->text(), kHindi);
        form.TxtAddrs->setFocus();
        QVERIFY(ShowsWhole(form.Txtname, kPunjabi));
        for (QLabel* label : {form.LblCty, form.LblState})
            QVERIFY2(ShowsWhole(label, kHindi), qPrintable(label->objectName()));
    }

    void aLoadedPartysFirstTickedGroupIsInSight() {
        TestBook book;
        SeedCity(book, 1, QStringLiteral("PUNE"), QStringLiteral("MAHA"), QStringLiteral("INDIA"));
        for (int id = 1; id <= 40; ++id)
            SeedGroup(book, id, QStringLiteral("GROUP %1").arg(id, 2, 10, QLatin1Char('0')));
        SeedParty(book, 1, QStringLiteral("ACME"), 1);
        SeedLink(book, 1, 1, 35);
        SeedLink(book, 2, 1, 37);
        ScriptedMsgBoxes boxes;
        FrmAdrsMstr1 form;
        OpenWindow(form);
        LoadParty(form, QStringLiteral("ACME"));
        QCOMPARE(Ticked(form.LstvewGrup1), (QStringList{"GROUP 35", "GROUP 37"}));
        const QRect row = form.LstvewGrup1->visualRect(form.LstvewGrup1->model()->index(34, 0));
        QVERIFY(form.LstvewGrup1->viewport()->rect().contains(row));
    }
};

ADRSBOOK_TEST(AddressScreenTests)
#include "tst_addressscreen.moc"
