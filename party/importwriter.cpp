#include "party/importwriter.h"

#include "data/connection.h"
#include "data/ids.h"
#include "data/recordset.h"

#include <QCoreApplication>
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
    for (int f = 0; f < kPartyFields; ++f)
        if (const char* column = PartyColumn(PartyField(f))) rs.Fields(column) = p.v[f];
    rs.Fields("AdrsCtyid") = QVariant(CInt(cityId));
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
    throw ImportRefused(QCoreApplication::translate(
                            "FrmImport",
                            "The import would need %1 new %2, but the address book has room for "
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
    return QCoreApplication::translate(
               "FrmImport", "Import finished: %1 added, %2 updated, %3 unchanged, %4 skipped, %5 "
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

namespace {

// One import inside its transaction: the book as it is now, what the rows
// add to it, then the writes, cities and groups first, parties, their links.
class Writer {
  public:
    Writer(Connection& conn, const QList<ImportRow>& rows, const ImportOptions& options,
           const ImportProgress& progress)
        : conn_(conn), rows_(rows), options_(options), progress_(progress), book_(ReadBook(conn)),
          stamp_(QDateTime::currentDateTime()), cities_(book_) {}

    void CheckRoom();
    void StoreCities();
    void StoreGroups();
    void StoreParties();
    void StoreLinks();

    ImportResult result;

  private:
    QList<int> groupsFor(const ImportRow& r) const;
    void link(int party, int group);
    // Counts the row stored and, every 500 rows, writes the batch out and
    // opens the recordset afresh (it keeps every row added to it).
    void tick(Recordset& batch);
    void updateParty(const ImportRow& r);
    void addParty(Recordset& rs, const ImportRow& r);

    Connection& conn_;
    const QList<ImportRow>& rows_;
    const ImportOptions& options_;
    const ImportProgress& progress_;
    const BookData book_;
    const QVariant stamp_;
    CityFinder cities_;
    QStringList newGroups_;
    QHash<QString, int> groupIds_;    // new groups by folded name
    QList<QPair<int, int>> newLinks_; // party, group
    QSet<QPair<int, int>> linked_;
    int done_ = 0;
    int nextParty_ = 0;
};

const QString kPartiesSql = QStringLiteral("Select * from adrsmstr");

// What is new (cities, groups, parties, links) against every limit:
// nothing is written when any would be passed.
void Writer::CheckRoom() {
    qint64 parties = 0, links = 0;
    for (const ImportRow& r : rows_) {
        if (r.status == RowStatus::Invalid) {
            ++result.invalid;
            continue;
        }
        if (!Stored(r)) {
            ++result.skipped;
            continue;
        }
        const BookParty* own = Updates(r) ? book_.Party(r.match.id) : nullptr;
        const PartyRecord stored =
            own && !options_.exact ? Merged(own->record, r.fitted.party) : r.fitted.party;
        if (!cities_.Find(stored, own)) cities_.Add(stored);
        QSet<int> joined(options_.groupIds.begin(), options_.groupIds.end());
        for (const QString& g : GroupsOf(r, options_)) {
            const QString key = g.toCaseFolded();
            if (book_.GroupNamed(g)) {
                joined.insert(book_.GroupNamed(g));
            } else if (!groupIds_.contains(key)) {
                groupIds_.insert(key, 0);
                newGroups_.append(g);
            }
        }
        if (Updates(r)) {
            if (!own)
                throw ImportRefused(QStringLiteral(
                    "A party the import would update is no longer in the address book. "
                    "Nothing was imported; open the file again."));
            for (int g : own->groupIds)
                joined.remove(g);
        } else {
            ++parties;
        }
        QSet<QString> named;
        for (const QString& g : GroupsOf(r, options_))
            if (!book_.GroupNamed(g)) named.insert(g.toCaseFolded());
        links += joined.size() + named.size();
    }
    Room("parties", parties, book_.maxParty);
    Room("cities", cities_.newCities.size(), book_.maxCity);
    Room("groups", newGroups_.size(), book_.maxGroup);
    Room("group memberships", links, book_.maxLink);
}

void Writer::StoreCities() {
    if (cities_.newCities.isEmpty()) return;
    int nextCity = book_.maxCity;
    Recordset rs;
    rs.Open(QStringLiteral("Select * from cscmstr"), &conn_);
    for (qsizetype i = 0; i < cities_.newCities.size(); ++i) {
        const BookCity& c = cities_.newCities[i];
        rs.AddNew();
        rs.Fields("Ctyid") = QVariant(CInt(++nextCity));
        rs.Fields("ctyname") = c.name;
        rs.Fields("statename") = c.state;
        rs.Fields("contryname") = c.country;
        rs.Fields("addt") = stamp_;
        rs.Fields("delstatus") = QVariant(Integer(0));
        cities_.newIds[i] = nextCity;
    }
    rs.UpdateBatch(adAffectAllChapters);
    rs.Close();
    result.citiesAdded = int(cities_.newCities.size());
}

void Writer::StoreGroups() {
    if (newGroups_.isEmpty()) return;
    int nextGroup = book_.maxGroup;
    Recordset rs;
    rs.Open(QStringLiteral("Select * from adrsgrupmstr"), &conn_);
    for (const QString& g : newGroups_) {
        rs.AddNew();
        rs.Fields("grpid") = QVariant(CInt(++nextGroup));
        rs.Fields("grpname") = g;
        groupIds_[g.toCaseFolded()] = nextGroup;
    }
    rs.UpdateBatch(adAffectAllChapters);
    rs.Close();
    result.groupsAdded = int(newGroups_.size());
}

QList<int> Writer::groupsFor(const ImportRow& r) const {
    QList<int> ids = options_.groupIds;
    for (const QString& g : GroupsOf(r, options_)) {
        const int id =
            book_.GroupNamed(g) ? book_.GroupNamed(g) : groupIds_.value(g.toCaseFolded());
        if (!ids.contains(id)) ids.append(id);
    }
    return ids;
}

void Writer::link(int party, int group) {
    if (linked_.contains({party, group})) return;
    linked_.insert({party, group});
    newLinks_.append({party, group});
}

void Writer::tick(Recordset& batch) {
    if (++done_ % 500 != 0) return;
    batch.UpdateBatch(adAffectAllChapters);
    batch.Close();
    batch.Open(kPartiesSql, &conn_);
    if (progress_ && !progress_(done_, int(rows_.size()))) throw ImportCancelled();
}

void Writer::updateParty(const ImportRow& r) {
    const BookParty* p = book_.Party(r.match.id);
    const PartyRecord merged = options_.exact ? r.fitted.party : Merged(p->record, r.fitted.party);
    const int city = cities_.Find(merged, p);
    const QList<int> groups = groupsFor(r);
    QList<int> joins, leaves;
    for (int g : groups)
        if (!p->groupIds.contains(g)) joins.append(g);
    if (options_.exact && !groups.isEmpty())
        for (int g : p->groupIds)
            if (!groups.contains(g)) leaves.append(g);
    if (p->live && city == p->cityId && joins.isEmpty() && leaves.isEmpty() &&
        SameParty(p->record, merged)) {
        // Nothing to change: the party keeps its edit date.
        ++result.unchanged;
        return;
    }
    Recordset one;
    one.Open(QStringLiteral("Select * from adrsmstr where adrsid like '%1'").arg(r.match.id),
             &conn_);
    WriteParty(one, merged, city);
    one.Fields("adrsedtdt") = stamp_;
    one.UpdateBatch(adAffectAllChapters);
    for (int g : joins)
        link(r.match.id, g);
    for (int g : leaves)
        conn_.Execute(QStringLiteral("delete from adrsgrpdtails where adrsconcrnid like '%1' and "
                                     "adrsgrupid like '%2'")
                          .arg(r.match.id)
                          .arg(g));
    ++result.updated;
}

void Writer::addParty(Recordset& rs, const ImportRow& r) {
    rs.AddNew();
    rs.Fields("Adrsid") = QVariant(CInt(++nextParty_));
    WriteParty(rs, r.fitted.party, cities_.Find(r.fitted.party));
    rs.Fields("adrsaddt") = stamp_;
    for (int g : groupsFor(r))
        link(nextParty_, g);
    ++result.added;
}

// New parties in batches, updated ones one by one; their links after them.
void Writer::StoreParties() {
    nextParty_ = book_.maxParty;
    Recordset rs;
    rs.Open(kPartiesSql, &conn_);
    result.ids.fill(0, rows_.size());
    for (qsizetype i = 0; i < rows_.size(); ++i) {
        const ImportRow& r = rows_[i];
        if (Stored(r)) {
            if (Updates(r)) {
                updateParty(r);
                result.ids[i] = r.match.id;
            } else {
                addParty(rs, r);
                result.ids[i] = nextParty_;
            }
        }
        tick(rs);
    }
    rs.UpdateBatch(adAffectAllChapters);
    rs.Close();
}

void Writer::StoreLinks() {
    int nextLink = book_.maxLink;
    Recordset links;
    for (qsizetype i = 0; i < newLinks_.size(); ++i) {
        if (i % 500 == 0) {
            if (i) {
                links.UpdateBatch(adAffectAllChapters);
                links.Close();
            }
            links.Open(QStringLiteral("Select * from adrsgrpdtails"), &conn_);
        }
        links.AddNew();
        links.Fields("adrsgrpid") = QVariant(CInt(++nextLink));
        links.Fields("adrsconcrnid") = QVariant(CInt(newLinks_[i].first));
        links.Fields("adrsgrupid") = QString::number(newLinks_[i].second);
    }
    if (!newLinks_.isEmpty()) {
        links.UpdateBatch(adAffectAllChapters);
        links.Close();
    }
    const int total = int(rows_.size());
    if (progress_ && !progress_(total, total)) throw ImportCancelled();
}

} // namespace

ImportResult WriteImport(Connection& conn, const QList<ImportRow>& rows,
                         const ImportOptions& options, const ImportProgress& progress) {
    Writer writer(conn, rows, options, progress);
    writer.CheckRoom();
    writer.StoreCities();
    writer.StoreGroups();
    writer.StoreParties();
    writer.StoreLinks();
    return writer.result;
}

ImportResult ApplyImport(Connection& conn, const QList<ImportRow>& rows,
                         const ImportOptions& options, const ImportProgress& progress) {
    ImportResult result;
    InTransaction(conn, [&] { result = WriteImport(conn, rows, options, progress); });
    return result;
}
