// The print file written by the printing form, byte for byte.

#include "data/statementlog.h"
#include "platform/msgbox.h"
#include "platform/shell.h"
#include "printdesk.h"
#include "support/scripted.h"

#include <QDir>

namespace {

const QString M = QStringLiteral("     "); // the sticker margin; a blank line is just this

const QString kQueryWithAttn = QStringLiteral(
    "SELECT (adrsmstr.adrsname),(adrsmstr.adrscontact), (adrsmstr.adrs1), (adrsmstr.adrs2), "
    "(adrsmstr.adrs3), (adrsmstr.adrsphno), (adrsmstr.adrsmobno), (cscmstr.ctyname +' ('+ "
    "cscmstr.statename +')' +', '+ cscmstr.contryname)From adrsmstr, cscmstr WHERE "
    "adrsmstr.adrsctyid = cscmstr.ctyid and adrsmstr.adrsid like '1' and adrsmstr.adrsdelstatus "
    "like '0'");
const QString kQueryWithoutAttn = QStringLiteral(
    "SELECT (adrsmstr.adrsname), (adrsmstr.adrs1), (adrsmstr.adrs2), (adrsmstr.adrs3), "
    "(adrsmstr.adrsphno), (adrsmstr.adrsmobno),(cscmstr.ctyname +' ('+ cscmstr.statename +')' +', "
    "'+ "
    "cscmstr.contryname)From adrsmstr, cscmstr WHERE adrsmstr.adrsctyid = cscmstr.ctyid and "
    "adrsmstr.adrsid like '1' and adrsmstr.adrsdelstatus like '0'");

const QByteArray kWithAttn =
    Lines({M + "Ravi Kumar", M + "Acme Traders", M + "12 MAIN ROAD", M + "PARK AREA",
           M + "near Temple", M + "MUMBAI (MH), INDIA", M + "(Ph)022-2345 (M)98200 12345", M, M});
const QByteArray kWithoutAttn =
    Lines({M + "Acme Traders", M + "12 Main road", M + "PARK AREA", M + "NEAR TEMPLE",
           M + "MUMBAI (MH), INDIA", M + "(Ph)022-2345 (M)98200 12345", M, M, M});

} // namespace

class StickerFileTests : public QObject {
    Q_OBJECT
  private slots:
    void allFields_withAndWithoutAttention();
    void missingSlots_moveUpAndAreMadeUpAfter();
    void phoneLine_data();
    void phoneLine();
    void cityLine_leftOutWhenAPartIsNull_data();
    void cityLine_leftOutWhenAPartIsNull();
    void copies_repeatAndSurviveASecondPrint();
    void noCopiesEntered_writesAnEmptyFile();
    void contactPerson_nullColumnPrintsTheTypedName();
    void contactPerson_editedAskedBeforePrinting();
    void contactPerson_withQuotesStoresAndPrints();
    void nothingFound_leavesTheFileAndTheBatchAlone_data();
    void nothingFound_leavesTheFileAndTheBatchAlone();
    void envelope_onePerPrintBehindAWideMargin();
    void failures_areReported();
};

void StickerFileTests::allFields_withAndWithoutAttention() {
    TestBook book;
    SeedCity(book, 1, "MUMBAI", "MH", "INDIA");
    SeedParty(book, Party{});
    Shell::Recorder shell;
    PrintDesk desk;
    desk.Pick("acme");
    desk.Sticker();
    desk.Copies("1");
    desk.log.clear();
    desk.Print();
    QCOMPARE(ReadFile(book.Path("A.TXT")), kWithoutAttn);

    Click(desk.form->ChkAttn);
    desk.Print();
    QCOMPARE(ReadFile(book.Path("A.TXT")), kWithAttn);
    QCOMPARE(desk.log, QStringList({kQueryWithoutAttn, kQueryWithAttn}));
    QVERIFY2(desk.boxes.calls.isEmpty(), qPrintable(desk.boxes.Prompts().join('|')));
    QCOMPARE(shell.started, QStringList({PrintBatchPath(), PrintBatchPath()}));
    QVERIFY(PrintBatchPath().startsWith(book.Folder()));
}

void StickerFileTests::missingSlots_moveUpAndAreMadeUpAfter() {
    TestBook book;
    SeedCity(book, 1, "MUMBAI", "MH", "INDIA");
    Party p;
    p.adrs3 = QVariant();
    p.adrs2 = QStringLiteral("   ");
    p.phone = QString();
    p.mobile = QVariant();
    SeedParty(book, p);
    Shell::Recorder shell;
    PrintDesk desk;
    desk.Pick("acme");
    desk.Sticker();
    desk.Copies("1");
    desk.Print();
    QCOMPARE(ReadFile(book.Path("A.TXT")), Lines({M + "Acme Traders", M + "12 Main road",
                                                  M + "MUMBAI (MH), INDIA", M, M, M, M, M, M}));

    Click(desk.form->ChkAttn);
    desk.Print();
    QCOMPARE(ReadFile(book.Path("A.TXT")),
             Lines({M + "Ravi Kumar", M + "Acme Traders", M + "12 MAIN ROAD",
                    M + "MUMBAI (MH), INDIA", M, M, M, M, M}));
}

void StickerFileTests::phoneLine_data() {
    QTest::addColumn<QVariant>("phone");
    QTest::addColumn<QVariant>("mobile");
    QTest::addColumn<QString>("line");
    QTest::newRow("land line only") << QVariant("022-2345 ") << QVariant() << "(Ph) 022-2345";
    QTest::newRow("mobile only") << QVariant("") << QVariant(" 98200") << "(M) 98200";
    QTest::newRow("both") << QVariant("022") << QVariant("98200") << "(Ph)022 (M)98200";
    QTest::newRow("neither") << QVariant("  ") << QVariant() << "";
}

void StickerFileTests::phoneLine() {
    QFETCH(QVariant, phone);
    QFETCH(QVariant, mobile);
    QFETCH(QString, line);
    TestBook book;
    SeedCity(book, 1, "PUNE", "MH", "INDIA");
    Party p;
    p.phone = phone;
    p.mobile = mobile;
    SeedParty(book, p);
    Shell::Recorder shell;
    PrintDesk desk;
    desk.Pick("acme");
    desk.Sticker();
    desk.Copies("1");
    desk.Print();
    QStringList expected{M + "Acme Traders", M + "12 Main road", M + "PARK AREA", M + "NEAR TEMPLE",
                         M + "PUNE (MH), INDIA"};
    if (!line.isEmpty()) expected.append(M + line);
    while (expected.size() < 9)
        expected.append(M);
    QCOMPARE(ReadFile(book.Path("A.TXT")), Lines(expected));
}

void StickerFileTests::cityLine_leftOutWhenAPartIsNull_data() {
    QTest::addColumn<QVariant>("state");
    QTest::addColumn<QVariant>("country");
    QTest::newRow("state Null") << QVariant() << QVariant("INDIA");
    QTest::newRow("country Null") << QVariant("MH") << QVariant();
}

void StickerFileTests::cityLine_leftOutWhenAPartIsNull() {
    QFETCH(QVariant, state);
    QFETCH(QVariant, country);
    TestBook book;
    SeedCity(book, 1, "MUMBAI", state, country);
    SeedParty(book, Party{});
    Shell::Recorder shell;
    PrintDesk desk;
    desk.Pick("acme");
    desk.Sticker();
    desk.Copies("1");
    desk.Print();
    QCOMPARE(ReadFile(book.Path("A.TXT")),
             Lines({M + "Acme Traders", M + "12 Main road", M + "PARK AREA", M + "NEAR TEMPLE",
                    M + "(Ph)022-2345 (M)98200 12345", M, M, M, M}));
}

void StickerFileTests::copies_repeatAndSurviveASecondPrint() {
    TestBook book;
    SeedCity(book, 1, "MUMBAI", "MH", "INDIA");
    SeedParty(book, Party{});
    Shell::Recorder shell;
    PrintDesk desk;
    desk.Pick("acme");
    desk.Sticker();
    desk.Copies("3");
    desk.Print();
    const QByteArray three = kWithoutAttn.repeated(3);
    QCOMPARE(ReadFile(book.Path("A.TXT")), three);
    QCOMPARE(three.count("\r\n"), 27);

    // Print again without passing through the copies field: the 3 shown still count.
    QFile::remove(book.Path("A.TXT"));
    desk.Print();
    QCOMPARE(desk.form->txtNoco->text(), QStringLiteral("3"));
    QCOMPARE(ReadFile(book.Path("A.TXT")), three);
    QCOMPARE(shell.started.size(), 2);
}

void StickerFileTests::noCopiesEntered_writesAnEmptyFile() {
    TestBook book;
    SeedCity(book, 1, "MUMBAI", "MH", "INDIA");
    SeedParty(book, Party{});
    QFile old(book.Path("A.TXT"));
    QVERIFY(old.open(QIODevice::WriteOnly));
    old.write("an earlier print\r\n");
    old.close();
    Shell::Recorder shell;
    PrintDesk desk;
    desk.Pick("acme");
    desk.Sticker();
    desk.Print(); // the copies field was never visited
    QCOMPARE(ReadFile(book.Path("A.TXT")), QByteArray());
    QCOMPARE(shell.started.size(), 1);
    QVERIFY(desk.boxes.calls.isEmpty());
}

void StickerFileTests::contactPerson_nullColumnPrintsTheTypedName() {
    TestBook book;
    SeedCity(book, 1, "MUMBAI", "MH", "INDIA");
    Party p;
    p.contact = QVariant();
    SeedParty(book, p);
    Shell::Recorder shell;
    PrintDesk desk;
    desk.boxes.Answer(vbNo);
    desk.Pick("acme");
    desk.MarkAttention();
    TypeText("sunil");
    desk.Sticker();
    desk.Copies("1");
    desk.Print();
    QCOMPARE(desk.boxes.Prompts(), QStringList{"Save Changes to the concern file(s)?"});
    QCOMPARE(book.Value("select adrscontact from adrsmstr"), QVariant());
    QVERIFY(ReadFile(book.Path("A.TXT")).startsWith("     SUNIL\r\n     Acme Traders\r\n"));
}

void StickerFileTests::contactPerson_editedAskedBeforePrinting() {
    TestBook book;
    SeedCity(book, 1, "MUMBAI", "MH", "INDIA");
    SeedParty(book, Party{});
    Shell::Recorder shell;
    PrintDesk desk;
    desk.boxes.Answer(vbNo);
    desk.Pick("acme");
    desk.MarkAttention();
    QCOMPARE(Focused(), desk.form->TxtCntact1);
    TypeText("anil"); // the whole name was selected: typing replaces it
    desk.Sticker();
    desk.Copies("1");
    desk.Print();
    QCOMPARE(desk.boxes.calls.size(), 1);
    QCOMPARE(desk.boxes.Last().title, QStringLiteral("Contact Person's Name"));
    QVERIFY(desk.boxes.Last().YesNo());
    QCOMPARE(desk.boxes.Last().Icon(), 0);
    QCOMPARE(ReadFile(book.Path("A.TXT")), kWithAttn); // No: the stored one is printed

    desk.Print(); // asked again, now answered Yes
    QCOMPARE(desk.boxes.calls.size(), 2);
    QCOMPARE(book.Value("select adrscontact from adrsmstr where adrsid = 1").toString(),
             QStringLiteral("ANIL"));
    QVERIFY(ReadFile(book.Path("A.TXT")).startsWith("     ANIL\r\n     Acme Traders\r\n"));
    QCOMPARE(shell.started.size(), 2);
}

void StickerFileTests::contactPerson_withQuotesStoresAndPrints() {
    TestBook book;
    SeedCity(book, 1, "MUMBAI", "MH", "INDIA");
    Party p;
    p.name = QStringLiteral("D'Souza & Sons");
    SeedParty(book, p);
    Shell::Recorder shell;
    PrintDesk desk;
    desk.Pick("d'souza");
    QCOMPARE(desk.form->TxtName->text(), QStringLiteral("D'Souza & Sons"));
    desk.MarkAttention();
    TypeText("o'brien");
    desk.Sticker();
    desk.Copies("1");
    desk.Print();
    QCOMPARE(book.Value("select adrscontact from adrsmstr where adrsid = 1").toString(),
             QStringLiteral("O'BRIEN"));
    QVERIFY(ReadFile(book.Path("A.TXT")).startsWith("     O'BRIEN\r\n     D'Souza & Sons\r\n"));
}

void StickerFileTests::nothingFound_leavesTheFileAndTheBatchAlone_data() {
    QTest::addColumn<int>("ctyid");
    QTest::addColumn<int>("delstatus");
    QTest::newRow("city missing") << 7 << 0;
    QTest::newRow("party marked deleted") << 1 << 1;
}

void StickerFileTests::nothingFound_leavesTheFileAndTheBatchAlone() {
    QFETCH(int, ctyid);
    QFETCH(int, delstatus);
    TestBook book;
    SeedCity(book, 1, "MUMBAI", "MH", "INDIA");
    Party p;
    p.ctyid = ctyid;
    p.delstatus = delstatus;
    SeedParty(book, p);
    QFile old(book.Path("A.TXT"));
    QVERIFY(old.open(QIODevice::WriteOnly));
    old.write("the previous party\r\n");
    old.close();
    Shell::Recorder shell;
    PrintDesk desk;
    desk.Pick("acme");
    desk.Sticker();
    desk.Copies("2");
    desk.Print();
    QCOMPARE(ReadFile(book.Path("A.TXT")), QByteArray("the previous party\r\n"));
    QVERIFY(shell.started.isEmpty());
    QCOMPARE(desk.boxes.calls.size(), 1);
    QVERIFY(desk.boxes.Last().prompt.startsWith("Nothing was printed"));
    QCOMPARE(desk.boxes.Last().Icon(), int(vbInformation));
    QCOMPARE(desk.boxes.Last().title, desk.form->Caption());
}

void StickerFileTests::envelope_onePerPrintBehindAWideMargin() {
    TestBook book;
    SeedCity(book, 1, "MUMBAI", "MH", "INDIA");
    Party p;
    p.adrs2 = QVariant();
    SeedParty(book, p);
    Shell::Recorder shell;
    PrintDesk desk;
    desk.Pick("acme");
    desk.Sticker();
    desk.Copies("5");
    desk.Envelope();
    QVERIFY(!desk.form->txtNoco->isEnabled());
    QVERIFY(desk.form->CmdPrnt->isEnabled());
    desk.Print();
    const QString W(40, u' ');
    QStringList envelope(12, QString());
    envelope << W + "Acme Traders" << W + "12 Main road" << W + "NEAR TEMPLE"
             << W + "MUMBAI (MH), INDIA";
    QCOMPARE(ReadFile(book.Path("A.TXT")), Lines(envelope));

    Click(desk.form->ChkAttn);
    desk.Print();
    envelope = QStringList(12, QString());
    envelope << W + "Ravi Kumar" << W + "Acme Traders" << W + "12 MAIN ROAD" << W + "near Temple"
             << W + "MUMBAI (MH), INDIA";
    QCOMPARE(ReadFile(book.Path("A.TXT")), Lines(envelope));
    QCOMPARE(shell.started, QStringList({PrintBatchPath(), PrintBatchPath()}));
    QVERIFY(desk.boxes.calls.isEmpty());
}

void StickerFileTests::failures_areReported() {
    TestBook book;
    SeedCity(book, 1, "MUMBAI", "MH", "INDIA");
    SeedParty(book, Party{});
    Shell::Recorder shell;
    PrintDesk desk;
    desk.Pick("acme");
    desk.Sticker();
    desk.Copies("1");

    // The print file cannot be written: a folder stands in its place.
    QVERIFY(QDir(book.Folder()).mkdir("A.TXT"));
    desk.Print();
    QCOMPARE(desk.boxes.calls.size(), 1);
    QVERIFY(desk.boxes.Last().prompt.startsWith("The print file could not be written."));
    QVERIFY(desk.boxes.Last().prompt.contains("A.TXT"));
    QCOMPARE(desk.boxes.Last().Icon(), int(vbCritical));
    QVERIFY(shell.started.isEmpty());
    QVERIFY(QDir(book.Folder()).rmdir("A.TXT"));

    // The batch cannot be started.
    shell.startSucceeds = false;
    desk.Print();
    QCOMPARE(ReadFile(book.Path("A.TXT")), kWithoutAttn);
    QCOMPARE(desk.boxes.calls.size(), 2);
    QVERIFY(desk.boxes.Last().prompt.startsWith("The print batch could not be started."));
    QVERIFY(desk.boxes.Last().prompt.contains(PrintBatchPath()));

    // The database cannot be read.
    book.Exec("drop table cscmstr");
    desk.Print();
    QCOMPARE(desk.boxes.calls.size(), 3);
    QVERIFY(desk.boxes.Last().prompt.startsWith("The party could not be read for printing."));
    QCOMPARE(desk.boxes.Last().Icon(), int(vbCritical));
    QCOMPARE(shell.started.size(), 1);
}

ADRSBOOK_TEST(StickerFileTests)
#include "tst_stickers.moc"
