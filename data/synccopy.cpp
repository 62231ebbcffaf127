#include "data/synccopy.h"

#include "data/dberror.h"
#include "data/resulttable.h"
#include "data/syncstore.h"
#include "data/synctables.h"

#include <algorithm>

namespace {

struct Table {
    const char* name;
    const char* columns; // the key first
};
constexpr Table kTables[] = {
    {"adrssyncset", "setname, setvalue"},
    {"adrssynccard", "carduid, cardadrsid, cardpartyuid, cardhref, cardetag, cardbase"},
};

// Every row as its values' texts (Null apart from empty), in key order.
QList<QStringList> rowsOf(Connection& conn, const Table& t) {
    ResultTable r;
    SyncTables::Run(
        conn,
        QStringLiteral("SELECT %1 FROM %2").arg(QLatin1String(t.columns), QLatin1String(t.name)),
        {}, &r);
    QList<QStringList> rows;
    for (int i = 0; i < r.RowCount(); ++i) {
        QStringList row;
        for (int c = 0; c < r.ColumnCount(); ++c)
            row << (r.IsNull(i, c) ? QStringLiteral("\x01") : r.Value(i, c).toString());
        rows << row;
    }
    std::sort(rows.begin(), rows.end(),
              [](const QStringList& a, const QStringList& b) { return a.first() < b.first(); });
    return rows;
}

bool anyRows(Connection& conn) {
    ResultTable r;
    SyncTables::Run(conn,
                    QStringLiteral("SELECT (SELECT count(*) FROM adrssyncset) + (SELECT count(*) "
                                   "FROM adrssynccard)"),
                    {}, &r);
    return r.RowCount() && r.Value(0, 0).toLongLong() > 0;
}

void copyTable(Connection& from, Connection& to, const Table& t) {
    ResultTable r;
    SyncTables::Run(
        from,
        QStringLiteral("SELECT %1 FROM %2").arg(QLatin1String(t.columns), QLatin1String(t.name)),
        {}, &r);
    QStringList marks;
    for (int c = 1; c <= r.ColumnCount(); ++c)
        marks << u'$' + QString::number(c);
    const QString insert =
        QStringLiteral("INSERT INTO %1 (%2) VALUES (%3)")
            .arg(QLatin1String(t.name), QLatin1String(t.columns), marks.join(QStringLiteral(", ")));
    for (int i = 0; i < r.RowCount(); ++i) {
        QVariantList values;
        for (int c = 0; c < r.ColumnCount(); ++c)
            values << r.Value(i, c);
        SyncTables::Run(to, insert, values);
    }
}

} // namespace

void SyncCopy::Write(Connection& from, Connection& to) {
    if (SyncStore::HasTables(to))
        for (const Table& t : kTables)
            SyncTables::Run(to, QStringLiteral("DELETE FROM ") + QLatin1String(t.name));
    if (!SyncStore::HasTables(from) || !anyRows(from)) return;
    SyncStore::EnsureTables(to);
    for (const Table& t : kTables) {
        copyTable(from, to, t);
        if (rowsOf(from, t) != rowsOf(to, t))
            throw DbError(QStringLiteral("The copy of the table %1 differs from %2.")
                              .arg(QLatin1String(t.name), from.Where()));
    }
}

QStringList SyncCopy::TablesOf(Connection& conn) {
    return SyncStore::HasTables(conn) ? SyncTables::Names() : QStringList();
}
