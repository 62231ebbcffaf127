#include "party/vcardparty.h"

#include "party/phonenumbers.h"

namespace {

QString Line(const QString& name, const QString& value) {
    return VCardFold(name + u':' + value);
}

} // namespace

QString VCardText(const PartyRecord& p, VCardVersion version) {
    const bool v4 = version == VCardVersion::V4;
    auto esc = [](const QString& s) { return VCardEscape(s); };
    QString card = QStringLiteral("BEGIN:VCARD\r\n");
    card += v4 ? QStringLiteral("VERSION:4.0\r\n") : QStringLiteral("VERSION:3.0\r\n");
    const QString name = p[PartyField::Name];
    const QString contact = p[PartyField::Contact];
    card += Line(QStringLiteral("FN"), esc(name));
    // The contact person as the structured name, where phones show it
    // beside the company.
    card += Line(QStringLiteral("N"), esc(contact) + QStringLiteral(";;;;"));
    card += Line(QStringLiteral("ORG"), esc(name));
    if (v4 && !contact.isEmpty())
        card += Line(QStringLiteral("RELATED;TYPE=contact;VALUE=text"), esc(contact));
    QStringList street;
    for (PartyField f : {PartyField::Address, PartyField::Area, PartyField::LandMark})
        street.append(p[f]);
    while (!street.isEmpty() && street.last().isEmpty())
        street.removeLast();
    const QString type = v4 ? QStringLiteral(";TYPE=work") : QStringLiteral(";TYPE=WORK");
    card += Line(QStringLiteral("ADR") + type,
                 QStringLiteral(";;") + esc(street.join(u'\n')) + u';' + esc(p[PartyField::City]) +
                     u';' + esc(p[PartyField::State]) + u';' + esc(p[PartyField::Pin]) + u';' +
                     esc(p[PartyField::Country]));
    auto tel = [&](PartyField f, const char* v4type, const char* v3type) {
        if (p[f].trimmed().isEmpty()) return;
        card += Line(QStringLiteral("TEL;TYPE=") + QString::fromLatin1(v4 ? v4type : v3type),
                     esc(p[f].trimmed()));
    };
    tel(PartyField::Phone, "work,voice", "WORK,VOICE");
    tel(PartyField::Mobile, "cell", "CELL");
    tel(PartyField::Fax, "fax", "FAX");
    if (!p[PartyField::Email].isEmpty())
        card += Line(QStringLiteral("EMAIL") + type, esc(p[PartyField::Email]));
    if (!p[PartyField::Web].isEmpty()) card += Line(QStringLiteral("URL"), esc(p[PartyField::Web]));
    if (!p[PartyField::Vat].isEmpty())
        card += Line(QStringLiteral("X-ADRSBOOK-VAT"), esc(p[PartyField::Vat]));
    // vCard has one line break, "\n"; notes typed with CR LF say so in a
    // parameter other readers pass over, so that they come back as they were.
    if (!p[PartyField::Notes].isEmpty()) {
        QString note = QStringLiteral("NOTE");
        if (p[PartyField::Notes].contains(QLatin1String("\r\n")))
            note += QStringLiteral(";") + QLatin1String(kVCardCrLfNote);
        card += Line(note, esc(p[PartyField::Notes]));
    }
    const QStringList groups = p.GroupNames();
    if (!groups.isEmpty()) {
        QStringList escaped;
        for (const QString& g : groups)
            escaped.append(esc(g));
        card += Line(QStringLiteral("CATEGORIES"), escaped.join(u','));
    }
    if (!p[PartyField::Uid].isEmpty()) card += Line(QStringLiteral("UID"), p[PartyField::Uid]);
    card += QStringLiteral("END:VCARD\r\n");
    return card;
}

PartyRecord RecordFromVCard(const VCard& card, QString* notice, VCardSources* sources) {
    PartyRecord r;
    VCardSources from;
    QString fn, org, n, related;
    QList<CardNumber> numbers;
    QList<int> telAt; // the property of each number
    for (int i = 0; i < card.properties.size(); ++i) {
        const VCardProperty& p = card.properties[i];
        const QString& name = p.name;
        auto has = [&](const char* t) { return p.types.contains(QLatin1String(t)); };
        auto setOnce = [i](QString& into, const QString& value, int& source) {
            if (!into.isEmpty()) return;
            into = value.trimmed();
            if (!into.isEmpty()) source = i;
        };
        if (name == QLatin1String("FN"))
            setOnce(fn, p.Value(), from.fn);
        else if (name == QLatin1String("ORG"))
            setOnce(org, p.values.value(0), from.org);
        else if (name == QLatin1String("N")) {
            QStringList parts;
            // given, additional, family in the order people say them
            for (int j : {3, 1, 2, 0, 4})
                if (!p.values.value(j).trimmed().isEmpty()) parts.append(p.values[j].trimmed());
            setOnce(n, parts.join(u' '), from.n);
        } else if (name == QLatin1String("RELATED") && has("contact"))
            setOnce(related, p.Value(), from.related);
        else if (name == QLatin1String("ADR") && r[PartyField::Address].isEmpty()) {
            from.adr = i;
            // The street's lines in order (an empty area keeps its place),
            // after the extended address when a phone wrote one.
            QStringList lines;
            if (!p.values.value(1).trimmed().isEmpty()) lines.append(p.values[1].trimmed());
            for (const QString& l : p.values.value(2).split(u'\n'))
                lines.append(l.trimmed());
            while (!lines.isEmpty() && lines.last().isEmpty())
                lines.removeLast();
            r[PartyField::Address] = lines.value(0);
            r[PartyField::Area] = lines.value(1);
            r[PartyField::LandMark] = lines.mid(2).join(u' ');
            r[PartyField::City] = p.values.value(3).trimmed();
            r[PartyField::State] = p.values.value(4).trimmed();
            r[PartyField::Pin] = p.values.value(5).trimmed();
            r[PartyField::Country] = p.values.value(6).trimmed();
        } else if (name == QLatin1String("TEL")) {
            QString value = p.Value().trimmed();
            if (value.startsWith(QLatin1String("tel:"), Qt::CaseInsensitive)) value = value.mid(4);
            numbers.append({value, p.types, p.params});
            telAt.append(i);
        } else if (name == QLatin1String("EMAIL"))
            setOnce(r[PartyField::Email], p.Value(), from.email);
        else if (name == QLatin1String("URL"))
            setOnce(r[PartyField::Web], p.Value(), from.web);
        else if (name == QLatin1String("NOTE")) {
            QString note = p.Value();
            if (p.params.contains(QLatin1String(kVCardCrLfNote), Qt::CaseInsensitive))
                note.replace(u'\n', QLatin1String("\r\n"));
            setOnce(r[PartyField::Notes], note, from.note);
        } else if (name == QLatin1String("X-ADRSBOOK-VAT"))
            setOnce(r[PartyField::Vat], p.Value(), from.vat);
        else if (name == QLatin1String("UID"))
            setOnce(r[PartyField::Uid], p.Value(), from.uid);
        else if (name == QLatin1String("CATEGORIES")) {
            // Categories are a comma list; an escaped comma belongs to the
            // name.
            QStringList groups = r.GroupNames();
            for (const QString& g : p.List())
                if (!g.trimmed().isEmpty()) groups.append(g.trimmed());
            r[PartyField::Groups] = groups.join(QLatin1String("; "));
            from.categories.append(i);
        }
    }
    // A company card names the company in ORG and the person in FN or N; a
    // person's card has only FN and N.
    r[PartyField::Name] = !org.isEmpty() ? org : !fn.isEmpty() ? fn : n;
    if (!related.isEmpty())
        r[PartyField::Contact] = related;
    else if (!org.isEmpty()) {
        if (!fn.isEmpty() && fn.compare(org, Qt::CaseInsensitive) != 0)
            r[PartyField::Contact] = fn;
        else if (!n.isEmpty() && n.compare(org, Qt::CaseInsensitive) != 0)
            r[PartyField::Contact] = n;
    }
    const PlacedNumbers placed = PlaceNumbers(numbers);
    r[PartyField::Phone] = placed.phone;
    r[PartyField::Mobile] = placed.mobile;
    r[PartyField::Fax] = placed.fax;
    from.phone = telAt.value(placed.phoneAt, -1);
    from.mobile = telAt.value(placed.mobileAt, -1);
    from.fax = telAt.value(placed.faxAt, -1);
    from.others = placed.others;
    from.orgName = org;
    from.fnName = fn;
    from.nName = n;
    if (sources) *sources = from;
    const int leftOut =
        AddToNotes(r[PartyField::Notes], QLatin1String(kVCardOtherNumbers), placed.others);
    QStringList notes;
    if (!card.notice.isEmpty()) notes.append(card.notice);
    if (leftOut)
        notes.append(
            QStringLiteral("%1 further number(s) left out: no room in the notes").arg(leftOut));
    if (notice) *notice = notes.join(QLatin1String("; "));
    return r;
}
