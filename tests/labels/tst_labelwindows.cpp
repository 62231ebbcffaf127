// The label window as a person reaches and uses it: from the printing form
// and from the search engine, with its preview, its PDF and the choices it
// keeps between runs.

#include "app/frmmainmdi.h"
#include "app/labelhandover.h"
#include "labeldesk.h"
#include "labels/frmsender.h"
#include "labels/labelsettings.h"
#include "printing/printdesk.h"
#include "search/searchdriver.h"

#include <QAbstractButton>
#include <QApplication>
#include <QCheckBox>
#include <QLabel>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QPrintPreviewDialog>
#include <QPrintPreviewWidget>
#include <QRadioButton>
#include <QTimer>

namespace {

// The access keys of every caption in a window, lower-cased.
QStringList AccessKeys(QWidget* window) {
    QStringList keys;
    auto add = [&](const QString& caption) {
        const qsizetype at = caption.indexOf(u'&');
        if (at >= 0 && at + 1 < caption.size() && caption[at + 1] != u'&')
            keys.append(caption.mid(at + 1, 1).toLower());
    };
    for (QAbstractButton* b : window->findChildren<QAbstractButton*>())
        add(b->text());
    for (QLabel* l : window->findChildren<QLabel*>())
        add(l->text());
    for (QGroupBox* g : window->findChildren<QGroupBox*>())
        add(g->title());
    return keys;
}

FrmLabels* OpenedLabels(QWidget* from) {
    Settle();
    return from->findChild<FrmLabels*>();
}

} // namespace

class LabelWindowTests : public QObject {
    Q_OBJECT
  private slots:
    void init() { settings.Clear(); }
    void printingForm_sheetButtonOpensTheLoadedPartysLabels();
    void accessKeys_clashWithNothing();
    void searchEngine_oneLabelForEveryPartyOfTheResult();
    void preview_opensWithThePages();
    void choices_keptBetweenRuns();
    void mainWindow_handsEachFormsLabelsToALabelWindow();

  private:
    LabelSettingsPlace settings;
    QTemporaryDir dir;
};

void LabelWindowTests::printingForm_sheetButtonOpensTheLoadedPartysLabels() {
    TestBook book;
    SeedCity(book, 1, QStringLiteral("MUMBAI"), QStringLiteral("MH"), QStringLiteral("INDIA"));
    SeedParty(book, Party{});
    book.Exec("update adrsmstr set adrspin = '400001'");
    PrintDesk desk;
    HandLabelsOver(desk.form);
    desk.Pick(QStringLiteral("ACME"));
    desk.Sticker();
    desk.Copies(QStringLiteral("2"));
    Click(desk.form->CmdSheet);
    std::unique_ptr<FrmLabels> labels(OpenedLabels(desk.form));
    QVERIFY(labels && labels->isVisible());
    QCOMPARE(labels->LblParties->text(), QStringLiteral("Labels for Acme Traders"));
    QCOMPARE(labels->SpnCopies->value(), 2);
    QVERIFY(!labels->ChkAttention->isChecked());

    const QString pdf = dir.filePath(QStringLiteral("form.pdf"));
    SavePdfAs(labels.get(), pdf);
    QStringList text;
    for (const PdfWord& w : PdfWords(pdf))
        text.append(w.text);
    // Twice the sticker's block without the attention line, the PIN after the city.
    QCOMPARE(text.join(u' '),
             QStringList(2, QStringLiteral("Acme Traders 12 Main road PARK AREA NEAR TEMPLE "
                                           "MUMBAI - 400001 (MH), INDIA (Ph)022-2345 (M)98200 "
                                           "12345"))
                 .join(u' '));
    QCOMPARE(QFileInfo(pdf).permissions() & (QFile::ReadGroup | QFile::ReadOther),
             QFileDevice::Permissions());
    QVERIFY(desk.boxes.calls.isEmpty());
}

// The sheet button's key in the printing form, and every key of the label
// window, belong to one control each.
void LabelWindowTests::accessKeys_clashWithNothing() {
    TestBook book;
    PrintDesk desk;
    QStringList keys = AccessKeys(desk.form);
    QVERIFY(keys.contains(QStringLiteral("h")));
    QCOMPARE(keys.count(QStringLiteral("h")), 1);
    QCOMPARE(keys.removeDuplicates(), 0);

    FrmLabels labels({MadeUpParty(1)}, 1, false, QString());
    keys = AccessKeys(&labels);
    QVERIFY(keys.size() > 10);
    QCOMPARE(keys.removeDuplicates(), 0);
}

void LabelWindowTests::searchEngine_oneLabelForEveryPartyOfTheResult() {
    TestBook book;
    SeedBook(book);
    // A party of the group whose city is gone: left out and said so.
    book.Exec("insert into adrsmstr (adrsid, adrsname, adrsctyid, adrsdelstatus) values "
              "(5, 'OMEGA', 99, 0)");
    book.Exec("insert into adrsgrpdtails (adrsgrpid, adrsconcrnid, adrsgrupid) values "
              "(5, 5, '3'), (6, 1, '3')"); // ACME is linked twice: one label
    book.Exec("update adrsmstr set adrspin = '11000' || adrsid");
    SearchWindow search;
    HandLabelsOver(search.form.data());
    ChooseGroupAndFilter(search.form, QStringLiteral("CUSTOMERS"), QStringLiteral("Name Wise"));
    QCOMPARE(Names(search->LstvewSrch),
             QStringList({"ACME TRADERS", "ACME TRADERS", "BETA STORES", "OMEGA"}));
    ClickInto(search->CmbxGrup1); // loads the group list, which must not matter
    Click(search->CmdLabels);
    std::unique_ptr<FrmLabels> labels(OpenedLabels(search.form));
    QVERIFY(labels);
    QCOMPARE(labels->LblParties->text(),
             QStringLiteral("Labels for 2 parties (1 party left out: its city is missing)"));
    QCOMPARE(labels->SpnCopies->value(), 1);
    const QString pdf = dir.filePath(QStringLiteral("search.pdf"));
    SavePdfAs(labels.get(), pdf);
    QStringList names;
    for (const PdfWord& w : PdfWords(pdf))
        if (w.text == "ACME" || w.text == "BETA" || w.text.startsWith(QLatin1String("11000")))
            names.append(w.text);
    QCOMPARE(names, QStringList({"ACME", "110001", "BETA", "110002"}));
}

// The preview opens on the labels' pages; a timer closes it as a person would.
void LabelWindowTests::preview_opensWithThePages() {
    FrmLabels labels(MadeUpParties(25), 1, false, QStringLiteral("Labels for 25 parties"));
    ShowAndActivate(&labels);
    ChooseSheet(&labels, 0); // 21 a sheet
    int pages = -1;
    QString title;
    QTimer::singleShot(300, this, [&] {
        auto* preview = qobject_cast<QPrintPreviewDialog*>(QApplication::activeModalWidget());
        if (!preview) return;
        title = preview->windowTitle();
        if (auto* widget = preview->findChild<QPrintPreviewWidget*>()) pages = widget->pageCount();
        preview->reject();
    });
    Click(labels.CmdPreview);
    QCOMPARE(pages, 2);
    QCOMPARE(title, QStringLiteral("Preview: Labels for 25 parties"));
}

// Last sheet, own sheets, offsets per printer and the sender are there
// again when the window opens next time.
void LabelWindowTests::choices_keptBetweenRuns() {
    {
        FrmLabels labels({MadeUpParty(1)}, 1, false, QString());
        ShowAndActivate(&labels);
        ChooseSheet(&labels, 2);
        EnterNumber(labels.SpnRows, QStringLiteral("6"));
        QVERIFY(labels.LblSheetProblem->text().startsWith(QStringLiteral("Changed")));
        labels.TxtSheetName->setFocus();
        TypeText(QStringLiteral("Office 2 x 6"));
        Click(labels.CmdKeepSheet);
        QCOMPARE(labels.CmbxSheet->currentText(), QStringLiteral("Office 2 x 6"));
        QCOMPARE(labels.LblSheetProblem->text(), QString());
        labels.CmbxPrinter->setCurrentText(FrmLabels::PdfPrinterName());
        EnterNumber(labels.SpnOffsetX, QStringLiteral("1.5"));
        EnterNumber(labels.SpnOffsetY, QStringLiteral("-2"));

        Click(labels.OptnEnvelope);
        Click(labels.CmdSender);
        auto* sender = labels.findChild<FrmSender*>();
        QVERIFY(sender && sender->isVisible());
        sender->TxtCompany->setFocus();
        TypeText(QStringLiteral("ORVANE TRADING"));
        sender->TxtSenderAddress->setFocus();
        TypeText(QStringLiteral("4 Mill road"));
        PressEnter();
        TypeText(QStringLiteral("PUNE"));
        sender->accept();
        QVERIFY(labels.ChkSender->isChecked());
        Click(labels.CmdClose);
    }
    QCOMPARE(LabelSettings::Sender(), QStringList({"ORVANE TRADING", "4 Mill road", "PUNE"}));
    FrmLabels again({MadeUpParty(1)}, 1, false, QString());
    QCOMPARE(again.CmbxSheet->currentText(), QStringLiteral("Office 2 x 6"));
    QCOMPARE(again.SpnRows->value(), 6);
    QCOMPARE(again.CurrentSheet().labelWidth, 99.1);
    again.CmbxPrinter->setCurrentText(FrmLabels::PdfPrinterName());
    QCOMPARE(again.SpnOffsetX->value(), 1.5);
    QCOMPARE(again.SpnOffsetY->value(), -2.0);
    QVERIFY(again.ChkSender->isChecked() && again.OptnEnvelope->isChecked());

    // Forgetting it leaves the common sheets only.
    ShowAndActivate(&again);
    Click(again.OptnSheet);
    Click(again.CmdForgetSheet);
    QCOMPARE(again.CmbxSheet->count(), StandardSheets().size());
    QVERIFY(LabelSettings::CustomSheets().isEmpty());
}

// The windows that print labels open no label window themselves: the main
// window that loaded them hands their parties over.
void LabelWindowTests::mainWindow_handsEachFormsLabelsToALabelWindow() {
    TestBook book;
    FrmMainMdi main;
    QVERIFY(main.MDIForm_Load());
    main.prnt->trigger();
    FrmPrntrpt* printing = main.Child<FrmPrntrpt>();
    emit printing->LabelsWanted({MadeUpParty(1)}, 2, true, QStringLiteral("Labels for one"));
    std::unique_ptr<FrmLabels> fromPrinting(OpenedLabels(printing));
    QVERIFY(fromPrinting);
    QCOMPARE(fromPrinting->SpnCopies->value(), 2);
    QVERIFY(fromPrinting->ChkAttention->isChecked());
    main.srchengn->trigger();
    FrmSrchEngn* search = main.Child<FrmSrchEngn>();
    emit search->LabelsWanted({MadeUpParty(1), MadeUpParty(2)}, 1, false,
                              QStringLiteral("Labels for 2 parties"));
    std::unique_ptr<FrmLabels> fromSearch(OpenedLabels(search));
    QVERIFY(fromSearch);
    QCOMPARE(fromSearch->LblParties->text(), QStringLiteral("Labels for 2 parties"));
}

ADRSBOOK_TEST(LabelWindowTests)
#include "tst_labelwindows.moc"
