#include "importexport/partyformats.h"

#include "data/fieldlengths.h"
#include "importexport/headernames.h"
#include "party/phonenumbers.h"

#include <QRegularExpression>
#include <algorithm>

QStringList CsvHeader() {
    QStringList header;
    for (int f = 0; f < kPartyFields; ++f)
        header.append(FieldCaption(PartyField(f)));
    return header;
}

QStringList CsvFields(const PartyRecord& party) {
    return QStringList(party.v.begin(), party.v.end());
}

QVector<PartyField> GuessMapping(const QStringList& header) {
    QVector<PartyField> mapping;
    QStringList seen;
    for (const QString& column : header) {
        const Header meaning = HeaderOf(column);
        PartyField f = meaning != Header::None ? FieldOf(meaning) : GuessField(column);
        // A second column of the very same header ("Phone", "Phone") is left
        // out; different headers of one field ("Work Phone", "Home Phone",
        // "First Name", "Last Name") are combined by RecordFromCsv.
        const QString key = column.simplified().toCaseFolded();
        if (f != PartyField::Count && seen.contains(key)) f = PartyField::Count;
        seen.append(key);
        mapping.append(f);
    }
    return mapping;
}

namespace {

// Adds whole items to the notes after `label`, as many as the notes box
// holds; returns how many were left out.
int AddToNotes(QString& notes, const QString& label, const QStringList& items) {
    if (items.isEmpty()) return 0;
    QString line = label;
    const QString start = notes.trimmed().isEmpty() ? QString() : notes.trimmed() + u'\n';
    int added = 0;
    for (const QString& item : items) {
        const QString next = line + (added ? QStringLiteral(", ") : QString()) + item;
        if (start.size() + next.size() > FieldLength::Notes) break;
        line = next;
        ++added;
    }
    if (added) notes = start + line;
    return int(items.size()) - added;
}

// The addresses of an e-mail field; one field may hold several
// ("a@x.example; b@y.example", webmail's "a@x ::: b@y").
QStringList Addresses(const QString& value) {
    if (value.count(u'@') < 2) return {value};
    static const QRegularExpression between(QStringLiteral(R"(:::|[,;\s]+)"));
    QStringList out;
    for (QString part : value.split(between, Qt::SkipEmptyParts)) {
        part.remove(u'<').remove(u'>');
        if (part.contains(u'@')) out.append(part);
    }
    return out;
}

void Glue(QString& into, const QString& value, const QString& between = QStringLiteral(" ")) {
    if (!into.isEmpty()) into += between;
    into += value;
}

struct CsvNumber {
    int rank; // work 0, home 1, any other land line 2
    QString label, value;
};

} // namespace

PartyRecord RecordFromCsv(const QStringList& fields, const QVector<PartyField>& mapping,
                          const QStringList& header, QString* notice) {
    PartyRecord record;
    QString company, fullName, contact, parts[3];
    QStringList jobs, emails;
    QList<CsvNumber> phones, mobiles, faxes;
    QVector<Header> filledBy(kPartyFields, Header::None);
    for (qsizetype i = 0; i < fields.size() && i < mapping.size(); ++i) {
        const PartyField f = mapping[i];
        if (f == PartyField::Count) continue;
        const QString value = fields[i].trimmed();
        if (value.isEmpty()) continue;
        // The header's meaning counts while the column feeds the field the
        // header names; a column the user moved elsewhere is plain.
        Header h = header.isEmpty() ? Header::None : HeaderOf(header.value(i));
        if (FieldOf(h) != f) h = Header::None;
        const QString label = header.value(i).trimmed();
        switch (f) {
        case PartyField::Name:
            if (h == Header::FullName) {
                if (fullName.isEmpty()) fullName = value;
            } else {
                Glue(company, value);
            }
            break;
        case PartyField::Contact:
            if (h == Header::GivenName || h == Header::MiddleName || h == Header::FamilyName)
                Glue(parts[int(h) - int(Header::GivenName)], value);
            else
                Glue(contact, value);
            break;
        case PartyField::Phone:
            phones.append({h == Header::WorkPhone   ? 0
                           : h == Header::HomePhone ? 1
                                                    : 2,
                           label, value});
            break;
        case PartyField::Mobile:
            mobiles.append({0, label, value});
            break;
        case PartyField::Fax:
            faxes.append({0, label, value});
            break;
        case PartyField::Email:
            emails.append(Addresses(value));
            break;
        case PartyField::Notes:
            if (h == Header::JobTitle)
                jobs.append(label + QStringLiteral(": ") + value);
            else
                Glue(record[f], value);
            break;
        case PartyField::Groups:
            Glue(record[f], value, QStringLiteral("; "));
            break;
        default:
            // Home and work spellings of one part of the address: the first
            // one given.
            if (h != Header::None && filledBy[int(f)] == h) break;
            filledBy[int(f)] = h;
            Glue(record[f], value);
        }
    }
    // A person with a company: the company is the party and the person its
    // contact; a person alone is the party.
    QString person;
    for (const QString& part : parts)
        if (!part.isEmpty()) Glue(person, part);
    if (person.isEmpty()) person = fullName;
    if (!company.isEmpty()) {
        record[PartyField::Name] = company;
        record[PartyField::Contact] = !contact.isEmpty() ? contact : person;
    } else {
        record[PartyField::Name] = !person.isEmpty() ? person : contact;
        if (!person.isEmpty()) record[PartyField::Contact] = contact;
    }
    if (record[PartyField::Contact].compare(record[PartyField::Name], Qt::CaseInsensitive) == 0)
        record[PartyField::Contact].clear();

    QStringList others;
    auto place = [&](PartyField f, QList<CsvNumber> numbers) {
        std::stable_sort(numbers.begin(), numbers.end(),
                         [](const CsvNumber& a, const CsvNumber& b) { return a.rank < b.rank; });
        for (const CsvNumber& n : numbers) {
            if (record[f].isEmpty())
                record[f] = n.value;
            else
                others.append(n.label.isEmpty() ? n.value
                                                : n.label + QStringLiteral(": ") + n.value);
        }
    };
    place(PartyField::Phone, phones);
    place(PartyField::Mobile, mobiles);
    place(PartyField::Fax, faxes);
    record[PartyField::Email] = emails.value(0);
    QString& notes = record[PartyField::Notes];
    for (const QString& job : jobs)
        Glue(notes, job, QStringLiteral("\n"));
    const int leftOut =
        AddToNotes(notes, QStringLiteral("Other numbers: "), others) +
        AddToNotes(notes, QStringLiteral("Other e-mail addresses: "), emails.mid(1));
    if (notice)
        *notice = leftOut ? QStringLiteral("%1 further number(s) or e-mail address(es) left out: "
                                           "no room in the notes")
                                .arg(leftOut)
                          : QString();
    return record;
}

namespace {

constexpr char kCrLfParam[] = "X-ADRSBOOK-BREAKS=CRLF";

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
            note += QStringLiteral(";") + QLatin1String(kCrLfParam);
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

PartyRecord RecordFromVCard(const VCard& card, QString* notice) {
    PartyRecord r;
    QString fn, org, n, related;
    QList<CardNumber> numbers;
    for (const VCardProperty& p : card.properties) {
        const QString& name = p.name;
        auto has = [&](const char* t) { return p.types.contains(QLatin1String(t)); };
        auto setOnce = [](QString& into, const QString& value) {
            if (into.isEmpty()) into = value.trimmed();
        };
        if (name == QLatin1String("FN"))
            setOnce(fn, p.Value());
        else if (name == QLatin1String("ORG"))
            setOnce(org, p.values.value(0));
        else if (name == QLatin1String("N")) {
            QStringList parts;
            // given, additional, family in the order people say them
            for (int i : {3, 1, 2, 0, 4})
                if (!p.values.value(i).trimmed().isEmpty()) parts.append(p.values[i].trimmed());
            setOnce(n, parts.join(u' '));
        } else if (name == QLatin1String("RELATED") && has("contact"))
            setOnce(related, p.Value());
        else if (name == QLatin1String("ADR") && r[PartyField::Address].isEmpty()) {
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
        } else if (name == QLatin1String("EMAIL"))
            setOnce(r[PartyField::Email], p.Value());
        else if (name == QLatin1String("URL"))
            setOnce(r[PartyField::Web], p.Value());
        else if (name == QLatin1String("NOTE")) {
            QString note = p.Value();
            if (p.params.contains(QLatin1String(kCrLfParam), Qt::CaseInsensitive))
                note.replace(u'\n', QLatin1String("\r\n"));
            setOnce(r[PartyField::Notes], note);
        } else if (name == QLatin1String("X-ADRSBOOK-VAT"))
            setOnce(r[PartyField::Vat], p.Value());
        else if (name == QLatin1String("UID"))
            setOnce(r[PartyField::Uid], p.Value());
        else if (name == QLatin1String("CATEGORIES")) {
            // Categories are a comma list; an escaped comma belongs to the
            // name.
            QStringList groups = r.GroupNames();
            for (const QString& g : p.List())
                if (!g.trimmed().isEmpty()) groups.append(g.trimmed());
            r[PartyField::Groups] = groups.join(QLatin1String("; "));
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
    const int leftOut =
        AddToNotes(r[PartyField::Notes], QStringLiteral("Other numbers: "), placed.others);
    QStringList notes;
    if (!card.notice.isEmpty()) notes.append(card.notice);
    if (leftOut)
        notes.append(
            QStringLiteral("%1 further number(s) left out: no room in the notes").arg(leftOut));
    if (notice) *notice = notes.join(QLatin1String("; "));
    return r;
}
