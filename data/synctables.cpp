#include "data/synctables.h"

#include "data/connection.h"
#include "data/dberror.h"
#include "data/pgengine.h"
#include "data/resulttable.h"
#include "data/schema.h"
#include "data/syncstore.h"

#include <QRegularExpression>

namespace SyncTables {

const QStringList& Names() {
    static const QStringList names{QStringLiteral("adrssyncset"), QStringLiteral("adrssynccard")};
    return names;
}

const QStringList& ServerStatements() {
    static const QStringList statements{
        QStringLiteral("CREATE TABLE adrssyncset (setname text PRIMARY KEY, setvalue text)"),
        QStringLiteral("CREATE TABLE adrssynccard (carduid text PRIMARY KEY, cardadrsid integer, "
                       "cardpartyuid text, cardhref text, cardetag text, cardbase text)"),
    };
    return statements;
}

QStringList FileStatements() {
    QStringList out;
    for (const QString& s : Schema::OptionalStatements())
        for (const QString& table : Names())
            if (s.contains(u' ' + table + u' ')) out << s;
    return out;
}

QStringList EnsureStatements(Connection& conn) {
    // The file records each statement without "IF NOT EXISTS", so the book
    // holds exactly the optional statements the schema check knows.
    static const QRegularExpression create(QStringLiteral("^CREATE (TABLE|UNIQUE INDEX) "));
    QStringList out;
    for (const QString& s : OnServer(conn) ? ServerStatements() : FileStatements())
        out << QString(s).replace(create, QStringLiteral("CREATE \\1 IF NOT EXISTS "));
    return out;
}

QString OwnerAdvice(const QString& user) {
    return QStringLiteral("The database's owner makes them with: %1; GRANT SELECT, INSERT, "
                          "UPDATE, DELETE ON %2 TO %3")
        .arg(ServerStatements().join(QStringLiteral("; ")), Names().join(QStringLiteral(", ")),
             user);
}

bool OnServer(Connection& conn) {
    return dynamic_cast<PgEngine*>(&conn.engine()) != nullptr;
}

qint64 Run(Connection& conn, const QString& sql, const QVariantList& params, ResultTable* rows) {
    return conn.Run(EngineStatement{sql, params, {}, false}, rows);
}

} // namespace SyncTables

namespace {
QString currentUser(Connection& conn) {
    ResultTable r;
    SyncTables::Run(conn, QStringLiteral("SELECT current_user"), {}, &r);
    QString user = r.RowCount() ? r.Text(0, 0) : QString();
    if (!QRegularExpression(QStringLiteral("^[a-z_][a-z0-9_]*$")).match(user).hasMatch())
        user = u'"' + user.replace(u'"', QLatin1String("\"\"")) + u'"';
    return user;
}
} // namespace

bool SyncStore::HasTables(Connection& conn) {
    const QString names = QStringLiteral("'adrssyncset', 'adrssynccard'");
    ResultTable r;
    SyncTables::Run(conn,
                    SyncTables::OnServer(conn)
                        ? QStringLiteral("SELECT count(to_regclass(t)) FROM (VALUES "
                                         "('adrssyncset'), ('adrssynccard')) AS v(t)")
                        : QStringLiteral("SELECT count(*) FROM sqlite_master WHERE type = "
                                         "'table' AND name IN (%1)")
                              .arg(names),
                    {}, &r);
    return r.RowCount() && r.Value(0, 0).toInt() == SyncTables::Names().size();
}

void SyncStore::EnsureTables(Connection& conn) {
    if (HasTables(conn)) return;
    const QStringList statements = SyncTables::EnsureStatements(conn);
    if (!SyncTables::OnServer(conn)) {
        SyncTables::Writing(conn, [&] {
            for (const QString& s : statements)
                SyncTables::Run(conn, s);
        });
        return;
    }
    // A desk's user usually may only use the book's tables, not make new ones.
    const QString user = currentUser(conn);
    try {
        SyncTables::Writing(conn, [&] {
            for (const QString& s : statements)
                SyncTables::Run(conn, s);
        });
    } catch (const DbError& e) {
        // Another desk may have made them meanwhile (not to be asked inside
        // a transaction the failure has ended).
        if (!conn.InTransaction() && HasTables(conn)) return;
        throw DbError(QStringLiteral("The tables that keep the sync state are not in the %1, and "
                                     "this desk may not make them (%2). %3")
                          .arg(conn.Where(), e.message(), SyncTables::OwnerAdvice(user)));
    }
}
