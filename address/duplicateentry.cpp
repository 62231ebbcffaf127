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
struct Remembered {
    const Connection* conn = nullptr;
    QString file;
    QList<QVariant> fingerprint;
    DuplicateIndex index;
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
        return Read(conn, QStringLiteral("Select count(*),max(adrsid),max(adrsaddt),"
                                         "max(adrsedtdt) from adrsmstr"));
    }
}

const DuplicateIndex& IndexOf(Connection& conn) {
    Remembered& cache = Cache();
    const QList<QVariant> now = Fingerprint(conn);
    if (cache.conn == &conn && cache.file == conn.File() && cache.fingerprint == now)
        return cache.index;
    cache.index.Clear();
    Recordset rs;
    rs.Open(QStringLiteral("Select adrsid,adrsname,adrsphno,adrsmobno,adrsemail from adrsmstr"),
            &conn, adOpenStatic, adLockReadOnly);
    while (!rs.Eof()) {
        cache.index.Add(rs.Fields(0).Value().toInt(),
                        PartyKeys::Of(QString(), rs.Fields(1).Str(), rs.Fields(2).Str(),
                                      rs.Fields(3).Str(), rs.Fields(4).Str()));
        rs.MoveNext();
    }
    cache.conn = &conn;
    cache.file = conn.File();
    cache.fingerprint = now;
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
    return question.isEmpty() || MsgBox(question, vbYesNo + vbExclamation, title) == vbYes;
}
