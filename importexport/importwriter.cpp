#include "importexport/importwriter.h"

#include "data/connection.h"
#include "data/ids.h"
#include "data/recordset.h"

#include <QDateTime>
#include <QSet>

namespace {

bool Stored(const ImportRow& r) {
    if (r.status == RowStatus::New) return true;
    return r.status == RowStatus::Duplicate &&
           (r.choice == DuplicateChoice::Add ||
            (r.choice == DuplicateChoice::Update && r.match.id > 0));
}

bool Updates(const ImportRow& r) {
    return r.status == RowStatus::Duplicate && r.choice == DuplicateChoice::Update &&
           r.match.id > 0;
}

QStringList GroupsOf(const ImportRow& r, const ImportOptions& o) {
    return o.fileGroups ? r.fitted.groups : QStringList();
}

// The columns of the party row from the fitted values, as the address
// master writes them.
void WriteParty(Recordset& rs, const PartyRecord& p, int cityId) {
    rs.Fields("adrsname") = p[PartyField::Name];
    rs.Fields("adrscontact") = p[PartyField::Contact];
    rs.Fields("adrs1") = p[PartyField::Address];
    rs.Fields("adrs2") = p[PartyField::Area];
    rs.Fields("adrs3") = p[PartyField::LandMark];
    rs.Fields("AdrsCtyid") = QVariant(CInt(cityId));
    rs.Fields("adrspin") = p[PartyField::Pin];
    rs.Fields("adrscstno") = p[PartyField::Vat];
    rs.Fields("adrsphno") = p[PartyField::Phone];
    rs.Fields("adrsmobno") = p[PartyField::Mobile];
    rs.Fields("adrsfax") = p[PartyField::Fax];
    rs.Fields("adrsemail") = p[PartyField::Email];
    rs.Fields("adrsweb") = p[PartyField::Web];
    rs.Fields("adrsnotes") = p[PartyField::Notes];
    rs.Fields("adrsdelstatus") = QVariant(Integer(0));
}

bool IsCityField(int f) {
    return f == int(PartyField::City) || f == int(PartyField::State) ||
           f == int(PartyField::Country);
}

// An update keeps what the book has where the file has nothing. City, state
// and country go together: a file naming a city names where it is, or
// nothing more.
PartyRecord Merged(const PartyRecord& book, const PartyRecord& file) {
    PartyRecord out = book;
    const bool city = !file[PartyField::City].isEmpty();
    for (int f = 0; f < kPartyFields; ++f)
        if (IsCityField(f) ? city : !file.v[f].isEmpty()) out.v[f] = file.v[f];
    return out;
}

// Whether storing `merged` over `stored` would change a column of the party.
bool SameParty(const PartyRecord& stored, const PartyRecord& merged) {
    for (int f = 0; f < kPartyFields; ++f) {
        const PartyField field = PartyField(f);
        if (IsCityField(f) || field == PartyField::Groups || field == PartyField::Uid) continue;
        if (stored.v[f] != merged.v[f]) return false;
    }
    return true;
}

// The cities an import stores parties in: the book's, and the new ones it
// adds as it meets them.
class CityFinder {
  public:
    explicit CityFinder(const BookData& book) : book_(book) {}

    // The city id for `p`; 0 when the city is new and not yet added. A party
    // updated in place keeps its own city when the file's one fits it.
    int Find(const PartyRecord& p, const BookParty* own = nullptr) const {
        const QString& name = p[PartyField::City];
        const QString& state = p[PartyField::State];
        const QString& country = p[PartyField::Country];
        if (own && CityFits(book_.cities.value(own->cityId), name, state, country))
            return own->cityId;
        if (const int id = book_.CityFor(name, state, country)) return id;
        for (int i : added_.value(name.toCaseFolded()))
            if (CityFits(newCities[i], name, state, country)) return newIds[i];
        return 0;
    }
    // A new city as the file gives it: no state or country made up.
    void Add(const PartyRecord& p) {
        added_[p[PartyField::City].toCaseFolded()].append(int(newCities.size()));
        newCities.append({p[PartyField::City], p[PartyField::State], p[PartyField::Country], true});
        newIds.append(-int(newCities.size())); // until stored
    }

    QList<BookCity> newCities;
    QList<int> newIds;

  private:
    const BookData& book_;
    QHash<QString, QList<int>> added_;
};

void Room(const char* what, qint64 needed, int largest) {
    const qint64 room = kLargestId - largest;
    if (needed <= room) return;
    throw ImportRefused(
        QStringLiteral("The import would need %1 new %2, but the address book has room for "
                       "only %3 more (ids go up to %4). Nothing was imported.")
            .arg(needed)
            .arg(QString::fromLatin1(what))
            .arg(qMax<qint64>(room, 0))
            .arg(kLargestId));
}

} // namespace

QString ResultText(const ImportResult& r) {
    auto count = [](int n, const char* one, const char* many) {
        return QStringLiteral("%1 %2").arg(n).arg(QLatin1String(n == 1 ? one : many));
    };
    return QStringLiteral("Import finished: %1 added, %2 updated, %3 unchanged, %4 skipped, %5 "
                          "invalid; %6 and %7 created.")
        .arg(count(r.added, "party", "parties"))
        .arg(r.updated)
        .arg(count(r.unchanged, "party", "parties"))
        .arg(r.skipped)
        .arg(r.invalid)
        .arg(count(r.citiesAdded, "city", "cities"))
        .arg(count(r.groupsAdded, "group", "groups"));
}

int RowsWithoutGroup(const QList<ImportRow>& rows, const ImportOptions& options) {
    if (!options.groupIds.isEmpty()) return 0;
    int n = 0;
    for (const ImportRow& r : rows)
        if (Stored(r) && !Updates(r) && GroupsOf(r, options).isEmpty()) ++n;
    return n;
}

ImportResult ApplyImport(Connection& conn, const QList<ImportRow>& rows,
                         const ImportOptions& options, const ImportProgress& progress) {
    ImportResult result;
    InTransaction(conn, [&] {
        // The book as it is now, inside the transaction: ids and names.
        const BookData book = ReadBook(conn);
        const QVariant stamp(QDateTime::currentDateTime());

        // What is new: cities, groups, parties, links.
        CityFinder cities(book);
        QStringList newGroups;
        QHash<QString, int> groupIds;
        qint64 parties = 0, links = 0;
        for (const ImportRow& r : rows) {
            if (r.status == RowStatus::Invalid) {
                ++result.invalid;
                continue;
            }
            if (!Stored(r)) {
                ++result.skipped;
                continue;
            }
            const BookParty* own = Updates(r) ? book.Party(r.match.id) : nullptr;
            const PartyRecord stored = own ? Merged(own->record, r.fitted.party) : r.fitted.party;
            if (!cities.Find(stored, own)) cities.Add(stored);
            QSet<int> joined(options.groupIds.begin(), options.groupIds.end());
            for (const QString& g : GroupsOf(r, options)) {
                const QString key = g.toCaseFolded();
                if (book.GroupNamed(g)) {
                    joined.insert(book.GroupNamed(g));
                } else if (!groupIds.contains(key)) {
                    groupIds.insert(key, 0);
                    newGroups.append(g);
                }
            }
            if (Updates(r)) {
                const BookParty* p = book.Party(r.match.id);
                if (!p)
                    throw ImportRefused(QStringLiteral(
                        "A party the import would update is no longer in the address book. "
                        "Nothing was imported; open the file again."));
                for (int g : p->groupIds)
                    joined.remove(g);
            } else {
                ++parties;
            }
            QSet<QString> named;
            for (const QString& g : GroupsOf(r, options))
                if (!book.GroupNamed(g)) named.insert(g.toCaseFolded());
            links += joined.size() + named.size();
        }
        // Every limit first: nothing is written when any would be passed.
        Room("parties", parties, book.maxParty);
        Room("cities", cities.newCities.size(), book.maxCity);
        Room("groups", newGroups.size(), book.maxGroup);
        Room("group memberships", links, book.maxLink);

        const int total = int(rows.size());
        int done = 0;
        // Rows go out 500 at a time; the recordset is opened afresh after
        // each batch, since it keeps every row added to it.
        const QString partiesSql = QStringLiteral("Select * from adrsmstr");
        auto tick = [&](Recordset& batch) {
            if (++done % 500 != 0) return;
            batch.UpdateBatch(adAffectAllChapters);
            batch.Close();
            batch.Open(partiesSql, &conn);
            if (progress && !progress(done, total)) throw ImportCancelled();
        };

        Recordset rs;
        int nextCity = book.maxCity;
        if (!cities.newCities.isEmpty()) {
            rs.Open(QStringLiteral("Select * from cscmstr"), &conn);
            for (qsizetype i = 0; i < cities.newCities.size(); ++i) {
                const BookCity& c = cities.newCities[i];
                rs.AddNew();
                rs.Fields("Ctyid") = QVariant(CInt(++nextCity));
                rs.Fields("ctyname") = c.name;
                rs.Fields("statename") = c.state;
                rs.Fields("contryname") = c.country;
                rs.Fields("addt") = stamp;
                rs.Fields("delstatus") = QVariant(Integer(0));
                cities.newIds[i] = nextCity;
            }
            rs.UpdateBatch(adAffectAllChapters);
            rs.Close();
            result.citiesAdded = int(cities.newCities.size());
        }
        int nextGroup = book.maxGroup;
        if (!newGroups.isEmpty()) {
            rs.Open(QStringLiteral("Select * from adrsgrupmstr"), &conn);
            for (const QString& g : newGroups) {
                rs.AddNew();
                rs.Fields("grpid") = QVariant(CInt(++nextGroup));
                rs.Fields("grpname") = g;
                groupIds[g.toCaseFolded()] = nextGroup;
            }
            rs.UpdateBatch(adAffectAllChapters);
            rs.Close();
            result.groupsAdded = int(newGroups.size());
        }
        auto groupsFor = [&](const ImportRow& r) {
            QList<int> ids = options.groupIds;
            for (const QString& g : GroupsOf(r, options)) {
                const int id =
                    book.GroupNamed(g) ? book.GroupNamed(g) : groupIds.value(g.toCaseFolded());
                if (!ids.contains(id)) ids.append(id);
            }
            return ids;
        };

        // New parties in batches, their links after them.
        int nextParty = book.maxParty, nextLink = book.maxLink;
        QList<QPair<int, int>> newLinks; // party, group
        QSet<QPair<int, int>> linked;
        auto link = [&](int party, int group) {
            if (!linked.contains({party, group})) {
                linked.insert({party, group});
                newLinks.append({party, group});
            }
        };
        Recordset links_;
        rs.Open(partiesSql, &conn);
        for (const ImportRow& r : rows) {
            if (!Stored(r)) {
                tick(rs);
                continue;
            }
            if (Updates(r)) {
                const BookParty* p = book.Party(r.match.id);
                const PartyRecord merged = Merged(p->record, r.fitted.party);
                const int city = cities.Find(merged, p);
                QList<int> joins;
                for (int g : groupsFor(r))
                    if (!p->groupIds.contains(g)) joins.append(g);
                if (p->live && city == p->cityId && joins.isEmpty() &&
                    SameParty(p->record, merged)) {
                    // Nothing to change: the party keeps its edit date.
                    ++result.unchanged;
                    tick(rs);
                    continue;
                }
                Recordset one;
                one.Open(
                    QStringLiteral("Select * from adrsmstr where adrsid like '%1'").arg(r.match.id),
                    &conn);
                WriteParty(one, merged, city);
                one.Fields("adrsedtdt") = stamp;
                one.UpdateBatch(adAffectAllChapters);
                for (int g : joins)
                    link(r.match.id, g);
                ++result.updated;
            } else {
                rs.AddNew();
                rs.Fields("Adrsid") = QVariant(CInt(++nextParty));
                WriteParty(rs, r.fitted.party, cities.Find(r.fitted.party));
                rs.Fields("adrsaddt") = stamp;
                for (int g : groupsFor(r))
                    link(nextParty, g);
                ++result.added;
            }
            tick(rs);
        }
        rs.UpdateBatch(adAffectAllChapters);
        rs.Close();
        for (qsizetype i = 0; i < newLinks.size(); ++i) {
            if (i % 500 == 0) {
                if (i) {
                    links_.UpdateBatch(adAffectAllChapters);
                    links_.Close();
                }
                links_.Open(QStringLiteral("Select * from adrsgrpdtails"), &conn);
            }
            links_.AddNew();
            links_.Fields("adrsgrpid") = QVariant(CInt(++nextLink));
            links_.Fields("adrsconcrnid") = QVariant(CInt(newLinks[i].first));
            links_.Fields("adrsgrupid") = QString::number(newLinks[i].second);
        }
        if (!newLinks.isEmpty()) {
            links_.UpdateBatch(adAffectAllChapters);
            links_.Close();
        }
        if (progress && !progress(total, total)) throw ImportCancelled();
    });
    return result;
}
