#include "data/serverbackup.h"

#include "data/bookcopy.h"
#include "data/connection.h"
#include "data/connmodule.h"
#include "data/connstring.h"
#include "data/dberror.h"
#include "data/desklock.h"
#include "data/recordset.h"
#include "data/schema.h"
#include "data/synccopy.h"
#include "data/userfile.h"
#include "data/wholefile.h"

#include <QFile>
#include <QThread>

namespace ServerBackup {

namespace {
QString fileConnection(const QString& file) {
    return ConnString::ForFile(file, QString::fromLatin1(kDatabasePassword));
}

void requireSame(Connection& a, Connection& b) {
    const auto x = BookCopy::Summarise(a), y = BookCopy::Summarise(b);
    for (int i = 0; i < x.size(); ++i)
        if (!(x[i] == y[i]))
            throw DbError(QStringLiteral("The copy of the table %1 differs from %2 (%3 rows, %4 "
                                         "in the copy).")
                              .arg(x[i].table, a.Where())
                              .arg(x[i].rows)
                              .arg(y[i].rows));
}
} // namespace

namespace {
void writeBook(Connection& conn, const QString& target) {
    // The engine writes the new book itself, under the new file's name.
    WholeFile out(target);
    out.HandOver();
    const QString partial = out.NewName();
    QFile::remove(partial);
    try {
        Schema::CreateDatabase(partial, QString::fromLatin1(kDatabasePassword));
        Connection file;
        file.Open(fileConnection(partial));
        conn.BeginSnapshot();
        try {
            InTransaction(file, [&] { BookCopy::WriteRows(conn, file); });
            requireSame(conn, file);
            conn.EndSnapshot();
        } catch (...) {
            conn.RollbackTrans();
            throw;
        }
        file.Close();
        QFile::remove(partial + QStringLiteral("-journal"));
        out.Commit();
    } catch (...) {
        QFile::remove(partial + QStringLiteral("-journal"));
        throw;
    }
}
} // namespace

void BackupTo(Connection& conn, const QString& target) {
    writeBook(conn, UserFile::Check(target, BookBesideProgram()));
}

void KeepAs(Connection& conn, const QString& kept) {
    writeBook(conn, kept);
}

namespace {
// Who else holds the book's lock: other desks, and this desk's other
// connections.
struct Others {
    int desks = 0, own = 0;
};

Others othersConnected(Connection& conn) {
    Recordset rs;
    rs.Open(DeskLock::CountSql(), &conn);
    return {rs.Fields(0).Value().toInt(), rs.Fields(1).Value().toInt()};
}

[[noreturn]] void refuse(const Others& others) {
    const int desks = others.desks, own = others.own;
    QString who;
    if (desks > 0)
        who = QStringLiteral("The address book is open on %1 other desk%2")
                  .arg(desks)
                  .arg(desks == 1 ? QString() : QStringLiteral("s"));
    if (own > 0)
        who += (who.isEmpty() ? QStringLiteral("This desk has %1 other connection%2 to the "
                                               "address book open")
                              : QStringLiteral(", and this desk has %1 other connection%2 to it"))
                   .arg(own)
                   .arg(own == 1 ? QString() : QStringLiteral("s"));
    if (who.isEmpty()) who = QStringLiteral("Another desk has just opened the address book");
    throw DbError(who + QStringLiteral(". A restore replaces the data of every desk: close the "
                                       "address book on every other desk first. Nothing has "
                                       "been changed."));
}
} // namespace

void RequireNoOtherDesk(Connection& conn) {
    Others others = othersConnected(conn);
    // A connection this desk has just closed ends on the server a moment
    // later: it is given that moment.
    for (int tries = 0; others.desks == 0 && others.own > 0 && tries < 30; ++tries) {
        QThread::msleep(100);
        others = othersConnected(conn);
    }
    if (others.desks > 0 || others.own > 0) refuse(others);
}

void RestoreFrom(Connection& conn, const QString& book) {
    Connection file;
    file.Open(fileConnection(book));
    Schema::RequireTables(file);
    InTransaction(conn, [&] {
        // Every connected desk holds the book's lock shared; it is taken
        // exclusively, whatever login each desk uses, until the restore
        // ends. A desk that connects meanwhile waits.
        {
            Recordset alone;
            alone.Open(DeskLock::TryExclusiveSql(), &conn);
            if (alone.Fields(0).Value().toInt() != 1) refuse(othersConnected(conn));
        }
        // No other desk may read or write meanwhile.
        const QStringList tables = Schema::Tables();
        conn.Execute(QStringLiteral("LOCK TABLE ") +
                     (tables + SyncCopy::TablesOf(conn)).join(QStringLiteral(", ")) +
                     QStringLiteral(" IN ACCESS EXCLUSIVE MODE NOWAIT"));
        for (const QString& table : tables)
            conn.Execute(QStringLiteral("Delete * from ") + table);
        BookCopy::WriteRows(file, conn);
        requireSame(file, conn);
    });
}

} // namespace ServerBackup
