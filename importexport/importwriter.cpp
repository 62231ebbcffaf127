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

// An update keeps what the book has where the file has nothing.
PartyRecord Merged(const PartyRecord& book, const PartyRecord& file) {
    PartyRecord out = book;
    for (int f = 0; f < kPartyFields; ++f)
        if (!file.v[f].isEmpty()) out.v[f] = file.v[f];
    return out;
}

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
        QStringList newCities;
        QHash<QString, int> cityIds; // case-folded name -> id
        QList<const ImportRow*> cityRows;
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
            const QString city = r.fitted.party[PartyField::City];
            const QString cityKey = city.toCaseFolded();
            if (!book.CityNamed(city) && !cityIds.contains(cityKey)) {
                cityIds.insert(cityKey, 0);
                newCities.append(city);
                cityRows.append(&r);
            }
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
        Room("cities", newCities.size(), book.maxCity);
        Room("groups", newGroups.size(), book.maxGroup);
        Room("group memberships", links, book.maxLink);

        const int total = int(rows.size());
        int done = 0;
        auto tick = [&](Recordset& batch) {
            if (++done % 500 != 0) return;
            batch.UpdateBatch(adAffectAllChapters);
            if (progress && !progress(done, total)) throw ImportCancelled();
        };

        Recordset rs;
        int nextCity = book.maxCity;
        if (!newCities.isEmpty()) {
            rs.Open(QStringLiteral("Select * from cscmstr"), &conn);
            for (qsizetype i = 0; i < newCities.size(); ++i) {
                const PartyRecord& p = cityRows[i]->fitted.party;
                rs.AddNew();
                rs.Fields("Ctyid") = QVariant(CInt(++nextCity));
                rs.Fields("ctyname") = newCities[i];
                rs.Fields("statename") = p[PartyField::State];
                rs.Fields("contryname") = p[PartyField::Country];
                rs.Fields("addt") = stamp;
                rs.Fields("delstatus") = QVariant(Integer(0));
                cityIds[newCities[i].toCaseFolded()] = nextCity;
            }
            rs.UpdateBatch(adAffectAllChapters);
            rs.Close();
            result.citiesAdded = int(newCities.size());
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
        auto cityOf = [&](const PartyRecord& p) {
            const int id = book.CityNamed(p[PartyField::City]);
            return id ? id : cityIds.value(p[PartyField::City].toCaseFolded());
        };
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
        rs.Open(QStringLiteral("Select * from adrsmstr"), &conn);
        for (const ImportRow& r : rows) {
            if (!Stored(r)) {
                tick(rs);
                continue;
            }
            if (Updates(r)) {
                const BookParty* p = book.Party(r.match.id);
                Recordset one;
                one.Open(
                    QStringLiteral("Select * from adrsmstr where adrsid like '%1'").arg(r.match.id),
                    &conn);
                const PartyRecord merged = Merged(p->record, r.fitted.party);
                WriteParty(one, merged, cityOf(merged));
                one.Fields("adrsedtdt") = stamp;
                one.UpdateBatch(adAffectAllChapters);
                for (int g : groupsFor(r))
                    if (!p->groupIds.contains(g)) link(r.match.id, g);
                ++result.updated;
            } else {
                rs.AddNew();
                rs.Fields("Adrsid") = QVariant(CInt(++nextParty));
                WriteParty(rs, r.fitted.party, cityOf(r.fitted.party));
                rs.Fields("adrsaddt") = stamp;
                for (int g : groupsFor(r))
                    link(nextParty, g);
                ++result.added;
            }
            tick(rs);
        }
        rs.UpdateBatch(adAffectAllChapters);
        rs.Close();
        if (!newLinks.isEmpty()) {
            links_.Open(QStringLiteral("Select * from adrsgrpdtails"), &conn);
            for (const auto& [party, group] : newLinks) {
                links_.AddNew();
                links_.Fields("adrsgrpid") = QVariant(CInt(++nextLink));
                links_.Fields("adrsconcrnid") = QVariant(CInt(party));
                links_.Fields("adrsgrupid") = QString::number(group);
            }
            links_.UpdateBatch(adAffectAllChapters);
            links_.Close();
        }
        if (progress && !progress(total, total)) throw ImportCancelled();
    });
    return result;
}
