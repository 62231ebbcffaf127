// Crash safety of Backup and Restore: the program, working the real menu
// in a child process, is stopped dead (SIGKILL) at each named step of a
// backup and of a restore. After each kill the book, the earlier backup or
// the new one, and any kept copy all pass the engine's full check and hold
// the data they should; whatever was left behind is the owner's only. And
// a journal left by a write cut short never reaches the restored book.

#include "app/bookfile.h"
#include "data/backup.h"
#include "support/fixture.h"
#include "support/testmain.h"

#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <QTest>
#include <sqlite3.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

namespace {

// Parties with long notes, so the book spans many pages and a copy is cut
// off in its middle.
void Seed(TestBook& book, int parties) {
    InTransaction(*Conn, [&] {
        book.Exec(QStringLiteral("insert into cscmstr (ctyid, ctyname, delstatus) values (1, "
                                 "'LUDHIANA', 0)"));
        book.Exec(QStringLiteral("insert into adrsgrupmstr (grpid, grpname) values (1, 'ONE')"));
        for (int id = 1; id <= parties; ++id) {
            book.Exec(
                QStringLiteral("insert into adrsmstr (adrsid, adrsname, adrsctyid, "
                               "adrsnotes, adrsdelstatus) values (%1, 'PARTY %1', 1, '%2', 0)")
                    .arg(id)
                    .arg(QString(300, QChar(u'A' + id % 26))));
            book.Exec(QStringLiteral("insert into adrsgrpdtails (adrsgrpid, adrsconcrnid, "
                                     "adrsgrupid) values (%1, %1, '1')")
                          .arg(id));
        }
    });
}

QString Checked(const QString& file, const QByteArray& digest) {
    const FileState state = CheckBookFile(file);
    if (!state.problem.isEmpty()) return file + QStringLiteral(": ") + state.problem;
    if (state.digest != digest) return file + QStringLiteral(": other rows than expected");
    return {};
}

} // namespace

class BackupKillTests : public QObject {
    Q_OBJECT
  private slots:
    void aKillAtEachStepLeavesWholeFiles_data() {
        QTest::addColumn<QString>("action");
        QTest::addColumn<QString>("step");
        QTest::addColumn<bool>("done"); // the new file is in place by then
        for (const char* step : {"backup-copying", "backup-copied", "backup-verified"})
            QTest::newRow(step) << "backup" << step << false;
        QTest::newRow("backup-replaced") << "backup"
                                         << "backup-replaced" << true;
        for (const char* step : {"restore-rebuilt", "restore-checked", "restore-settled",
                                 "restore-keeping", "restore-kept"})
            QTest::newRow(step) << "restore" << step << false;
        QTest::newRow("restore-swapped") << "restore"
                                         << "restore-swapped" << true;
    }

    void aKillAtEachStepLeavesWholeFiles() {
        QFETCH(QString, action);
        QFETCH(QString, step);
        QFETCH(bool, done);
        TestBook book;
        Seed(book, 300);
        // The backup of the first state is both the earlier backup and the
        // file restored from; the book then moves on.
        QTemporaryDir elsewhere;
        const QString saved = elsewhere.filePath(QStringLiteral("saved.mdb"));
        const QString backup = elsewhere.filePath(QStringLiteral("backup.mdb"));
        Backup::BackupTo(*Conn, saved);
        Backup::BackupTo(*Conn, backup);
        book.Exec(QStringLiteral("delete from adrsmstr where adrsid > 200"));
        CloseConns();
        const QByteArray first = CheckBookFile(saved).digest;
        const QByteArray current = CheckBookFile(book.File()).digest;
        QVERIFY(first != current);
        const QByteArray savedBytes = FileDigest(saved);
        const QStringList before = QDir(book.Folder()).entryList(QDir::Files) +
                                   QDir(elsewhere.path()).entryList(QDir::Files);

        QProcess child;
        QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
        env.insert(QStringLiteral("ADRSBOOK_KILL_AT"), step);
        child.setProcessEnvironment(env);
        child.start(SaveChildPath(), {QStringLiteral("faults"), book.Folder(),
                                      QStringLiteral("none"), backup, saved, action});
        QVERIFY(child.waitForFinished(60000));
        QVERIFY2(child.exitStatus() == QProcess::CrashExit,
                 qPrintable(QString::fromUtf8(child.readAllStandardOutput() +
                                              child.readAllStandardError())));

        const bool restored = action == QLatin1String("restore") && done;
        const bool replaced = action == QLatin1String("backup") && done;
        QString problem = Checked(book.File(), restored ? first : current);
        QVERIFY2(problem.isEmpty(), qPrintable(problem));
        QVERIFY(!QFile::exists(book.File() + QStringLiteral("-journal")));
        problem = Checked(backup, replaced ? current : first);
        QVERIFY2(problem.isEmpty(), qPrintable(problem));
        QCOMPARE(FileDigest(saved), savedBytes);
        const QStringList kept =
            QDir(book.Folder()).entryList({QStringLiteral("adrsbookHXS-before-restore-*.mdb")});
        QCOMPARE(kept.size(), step == QLatin1String("restore-kept") || restored ? 1 : 0);
        for (const QString& copy : kept) {
            problem = Checked(book.Path(copy), current);
            QVERIFY2(problem.isEmpty(), qPrintable(problem));
        }
        // What the program wrote, finished or cut off, is the owner's only
        // (a lock file beside the book holds no data).
        for (const QDir& folder : {QDir(book.Folder()), QDir(elsewhere.path())})
            for (const QString& name : folder.entryList(QDir::Files))
                if ((!before.contains(name) && !name.endsWith(QLatin1String(".lock")) &&
                     !name.endsWith(QLatin1String(".open"))) ||
                    (restored && name == QLatin1String("adrsbookHXS.mdb")) ||
                    (replaced && name == QLatin1String("backup.mdb")))
                    QVERIFY2(ModeOf(folder.filePath(name)) == 0600, qPrintable(name));
    }

    // Another program killed in the middle of a write leaves a journal
    // beside the book. Restore rolls it back into the book before keeping
    // a copy of it, and it never meets the restored file.
    void aJournalLeftBesideTheBookNeverReachesTheRestoredOne() {
        TestBook book;
        Seed(book, 300);
        QTemporaryDir elsewhere;
        const QString saved = elsewhere.filePath(QStringLiteral("saved.mdb"));
        book.Exec(QStringLiteral("delete from adrsmstr where adrsid > 100"));
        Backup::BackupTo(*Conn, saved);
        book.Exec(QStringLiteral("insert into adrsgrupmstr (grpid, grpname) values (2, 'TWO')"));
        CloseConns();
        const QString file = book.File();
        const QByteArray current = CheckBookFile(file).digest;

        // A write with a small cache spills changed pages into the file
        // before the end; the writer dies there.
        const pid_t writer = ::fork();
        if (writer == 0) {
            sqlite3* db = nullptr;
            sqlite3_open_v2(QFile::encodeName(file).constData(), &db, SQLITE_OPEN_READWRITE,
                            nullptr);
            sqlite3_key(db, kDatabasePassword, int(qstrlen(kDatabasePassword)));
            sqlite3_exec(db,
                         "PRAGMA cache_size=5; BEGIN; UPDATE adrsmstr SET adrsnotes = 'HALF "
                         "WRITTEN'; UPDATE adrsgrpdtails SET adrsgrupid = '9';",
                         nullptr, nullptr, nullptr);
            ::_exit(0);
        }
        int status = 0;
        QCOMPARE(::waitpid(writer, &status, 0), writer);
        QVERIFY(QFileInfo(file + QStringLiteral("-journal")).size() > 0);

        const QString kept = Backup::RestoreFrom(saved, file);
        QVERIFY(!QFile::exists(file + QStringLiteral("-journal")));
        QVERIFY(!QFile::exists(kept + QStringLiteral("-journal")));
        QString problem = Checked(file, CheckBookFile(saved).digest);
        QVERIFY2(problem.isEmpty(), qPrintable(problem));
        problem = Checked(kept, current);
        QVERIFY2(problem.isEmpty(), qPrintable(problem));
    }
};

ADRSBOOK_TEST(BackupKillTests)
#include "tst_backupkills.moc"
