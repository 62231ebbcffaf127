#pragma once
// Reading an address book file back after a child process worked on it:
// opened as the program opens it (every page read and checked), then the
// engine's full integrity check, and a digest of every row of the four
// tables. Also the path of the child process and a way to run it.

#include "data/connection.h"
#include "data/connmodule.h"
#include "data/connstring.h"
#include "data/recordset.h"
#include "data/schema.h"

#include <QCryptographicHash>
#include <QFile>
#include <QProcess>
#include <QStringList>
#include <sys/stat.h>

inline QString BookConnectionString(const QString& file) {
    return ConnString::ForFile(file, QString::fromLatin1(kDatabasePassword));
}

// Opens `file` as start-up does; a file that is damaged anywhere, or that
// lacks a table, raises a DbError here.
inline void OpenBookFile(Connection& conn, const QString& file) {
    conn.Open(BookConnectionString(file));
    conn.Verify();
    Schema::RequireTables(conn);
}

inline QList<QStringList> ReadRows(Connection& conn, const QString& sql) {
    QList<QStringList> rows;
    Recordset rs;
    rs.Open(sql, &conn);
    for (; !rs.Eof(); rs.MoveNext()) {
        QStringList row;
        for (int c = 0; c < rs.FieldCount(); ++c)
            row << (rs.Fields(c).IsNull() ? QStringLiteral("<null>") : rs.Fields(c).Str());
        rows << row;
    }
    return rows;
}

// "ok", or what the engine's full check found.
inline QString IntegrityCheck(Connection& conn) {
    QStringList found;
    for (const QStringList& row : ReadRows(conn, QStringLiteral("PRAGMA integrity_check")))
        found << row.join(u' ');
    return found.join(u'\n');
}

// Every row of the four tables in row order, as one SHA-256 digest.
inline QByteArray RowsDigest(Connection& conn) {
    QCryptographicHash hash(QCryptographicHash::Sha256);
    for (const QString& table : Schema::Tables()) {
        hash.addData(table.toUtf8());
        for (const QStringList& row :
             ReadRows(conn, QStringLiteral("Select * from %1 order by rowid").arg(table)))
            hash.addData(row.join(QChar(0x1f)).toUtf8() + '\x1e');
    }
    return hash.result().toHex();
}

// Opens, checks and digests `file`; the text says what was wrong, if anything.
struct FileState {
    QString problem; // empty when the file opened and passed the full check
    QByteArray digest;
};
inline FileState CheckBookFile(const QString& file) {
    FileState state;
    try {
        Connection conn;
        OpenBookFile(conn, file);
        const QString check = IntegrityCheck(conn);
        if (check != QLatin1String("ok"))
            state.problem = QStringLiteral("integrity check: ") + check;
        state.digest = RowsDigest(conn);
    } catch (const std::exception& e) {
        state.problem = QString::fromUtf8(e.what());
    }
    return state;
}

// The bytes of a file, as one SHA-256 digest.
inline QByteArray FileDigest(const QString& file) {
    QFile f(file);
    if (!f.open(QIODevice::ReadOnly)) return QByteArray("<unreadable>");
    return QCryptographicHash::hash(f.readAll(), QCryptographicHash::Sha256).toHex();
}

// The permission bits of a file (0600: the owner's only), -1 when it is not there.
inline int ModeOf(const QString& file) {
    struct stat st;
    return ::stat(QFile::encodeName(file).constData(), &st) == 0 ? int(st.st_mode & 0777) : -1;
}

// The child process built beside the tests (tests/support/savechild.cxx).
inline QString SaveChildPath() {
    return QStringLiteral(ADRSBOOK_SAVECHILD);
}
