// The sync state kept inside the book: its rows on both engines, backup and
// restore with and without it, the one-desk lock, and a worker thread's
// writes beside the windows' deferred results.

#include "data/backup.h"
#include "data/connmodule.h"
#include "data/connstring.h"
#include "data/dberror.h"
#include "data/recordset.h"
#include "data/schema.h"
#include "data/serverbackup.h"
#include "data/synclock.h"
#include "data/syncstore.h"
#include "support/fixture.h"
#include "support/pgserver.h"
#include "support/testmain.h"

#include <QEventLoop>
#include <QTest>
#include <QThread>
#include <functional>

Q_DECLARE_METATYPE(BookKind)

namespace {
SyncSettings SomeSettings() {
    SyncSettings s;
    s.server = QStringLiteral("dav.example.com");
    s.bookUrl = QStringLiteral("https://dav.example.com/u/o'brien/book/");
    s.user = QStringLiteral("o'brien");
    s.allGroups = false;
    s.groupIds = {3, 12};
    s.newPartyGroup = 12;
    s.atStart = true;
    s.everyMinutes = 15;
    s.pinnedSha256 = QStringLiteral("ab01");
    s.syncToken = QStringLiteral("http://radicale.org/ns/sync/5");
    s.ctag = QStringLiteral("\"ctag 7\"");
    s.lastSync = QStringLiteral("2026-12-09 06:00:00");
    return s;
}

// A phone's card: a large photo, and bytes that are no UTF-8 at all.
QByteArray BigCard() {
    QByteArray card = "BEGIN:VCARD\r\nVERSION:3.0\r\nFN:Ünïcode\r\nPHOTO;ENCODING=b:";
    for (int i = 0; i < 300000; ++i)
        card += char(i % 256);
    return card + "\r\nEND:VCARD\r\n";
}

QList<SyncCard> SomeCards() {
    return {{7, QStringLiteral("uid-a"), QStringLiteral("/b/a.vcf"), QStringLiteral("\"e1\""),
             "BEGIN:VCARD\r\nFN:O'Brien\r\nEND:VCARD\r\n", QStringLiteral("party-7")},
            {8,
             QStringLiteral("uid-b"),
             QStringLiteral("/b/b.vcf"),
             QStringLiteral("\"e2\""),
             BigCard(),
             {}}};
}

void SaveState(Connection& conn) {
    SyncStore::SaveSettings(conn, SomeSettings());
    for (const SyncCard& c : SomeCards())
        SyncStore::PutCard(conn, c);
}

bool HasState(Connection& conn) {
    return SyncStore::LoadSettings(conn) == SomeSettings() &&
           SyncStore::LoadCards(conn) == SomeCards();
}

QString ErrorOf(const std::function<void()>& step) {
    try {
        step();
    } catch (const DbError& e) {
        return e.message();
    }
    return {};
}
} // namespace

class SyncStoreTests : public QObject {
    Q_OBJECT
  private slots:
    void initTestCase() { REQUIRE_PG_SERVER(); }

    void stateRoundTrips_data() {
        QTest::addColumn<BookKind>("kind");
        QTest::newRow("file") << BookKind::File;
        QTest::newRow("server") << BookKind::Server;
    }
    void stateRoundTrips() {
        QFETCH(BookKind, kind);
        TestBook book(kind);
        QCOMPARE(SyncStore::LoadSettings(*Conn), SyncSettings());
        QVERIFY(SyncStore::LoadCards(*Conn).isEmpty());
        SaveState(*Conn);
        QVERIFY(HasState(*Conn));
        QVERIFY(HasState(*Conn2)); // another connection reads what was saved

        // A card put again replaces its row; a removed one is gone.
        SyncCard changed = SomeCards().at(0);
        changed.etag = QStringLiteral("\"e3\"");
        SyncStore::PutCard(*Conn, changed);
        SyncStore::RemoveCard(*Conn, QStringLiteral("uid-b"));
        QCOMPARE(SyncStore::LoadCards(*Conn), QList<SyncCard>{changed});

        // Inside the caller's transaction: all or nothing.
        QVERIFY(!ErrorOf([] {
                     InTransaction(*Conn, [] {
                         SyncStore::RemoveAllCards(*Conn);
                         throw DbError(QStringLiteral("a later step failed"));
                     });
                 }).isEmpty());
        QCOMPARE(SyncStore::LoadCards(*Conn), QList<SyncCard>{changed});
        SyncStore::RemoveAllCards(*Conn);
        QVERIFY(SyncStore::LoadCards(*Conn).isEmpty());
    }

    // The file records the tables as the schema check knows them; anything
    // else in a file is still refused.
    void theOwnSchemaTakesTheSyncTablesOnly() {
        TestBook book(BookKind::File);
        SyncStore::EnsureTables(*Conn);
        SyncStore::EnsureTables(*Conn);
        Schema::RequireOwnSchema(*Conn);
        book.Exec(QStringLiteral("CREATE TABLE stray (x TEXT)"));
        QVERIFY_THROWS_EXCEPTION(DbError, Schema::RequireOwnSchema(*Conn));
    }

    // A book with a sync state restores with it; one from before restores
    // without it and opens.
    void fileBackupCarriesTheState() {
        TestBook book(BookKind::File);
        SaveState(*Conn);
        const QString copy = book.Path(QStringLiteral("copy.mdb"));
        Backup::BackupTo(*Conn, copy);
        SyncStore::RemoveAllCards(*Conn);
        const QString file = book.File();
        CloseConns();
        Backup::RestoreFrom(copy, file);
        OpenConn();
        QVERIFY(HasState(*Conn));
        CloseConns();

        const QString old = book.Path(QStringLiteral("old.mdb"));
        Schema::CreateDatabase(old, QString::fromLatin1(kDatabasePassword));
        Backup::RestoreFrom(old, file);
        OpenConn();
        QVERIFY(!SyncStore::HasTables(*Conn));
        QCOMPARE(SyncStore::LoadSettings(*Conn), SyncSettings());
        OpenConn2();
    }

    void serverBackupCarriesTheState() {
        TestBook book(BookKind::Server);
        const QString empty = book.Path(QStringLiteral("empty.mdb"));
        ServerBackup::BackupTo(*Conn, empty);
        SaveState(*Conn);
        const QString file = book.Path(QStringLiteral("server-backup.mdb"));
        ServerBackup::BackupTo(*Conn, file);
        {
            Connection backup;
            backup.Open(ConnString::ForFile(file, QString::fromLatin1(kDatabasePassword)));
            QVERIFY(HasState(backup));
            Schema::RequireOwnSchema(backup);
        }
        SyncStore::RemoveAllCards(*Conn);
        Conn2->Close();
        ServerBackup::RestoreFrom(*Conn, file);
        QVERIFY(HasState(*Conn));
        // A book that never synced leaves none behind.
        ServerBackup::RestoreFrom(*Conn, empty);
        QVERIFY(SyncStore::LoadCards(*Conn).isEmpty());
        QCOMPARE(SyncStore::LoadSettings(*Conn), SyncSettings());
        Connection backup;
        backup.Open(ConnString::ForFile(empty, QString::fromLatin1(kDatabasePassword)));
        QVERIFY(!SyncStore::HasTables(backup));
    }

    // A desk's user may not make tables: the message says what the
    // database's owner runs.
    void aDeskThatCannotMakeTheTablesSaysWhatToRun() {
        const QString db = PgServer::NewBook();
        PgServer::Sql(QStringLiteral("DROP TABLE adrssyncset, adrssynccard"), db);
        Connection desk;
        desk.Open(ConnString::Build(PgServer::Tcp(db)));
        QCOMPARE(SyncStore::LoadSettings(desk), SyncSettings());
        const QString said = ErrorOf([&] { SyncStore::EnsureTables(desk); });
        QVERIFY2(said.contains(QStringLiteral("CREATE TABLE adrssynccard")), qPrintable(said));
        QVERIFY2(said.contains(QStringLiteral("GRANT SELECT, INSERT, UPDATE, DELETE ON "
                                              "adrssyncset, adrssynccard TO adrsdesk")),
                 qPrintable(said));
        desk.Close();
        PgServer::Drop(db);
    }

    void oneDeskSyncsAtATime_data() {
        QTest::addColumn<BookKind>("kind");
        QTest::newRow("file") << BookKind::File;
        QTest::newRow("server") << BookKind::Server;
    }
    void oneDeskSyncsAtATime() {
        QFETCH(BookKind, kind);
        TestBook book(kind);
        {
            const SyncLock first(*Conn);
            QVERIFY(first.Held());
            const SyncLock second(*Conn2);
            QVERIFY(!second.Held());
        }
        const SyncLock again(*Conn2);
        QVERIFY(again.Held());
    }

    // A worker writes on its own connection while a window's result is
    // still unread: the window's rows stay those of before the write, and
    // neither thread waits for ever, whether the main thread runs its event
    // loop or waits for the worker.
    void aWorkerWritesBesideTheWindowsResults_data() {
        QTest::addColumn<bool>("eventLoop");
        QTest::newRow("event loop") << true;
        QTest::newRow("waiting for the worker") << false;
    }
    void aWorkerWritesBesideTheWindowsResults() {
        QFETCH(bool, eventLoop);
        TestBook book(BookKind::File);
        book.Exec(QStringLiteral("insert into adrsmstr (adrsid, adrsname) values (1, 'OLD')"));
        Recordset window;
        window.Open(QStringLiteral("Select * from adrsmstr"), Conn); // read when first needed
        QString failed;
        QThread* worker = QThread::create([&] {
            try {
                Connection own;
                own.Open(ConnStr);
                own.Execute(QStringLiteral(
                    "insert into adrsmstr (adrsid, adrsname) values (2, 'FROM THE WORKER')"));
                SaveState(own);
            } catch (const DbError& e) {
                failed = e.message();
            }
        });
        if (eventLoop) {
            QEventLoop loop;
            connect(worker, &QThread::finished, &loop, &QEventLoop::quit);
            worker->start();
            loop.exec();
        } else {
            worker->start();
            while (!worker->wait(10))
                DeferredSnapshot::ServeWaiting();
        }
        worker->wait();
        delete worker;
        QCOMPARE(failed, QString());
        QCOMPARE(window.RecordCount(), 1);
        QCOMPARE(book.Count(QStringLiteral("adrsmstr")), 2);
        QVERIFY(HasState(*Conn));
    }
};

ADRSBOOK_TEST(SyncStoreTests)
#include "tst_syncstore.moc"
