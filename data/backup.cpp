#include "data/backup.h"

#include "data/connection.h"
#include "data/connmodule.h"
#include "data/connstring.h"
#include "data/dberror.h"
#include "data/schema.h"

#include <QDateTime>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <cstdio>
#ifdef Q_OS_WIN
#include <windows.h>
#endif

namespace {

QString connectionStringFor(const QString& file) {
    return ConnString::ForFile(file, QString::fromLatin1(kDatabasePassword));
}

void copyFile(const QString& from, const QString& to) {
    QFile::remove(to);
    QFile source(from);
    if (!source.copy(to)) {
        QFile::remove(to);
        throw DbError(QStringLiteral("The file %1 could not be copied to %2: %3.")
                          .arg(from, to, source.errorString()));
    }
}

} // namespace

void Backup::VerifyDatabaseFile(const QString& file) {
    Connection conn;
    conn.Open(connectionStringFor(file));
    conn.Verify();
    Schema::RequireTables(conn);
    conn.Close();
}

void Backup::BackupTo(Connection& conn, const QString& target) {
    const QString partial = target + QStringLiteral(".partial");
    // While a read lasts no writer can commit (a commit waits until every
    // reader is done), so with a rollback journal the file holds exactly the
    // committed data while it is copied. A read needs no right to write the
    // file: a book on a read-only disk or share can be backed up too.
    InOneRead(conn, [&] {
        conn.Execute(QStringLiteral("Select count(*) from sqlite_master")); // takes the read lock
        copyFile(conn.File(), partial);
    });
    try {
        VerifyDatabaseFile(partial);
        QFile::remove(target);
        if (!QFile::rename(partial, target))
            throw DbError(QStringLiteral("The backup could not be written as %1.").arg(target));
    } catch (...) {
        QFile::remove(partial);
        throw;
    }
}

QString Backup::KeptCopyName(const QString& databaseFile) {
    const QFileInfo info(databaseFile);
    return info.absolutePath() + u'/' + info.completeBaseName() +
           QStringLiteral("-before-restore-") +
           QDateTime::currentDateTime().toString(QStringLiteral("yyyyMMdd-HHmmss")) + u'.' +
           info.suffix();
}

namespace {
// Puts `from` in the place of `to` in one step: at every moment `to` is
// either the old file or the new one, never missing.
void replaceFile(const QString& from, const QString& to) {
#ifdef Q_OS_WIN
    const bool ok =
        MoveFileExW(reinterpret_cast<const wchar_t*>(QDir::toNativeSeparators(from).utf16()),
                    reinterpret_cast<const wchar_t*>(QDir::toNativeSeparators(to).utf16()),
                    MOVEFILE_REPLACE_EXISTING | MOVEFILE_WRITE_THROUGH);
#else
    const bool ok =
        std::rename(QFile::encodeName(from).constData(), QFile::encodeName(to).constData()) == 0;
#endif
    if (!ok)
        throw DbError(QStringLiteral("The file %1 could not be put in place of %2.").arg(from, to));
}
} // namespace

QString Backup::RestoreFrom(const QString& source, const QString& databaseFile) {
    VerifyDatabaseFile(source);
    const QString incoming = databaseFile + QStringLiteral(".restore");
    copyFile(source, incoming);
    try {
        VerifyDatabaseFile(incoming);
    } catch (...) {
        QFile::remove(incoming);
        throw;
    }
    // The current data is kept as a copy, and the restored file then takes
    // its place in one step: a crash at any moment leaves a whole address
    // book under the usual name.
    const QString kept = KeptCopyName(databaseFile);
    try {
        copyFile(databaseFile, kept);
        replaceFile(incoming, databaseFile);
    } catch (...) {
        QFile::remove(incoming);
        QFile::remove(kept);
        throw;
    }
    return kept;
}

void Backup::PutBack(const QString& kept, const QString& databaseFile) {
    const QString back = databaseFile + QStringLiteral(".putback");
    copyFile(kept, back);
    replaceFile(back, databaseFile);
}
