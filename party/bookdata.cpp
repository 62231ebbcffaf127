#include "party/bookdata.h"

#include "data/connection.h"
#include "data/recordset.h"
#include "platform/vb.h"

#include <QUuid>

namespace {

int MaxOf(Connection& conn, const char* sql) {
    Recordset rs;
    rs.Open(QString::fromLatin1(sql), &conn, adOpenStatic, adLockBatchOptimistic);
    const QVariant v = rs.Eof() ? QVariant() : rs.Fields(0).Value();
    return v.isNull() ? 0 : v.toInt();
}

} // namespace

QString PartyUid(int id, const QDateTime& added) {
    static const QUuid kBooks(QStringLiteral("{6f1d5c2e-4a7b-5e8f-9c3d-2b1a0e9f8d7c}"));
    const QString seed = QStringLiteral("party:%1:%2")
                             .arg(id)
                             .arg(added.isValid() ? added.toString(Qt::ISODateWithMs) : QString());
    return QStringLiteral("urn:uuid:") +
           QUuid::createUuidV5(kBooks, seed).toString(QUuid::WithoutBraces);
}

bool CityFits(const BookCity& city, const QString& name, const QString& state,
              const QString& country) {
    auto same = [](const QString& a, const QString& b) {
        return a.trimmed().compare(b.trimmed(), Qt::CaseInsensitive) == 0;
    };
    return same(city.name, name) && (state.trimmed().isEmpty() || same(city.state, state)) &&
           (country.trimmed().isEmpty() || same(city.country, country));
}

int BookData::CityFor(const QString& name, const QString& state, const QString& country) const {
    for (int id : citiesByName_.value(name.trimmed().toCaseFolded()))
        if (CityFits(cities.value(id), name, state, country)) return id;
    return 0;
}

int BookData::GroupNamed(const QString& name) const {
    return groupByName_.value(name.trimmed().toCaseFolded(), 0);
}

const BookParty* BookData::Party(int id) const {
    const auto i = partyIndex_.constFind(id);
    return i == partyIndex_.constEnd() ? nullptr : &parties[*i];
}

QString BookData::Describe(int id) const {
    const BookParty* p = Party(id);
    if (!p) return QString();
    const QString city = p->record[PartyField::City];
    return city.isEmpty() ? p->record[PartyField::Name]
                          : p->record[PartyField::Name] + QStringLiteral(", ") + city;
}

QList<int> BookData::PartiesIn(int groupId) const {
    QList<int> ids;
    for (const BookParty& p : parties)
        if (p.groupIds.contains(groupId)) ids.append(p.id);
    return ids;
}

BookData ReadBook(Connection& conn, const ReadProgress& progress) {
    BookData book;
    InOneRead(conn, [&] {
        book.maxParty = MaxOf(conn, "Select max(adrsid) from adrsmstr");
        book.maxLink = MaxOf(conn, "Select max(adrsgrpid) from adrsgrpdtails");
        book.maxCity = MaxOf(conn, "Select max(ctyid) from cscmstr");
        book.maxGroup = MaxOf(conn, "Select max(grpid) from adrsgrupmstr");

        Recordset rs;
        rs.Open(QStringLiteral("Select * from cscmstr order by ctyid"), &conn);
        while (!rs.Eof()) {
            BookCity c{Trim(rs.Fields("ctyname").Str()), Trim(rs.Fields("statename").Str()),
                       Trim(rs.Fields("contryname").Str()),
                       rs.Fields("delstatus").Value().toInt() == 0};
            const int id = rs.Fields("ctyid").Value().toInt();
            book.cities.insert(id, c);
            if (c.live) book.citiesByName_[c.name.toCaseFolded()].append(id);
            rs.MoveNext();
        }
        rs.Close();
        rs.Open(QStringLiteral("Select grpname,grpid from adrsgrupmstr  order by grpname"), &conn);
        while (!rs.Eof()) {
            const int id = rs.Fields(1).Value().toInt();
            const QString name = Trim(rs.Fields(0).Str());
            book.groups.insert(id, name);
            if (!book.groupByName_.contains(name.toCaseFolded()))
                book.groupByName_.insert(name.toCaseFolded(), id);
            rs.MoveNext();
        }
        rs.Close();

        QHash<int, QVector<int>> links;
        rs.Open(QStringLiteral("Select adrsconcrnid,adrsgrupid from adrsgrpdtails order by "
                               "adrsgrpid"),
                &conn);
        while (!rs.Eof()) {
            QVector<int>& of = links[rs.Fields(0).Value().toInt()];
            const int group = Trim(rs.Fields(1).Str()).toInt();
            if (!of.contains(group)) of.append(group);
            rs.MoveNext();
        }
        rs.Close();

        rs.Open(QStringLiteral("Select * from adrsmstr order by adrsname"), &conn);
        QVector<int> at(kPartyFields, -1);
        QHash<QString, int> byName;
        for (int c = 0; c < rs.FieldCount(); ++c)
            byName.insert(rs.Fields(c).Name().toLower(), c);
        for (int f = 0; f < kPartyFields; ++f)
            if (const char* column = PartyColumn(PartyField(f)))
                at[f] = byName.value(QString::fromLatin1(column), -1);
        const int idAt = byName.value(QStringLiteral("adrsid"));
        const int cityAt = byName.value(QStringLiteral("adrsctyid"));
        const int addedAt = byName.value(QStringLiteral("adrsaddt"));
        const int deletedAt = byName.value(QStringLiteral("adrsdelstatus"));
        const int count = rs.RecordCount();
        book.parties.reserve(count);
        while (!rs.Eof()) {
            Report(progress, book.parties.size(), book.parties.size(), count);
            BookParty p;
            p.id = rs.Fields(idAt).Value().toInt();
            for (int f = 0; f < kPartyFields; ++f)
                if (at[f] >= 0) p.record.v[f] = Trim(rs.Fields(at[f]).Str());
            p.cityId = rs.Fields(cityAt).Value().toInt();
            p.live = rs.Fields(deletedAt).Value().toInt() == 0;
            const BookCity city = book.cities.value(p.cityId);
            p.record[PartyField::City] = city.name;
            p.record[PartyField::State] = city.state;
            p.record[PartyField::Country] = city.country;
            p.groupIds = links.value(p.id);
            QStringList names;
            for (int g : p.groupIds)
                if (book.groups.contains(g)) names.append(book.groups.value(g));
            p.record[PartyField::Groups] = names.join(QLatin1String("; "));
            p.record[PartyField::Uid] = PartyUid(p.id, rs.Fields(addedAt).Value().toDateTime());
            book.partyIndex_.insert(p.id, int(book.parties.size()));
            book.parties.append(p);
            rs.MoveNext();
        }
    });
    return book;
}
