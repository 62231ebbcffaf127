// The file formats on their own: CSV and vCard reading and writing, the
// decoding of the bytes, the fitting of values to the windows' rules and the
// duplicate rules.

#include "importexport/csv.h"
#include "importexport/headernames.h"
#include "importexport/importsource.h"
#include "importexport/partyformats.h"
#include "party/textdecode.h"
#include "party/duplicates.h"
#include "party/phonenumbers.h"
#include "support/testmain.h"

#include <QSettings>
#include <QTemporaryDir>
#include <QTest>

class FileFormatTests : public QObject {
    Q_OBJECT
  private slots:
    void csvRecordsInTheShapesSpreadsheetsWrite_data() {
        QTest::addColumn<QString>("text");
        QTest::addColumn<QString>("delimiter");
        QTest::addColumn<QStringList>("second"); // the second record
        QTest::newRow("comma, CR LF") << "a,b,c\r\n1,2,3\r\n"
                                      << "," << QStringList{"1", "2", "3"};
        QTest::newRow("LF, no last break") << "a,b\n1,2"
                                           << "," << QStringList{"1", "2"};
        QTest::newRow("semicolon") << "a;b;c\n\"x;y\";2,5;3\n"
                                   << ";" << QStringList{"x;y", "2,5", "3"};
        QTest::newRow("tab") << "a\tb\n1,5\t2\n"
                             << "\t" << QStringList{"1,5", "2"};
        QTest::newRow("quotes doubled, line break inside")
            << "a,b\r\n\"say \"\"hi\"\"\",\"two\r\nlines\"\r\n"
            << "," << QStringList{"say \"hi\"", "two\r\nlines"};
        QTest::newRow("Excel's sep line") << "sep=;\na;b\n1;2\n"
                                          << ";" << QStringList{"1", "2"};
        QTest::newRow("empty fields") << "a,b,c\n,,x\n"
                                      << "," << QStringList{"", "", "x"};
    }
    void csvRecordsInTheShapesSpreadsheetsWrite() {
        QFETCH(QString, text);
        QFETCH(QString, delimiter);
        QFETCH(QStringList, second);
        const CsvTable t = ReadCsv(text);
        QCOMPARE(QString(t.delimiter), delimiter);
        QCOMPARE(t.records.value(1), second);
        QVERIFY(t.warnings.isEmpty());
    }

    void csvCutsWhatAHostileFileHolds() {
        // An unbalanced quote ends the reading at its record, named by line.
        CsvTable t = ReadCsv(QStringLiteral("a,b\n1,2\n\"open,3\n4,5\n"));
        QCOMPARE(t.records.size(), 2);
        QVERIFY(t.warnings.value(0).contains(QLatin1String("line 3")));
        // A field beyond the limit is cut, not kept whole.
        t = ReadCsv(QStringLiteral("a\n") + QString(kLargestCsvField * 3, u'x') + u'\n');
        QCOMPARE(t.records[1][0].size(), kLargestCsvField);
        QCOMPARE(t.warnings.size(), 1);
    }

    void csvWriterQuotesOnlyWhatNeedsIt() {
        QCOMPARE(CsvRecord({"A", "B,C", "say \"hi\"", "two\nlines", ""}),
                 QStringLiteral("A,\"B,C\",\"say \"\"hi\"\"\",\"two\nlines\",\r\n"));
        const QStringList fields{"O'BRIEN, \"JR\"", "x\r\ny", "ग्रुप"};
        QCOMPARE(ReadCsv(QStringLiteral("h1,h2,h3\r\n") + CsvRecord(fields)).records.value(1),
                 fields);
    }

    void bytesAreDecodedByTheirMarkOrTheirContent_data() {
        QTest::addColumn<QByteArray>("bytes");
        QTest::addColumn<QString>("encoding");
        QTest::addColumn<QString>("text");
        QTest::newRow("UTF-8 BOM")
            << QByteArray("\xEF\xBB\xBFJos\xC3\xA9") << "UTF-8 with BOM" << QStringLiteral("José");
        QTest::newRow("UTF-8 Devanagari")
            << QStringLiteral("शर्मा").toUtf8() << "UTF-8" << QStringLiteral("शर्मा");
        QTest::newRow("Windows-1252") << QByteArray("Jos\xE9 \x80 \x93q\x94") << "Windows-1252"
                                      << QStringLiteral("José € “q”");
        QTest::newRow("UTF-16 LE") << QByteArray("\xFF\xFE"
                                                 "A\0B\0",
                                                 6)
                                   << "UTF-16" << QStringLiteral("AB");
    }
    void bytesAreDecodedByTheirMarkOrTheirContent() {
        QFETCH(QByteArray, bytes);
        QFETCH(QString, encoding);
        QFETCH(QString, text);
        const DecodedText d = DecodeText(bytes);
        QCOMPARE(d.encoding, encoding);
        QCOMPARE(d.text, text);
    }

    void binaryJunkIsNotText() {
        QByteArray junk(4096, '\0');
        for (int i = 0; i < junk.size(); ++i)
            junk[i] = char((i * 131 + 7) % 256);
        QVERIFY(!DecodeText(junk).error.isEmpty());
        QVERIFY(DecodeText(QByteArray("PK\x03\x04\x00\x00", 6)).error.contains("binary"));
    }

    void vcardsOfEveryVersionAreRead() {
        const QString text = QStringLiteral(
            // 2.1 as older phones write it: bare types, quoted-printable
            // with soft breaks, a charset.
            "BEGIN:VCARD\r\nVERSION:2.1\r\nN:Kumar;Ravi;;;\r\nFN:Ravi Kumar\r\n"
            "TEL;CELL;VOICE:+91 98140 12345\r\nTEL;WORK:0161-2401234\r\n"
            "ADR;WORK;ENCODING=QUOTED-PRINTABLE;CHARSET=UTF-8:;;12 Mall Road=0D=0A=\r\n"
            "Model Town;Ludhiana;Punjab;141001;India\r\n"
            "NOTE;ENCODING=QUOTED-PRINTABLE:caf=C3=A9 =\r\nnear station\r\nEND:VCARD\r\n"
            // 3.0, folded lines, escapes
            "BEGIN:VCARD\nVERSION:3.0\nFN:Sharma Traders\nORG:Sharma Traders\\, Ludhiana;Sales\n"
            "N:Sharma;Anil;;;\nEMAIL;TYPE=INTERNET:anil@sharma.\n example\n"
            "CATEGORIES:CUSTOMERS,DEALERS\nNOTE:one\\ntwo\\; three\nEND:VCARD\n"
            // 4.0, tel URI and a related contact
            "BEGIN:VCARD\r\nVERSION:4.0\r\nFN:मेहता "
            "स्टील्स\r\nTEL;VALUE=uri;TYPE=\"fax\":tel:+91-161-5550000\r\n"
            "RELATED;TYPE=contact;VALUE=text:Neha\r\nUID:urn:uuid:1234\r\nEND:VCARD\r\n");
        const VCardFile file = ReadVCards(text);
        QCOMPARE(file.cards.size(), 3);
        QString notice;
        PartyRecord a = RecordFromVCard(file.cards[0], &notice);
        QCOMPARE(a[PartyField::Name], QStringLiteral("Ravi Kumar"));
        QCOMPARE(a[PartyField::Mobile], QStringLiteral("+91 98140 12345"));
        QCOMPARE(a[PartyField::Phone], QStringLiteral("0161-2401234"));
        QCOMPARE(a[PartyField::Address], QStringLiteral("12 Mall Road"));
        QCOMPARE(a[PartyField::Area], QStringLiteral("Model Town"));
        QCOMPARE(a[PartyField::City], QStringLiteral("Ludhiana"));
        QCOMPARE(a[PartyField::Pin], QStringLiteral("141001"));
        QCOMPARE(a[PartyField::Notes], QStringLiteral("café near station"));
        PartyRecord b = RecordFromVCard(file.cards[1], &notice);
        QCOMPARE(b[PartyField::Name], QStringLiteral("Sharma Traders, Ludhiana"));
        QCOMPARE(b[PartyField::Contact], QStringLiteral("Sharma Traders"));
        QCOMPARE(b[PartyField::Email], QStringLiteral("anil@sharma.example"));
        QCOMPARE(b.GroupNames(), (QStringList{"CUSTOMERS", "DEALERS"}));
        QCOMPARE(b[PartyField::Notes], QStringLiteral("one\ntwo; three"));
        PartyRecord c = RecordFromVCard(file.cards[2], &notice);
        QCOMPARE(c[PartyField::Name], QStringLiteral("मेहता स्टील्स"));
        QCOMPARE(c[PartyField::Fax], QStringLiteral("+91-161-5550000"));
        QCOMPARE(c[PartyField::Contact], QStringLiteral("Neha"));
        QCOMPARE(c[PartyField::Uid], QStringLiteral("urn:uuid:1234"));
    }

    void writtenCardsFoldAt75OctetsAndReadBackTheSame() {
        PartyRecord p;
        p[PartyField::Name] = QStringLiteral("शर्मा ट्रेडर्स; O'BRIEN, \\ & SONS ") + QString(40, u'ग');
        p[PartyField::Contact] = QStringLiteral("ANIL");
        p[PartyField::Address] = QStringLiteral("12, MALL ROAD");
        p[PartyField::LandMark] = QStringLiteral("NEAR CLOCK TOWER");
        p[PartyField::City] = QStringLiteral("LUDHIANA");
        p[PartyField::Mobile] = QStringLiteral("98140 12345");
        p[PartyField::Notes] = QStringLiteral("line one\nline two");
        p[PartyField::Groups] = QStringLiteral("CUSTOMERS; DEALERS");
        p[PartyField::Uid] = QStringLiteral("urn:uuid:0f");
        for (VCardVersion v : {VCardVersion::V3, VCardVersion::V4}) {
            const QString card = VCardText(p, v);
            for (const QString& line : card.split(QStringLiteral("\r\n")))
                QVERIFY2(line.toUtf8().size() <= 75, qPrintable(line));
            const VCardFile back = ReadVCards(card);
            QCOMPARE(back.cards.size(), 1);
            const PartyRecord r = RecordFromVCard(back.cards[0], nullptr);
            for (PartyField f :
                 {PartyField::Name, PartyField::Contact, PartyField::Address, PartyField::Area,
                  PartyField::LandMark, PartyField::City, PartyField::Mobile, PartyField::Notes,
                  PartyField::Groups, PartyField::Uid})
                QCOMPARE(r[f], p[f]);
        }
    }

    void hostileCardsAreCut() {
        QString card = QStringLiteral("BEGIN:VCARD\nVERSION:3.0\nFN:X\n");
        for (int i = 0; i < 10000; ++i)
            card += QStringLiteral("TEL:%1\n").arg(1000000 + i);
        card += QStringLiteral("PHOTO:") + QString(kLongestVCardLine + 10, u'A') + u'\n';
        card += QStringLiteral("END:VCARD\nBEGIN:VCARD\nFN:no end\n");
        const VCardFile file = ReadVCards(card);
        QCOMPARE(file.cards.size(), 1);
        QCOMPARE(file.cards[0].properties.size(), kMostVCardLines);
        QString notice;
        const PartyRecord r = RecordFromVCard(file.cards[0], &notice);
        QCOMPARE(r[PartyField::Phone], QStringLiteral("1000000"));
        QVERIFY(notice.contains(QLatin1String("left out")));
        QCOMPARE(file.warnings.size(), 2); // the long line, the card without END
    }

    void groupNamesKeepTheirCommas_data() {
        QTest::addColumn<QByteArray>("file");
        QTest::addColumn<QStringList>("groups");
        QTest::newRow("CSV, quoted comma")
            << QByteArray("Name,Groups\nA,\"SALES, NORTH; DEALERS\"\n")
            << QStringList{"SALES, NORTH", "DEALERS"};
        QTest::newRow("CSV, webmail separator")
            << QByteArray("Name,Group Membership\nA,kunden ::: * My Contacts\n")
            << QStringList{"kunden", "* My Contacts"};
        QTest::newRow("vCard, escaped comma")
            << QByteArray("BEGIN:VCARD\nVERSION:3.0\nFN:A\nCATEGORIES:SALES\\, NORTH,DEALERS\n"
                          "END:VCARD\n")
            << QStringList{"SALES, NORTH", "DEALERS"};
    }
    void groupNamesKeepTheirCommas() {
        QFETCH(QByteArray, file);
        QFETCH(QStringList, groups);
        const ContactsFile read = ReadContacts(file, QStringLiteral("groups"));
        QCOMPARE(read.source.records.size(), 1);
        QCOMPARE(read.source.records[0].GroupNames(), groups);
    }

    void valuesAreFittedAsTheWindowsStoreThem() {
        PartyRecord r;
        r[PartyField::Name] = QStringLiteral("  sharma traders  ") + QString(40, u'x');
        r[PartyField::Contact] = QStringLiteral("anil\r\nkumar");
        r[PartyField::Address] = QStringLiteral("mall road");
        r[PartyField::City] = QStringLiteral("ludhiana city limits");
        r[PartyField::Email] = QStringLiteral("Anil@Sharma.Example");
        r[PartyField::Notes] = QStringLiteral("one\r\ntwo");
        r[PartyField::Phone] = QStringLiteral("+49 (0) 40 6432131-550");
        r[PartyField::Groups] = QStringLiteral("customers; very long group name here ::: dealers");
        const FittedParty f = FitParty(r);
        QCOMPARE(f.party[PartyField::Name].size(), 32);
        QVERIFY(f.party[PartyField::Name].startsWith(QLatin1String("SHARMA TRADERS  XX")));
        QCOMPARE(f.party[PartyField::Contact], QStringLiteral("ANIL  KUMAR"));
        QCOMPARE(f.party[PartyField::City], QStringLiteral("LUDHIANA CITY L"));
        // No state or country is made up for a city named alone.
        QCOMPARE(f.party[PartyField::State], QString());
        QCOMPARE(f.party[PartyField::Country], QString());
        QCOMPARE(f.party[PartyField::Email], QStringLiteral("Anil@Sharma.Example"));
        QCOMPARE(f.party[PartyField::Notes], QStringLiteral("one\r\ntwo"));
        QCOMPARE(f.party[PartyField::Phone], QStringLiteral("+49406432131550"));
        QCOMPARE(f.groups, (QStringList{"CUSTOMERS", "VERY LONG GROUP", "DEALERS"}));
        QCOMPARE(f.cut, (QStringList{"Party Name", "City"}));
        QCOMPARE(f.compact, QStringList{"Land Line"});
        QVERIFY(f.invalid.isEmpty());
        // A surrogate pair is never cut in half.
        QCOMPARE(CutTo(QStringLiteral("ab😀"), 3), QStringLiteral("ab"));
        // What the address master requires.
        for (PartyField missing : {PartyField::Name, PartyField::Address, PartyField::City}) {
            PartyRecord m = r;
            m[missing].clear();
            QVERIFY(!FitParty(m).invalid.isEmpty());
        }
    }

    void headersAreMappedToFields() {
        const QStringList header{"Name",  "E-mail Address", "Mobile Phone", "Business City",
                                 "Phone", "Phone",          "Whatever",     "PIN Code"};
        const QVector<PartyField> m = GuessMapping(header);
        QCOMPARE(m, (QVector<PartyField>{PartyField::Name, PartyField::Email, PartyField::Mobile,
                                         PartyField::City, PartyField::Phone, PartyField::Count,
                                         PartyField::Count, PartyField::Pin}));
        // Our own header maps back to every field.
        const QVector<PartyField> own = GuessMapping(CsvHeader());
        for (int f = 0; f < kPartyFields; ++f)
            QCOMPARE(own[f], PartyField(f));
    }

    void eachDuplicateRuleOnItsOwn_data() {
        QTest::addColumn<QStringList>("entered"); // uid, name, phone, mobile, email
        QTest::addColumn<int>("rule");
        const QStringList none{"", "", "", "", ""};
        auto with = [&](int at, const char* v) {
            QStringList l = none;
            l[at] = QString::fromUtf8(v);
            return l;
        };
        QTest::newRow("uid") << with(0, "urn:uuid:7") << int(DuplicateRule::Uid);
        QTest::newRow("name, case, blanks, punctuation")
            << with(1, "sharma-traders.") << int(DuplicateRule::Name);
        QTest::newRow("name differs") << with(1, "sharma trader") << int(DuplicateRule::None);
        QTest::newRow("phone, last ten digits")
            << with(2, "+91 (161) 240-1234") << int(DuplicateRule::Phone);
        QTest::newRow("mobile in the phone field")
            << with(2, "09814012345") << int(DuplicateRule::Phone);
        QTest::newRow("mobile with country code")
            << with(3, "+91 98140 12345") << int(DuplicateRule::Mobile);
        QTest::newRow("short numbers never match") << with(3, "12345") << int(DuplicateRule::None);
        QTest::newRow("e-mail, case ignored")
            << with(4, " Anil@SHARMA.example ") << int(DuplicateRule::Email);
        QTest::newRow("nothing entered") << none << int(DuplicateRule::None);
    }
    void eachDuplicateRuleOnItsOwn() {
        QFETCH(QStringList, entered);
        QFETCH(int, rule);
        DuplicateIndex index;
        index.Add(7, PartyKeys::Of("urn:uuid:7", "SHARMA TRADERS", "0161 2401234", "98140-12345",
                                   "anil@sharma.example"));
        index.Add(8, PartyKeys::Of("", "12345", "", "12345", ""));
        const DuplicateMatch m =
            index.Find(PartyKeys::Of(entered[0], entered[1], entered[2], entered[3], entered[4]));
        QCOMPARE(int(m.rule), rule);
        if (m) QCOMPARE(m.id, 7);
        // A party never matches itself.
        QVERIFY(!index.Find(
            PartyKeys::Of(entered[0], entered[1], entered[2], entered[3], entered[4]), 7));
    }

    void numbersAreWrittenCompactNeverCut_data() {
        QTest::addColumn<QString>("number");
        QTest::addColumn<QString>("region");
        QTest::addColumn<int>("length");
        QTest::addColumn<QString>("stored"); // empty: no form fits
        QTest::newRow("fits as written") << "0161 2401234"
                                         << "IN" << 15 << "0161 2401234";
        QTest::newRow("trunk zero in brackets") << "+49 (0) 40 6432131-550"
                                                << "IN" << 15 << "+49406432131550";
        QTest::newRow("national, the region's country") << "0161 - 234 - 5678 "
                                                        << "IN" << 15 << "+911612345678";
        QTest::newRow("another region") << "040 / 6432 1310 00"
                                        << "DE" << 15 << "+49406432131000";
        QTest::newRow("extension kept, too long") << "0161 2401234 ext 5555"
                                                  << "IN" << 15 << "";
        QTest::newRow("extension kept") << "0161 2401234 ext 55"
                                        << "IN" << 16 << "+911612401234x55";
        QTest::newRow("words are not a number") << "98140 12345 after 5 pm"
                                                << "IN" << 15 << "";
        QTest::newRow("too many digits") << "+91 98140 12345 98140"
                                         << "IN" << 15 << "";
    }
    void numbersAreWrittenCompactNeverCut() {
        QFETCH(QString, number);
        QFETCH(QString, region);
        QFETCH(int, length);
        QFETCH(QString, stored);
        QCOMPARE(FitNumber(number, length, region), stored);
    }

    void aNumberThatFitsNoWayMakesTheRowInvalid() {
        PartyRecord r;
        r[PartyField::Name] = QStringLiteral("A");
        r[PartyField::Address] = QStringLiteral("B");
        r[PartyField::City] = QStringLiteral("C");
        r[PartyField::Mobile] = QStringLiteral("0161 2401234 ext 5555");
        const FittedParty f = FitParty(r);
        QVERIFY2(f.invalid.contains(QLatin1String("Mobile No.")), qPrintable(f.invalid));
        QVERIFY(f.cut.isEmpty());
    }

    void cardNumbersFindTheirBoxes_data() {
        QTest::addColumn<QString>("lines");     // TEL and NOTE lines of one card
        QTest::addColumn<QStringList>("boxes"); // land line, mobile, fax, notes
        QTest::newRow("2.1 bare types: work before home")
            << "TEL;HOME:111111\nTEL;CELL:222222\nTEL;WORK:333333\n"
            << QStringList{"333333", "222222", "", "Other numbers: home: 111111"};
        QTest::newRow("3.0 preferred first")
            << "TEL;TYPE=work:333333\nTEL;TYPE=home,pref:111111\n"
            << QStringList{"111111", "", "", "Other numbers: work: 333333"};
        QTest::newRow("4.0 pref=1 over pref=2")
            << "TEL;TYPE=voice;PREF=2:444444\nTEL;VALUE=uri;TYPE=home;PREF=1:tel:555555\n"
            << QStringList{"555555", "", "", "Other numbers: voice: 444444"};
        QTest::newRow("untyped and voice in file order")
            << "TEL:666666\nTEL;TYPE=VOICE:777777\n"
            << QStringList{"666666", "", "", "Other numbers: voice: 777777"};
        QTest::newRow("fax, pager, a second mobile, a note")
            << "NOTE:pays late\nTEL;TYPE=WORK,FAX:888888\nTEL;TYPE=PAGER:999999\n"
               "TEL;TYPE=CELL:121212\nTEL;TYPE=CELL:343434\n"
            << QStringList{"", "121212", "888888",
                           "pays late\nOther numbers: pager: 999999, cell: 343434"};
    }
    void cardNumbersFindTheirBoxes() {
        QFETCH(QString, lines);
        QFETCH(QStringList, boxes);
        const VCardFile file =
            ReadVCards(QStringLiteral("BEGIN:VCARD\nVERSION:3.0\nFN:A\n") + lines + "END:VCARD\n");
        QString notice;
        const PartyRecord r = RecordFromVCard(file.cards.value(0), &notice);
        QCOMPARE((QStringList{r[PartyField::Phone], r[PartyField::Mobile], r[PartyField::Fax],
                              r[PartyField::Notes]}),
                 boxes);
        QVERIFY(notice.isEmpty());
    }

    void numbersAreComparedByTheirInternationalForm_data() {
        QTest::addColumn<QString>("a");
        QTest::addColumn<QString>("b");
        QTest::addColumn<bool>("same");
        QTest::newRow("national and international") << "0161-2345678"
                                                    << "+91 161 234 5678" << true;
        QTest::newRow("extension left aside") << "0161 2401234 x55"
                                              << "01612401234" << true;
        QTest::newRow("same last ten digits, other country") << "+1 981 401 2345"
                                                             << "98140 12345" << false;
        QTest::newRow("words: by the digits") << "call 98140 12345"
                                              << "98140-12345 (home)" << true;
        QTest::newRow("short") << "12345"
                               << "12345" << false;
    }
    void numbersAreComparedByTheirInternationalForm() {
        QFETCH(QString, a);
        QFETCH(QString, b);
        QFETCH(bool, same);
        QCOMPARE(!NumberKey(a).isEmpty() && NumberKey(a) == NumberKey(b), same);
        // The index finds the party by the same rule, the number in either box.
        DuplicateIndex index;
        index.Add(7, PartyKeys::Of({}, QStringLiteral("ONE"), {}, a, {}));
        const DuplicateMatch match =
            index.Find(PartyKeys::Of({}, QStringLiteral("TWO"), b, {}, {}));
        QCOMPARE(match.id, same ? 7 : 0);
    }

    void theRegionIsASetting() {
        QTemporaryDir settings;
        QSettings::setPath(QSettings::IniFormat, QSettings::UserScope, settings.path());
        QCOMPARE(PhoneRegion(), QStringLiteral("IN"));
        QVERIFY(!SetPhoneRegion(QStringLiteral("ZZ")));
        QVERIFY(SetPhoneRegion(QStringLiteral("de")));
        const QString stored = QSettings(QSettings::IniFormat, QSettings::UserScope,
                                         QStringLiteral("adrsbook"), QStringLiteral("import"))
                                   .value(QStringLiteral("phone/region"))
                                   .toString();
        const QString key = NumberKey(QStringLiteral("040 64321310"));
        QVERIFY(SetPhoneRegion(QStringLiteral("IN")));
        QCOMPARE(stored, QStringLiteral("DE"));
        QCOMPARE(key, QStringLiteral("+494064321310"));
    }

    void headersOfCommonExportersMapThemselves_data() {
        QTest::addColumn<QString>("header");
        QTest::addColumn<int>("field");
        const struct {
            const char* header;
            PartyField field;
        } rows[] = {
            {"First Name", PartyField::Contact},
            {"Additional Name", PartyField::Contact},
            {"Nachname", PartyField::Contact},
            {"Prénom", PartyField::Contact},
            {"Apellidos", PartyField::Contact},
            {"पहला नाम", PartyField::Contact},
            {"Display Name", PartyField::Name},
            {"Organization 1 - Name", PartyField::Name},
            {"Firma", PartyField::Name},
            {"Job Title", PartyField::Notes},
            {"Tel. dienstlich", PartyField::Phone},
            {"Home Phone", PartyField::Phone},
            {"Mobil-Tel.-Nr.", PartyField::Mobile},
            {"मोबाइल नंबर", PartyField::Mobile},
            {"Télécopie bureau", PartyField::Fax},
            {"Privat: Ort", PartyField::City},
            {"शहर", PartyField::City},
            {"Bundesland", PartyField::State},
            {"Code postal", PartyField::Pin},
            {"País", PartyField::Country},
            {"Home Address 2", PartyField::Area},
            {"Primäre E-Mail-Adresse", PartyField::Email},
            {"E-mail 2 Address", PartyField::Email},
            {"Webseite 1", PartyField::Web},
            {"Notizen", PartyField::Notes},
            {"Group Membership", PartyField::Groups},
            {"Title", PartyField::Count}, // "Mr.", "Dr."
        };
        for (const auto& r : rows)
            QTest::newRow(r.header) << QString::fromUtf8(r.header) << int(r.field);
    }
    void headersOfCommonExportersMapThemselves() {
        QFETCH(QString, header);
        QFETCH(int, field);
        QCOMPARE(int(GuessMapping({header}).value(0)), field);
    }

    void csvColumnsMakeOneParty_data() {
        QTest::addColumn<QString>("file"); // a header and one record
        // party, contact, land line, mobile, e-mail, notes
        QTest::addColumn<QStringList>("party");
        QTest::newRow("a person alone is the party")
            << "First Name,Middle Name,Last Name,E-mail Address\nRavi,K.,Kumar,ravi@x.example\n"
            << QStringList{"Ravi K. Kumar", "", "", "", "ravi@x.example", ""};
        QTest::newRow("a person with a company, family name first")
            << "Last Name;First Name;Company;Name\nKumar;Ravi;Sharma Traders;Ravi Kumar\n"
            << QStringList{"Sharma Traders", "Ravi Kumar", "", "", "", ""};
        QTest::newRow("German mail client")
            << "Vorname,Nachname,Anzeigename,Primäre E-Mail-Adresse,Sekundäre E-Mail-Adresse,"
               "Tel. dienstlich,Tel. privat,Mobil-Tel.-Nr.,Arbeitstitel,Organisation,Notizen\n"
               "Jana,Weber,Jana Weber,jana@x.example,jw@y.example,040 123456,040 654321,"
               "0170 1234567,Einkauf,Weber GmbH,ruft zurück\n"
            << QStringList{"Weber GmbH",
                           "Jana Weber",
                           "040 123456",
                           "0170 1234567",
                           "jana@x.example",
                           "ruft zurück\nArbeitstitel: Einkauf\nOther numbers: Tel. privat: "
                           "040 654321\nOther e-mail addresses: jw@y.example"};
        QTest::newRow("three addresses in one field")
            << "Name,E-mail\nA,\"a@x.example; b@x.example ::: c@x.example\"\n"
            << QStringList{"A",
                           "",
                           "",
                           "",
                           "a@x.example",
                           "Other e-mail addresses: b@x.example, c@x.example"};
        QTest::newRow("work before home before other")
            << "Phone,Home Phone,Business Phone,Name\n111111,222222,333333,A\n"
            << QStringList{"A", "", "333333",
                           "",  "", "Other numbers: Home Phone: 222222, Phone: 111111"};
    }
    void csvColumnsMakeOneParty() {
        QFETCH(QString, file);
        QFETCH(QStringList, party);
        const CsvTable t = ReadCsv(file);
        const PartyRecord r =
            RecordFromCsv(t.records.value(1), GuessMapping(t.records.value(0)), t.records.value(0));
        QCOMPARE((QStringList{r[PartyField::Name], r[PartyField::Contact], r[PartyField::Phone],
                              r[PartyField::Mobile], r[PartyField::Email], r[PartyField::Notes]}),
                 party);
    }

    void aFirstRecordOfDataIsNoHeader_data() {
        QTest::addColumn<QStringList>("first");
        QTest::addColumn<bool>("data");
        QTest::newRow("known headers") << QStringList{"Name", "Address", "City"} << false;
        QTest::newRow("unknown words") << QStringList{"Foo", "Bar"} << false;
        QTest::newRow("an e-mail address")
            << QStringList{"Ravi Kumar", "ravi@x.example", "Ludhiana"} << true;
        QTest::newRow("a number") << QStringList{"Sharma Traders", "Mall Road", "141001"} << true;
        QTest::newRow("a header that holds digits")
            << QStringList{"E-mail 1 - Value", "Phone 1 - Value", "Ort"} << false;
    }
    void aFirstRecordOfDataIsNoHeader() {
        QFETCH(QStringList, first);
        QFETCH(bool, data);
        QCOMPARE(FirstRecordIsData(first), data);
    }

    void aFileMixingDelimitersIsSplitAndNamed() {
        const CsvTable t = ReadCsv(QStringLiteral("a,b,c\n1,2,3\n4;5;6\n7,8,9\n"));
        QCOMPARE(t.delimiter, QChar(u','));
        QCOMPARE(t.records.value(2), (QStringList{"4", "5", "6"}));
        QCOMPARE(t.warnings.size(), 1);
        QVERIFY2(t.warnings[0].contains(QLatin1String("line 3 is separated by semicolons")),
                 qPrintable(t.warnings[0]));
        // A lone field that merely holds another delimiter stays whole.
        QCOMPARE(ReadCsv(QStringLiteral("a,b,c\nSHARMA; SONS\n")).records.value(1),
                 QStringList{"SHARMA; SONS"});
    }
};

ADRSBOOK_TEST(FileFormatTests)
#include "tst_fileformats.moc"
