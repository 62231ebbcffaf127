// The labels and envelopes as they come out of the PDF the label window
// writes: where each block lands, read back with pdftotext.

#include "labeldesk.h"
#include "labels/labelsettings.h"
#include "platform/msgbox.h"
#include "support/fixture.h"
#include "support/scripted.h"
#include "support/smalldisk.h"
#include "support/testmain.h"

#include <QCheckBox>
#include <QLabel>
#include <QProgressDialog>
#include <QRadioButton>
#include <QTimer>

namespace {

constexpr double kTolMm = 0.3;

bool Inside(const QRectF& inner, const QRectF& outer) {
    return inner.left() >= outer.left() - kTolMm && inner.right() <= outer.right() + kTolMm &&
           inner.top() >= outer.top() - kTolMm && inner.bottom() <= outer.bottom() + kTolMm;
}

// The words inside a label, in reading order.
QStringList WordsIn(const QList<PdfWord>& words, const QRectF& label, int page = 0) {
    QStringList inside;
    for (const PdfWord& w : words)
        if (w.page == page && Inside(w.rectMm, label)) inside.append(w.text);
    return inside;
}

// Parties with their city's name and a PIN, as the label window gets them.
QList<AddressBlock> PartiesWithPins(int count) {
    QList<AddressBlock> parties = MadeUpParties(count);
    for (int i = 0; i < count; ++i) {
        parties[i].city = QStringLiteral("MUMBAI");
        parties[i].pin = QStringLiteral("4000%1").arg(i + 1, 2, 10, QLatin1Char('0'));
    }
    return parties;
}

const PdfWord* Find(const QList<PdfWord>& words, const QString& text) {
    for (const PdfWord& w : words)
        if (w.text == text) return &w;
    return nullptr;
}

} // namespace

class LabelPdfTests : public QObject {
    Q_OBJECT
  private slots:
    void init() { settings.Clear(); }
    void everySheet_blocksInTheirLabelsFromTheFirstFreeOne_data();
    void everySheet_blocksInTheirLabelsFromTheFirstFreeOne();
    void longName_neverCrossesIntoTheNextLabel();
    void envelope_recipientAndSenderWhereTheLayoutSays();
    void copiesAndAttention_repeatTheStickersBlock();
    void offset_movesEveryWordByItsMeasure();
    void savePdf_neverOverTheBookNorDoneWhenNotWritten();
    void smallLabels_oneSizeAndNeverWithoutTheCityOrPin();
    void partiesThatCannotFit_areNamedBeforePrinting();
    void largeRun_askedFirstThenShowsProgressAndStops();

  private:
    FrmLabels* Window(const QList<AddressBlock>& parties, int copies = 1, bool attention = false) {
        auto* w = new FrmLabels(parties, copies, attention, QStringLiteral("test"));
        w->CmbxFont->setCurrentFont(QFont(QStringLiteral("DejaVu Sans")));
        w->SpnFontSize->setValue(10);
        ShowAndActivate(w);
        return w;
    }
    LabelSettingsPlace settings;
    QTemporaryDir dir;
};

void LabelPdfTests::everySheet_blocksInTheirLabelsFromTheFirstFreeOne_data() {
    QTest::addColumn<int>("sheet");
    QTest::addColumn<int>("firstRow");
    QTest::addColumn<int>("firstColumn");
    QTest::addColumn<QPointF>("offset");
    for (int i = 0; i < StandardSheets().size(); ++i) {
        const LabelSheet s = StandardSheets().at(i);
        // Start on the last row so the run spills onto a second sheet.
        QTest::newRow(qPrintable(s.name)) << i << s.rows << 2 << QPointF(i % 2 ? 1.5 : -1, 2);
    }
}

// The first line of each block (the party's name) lies in its label, with
// the printer's offset applied; the labels start at the first free label
// and the second page starts at the first label.
void LabelPdfTests::everySheet_blocksInTheirLabelsFromTheFirstFreeOne() {
    QFETCH(int, sheet);
    QFETCH(int, firstRow);
    QFETCH(int, firstColumn);
    QFETCH(QPointF, offset);
    const LabelSheet s = StandardSheets().at(sheet);
    const int count = s.columns - firstColumn + 1 + s.columns + 1; // row's rest, a row, one more
    std::unique_ptr<FrmLabels> w(Window(MadeUpParties(count)));
    ChooseSheet(w.get(), sheet);
    QCOMPARE(w->CurrentSheet(), s);
    w->CmbxPrinter->setCurrentText(FrmLabels::PdfPrinterName());
    EnterNumber(w->SpnFirstRow, QString::number(firstRow));
    EnterNumber(w->SpnFirstColumn, QString::number(firstColumn));
    EnterNumber(w->SpnOffsetX, QString::number(offset.x()));
    EnterNumber(w->SpnOffsetY, QString::number(offset.y()));
    const QString pdf = dir.filePath(QStringLiteral("sheet%1.pdf").arg(sheet));
    SavePdfAs(w.get(), pdf);
    QVERIFY2(w->LblStatus->text().startsWith(QStringLiteral("2 pages saved")),
             qPrintable(w->LblStatus->text()));

    QList<PdfPage> pages;
    const QList<PdfWord> words = PdfWords(pdf, &pages);
    QCOMPARE(pages.size(), 2);
    QVERIFY(qAbs(pages[0].sizeMm.width() - s.paperMm.width()) < 0.5);
    QVERIFY(qAbs(pages[0].sizeMm.height() - s.paperMm.height()) < 0.5);
    const QList<PlacedLabel> placed = PlaceLabels(s, count, firstRow, firstColumn, offset);
    QCOMPARE(placed.first().row, firstRow);
    for (int i = 0; i < count; ++i) {
        const PdfWord* name = Find(words, MadeUpParty(i + 1).name);
        QVERIFY2(name, qPrintable(MadeUpParty(i + 1).name));
        QCOMPARE(name->page, placed[i].page);
        QVERIFY2(Inside(name->rectMm, placed[i].rectMm),
                 qPrintable(QStringLiteral("%1 at %2,%3 not in label %4/%5")
                                .arg(name->text)
                                .arg(name->rectMm.left())
                                .arg(name->rectMm.top())
                                .arg(placed[i].row)
                                .arg(placed[i].column)));
    }
    // Nothing printed on the labels before the first free one.
    const QRectF used = s.LabelRect(firstRow, firstColumn).translated(offset);
    for (const PdfWord& word : words)
        if (word.page == 0) QVERIFY(word.rectMm.top() >= used.top() - kTolMm);
}

void LabelPdfTests::longName_neverCrossesIntoTheNextLabel() {
    QList<AddressBlock> parties = MadeUpParties(3);
    parties[0].name = QStringLiteral("LONGNAME") + QString(120, u'W');
    parties[0].adrs1 = QStringLiteral("A VERY LONG ADDRESS LINE THAT GOES ON AND ON AND ON");
    std::unique_ptr<FrmLabels> w(Window(parties));
    ChooseSheet(w.get(), 4); // US Letter 3 x 10: small labels
    const QString pdf = dir.filePath(QStringLiteral("long.pdf"));
    SavePdfAs(w.get(), pdf);
    const LabelSheet s = StandardSheets().at(4);
    const QList<PdfWord> words = PdfWords(pdf);
    const QRectF first = s.LabelRect(1, 1);
    int inFirst = 0;
    for (const PdfWord& word : words) {
        if (word.rectMm.left() < first.right()) {
            ++inFirst;
            QVERIFY2(Inside(word.rectMm, first), qPrintable(word.text));
        }
    }
    QVERIFY(inFirst >= 3);
    const PdfWord* name = Find(words, QStringLiteral("PARTY02"));
    QVERIFY(name && Inside(name->rectMm, s.LabelRect(1, 2)));
}

void LabelPdfTests::envelope_recipientAndSenderWhereTheLayoutSays() {
    LabelSettings::SetSender({QStringLiteral("SENDERCO"), QStringLiteral("1 Office lane")});
    std::unique_ptr<FrmLabels> w(Window(MadeUpParties(2)));
    QTest::mouseClick(w->OptnEnvelope, Qt::LeftButton);
    QVERIFY(!w->FrameSheet->isEnabled() && w->FrameEnvelope->isEnabled());
    QTest::mouseClick(w->ChkSender, Qt::LeftButton);
    for (int i = 0; i < StandardEnvelopes().size(); ++i) {
        const EnvelopeLayout e = StandardEnvelopes().at(i);
        w->CmbxEnvelope->setCurrentIndex(i);
        const QString pdf = dir.filePath(QStringLiteral("envelope%1.pdf").arg(i));
        SavePdfAs(w.get(), pdf);
        QList<PdfPage> pages;
        const QList<PdfWord> words = PdfWords(pdf, &pages);
        QCOMPARE(pages.size(), 2); // one envelope per party
        QVERIFY2(qAbs(pages[0].sizeMm.width() - e.sizeMm.width()) < 0.5, qPrintable(e.name));
        QVERIFY(qAbs(pages[0].sizeMm.height() - e.sizeMm.height()) < 0.5);
        const PdfWord* name = Find(words, QStringLiteral("PARTY01"));
        const PdfWord* sender = Find(words, QStringLiteral("SENDERCO"));
        QVERIFY(name && sender);
        QVERIFY2(Inside(name->rectMm, e.recipientMm), qPrintable(e.name));
        QVERIFY(qAbs(name->rectMm.left() - e.recipientMm.left()) < 1);
        QVERIFY(Inside(sender->rectMm, e.senderMm));
    }
}

// The block is the sticker's: with the attention line the contact person
// comes first and address lines 1 and 2 are in capitals.
void LabelPdfTests::copiesAndAttention_repeatTheStickersBlock() {
    std::unique_ptr<FrmLabels> w(Window(MadeUpParties(1), 3, true));
    QVERIFY(w->ChkAttention->isChecked());
    QCOMPARE(w->SpnCopies->value(), 3);
    ChooseSheet(w.get(), 0);
    const QString pdf = dir.filePath(QStringLiteral("copies.pdf"));
    SavePdfAs(w.get(), pdf);
    const QList<PdfWord> words = PdfWords(pdf);
    const LabelSheet s = StandardSheets().at(0);
    for (int column = 1; column <= 3; ++column) {
        QStringList inLabel;
        for (const PdfWord& word : words)
            if (Inside(word.rectMm, s.LabelRect(1, column))) inLabel.append(word.text);
        QCOMPARE(inLabel.join(u' '), QStringLiteral("CONTACT01 PARTY01 12 MAIN ROAD PARK AREA near "
                                                    "Temple MUMBAI (MH), INDIA (Ph)022-2345 "
                                                    "(M)98200 12345"));
    }
}

// The same labels and envelopes printed with and without the printer's
// offset: every word moves by exactly the offset, right and down.
void LabelPdfTests::offset_movesEveryWordByItsMeasure() {
    std::unique_ptr<FrmLabels> w(Window(MadeUpParties(4)));
    w->CmbxPrinter->setCurrentText(FrmLabels::PdfPrinterName());
    for (QRadioButton* mode : {w->OptnSheet, w->OptnEnvelope}) {
        QTest::mouseClick(mode, Qt::LeftButton);
        QList<PdfWord> runs[2];
        for (int run = 0; run < 2; ++run) {
            EnterNumber(w->SpnOffsetX, run ? QStringLiteral("2.5") : QStringLiteral("0"));
            EnterNumber(w->SpnOffsetY, run ? QStringLiteral("-1.5") : QStringLiteral("0"));
            const QString pdf = dir.filePath(QStringLiteral("offset%1.pdf").arg(run));
            SavePdfAs(w.get(), pdf);
            runs[run] = PdfWords(pdf);
        }
        QCOMPARE(runs[1].size(), runs[0].size());
        QVERIFY(runs[0].size() > 20);
        for (qsizetype i = 0; i < runs[0].size(); ++i) {
            QCOMPARE(runs[1][i].text, runs[0][i].text);
            const QPointF moved = runs[1][i].rectMm.topLeft() - runs[0][i].rectMm.topLeft();
            QVERIFY2(qAbs(moved.x() - 2.5) < 0.05 && qAbs(moved.y() + 1.5) < 0.05,
                     qPrintable(runs[0][i].text));
        }
    }
}

// The PDF goes through the checked writer: never over the book, and a
// disk too full for it is said, the earlier file left as it was.
void LabelPdfTests::savePdf_neverOverTheBookNorDoneWhenNotWritten() {
    TestBook book;
    QFile bookFile(book.File());
    QVERIFY(bookFile.open(QIODevice::ReadOnly));
    const QByteArray bookBytes = bookFile.readAll();
    bookFile.close();
    std::unique_ptr<FrmLabels> w(Window(MadeUpParties(4)));
    ScriptedMsgBoxes boxes;
    SavePdfAs(w.get(), book.File());
    QCOMPARE(boxes.calls.size(), 1);
    QVERIFY2(boxes.Last().prompt.contains(QLatin1String("the address book itself")),
             qPrintable(boxes.Last().prompt));
    QVERIFY(bookFile.open(QIODevice::ReadOnly));
    QCOMPARE(bookFile.readAll(), bookBytes);
    QVERIFY(w->LblStatus->text().isEmpty());

    SmallDisk disk(512);
    REQUIRE_SMALL_DISK(disk);
    const QString pdf = disk.File(QStringLiteral("labels.pdf"));
    SavePdfAs(w.get(), pdf);
    QVERIFY2(w->LblStatus->text().startsWith(QStringLiteral("1 page saved")),
             qPrintable(w->LblStatus->text()));
    QFile earlier(pdf);
    QVERIFY(earlier.open(QIODevice::ReadOnly));
    const QByteArray before = earlier.readAll();
    earlier.close();
    disk.Fill(4096);
    SavePdfAs(w.get(), pdf);
    QCOMPARE(boxes.calls.size(), 2);
    QVERIFY2(boxes.Last().prompt.contains(QLatin1String("No space left on device")),
             qPrintable(boxes.Last().prompt));
    QVERIFY(earlier.open(QIODevice::ReadOnly));
    QCOMPARE(earlier.readAll(), before);
}

// Every label of a sheet is printed at one size, the one the widest block
// needs; on labels too small for the whole block the phone line goes
// first, and the name, the city and the PIN are always there.
void LabelPdfTests::smallLabels_oneSizeAndNeverWithoutTheCityOrPin() {
    QList<AddressBlock> parties = PartiesWithPins(3);
    parties[1].name = QStringLiteral("PARTY02 GENERAL TRADING COMPANY");
    std::unique_ptr<FrmLabels> w(Window(parties));
    ChooseSheet(w.get(), 1); // A4 3 x 8, 70 x 37 mm
    for (const double height : {37.0, 12.0}) {
        EnterNumber(w->SpnLabelHeight, QString::number(height));
        const QString pdf = dir.filePath(QStringLiteral("small%1.pdf").arg(height));
        SavePdfAs(w.get(), pdf);
        const QList<PdfWord> words = PdfWords(pdf);
        const LabelSheet s = w->CurrentSheet();
        qsizetype inLabels = 0;
        for (int column = 1; column <= 3; ++column) {
            const QStringList inside = WordsIn(words, s.LabelRect(1, column));
            inLabels += inside.size();
            const AddressBlock& p = parties[column - 1];
            const QString cityAndPin = QStringLiteral(" MUMBAI - %1 (MH), INDIA").arg(p.pin);
            QCOMPARE(inside.join(u' '),
                     height > 30 ? p.name + QStringLiteral(" 12 Main road PARK AREA NEAR TEMPLE") +
                                       cityAndPin + QStringLiteral(" (Ph)022-2345 (M)98200 12345")
                                 : p.name + QStringLiteral(" 12 Main road PARK AREA") + cityAndPin);
        }
        QCOMPARE(inLabels, words.size()); // nothing outside its label
        double smallest = 1e9, largest = 0;
        for (const PdfWord& word : words) {
            smallest = std::min(smallest, word.rectMm.height());
            largest = std::max(largest, word.rectMm.height());
        }
        QVERIFY2(largest - smallest < 0.05,
                 qPrintable(QStringLiteral("%1 to %2 mm high").arg(smallest).arg(largest)));
    }
}

// A party whose block cannot fit even without its least important lines
// is named before anything is printed; No prints nothing.
void LabelPdfTests::partiesThatCannotFit_areNamedBeforePrinting() {
    QList<AddressBlock> parties = PartiesWithPins(3);
    parties[1].name = QStringLiteral("PARTY02 GENERAL TRADING COMPANY");
    std::unique_ptr<FrmLabels> w(Window(parties));
    ChooseSheet(w.get(), 1);
    EnterNumber(w->SpnLabelWidth, QStringLiteral("30"));
    EnterNumber(w->SpnLabelHeight, QStringLiteral("16"));
    ScriptedMsgBoxes boxes;
    boxes.Answer(vbNo);
    const QString pdf = dir.filePath(QStringLiteral("misfit.pdf"));
    SavePdfAs(w.get(), pdf);
    QCOMPARE(boxes.calls.size(), 1);
    QCOMPARE(boxes.Last().prompt,
             QStringLiteral("1 party does not fit, even at 6 pt without the phone, attention and "
                            "land mark lines: PARTY02 GENERAL TRADING COMPANY.\n\nPrinted, it is "
                            "cut short. Print anyway?"));
    QVERIFY(!QFile::exists(pdf));
    QCOMPARE(w->LblStatus->text(), QStringLiteral("Nothing printed: 1 party does not fit."));

    SavePdfAs(w.get(), pdf); // Yes
    QVERIFY2(w->LblStatus->text().startsWith(QStringLiteral("1 page saved")),
             qPrintable(w->LblStatus->text()));
    const QList<PdfWord> words = PdfWords(pdf);
    const QString cut = WordsIn(words, w->CurrentSheet().LabelRect(1, 2)).join(u' ');
    QVERIFY2(cut.startsWith(QStringLiteral("PARTY02 GENERAL TRADING COMPANY")), qPrintable(cut));
    QVERIFY2(cut.endsWith(QStringLiteral("MUMBAI - 400002 (MH), INDIA")), qPrintable(cut));
    qsizetype inLabels = 0;
    for (int column = 1; column <= 3; ++column)
        inLabels += WordsIn(words, w->CurrentSheet().LabelRect(1, column)).size();
    QCOMPARE(inLabels, words.size());
}

// More than 100 pages are asked about first; then a bar with Cancel shows
// how far it is, the program's events are served, and Cancel stops it:
// nothing is saved.
void LabelPdfTests::largeRun_askedFirstThenShowsProgressAndStops() {
    std::unique_ptr<FrmLabels> w(Window(MadeUpParties(22), 999));
    ChooseSheet(w.get(), 0); // 21 a sheet: 21,978 labels
    ScriptedMsgBoxes boxes;
    boxes.Answer(vbNo);
    const QString pdf = dir.filePath(QStringLiteral("large.pdf"));
    SavePdfAs(w.get(), pdf);
    QCOMPARE(boxes.Prompts(), QStringList{"1,047 pages: print them?"});
    QVERIFY(!QFile::exists(pdf));

    // The timer runs only while the job serves the program's events.
    int shownAt = -1;
    QTimer ticker;
    connect(&ticker, &QTimer::timeout, this, [&] {
        auto* progress = w->findChild<QProgressDialog*>(QStringLiteral("LabelProgress"));
        if (shownAt < 0 && progress && progress->isVisible() && progress->value() > 0) {
            shownAt = progress->value();
            QVERIFY(progress->labelText().contains(QLatin1String("1,047 pages")));
            QTest::mouseClick(progress->findChild<QPushButton*>(), Qt::LeftButton);
        }
    });
    ticker.start(20);
    SavePdfAs(w.get(), pdf); // Yes
    ticker.stop();
    QVERIFY2(shownAt > 0 && shownAt < 21978, qPrintable(QString::number(shownAt)));
    QCOMPARE(w->LblStatus->text(), QStringLiteral("Stopped: nothing was saved."));
    QVERIFY(!QFile::exists(pdf));
    QVERIFY(w->CmdPdf->isEnabled());
}

ADRSBOOK_TEST(LabelPdfTests)
#include "tst_labelpdf.moc"
