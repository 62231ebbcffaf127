#include "data/fewmatch.h"

#include <sqlite3.h>

namespace {

// The first row of `sql` (with `pattern` bound to ?1, when given) as two
// numbers; false when it gives none.
bool Numbers(sqlite3* db, const QString& sql, qint64 out[2], const QByteArray& pattern = {}) {
    sqlite3_stmt* stmt = nullptr;
    const QByteArray utf8 = sql.toUtf8();
    bool read = false;
    if (sqlite3_prepare_v2(db, utf8.constData(), int(utf8.size()), &stmt, nullptr) == SQLITE_OK &&
        (pattern.isNull() || sqlite3_bind_text(stmt, 1, pattern.constData(), int(pattern.size()),
                                               SQLITE_TRANSIENT) == SQLITE_OK) &&
        sqlite3_step(stmt) == SQLITE_ROW) {
        out[0] = sqlite3_column_int64(stmt, 0);
        out[1] = sqlite3_column_count(stmt) > 1 ? sqlite3_column_int64(stmt, 1) : 0;
        read = true;
    }
    sqlite3_finalize(stmt);
    return read;
}

QString Quoted(const QString& name) {
    return u'"' + QString(name).replace(u'"', QStringLiteral("\"\"")) + u'"';
}

} // namespace

bool FewMatch::FewRows(sqlite3* db, const QString& table, const QString& column,
                       const QString& pattern) {
    if (!db || table.isEmpty()) return false;
    qint64 n[2] = {0, 0};
    // The largest row id bounds the rows without reading them.
    if (!Numbers(db, QStringLiteral("SELECT max(_rowid_) FROM ") + Quoted(table), n) ||
        n[0] > kLargestCounted)
        return false;
    const QString count = QStringLiteral("SELECT count(*), total(%2 LIKE ?1) FROM %1")
                              .arg(Quoted(table), Quoted(column));
    QByteArray bound = pattern.toUtf8();
    if (bound.isNull()) bound = QByteArray(""); // an empty pattern, not a missing one
    if (!Numbers(db, count, n, bound)) return false;
    return n[0] > 0 && n[1] * 10 < n[0];
}
