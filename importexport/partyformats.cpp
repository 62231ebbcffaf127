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
