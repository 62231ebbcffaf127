#include "data/schema.h"

#include "data/connection.h"
#include "data/connstring.h"
#include "data/dberror.h"
#include "data/recordset.h"
#include "data/sqlcipherengine.h"

#include <QFile>

namespace {
// Texts compare and sort without regard to letter case; dates are stored as
// "yyyy-MM-dd HH:mm:ss" text.
const char* const kCreate[] = {
    "CREATE TABLE cscmstr (ctyid INTEGER, ctyname TEXT COLLATE NOCASE, statename TEXT COLLATE "
    "NOCASE, "
    "contryname TEXT COLLATE NOCASE, addt TEXT, edtdt TEXT, deldt TEXT, delstatus INTEGER)",
    "CREATE TABLE adrsgrupmstr (grpid INTEGER, grpname TEXT COLLATE NOCASE)",
    "CREATE TABLE adrsmstr (adrsid INTEGER, adrsname TEXT COLLATE NOCASE, adrscontact TEXT COLLATE "
    "NOCASE, "
    "adrs1 TEXT COLLATE NOCASE, adrs2 TEXT COLLATE NOCASE, adrs3 TEXT COLLATE NOCASE, adrsctyid "
    "INTEGER, "
    "adrspin TEXT COLLATE NOCASE, adrscstno TEXT COLLATE NOCASE, adrsphno TEXT COLLATE NOCASE, "
    "adrsmobno TEXT COLLATE NOCASE, adrsfax TEXT COLLATE NOCASE, adrsemail TEXT COLLATE NOCASE, "
    "adrsweb TEXT COLLATE NOCASE, adrsnotes TEXT COLLATE NOCASE, adrsaddt TEXT, adrsedtdt TEXT, "
    "adrsdelstatus INTEGER)",
    "CREATE TABLE adrsgrpdtails (adrsgrpid INTEGER, adrsconcrnid INTEGER, adrsgrupid TEXT COLLATE "
    "NOCASE)",
    "CREATE INDEX cscmstr_ctyid ON cscmstr (ctyid)",
    "CREATE INDEX adrsgrupmstr_grpid ON adrsgrupmstr (grpid)",
    "CREATE INDEX adrsmstr_adrsid ON adrsmstr (adrsid)",
    "CREATE INDEX adrsmstr_adrsname ON adrsmstr (adrsname)",
    "CREATE INDEX adrsgrpdtails_adrsgrpid ON adrsgrpdtails (adrsgrpid)",
    "CREATE INDEX adrsgrpdtails_adrsconcrnid ON adrsgrpdtails (adrsconcrnid)",
    "CREATE INDEX adrsgrpdtails_adrsgrupid ON adrsgrpdtails (adrsgrupid)",
};
} // namespace

void Schema::CreateDatabase(const QString& file, const QString& password) {
    SqlCipherEngine::CreateFile(file, password);
    try {
        Connection conn;
        conn.Open(ConnString::ForFile(file, password));
        InTransaction(conn, [&] {
            for (const char* statement : kCreate)
                conn.Execute(QString::fromLatin1(statement));
        });
    } catch (...) {
        QFile::remove(file);
        throw;
    }
}

void Schema::RequireTables(Connection& conn) {
    const QStringList missing = conn.engine().MissingTables();
    if (!missing.isEmpty())
        throw DbError(QStringLiteral("The %1 is not an address book: it has no table %2.")
                          .arg(conn.File().isEmpty()
                                   ? conn.Where()
                                   : QStringLiteral("database file ") + conn.File(),
                               missing.first()));
}

void Schema::RequireOwnSchema(Connection& conn) {
    QStringList made;
    for (const char* statement : kCreate)
        made << QString::fromLatin1(statement);
    QStringList found;
    Recordset rs;
    rs.Open(QStringLiteral("Select sql from sqlite_master order by rowid"), &conn);
    for (; !rs.Eof(); rs.MoveNext())
        found << rs.Fields(0).Str();
    if (found != made)
        throw DbError(QStringLiteral("The database file %1 does not hold the address book's own "
                                     "tables and indexes, and nothing else.")
                          .arg(conn.File()));
}
