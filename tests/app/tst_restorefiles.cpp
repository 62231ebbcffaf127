// Restore from files made by another program: each is read by the child
// process and either refused with the table, the row and the reason, the
// address book left byte for byte as it was, or rebuilt into a book that
// holds the program's own tables and nothing else. The child surviving a
// crash, a hang and a runaway allocation. Backups never written over the
// book, through any spelling of its path, and private files.

#include "app/bookfile.h"
#include "app/frmmainmdi.h"
#include "data/backup.h"
#include "data/booklock.h"
#include "data/bookrebuild.h"
#include "data/checkchild.h"
#include "platform/filedialogs.h"
#include "platform/msgbox.h"
#include "support/fixture.h"
#include "support/scripted.h"
#include "support/testmain.h"

#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QScopeGuard>
#include <QTemporaryDir>
#include <QTest>
#include <sqlite3.h>
#include <sys/stat.h>
#include <unistd.h>

namespace {

// Runs statements on a keyed book file as another program could: the raw
// engine, no checks. Returns the engine's complaint, if any.
QString RunRaw(const QString& file, const QStringList& statements) {
    sqlite3* db = nullptr;
    const QByteArray path = file.toUtf8();
    if (sqlite3_open_v2(path.constData(), &db, SQLITE_OPEN_READWRITE, nullptr) != SQLITE_OK)
        return QStringLiteral("cannot open");
    sqlite3_key(db, kDatabasePassword, int(qstrlen(kDatabasePassword)));
    QString error;
    for (const QString& statement : statements) {
        char* message = nullptr;
        if (sqlite3_exec(db, statement.toUtf8().constData(), nullptr, nullptr, &message) !=
            SQLITE_OK) {
            error = statement + QStringLiteral(": ") + QString::fromUtf8(message);
            sqlite3_free(message);
            break;
        }
    }
    sqlite3_close(db);
    return error;
}

// A small book another program could have written: two cities, two
// groups, three parties and their links.
const QStringList kSeed{
    "insert into cscmstr (ctyid, ctyname, statename, contryname, addt, delstatus) values "
    "(1, 'LUDHIANA', 'PUNJAB', 'INDIA', '2026-01-15 10:30:00', 0), (2, 'PUNE', 'MAHARASHTR', "
    "'INDIA', null, 1)",
    "insert into adrsgrupmstr (grpid, grpname) values (1, 'CUSTOMERS'), (2, 'SUPPLIERS')",
    "insert into adrsmstr (adrsid, adrsname, adrsctyid, adrsphno, adrsnotes, adrsaddt, "
    "adrsdelstatus) values (1, 'ALPHA', 1, ' 0161 ', 'FIRST', '2026-01-15 10:30:00', 0), "
    "(2, 'BETA', 2, null, '', '', 0), (3, 'GAMMA', 1, '98', null, null, 0)",
    "insert into adrsgrpdtails (adrsgrpid, adrsconcrnid, adrsgrupid) values (1, 1, '1'), "
    "(2, 2, '2'), (3, 3, '1'), (4, 3, '2')",
};

// Makes `file` the seeded book, then changes it with `craft`.
void Craft(const QString& file, const QStringList& craft) {
    static QTemporaryDir made;
    const QString seeded = made.filePath(QStringLiteral("seeded.mdb"));
    if (!QFile::exists(seeded)) {
        CreateBookFile(seeded);
        const QString error = RunRaw(seeded, kSeed);
        QVERIFY2(error.isEmpty(), qPrintable(error));
    }
    QVERIFY(QFile::copy(seeded, file));
    const QString error = RunRaw(file, craft);
    QVERIFY2(error.isEmpty(), qPrintable(error));
}

// A table of the seeded book made again with other columns, rows copied.
QStringList Remake(const QString& table, const QString& create, const QString& columns) {
    return {QStringLiteral("ALTER TABLE %1 RENAME TO old_%1").arg(table), create,
            QStringLiteral("INSERT INTO %1 (%2) SELECT %2 FROM old_%1").arg(table, columns),
            QStringLiteral("DROP TABLE old_%1").arg(table)};
}

const QString kPartyColumns = QStringLiteral(
    "adrsid, adrsname, adrscontact, adrs1, adrs2, adrs3, adrsctyid, adrspin, adrscstno, "
    "adrsphno, adrsmobno, adrsfax, adrsemail, adrsweb, adrsnotes, adrsaddt, adrsedtdt, "
    "adrsdelstatus");

struct Attempt {
    QList<MsgBoxCall> boxes;
    QStringList filesAfter;
};

// Restores `source` through the menu of the running program, saying Yes.
Attempt RestoreThroughMenu(TestBook& book, FrmMainMdi& main, const QString& source) {
    Attempt attempt;
    FileDialogs::Scripted dialogs;
    ScriptedMsgBoxes boxes;
    dialogs.answers << source;
    main.Rtsr->trigger();
    attempt.boxes = boxes.calls;
    attempt.filesAfter = QDir(book.Folder()).entryList(QDir::Files);
    return attempt;
}

// The refused restore: one critical box that names the file and says
// nothing changed, the book byte for byte as it was, nothing left behind.
// Returns what was otherwise.
QString RefusalProblem(TestBook& book, FrmMainMdi& main, const QString& source,
                       const QString& reason) {
    const QByteArray before = FileDigest(book.File());
    const QStringList filesBefore = QDir(book.Folder()).entryList(QDir::Files);
    const Attempt attempt = RestoreThroughMenu(book, main, source);
    if (attempt.boxes.size() != 1)
        return QStringLiteral("%1 boxes shown").arg(attempt.boxes.size());
    const QString prompt = attempt.boxes.first().prompt;
    if (attempt.boxes.first().Icon() != vbCritical ||
        !prompt.contains(QStringLiteral("nothing has been changed")) || !prompt.contains(reason))
        return prompt;
    if (FileDigest(book.File()) != before) return QStringLiteral("the book changed");
    if (attempt.filesAfter != filesBefore)
        return QStringLiteral("files left: ") + attempt.filesAfter.join(u' ');
    return {};
}

} // namespace

class RestoreFileTests : public QObject {
    Q_OBJECT
  private slots:
    void theCheckedColumnsAreTheBooksOwn() {
        TestBook book;
        for (const QString& table : Schema::Tables()) {
            QStringList columns;
            for (const QStringList& row :
                 book.Rows(QStringLiteral("PRAGMA table_info(%1)").arg(table)))
                columns << row.at(1);
            QCOMPARE(BookRebuild::Columns(table), columns);
        }
    }

    // Each file is refused in turn by one running program: the book stays
    // byte for byte as it was through all of them.
    void aCraftedFileIsRefused() {
        struct Case {
            const char* name;
            QStringList craft;
            QString reason;
        };
        QList<Case> cases;
        cases.append(
            {"too few columns",
             Remake(QStringLiteral("adrsgrpdtails"),
                    QStringLiteral("CREATE TABLE adrsgrpdtails (adrsgrpid INTEGER, adrsconcrnid "
                                   "INTEGER)"),
                    QStringLiteral("adrsgrpid, adrsconcrnid")),
             "the table adrsgrpdtails has no column adrsgrupid"});
        cases.append({"text in an id column",
                      Remake(QStringLiteral("adrsgrupmstr"),
                             QStringLiteral("CREATE TABLE adrsgrupmstr (grpid TEXT, grpname TEXT)"),
                             QStringLiteral("grpid, grpname")),
                      "table adrsgrupmstr, row 1: the id grpid holds text, not a whole number"});
        cases.append({"duplicate ids",
                      QStringList{"insert into adrsmstr (adrsid, adrsname) values (2, 'COPY')"},
                      "table adrsmstr, row 4: the id adrsid 2 is used twice (also in row 2)"});
        cases.append({"id out of range",
                      QStringList{"update cscmstr set ctyid = 40000 where ctyid = 2"},
                      "table cscmstr, row 2: the id ctyid is 40000, outside 1 to 32767"});
        cases.append({"fraction in a reference",
                      QStringList{"update adrsmstr set adrsctyid = 1.5 where adrsid = 3"},
                      "table adrsmstr, row 3 (adrsid 3): the id adrsctyid holds a fraction"});
        cases.append({"flag beyond 0 and 1",
                      QStringList{"update cscmstr set delstatus = 2 where ctyid = 1"},
                      "table cscmstr, row 1 (ctyid 1): the flag delstatus is not 0 or 1"});
        cases.append({"no date",
                      QStringList{"update adrsmstr set adrsedtdt = 'yesterday' where adrsid = 1"},
                      "the date adrsedtdt is not a date and time"});
        cases.append(
            {"group name too long",
             QStringList{"update adrsgrupmstr set grpname = 'SIXTEEN LETTERS!' where grpid = 2"},
             "table adrsgrupmstr, row 2 (grpid 2): the field grpname holds 16 characters; at most "
             "15 are allowed"});
        cases.append({"group id not in digits",
                      QStringList{"update adrsgrpdtails set adrsgrupid = '02' where adrsgrpid = 2"},
                      "table adrsgrpdtails, row 2 (adrsgrpid 2): the group id adrsgrupid is not a "
                      "group id"});
        cases.append({"binary data in a text",
                      QStringList{"update adrsmstr set adrsname = x'00ff' where adrsid = 2"},
                      "the field adrsname holds binary data"});
        // 30 MB of notes: refused before the value is read into memory.
        cases.append(
            {"a note of 30 MB",
             QStringList{"update adrsmstr set adrsnotes = replace(hex(zeroblob(15000000)), '0', "
                         "'N') where adrsid = 2"},
             "table adrsmstr, row 2: a field holds more than"});
        // A view under a table's name would run its query, here one without end.
        cases.append(
            {"a view in place of a table",
             QStringList{"drop table adrsgrupmstr",
                         "create view adrsgrupmstr as with recursive n(x) as (select 1 union all "
                         "select x + 1 from n) select x as grpid, 'G' as grpname from n"},
             "adrsgrupmstr is not a plain table"});
        cases.append(
            {"schema text cut short",
             QStringList{"PRAGMA writable_schema=ON",
                         "update sqlite_master set sql = 'CREATE TABLE adrsmstr(' where name = "
                         "'adrsmstr'"},
             "malformed database schema"});
        // A schema of this engine's release that ends the process reading it.
        cases.append(
            {"table made from a query in the schema",
             QStringList{"PRAGMA writable_schema=ON",
                         "update sqlite_master set sql = 'CREATE TABLE adrsgrupmstr AS SELECT 1' "
                         "where name = 'adrsgrupmstr'"},
             "is damaged"});
        cases.append(
            {"two tables on one page tree",
             QStringList{"PRAGMA writable_schema=ON",
                         "update sqlite_master set rootpage = (select rootpage from sqlite_master "
                         "where name = 'cscmstr') where name = 'adrsgrupmstr'"},
             "is damaged"});
        cases.append(
            {"an index over another column",
             QStringList{"PRAGMA writable_schema=ON",
                         "update sqlite_master set sql = 'CREATE INDEX adrsmstr_adrsname ON "
                         "adrsmstr (adrs1)' where name = 'adrsmstr_adrsname'"},
             "is damaged"});

        TestBook book;
        book.Exec(QStringLiteral("insert into adrsgrupmstr (grpid, grpname) values (1, 'KEPT')"));
        FrmMainMdi main;
        QVERIFY(main.MDIForm_Load());
        QTemporaryDir elsewhere;
        for (const Case& c : std::as_const(cases)) {
            const QString source =
                elsewhere.filePath(QString::fromLatin1(c.name) + u'.' + QStringLiteral("mdb"));
            Craft(source, c.craft);
            QElapsedTimer clock;
            clock.start();
            const QString problem = RefusalProblem(book, main, source, c.reason);
            QVERIFY2(problem.isEmpty(),
                     qPrintable(QString::fromLatin1(c.name) + QStringLiteral(": ") + problem));
            QVERIFY2(clock.elapsed() < 10000, c.name);
        }
    }

    // Triggers, views, indexes, extra columns and tables, and the shape of
    // the tables never come along: the restored book is the program's own,
    // with the rows.
    void onlyTheRowsOfACraftedFileComeAlong() {
        TestBook book;
        QTemporaryDir elsewhere;
        const QString plain = elsewhere.filePath(QStringLiteral("plain.mdb"));
        Craft(plain, {});
        const QString source = elsewhere.filePath(QStringLiteral("crafted.mdb"));
        Craft(source,
              QStringList{
                  "create trigger wipe after insert on adrsmstr begin delete from adrsmstr where "
                  "adrsid <> new.adrsid; end",
                  "create trigger spin after update on adrsgrpdtails begin select "
                  "rtreenode(2, x'00'); end",
                  "create view everything as select * from adrsmstr, adrsgrpdtails",
                  "create index by_notes on adrsmstr (adrsnotes)",
                  "create table extra (x)",
              } +
                  Remake(QStringLiteral("adrsmstr"),
                         QStringLiteral("CREATE TABLE adrsmstr (_rowid_ INTEGER, %1, more)")
                             .arg(kPartyColumns),
                         kPartyColumns) +
                  QStringList{"update adrsmstr set _rowid_ = 1"} +
                  Remake(QStringLiteral("adrsgrupmstr"),
                         QStringLiteral("CREATE TABLE adrsgrupmstr (grpid INTEGER PRIMARY KEY, "
                                        "grpname TEXT) WITHOUT ROWID"),
                         QStringLiteral("grpid, grpname")));
        FrmMainMdi main;
        QVERIFY(main.MDIForm_Load());
        const Attempt attempt = RestoreThroughMenu(book, main, source);
        QVERIFY(!attempt.boxes.isEmpty());
        QVERIFY2(attempt.boxes.last().prompt.startsWith(
                     QStringLiteral("The address book has been restored")),
                 qPrintable(attempt.boxes.last().prompt));
        CloseConns();
        const FileState restored = CheckBookFile(book.File());
        QVERIFY2(restored.problem.isEmpty(), qPrintable(restored.problem));
        QCOMPARE(restored.digest, CheckBookFile(plain).digest);
        Connection conn;
        OpenBookFile(conn, book.File());
        Schema::RequireOwnSchema(conn);
        // A new party leaves the others where they are.
        conn.Execute(QStringLiteral("insert into adrsmstr (adrsid, adrsname) values (4, 'NEW')"));
        QCOMPARE(ReadRows(conn, QStringLiteral("select count(*) from adrsmstr")),
                 (QList<QStringList>{{"4"}}));
    }

    // The child that crashes, hangs or eats memory ends alone; Restore says
    // the file is damaged and changes nothing.
    void theCheckingChildFailsAlone_data() {
        QTest::addColumn<QByteArray>("fault");
        QTest::newRow("crash") << QByteArray("crash");
        QTest::newRow("hang") << QByteArray("hang");
        QTest::newRow("memory") << QByteArray("memory");
    }

    void theCheckingChildFailsAlone() {
        QFETCH(QByteArray, fault);
        TestBook book;
        QTemporaryDir elsewhere;
        const QString source = elsewhere.filePath(QStringLiteral("good.mdb"));
        Craft(source, {});
        FrmMainMdi main;
        QVERIFY(main.MDIForm_Load());
        const CheckChild::Limits usual = CheckChild::CurrentLimits();
        CheckChild::SetLimits({2, qint64(256) << 20});
        CheckChild::SetProgram(QStringLiteral(ADRSBOOK_FAULTYCHILD));
        qputenv("ADRSBOOK_CHECK_FAULT", fault);
        const auto restore = qScopeGuard([&] {
            qunsetenv("ADRSBOOK_CHECK_FAULT");
            CheckChild::SetLimits(usual);
            CheckChild::SetProgram(QStringLiteral(ADRSBOOK_PROGRAM));
        });
        QElapsedTimer clock;
        clock.start();
        const QString problem = RefusalProblem(book, main, source, QStringLiteral("is damaged"));
        QVERIFY2(problem.isEmpty(), qPrintable(problem));
        QVERIFY2(clock.elapsed() < 8000, qPrintable(QString::number(clock.elapsed())));
    }

    // Backup never writes over the book or one of its files, whatever name
    // reaches it, nor over what is not a file.
    void aBackupOverTheBookItselfIsRefused_data() {
        QTest::addColumn<QString>("how");
        QTest::addColumn<QString>("reason");
        QTest::newRow("link to the folder") << "folder-link"
                                            << "the address book itself";
        QTest::newRow("link to the file") << "file-link"
                                          << "the address book itself";
        QTest::newRow("hard link") << "hard-link"
                                   << "the address book itself";
        QTest::newRow("another spelling") << "spelling"
                                          << "the address book itself";
        QTest::newRow("its lock") << "lock"
                                  << "(its lock)";
        QTest::newRow("its crash marker") << "marker"
                                          << "(its crash marker)";
        QTest::newRow("a journal's name") << "journal"
                                          << "ends in \"-journal\"";
        QTest::newRow("a device") << "device"
                                  << "is a device";
        QTest::newRow("a pipe") << "fifo"
                                << "is a pipe";
    }

    void aBackupOverTheBookItselfIsRefused() {
        QFETCH(QString, how);
        QFETCH(QString, reason);
        TestBook book;
        FrmMainMdi main;
        QVERIFY(main.MDIForm_Load());
        QTemporaryDir elsewhere;
        const QString name = QString::fromLatin1(kDatabaseFileName);
        QString target;
        if (how == QLatin1String("folder-link")) {
            target = elsewhere.filePath(QStringLiteral("app")) + u'/' + name;
            QVERIFY(QFile::link(book.Folder(), elsewhere.filePath(QStringLiteral("app"))));
        } else if (how == QLatin1String("file-link")) {
            target = elsewhere.filePath(QStringLiteral("backup.mdb"));
            QVERIFY(QFile::link(book.File(), target));
        } else if (how == QLatin1String("hard-link")) {
            target = book.Path(QStringLiteral("backup.mdb"));
            QVERIFY(::link(QFile::encodeName(book.File()).constData(),
                           QFile::encodeName(target).constData()) == 0);
        } else if (how == QLatin1String("lock")) {
            target = BookLock::LockPath(book.File());
        } else if (how == QLatin1String("marker")) {
            target = BookLock::MarkerPath(book.File());
        } else if (how == QLatin1String("journal")) {
            target = elsewhere.filePath(QStringLiteral("copy.mdb-journal"));
        } else if (how == QLatin1String("device")) {
            target = QStringLiteral("/dev/null");
        } else if (how == QLatin1String("fifo")) {
            target = elsewhere.filePath(QStringLiteral("fifo"));
            QCOMPARE(::mkfifo(QFile::encodeName(target).constData(), 0600), 0);
        } else {
            target = book.Folder() + QStringLiteral("/./") + name;
        }
        const QByteArray before = FileDigest(book.File());
        struct stat was, targetWas;
        QVERIFY(::stat(QFile::encodeName(book.File()).constData(), &was) == 0);
        const bool targetThere = ::stat(QFile::encodeName(target).constData(), &targetWas) == 0;
        FileDialogs::Scripted dialogs;
        ScriptedMsgBoxes boxes;
        dialogs.answers << target;
        main.Bak->trigger();
        QCOMPARE(boxes.calls.size(), 1);
        QVERIFY2(boxes.Last().prompt.startsWith(QStringLiteral("The backup cannot be written")) &&
                     boxes.Last().prompt.contains(reason),
                 qPrintable(boxes.Last().prompt));
        struct stat now;
        QVERIFY(::stat(QFile::encodeName(book.File()).constData(), &now) == 0);
        QCOMPARE(now.st_ino, was.st_ino);
        QCOMPARE(FileDigest(book.File()), before);
        if (targetThere) { // the device, pipe, lock or marker is what it was
            QVERIFY(::stat(QFile::encodeName(target).constData(), &now) == 0);
            QCOMPARE(now.st_ino, targetWas.st_ino);
            QCOMPARE(now.st_mode, targetWas.st_mode);
        }
        // Nor does the data layer on its own.
        QVERIFY_THROWS_EXCEPTION(DbError, Backup::BackupTo(*Conn, target));
    }

    // A backup through a symbolic link replaces the file the link names;
    // the link stays a link.
    void aBackupThroughALinkWritesTheFileItNames() {
        TestBook book;
        FrmMainMdi main;
        QVERIFY(main.MDIForm_Load());
        QTemporaryDir elsewhere;
        const QString file = elsewhere.filePath(QStringLiteral("real.mdb"));
        const QString link = elsewhere.filePath(QStringLiteral("link.mdb"));
        QFile earlier(file);
        QVERIFY(earlier.open(QIODevice::WriteOnly));
        earlier.write("an earlier backup");
        earlier.close();
        QVERIFY(QFile::link(file, link));
        FileDialogs::Scripted dialogs;
        ScriptedMsgBoxes boxes;
        dialogs.answers << link;
        main.Bak->trigger();
        QCOMPARE(boxes.Last().Icon(), int(vbInformation));
        QVERIFY(QFileInfo(link).isSymLink());
        const FileState backup = CheckBookFile(file);
        QVERIFY2(backup.problem.isEmpty(), qPrintable(backup.problem));
    }

    // The file chosen for Restore is never deleted or changed, even when it
    // is the leftover of an earlier restore that was cut short; what a
    // restored book holds that cannot be saved again as it stands is said.
    void theChosenFileStaysAndUnsaveablePartiesAreNamed() {
        TestBook book;
        FrmMainMdi main;
        QVERIFY(main.MDIForm_Load());
        const QString leftover = book.File() + QStringLiteral(".restore");
        Craft(leftover, {QStringLiteral("update adrsmstr set adrsctyid = 9 where adrsid = 2"),
                         QStringLiteral("update adrsgrpdtails set adrsgrupid = '7' where "
                                        "adrsconcrnid = 2"),
                         QStringLiteral("delete from adrsgrpdtails where adrsconcrnid = 1")});
        const QByteArray chosen = FileDigest(leftover);
        const Attempt attempt = RestoreThroughMenu(book, main, leftover);
        QCOMPARE(attempt.boxes.size(), 2);
        QVERIFY2(attempt.boxes.last().prompt.startsWith(
                     QStringLiteral("The address book has been restored")),
                 qPrintable(attempt.boxes.last().prompt));
        for (const MsgBoxCall& box : attempt.boxes)
            QVERIFY2(
                box.prompt.contains(QStringLiteral("1 party of it names a city that is not in "
                                                   "its city register (ids 2)")) &&
                    box.prompt.contains(QStringLiteral(
                        "2 parties of it belong to no group of its group register (ids 1, 2)")),
                qPrintable(box.prompt));
        QCOMPARE(FileDigest(leftover), chosen);
        QCOMPARE(book.Rows(QStringLiteral("Select adrsname from adrsmstr order by adrsid")),
                 (QList<QStringList>{{"ALPHA"}, {"BETA"}, {"GAMMA"}}));
    }

    // Backups, kept copies and the restored book are the owner's only; a
    // backup replaces an earlier one, and no journal meets it.
    void backupsAndKeptCopiesArePrivate() {
        TestBook book;
        FrmMainMdi main;
        QVERIFY(main.MDIForm_Load());
        book.Exec(QStringLiteral("insert into adrsgrupmstr (grpid, grpname) values (1, 'ONE')"));
        QTemporaryDir elsewhere;
        const QString target = elsewhere.filePath(QStringLiteral("backup.mdb"));
        QFile earlier(target);
        QVERIFY(earlier.open(QIODevice::WriteOnly));
        earlier.write("an earlier backup");
        earlier.close();
        QVERIFY(earlier.setPermissions(QFileDevice::ReadOwner | QFileDevice::WriteOwner |
                                       QFileDevice::ReadOther));
        QFile journal(target + QStringLiteral("-journal"));
        QVERIFY(journal.open(QIODevice::WriteOnly));
        journal.write(QByteArray(4096, 'j'));
        journal.close();

        FileDialogs::Scripted dialogs;
        ScriptedMsgBoxes boxes;
        dialogs.answers << target;
        main.Bak->trigger();
        QCOMPARE(boxes.Last().Icon(), int(vbInformation));
        QCOMPARE(ModeOf(target), 0600);
        QVERIFY(!QFile::exists(target + QStringLiteral("-journal")));
        QCOMPARE(QDir(elsewhere.path()).entryList(QDir::Files), QStringList{"backup.mdb"});
        const FileState backup = CheckBookFile(target);
        QVERIFY2(backup.problem.isEmpty(), qPrintable(backup.problem));

        dialogs.answers << target;
        main.Rtsr->trigger();
        QVERIFY2(
            boxes.Last().prompt.startsWith(QStringLiteral("The address book has been restored")),
            qPrintable(boxes.Last().prompt));
        const QStringList kept =
            QDir(book.Folder()).entryList({QStringLiteral("adrsbookHXS-before-restore-*.mdb")});
        QCOMPARE(kept.size(), 1);
        QVERIFY(boxes.Last().prompt.contains(kept.first()));
        QCOMPARE(ModeOf(book.Path(kept.first())), 0600);
        QCOMPARE(ModeOf(book.File()), 0600);
        // Nothing else of the restore is left: no rebuilt copy, journal or
        // half-made copy.
        QCOMPARE(QDir(book.Folder())
                     .entryList({QStringLiteral("*.restore*"), QStringLiteral("*-journal"),
                                 QStringLiteral("*.mdb.??????")}),
                 QStringList());
    }
};

ADRSBOOK_TEST(RestoreFileTests)
#include "tst_restorefiles.moc"
