#include "data/bookindexes.h"

#include "data/connection.h"
#include "data/recordset.h"

namespace {

struct Index {
    const char* name;
    const char* create; // sqlite_master records it without "IF NOT EXISTS"
};

// The parties of a city: a City Wise search of a rare value finds the few
// matching cities first and their parties by this index.
const Index kIndexes[] = {
    {"adrsmstr_adrsctyid", "CREATE INDEX IF NOT EXISTS adrsmstr_adrsctyid ON adrsmstr (adrsctyid)"},
};

bool Has(Connection& conn, const char* name) {
    Recordset rs;
    rs.Open(QStringLiteral("Select count(*) from sqlite_master where type='index' and name='") +
                QLatin1String(name) + QStringLiteral("'"),
            &conn, adOpenStatic, adLockReadOnly);
    return rs.Fields(0).Value().toLongLong() > 0;
}

} // namespace

void BookIndexes::Add(Connection& conn) {
    if (conn.File().isEmpty() || conn.ReadOnly()) return;
    for (const Index& index : kIndexes) {
        try {
            if (!Has(conn, index.name)) conn.Execute(QString::fromLatin1(index.create));
        } catch (const std::exception&) {
            // Busy or not writable after all: the book works without it.
        }
    }
}
