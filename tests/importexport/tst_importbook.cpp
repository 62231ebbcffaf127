// Imports and exports against a real book: round trips, files in the shapes
// phones and spreadsheets write, hostile files, limits, cancel, choices.

#include "address/addressdriver.h"
#include "importdriver.h"
#include "support/testmain.h"

#include "data/recordset.h"

#include <QTextStream>
#include <functional>

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

// Two cities of one name in different states, a city with no state or
// country, a group with a comma in its name, notes with CR LF and with LF.
void SeedPlaces(const TestBook& book) {
    SeedCity(book, 1, "RAMMANDI", "UTTARAKHAN", "INDIA"); // as the city master cuts it
    SeedCity(book, 2, "RAMMANDI", "KARNATAKA", "INDIA");
    SeedCity(book, 3, "WINSEN", "", "");
    SeedCity(book, 4, "जयपुर", "RAJASTHAN", "INDIA");
    SeedGroup(book, 1, "SALES, NORTH");
    SeedGroup(book, 2, "CUSTOMERS");
    book.Exec(QStringLiteral(
        "insert into adrsmstr (adrsid, adrsname, adrscontact, adrs1, adrs2, adrs3, adrsctyid, "
        "adrspin, adrscstno, adrsphno, adrsmobno, adrsfax, adrsemail, adrsweb, adrsnotes, "
        "adrsaddt, adrsdelstatus) values "
        "(1, 'ANIL SINGH', 'ANIL', 'HILL ROAD', 'UPPER BAZAR', 'NEAR TEMPLE', 1, '263001', "
        "'VAT 7', '05946-220011', '9412000001', '05946-220012', 'anil@singh.example', "
        "'singh.example', 'first line' || char(13) || char(10) || 'second; line', "
        "'2024-01-02 10:00:00', 0),"
        "(2, 'BHAT STORES', '', 'MG ROAD', '', '', 2, '', '', '', '9845000002', '', '', '', "
        "'one' || char(10) || 'two', '2024-01-03 11:00:00', 0),"
        "(3, 'HOF GMBH', 'JAN', 'LUHDORFER WEG 1', '', '', 3, '21423', '', '', '', '', '', '', "
        "'', '2024-01-04 12:00:00', 0),"
        "(4, 'शर्मा स्टील्स', '', 'स्टेशन रोड', '', '', 4, '', '', '', '', '', '', '', '', "
        "'2024-01-05 13:00:00', 0)"));
    SeedLink(book, 1, 1, 1);
    SeedLink(book, 2, 1, 2);
    SeedLink(book, 3, 2, 1);
    SeedLink(book, 4, 3, 2);
    SeedLink(book, 5, 4, 2);
}

// Every column of every table, with ids standing for what they name and
// the stamps of the moment left out, sorted: the same book gives the same
// lines whatever ids and dates the rows got.
QStringList BookTables() {
    QStringList lines;
    auto each = [](const QString& sql, const std::function<void(Recordset&)>& row) {
        Recordset rs;
        rs.Open(sql, Conn);
        for (; !rs.Eof(); rs.MoveNext())
            row(rs);
    };
    auto columns = [](Recordset& rs, const QStringList& skip) {
        QStringList out;
        for (int c = 0; c < rs.FieldCount(); ++c)
            if (!skip.contains(rs.Fields(c).Name().toLower()))
                out.append(rs.Fields(c).Name().toLower() + u'=' +
                           (rs.Fields(c).IsNull() ? QStringLiteral("<null>") : rs.Fields(c).Str()));
        return out.join(u'|');
    };
    QHash<QString, QString> city, group, party;
    each(QStringLiteral("Select * from cscmstr"), [&](Recordset& rs) {
        city.insert(rs.Fields("ctyid").Str(), columns(rs, {"ctyid", "addt"}));
    });
    each(QStringLiteral("Select * from adrsgrupmstr"),
         [&](Recordset& rs) { group.insert(rs.Fields("grpid").Str(), columns(rs, {"grpid"})); });
    each(QStringLiteral("Select * from adrsmstr"), [&](Recordset& rs) {
        party.insert(rs.Fields("adrsid").Str(),
                     columns(rs, {"adrsid", "adrsctyid", "adrsaddt", "adrsedtdt"}) +
                         QStringLiteral("|city:") + city.value(rs.Fields("adrsctyid").Str()));
    });
    lines += city.values();
    lines += group.values();
    lines += party.values();
    each(QStringLiteral("Select * from adrsgrpdtails"), [&](Recordset& rs) {
        lines.append(QStringLiteral("link:") + party.value(rs.Fields("adrsconcrnid").Str()) +
                     QStringLiteral(" in ") + group.value(rs.Fields("adrsgrupid").Str()) + u'|' +
                     columns(rs, {"adrsgrpid", "adrsconcrnid", "adrsgrupid"}));
    });
    lines.sort();
    return lines;
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

    void exportThenImportGivesTheSameBook_data() {
        QTest::addColumn<ExportFormat>("format");
        QTest::newRow("CSV") << ExportFormat::Csv;
        QTest::newRow("vCard 4.0") << ExportFormat::VCard4;
        QTest::newRow("vCard 3.0") << ExportFormat::VCard3;
    }
    void exportThenImportGivesTheSameBook() {
        QFETCH(ExportFormat, format);
        QByteArray bytes;
        QStringList tables;
        {
            TestBook book;
            SeedPlaces(book);
            tables = BookTables();
            bytes = ExportAll(format);
            QVERIFY(bytes.contains(format == ExportFormat::Csv ? "\"SALES, NORTH; CUSTOMERS\""
                                                               : "CATEGORIES:SALES\\, NORTH,"));
            // The same file again, every party to be updated: nothing changes.
            const ImportResult again =
                ImportFile(WriteFile(book, "own", bytes), DuplicateChoice::Update);
            QCOMPARE(again.unchanged, 4);
            QCOMPARE(again.updated, 0);
            QVERIFY2(ResultText(again).contains(QLatin1String("4 parties unchanged")),
                     qPrintable(ResultText(again)));
            QCOMPARE(BookTables(), tables);
            QCOMPARE(
                book.Value("Select count(*) from adrsmstr where adrsedtdt is not null").toInt(), 0);
        }
        TestBook fresh;
        const ImportResult first = ImportFile(WriteFile(fresh, "parties", bytes));
        QCOMPARE(first.added, 4);
        QCOMPARE(BookTables(), tables);
    }

    void citiesAreMatchedByNameStateAndCountry() {
        TestBook book;
        SeedPlaces(book);
        struct Case {
            const char *city, *state, *country;
            QStringList stored; // the party's city, state, country afterwards
        };
        const Case cases[] = {
            {"RAMMANDI", "KARNATAKA", "INDIA", {"RAMMANDI", "KARNATAKA", "INDIA"}},
            {"rammandi", "uttarakhand", "", {"RAMMANDI", "UTTARAKHAN", "INDIA"}},
            {"RAMMANDI", "", "", {"RAMMANDI", "UTTARAKHAN", "INDIA"}}, // the first of the name
            {"RAMMANDI", "KERALA", "INDIA", {"RAMMANDI", "KERALA", "INDIA"}},
            {"Luneburg", "", "", {"LUNEBURG", "", ""}}, // no PUNJAB, INDIA made up
            {"LUNEBURG", "NIEDERSACHSEN", "GERMANY", {"LUNEBURG", "NIEDERSACH", "GERMANY"}},
            {"Luneburg", "", "Germany", {"LUNEBURG", "NIEDERSACH", "GERMANY"}},
            {"WINSEN", "", "GERMANY", {"WINSEN", "", "GERMANY"}},
        };
        QByteArray csv = "Name,Address,City,State,Country\n";
        for (int i = 0; i < int(std::size(cases)); ++i)
            csv += "P" + QByteArray::number(i) + ",ROAD," + cases[i].city + ',' + cases[i].state +
                   ',' + cases[i].country + '\n';
        const QString path = WriteFile(book, "cities.csv", csv);
        const QList<ImportRow> plan = PlanFile(path);
        QVERIFY(
            plan[4].reason.contains(QLatin1String("new city LUNEBURG with no state or country")));
        QVERIFY(!plan[0].reason.contains(QLatin1String("new city")));
        const ImportResult done = ImportFile(path, DuplicateChoice::Skip, {2});
        QCOMPARE(done.citiesAdded, 4);
        for (int i = 0; i < int(std::size(cases)); ++i)
            QCOMPARE(book.Rows(QStringLiteral("Select c.ctyname, c.statename, c.contryname from "
                                              "adrsmstr a join cscmstr c on c.ctyid = a.adrsctyid "
                                              "where a.adrsname = 'P%1'")
                                   .arg(i)),
                     QList<QStringList>{cases[i].stored});
        // An update naming the city and state the party is in moves nothing;
        // naming the other RAMMANDI moves it there.
        const QString move = WriteFile(book, "move.csv",
                                       "Name,Address,City,State\nANIL SINGH,HILL ROAD,RAMMANDI,"
                                       "UTTARAKHAND\nBHAT STORES,MG ROAD,RAMMANDI,UTTARAKHAND\n");
        const ImportResult moved = ImportFile(move, DuplicateChoice::Update);
        QCOMPARE(moved.unchanged, 1);
        QCOMPARE(moved.updated, 1);
        QCOMPARE(book.Value("Select adrsctyid from adrsmstr where adrsid = 2").toInt(), 1);
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
                 (QList<QStringList>{{"PONDICHÉRY", "PUDUCHERRY", ""}}));
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

    void cardNumbersAreStoredWholeInTheirBoxes() {
        TestBook book;
        const QString path = WriteFile(
            book, "numbers.vcf",
            "BEGIN:VCARD\r\nVERSION:3.0\r\nFN:Weber GmbH\r\nADR:;;Ring 1;Hamburg;;20095;DE\r\n"
            "TEL;TYPE=HOME:040 654321\r\nTEL;TYPE=CELL:+91 98140 12345\r\n"
            "TEL;TYPE=WORK:+49 (0) 40 6432131-550\r\nTEL;TYPE=FAX:040 1111\r\nEND:VCARD\r\n"
            "BEGIN:VCARD\r\nVERSION:3.0\r\nFN:Too Long\r\nADR:;;Ring 2;Hamburg;;;\r\n"
            "TEL;TYPE=CELL:+49 40 6432131 ext 12345\r\nEND:VCARD\r\n");
        QList<ImportRow> plan = PlanFile(path);
        QCOMPARE(plan.size(), 2);
        QVERIFY2(plan[0].reason.contains(QLatin1String("written compact: Land Line")),
                 qPrintable(plan[0].reason));
        QCOMPARE(plan[1].status, RowStatus::Invalid);
        QVERIFY2(plan[1].reason.contains(QLatin1String("Mobile No.")), qPrintable(plan[1].reason));
        QCOMPARE(ApplyImport(*Conn, plan, ImportOptions()).added, 1);
        QCOMPARE(book.Rows("Select adrsphno, adrsmobno, adrsfax, adrsnotes from adrsmstr"),
                 (QList<QStringList>{{"+49406432131550", "+91 98140 12345", "040 1111",
                                      "Other numbers: home: 040 654321"}}));
    }

    void aCsvFileWithoutHeaderKeepsItsFirstParty() {
        TestBook book;
        ContactsFile read;
        const QList<ImportRow> plan =
            PlanFile(WriteFile(book, "plain.csv",
                               "Ravi Kumar,ravi@x.example,98140 12345,Mall Road\n"
                               "Anil Sharma,anil@y.example,0161 2401234,Civil Lines\n"),
                     &read);
        QVERIFY(read.headerless);
        QCOMPARE(read.mapping, (QVector<PartyField>{PartyField::Name, PartyField::Email,
                                                    PartyField::Phone, PartyField::Count}));
        QCOMPARE(plan.size(), 2);
        QCOMPARE(plan[0].fitted.party[PartyField::Name], QStringLiteral("RAVI KUMAR"));
        QVERIFY(read.source.warnings.join(u' ').contains(QLatin1String("no header")));
    }
};

ADRSBOOK_TEST(ImportBookTests)
#include "tst_importbook.moc"
