// Faults while writing: the application folder read-only, and the disk
// full. A child process works the windows under the fault (saves, changes
// and deletes in the three registers, a backup, two prints, a restore);
// every one must report its failure in a message box, none may claim
// success, and the database must be left as it was, row for row, passing
// the engine's full check. Also a restore from a keyed file that lacks one
// of the tables.

#include "app/bookfile.h"
#include "app/frmmainmdi.h"
#include "data/backup.h"
#include "data/booklock.h"
#include "platform/filedialogs.h"
#include "platform/msgbox.h"
#include "support/fixture.h"
#include "support/scripted.h"
#include "support/testmain.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QTemporaryDir>
#include <QTest>

#include <sys/stat.h>
#include <unistd.h>

namespace {

// Root writes through any file mode, so the child that meets a read-only
// folder runs as the user nobody: the folder and file become nobody's, and
// the modes then bind it as they would bind the owner of the book.
void GiveToChild(const QString& path) {
    if (::geteuid() == 0) QVERIFY(::chown(QFile::encodeName(path).constData(), 65534, 65534) == 0);
}
void Mode(const QString& path, mode_t mode) {
    QVERIFY(::chmod(QFile::encodeName(path).constData(), mode) == 0);
}

// The address book every fault run starts from: cities, groups, parties
// with their memberships, enough rows that the file spans many pages.
void SeedBook(TestBook& book) {
    InTransaction(*Conn, [&] {
        book.Exec(QStringLiteral(
            "insert into cscmstr (ctyid, ctyname, statename, contryname, delstatus) values "
            "(1, 'LUDHIANA', 'PUNJAB', 'INDIA', 0), (2, 'PUNE', 'MAHARASHTRA', 'INDIA', 0)"));
        book.Exec(QStringLiteral(
            "insert into adrsgrupmstr (grpid, grpname) values (1, 'CUSTOMERS'), (2, 'SUPPLIERS')"));
        book.Exec(QStringLiteral(
            "insert into adrsmstr (adrsid, adrsname, adrscontact, adrs1, adrsctyid, adrsnotes, "
            "adrsdelstatus) values (1, 'ALPHA TRADERS', 'RAVI', '12 MAIN ROAD', 1, 'FIRST', 0)"));
        book.Exec(QStringLiteral(
            "insert into adrsgrpdtails (adrsgrpid, adrsconcrnid, adrsgrupid) values (1, 1, '1')"));
        for (int id = 2; id <= 600; ++id) {
            book.Exec(QStringLiteral(
                          "insert into adrsmstr (adrsid, adrsname, adrs1, adrsctyid, adrsnotes, "
                          "adrsdelstatus) values (%1, 'PARTY %1', 'ROAD %1', %2, '%3', 0)")
                          .arg(id)
                          .arg(id % 2 + 1)
                          .arg(QString(100, QChar(u'A' + id % 26))));
            book.Exec(
                QStringLiteral("insert into adrsgrpdtails (adrsgrpid, adrsconcrnid, adrsgrupid) "
                               "values (%1, %1, '%2')")
                    .arg(id)
                    .arg(id % 2 + 1));
        }
    });
}

struct ChildRun {
    QMap<QString, QList<QPair<int, QString>>> boxes; // action -> (icon, prompt)
    QStringList problems;                            // transactions left open, rows not found...
    QStringList actions;
    bool ended = false;
};

ChildRun ReadRun(const QByteArray& output) {
    ChildRun run;
    for (const QByteArray& raw : output.split('\n')) {
        const QString line = QString::fromUtf8(raw);
        if (line.startsWith(QLatin1String("ACTION "))) {
            run.actions << line.mid(7);
        } else if (line.startsWith(QLatin1String("BOX "))) {
            const QStringList parts = line.mid(4).split(u'\t');
            run.boxes[parts.value(0)].append({parts.value(1).toInt(), parts.value(2)});
        } else if (line == QLatin1String("END")) {
            run.ended = true;
        } else if (!line.isEmpty()) {
            run.problems << line;
        }
    }
    return run;
}

// Each action and the start of the report it must give.
const QList<QPair<QString, QString>>& ExpectedReports() {
    static const QList<QPair<QString, QString>> reports{
        {"city-new", "Invalid Input"},
        {"city-change", "Invalid Input"},
        {"city-delete", "The city could not be deleted."},
        {"group-new", "Invalid Input"},
        {"group-change", "Invalid Input"},
        {"group-delete", "The group could not be deleted."},
        {"party-new", "The party could not be saved."},
        {"party-change", "The party could not be saved."},
        {"party-delete", "The party could not be deleted."},
        {"backup", "The backup could not be made."},
        {"print", "The print file could not be written."},
        {"print-contact", "The contact person could not be saved, so nothing was printed."},
        {"restore", "The restore failed: the address book is unchanged."},
    };
    return reports;
}

const QStringList kSuccess{"Record has been Saved", "Record has been updated",
                           "Record has been Deleted", "The address book has been backed up",
                           "The address book has been restored"};

} // namespace

class WriteFaultTests : public QObject {
    Q_OBJECT
  private slots:
    void everyWriteFailsVisiblyAndChangesNothing_data() {
        QTest::addColumn<QString>("fault");
        QTest::addColumn<bool>("fileReadOnly");
        QTest::addColumn<QStringList>("runs"); // the actions of each child run; "" for all
        QTest::addColumn<bool>("journalLeft");
        const QStringList all{QString()};
        // The folder read-only: no journal, backup or print file can be made there.
        QTest::newRow("folder read-only") << "readonly" << false << all << false;
        // The folder and the file read-only, as on a share mounted read-only.
        QTest::newRow("folder and file read-only") << "readonly" << true << all << false;
        // The disk full: no file may grow by a byte.
        QTest::newRow("disk full") << "fsize=0" << false << all << false;
        // The disk fills once the journal holds one page (of 1 KiB). The
        // print file, smaller than that, still fits.
        QTest::newRow("disk full in the journal")
            << "fsize=1600" << false
            << QStringList{"city-new,city-change,city-delete,group-new,group-change,group-delete,"
                           "party-new,"
                           "party-change,party-delete,backup,print-contact,restore"}
            << false;
        // The journal is written whole, but the party's pages at the end of
        // the file cannot be: the file is half written when the save fails,
        // and its journal puts it back. Rolling it back needs the room the
        // disk lacks, so until then the file cannot be read again: each save
        // runs in a process of its own and the file is checked after each.
        QTest::newRow("disk full in the database")
            << "fsize=65536" << false << QStringList{"party-new", "party-change"} << true;
    }

    void everyWriteFailsVisiblyAndChangesNothing() {
        QFETCH(QString, fault);
        QFETCH(bool, fileReadOnly);
        QFETCH(QStringList, runs);
        QFETCH(bool, journalLeft);
        TestBook book;
        SeedBook(book);
        QTemporaryDir elsewhere; // the backup of a disk-full run goes outside the book's folder
        const QString restoreSource = elsewhere.filePath(QStringLiteral("saved.mdb"));
        Backup::BackupTo(*Conn, restoreSource);
        CloseConns();
        const QString file = book.File();
        const FileState before = CheckBookFile(file);
        QVERIFY2(before.problem.isEmpty(), qPrintable(before.problem));
        const QByteArray bytesBefore = FileDigest(file);
        const QStringList filesBefore = QDir(book.Folder()).entryList(QDir::Files);
        const QByteArray sourceBefore = FileDigest(restoreSource);

        const bool readOnly = fault == QLatin1String("readonly");
        const QString backupTarget = readOnly ? book.Path(QStringLiteral("backup.mdb"))
                                              : elsewhere.filePath(QStringLiteral("backup.mdb"));
        Mode(elsewhere.path(), 0755);
        Mode(restoreSource, 0644);
        if (readOnly) {
            GiveToChild(book.Folder());
            GiveToChild(file);
        }
        for (const QString& only : runs) {
            if (readOnly) {
                Mode(file, fileReadOnly ? 0444 : 0644);
                Mode(book.Folder(), 0555);
            }
            QProcess child;
            QStringList args{QStringLiteral("faults"), book.Folder(), fault, backupTarget,
                             restoreSource};
            if (!only.isEmpty()) args << only;
            child.start(SaveChildPath(), args);
            const bool finished = child.waitForFinished(60000);
            Mode(book.Folder(), 0755);
            Mode(file, 0644);
            QVERIFY(finished);
            const ChildRun run = ReadRun(child.readAllStandardOutput());
            QVERIFY2(run.ended && child.exitCode() == 0,
                     qPrintable(run.problems.join(u'\n') +
                                QString::fromUtf8(child.readAllStandardError())));
            QVERIFY2(run.problems.isEmpty(), qPrintable(run.problems.join(u'\n')));

            for (const auto& [action, report] : ExpectedReports()) {
                if (!only.isEmpty() && !only.split(u',').contains(action)) continue;
                QVERIFY2(run.actions.contains(action), qPrintable(action));
                QStringList shown;
                bool reported = false;
                for (const auto& [icon, prompt] : run.boxes.value(action)) {
                    shown << prompt;
                    if (icon == vbCritical && prompt.startsWith(report)) reported = true;
                    for (const QString& success : kSuccess)
                        QVERIFY2(!prompt.startsWith(success),
                                 qPrintable(action + QStringLiteral(": ") + prompt));
                }
                QVERIFY2(reported, qPrintable(action + QStringLiteral(" showed: ") +
                                              shown.join(QStringLiteral(" | "))));
            }

            // A book that cannot be written is said so once, at start-up.
            if (readOnly) {
                const auto atStart = run.boxes.value(QStringLiteral("start"));
                QVERIFY2(atStart.size() == 1 &&
                             atStart.first().second.contains(QStringLiteral("opened read-only")),
                         qPrintable(QString::number(atStart.size())));
            }

            // Opened again with room to write, the file is as it was; a
            // journal the failure left behind is rolled back first.
            QCOMPARE(QFileInfo(file + QStringLiteral("-journal")).size() > 0, journalLeft);
            const FileState after = CheckBookFile(file);
            QVERIFY2(after.problem.isEmpty(),
                     qPrintable(only + QStringLiteral(": ") + after.problem));
            QCOMPARE(after.digest, before.digest);
            if (readOnly || fault == QLatin1String("fsize=0"))
                QCOMPARE(FileDigest(file), bytesBefore);
            QStringList filesAfter = QDir(book.Folder()).entryList(QDir::Files);
            filesAfter.removeAll(QStringLiteral("A.TXT")); // a print that failed may leave it empty
            QCOMPARE(filesAfter, filesBefore);
            QCOMPARE(FileDigest(restoreSource), sourceBefore); // read, never written
        }
    }

    // A backup only reads the book: one that cannot be written to is still
    // backed up to a folder that can.
    void aReadOnlyBookIsStillBackedUp() {
        TestBook book;
        SeedBook(book);
        CloseConns();
        const QString file = book.File();
        const FileState before = CheckBookFile(file);
        QTemporaryDir elsewhere;
        const QString target = elsewhere.filePath(QStringLiteral("backup.mdb"));
        GiveToChild(elsewhere.path());
        GiveToChild(book.Folder());
        GiveToChild(file);
        Mode(file, 0444);
        Mode(book.Folder(), 0555);
        QProcess child;
        child.start(SaveChildPath(),
                    {QStringLiteral("faults"), book.Folder(), QStringLiteral("readonly"), target,
                     target, QStringLiteral("backup")});
        const bool finished = child.waitForFinished(60000);
        Mode(book.Folder(), 0755);
        Mode(file, 0644);
        QVERIFY(finished);
        const ChildRun run = ReadRun(child.readAllStandardOutput());
        QVERIFY2(run.ended && run.problems.isEmpty(), qPrintable(run.problems.join(u'\n')));
        QCOMPARE(run.boxes.value(QStringLiteral("backup")).size(), 1);
        const auto& [icon, prompt] = run.boxes.value(QStringLiteral("backup")).first();
        QVERIFY2(icon == vbInformation &&
                     prompt.startsWith(QStringLiteral("The address book has been backed up")),
                 qPrintable(prompt));
        const FileState copy = CheckBookFile(target);
        QVERIFY2(copy.problem.isEmpty(), qPrintable(copy.problem));
        QCOMPARE(copy.digest, before.digest);
    }

    void restoreFromAKeyedFileWithoutATableIsRefused_data() {
        QTest::addColumn<QString>("table");
        for (const QString& table : Schema::Tables())
            QTest::newRow(qPrintable(table)) << table;
    }

    void restoreFromAKeyedFileWithoutATableIsRefused() {
        QFETCH(QString, table);
        TestBook book;
        FrmMainMdi main;
        QVERIFY(main.MDIForm_Load());
        book.Exec(QStringLiteral("insert into adrsgrupmstr (grpid, grpname) values (1, 'KEPT')"));
        QTemporaryDir elsewhere;
        const QString source = elsewhere.filePath(QStringLiteral("partial.mdb"));
        CreateBookFile(source);
        {
            Connection conn;
            conn.Open(BookConnectionString(source));
            conn.Execute(QStringLiteral("DROP TABLE ") + table);
        }
        const QByteArray sourceBytes = FileDigest(source);
        const QByteArray bookBytes = FileDigest(book.File());

        FileDialogs::Scripted dialogs;
        ScriptedMsgBoxes boxes;
        dialogs.answers << source;
        main.Rtsr->trigger();
        QCOMPARE(boxes.calls.size(), 1); // refused before the question
        QCOMPARE(boxes.Last().Icon(), int(vbCritical));
        QVERIFY2(boxes.Last().prompt.contains(QStringLiteral("nothing has been changed")),
                 qPrintable(boxes.Last().prompt));
        QVERIFY2(boxes.Last().prompt.contains(QStringLiteral("has no table ") + table),
                 qPrintable(boxes.Last().prompt));
        QCOMPARE(book.Rows(QStringLiteral("Select grpname from adrsgrupmstr")),
                 (QList<QStringList>{{"KEPT"}}));
        QCOMPARE(FileDigest(book.File()), bookBytes);
        QCOMPARE(FileDigest(source), sourceBytes);
        // The book and, while the program has it open, its lock and marker.
        QCOMPARE(QDir(book.Folder()).entryList(QDir::Files),
                 (QStringList{QString::fromLatin1(kDatabaseFileName),
                              BookLock::LockPath(QString::fromLatin1(kDatabaseFileName)),
                              BookLock::MarkerPath(QString::fromLatin1(kDatabaseFileName))}));
    }
};

ADRSBOOK_TEST(WriteFaultTests)
#include "tst_writefaults.moc"
