#include "party/duplicateentry.h"

#include "data/connection.h"
#include "data/recordset.h"
#include "party/duplicates.h"
#include "platform/msgbox.h"
#include "platform/vb.h"

#include <QCoreApplication>

namespace {

// The parties' normalised keys, read once and kept while the book does not
// change. The engine tells whether it changed: on a server, the sum of
// every party row's version, which any desk's change alters; for the book
// file, which this copy alone holds, the connection's count of the rows it
// has ever changed (a rolled back change too). The number of parties and
// the largest id tell another file put in place. A save the check has just
// let through changes one party: only that party is read again, when
// nothing else changed.
struct Remembered {
    const Connection* conn = nullptr;
    QString file;
    QList<QVariant> fingerprint; // change mark, number of parties, largest id
    qint64 partyMark = 0;        // the version of the party last checked (server)
    DuplicateIndex index;
    bool pending = false; // a save was let through since
    int pendingId = 0;    // the party changed, 0 for a new one
};

Remembered& Cache() {
    static Remembered cache;
    return cache;
}

QList<QVariant> Read(Connection& conn, const QString& sql) {
    Recordset rs;
    rs.Open(sql, &conn, adOpenStatic, adLockReadOnly);
    QList<QVariant> values;
    for (int c = 0; c < rs.FieldCount(); ++c)
        values.append(rs.Fields(c).Value());
    return values;
}

struct Stand {
    QList<QVariant> book; // as Remembered::fingerprint
    qint64 party = 0;     // the version of party `partyId`'s row (0: none, or not kept)
};

Stand StandOf(Connection& conn, int partyId) {
    const QString version = conn.engine().RowVersion();
    if (version.isEmpty())
        return {QList<QVariant>{conn.engine().ChangesMade()} +
                    Read(conn, QStringLiteral("Select count(*),max(adrsid) from adrsmstr")),
                0};
    QList<QVariant> values =
        Read(conn, QStringLiteral("Select cast(sum(%1) as bigint),count(*),max(adrsid),"
                                  "cast(sum(case when adrsid = %2 then %1 end) as bigint) from "
                                  "adrsmstr")
                       .arg(version)
                       .arg(partyId));
    const qint64 party = values.takeLast().toLongLong();
    return {values, party};
}

const char* const kKeyColumns = "Select adrsid,adrsname,adrsphno,adrsmobno,adrsemail from adrsmstr";

void AddRows(DuplicateIndex& index, Recordset& rs) {
    while (!rs.Eof()) {
        index.Add(rs.Fields(0).Value().toInt(),
                  PartyKeys::Of(QString(), rs.Fields(1).Str(), rs.Fields(2).Str(),
                                rs.Fields(3).Str(), rs.Fields(4).Str()));
        rs.MoveNext();
    }
}

// Reads one party's keys again; false when the change was something else.
bool RefreshOne(Connection& conn, Remembered& cache, const QList<QVariant>& now) {
    const QList<QVariant>& was = cache.fingerprint;
    if (!cache.pending || now.size() != was.size() || now.size() < 3) return false;
    const qint64 count = now[1].toLongLong(), before = was[1].toLongLong();
    int id = cache.pendingId;
    if (id == 0) {
        // A new party: one more row, under the largest id.
        if (count != before + 1 || now[2].toInt() <= was[2].toInt()) return false;
        id = now[2].toInt();
    } else if (count != before || now[2] != was[2]) {
        return false;
    }
    // On a server other desks write too: every other row must be as it was.
    if (const QString version = conn.engine().RowVersion(); !version.isEmpty()) {
        const qint64 party =
            Read(conn, QStringLiteral("Select cast(sum(%1) as bigint) from adrsmstr where "
                                      "adrsid = %2")
                           .arg(version)
                           .arg(id))
                .value(0)
                .toLongLong();
        if (now[0].toLongLong() - party != was[0].toLongLong() - cache.partyMark) return false;
    }
    cache.index.Remove(id);
    Recordset rs;
    rs.Open(QString::fromLatin1(kKeyColumns) + QStringLiteral(" where adrsid like '%1'").arg(id),
            &conn, adOpenStatic, adLockReadOnly);
    AddRows(cache.index, rs);
    return true;
}

// The index for a check of party `partyId` (0: a new one).
const DuplicateIndex& IndexOf(Connection& conn, int partyId) {
    Remembered& cache = Cache();
    const Stand now = StandOf(conn, partyId);
    const bool same = cache.conn == &conn && cache.file == conn.File();
    if (!(same && cache.fingerprint == now.book) && (!same || !RefreshOne(conn, cache, now.book))) {
        cache.index.Clear();
        Recordset rs;
        rs.Open(QString::fromLatin1(kKeyColumns), &conn, adOpenStatic, adLockReadOnly);
        AddRows(cache.index, rs);
    }
    cache.conn = &conn;
    cache.file = conn.File();
    cache.fingerprint = now.book;
    cache.partyMark = now.party;
    cache.pending = false;
    return cache.index;
}

// Only what the entry sets or changes is compared: a changed party's name,
// number or address that the book already holds for it was matched (or
// not) when it was stored, and is left out.
PartyKeys ChangedKeys(PartyKeys entered, const PartyKeys& stored) {
    for (auto key : {&PartyKeys::name, &PartyKeys::phone, &PartyKeys::mobile, &PartyKeys::email})
        if (entered.*key == stored.*key) (entered.*key).clear();
    return entered;
}

} // namespace

void ForgetDuplicateIndex() {
    Cache() = Remembered();
}

QString DuplicateQuestion(Connection& conn, const EnteredParty& party) {
    const DuplicateIndex& index = IndexOf(conn, party.id);
    const PartyKeys keys =
        ChangedKeys(PartyKeys::Of(QString(), party.name, party.phone, party.mobile, party.email),
                    index.KeysOf(party.id));
    const DuplicateMatch match = index.Find(keys, party.id);
    if (!match) return QString();
    // The party's name and city as they are now.
    Recordset rs;
    rs.Open(QStringLiteral("Select adrsname,ctyname from adrsmstr left join cscmstr on "
                           "adrsmstr.adrsctyid=cscmstr.ctyid where adrsid like '%1'")
                .arg(match.id),
            &conn, adOpenStatic, adLockReadOnly);
    if (rs.Eof()) return QString();
    const QString name = Trim(rs.Fields(0).Str()), city = Trim(rs.Fields(1).Str());
    return QCoreApplication::translate("DuplicateEntry",
                                       "A party with this %1 already exists: %2. Save anyway?")
        .arg(RuleWords(match.rule), city.isEmpty() ? name : name + QStringLiteral(", ") + city);
}

bool ConfirmNotDuplicate(Connection& conn, const EnteredParty& party, const QString& title) {
    const QString question = DuplicateQuestion(conn, party);
    const bool go = question.isEmpty() || MsgBox(question, vbYesNo + vbExclamation, title) == vbYes;
    if (go) {
        Cache().pending = true;
        Cache().pendingId = party.id;
    }
    return go;
}
