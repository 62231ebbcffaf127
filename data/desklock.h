#pragma once
// Which desks have the address book on a database server open. Every
// connection holds, for as long as it lasts, a shared lock on the book and
// a shared lock naming its desk (one number per running program). These are
// the server's advisory locks: they need no table and no rights, and every
// user sees every session's advisory locks, whatever login it uses. A
// restore takes the book's lock exclusively, which only succeeds while no
// other connection holds the shared one.

#include <QByteArray>
#include <QString>

namespace DeskLock {

// Taken right after a connection is made (and again after a reconnect):
// waits while a restore holds the book.
QByteArray HoldSql();
// One row, one column: 1 when the book's lock was taken exclusively until
// the transaction ends, 0 when another connection holds it.
QString TryExclusiveSql();
// One row: the other desks connected (each once, however many connections
// it has) and this desk's other connections.
QString CountSql();

// One row, one column: 1 when this connection took the lock of the sync
// with a contacts server (held until released or the session ends), 0 when
// another connection holds it. ReleaseSyncSql() lets it go.
QString TrySyncSql();
QString ReleaseSyncSql();

// This program's number among the desks.
qint32 ThisDesk();

} // namespace DeskLock
