// The letters of imported files: folds that split a character, the
// encodings files name or leave to the detector, what could not be read,
// and the quoted-printable and broken cards of phone exports.

#include "importexport/importsource.h"
#include "importexport/partyformats.h"
#include "party/textdecode.h"
#include "party/vcard.h"
#include "support/testmain.h"

#include <QStringEncoder>
#include <QTest>

namespace {

QByteArray Encoded(const char* encoding, const QString& text) {
    QStringEncoder encoder(encoding);
    return encoder.encode(text);
}

// A line break and a blank after every `every` bytes, wherever they fall.
QByteArray Folded(const QByteArray& line, int every) {
    QByteArray out;
    for (qsizetype i = 0; i < line.size(); i += every)
        out += (i ? "\r\n " : "") + line.mid(i, every);
    return out + "\r\n";
}

QByteArray QuotedPrintable(const QByteArray& bytes) {
    QByteArray out;
    for (char c : bytes)
        out += "=" + QByteArray::number(static_cast<unsigned char>(c), 16).toUpper();
    return out;
}

} // namespace

class EncodingTests : public QObject {
    Q_OBJECT
  private slots:
    // A fold may split a UTF-8 character; the card is judged unfolded,
    // and each card on its own.
    void foldsAreTakenOutBeforeTheBytesAreJudged_data() {
        QTest::addColumn<QByteArray>("bytes");
        QTest::addColumn<QString>("encoding");
        QTest::addColumn<QStringList>("names");
        QTest::addColumn<QString>("city");
        const QString greek = QStringLiteral("Γιώργος Παπαδόπουλος");
        const QString cyrillic = QStringLiteral("Иван Петров");
        const QByteArray card =
            "BEGIN:VCARD\r\nVERSION:3.0\r\n" + Folded("FN:" + greek.toUtf8(), 7) +
            Folded(QStringLiteral("ADR:;;Οδός Ερμού 5;Αθήνα;;10563;Ελλάδα").toUtf8(), 9) +
            Folded(QStringLiteral("NOTE:Примечание: Москва").toUtf8(), 5) + "END:VCARD\r\n";
        QTest::newRow("Greek and Cyrillic, folded inside letters")
            << card << "UTF-8" << QStringList{greek} << QStringLiteral("Αθήνα");
        const QByteArray koi8 =
            "BEGIN:VCARD\r\nVERSION:2.1\r\nN;CHARSET=KOI8-R:" +
            Encoded("KOI8-R", QStringLiteral("Петров;Иван")) + "\r\nADR;CHARSET=KOI8-R:;;" +
            Encoded("KOI8-R", QStringLiteral("ул. Ленина 1;Москва")) + "\r\nEND:VCARD\r\n";
        QTest::newRow("a UTF-8 card, then one in KOI8-R")
            << card + koi8 << "UTF-8, KOI8-R" << QStringList{greek, cyrillic}
            << QStringLiteral("Москва");
    }
    void foldsAreTakenOutBeforeTheBytesAreJudged() {
        QFETCH(QByteArray, bytes);
        QFETCH(QString, encoding);
        QFETCH(QStringList, names);
        QFETCH(QString, city);
        const ContactsFile file = ReadContacts(bytes, QStringLiteral("cards.vcf"));
        QCOMPARE(file.encoding, encoding);
        QStringList read;
        for (const PartyRecord& r : file.source.records)
            read.append(r[PartyField::Name]);
        QCOMPARE(read, names);
        QCOMPARE(file.source.records.last()[PartyField::City], city);
        QVERIFY(file.unreadable.isEmpty() && !file.guessed);
        if (names.size() == 1)
            QCOMPARE(file.source.records[0][PartyField::Notes],
                     QStringLiteral("Примечание: Москва"));
    }

    // What a file names is read in it; a file naming nothing and not UTF-8
    // is judged by the detector, and said to be a guess.
    void everyEncodingIsReadWithItsConverter_data() {
        QTest::addColumn<QString>("name");
        QTest::addColumn<QByteArray>("bytes");
        QTest::addColumn<QString>("encoding");
        QTest::addColumn<QString>("party");
        QTest::addColumn<QString>("city");
        QTest::addColumn<bool>("guessed");
        const QString yamada = QStringLiteral("山田 太郎");
        QTest::newRow("Shift_JIS, raw and quoted-printable")
            << "phone.vcf"
            << "BEGIN:VCARD\r\nVERSION:2.1\r\nFN;CHARSET=SHIFT_JIS:" +
                   Encoded("Shift_JIS", yamada) +
                   "\r\nADR;HOME;CHARSET=SHIFT_JIS;ENCODING=QUOTED-PRINTABLE:;;" +
                   QuotedPrintable(Encoded("Shift_JIS", QStringLiteral("表参道1"))) + ";" +
                   QuotedPrintable(Encoded("Shift_JIS", QStringLiteral("東京都"))) +
                   ";;;\r\nEND:VCARD\r\n"
            << "Shift_JIS" << yamada << QStringLiteral("東京都") << false;
        const QString csv = QStringLiteral("Name,Address,City\r\nJosé Müller,Hauptstraße "
                                           "1,Zürich\r\n");
        QTest::newRow("UTF-16LE without its mark")
            << "mail.csv" << Encoded("UTF-16LE", csv) << "UTF-16" << QStringLiteral("José Müller")
            << QStringLiteral("Zürich") << false;
        QTest::newRow("Windows-1251, named nowhere")
            << "excel.csv"
            << Encoded("windows-1251",
                       QStringLiteral("Name,Address,City\r\nИван Петров,улица Ленина 1,Москва\r\n"
                                      "Сергей Смирнов,Невский проспект 2,Санкт-Петербург\r\n"))
            << "Windows-1251" << QStringLiteral("Иван Петров") << QStringLiteral("Москва") << true;
        QTest::newRow("ISO-8859-7 named, quoted-printable")
            << "old.vcf"
            << "BEGIN:VCARD\r\nVERSION:2.1\r\nFN;CHARSET=ISO-8859-7;ENCODING=QUOTED-PRINTABLE:" +
                   QuotedPrintable(Encoded("ISO-8859-7", QStringLiteral("Νίκος"))) +
                   "\r\nADR;CHARSET=ISO-8859-7:;;" +
                   Encoded("ISO-8859-7", QStringLiteral("Οδός 1;Πάτρα")) + "\r\nEND:VCARD\r\n"
            << "ISO-8859-7" << QStringLiteral("Νίκος") << QStringLiteral("Πάτρα") << false;
    }
    void everyEncodingIsReadWithItsConverter() {
        QFETCH(QString, name);
        QFETCH(QByteArray, bytes);
        QFETCH(QString, encoding);
        QFETCH(QString, party);
        QFETCH(QString, city);
        QFETCH(bool, guessed);
        const ContactsFile file = ReadContacts(bytes, name);
        QVERIFY2(file.error.isEmpty(), qPrintable(file.error));
        QCOMPARE(file.encoding, encoding);
        QCOMPARE(file.source.records.value(0)[PartyField::Name], party);
        QCOMPARE(file.source.records.value(0)[PartyField::City], city);
        QCOMPARE(file.guessed, guessed);
        QVERIFY(file.unreadable.isEmpty());
        // A guess is said, with the records it touches.
        QCOMPARE(!EncodingWarning(file).isEmpty(), guessed);
        if (guessed) QCOMPARE(file.doubtful, (QList<int>{2, 3}));
    }

    // Letters the encoding cannot read are shown, by record, and read
    // right in the encoding chosen.
    void unreadableLettersAreShownAndReadAgain() {
        const QByteArray bytes = "BEGIN:VCARD\r\nVERSION:3.0\r\nFN:Ok\r\nEND:VCARD\r\n"
                                 "BEGIN:VCARD\r\nVERSION:3.0\r\nFN;CHARSET=UTF-8:Jos\xE9\r\n"
                                 "END:VCARD\r\n";
        ContactsFile file = ReadContacts(bytes, QStringLiteral("x.vcf"));
        QCOMPARE(file.unreadable, QList<int>{5});
        QVERIFY(file.source.notices[1].contains(QLatin1String("cannot read")));
        QVERIFY(EncodingWarning(file).contains(QLatin1String("line 5")));
        file = ReadContacts(bytes, QStringLiteral("x.vcf"), {}, QStringLiteral("Windows-1252"));
        QCOMPARE(file.source.records[1][PartyField::Name], QStringLiteral("José"));
        QVERIFY(EncodingWarning(file).isEmpty());
    }

    void quotedPrintableAndBrokenCards_data() {
        QTest::addColumn<QString>("text");
        QTest::addColumn<int>("field");
        QTest::addColumn<QString>("value");   // of the field, in the last card read
        QTest::addColumn<QString>("message"); // part of a warning or of the card's notice
        QTest::newRow("soft break before an empty line")
            << "BEGIN:VCARD\r\nVERSION:2.1\r\nFN:A\r\nADR;ENCODING=QUOTED-PRINTABLE:;;"
               "Mall Road;Pune;;;=\r\n\r\nEND:VCARD\r\n"
            << int(PartyField::Country) << ""
            << "";
        QTest::newRow("soft break with blanks after it")
            << "BEGIN:VCARD\r\nVERSION:2.1\r\nFN:A\r\nNOTE;QUOTED-PRINTABLE:caf=C3=A9= \r\n"
               "END:VCARD\r\n"
            << int(PartyField::Notes) << QStringLiteral("café") << "";
        QTest::newRow("a card without END before another")
            << "BEGIN:VCARD\nVERSION:3.0\nFN:Bob\nBEGIN:VCARD\nVERSION:3.0\nFN:Ann\nEND:VCARD\n"
            << int(PartyField::Name) << "Ann"
            << "The card of Bob at line 1 has no END line";
        QString many = QStringLiteral("BEGIN:VCARD\nVERSION:3.0\nFN:X\n");
        for (int i = 0; i < 10001; ++i)
            many += QStringLiteral("TEL:%1\n").arg(1000000 + i);
        QTest::newRow("10,001 numbers, then the e-mail") << many + "EMAIL:x@y.example\nEND:VCARD\n"
                                                         << int(PartyField::Email) << "x@y.example"
                                                         << "9002 of its lines were left out";
    }
    void quotedPrintableAndBrokenCards() {
        QFETCH(QString, text);
        QFETCH(int, field);
        QFETCH(QString, value);
        QFETCH(QString, message);
        const VCardFile file = ReadVCards(text);
        QVERIFY(!file.cards.isEmpty());
        QString notice;
        const PartyRecord r = RecordFromVCard(file.cards.last(), &notice);
        QCOMPARE(r[PartyField(field)], value);
        const QString said = file.warnings.join(u'\n') + u'\n' + notice;
        QVERIFY2(said.contains(message), qPrintable(said));
    }
};

ADRSBOOK_TEST(EncodingTests)
#include "tst_encodings.moc"
