// Two programs on one book: a second copy of the address book, a copy that
// crashed, and another program (the sqlcipher command line) holding a lock.
// Real processes on real files.
//
// ADRSBOOK_RACE_SAVES=<n> sets the number of saves the two racing copies
// make together (500 by default).

#include "app/bookfile.h"
#include "app/frmmainmdi.h"
#include "data/booklock.h"
#include "masters/frmcsc.h"
#include "masters/frmgrupmstr.h"
#include "platform/busynotice.h"
#include "platform/listview.h"
#include "platform/msgbox.h"
#include "printing/frmprntrpt.h"
#include "search/frmsrchengn.h"
#include "search/searchdriver.h"
#include "support/fixture.h"
#include "support/lockingprogram.h"
#include "support/scripted.h"
#include "support/smalldisk.h"
#include "support/testmain.h"

#include <QComboBox>
#include <QElapsedTimer>
#include <QLabel>
#include <QLineEdit>
#include <QProcessEnvironment>
#include <QPushButton>
#include <QRegularExpression>
#include <QSet>
#include <QSysInfo>
#include <QTest>

namespace {

// A copy of the program started on the book's folder (the "start" mode of
// the child): its message boxes and whether it came up.
class Copy {
  public:
    // `environment`: "NAME=value" entries added to the copy's environment.
    explicit Copy(const QString& folder, const QStringList& environment = {}) {
        QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
        for (const QString& entry : environment)
            env.insert(entry.section(u'=', 0, 0), entry.section(u'=', 1));
        proc_.setProcessEnvironment(env);
        proc_.start(SaveChildPath(), {QStringLiteral("start"), folder});
        proc_.waitForStarted();
    }
    ~Copy() {
        if (proc_.state() != QProcess::NotRunning) {
            proc_.kill();
            proc_.waitForFinished();
        }
    }
    // Waits until the copy is up or has ended; true when it is up.
    bool Up() {
        (void)QTest::qWaitFor(
            [&] {
                proc_.waitForReadyRead(100);
                out_ += proc_.readAllStandardOutput();
                return out_.contains("UP\n") || proc_.state() == QProcess::NotRunning;
            },
            30000);
        out_ += proc_.readAllStandardOutput();
        return out_.contains("UP\n");
    }
    QString Boxes() const { return QString::fromUtf8(out_); }
    void Kill() {
        proc_.kill();
        proc_.waitForFinished();
    }
    // Ends the copy as a person closes it; true when it ended normally.
    bool Close() {
        proc_.closeWriteChannel();
        proc_.waitForFinished(10000);
        out_ += proc_.readAllStandardOutput();
        return out_.contains("ENDED") && proc_.exitCode() == 0;
    }

  private:
    QProcess proc_;
    QByteArray out_;
};

QByteArray FileBytes(const QString& file) {
    QFile f(file);
    return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray();
}

void Click(QAbstractButton* button) {
    QTest::mouseClick(button, Qt::LeftButton);
    Settle();
}

// Ids that occur more than once in the first column.
QStringList Doubles(const QList<QStringList>& rows) {
    QSet<QString> seen;
    QStringList doubles;
    for (const QStringList& row : rows)
        if (seen.contains(row.at(0)))
            doubles << row.at(0);
        else
            seen.insert(row.at(0));
    return doubles;
}

} // namespace

class TwoCopiesTests : public QObject {
    Q_OBJECT
  private slots:
    // Two processes save cities, groups and parties through the windows at
    // the same time. Every reported save is in the book under an id of its
    // own, and each party has exactly the groups it was saved with.
    void twoWritersAtOnceNeverShareAnId() {
        const int saves = qEnvironmentVariableIsSet("ADRSBOOK_RACE_SAVES")
                              ? qEnvironmentVariableIntValue("ADRSBOOK_RACE_SAVES")
                              : 500;
        TestBook book;
        book.Exec("insert into cscmstr (ctyid, ctyname, statename, contryname, delstatus) values "
                  "(1, 'LUDHIANA', 'PUNJAB', 'INDIA', 0), (2, 'PUNE', 'MAHARASHTRA', 'INDIA', 0)");
        book.Exec("insert into adrsgrupmstr (grpid, grpname) values (1, 'CUSTOMERS'), "
                  "(2, 'SUPPLIERS'), (3, 'AGENTS')");
        CloseConns();

        QElapsedTimer clock;
        clock.start();
        QProcess a, b;
        a.start(SaveChildPath(), {QStringLiteral("race"), book.Folder(), QStringLiteral("A"),
                                  QString::number(saves / 2), QStringLiteral("11")});
        b.start(SaveChildPath(), {QStringLiteral("race"), book.Folder(), QStringLiteral("B"),
                                  QString::number(saves - saves / 2), QStringLiteral("22")});
        QVERIFY(a.waitForFinished(600000) && b.waitForFinished(600000));
        const double seconds = clock.elapsed() / 1000.0;
        QStringList reported;
        int retries = 0; // lists that gave up on the other's lock and were read again
        for (QProcess* p : {&a, &b}) {
            const QString out = QString::fromUtf8(p->readAllStandardOutput());
            QVERIFY2(p->exitCode() == 0 && out.contains(QStringLiteral("\nEND ")),
                     qPrintable(out.right(400) + QString::fromUtf8(p->readAllStandardError())));
            for (const QString& line : out.split(u'\n')) {
                if (line.startsWith(QLatin1String("SAVED "))) reported << line.mid(6);
                if (line.startsWith(QLatin1String("END ")))
                    retries += line.section(u' ', 2).toInt();
            }
        }
        QCOMPARE(reported.size(), saves);

        Connection conn;
        OpenBookFile(conn, book.File());
        QCOMPARE(IntegrityCheck(conn), QStringLiteral("ok"));
        const auto cities = ReadRows(conn, QStringLiteral("Select ctyid, ctyname from cscmstr"));
        const auto groups =
            ReadRows(conn, QStringLiteral("Select grpid, grpname from adrsgrupmstr"));
        const auto parties =
            ReadRows(conn, QStringLiteral("Select adrsid, adrsname, adrsnotes from adrsmstr"));
        const auto links = ReadRows(
            conn, QStringLiteral("Select adrsgrpid, adrsconcrnid, adrsgrupid from adrsgrpdtails"));
        QCOMPARE(Doubles(cities), QStringList());
        QCOMPARE(Doubles(groups), QStringList());
        QCOMPARE(Doubles(parties), QStringList());
        QCOMPARE(Doubles(links), QStringList());

        QSet<QString> names;
        for (const auto* rows : {&cities, &groups, &parties})
            for (const QStringList& row : *rows)
                names.insert(row.at(1));
        for (const QString& name : std::as_const(reported))
            QVERIFY2(names.contains(name), qPrintable(QStringLiteral("lost: ") + name));
        QCOMPARE(cities.size() + groups.size() + parties.size(), saves + 5);

        QHash<QString, QStringList> groupsOf;
        for (const QStringList& link : links)
            groupsOf[link.at(1)] << link.at(2);
        for (const QStringList& party : parties) {
            QStringList linked = groupsOf.value(party.at(0));
            std::sort(linked.begin(), linked.end(),
                      [](const QString& x, const QString& y) { return x.toInt() < y.toInt(); });
            QCOMPARE(QStringLiteral("GROUPS ") + linked.join(u','), party.at(2));
        }
        qInfo("%d saves by two processes at once in %.1f s: %lld cities, %lld groups, %lld "
              "parties, %lld links, no id twice; lists read again after a busy line: %d",
              saves, seconds, qlonglong(cities.size()), qlonglong(groups.size()),
              qlonglong(parties.size()), qlonglong(links.size()), retries);
    }

    // A second copy on the same book is refused and touches nothing; the lock
    // of a copy that was killed is taken over, and a normal end leaves no lock.
    void oneCopyPerBook() {
        TestBook book;
        CloseConns();
        const QByteArray bytes = FileBytes(book.File());
        Copy first(book.Folder());
        QVERIFY2(first.Up(), qPrintable(first.Boxes()));
        Copy second(book.Folder());
        QVERIFY(!second.Up());
        QVERIFY2(second.Boxes().contains(QStringLiteral("already open in another copy")),
                 qPrintable(second.Boxes()));
        QCOMPARE(FileBytes(book.File()), bytes);

        first.Kill();
        QVERIFY(QFile::exists(BookLock::LockPath(book.File())));
        Copy third(book.Folder());
        QVERIFY2(third.Up(), qPrintable(third.Boxes()));
        QVERIFY(!third.Boxes().contains(QStringLiteral("BOX")));
        QVERIFY(third.Close());
        QVERIFY(!QFile::exists(BookLock::LockPath(book.File())));
        QVERIFY(!QFile::exists(BookLock::MarkerPath(book.File())));
    }

    // After a copy was killed, start-up runs the full check: a book whose
    // index no longer matches its table (which the quick check every start
    // makes does not see) is refused, untouched, until it is mended.
    void aDamagedBookIsRefusedAfterAnUncleanEnd() {
        TestBook book;
        book.Exec("insert into adrsmstr (adrsid, adrsname, adrscontact) values "
                  "(1, 'ALPHA', 'ZED'), (2, 'BETA', 'YAK')");
        CloseConns();
        const QString backup = book.Path(QStringLiteral("good-backup.mdb"));
        QVERIFY(QFile::copy(book.File(), backup));
        {
            Copy killed(book.Folder());
            QVERIFY(killed.Up());
            killed.Kill();
        }
        QProcess damage;
        damage.start(QStringLiteral("sqlcipher"), {book.File()});
        damage.write(QByteArray("PRAGMA key = '") + kDatabasePassword +
                     "';\nPRAGMA writable_schema = ON;\nUPDATE sqlite_master SET sql = 'CREATE "
                     "INDEX adrsmstr_adrsname ON adrsmstr (adrscontact)' WHERE name = "
                     "'adrsmstr_adrsname';\n");
        damage.closeWriteChannel();
        QVERIFY(damage.waitForFinished());
        const QByteArray bytes = FileBytes(book.File());
        for (int start = 0; start < 2; ++start) {
            Copy copy(book.Folder());
            QVERIFY(!copy.Up());
            QVERIFY2(copy.Boxes().contains(QStringLiteral("is damaged")), qPrintable(copy.Boxes()));
        }
        QCOMPARE(FileBytes(book.File()), bytes);

        // Opened read-only to export what can be read: nothing is written,
        // and the next start checks again.
        {
            Copy readOnly(book.Folder(), {QStringLiteral("ADRSBOOK_START_ANSWER=no")});
            QVERIFY2(readOnly.Up(), qPrintable(readOnly.Boxes()));
            QVERIFY2(readOnly.Boxes().contains(QStringLiteral("is open read-only")),
                     qPrintable(readOnly.Boxes()));
            QVERIFY(readOnly.Close());
        }
        QCOMPARE(FileBytes(book.File()), bytes);
        QVERIFY(QFile::exists(BookLock::MarkerPath(book.File())));

        // Or a backup restored then and there.
        Copy restored(book.Folder(), {QStringLiteral("ADRSBOOK_START_ANSWER=yes"),
                                      QStringLiteral("ADRSBOOK_START_RESTORE=") + backup});
        QVERIFY2(restored.Up(), qPrintable(restored.Boxes()));
        QVERIFY2(restored.Boxes().contains(QStringLiteral("has been restored")),
                 qPrintable(restored.Boxes()));
        QVERIFY(restored.Close());
        QVERIFY(!QFile::exists(BookLock::MarkerPath(book.File())));
        const FileState state = CheckBookFile(book.File());
        QVERIFY2(state.problem.isEmpty(), qPrintable(state.problem));
    }

    // Every path to one book meets the same lock: a hard link in another
    // folder, a symbolic link.
    void oneCopyWhateverThePathToTheBook() {
        TestBook book;
        CloseConns();
        QTemporaryDir hardDir, softDir;
        const QString name = QString::fromLatin1(kDatabaseFileName);
        QCOMPARE(::link(QFile::encodeName(book.File()).constData(),
                        QFile::encodeName(hardDir.filePath(name)).constData()),
                 0);
        QVERIFY(QFile::link(book.File(), softDir.filePath(name)));
        Copy first(book.Folder());
        QVERIFY2(first.Up(), qPrintable(first.Boxes()));
        for (const QString& folder : {hardDir.path(), softDir.path()}) {
            Copy other(folder);
            QVERIFY(!other.Up());
            QVERIFY2(other.Boxes().contains(QStringLiteral("already open in another copy")),
                     qPrintable(other.Boxes()));
        }
        QVERIFY(first.Close());
        Copy hard(hardDir.path());
        QVERIFY2(hard.Up(), qPrintable(hard.Boxes()));
        QVERIFY(hard.Close());
    }

    // A disk too full to write anything beside the book still keeps one
    // copy per book.
    void aFullDiskStillKeepsOneCopyPerBook() {
        SmallDisk disk(512);
        REQUIRE_SMALL_DISK(disk);
        CreateBookFile(disk.File(QString::fromLatin1(kDatabaseFileName)));
        disk.Fill();
        Copy first(disk.Path());
        QVERIFY2(first.Up(), qPrintable(first.Boxes()));
        Copy second(disk.Path());
        QVERIFY(!second.Up());
        QVERIFY2(second.Boxes().contains(QStringLiteral("already open in another copy")),
                 qPrintable(second.Boxes()));
        QVERIFY(first.Close());
    }

    // Where the file system keeps no locks, the lock file is the lock: one
    // that names no running copy is taken over, one of another host is
    // explained, and one that cannot be written is never passed over in
    // silence.
    void withoutLocksTheLockFileDecides() {
        TestBook book;
        CloseConns();
        const QString lockFile = BookLock::LockPath(book.File());
        const QString noLocks = QStringLiteral("LD_PRELOAD=") + QStringLiteral(ADRSBOOK_NOLOCKS);
        auto put = [&](const QByteArray& text) {
            QFile f(lockFile);
            QVERIFY(f.open(QIODevice::WriteOnly | QIODevice::Truncate));
            f.write(text);
        };
        for (const QByteArray& stale :
             {QByteArray(), QByteArray("garbage"),
              QByteArray("address book lock\npid=999999\nprogram=adrsbook\n"
                         "host=") +
                  QSysInfo::machineHostName().toUtf8()}) {
            put(stale);
            Copy copy(book.Folder(), {noLocks});
            QVERIFY2(copy.Up(), qPrintable(copy.Boxes()));
            Copy second(book.Folder(), {noLocks});
            QVERIFY(!second.Up());
            QVERIFY2(second.Boxes().contains(QStringLiteral("already open in another copy")),
                     qPrintable(second.Boxes()));
            QVERIFY(copy.Close());
            QVERIFY(!QFile::exists(lockFile));
        }

        put("address book lock\npid=4242\nprogram=adrsbook\nhost=frontdesk-pc\nsince=2026-12-09 "
            "09:00\n");
        Copy elsewhere(book.Folder(), {noLocks});
        QVERIFY(!elsewhere.Up());
        QVERIFY2(elsewhere.Boxes().contains(QStringLiteral("may be open on another computer")) &&
                     elsewhere.Boxes().contains(QStringLiteral("frontdesk-pc")) &&
                     elsewhere.Boxes().contains(QStringLiteral("delete the file ") + lockFile),
                 qPrintable(elsewhere.Boxes()));
        QFile::remove(lockFile);

        // A disk too full for the lock file: said, then read-only on Yes,
        // nothing on No.
        SmallDisk disk(512);
        REQUIRE_SMALL_DISK(disk);
        CreateBookFile(disk.File(QString::fromLatin1(kDatabaseFileName)));
        disk.Fill();
        Copy refused(disk.Path(), {noLocks, QStringLiteral("ADRSBOOK_START_YESNO=no")});
        QVERIFY(!refused.Up());
        QVERIFY2(refused.Boxes().contains(QStringLiteral("cannot be kept for this copy alone")) &&
                     refused.Boxes().contains(QStringLiteral("No space left on device")),
                 qPrintable(refused.Boxes()));
        Copy readOnly(disk.Path(), {noLocks});
        QVERIFY2(readOnly.Up(), qPrintable(readOnly.Boxes()));
        QVERIFY(readOnly.Close());
    }

    void startUpOnABookLockedByAnotherProgramSaysItIsInUse() {
        TestBook book;
        CloseConns();
        LockingProgram cli(book.File(), "BEGIN EXCLUSIVE");
        QVERIFY(cli.Holds());
        Copy copy(book.Folder());
        QVERIFY(!copy.Up());
        QVERIFY2(copy.Boxes().contains(QStringLiteral("in use by another program")) &&
                     !copy.Boxes().contains(QStringLiteral("password")),
                 qPrintable(copy.Boxes()));
    }

    // A save that waits in vain for another program's lock says so, writes
    // nothing and keeps the entry; pressed again later, it saves.
    void aSaveBlockedByAnotherProgramSaysBusyAndKeepsTheEntry() {
        TestBook book;
        book.Exec("insert into adrsgrupmstr (grpid, grpname) values (1, 'CUSTOMERS')");
        FrmMainMdi main;
        QVERIFY(main.MDIForm_Load());
        ShowAndActivate(&main);
        main.dash->trigger();
        Settle();
        auto* f = main.Child<FrmGrupMstr>();
        ScriptedMsgBoxes boxes;
        LockingProgram cli(book.File(), "BEGIN IMMEDIATE");
        QVERIFY(cli.Holds());
        Click(f->CmdSave); // New
        TypeText(QStringLiteral("waiting"));
        Click(f->CmdSave);
        QCOMPARE(boxes.calls.size(), 2);
        QVERIFY2(boxes.Last().prompt.contains(QStringLiteral("busy in another program")),
                 qPrintable(boxes.Last().prompt));
        QCOMPARE(f->txtGrup->text(), QStringLiteral("WAITING"));
        QCOMPARE(f->CmdSave->text(), QStringLiteral("&Save"));
        cli.LetGo();
        QCOMPARE(book.Count("adrsgrupmstr"), 1);
        Click(f->CmdSave);
        QCOMPARE(boxes.Last().prompt, QStringLiteral("Record has been Saved"));
        QCOMPARE(book.Rows("Select grpid, grpname from adrsgrupmstr where grpid = 2"),
                 (QList<QStringList>{{"2", "WAITING"}}));
    }

    // Under a lock that keeps even readers out, a search and a register's
    // list give up at once and the window says why; afterwards they fill.
    void aListUnderALockGivesUpAtOnceAndSaysSo() {
        TestBook book;
        book.Exec("insert into cscmstr (ctyid, ctyname, statename, contryname, delstatus) values "
                  "(1, 'PUNE', 'MAHARASHTRA', 'INDIA', 0)");
        book.Exec("insert into adrsmstr (adrsid, adrsname, adrsctyid, adrsdelstatus) values "
                  "(1, 'ACME', 1, 0)");
        FrmMainMdi main;
        QVERIFY(main.MDIForm_Load());
        ShowAndActivate(&main);
        ScriptedMsgBoxes boxes;
        main.srchengn->trigger();
        Settle();
        auto* search = main.Child<FrmSrchEngn>();
        ChooseGroupAndFilter(search, "", "Name Wise");
        QCOMPARE(Focused(), search->TxtValue);

        LockingProgram cli(book.File(), "BEGIN EXCLUSIVE");
        QVERIFY(cli.Holds());
        QElapsedTimer clock;
        clock.start();
        TypeText(QStringLiteral("A"));
        const qint64 searchMs = clock.restart();
        QVERIFY(BusyNotice(search) && BusyNotice(search)->isVisible());
        QVERIFY(BusyNotice(search)->text().contains(QStringLiteral("busy in another program")));

        main.cty->trigger();
        Settle();
        auto* city = main.Child<FrmCsC>();
        clock.restart();
        Click(city->CmdEdt); // the list of cities
        const qint64 cityMs = clock.elapsed();
        QVERIFY(BusyNotice(city) && BusyNotice(city)->isVisible());
        QCOMPARE(city->LstvewCsc->Count(), 0);
        main.prnt->trigger(); // fills its party list as it opens
        Settle();
        auto* print = main.Child<FrmPrntrpt>();
        QVERIFY(BusyNotice(print) && BusyNotice(print)->isVisible());
        QVERIFY2(boxes.calls.isEmpty(), qPrintable(boxes.Prompts().join(u'|')));
        qInfo("under another program's lock: a search keystroke gave up in %lld ms, the city "
              "list in %lld ms",
              searchMs, cityMs);
        QVERIFY(searchMs < 1000 && cityMs < 1000);

        cli.LetGo();
        Click(city->CmdEdt); // Cancel
        Click(city->CmdEdt); // the list again
        city->LstvewCsc->Flush();
        QCOMPARE(city->LstvewCsc->Count(), 1);
    }
};

ADRSBOOK_TEST(TwoCopiesTests)
#include "tst_twocopies.moc"
