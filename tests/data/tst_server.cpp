// The database server as the second engine: the translation of the
// windows' statement texts, server connection strings, new ids taken by
// two desks at once, faults, and copying a book to the server and back.

#include "data/bookcopy.h"
#include "data/connmodule.h"
#include "data/connstring.h"
#include "data/dberror.h"
#include "data/ids.h"
#include "data/pgdialect.h"
#include "data/pgengine.h"
#include "data/recordset.h"
#include "data/schema.h"
#include "data/serverbackup.h"
#include "support/fixture.h"
#include "support/pgserver.h"
#include "support/testmain.h"

#include <QTemporaryDir>
#include <QTest>
#include <atomic>
#include <thread>

namespace {
// Opens as start-up opens the first connection.
QString OpenError(const ConnString::Parts& parts) {
    Connection c;
    try {
        c.Open(ConnString::Build(parts));
        c.Verify();
        Schema::RequireTables(c);
    } catch (const DbError& e) {
        return e.message();
    }
    return QString();
}

void AddGroup(Connection& conn, int id, const QString& name) {
    Recordset rs;
    rs.Open(QStringLiteral("Select * from adrsgrupmstr"), &conn);
    rs.AddNew();
    rs.Fields("grpid") = QVariant(id);
    rs.Fields("grpname") = name;
    rs.UpdateBatch();
}

// The next group id, read as the windows read it, inside the open transaction.
Integer NextGroupId(Connection& conn) {
    Recordset rs;
    rs.Open(QStringLiteral("Select max(grpid) from adrsgrupmstr"), &conn);
    return NextId(rs);
}
} // namespace

class ServerTests : public QObject {
    Q_OBJECT
  private slots:
    void initTestCase() { REQUIRE_PG_SERVER(); }

    void jetTextsBecomePostgresql() {
        PgDialect d;
        d.SetColumns({{"adrsid", PgDialect::Kind::Integer},
                      {"ctyid", PgDialect::Kind::Integer},
                      {"delstatus", PgDialect::Kind::Integer},
                      {"adrsgrupid", PgDialect::Kind::Text},
                      {"adrsname", PgDialect::Kind::Text}});
        const struct {
            const char* text;
            const char* sql;
            QVariantList params;
        } cases[] = {
            {"Select * from cscmstr where ctyid like '12'",
             "Select ctyid AS row_key_,* from cscmstr where ctyid = $1",
             {qlonglong(12)}},
            {"Select * from Adrsmstr order by adrsname",
             "Select adrsid AS row_key_,* from Adrsmstr order by adrsname",
             {}},
            {"Delete * from adrsgrpdtails where adrsgrpdtails.adrsgrupid like '3'",
             "Delete  from adrsgrpdtails where adrsgrpdtails.adrsgrupid = $1",
             {QStringLiteral("3")}},
            {"select 1 from t where adrsid like '1%' and adrsname like '%a\\b%'",
             "select 1 from t where CAST(adrsid AS text) like '1%' ESCAPE '' and CAST(adrsname AS "
             "text) ILIKE '%a\\b%' ESCAPE ''",
             {}},
            {"select 1 from t where t.adrsid not like '1' and a.adrsname like '%D%'",
             "select 1 from t where CAST(t.adrsid AS text) not like '1' ESCAPE '' and "
             "CAST(a.adrsname AS text) ILIKE '%D%' ESCAPE ''",
             {}},
            {"select 1 from t where adrsid not like '1'",
             "select 1 from t where CAST(adrsid AS text) not like '1' ESCAPE ''",
             {}},
            {"SELECT (c.ctyname +' ('+ c.statename +')') From c where c.delstatus like '0'",
             "SELECT (c.ctyname ||' ('|| c.statename ||')') From c where c.delstatus = $1",
             {qlonglong(0)}},
            {"Select * from (Adrsmstr inner join cscmstr on a=b) where adrsname like 'it''s'",
             "Select * from (Adrsmstr inner join cscmstr on a=b) where CAST(adrsname AS text) "
             "ILIKE 'it''s' ESCAPE ''",
             {}},
            {"Select adrsname from adrsmstr where adrsname like '5' and ctyid like '7'",
             "Select adrsname from adrsmstr where adrsname = $1 and ctyid = $2",
             {QStringLiteral("5"), qlonglong(7)}},
        };
        for (const auto& c : cases) {
            const EngineStatement st = d.Translate(QString::fromLatin1(c.text));
            QCOMPARE(st.sql, QString::fromLatin1(c.sql));
            QCOMPARE(st.params, c.params);
        }
        QString table;
        d.Translate(QStringLiteral("Select max(adrsid) from adrsmstr"), &table);
        QCOMPARE(table, QStringLiteral("adrsmstr"));
        d.Translate(QStringLiteral("Select max(adrsname) from adrsmstr"), &table);
        QVERIFY(table.isEmpty());
    }

    void serverPartsTravelInConnectionStrings() {
        const QString odd = QStringLiteral("p;w'd \"x\"\\");
        const auto parts = ConnString::Parse(ConnString::ForServer(
            QStringLiteral("/run/my sock"), QStringLiteral("5433"), QStringLiteral("book;1"),
            QStringLiteral("front desk"), QStringLiteral("require"), odd));
        QCOMPARE(parts.provider, QStringLiteral("PostgreSQL"));
        QCOMPARE(parts.host, QStringLiteral("/run/my sock"));
        QCOMPARE(parts.port, QStringLiteral("5433"));
        QCOMPARE(parts.database, QStringLiteral("book;1"));
        QCOMPARE(parts.user, QStringLiteral("front desk"));
        QCOMPARE(parts.sslMode, QStringLiteral("require"));
        QCOMPARE(parts.password, odd);
        QVERIFY(parts.IsServer());
        QVERIFY(!ConnString::Parse(ConnString::ForFile(QStringLiteral("/a.mdb"), {})).IsServer());
        // libpq's own quoting: apostrophes and backslashes escaped; TLS when offered.
        const QByteArray info = PgEngine::Conninfo(parts);
        QVERIFY2(info.contains("password='p;w\\'d \"x\"\\\\'"), info.constData());
        ConnString::Parts plain = parts;
        plain.sslMode.clear();
        QVERIFY(PgEngine::Conninfo(plain).contains("sslmode='prefer'"));
    }

    // Two desks take a new id at the same moment: the second waits until the
    // first has saved, then reads the maximum that includes it.
    void newIdsAreTakenOneDeskAtATime() {
        TestBook book(BookKind::Server);
        Connection other;
        other.Open(ConnStr);
        AddGroup(*Conn, 1, QStringLiteral("FIRST"));

        Conn->BeginTrans();
        const Integer mine = NextGroupId(*Conn);
        std::atomic<bool> done{false};
        Integer theirs = 0;
        QString theirError;
        std::thread desk([&] {
            try {
                InTransaction(other, [&] {
                    theirs = NextGroupId(other);
                    AddGroup(other, theirs, QStringLiteral("THEIRS"));
                });
            } catch (const std::exception& e) {
                theirError = QString::fromUtf8(e.what());
            }
            done = true;
        });
        QTest::qWait(300);
        QVERIFY(!done); // waiting for this desk's transaction
        AddGroup(*Conn, mine, QStringLiteral("MINE"));
        Conn->CommitTrans();
        desk.join();
        QVERIFY2(theirError.isEmpty(), qPrintable(theirError));
        QCOMPARE(mine, Integer(2));
        QCOMPARE(theirs, Integer(3));
        QCOMPARE(
            book.Rows(QStringLiteral("Select grpid, grpname from adrsgrupmstr order by grpid")),
            (QList<QStringList>{{"1", "FIRST"}, {"2", "MINE"}, {"3", "THEIRS"}}));

        // An id taken outside the lock and saved twice is refused, never doubled.
        AddGroup(other, 4, QStringLiteral("A"));
        try {
            AddGroup(*Conn, 4, QStringLiteral("B"));
            QFAIL("a second row with the same id was saved");
        } catch (const DbError& e) {
            QVERIFY2(e.message().contains(QStringLiteral("same id")), qPrintable(e.message()));
        }
        QCOMPARE(book.Count(QStringLiteral("adrsgrupmstr")), 4);
    }

    void faultsAreReportedClearly() {
        const QString db = PgServer::NewBook();
        // The desk user with its password may use the tables over TCP.
        QCOMPARE(OpenError(PgServer::Tcp(db)), QString());
        const QString wrong = OpenError(PgServer::Tcp(db, QStringLiteral("not it")));
        QVERIFY2(wrong.contains(QStringLiteral("password authentication failed")),
                 qPrintable(wrong));
        ConnString::Parts tls = PgServer::Tcp(db);
        tls.sslMode = QStringLiteral("require");
        const QString noTls = OpenError(tls);
        QVERIFY2(noTls.contains(QStringLiteral("SSL")), qPrintable(noTls));
        const QString bare = PgServer::NewEmptyDatabase();
        const QString noTables = OpenError(PgServer::Socket(bare));
        QVERIFY2(
            noTables.contains(QStringLiteral("is not an address book: it has no table cscmstr")),
            qPrintable(noTables));
        PgServer::Drop(bare);
        PgServer::Drop(db);
    }

    // A desk connected again learns the columns anew: a text translated
    // before is translated again, for the columns as they are now.
    void aDeskConnectedAgainTranslatesAnew() {
        const QString db = PgServer::NewBook();
        Connection desk;
        desk.Open(ConnString::Build(PgServer::Tcp(db)));
        const QString text = QStringLiteral("Select 1 from adrsgrupmstr where grpname like '3'");
        QCOMPARE(desk.Translate(text).params, QVariantList{QVariant(QStringLiteral("3"))});
        PgServer::Sql(
            QStringLiteral("ALTER TABLE adrsgrupmstr ALTER COLUMN grpname TYPE integer USING 0"),
            db);
        const auto session = [&] {
            Recordset rs;
            rs.Open(QStringLiteral("Select pg_backend_pid()"), &desk);
            return rs.Fields(0).Value().toInt();
        };
        const int before = session();
        QCOMPARE(desk.Translate(text).params, QVariantList{QVariant(QStringLiteral("3"))});
        PgServer::Sql(QStringLiteral("SELECT pg_terminate_backend(%1, 5000)").arg(before));
        try {
            session(); // the cut may be reported first
        } catch (const DbError&) {
        }
        QVERIFY(session() != before);
        QCOMPARE(desk.Translate(text).params, QVariantList{QVariant(qlonglong(3))});
        desk.Close();
        PgServer::Drop(db);
    }

    // A desk user without its rights is told the table, the rights it lacks
    // and the GRANT that gives them, at the start and at a statement.
    void aDeskWithoutItsRightsIsToldWhatToGrant() {
        const QString grant =
            QStringLiteral("GRANT SELECT, INSERT, UPDATE, DELETE ON cscmstr, adrsgrupmstr, "
                           "adrsmstr, adrsgrpdtails, adrssyncset, adrssynccard TO adrsdesk");
        const struct {
            const char* revoke;
            const char* said;
        } cases[] = {
            {"REVOKE ALL ON adrsmstr FROM adrsdesk",
             "permission denied on table adrsmstr (SELECT, INSERT, UPDATE, DELETE)"},
            {"REVOKE UPDATE ON cscmstr FROM adrsdesk",
             "permission denied on table cscmstr (UPDATE)"},
        };
        for (const auto& c : cases) {
            const QString db = PgServer::NewBook();
            PgServer::Sql(QString::fromLatin1(c.revoke), db);
            const QString said = OpenError(PgServer::Tcp(db));
            QVERIFY2(said.contains(QLatin1String(c.said)) && said.contains(grant),
                     qPrintable(said));
            PgServer::Drop(db);
        }
        const QString db = PgServer::NewBook();
        Connection desk;
        desk.Open(ConnString::Build(PgServer::Tcp(db)));
        PgServer::Sql(QStringLiteral("REVOKE INSERT ON adrsgrupmstr FROM adrsdesk"), db);
        try {
            AddGroup(desk, 1, QStringLiteral("REFUSED"));
            QFAIL("a row was added without the right to");
        } catch (const DbError& e) {
            QVERIFY2(
                e.message().contains(QStringLiteral("permission denied for table adrsgrupmstr")) &&
                    e.message().contains(grant),
                qPrintable(e.message()));
        }
        desk.Close();
        PgServer::Drop(db);
    }

    // TLS with the server's certificate checked (verify-full): accepted with
    // the private authority's root certificate, for the address and the name
    // the certificate is made for; refused with another authority's, or none.
    void verifyFullChecksTheServersCertificate() {
        QTemporaryDir folder;
        struct Plain {
            ~Plain() {
                qunsetenv("PGSSLROOTCERT");
                try {
                    PgServer::TlsOff();
                } catch (...) {
                }
            }
        } plainAgain;
        const QString root = PgServer::TlsOn(folder.path());
        const QString other = PgServer::MakeAuthority(folder.path(), QStringLiteral("other"));
        const QString db = PgServer::NewBook();
        const struct {
            QString host, rootCertificate, said;
        } cases[] = {
            {QStringLiteral("127.0.0.1"), root, {}},
            {QStringLiteral("localhost"), root, {}},
            {QStringLiteral("127.0.0.1"), other, QStringLiteral("certificate verify failed")},
            {QStringLiteral("127.0.0.1"), folder.filePath(QStringLiteral("none.crt")),
             QStringLiteral("does not exist")},
        };
        for (const auto& c : cases) {
            qputenv("PGSSLROOTCERT", c.rootCertificate.toLocal8Bit());
            ConnString::Parts parts = PgServer::Tcp(db);
            parts.host = c.host;
            parts.sslMode = QStringLiteral("verify-full");
            Connection conn;
            QString said;
            try {
                conn.Open(ConnString::Build(parts));
            } catch (const DbError& e) {
                said = e.message();
            }
            QVERIFY2(c.said.isEmpty() ? said.isEmpty() : said.contains(c.said), qPrintable(said));
            if (said.isEmpty()) QVERIFY(!conn.engine().Unencrypted());
        }
        PgServer::Drop(db);
    }

    // The server stops in the middle of a save: nothing of it stays, the
    // desk is told, and its next action after the server is back works.
    void aSaveCutByTheServerStoppingLeavesNothing() {
        TestBook book(BookKind::Server);
        QString error;
        try {
            InTransaction(*Conn, [&] {
                AddGroup(*Conn, 1, QStringLiteral("HALF"));
                PgServer::Stop();
                AddGroup(*Conn, 2, QStringLiteral("SAVED"));
            });
        } catch (const DbError& e) {
            error = e.message();
        }
        QVERIFY2(error.contains(QStringLiteral("was lost")), qPrintable(error));
        QVERIFY(!Conn->InTransaction());
        // While the server is away each action says it cannot be reached.
        try {
            book.Count(QStringLiteral("adrsgrupmstr"));
            QFAIL("a query answered without a server");
        } catch (const DbError& e) {
            QVERIFY2(e.message().contains(QStringLiteral("cannot be reached")),
                     qPrintable(e.message()));
        }
        PgServer::Start();
        QCOMPARE(book.Count(QStringLiteral("adrsgrupmstr")), 0);
        AddGroup(*Conn, 1, QStringLiteral("AFTER"));
        QCOMPARE(book.Count(QStringLiteral("adrsgrupmstr")), 1);
    }

    void aBookCopiedToTheServerAndBackIsTheSame() {
        TestBook book; // a keyed file
        book.Exec(
            QStringLiteral("insert into cscmstr (ctyid, ctyname, statename, contryname, addt, "
                           "delstatus) values (1, 'LUDHIANA', 'PUNJAB', NULL, "
                           "'2026-12-08 14:30:05', 1)"));
        book.Exec(QStringLiteral("insert into adrsmstr (adrsid, adrsname, adrsctyid, adrsphno, "
                                 "adrsdelstatus) values (7, 'O''BRIEN & SONS', 1, ' 0161 ', 0)"));
        book.Exec(
            QStringLiteral("insert into adrsgrupmstr (grpid, grpname) values (3, 'Ünïcode')"));
        book.Exec(QStringLiteral("insert into adrsgrpdtails (adrsgrpid, adrsconcrnid, adrsgrupid) "
                                 "values (5, 7, '3')"));
        const QString bare = PgServer::NewEmptyDatabase();
        PgEngine::CreateTables(PgServer::Socket(bare));
        Connection server;
        server.Open(ConnString::Build(PgServer::Socket(bare)));
        BookCopy::CopyRows(*Conn, server);
        const auto original = BookCopy::Summarise(*Conn);
        QCOMPARE(BookCopy::Summarise(server), original);
        QCOMPARE(original[2].rows, 1);
        // Into an emptied book file again.
        const QString back = book.Path(QStringLiteral("back.mdb"));
        CreateBookFile(back);
        Connection file;
        file.Open(ConnString::ForFile(back, QString::fromLatin1(kDatabasePassword)));
        BookCopy::CopyRows(server, file);
        QCOMPARE(BookCopy::Summarise(file), original);
        // A book is copied only into an empty one.
        QVERIFY_THROWS_EXCEPTION(DbError, BookCopy::CopyRows(*Conn, server));
        server.Close();
        PgServer::Drop(bare);
    }

    // A backup of the server is a book file; a restore loads one back, all or
    // nothing, and only while no other connection has the book open, whatever
    // its login: here the desk user's over TCP beside the superuser's socket.
    // (One process is one desk: its connections are counted as this desk's.)
    void backupAndRestoreOnTheServer() {
        TestBook book(BookKind::Server);
        AddGroup(*Conn, 1, QStringLiteral("KEPT"));
        const QString file = book.Path(QStringLiteral("server-backup.mdb"));
        ServerBackup::BackupTo(*Conn, file);
        Connection backup;
        backup.Open(ConnString::ForFile(file, QString::fromLatin1(kDatabasePassword)));
        QCOMPARE(BookCopy::Summarise(backup), BookCopy::Summarise(*Conn));
        backup.Close();

        AddGroup(*Conn, 2, QStringLiteral("LATER"));
        try {
            ServerBackup::RestoreFrom(*Conn, file); // Conn2 is another desk
            QFAIL("a restore ran while another desk was connected");
        } catch (const DbError& e) {
            QVERIFY2(e.message().contains(QStringLiteral("other connection")),
                     qPrintable(e.message()));
        }
        QCOMPARE(book.Count(QStringLiteral("adrsgrupmstr")), 2);
        Conn2->Close();
        Connection desk;
        desk.Open(ConnString::Build(PgServer::Tcp(book.Database())));
        const auto refusal = [&] {
            try {
                ServerBackup::RestoreFrom(*Conn, file);
            } catch (const DbError& e) {
                return e.message();
            }
            return QString();
        };
        QVERIFY(refusal().contains(QStringLiteral("1 other connection")));
        // Its session cut, the desk holds the book again once it has connected again.
        const auto session = [&] {
            Recordset rs;
            rs.Open(QStringLiteral("Select pg_backend_pid()"), &desk);
            return rs.Fields(0).Value().toInt();
        };
        const int before = session();
        PgServer::Sql(QStringLiteral("SELECT pg_terminate_backend(%1, 5000)").arg(before));
        try {
            session(); // the cut may be reported first
        } catch (const DbError&) {
        }
        QVERIFY(session() != before);
        QVERIFY(refusal().contains(QStringLiteral("1 other connection")));
        QCOMPARE(book.Count(QStringLiteral("adrsgrupmstr")), 2);
        desk.Close();
        ServerBackup::RestoreFrom(*Conn, file);
        QCOMPARE(book.Rows(QStringLiteral("Select grpid, grpname from adrsgrupmstr")),
                 (QList<QStringList>{{"1", "KEPT"}}));
    }
};

ADRSBOOK_TEST(ServerTests)
#include "tst_server.moc"
