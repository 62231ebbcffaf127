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

// What a book may hold beyond what CreateDatabase makes, as the file engine
// records the statements: the program makes each when it first needs what it
// makes, so older books, and their backups, lack some or all of them.
const char* const kOptional[] = {
    "CREATE INDEX adrsmstr_adrsctyid ON adrsmstr (adrsctyid)", // see data/bookindexes.cpp
    // The sync state with a contacts server (data/syncstore.h): its settings,
    // one row per setting, and one row per synced card. Their names are
    // unique through indexes of their own: the key SQLite makes for a
    // constraint has no statement to compare.
    "CREATE TABLE adrssyncset (setname TEXT, setvalue TEXT)",
    "CREATE UNIQUE INDEX adrssyncset_setname ON adrssyncset (setname)",
    "CREATE TABLE adrssynccard (carduid TEXT, cardadrsid INTEGER, cardpartyuid TEXT, cardhref "
    "TEXT, "
    "cardetag TEXT, cardbase TEXT)",
    "CREATE UNIQUE INDEX adrssynccard_carduid ON adrssynccard (carduid)",
};
} // namespace

const QStringList& Schema::OptionalStatements() {
    static const QStringList statements = [] {
        QStringList list;
        for (const char* s : kOptional)
            if (s) list << QString::fromLatin1(s);
        return list;
    }();
    return statements;
}

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
    // The base statements first, as made; then only known optional ones,
    // each at most once.
    bool own = found.mid(0, made.size()) == made;
    QStringList rest = found.mid(made.size());
    for (const QString& s : rest)
        if (!OptionalStatements().contains(s) || rest.count(s) > 1) own = false;
    if (!own)
        throw DbError(QStringLiteral("The database file %1 does not hold the address book's own "
                                     "tables and indexes, and nothing else.")
                          .arg(conn.File()));
}
