// Imports and exports against a real book: round trips, files in the shapes
// phones and spreadsheets write, hostile files, limits, cancel, choices.

#include "address/addressdriver.h"
#include "importdriver.h"
#include "support/testmain.h"

#include <QTextStream>

namespace {

void SeedBook(const TestBook& book) {
    SeedCity(book, 1, "LUDHIANA", "PUNJAB", "INDIA");
    SeedCity(book, 2, "जयपुर", "RAJASTHAN", "INDIA");
    SeedCity(book, 3, "OLD TOWN", "PUNJAB", "INDIA", 1); // deleted
    SeedGroup(book, 1, "CUSTOMERS");
    SeedGroup(book, 2, "DEALERS");
    book.Exec(QStringLiteral(
        "insert into adrsmstr (adrsid, adrsname, adrscontact, adrs1, adrs2, adrs3, adrsctyid, "
        "adrspin, adrscstno, adrsphno, adrsmobno, adrsfax, adrsemail, adrsweb, adrsnotes, "
        "adrsaddt, adrsdelstatus) values "
        "(1, 'SHARMA TRADERS', 'ANIL', '12, MALL ROAD', 'MODEL TOWN', 'NEAR \"CLOCK\" TOWER', 1, "
        "'141001', 'VAT;9', '0161-2401234', '98140 12345', '0161-555', 'anil@sharma.example', "
        "'sharma.example', 'pays; late\nsometimes', '2024-01-02 10:00:00', 0),"
        "(2, 'शर्मा स्टील्स', '', 'स्टेशन रोड', '', '', 2, '', '', '', '', '', '', '', '', "
        "'2024-01-03 11:00:00', 0),"
        "(3, 'O''BRIEN & SONS', '', 'CIVIL LINES', '', '', 3, '', '', '', '9988776655', '', '', "
        "'', '', '2024-01-04 12:00:00', 0)"));
    SeedLink(book, 1, 1, 1);
    SeedLink(book, 2, 1, 2);
    SeedLink(book, 3, 2, 2);
    SeedLink(book, 4, 3, 1);
}

} // namespace

class ImportBookTests : public QObject {
    Q_OBJECT
  private slots:
    void roundTripsGiveTheSamePartiesCitiesAndMemberships() {
        for (ExportFormat format :
             {ExportFormat::Csv, ExportFormat::VCard4, ExportFormat::VCard3}) {
            QByteArray bytes;
            QStringList contents;
            {
                TestBook book;
                SeedBook(book);
                contents = Contents();
                bytes = ExportAll(format);
                // The same book recognises its own parties by their UIDs.
                const QList<ImportRow> plan = PlanFile(WriteFile(book, "own", bytes));
                for (const ImportRow& r : plan) {
                    QCOMPARE(r.status, RowStatus::Duplicate);
                    QCOMPARE(r.match.rule, DuplicateRule::Uid);
                }
            }
            TestBook empty;
            const QString file =
                WriteFile(empty, QStringLiteral("parties") + ExportSuffix(format), bytes);
            const ImportResult first = ImportFile(file);
            QCOMPARE(first.added, 3);
            QCOMPARE(first.citiesAdded, 3); // the deleted city's party brings it back live
            QCOMPARE(first.groupsAdded, 2);
            QCOMPARE(Contents(), contents);
            QCOMPARE(empty.Count(QStringLiteral("adrsgrpdtails")), 4);
            // The second import of the same file adds nothing.
            const ImportResult second = ImportFile(file);
            QCOMPARE(second.added, 0);
            QCOMPARE(second.skipped, 3);
            QCOMPARE(Contents(), contents);
            QCOMPARE(empty.Count(QStringLiteral("adrsmstr")), 3);
        }
    }

    void exportIsCsvWithMarkAndCrLf() {
        TestBook book;
        SeedBook(book);
        const QByteArray csv = ExportAll(ExportFormat::Csv);
        QVERIFY(csv.startsWith("\xEF\xBB\xBFParty Name,Contact Person,Address,"));
        QVERIFY(csv.contains("\"12, MALL ROAD\""));
        QVERIFY(csv.contains("\"NEAR \"\"CLOCK\"\" TOWER\""));
        QVERIFY(csv.contains(",CUSTOMERS; DEALERS,"));
        QCOMPARE(csv.count("\r\n"), 4); // the header and three parties
        QString error;
        const QString path = book.Path(QStringLiteral("out.csv"));
        QVERIFY(WriteExportFile(path, csv, &error));
        QCOMPARE(QFile::permissions(path) & 0x0077, QFileDevice::Permissions());
    }

    void filesAsPhonesAndSpreadsheetsWriteThem() {
        TestBook book;
        SeedBook(book);
        // Windows-1252, semicolons, a header of another program.
        const QByteArray spreadsheet =
            "Company;Contact;Street;City;Region;Mobile Phone;E-mail Address;Category\r\n"
            "Caf\xE9 Noir;Jos\xE9;5 Ring Road;ludhiana;;+91 90000 11111;cafe@noir.example;"
            "Hotels\r\n"
            "Nouveau March\xE9;;1 Rue;Pondich\xE9ry;PUDUCHERRY;;;\r\n";
        const QString path = WriteFile(book, "sheet.csv", spreadsheet);
        ContactsFile read;
        const QList<ImportRow> plan = PlanFile(path, &read);
        QCOMPARE(read.csv.delimiter, QChar(u';'));
        QCOMPARE(read.encoding, QStringLiteral("Windows-1252"));
        QCOMPARE(plan.size(), 2);
        QCOMPARE(plan[0].fitted.party[PartyField::Name], QStringLiteral("CAFÉ NOIR"));
        ImportOptions options;
        options.groupIds = {2};
        QList<ImportRow> rows = plan;
        const ImportResult done = ApplyImport(*Conn, rows, options);
        QCOMPARE(done.added, 2);
        QCOMPARE(done.citiesAdded, 1); // "ludhiana" is LUDHIANA already
        QCOMPARE(done.groupsAdded, 1);
        QCOMPARE(book.Value("Select adrsctyid from adrsmstr where adrsname = 'CAFÉ NOIR'").toInt(),
                 1);
        QCOMPARE(book.Rows("Select ctyname, statename, contryname from cscmstr where ctyid = 4"),
                 (QList<QStringList>{{"PONDICHÉRY", "PUDUCHERRY", "INDIA"}}));
        QCOMPARE(book.Rows("Select adrsgrupid from adrsgrpdtails where adrsconcrnid = 4 order by "
                           "adrsgrupid"),
                 (QList<QStringList>{{"2"}, {"3"}}));
        QCOMPARE(book.Value("Select grpname from adrsgrupmstr where grpid = 3").toString(),
                 QStringLiteral("HOTELS"));
    }

    void hostileFilesAreRefusedOrCut() {
        TestBook book;
        {
            // A 100 MB line: refused by its size before a byte is decoded.
            const QString path = book.Path(QStringLiteral("long.csv"));
            QFile f(path);
            QVERIFY(f.open(QIODevice::WriteOnly));
            const QByteArray chunk(1 << 20, 'x');
            for (int i = 0; i < 100; ++i)
                f.write(chunk);
            f.close();
            QVERIFY(ReadContactsFile(path).error.contains(QLatin1String("at most 64 MB")));
        }
        QByteArray junk(200000, '\0');
        for (int i = 0; i < junk.size(); ++i)
            junk[i] = char((i * 7919) >> 3);
        QVERIFY(!ReadContactsFile(WriteFile(book, "junk.vcf", junk)).error.isEmpty());

        QByteArray many = "BEGIN:VCARD\r\nVERSION:3.0\r\nFN:MANY\r\nADR:;;ROAD;CITY;;;\r\n";
        for (int i = 0; i < 10000; ++i)
            many += "TEL:98" + QByteArray::number(10000000 + i) + "\r\n";
        many += "END:VCARD\r\n";
        const QList<ImportRow> cards = PlanFile(WriteFile(book, "many.vcf", many));
        QCOMPARE(cards.size(), 1);
        QCOMPARE(cards[0].status, RowStatus::New);
        QVERIFY(cards[0].reason.contains(QLatin1String("left out")));

        ContactsFile read;
        const QList<ImportRow> rows = PlanFile(
            WriteFile(book, "quotes.csv", "Name,Address,City\nA,B,C\n\"D,E,F\nG,H,I\n"), &read);
        QCOMPARE(rows.size(), 1);
        QVERIFY(read.source.warnings.value(0).contains(QLatin1String("never closed")));
    }

    void limitsAreCheckedBeforeAnythingIsWritten() {
        TestBook book;
        SeedBook(book);
        book.Exec("update adrsmstr set adrsid = 32766 where adrsid = 3");
        const QString path = WriteFile(book, "three.csv",
                                       "Name,Address,City\nA,ROAD,LUDHIANA\nB,ROAD,NEWCITY\n"
                                       "C,ROAD,LUDHIANA\n");
        const int cities = book.Count("cscmstr");
        try {
            ImportFile(path, DuplicateChoice::Skip, {1});
            QFAIL("an import beyond the last id was not refused");
        } catch (const ImportRefused& e) {
            QVERIFY2(e.text().contains(QLatin1String("room for only 1 more")),
                     qPrintable(e.text()));
        }
        QCOMPARE(book.Count("adrsmstr"), 3);
        QCOMPARE(book.Count("cscmstr"), cities);
    }

    void aCancelLeavesTheBookAsItWas() {
        TestBook book;
        SeedBook(book);
        QByteArray csv = "Name,Address,City\n";
        for (int i = 0; i < 1200; ++i)
            csv += "PARTY " + QByteArray::number(i) + ",ROAD,NEW CITY\n";
        QList<ImportRow> plan = PlanFile(WriteFile(book, "big.csv", csv));
        ImportOptions options;
        options.groupIds = {1};
        int calls = 0;
        QVERIFY_THROWS_EXCEPTION(ImportCancelled,
                                 ApplyImport(*Conn, plan, options, [&](int done, int total) {
                                     ++calls;
                                     return done < total / 2;
                                 }));
        QCOMPARE(calls, 2);
        QCOMPARE(book.Count("adrsmstr"), 3);
        QCOMPARE(book.Count("cscmstr"), 3);
        QCOMPARE(book.Count("adrsgrpdtails"), 4);
    }

    void duplicatesAreSkippedUpdatedOrAddedAsChosen() {
        TestBook book;
        SeedBook(book);
        const QString path = WriteFile(book, "dups.csv",
                                       "Name,Address,City,Mobile,E-mail,Groups\n"
                                       "Sharma-Traders,NEW ROAD,LUDHIANA,,,NEWGROUP\n"
                                       "X,Y,LUDHIANA,+919988776655,,\n"
                                       "X2,Y,LUDHIANA,,X2@MAIL.EXAMPLE,\n"
                                       "X3,Y,LUDHIANA,,x2@mail.example,\n");
        QList<ImportRow> plan = PlanFile(path);
        QCOMPARE(plan[0].match.rule, DuplicateRule::Name);
        QCOMPARE(plan[0].match.id, 1);
        QCOMPARE(plan[1].match.rule, DuplicateRule::Mobile);
        QCOMPARE(plan[1].match.id, 3);
        QCOMPARE(plan[2].status, RowStatus::New);
        QCOMPARE(plan[3].match.rule, DuplicateRule::Email);
        QCOMPARE(plan[3].match.id, -3); // the record two lines up
        plan[0].choice = DuplicateChoice::Update;
        plan[1].choice = DuplicateChoice::Add;
        const ImportResult done = ApplyImport(*Conn, plan, ImportOptions{{1}, true});
        QCOMPARE(done.updated, 1);
        QCOMPARE(done.added, 2);
        QCOMPARE(done.skipped, 1);
        // The update takes the file's values and keeps what the file lacks.
        QCOMPARE(book.Rows("Select adrsname, adrs1, adrscontact from adrsmstr where adrsid = 1"),
                 (QList<QStringList>{{"SHARMA-TRADERS", "NEW ROAD", "ANIL"}}));
        QCOMPARE(book.Rows("Select adrsgrupid from adrsgrpdtails where adrsconcrnid = 1 order by "
                           "adrsgrupid"),
                 (QList<QStringList>{{"1"}, {"2"}, {"3"}}));
        QVERIFY(!book.Value("Select adrsedtdt from adrsmstr where adrsid = 1").isNull());
    }
};

ADRSBOOK_TEST(ImportBookTests)
#include "tst_importbook.moc"
