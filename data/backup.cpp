#include "data/backup.h"

#include "data/connection.h"
#include "data/connmodule.h"
#include "data/dberror.h"
#include "data/schema.h"

#include <QDateTime>
#include <QFile>
#include <QFileInfo>

namespace {

QString connectionStringFor(const QString& file) {
    return QStringLiteral("PROVIDER=SQLCipher;Data Source=%1;Jet OLEDB:Database Password='%2';")
        .arg(file, QString::fromLatin1(kDatabasePassword));
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
    const QString kept = KeptCopyName(databaseFile);
    if (!QFile::rename(databaseFile, kept)) {
        QFile::remove(incoming);
        throw DbError(QStringLiteral("The current database %1 could not be set aside as %2.")
                          .arg(databaseFile, kept));
    }
    if (!QFile::rename(incoming, databaseFile)) {
        QFile::rename(kept, databaseFile);
        QFile::remove(incoming);
        throw DbError(
            QStringLiteral("The restored file could not be put in place of %1.").arg(databaseFile));
    }
    return kept;
}
