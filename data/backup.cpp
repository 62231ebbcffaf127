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

#include "data/userfile.h"
#include "data/wholefile.h"

#include <QDateTime>
#include <QDir>
#include <QFile>
#include <QFileInfo>

namespace {

QString connectionStringFor(const QString& file) {
    return ConnString::ForFile(file, QString::fromLatin1(kDatabasePassword));
}

QString journalOf(const QString& file) {
    return file + QStringLiteral("-journal");
}

std::function<void(const char*)>& stepHook() {
    static std::function<void(const char*)> hook;
    return hook;
}

// A named step of a backup or a restore is reached (the crash tests stop
// the program dead there).
void reachStep(const char* step) {
    if (stepHook()) stepHook()(step);
}

// Copies `from` into `out` and finishes it: on the disk when this returns.
// `halfway` names the step after the first part is written.
void copyInto(const QString& from, WholeFile& out, const char* halfway) {
    QFile in(from);
    if (!in.open(QIODevice::ReadOnly))
        throw DbError(QStringLiteral("The file %1 could not be read: %2.")
                          .arg(QDir::toNativeSeparators(from), in.errorString()));
    bool first = true;
    for (;;) {
        const QByteArray chunk = in.read(1 << 16);
        if (chunk.isEmpty()) break;
        out.Write(chunk);
        if (first) reachStep(halfway);
        first = false;
    }
    if (in.error() != QFileDevice::NoError)
        throw DbError(QStringLiteral("The file %1 could not be read: %2.")
                          .arg(QDir::toNativeSeparators(from), in.errorString()));
    out.Finish();
}

// Puts the finished copy in place of its target. A journal beside the
// target belongs to the file being replaced: it goes first, so it can never
// be rolled back into the new one.
void putInPlace(WholeFile& copy) {
    const QString journal = journalOf(copy.Target());
    QFile::remove(journal);
    if (QFileInfo::exists(journal))
        throw DbError(QStringLiteral("The journal %1 could not be removed.").arg(journal));
    copy.Commit();
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

void Backup::SetStepHook(std::function<void(const char*)> hook) {
    stepHook() = std::move(hook);
}

void Backup::VerifyDatabaseFile(const QString& file) {
    Connection conn;
    conn.Open(connectionStringFor(file));
    conn.Verify();
    Schema::RequireTables(conn);
    conn.Close();
}

void Backup::BackupTo(Connection& conn, const QString& target) {
    WholeFile copy(UserFile::Check(target, conn.File()));
    // While a read lasts no writer can commit (a commit waits until every
    // reader is done), so with a rollback journal the file holds exactly the
    // committed data while it is copied. A read needs no right to write the
    // file: a book on a read-only disk or share can be backed up too.
    InOneRead(conn, [&] {
        conn.Execute(QStringLiteral("Select count(*) from sqlite_master")); // takes the read lock
        copyInto(conn.File(), copy, "backup-copying");
    });
    reachStep("backup-copied");
    VerifyDatabaseFile(copy.NewName());
    reachStep("backup-verified");
    putInPlace(copy);
    reachStep("backup-replaced");
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
    // The rebuilt book goes beside the current one. A leftover of a restore
    // that was cut short goes first, unless it is the very file chosen: what
    // the user chose is never deleted or changed.
    QString incoming = databaseFile + QStringLiteral(".restore");
    for (int n = 2;
         UserFile::SameFile(source, incoming) || UserFile::SameFile(source, journalOf(incoming));
         ++n)
        incoming = databaseFile + QStringLiteral(".restore%1").arg(n);
    removeWithJournal(incoming);
    CheckChild::RebuildInChild(source, incoming, waiting);
    reachStep("restore-rebuilt");
    try {
        MakePrivate(incoming);
        verifyRebuilt(incoming);
        if (QFileInfo::exists(journalOf(incoming)))
            throw DbError(QStringLiteral("The restored copy %1 was not finished.").arg(incoming));
    } catch (...) {
        removeWithJournal(incoming);
        throw;
    }
    reachStep("restore-checked");
    return incoming;
}

QString Backup::SwapIn(const QString& incoming, const QString& databaseFile) {
    // The current data is kept as a copy, and the restored file then takes
    // its place in one step: a crash at any moment leaves a whole address
    // book under the usual name.
    const QString kept = KeptCopyName(databaseFile);
    try {
        settleJournal(databaseFile);
        reachStep("restore-settled");
        WholeFile copy(kept);
        copyInto(databaseFile, copy, "restore-keeping");
        putInPlace(copy);
        reachStep("restore-kept");
        if (QFileInfo::exists(journalOf(databaseFile)))
            throw DbError(QStringLiteral("The address book %1 is being written by another program.")
                              .arg(databaseFile));
        ReplaceFile(incoming, databaseFile);
        reachStep("restore-swapped");
    } catch (...) {
        removeWithJournal(incoming);
        QFile::remove(kept);
        throw;
    }
    return kept;
}

Backup::Unsaveable Backup::FindUnsaveable(const QString& book) {
    Connection conn;
    conn.Open(connectionStringFor(book));
    auto ids = [&](const QString& sql) {
        QList<int> found;
        Recordset rs;
        for (rs.Open(sql, &conn); !rs.Eof(); rs.MoveNext())
            found << rs.Fields(0).Value().toInt();
        return found;
    };
    Unsaveable parties;
    parties.noCity = ids(
        QStringLiteral("Select adrsid from adrsmstr where adrsctyid is null or adrsctyid not in "
                       "(Select ctyid from cscmstr where ctyid is not null) order by adrsid"));
    parties.noGroup = ids(QStringLiteral(
        "Select adrsid from adrsmstr where adrsid not in (Select adrsconcrnid from adrsgrpdtails "
        "inner join adrsgrupmstr on cast(adrsgrpdtails.adrsgrupid as integer) = "
        "adrsgrupmstr.grpid where adrsconcrnid is not null) order by adrsid"));
    conn.Close();
    return parties;
}

QString Backup::RestoreFrom(const QString& source, const QString& databaseFile) {
    return SwapIn(PrepareRestore(source, databaseFile), databaseFile);
}

void Backup::Discard(const QString& incoming) {
    removeWithJournal(incoming);
}

void Backup::PutBack(const QString& kept, const QString& databaseFile) {
    WholeFile copy(databaseFile);
    copyInto(kept, copy, "putback-copying");
    putInPlace(copy);
}
