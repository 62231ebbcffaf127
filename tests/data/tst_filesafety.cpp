// The files the program writes for the user, and the one-copy lock: what
// the checked writer refuses and why, a write that meets a full disk, and
// the lock as every path to one book meets it.

#include "data/booklock.h"
#include "data/connmodule.h"
#include "data/userfile.h"
#include "data/wholefile.h"
#include "support/fixture.h"
#include "support/smalldisk.h"
#include "support/testmain.h"

#include <QDir>
#include <QFile>
#include <QSysInfo>
#include <QTest>
#include <sys/stat.h>
#include <unistd.h>

namespace {

void Put(const QString& file, const QByteArray& bytes) {
    QFile f(file);
    QVERIFY(f.open(QIODevice::WriteOnly | QIODevice::Truncate));
    f.write(bytes);
}

QByteArray Bytes(const QString& file) {
    QFile f(file);
    return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray("<none>");
}

// What Check says of a name: the file it would write, or "refused: <why>".
QString Verdict(const QString& target, const QString& book) {
    try {
        return UserFile::Check(target, book);
    } catch (const WriteRefused& e) {
        return QStringLiteral("refused: ") + e.message();
    }
}

LockFileInfo Info(qint64 pid, const char* program, const char* host, const char* boot) {
    LockFileInfo i;
    i.valid = true;
    i.pid = pid;
    i.program = QString::fromLatin1(program);
    i.host = QString::fromLatin1(host);
    i.boot = QString::fromLatin1(boot);
    return i;
}

} // namespace

class BookFileTests : public QObject {
    Q_OBJECT
  private slots:
    // Every kind of name the user may give, and what the writer makes of it.
    void theWriterRefusesTheBookItsFilesAndWhatIsNoFile() {
        TestBook book;
        QTemporaryDir other;
        const QString b = book.File();
        const auto at = [&](const char* name) { return other.filePath(QString::fromLatin1(name)); };
        Put(BookLock::LockPath(b), "x");
        Put(BookLock::MarkerPath(b), "");
        Put(b + QStringLiteral(".restore"), "x");
        const QString kept =
            book.Path(QStringLiteral("adrsbookHXS-before-restore-20261209-101010.mdb"));
        Put(kept, "x");
        Put(at("old.csv"), "old");
        Put(at("target.csv"), "target");
        QVERIFY(QFile::link(at("target.csv"), at("link.csv")));
        QVERIFY(QFile::link(at("gone.csv"), at("dangling.csv")));
        QVERIFY(QFile::link(b, at("soft.mdb")));
        QVERIFY(QFile::link(kept, at("soft-kept.mdb")));
        QVERIFY(QFile::link(book.Folder(), at("bookdir")));
        QCOMPARE(
            ::link(QFile::encodeName(b).constData(), QFile::encodeName(at("hard.mdb")).constData()),
            0);
        QCOMPARE(::mkfifo(QFile::encodeName(at("fifo")).constData(), 0600), 0);
        QVERIFY(QDir(other.path()).mkdir(QStringLiteral("folder")));

        const struct {
            QString target;
            QString expected; // the file written, or the start of the refusal's reason
        } cases[] = {
            {at("new.csv"), at("new.csv")},
            {at("old.csv"), at("old.csv")},
            {at("link.csv"), at("target.csv")}, // a link is followed
            {at("dangling.csv"), "which does not exist"},
            {b, "the address book itself"},
            {book.Folder() + QStringLiteral("/./adrsbookHXS.mdb"), "the address book itself"},
            {at("bookdir") + QStringLiteral("/adrsbookHXS.mdb"), "the address book itself"},
            {at("soft.mdb"), "the address book itself"},
            {at("hard.mdb"), "the address book itself"},
            {b + QStringLiteral("-journal"), "(its journal)"},
            {b + QStringLiteral("-wal"), "(its journal)"},
            {BookLock::LockPath(b), "(its lock)"},
            {BookLock::MarkerPath(b), "(its crash marker)"},
            {b + QStringLiteral(".restore"), "(its restore leftover)"},
            {b + QStringLiteral(".restore2-journal"), "(its restore leftover)"},
            {kept, "(its copy kept by a restore)"},
            {at("soft-kept.mdb"), "(its copy kept by a restore)"},
            {at("copy.mdb-journal"), "ends in \"-journal\""},
            {at("copy.mdb-shm"), "ends in \"-shm\""},
            {QStringLiteral("/dev/null"), "a device"},
            {QStringLiteral("/dev/full"), "a device"},
            {at("fifo"), "a pipe"},
            {at("folder"), "a folder"},
            {at("nowhere/x.csv"), at("nowhere/x.csv")}, // the writer says it cannot
        };
        for (const auto& c : cases) {
            const QString verdict = Verdict(c.target, b);
            const bool refused = !c.expected.startsWith(u'/');
            QVERIFY2(
                refused
                    ? verdict.startsWith(QStringLiteral("refused")) && verdict.contains(c.expected)
                    : verdict == QFileInfo(c.expected).canonicalFilePath() || verdict == c.expected,
                qPrintable(c.target + QStringLiteral(" -> ") + verdict));
        }

        // Written through the link: the link stays, the file it names is new.
        UserFile::Write(at("link.csv"), "new");
        QVERIFY(QFileInfo(at("link.csv")).isSymLink());
        QCOMPARE(Bytes(at("target.csv")), QByteArray("new"));
        struct stat st;
        QCOMPARE(::stat(QFile::encodeName(at("target.csv")).constData(), &st), 0);
        QCOMPARE(int(st.st_mode & 0777), 0600);
    }

    // A full disk: every write and the final sync are checked, the earlier
    // file of that name stays as it was, and nothing is left behind.
    void aFullDiskLeavesTheEarlierFileAndSaysWhy() {
        SmallDisk disk;
        REQUIRE_SMALL_DISK(disk);
        const QString file = disk.File(QStringLiteral("parties.csv"));
        Put(file, "earlier");
        const QByteArray bytes(60000, 'p');
        for (qint64 freeBytes : {qint64(0), qint64(4096)}) {
            disk.Fill(freeBytes);
            try {
                UserFile::Write(file, bytes);
                QFAIL("a full disk was reported as written");
            } catch (const DbError& e) {
                QVERIFY2(e.message().contains(file) &&
                             e.message().contains(QStringLiteral("No space left on device")),
                         qPrintable(e.message()));
            }
            QCOMPARE(Bytes(file), QByteArray("earlier"));
            QCOMPARE(QDir(disk.Path()).entryList(QDir::Files),
                     (QStringList{QStringLiteral("filler"), QStringLiteral("parties.csv")}));
            disk.Unfill();
        }
        UserFile::Write(file, bytes);
        QCOMPARE(Bytes(file), bytes);
    }

    void aLockFileSaysWhoHoldsTheBook() {
        const LockFileInfo self = Info(100, "adrsbook", "desk1", "boot-a");
        const auto programs = [](qint64 pid) {
            switch (pid) {
            case 200:
                return QStringLiteral("adrsbook");
            case 300:
                return QStringLiteral("bash");
            case 400:
                return QStringLiteral("adrsbook-savech"); // the system keeps 15 bytes
            default:
                return QString(); // no such process
            }
        };
        const struct {
            LockFileInfo info;
            LockFileVerdict verdict;
        } cases[] = {
            {LockFileInfo(), LockFileVerdict::Free},                              // empty, garbage
            {Info(200, "adrsbook", "desk1", "boot-a"), LockFileVerdict::Running}, // a running copy
            {Info(400, "adrsbook-savechild", "desk1", "boot-a"), LockFileVerdict::Running},
            {Info(300, "adrsbook", "desk1", "boot-a"), LockFileVerdict::Free}, // pid reused
            {Info(500, "adrsbook", "desk1", "boot-a"), LockFileVerdict::Free}, // gone
            {Info(200, "adrsbook", "desk1", "boot-b"), LockFileVerdict::Free}, // before a restart
            {Info(100, "adrsbook", "desk1", "boot-a"), LockFileVerdict::Free}, // this copy's own
            {Info(200, "adrsbook", "desk2", "boot-a"),
             LockFileVerdict::OtherHost}, // cannot be seen
        };
        for (const auto& c : cases)
            QCOMPARE(JudgeLockFile(c.info, self, programs), c.verdict);

        LockFileInfo written = Info(4242, "adrsbook", "desk1", "boot-a");
        written.since = QStringLiteral("2026-12-09 10:15");
        const LockFileInfo read = ParseLockFile(LockFileText(written));
        QVERIFY(read.valid);
        QCOMPARE(read.pid, 4242);
        QCOMPARE(read.host, QStringLiteral("desk1"));
        QCOMPARE(read.since, written.since);
        for (const QByteArray& garbage :
             {QByteArray(), QByteArray("4242\nadrsbook\ndesk1\n"), QByteArray("\x01\xff garbage")})
            QVERIFY(!ParseLockFile(garbage).valid);
    }

    // Every path to one book meets one lock; lock files that name no running
    // copy never keep a copy out; a restored file is locked before it takes
    // the book's place.
    void everyPathToTheBookMeetsOneLock() {
        TestBook book;
        CloseConns();
        QTemporaryDir other;
        const QString hard = other.filePath(QStringLiteral("hard.mdb"));
        const QString soft = other.filePath(QStringLiteral("soft.mdb"));
        QCOMPARE(
            ::link(QFile::encodeName(book.File()).constData(), QFile::encodeName(hard).constData()),
            0);
        QVERIFY(QFile::link(book.File(), soft));

        for (const QByteArray& stale :
             {QByteArray(), QByteArray("garbage\n"), QByteArray("99999\nadrsbook\nelsewhere\n"),
              LockFileText(Info(1, "adrsbook", qPrintable(QSysInfo::machineHostName()), ""))}) {
            Put(BookLock::LockPath(book.File()), stale);
            BookLock first(book.File());
            QCOMPARE(first.Take(), BookLock::Outcome::Taken);
            QCOMPARE(ParseLockFile(Bytes(BookLock::LockPath(book.File()))).pid, qint64(::getpid()));
            for (const QString& path : {book.File(), hard, soft}) {
                BookLock second(path);
                QCOMPARE(second.Take(), BookLock::Outcome::HeldElse);
                if (path == book.File())
                    QVERIFY2(second.Holder().contains(QString::number(::getpid())),
                             qPrintable(second.Holder()));
            }
            first.Release();
            QVERIFY(!QFile::exists(BookLock::LockPath(book.File())));
        }

        // A restore: the new file is held, then put in the book's place.
        BookLock holder(book.File());
        QCOMPARE(holder.Take(), BookLock::Outcome::Taken);
        const QString incoming = book.File() + QStringLiteral(".restore");
        QVERIFY(QFile::copy(book.File(), incoming));
        QVERIFY(holder.Hold(incoming));
        ReplaceFile(incoming, book.File());
        QVERIFY(holder.Follow());
        QCOMPARE(BookLock(book.File()).Take(), BookLock::Outcome::HeldElse);
        QCOMPARE(BookLock(hard).Take(), BookLock::Outcome::Taken); // the old file is free
    }
};

ADRSBOOK_TEST(BookFileTests)
#include "tst_filesafety.moc"
