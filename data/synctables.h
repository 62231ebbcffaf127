#pragma once
// The two tables that keep the sync state with a contacts server inside the
// book, so that a backup carries it: what they are called, how each engine
// makes them, and the plain statements the sync store runs on them. Older
// books lack them until the first sync makes them.

#include "data/connection.h"

#include <QString>
#include <QStringList>
#include <QVariantList>

namespace SyncTables {

// adrssyncset (one row per setting) and adrssynccard (one row per card).
const QStringList& Names();
// The statements that make them (and their indexes) in a book file, as the
// file records them: those of Schema::OptionalStatements() that are theirs.
QStringList FileStatements();
// The statements that make them on a database server, as its owner runs
// them (the book's set-up runs them with the four tables).
const QStringList& ServerStatements();
// The same on the engine of `conn`, made to leave tables already there alone.
QStringList EnsureStatements(Connection& conn);
// What the owner of the server's database runs so that the desk user `user`
// has the tables and may use them.
QString OwnerAdvice(const QString& user);

// True when `conn` is a database server rather than a book file.
bool OnServer(Connection& conn);
// Runs one statement as written (valid on both engines, values bound to
// $1, $2 ... in the order they first appear). Before a write, the deferred
// snapshots are taken, as for every write.
qint64 Run(Connection& conn, const QString& sql, const QVariantList& params = {},
           ResultTable* rows = nullptr);

// Runs `work` in the transaction open on `conn`, or in one of its own.
template <class Work> void Writing(Connection& conn, Work&& work) {
    if (conn.InTransaction())
        work();
    else
        InTransaction(conn, work);
}

} // namespace SyncTables
