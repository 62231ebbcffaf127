// Label sheets, label places and envelope boxes as measures, and the
// fitting of a block into a box: pure functions, no printer.

#include "labels/blockfit.h"
#include "labels/labelgeometry.h"
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
    void fitting_shrinksThenElidesAndNeverLeavesTheBox();
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
}

void LabelGeometryTests::envelopes_recipientRightOfMiddleLowerHalf() {
    const QList<EnvelopeLayout> envelopes = StandardEnvelopes();
    QCOMPARE(envelopes.size(), 4);
    QCOMPARE(envelopes.first().sizeMm, QSizeF(220, 110));
    for (const EnvelopeLayout& e : envelopes) {
        const QRectF paper(QPointF(0, 0), e.sizeMm);
        QVERIFY2(e.sizeMm.width() > e.sizeMm.height(), qPrintable(e.name));
        QVERIFY(paper.contains(e.recipientMm) && paper.contains(e.senderMm));
        QVERIFY(e.recipientMm.left() > e.sizeMm.width() * 0.35);
        QVERIFY(e.recipientMm.top() > e.sizeMm.height() * 0.4);
        QVERIFY(e.recipientMm.height() > 35); // room for a full block
        QVERIFY(!e.senderMm.intersects(e.recipientMm));
    }
}

void LabelGeometryTests::fitting_shrinksThenElidesAndNeverLeavesTheBox() {
    QImage device(10, 10, QImage::Format_RGB32);
    device.setDotsPerMeterX(11811); // 300 dpi
    device.setDotsPerMeterY(11811);
    QFont font(QStringLiteral("DejaVu Sans"));
    font.setPointSizeF(12);
    const QSizeF box(600, 300); // 2 x 1 inches
    const QStringList lines = {"ACME", "12 MAIN ROAD", "MUMBAI (MH), INDIA"};

    const FittedBlock roomy = FitBlock(lines, font, 6, box, &device);
    QCOMPARE(roomy.font.pointSizeF(), 12.0);
    QCOMPARE(roomy.lines, lines);

    QStringList longer = lines;
    longer[0] = QStringLiteral("ACME TRADERS AND GENERAL SUPPLIERS");
    const FittedBlock shrunk = FitBlock(longer, font, 6, box, &device);
    QVERIFY(shrunk.font.pointSizeF() < 12 && shrunk.font.pointSizeF() >= 6);
    QCOMPARE(shrunk.lines, longer);

    QStringList tooLong = lines;
    tooLong[0] = QString(200, u'W');
    const QSizeF small(600, 100);
    const FittedBlock elided = FitBlock(tooLong + lines + lines, font, 6, small, &device);
    QCOMPARE(elided.font.pointSizeF(), 6.0);
    QVERIFY(elided.lines.first().endsWith(QChar(0x2026)));
    QVERIFY(elided.lines.size() < 9); // the lines without room are left off
    const QFontMetricsF fm(elided.font, &device);
    for (const QString& line : elided.lines)
        QVERIFY(fm.horizontalAdvance(line) <= box.width());
    QVERIFY(elided.height <= small.height());
}

ADRSBOOK_TEST(LabelGeometryTests)
#include "tst_labelgeometry.moc"
