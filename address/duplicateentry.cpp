#include "address/duplicateentry.h"

#include "data/connection.h"
#include "data/recordset.h"
#include "importexport/duplicates.h"
#include "platform/msgbox.h"
#include "platform/vb.h"

namespace {

// The parties' normalised keys, read once and kept while the book does not
// change. The connection counts every row it has ever changed (a rolled
// back change too), so any write through it since the keys were read shows;
// the number of parties and the largest id tell another file put in place.
// A save the check has just let through changes one party: only that party
// is read again.
struct Remembered {
    const Connection* conn = nullptr;
    QString file;
    QList<QVariant> fingerprint;
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

QList<QVariant> Fingerprint(Connection& conn) {
    try {
        return Read(conn,
                    QStringLiteral("Select total_changes(),count(*),max(adrsid) from adrsmstr"));
    } catch (const std::exception&) {
        // An engine without a change count: the stamps tell edits apart.
        return Read(conn, QStringLiteral("Select 0,count(*),max(adrsid),max(adrsaddt),"
                                         "max(adrsedtdt) from adrsmstr"));
    }
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
    cache.index.Remove(id);
    Recordset rs;
    rs.Open(QString::fromLatin1(kKeyColumns) + QStringLiteral(" where adrsid like '%1'").arg(id),
            &conn, adOpenStatic, adLockReadOnly);
    AddRows(cache.index, rs);
    return true;
}

const DuplicateIndex& IndexOf(Connection& conn) {
    Remembered& cache = Cache();
    const QList<QVariant> now = Fingerprint(conn);
    const bool same = cache.conn == &conn && cache.file == conn.File();
    if (same && cache.fingerprint == now) return cache.index;
    if (!same || !RefreshOne(conn, cache, now)) {
        cache.index.Clear();
        Recordset rs;
        rs.Open(QString::fromLatin1(kKeyColumns), &conn, adOpenStatic, adLockReadOnly);
        AddRows(cache.index, rs);
    }
    cache.conn = &conn;
    cache.file = conn.File();
    cache.fingerprint = now;
    cache.pending = false;
    return cache.index;
}

} // namespace

void ForgetDuplicateIndex() {
    Cache() = Remembered();
}

QString DuplicateQuestion(Connection& conn, const EnteredParty& party) {
    const PartyKeys keys =
        PartyKeys::Of(QString(), party.name, party.phone, party.mobile, party.email);
    const DuplicateMatch match = IndexOf(conn).Find(keys, party.id);
    if (!match) return QString();
    // The party's name and city as they are now.
    Recordset rs;
    rs.Open(QStringLiteral("Select adrsname,ctyname from adrsmstr left join cscmstr on "
                           "adrsmstr.adrsctyid=cscmstr.ctyid where adrsid like '%1'")
                .arg(match.id),
            &conn, adOpenStatic, adLockReadOnly);
    if (rs.Eof()) return QString();
    const QString name = Trim(rs.Fields(0).Str()), city = Trim(rs.Fields(1).Str());
    return QStringLiteral("A party with this %1 already exists: %2. Save anyway?")
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
