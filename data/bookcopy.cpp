#include "data/bookcopy.h"

#include "data/connection.h"
#include "data/dberror.h"
#include "data/recordset.h"
#include "data/schema.h"
#include "data/synccopy.h"

#include <QCryptographicHash>
#include <QDateTime>

namespace BookCopy {

namespace {
QString allRows(const QString& table) {
    return QStringLiteral("Select * from ") + table + QStringLiteral(" order by ") +
           Schema::KeyColumn(table);
}

QString canonical(const Field& f) {
    if (f.IsNull()) return QStringLiteral("\x01");
    const QVariant v = f.Value();
    if (v.typeId() == QMetaType::LongLong || v.typeId() == QMetaType::Int)
        return QString::number(v.toLongLong());
    return f.Str();
}
} // namespace

QList<TableSummary> Summarise(Connection& conn) {
    QList<TableSummary> out;
    for (const QString& table : Schema::Tables()) {
        Recordset rs;
        rs.Open(allRows(table), &conn);
        QCryptographicHash hash(QCryptographicHash::Sha256);
        TableSummary s;
        s.table = table;
        for (; !rs.Eof(); rs.MoveNext()) {
            ++s.rows;
            for (int c = 0; c < rs.FieldCount(); ++c) {
                const Field f = rs.Fields(c);
                hash.addData((f.Name().toLower() + u'=' + canonical(f) + u'\x1f').toUtf8());
            }
            hash.addData("\x1e");
        }
        s.digest = hash.result().toHex();
        out.append(s);
    }
    return out;
}

void RequireEmpty(Connection& conn) {
    for (const QString& table : Schema::Tables()) {
        Recordset count;
        count.Open(QStringLiteral("Select count(*) from ") + table, &conn);
        if (count.Fields(0).Value().toLongLong() != 0)
            throw DbError(QStringLiteral("The table %1 of %2 is not empty: a book is copied only "
                                         "into an empty one.")
                              .arg(table, conn.Where()));
    }
}

void WriteRows(Connection& from, Connection& to) {
    for (const QString& table : Schema::Tables()) {
        Recordset source, target;
        source.Open(allRows(table), &from);
        target.Open(QStringLiteral("Select * from ") + table, &to);
        for (; !source.Eof(); source.MoveNext()) {
            target.AddNew();
            for (int c = 0; c < source.FieldCount(); ++c) {
                const Field f = source.Fields(c);
                target.Fields(f.Name()) = f.Value();
            }
        }
        target.UpdateBatch();
    }
    SyncCopy::Write(from, to);
}

void CopyRows(Connection& from, Connection& to) {
    RequireEmpty(to);
    InTransaction(to, [&] { WriteRows(from, to); });
}

} // namespace BookCopy
