// Cards kept as their raw properties, a party's changes written into a
// phone's card without losing what the address book does not show, and the
// field-by-field merge of two sides' changes.

#include "support/testmain.h"
#include "sync/cardmerge.h"

#include <QTest>

namespace {

using F = PartyField;

// A card as an iPhone writes it: a folded photo, a label for a number in a
// group, properties and parameters the address book does not know.
QByteArray PhoneCard(bool crlf) {
    QByteArray photo = "PHOTO;ENCODING=b;TYPE=JPEG:";
    const QByteArray data = QByteArray(2400, '\x5a').toBase64();
    for (qsizetype i = 0; i < data.size(); i += 74)
        photo += (i ? "\r\n " : "") + data.mid(i, 74);
    QByteArray card =
        "BEGIN:VCARD\r\n"
        "VERSION:3.0\r\n"
        "PRODID:-//Apple Inc.//iPhone OS 17.4//EN\r\n"
        "N:Kumar;Ravi;;;\r\n"
        "FN:Ravi Kumar\r\n"
        "ORG:Sharma Traders;Sales\r\n"
        "item1.TEL;type=CELL;type=VOICE;type=pref:+91 98140 12345\r\n"
        "item1.X-ABLABEL:_$!<Mobile>!$_\r\n"
        "TEL;type=WORK;type=VOICE:0161-2401234\r\n"
        "TEL;type=HOME:0161-2409999\r\n"
        "EMAIL;type=INTERNET;type=WORK;type=pref:ravi@sharma.example\r\n"
        "item2.ADR;type=WORK;type=pref:;;12 Mall Road\\nNear Clock Tower;Ludhiana;P\r\n"
        " unjab;141001;India\r\n"
        "item2.X-ABADR:in\r\n"
        "URL;type=pref:https://sharma.example\r\n"
        "NOTE:Pays on the 5th\r\n"
        "BDAY;value=date:1980-04-12\r\n"
        "X-SOCIALPROFILE;type=twitter;x-user=ravik:http://twitter.com/ravik\r\n"
        "CATEGORIES:Customers,Ludhiana Dealers\r\n"
        "X-CUSTOM;X-FOO=\"a:b;c\":value with \\, comma\r\n" +
        photo +
        "\r\n"
        "UID:1A2B3C-phone\r\n"
        "END:VCARD\r\n";
    if (!crlf) card.replace("\r\n", "\n");
    return card;
}

QByteArray V4Card() {
    return "BEGIN:VCARD\r\n"
           "VERSION:4.0\r\n"
           "FN:Sharma Traders\r\n"
           "ORG:Sharma Traders\r\n"
           "RELATED;TYPE=contact;VALUE=text:Ravi Kumar\r\n"
           "ADR;TYPE=work;LABEL=\"12 Mall Road\\nLudhiana\":;;12 Mall "
           "Road;Ludhiana;;141001;India\r\n"
           "TEL;VALUE=uri;TYPE=\"cell,voice\";PREF=1:tel:+91-98140-12345\r\n"
           "X-UNKNOWN;FOO=bar:baz\r\n"
           "UID:urn:uuid:5b1e0c1a-0001\r\n"
           "END:VCARD\r\n";
}

// The properties of `a` not in `b`, in order, each matched once.
QByteArrayList Missing(const RawCard& a, const RawCard& b) {
    QByteArrayList rest;
    for (const RawProperty& p : b.props)
        rest.append(p.raw);
    QByteArrayList missing;
    for (const RawProperty& p : a.props)
        if (!rest.removeOne(p.raw)) missing.append(p.raw);
    return missing;
}

// New lines are folded at 75 octets; the table has them whole.
QByteArrayList Unfolded(QByteArrayList props) {
    for (QByteArray& raw : props) {
        for (const QByteArray& line : raw.split('\n'))
            if (line.size() > 76) return {"not folded: " + line};
        raw.replace("\r\n ", "");
    }
    return props;
}

QStringList Names(const QByteArrayList& props) {
    QStringList names;
    for (const QByteArray& raw : props)
        names.append(MakeProperty(QString::fromUtf8(raw).trimmed()).parsed.name);
    return names;
}

// "City=AMRITSAR|State=PUNJAB": fields by caption and their values.
QList<std::pair<F, QString>> Values(const QString& spec) {
    QList<std::pair<F, QString>> out;
    for (const QString& item : spec.split(u'|', Qt::SkipEmptyParts))
        for (int f = 0; f < kPartyFields; ++f)
            if (FieldCaption(F(f)) == item.section(u'=', 0, 0))
                out.append({F(f), item.section(u'=', 1)});
    return out;
}

QList<F> FieldList(const QString& captions) {
    QList<F> out;
    for (const auto& [field, value] : Values(QString(captions).replace(u',', u'|')))
        out.append(field);
    return out;
}

} // namespace

class CardMergeTests : public QObject {
    Q_OBJECT
  private slots:
    void splitAndJoinGiveTheBytesBack_data() {
        QTest::addColumn<QByteArray>("card");
        QTest::addColumn<int>("props"); // -1: not a whole card
        QTest::newRow("phone, CR LF") << PhoneCard(true) << 20;
        QTest::newRow("phone, LF") << PhoneCard(false) << 20;
        QTest::newRow("vCard 4") << V4Card() << 8;
        QTest::newRow("no last line end, text around")
            << QByteArray("\xEF\xBB\xBFjunk\nBEGIN:VCARD\nVERSION:3.0\nFN:A\nEND:VCARD\ntail") << 2;
        QTest::newRow("2.1 quoted-printable soft breaks, empty lines")
            << QByteArray("BEGIN:VCARD\r\nVERSION:2.1\r\n\r\nNOTE;ENCODING=QUOTED-PRINTABLE:a=\r\n"
                          "=3D b=\r\n c\r\n\r\nFN:A\rEND:VCARD\r\n")
            << 5;
        QTest::newRow("no END") << QByteArray("BEGIN:VCARD\r\nFN:A\r\n") << -1;
        QTest::newRow("no card") << QByteArray("hello\r\n") << -1;
        QTest::newRow("empty") << QByteArray() << -1;
    }
    void splitAndJoinGiveTheBytesBack() {
        QFETCH(QByteArray, card);
        QFETCH(int, props);
        const RawCard raw = SplitCard(card);
        QCOMPARE(JoinCard(raw), card);
        QCOMPARE(raw.valid, props >= 0);
        if (props >= 0) QCOMPARE(raw.props.size(), props);
    }

    void phoneCardReadsAsTheImportReadsIt() {
        const RawCard raw = SplitCard(PhoneCard(true));
        QCOMPARE(raw.props[5].parsed.name, QStringLiteral("TEL")); // its group is not its name
        QVERIFY(raw.props[18].raw.count("\r\n ") > 40);            // the photo, every line of it
        const QByteArray qp = "BEGIN:VCARD\nNOTE;ENCODING=QUOTED-PRINTABLE:a=\n=3D b\nEND:VCARD\n";
        QCOMPARE(SplitCard(qp).props[0].parsed.Value(), QStringLiteral("a= b"));

        QString notice;
        const FittedParty p = PartyOfCard(PhoneCard(false), &notice);
        QVERIFY(p.invalid.isEmpty());
        QCOMPARE(p.party[F::Name], QStringLiteral("SHARMA TRADERS"));
        QCOMPARE(p.party[F::Contact], QStringLiteral("RAVI KUMAR"));
        QCOMPARE(p.party[F::Area], QStringLiteral("NEAR CLOCK TOWER"));
        QCOMPARE(p.party[F::State], QStringLiteral("PUNJAB"));
        QCOMPARE(p.party[F::Mobile], QStringLiteral("+91 98140 12345"));
        QCOMPARE(p.party[F::Notes],
                 QStringLiteral("Pays on the 5th\nOther numbers: home: 0161-2409999"));
        QCOMPARE(p.party[F::Groups], QStringLiteral("CUSTOMERS; LUDHIANA DEALER"));
        QVERIFY(!PartyOfCard("FN:A\r\n").invalid.isEmpty());
    }

    // One field changed on the desk: the card differs from the stored one
    // in the property carrying it only, and reads back as the desk's party.
    void oneChangedFieldTouchesOneProperty_data() {
        QTest::addColumn<QByteArray>("card");
        QTest::addColumn<int>("field");
        QTest::addColumn<QString>("value");
        QTest::addColumn<QStringList>("gone");       // properties replaced or removed
        QTest::addColumn<QByteArrayList>("written"); // what replaced them or was added
        const QStringList none;
        const QByteArrayList nothing;
        for (bool crlf : {true, false}) {
            const QByteArray card = PhoneCard(crlf);
            auto row = [&](const char* name) -> QTestData& {
                return QTest::newRow(qPrintable(QLatin1String(name) + (crlf ? " CRLF" : " LF")))
                       << card;
            };
            row("name, FN is the contact") << int(F::Name) << "SHARMA & SONS" << QStringList{"ORG"}
                                           << QByteArrayList{"ORG:SHARMA & SONS;Sales\r\n"};
            row("contact") << int(F::Contact) << "SUNIL MEHTA" << QStringList{"FN"}
                           << QByteArrayList{"FN:SUNIL MEHTA\r\n"};
            row("area") << int(F::Area) << "CIVIL LINES" << QStringList{"ADR"}
                        << QByteArrayList{"item2.ADR;type=WORK;type=pref:;;12 Mall Road\\nCIVIL "
                                          "LINES;Ludhiana;Punjab;141001;India\r\n"};
            row("city") << int(F::City) << "AMRITSAR" << QStringList{"ADR"}
                        << QByteArrayList{"item2.ADR;type=WORK;type=pref:;;12 Mall Road\\nNear "
                                          "Clock Tower;AMRITSAR;Punjab;141001;India\r\n"};
            row("mobile in a labelled group")
                << int(F::Mobile) << "+919814099999" << QStringList{"TEL"}
                << QByteArrayList{"item1.TEL;type=CELL;type=VOICE;type=pref:+919814099999\r\n"};
            row("mobile cleared, its label too")
                << int(F::Mobile) << "" << QStringList{"TEL", "X-ABLABEL"} << nothing;
            row("fax added") << int(F::Fax) << "0161-2400000" << none
                             << QByteArrayList{"TEL;TYPE=FAX:0161-2400000\r\n"};
            row("e-mail cleared") << int(F::Email) << "" << QStringList{"EMAIL"} << nothing;
            row("VAT added") << int(F::Vat) << "03AAACS1234F1Z5" << none
                             << QByteArrayList{"X-ADRSBOOK-VAT:03AAACS1234F1Z5\r\n"};
            row("notes, numbers line not repeated")
                << int(F::Notes) << "Pays on the 10th\nOther numbers: home: 0161-2409999"
                << QStringList{"NOTE"} << QByteArrayList{"NOTE:Pays on the 10th\r\n"};
            row("notes typed with CR LF")
                << int(F::Notes) << "Pays late\r\nCall first\r\nOther numbers: home: 0161-2409999"
                << QStringList{"NOTE"}
                << QByteArrayList{"NOTE;X-ADRSBOOK-BREAKS=CRLF:Pays late\\nCall first\r\n"};
            row("group added") << int(F::Groups) << "LUDHIANA DEALER; CUSTOMERS; VIP"
                               << QStringList{"CATEGORIES"}
                               << QByteArrayList{"CATEGORIES:Customers,Ludhiana Dealers,VIP\r\n"};
            row("group left") << int(F::Groups) << "LUDHIANA DEALER" << QStringList{"CATEGORIES"}
                              << QByteArrayList{"CATEGORIES:Ludhiana Dealers\r\n"};
            // Values the same once fitted change nothing.
            row("name in other case") << int(F::Name) << "sharma traders" << none << nothing;
            row("groups in other order and case")
                << int(F::Groups) << "ludhiana dealer; Customers" << none << nothing;
            row("notes with CR LF only")
                << int(F::Notes) << "Pays on the 5th\r\nOther numbers: home: 0161-2409999" << none
                << nothing;
        }
        auto v4 = [&](const char* name) -> QTestData& { return QTest::newRow(name) << V4Card(); };
        v4("4.0 name, FN was the name")
            << int(F::Name) << "SHARMA & SONS" << QStringList{"FN", "ORG"}
            << QByteArrayList{"FN:SHARMA & SONS\r\n", "ORG:SHARMA & SONS\r\n"};
        v4("4.0 contact") << int(F::Contact) << "SUNIL" << QStringList{"RELATED"}
                          << QByteArrayList{"RELATED;TYPE=contact;VALUE=text:SUNIL\r\n"};
        v4("4.0 tel: URI")
            << int(F::Mobile) << "+91-98140-99999" << QStringList{"TEL"}
            << QByteArrayList{"TEL;VALUE=uri;TYPE=\"cell,voice\";PREF=1:tel:+91-98140-99999\r\n"};
        v4("4.0 number with blanks as text")
            << int(F::Mobile) << "+91 98140 99999" << QStringList{"TEL"}
            << QByteArrayList{"TEL;TYPE=\"cell,voice\";PREF=1:+91 98140 99999\r\n"};
        v4("4.0 city, old label dropped")
            << int(F::City) << "AMRITSAR" << QStringList{"ADR"}
            << QByteArrayList{"ADR;TYPE=work:;;12 Mall Road;AMRITSAR;;141001;India\r\n"};
        v4("4.0 e-mail added") << int(F::Email) << "a@b.example" << QStringList()
                               << QByteArrayList{"EMAIL;TYPE=work:a@b.example\r\n"};
    }
    void oneChangedFieldTouchesOneProperty() {
        QFETCH(QByteArray, card);
        QFETCH(int, field);
        QFETCH(QString, value);
        QFETCH(QStringList, gone);
        QFETCH(QByteArrayList, written);
        const PartyRecord was = PartyOfCard(card).party;
        PartyRecord now = was;
        now[F(field)] = value;
        QList<PartyField> otherwise;
        const QByteArray merged = MergeIntoCard(card, was, now, &otherwise);
        const RawCard before = SplitCard(card), after = SplitCard(merged);
        QCOMPARE(Names(Missing(before, after)), gone);
        QCOMPARE(Unfolded(Missing(after, before)), written);
        QVERIFY(otherwise.isEmpty());
        QCOMPARE(after.begin, before.begin);
        QCOMPARE(after.end, before.end);
        if (gone.isEmpty() && !written.isEmpty())
            QCOMPARE(Unfolded({after.props.last().raw}), written.first(1));
    }

    void partyChangesTogetherAndClearedFieldsLeaveNoTrace() {
        // A company card of our own writing: the contact in N beside the name.
        PartyRecord p;
        p[F::Name] = QStringLiteral("SHARMA TRADERS");
        p[F::Contact] = QStringLiteral("RAVI");
        p[F::Address] = QStringLiteral("12 MALL ROAD");
        p[F::City] = QStringLiteral("LUDHIANA");
        p[F::Mobile] = QStringLiteral("98140");
        p[F::Groups] = QStringLiteral("VIP");
        const QByteArray card = NewCard(p, QStringLiteral("u-1"));
        QCOMPARE(PartyOfCard(card).party[F::Uid], QStringLiteral("u-1"));
        PartyRecord now = PartyOfCard(card).party;
        now[F::Name] = QStringLiteral("SHARMA & SONS");
        now[F::Contact] = QString();
        now[F::Mobile] = QString();
        now[F::Groups] = QString();
        now[F::Uid] = QStringLiteral("another");
        QList<PartyField> otherwise;
        const QByteArray merged = MergeIntoCard(card, PartyOfCard(card).party, now, &otherwise);
        QVERIFY2(otherwise.isEmpty(), merged.constData());
        QVERIFY(!merged.contains("TEL") && !merged.contains("CATEGORIES"));
        QVERIFY(merged.contains("UID:u-1\r\n"));
        // A text that is no card is replaced by a whole one.
        QVERIFY(MergeIntoCard("oops", p, now).startsWith("BEGIN:VCARD\r\nVERSION:3.0\r\n"));
    }

    void fieldsMergeThreeWays_data() {
        QTest::addColumn<QString>("desk");
        QTest::addColumn<QString>("server");
        QTest::addColumn<QString>("merged");
        QTest::addColumn<QString>("conflicts");
        QTest::addColumn<QString>("deskChanged");
        QTest::addColumn<QString>("serverChanged");
        QTest::newRow("desk only") << "E-Mail=new@x.example"
                                   << ""
                                   << "E-Mail=new@x.example"
                                   << ""
                                   << "E-Mail"
                                   << "";
        QTest::newRow("server only") << ""
                                     << "Mobile No.=98140"
                                     << "Mobile No.=98140"
                                     << ""
                                     << ""
                                     << "Mobile No.";
        QTest::newRow("both, other fields") << "E-Mail=new@x.example"
                                            << "Mobile No.=98140"
                                            << "E-Mail=new@x.example|Mobile No.=98140"
                                            << ""
                                            << "E-Mail"
                                            << "Mobile No.";
        QTest::newRow("both, same value") << "Notes=call"
                                          << "Notes=call"
                                          << "Notes=call"
                                          << ""
                                          << ""
                                          << "";
        QTest::newRow("both, different values") << "Notes=desk"
                                                << "Notes=server"
                                                << "Notes=desk"
                                                << "Notes"
                                                << "Notes"
                                                << "";
        QTest::newRow("server's case is no change") << ""
                                                    << "Party Name=Sharma Traders"
                                                    << "Party Name=SHARMA TRADERS"
                                                    << ""
                                                    << ""
                                                    << "";
        QTest::newRow("notes' line ends are no change") << "Notes=a\r\nb"
                                                        << ""
                                                        << "Notes=a\nb"
                                                        << ""
                                                        << ""
                                                        << "";
        QTest::newRow("city with its state") << ""
                                             << "City=DELHI|State=DELHI"
                                             << "City=DELHI|State=DELHI|Country=INDIA"
                                             << ""
                                             << ""
                                             << "City,State";
        QTest::newRow("city and state from two sides conflict") << "City=AMRITSAR"
                                                                << "State=HARYANA"
                                                                << "City=AMRITSAR|State=PUNJAB"
                                                                << "City,State"
                                                                << "City,State"
                                                                << "";
        QTest::newRow("groups as sets") << "Groups=VIP; CUSTOMERS; DEALERS"
                                        << "Groups=dealers"
                                        << "Groups=VIP; DEALERS"
                                        << ""
                                        << "Groups"
                                        << "Groups";
        QTest::newRow("groups reordered") << "Groups=dealers; Customers"
                                          << ""
                                          << "Groups=CUSTOMERS; DEALERS"
                                          << ""
                                          << ""
                                          << "";
    }
    void fieldsMergeThreeWays() {
        QFETCH(QString, desk);
        QFETCH(QString, server);
        QFETCH(QString, merged);
        QFETCH(QString, conflicts);
        QFETCH(QString, deskChanged);
        QFETCH(QString, serverChanged);
        PartyRecord base;
        for (const auto& [f, v] :
             Values("Party Name=SHARMA TRADERS|Address=12 MALL ROAD|City=LUDHIANA|State=PUNJAB|"
                    "Country=INDIA|Groups=CUSTOMERS; DEALERS|Notes=a\nb|UID=u-1"))
            base[f] = v;
        PartyRecord d = base, s = base;
        for (const auto& [f, v] : Values(desk))
            d[f] = v;
        for (const auto& [f, v] : Values(server))
            s[f] = v;
        const FieldMerge m = MergeFields(base, d, s);
        for (const auto& [f, v] : Values(merged))
            QVERIFY2(SameValue(f, m.merged[f], v), qPrintable(m.merged[f]));
        QCOMPARE(m.conflicts, FieldList(conflicts));
        QCOMPARE(m.deskChanged, FieldList(deskChanged));
        QCOMPARE(m.serverChanged, FieldList(serverChanged));
        QCOMPARE(m.merged[F::Uid], QStringLiteral("u-1"));
    }
};

ADRSBOOK_TEST(CardMergeTests)
#include "tst_cardmerge.moc"
