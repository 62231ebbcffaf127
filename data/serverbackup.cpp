#include "data/serverbackup.h"

#include "data/bookcopy.h"
#include "data/connection.h"
#include "data/connmodule.h"
#include "data/connstring.h"
#include "data/dberror.h"
#include "data/recordset.h"
#include "data/schema.h"
#include "data/userfile.h"
#include "data/wholefile.h"

#include <QFile>

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

int OtherDesks(Connection& conn) {
    Recordset rs;
    rs.Open(QStringLiteral("Select count(*) from pg_stat_activity where datname = "
                           "current_database() and pid <> pg_backend_pid() and backend_type = "
                           "'client backend'"),
            &conn);
    return rs.Fields(0).Value().toInt();
}

void RestoreFrom(Connection& conn, const QString& book) {
    Connection file;
    file.Open(fileConnection(book));
    Schema::RequireTables(file);
    const int others = OtherDesks(conn);
    if (others > 0)
        throw DbError(QStringLiteral("%1 other connection(s) to the address book are open. A "
                                     "restore replaces the data of every desk: close the address "
                                     "book on every other desk first. Nothing has been changed.")
                          .arg(others));
    InTransaction(conn, [&] {
        // No other desk may read or write meanwhile; one that connects now waits.
        QStringList tables = Schema::Tables();
        conn.Execute(QStringLiteral("LOCK TABLE ") + tables.join(QStringLiteral(", ")) +
                     QStringLiteral(" IN ACCESS EXCLUSIVE MODE NOWAIT"));
        for (const QString& table : tables)
            conn.Execute(QStringLiteral("Delete * from ") + table);
        BookCopy::WriteRows(file, conn);
        requireSame(file, conn);
    });
}

} // namespace ServerBackup
