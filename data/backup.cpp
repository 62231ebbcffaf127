#include "data/backup.h"

#include "data/bookrebuild.h"
#include "data/checkchild.h"
#include "data/connection.h"
#include "data/connmodule.h"
#include "data/connstring.h"
#include "data/dberror.h"
#include "data/privatefile.h"
#include "data/recordset.h"
#include "data/schema.h"

#include <QDateTime>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QTemporaryFile>
#include <cstdio>
#include <memory>
#ifdef Q_OS_WIN
#include <windows.h>
#else
#include <csignal>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>
#endif

namespace {

QString connectionStringFor(const QString& file) {
    return ConnString::ForFile(file, QString::fromLatin1(kDatabasePassword));
}

QString journalOf(const QString& file) {
    return file + QStringLiteral("-journal");
}

// The crash tests stop the program dead at a named step of a backup or a
// restore: ADRSBOOK_KILL_AT=<step>.
void killPoint(const char* step) {
#ifndef Q_OS_WIN
    static const QByteArray at = qgetenv("ADRSBOOK_KILL_AT");
    if (!at.isEmpty() && at == step) ::raise(SIGKILL);
#else
    Q_UNUSED(step);
#endif
}

void syncFolderOf(const QString& file) {
#ifndef Q_OS_WIN
    const int fd = ::open(QFile::encodeName(QFileInfo(file).absolutePath()).constData(), O_RDONLY);
    if (fd >= 0) {
        ::fsync(fd);
        ::close(fd);
    }
#else
    Q_UNUSED(file);
#endif
}

// Copies `from` into a new file beside `to`, readable by the owner only and
// on the disk when this returns. The file goes away with the object unless
// it is put in place. `halfway` names the step after the first part is written.
std::unique_ptr<QTemporaryFile> writeBeside(const QString& from, const QString& to,
                                            const char* halfway) {
    auto out = std::make_unique<QTemporaryFile>(to + QStringLiteral(".XXXXXX"));
    if (!out->open())
        throw DbError(QStringLiteral("The file %1 could not be written: %2.")
                          .arg(QDir::toNativeSeparators(to), out->errorString()));
    MakePrivate(out->fileName());
    QFile in(from);
    if (!in.open(QIODevice::ReadOnly))
        throw DbError(QStringLiteral("The file %1 could not be read: %2.")
                          .arg(QDir::toNativeSeparators(from), in.errorString()));
    bool first = true;
    for (;;) {
        const QByteArray chunk = in.read(1 << 16);
        if (chunk.isEmpty()) break;
        if (out->write(chunk) != chunk.size())
            throw DbError(QStringLiteral("The file %1 could not be written: %2.")
                              .arg(QDir::toNativeSeparators(to), out->errorString()));
        if (first) killPoint(halfway);
        first = false;
    }
    if (in.error() != QFileDevice::NoError)
        throw DbError(QStringLiteral("The file %1 could not be read: %2.")
                          .arg(QDir::toNativeSeparators(from), in.errorString()));
    bool synced = out->flush();
#ifndef Q_OS_WIN
    synced = synced && ::fsync(out->handle()) == 0;
#endif
    if (!synced)
        throw DbError(QStringLiteral("The file %1 could not be written: %2.")
                          .arg(QDir::toNativeSeparators(to), out->errorString()));
    out->close();
    return out;
}

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
    syncFolderOf(to);
}

// Puts the finished copy in place of `to`. A journal beside `to` belongs to
// the file being replaced: it goes first, so it can never be rolled back
// into the new one.
void putInPlace(QTemporaryFile& copy, const QString& to) {
    QFile::remove(journalOf(to));
    if (QFileInfo::exists(journalOf(to)))
        throw DbError(QStringLiteral("The journal %1 could not be removed.").arg(journalOf(to)));
    replaceFile(copy.fileName(), to);
    copy.setAutoRemove(false);
}

void removeWithJournal(const QString& file) {
    QFile::remove(file);
    QFile::remove(journalOf(file));
}

// Opens the current book, which rolls back a journal a write cut short left
// beside it, then takes it for itself alone: no other program is writing
// it, so a journal still there is a cold leftover and is removed.
void settleJournal(const QString& databaseFile) {
    Connection conn;
    conn.Open(connectionStringFor(databaseFile));
    Engine& engine = conn.engine();
    engine.Run(EngineStatement{QStringLiteral("BEGIN EXCLUSIVE"), {}, {}, false}, nullptr);
    QFile::remove(journalOf(databaseFile));
    engine.Rollback();
    conn.Close();
    if (QFileInfo::exists(journalOf(databaseFile)))
        throw DbError(QStringLiteral("The address book %1 is being written by another program.")
                          .arg(databaseFile));
}

// The full check of a book this program made: every page, the engine's
// integrity check, and nothing in it but the program's own tables and indexes.
void verifyRebuilt(const QString& file) {
    Connection conn;
    conn.Open(connectionStringFor(file));
    conn.Verify();
    Recordset rs;
    rs.Open(QStringLiteral("PRAGMA integrity_check"), &conn);
    if (rs.Eof() || rs.Fields(0).Str() != QLatin1String("ok"))
        throw DbError(QStringLiteral("The restored copy %1 is damaged: %2.")
                          .arg(file, rs.Eof() ? QString() : rs.Fields(0).Str()));
    rs.Close();
    Schema::RequireOwnSchema(conn);
    conn.Close();
}

} // namespace

void Backup::VerifyDatabaseFile(const QString& file) {
    Connection conn;
    conn.Open(connectionStringFor(file));
    conn.Verify();
    Schema::RequireTables(conn);
    conn.Close();
}

bool Backup::SameFile(const QString& a, const QString& b) {
    // The real path, or for a file not there yet its folder's real path.
    auto real = [](const QString& name) {
        const QFileInfo info(name);
        const QString file = info.canonicalFilePath();
        if (!file.isEmpty()) return file;
        const QString folder = QFileInfo(info.absolutePath()).canonicalFilePath();
        return folder.isEmpty() ? info.absoluteFilePath() : folder + u'/' + info.fileName();
    };
#ifdef Q_OS_WIN
    if (real(a).compare(real(b), Qt::CaseInsensitive) == 0) return true;
#else
    if (real(a) == real(b)) return true;
    struct stat sa, sb;
    if (::stat(QFile::encodeName(a).constData(), &sa) == 0 &&
        ::stat(QFile::encodeName(b).constData(), &sb) == 0)
        return sa.st_dev == sb.st_dev && sa.st_ino == sb.st_ino;
#endif
    return false;
}

void Backup::BackupTo(Connection& conn, const QString& target) {
    if (SameFile(target, conn.File()))
        throw DbError(QStringLiteral(
            "The backup cannot be written over the address book itself. Choose another file."));
    std::unique_ptr<QTemporaryFile> copy;
    // While a read lasts no writer can commit (a commit waits until every
    // reader is done), so with a rollback journal the file holds exactly the
    // committed data while it is copied. A read needs no right to write the
    // file: a book on a read-only disk or share can be backed up too.
    InOneRead(conn, [&] {
        conn.Execute(QStringLiteral("Select count(*) from sqlite_master")); // takes the read lock
        copy = writeBeside(conn.File(), target, "backup-copying");
    });
    killPoint("backup-copied");
    VerifyDatabaseFile(copy->fileName());
    killPoint("backup-verified");
    putInPlace(*copy, target);
    killPoint("backup-replaced");
}

QString Backup::KeptCopyName(const QString& databaseFile) {
    const QFileInfo info(databaseFile);
    const QString stem = info.absolutePath() + u'/' + info.completeBaseName() +
                         QStringLiteral("-before-restore-") +
                         QDateTime::currentDateTime().toString(QStringLiteral("yyyyMMdd-HHmmss"));
    // Never an earlier kept copy: two restores within one second get two names.
    QString name = stem + u'.' + info.suffix();
    for (int n = 2; QFileInfo::exists(name); ++n)
        name = stem + QStringLiteral("-%1.").arg(n) + info.suffix();
    return name;
}

QString Backup::PrepareRestore(const QString& source, const QString& databaseFile,
                               const std::function<bool()>& waiting) {
    const QString incoming = databaseFile + QStringLiteral(".restore");
    removeWithJournal(incoming); // left by a restore that was cut short
    CheckChild::RebuildInChild(source, incoming, waiting);
    killPoint("restore-rebuilt");
    try {
        MakePrivate(incoming);
        verifyRebuilt(incoming);
        if (QFileInfo::exists(journalOf(incoming)))
            throw DbError(QStringLiteral("The restored copy %1 was not finished.").arg(incoming));
    } catch (...) {
        removeWithJournal(incoming);
        throw;
    }
    killPoint("restore-checked");
    return incoming;
}

QString Backup::SwapIn(const QString& incoming, const QString& databaseFile) {
    // The current data is kept as a copy, and the restored file then takes
    // its place in one step: a crash at any moment leaves a whole address
    // book under the usual name.
    const QString kept = KeptCopyName(databaseFile);
    try {
        settleJournal(databaseFile);
        killPoint("restore-settled");
        auto copy = writeBeside(databaseFile, kept, "restore-keeping");
        putInPlace(*copy, kept);
        killPoint("restore-kept");
        if (QFileInfo::exists(journalOf(databaseFile)))
            throw DbError(QStringLiteral("The address book %1 is being written by another program.")
                              .arg(databaseFile));
        replaceFile(incoming, databaseFile);
        killPoint("restore-swapped");
    } catch (...) {
        removeWithJournal(incoming);
        QFile::remove(kept);
        throw;
    }
    return kept;
}

QString Backup::RestoreFrom(const QString& source, const QString& databaseFile) {
    return SwapIn(PrepareRestore(source, databaseFile), databaseFile);
}

void Backup::Discard(const QString& incoming) {
    removeWithJournal(incoming);
}

void Backup::PutBack(const QString& kept, const QString& databaseFile) {
    auto copy = writeBeside(kept, databaseFile, "putback-copying");
    putInPlace(*copy, databaseFile);
}
