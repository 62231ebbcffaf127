// Label sheets, label places and envelope boxes as measures, and the
// fitting of a block into a box: pure functions, no printer.

#include "labeldesk.h"
#include "labels/blockfit.h"
#include "labels/labelgeometry.h"
#include "labels/labelprint.h"
#include "support/testmain.h"

#include <QImage>
#include <QTest>

Q_DECLARE_METATYPE(LabelSheet)

class LabelGeometryTests : public QObject {
    Q_OBJECT
  private slots:
    void standardSheets_data();
    void standardSheets();
    void sheetProblems();
    void placing_startsAtTheFirstFreeLabelAndBreaksPages();
    void envelopes_recipientRightOfMiddleLowerHalf();
    void fitting_oneSizeThenWrapThenTheLeastImportantLinesOut();
    void labelLines_pinAfterTheCity();
};

void LabelGeometryTests::standardSheets_data() {
    QTest::addColumn<QString>("paper");
    QTest::addColumn<int>("columns");
    QTest::addColumn<int>("rows");
    QTest::addColumn<double>("width");
    QTest::addColumn<double>("height");
    const double in = kMmPerInch;
    QTest::newRow("A4 3x7") << "A4" << 3 << 7 << 63.5 << 38.1;
    QTest::newRow("A4 3x8") << "A4" << 3 << 8 << 70.0 << 37.0;
    QTest::newRow("A4 2x7") << "A4" << 2 << 7 << 99.1 << 38.1;
    QTest::newRow("A4 2x4") << "A4" << 2 << 4 << 99.1 << 67.7;
    QTest::newRow("Letter 3x10") << "Letter" << 3 << 10 << 2.625 * in << 1 * in;
    QTest::newRow("Letter 2x10") << "Letter" << 2 << 10 << 4 * in << 1 * in;
}

// Each common sheet is listed with its published measures, and its grid
// sits on the paper with the same margin left and right.
void LabelGeometryTests::standardSheets() {
    QFETCH(QString, paper);
    QFETCH(int, columns);
    QFETCH(int, rows);
    QFETCH(double, width);
    QFETCH(double, height);
    const QList<LabelSheet> sheets = StandardSheets();
    const auto found = std::find_if(sheets.cbegin(), sheets.cend(), [&](const LabelSheet& s) {
        return s.columns == columns && s.rows == rows && qFuzzyCompare(s.labelWidth, width) &&
               qFuzzyCompare(s.labelHeight, height);
    });
    QVERIFY(found != sheets.cend());
    QCOMPARE(found->paperMm, paper == "A4" ? kA4Mm : kLetterMm);
    QCOMPARE(SheetProblem(*found), QString());
    const QRectF last = found->LabelRect(rows, columns);
    QVERIFY(qAbs((found->paperMm.width() - last.right()) - found->leftMargin) < 0.01);
    QVERIFY(found->paperMm.height() - last.bottom() >= 0);
}

void LabelGeometryTests::sheetProblems() {
    const LabelSheet good = StandardSheets().first();
    struct Case {
        const char* what;
        std::function<void(LabelSheet&)> change;
        bool fine;
    } cases[] = {
        {"as listed", [](LabelSheet&) {}, true},
        {"one more column", [](LabelSheet& s) { s.columns += 1; }, false},
        {"one more row", [](LabelSheet& s) { s.rows += 1; }, false},
        {"no rows", [](LabelSheet& s) { s.rows = 0; }, false},
        {"no width", [](LabelSheet& s) { s.labelWidth = 0; }, false},
        {"negative gap", [](LabelSheet& s) { s.columnGap = -1; }, false},
        {"margin pushing the grid off the paper", [](LabelSheet& s) { s.leftMargin = 20; }, false},
        {"smaller labels", [](LabelSheet& s) { s.labelHeight = 30; }, true},
    };
    for (const Case& c : cases) {
        LabelSheet sheet = good;
        c.change(sheet);
        QVERIFY2(SheetProblem(sheet).isEmpty() == c.fine, c.what);
    }
}

void LabelGeometryTests::placing_startsAtTheFirstFreeLabelAndBreaksPages() {
    const LabelSheet sheet = StandardSheets().first(); // 3 x 7
    // From row 7, column 2: two labels finish the sheet, the rest start a new one.
    const QList<PlacedLabel> placed = PlaceLabels(sheet, 5, 7, 2);
    QCOMPARE(placed.size(), 5);
    const int expected[][3] = {{0, 7, 2}, {0, 7, 3}, {1, 1, 1}, {1, 1, 2}, {1, 1, 3}};
    for (int i = 0; i < 5; ++i) {
        QCOMPARE(placed[i].page, expected[i][0]);
        QCOMPARE(placed[i].row, expected[i][1]);
        QCOMPARE(placed[i].column, expected[i][2]);
        QCOMPARE(placed[i].rectMm, sheet.LabelRect(placed[i].row, placed[i].column));
    }
    // A whole sheet and one more: the 22nd label opens page 2.
    const QList<PlacedLabel> full = PlaceLabels(sheet, 22, 1, 1);
    QCOMPARE(full[20].page, 0);
    QCOMPARE(full[21].page, 1);
    // A first label outside the grid starts at the first label; none for no count.
    QCOMPARE(PlaceLabels(sheet, 1, 9, 1).first().rectMm, sheet.LabelRect(1, 1));
    QCOMPARE(PlaceLabels(sheet, 1, 1, 0).first().rectMm, sheet.LabelRect(1, 1));
    QVERIFY(PlaceLabels(sheet, 0, 1, 1).isEmpty());
    // The pages a run takes, as the placing makes them.
    QCOMPARE(SheetPages(sheet, 5, 7, 2), 2);
    QCOMPARE(SheetPages(sheet, 21, 1, 1), 1);
    QCOMPARE(SheetPages(sheet, 22, 1, 1), 2);
    QCOMPARE(SheetPages(sheet, 21, 1, 2), 2);
}

void LabelGeometryTests::envelopes_recipientRightOfMiddleLowerHalf() {
    const QList<EnvelopeLayout> envelopes = StandardEnvelopes();
    QCOMPARE(envelopes.size(), 4);
    QCOMPARE(envelopes.first().sizeMm, QSizeF(220, 110));
    for (const EnvelopeLayout& e : envelopes) {
        const QRectF paper(QPointF(0, 0), e.sizeMm);
        QVERIFY2(e.sizeMm.width() > e.sizeMm.height(), qPrintable(e.name));
        QVERIFY(paper.contains(e.recipientMm) && paper.contains(e.senderMm));
        // Right of the middle, in the lower half.
        QVERIFY(e.recipientMm.left() >= e.sizeMm.width() / 2);
        QVERIFY(e.recipientMm.top() >= e.sizeMm.height() / 2);
        QVERIFY(e.recipientMm.height() > 35); // room for a full block
        QVERIFY(!e.senderMm.intersects(e.recipientMm));
    }
}

namespace {

// Lines of a block by what they hold, in the sticker's order.
QList<BlockLine> Block(const QString& name, const QString& address = QStringLiteral("12 MAIN ROAD"),
                       bool attention = true) {
    QList<BlockLine> block;
    if (attention) block.append({BlockPart::Attention, QStringLiteral("RAVI")});
    block += {{BlockPart::Name, name},
              {BlockPart::Address, address},
              {BlockPart::Area, QStringLiteral("PARK AREA")},
              {BlockPart::LandMark, QStringLiteral("NEAR TEMPLE")},
              {BlockPart::City, QStringLiteral("MUMBAI - 400001 (MH), INDIA")},
              {BlockPart::Phone, QStringLiteral("(M) 98200")}};
    return block;
}

QStringList Texts(const QList<BlockLine>& block, std::initializer_list<BlockPart> without = {}) {
    QStringList texts;
    for (const BlockLine& line : block)
        if (std::find(without.begin(), without.end(), line.part) == without.end())
            texts.append(line.text);
    return texts;
}

} // namespace

// One size for every block, the size the widest needs; then wrapping; then
// the phone, attention and land mark lines left out, in that order; the
// name and the city line with its PIN always kept, and nothing beyond the box.
void LabelGeometryTests::fitting_oneSizeThenWrapThenTheLeastImportantLinesOut() {
    QImage device(10, 10, QImage::Format_RGB32);
    device.setDotsPerMeterX(11811); // 300 dpi
    device.setDotsPerMeterY(11811);
    QFont font(QStringLiteral("DejaVu Sans"));
    font.setPointSizeF(12);
    const QFontMetricsF at12(font, &device);
    const double width = 900; // 3 inches
    const QList<BlockLine> plain = Block(QStringLiteral("ACME"));
    const QList<BlockLine> wide = Block(QStringLiteral("ACME TRADERS AND GENERAL SUPPLIERS"));
    QVERIFY(at12.horizontalAdvance(wide[1].text) > width);

    BlockFitter roomy(font, QSizeF(width, 1000), &device);
    roomy.ShrinkFor({plain}, 6);
    QCOMPARE(roomy.Font().pointSizeF(), 12.0);
    BlockFitter shared(font, QSizeF(width, 1000), &device);
    shared.ShrinkFor({plain, wide}, 6);
    const double size = shared.Font().pointSizeF();
    QVERIFY2(size < 12 && size >= 6, qPrintable(QString::number(size)));
    for (const QList<BlockLine>& block : {plain, wide}) {
        const FittedBlock fitted = shared.Fit(block);
        QCOMPARE(fitted.lines, Texts(block)); // whole and unwrapped, both at one size
        QVERIFY(!fitted.cutShort);
    }

    font.setPointSizeF(8);
    const QFontMetricsF fm(font, &device);
    auto rows = [&](int n) { return fm.height() + (n - 1) * fm.lineSpacing() + 0.5; };
    using enum BlockPart;
    const struct Case {
        const char* what;
        QSizeF box;
        QList<BlockLine> block;
        QStringList lines;
        bool cutShort;
    } cases[] = {
        {"all seven", {width, rows(7)}, plain, Texts(plain), false},
        {"no phone", {width, rows(6)}, plain, Texts(plain, {Phone}), false},
        {"nor attention", {width, rows(5)}, plain, Texts(plain, {Phone, Attention}), false},
        {"nor land mark",
         {width, rows(4)},
         plain,
         Texts(plain, {Phone, Attention, LandMark}),
         false},
        {"cut short", {width, rows(2)}, plain, {"ACME", "MUMBAI - 400001 (MH), INDIA"}, true},
        {"wrapped",
         {width, rows(8)},
         Block("ACME", "1 VERY LONG ROAD BEHIND THE OLD GRAIN MARKET NEAR THE RIVER"),
         {},
         false},
    };
    for (const Case& c : cases) {
        const FittedBlock fitted = BlockFitter(font, c.box, &device).Fit(c.block);
        if (!c.lines.isEmpty()) QCOMPARE(fitted.lines, c.lines);
        QVERIFY2(fitted.cutShort == c.cutShort, c.what);
        QVERIFY2(fm.height() + (fitted.lines.size() - 1) * fm.lineSpacing() <= c.box.height(),
                 c.what);
        for (const QString& line : fitted.lines)
            QVERIFY2(fm.horizontalAdvance(line) <= c.box.width(), qPrintable(line));
    }
    // The long address wraps onto two lines and nothing is left out.
    const FittedBlock wrapped = BlockFitter(font, cases[5].box, &device).Fit(cases[5].block);
    QCOMPARE(wrapped.lines.size(), 8);
    QCOMPARE(wrapped.lines.mid(2, 2).join(u' '), cases[5].block[2].text);
}

// The label's block is the sticker's, with the PIN after the city's name.
void LabelGeometryTests::labelLines_pinAfterTheCity() {
    AddressBlock party = MadeUpParty(1);
    party.adrs2.clear();
    LabelStyle style;
    const auto texts = [&] {
        QStringList out;
        for (const BlockLine& line : LabelLines(party, style))
            out.append(line.text);
        return out.join(u'|');
    };
    QCOMPARE(texts(), QStringLiteral("PARTY01|12 Main road|NEAR TEMPLE|MUMBAI (MH), INDIA|"
                                     "(Ph)022-2345 (M)98200 12345"));
    party.city = QStringLiteral("MUMBAI");
    party.pin = QStringLiteral("400001");
    style.attention = true;
    style.phone = false;
    QCOMPARE(texts(), QStringLiteral("CONTACT01|PARTY01|12 MAIN ROAD|near Temple|"
                                     "MUMBAI - 400001 (MH), INDIA"));
}

ADRSBOOK_TEST(LabelGeometryTests)
#include "tst_labelgeometry.moc"
