// Opening the database file, the translation of statement texts, and
// backup and restore of the file.

#include "data/backup.h"
#include "data/connmodule.h"
#include "data/connstring.h"
#include "data/dberror.h"
#include "data/recordset.h"
#include "data/schema.h"
#include "data/sqlcipherengine.h"
#include "data/sqlitedialect.h"
#include "support/fixture.h"
#include "support/testmain.h"

#include <QCryptographicHash>
#include <QFile>
#include <QTemporaryDir>
#include <QTest>

namespace {
QByteArray Digest(const QString& file) {
    QFile f(file);
    if (!f.open(QIODevice::ReadOnly)) return {};
    return QCryptographicHash::hash(f.readAll(), QCryptographicHash::Sha256);
}

QString ConnStrFor(const QString& file,
                   const QString& password = QStringLiteral("402@tarn#velio")) {
    return ConnString::ForFile(file, password);
}

QString OpenError(const QString& connStr) {
    Connection c;
    try {
        c.Open(connStr);
    } catch (const DbError& e) {
        return e.message();
    }
    return QString();
}
} // namespace

class ConnectionTests : public QObject {
    Q_OBJECT
  private slots:
    void connectionStringIsReadAsTheWindowsBuildIt() {
        const auto parts =
            Connection::Parse(QStringLiteral("PROVIDER=Microsoft.Jet.OLEDB.4.0;Data Source=") +
                              QStringLiteral("/opt/book") +
                              QStringLiteral("\\adrsbookHXS.mdb;Jet OLEDB:Database "
                                             "Password='402@tarn#velio';"));
        QCOMPARE(parts.dataSource, QStringLiteral("/opt/book/adrsbookHXS.mdb"));
        QCOMPARE(parts.password, QStringLiteral("402@tarn#velio"));
        QCOMPARE(parts.provider, QStringLiteral("Microsoft.Jet.OLEDB.4.0"));
    }

    // Any folder name survives the trip through a connection string.
    void connectionStringsCarryAnyFolderName() {
        const QStringList folders{
            QStringLiteral("/opt/plain"),       QStringLiteral("/opt/semi;colon"),
            QStringLiteral("/opt/back\\slash"), QStringLiteral("/opt/it's \"quoted\""),
            QStringLiteral("/opt/a=b; c"),      QStringLiteral(" /opt/blank ends "),
        };
        for (const QString& folder : folders) {
            const QString file = folder + QStringLiteral("/adrsbookHXS.mdb");
            const auto parts =
                Connection::Parse(ConnString::ForFile(file, QStringLiteral("p;w'd")));
            QCOMPARE(parts.dataSource, file);
            QCOMPARE(parts.password, QStringLiteral("p;w'd"));
            QCOMPARE(parts.provider, QStringLiteral("SQLCipher"));
        }
    }

    void openConnBuildsItsStringFromTheApplicationFolder() {
        TestBook book;
        QCOMPARE(ConnStr, QStringLiteral("PROVIDER=SQLCipher;Data Source=") + book.Folder() +
                              QStringLiteral("/adrsbookHXS.mdb;Jet OLEDB:Database "
                                             "Password='402@tarn#velio';"));
        QCOMPARE(ConnStr2, ConnStr);
        QCOMPARE(Conn->State(), 1);
        QCOMPARE(Conn2->State(), 1);
        // The second connection sees what the first commits.
        book.Exec(QStringLiteral("insert into adrsgrupmstr (grpid, grpname) values (1, 'A')"));
        Recordset rs;
        rs.Open(QStringLiteral("Select count(*) from adrsgrupmstr"), Conn2);
        QCOMPARE(rs.Fields(0).Value().toInt(), 1);
    }

    void badFilesAreRefusedAndLeftUntouched() {
        QTemporaryDir dir;
        const QString good = dir.filePath(QStringLiteral("good.mdb"));
        CreateBookFile(good);

        const QString missing = dir.filePath(QStringLiteral("missing.mdb"));
        QVERIFY(OpenError(ConnStrFor(missing)).contains(QStringLiteral("was not found")));
        QVERIFY(!QFile::exists(missing)); // never created

        const QString empty = dir.filePath(QStringLiteral("empty.mdb"));
        QFile(empty).open(QIODevice::WriteOnly);
        QVERIFY(OpenError(ConnStrFor(empty)).contains(QStringLiteral("is empty")));
        QCOMPARE(QFileInfo(empty).size(), qint64(0));

        const QByteArray before = Digest(good);
        const QString wrong = OpenError(ConnStrFor(good, QStringLiteral("not the password")));
        QVERIFY2(wrong.contains(good) && wrong.contains(QStringLiteral("password is wrong")),
                 qPrintable(wrong));
        QCOMPARE(Digest(good), before);

        const QString text = dir.filePath(QStringLiteral("text.mdb"));
        QFile f(text);
        QVERIFY(f.open(QIODevice::WriteOnly));
        f.write(QByteArray(4096, 'x'));
        f.close();
        QVERIFY(!OpenError(ConnStrFor(text)).isEmpty());

        // A keyed file without the address book's tables is not an address book.
        const QString bare = dir.filePath(QStringLiteral("bare.mdb"));
        SqlCipherEngine::CreateFile(bare, QStringLiteral("402@tarn#velio"));
        QVERIFY_THROWS_EXCEPTION(DbError, Backup::VerifyDatabaseFile(bare));
    }

    void idComparisonsBecomeBoundEqualities() {
        TestBook book;
        Engine& engine = Conn->engine();
        const EngineStatement st =
            engine.Translate(QStringLiteral("Select * from cscmstr where ctyid like '12'"));
        QCOMPARE(st.sql, QStringLiteral("Select ctyid AS row_key_,* from cscmstr where ctyid = ?"));
        QCOMPARE(st.params, QVariantList{QVariant(qlonglong(12))});
        QCOMPARE(st.table, QStringLiteral("cscmstr"));
        // Text columns keep text; patterns, names and negations stay as written.
        QCOMPARE(engine
                     .Translate(
                         QStringLiteral("select * from a where adrsgrpdtails.adrsgrupid like '3'"))
                     .params,
                 QVariantList{QVariant(QStringLiteral("3"))});
        QCOMPARE(
            engine.Translate(QStringLiteral("select adrsid from adrsmstr where adrsname like '12'"))
                .params,
            QVariantList{QVariant(QStringLiteral("12"))});
        QVERIFY(engine.Translate(QStringLiteral("select 1 from adrsmstr where adrsid like '1%'"))
                    .params.isEmpty());
        QVERIFY(engine.Translate(QStringLiteral("select 1 from adrsmstr where adrsid not like '1'"))
                    .params.isEmpty());
        QCOMPARE(
            engine.Translate(QStringLiteral("Delete * from adrsgrupmstr where grpname like 'a+b'"))
                .sql,
            QStringLiteral("Delete  from adrsgrupmstr where grpname like 'a+b'"));
    }

    // In a join, a like few rows of its table match is marked unlikely (so
    // that the engine reads those rows first); anything else stays as written.
    void rareLikesInAJoinAreMarkedUnlikely() {
        SqliteDialect dialect;
        dialect.SetColumns({{"ctyname", SqliteDialect::Affinity::Text},
                            {"adrsname", SqliteDialect::Affinity::Text},
                            {"adrsctyid", SqliteDialect::Affinity::Integer}});
        QStringList asked;
        dialect.SetFewMatch([&](const QString& column, const QString& pattern) {
            asked << column + u' ' + pattern;
            return pattern != QLatin1String("%A%");
        });
        const QString join = "Select * from (a inner join c on a.x=c.y) where ";
        const struct {
            QString condition, expected;
        } cases[] = {
            {"ctyname like '%ANA%' order by adrsname",
             "unlikely(ctyname like '%ANA%') order by adrsname"},
            {"a.z = ? and  cscmstr.ctyname like '%o''b%'",
             "a.z = ? and  unlikely(cscmstr.ctyname like '%o''b%')"},
            {"(ctyname like '%ANA%')", "(unlikely(ctyname like '%ANA%'))"},
            {"ctyname like '%A%'", "ctyname like '%A%'"},             // many match
            {"unknown like '%ANA%'", "unknown like '%ANA%'"},         // not a column
            {"ctyname not like '%ANA%'", "ctyname not like '%ANA%'"}, // "not" is no column
            {"'x' || ctyname like '%ANA%'", "'x' || ctyname like '%ANA%'"},
            {"ctyname like '%ANA%' || 'x'", "ctyname like '%ANA%' || 'x'"},
            {"ctyname like '%AN!%%' escape '!'", "ctyname like '%AN!%%' escape '!'"},
        };
        for (const auto& c : cases)
            QCOMPARE(dialect.Translate(join + c.condition).sql, join + c.expected);
        // Without a join there is no order to choose: nothing is asked.
        asked.clear();
        QCOMPARE(dialect.Translate("Select ctyid from cscmstr where ctyname like '%ANA%'").sql,
                 QStringLiteral("Select ctyid from cscmstr where ctyname like '%ANA%'"));
        QVERIFY(asked.isEmpty());
    }

    // The file answers how many rows match, by the program's own like.
    void fewRowsAreCountedByTheProgramsLike() {
        TestBook book(BookKind::File);
        for (int id = 1; id <= 20; ++id)
            book.Exec(
                QStringLiteral("insert into cscmstr (ctyid, ctyname) values (%1, '%2')")
                    .arg(id)
                    .arg(id == 1 ? QStringLiteral("Ünnao") : QStringLiteral("CITY %1").arg(id)));
        auto* engine = static_cast<SqlCipherEngine*>(&Conn->engine());
        const QString join = "Select * from (Adrsmstr inner join cscmstr on "
                             "adrsmstr.adrsctyid=cscmstr.ctyid) where ctyname like '%1'";
        QVERIFY(engine->Translate(join.arg("%üNN%")).sql.contains("unlikely("));
        QVERIFY(engine->Translate(join.arg("%nothing%")).sql.contains("unlikely("));
        QVERIFY(!engine->Translate(join.arg("%CITY%")).sql.contains("unlikely("));
        // The marked statement gives the rows the plain one would.
        book.Exec("insert into adrsmstr (adrsid, adrsname, adrsctyid) values (1, 'B', 1), "
                  "(2, 'A', 1), (3, 'C', 2)");
        QCOMPARE(book.Rows(join.arg("%üNN%").replace("*", "adrsname") + " order by adrsname"),
                 (QList<QStringList>{{"A"}, {"B"}}));
    }

    // Opened for writing, a book gains the index of the parties' cities; a
    // book with or without it is the program's own, and restores.
    void theCityIndexIsMadeOnOpenAndEitherBookRestores() {
        TestBook book(BookKind::File);
        const QString made = "CREATE INDEX adrsmstr_adrsctyid ON adrsmstr (adrsctyid)";
        const QString ask = "Select count(*) from sqlite_master where sql = '" + made + "'";
        QCOMPARE(book.Value(ask).toInt(), 1);
        Schema::RequireOwnSchema(*Conn);

        const QString plain = book.Path(QStringLiteral("plain.mdb"));
        Schema::CreateDatabase(plain, QString::fromLatin1(kDatabasePassword));
        const QString file = book.File();
        CloseConns();
        Backup::RestoreFrom(plain, file);
        SetBookReadOnly(true); // goes without
        OpenConn();
        QCOMPARE(book.Value(ask).toInt(), 0);
        Schema::RequireOwnSchema(*Conn);
        CloseConns();
        SetBookReadOnly(false);
        OpenConn();
        OpenConn2();
        QCOMPARE(book.Value(ask).toInt(), 1);
    }

    void backupAndRestoreRoundTrip() {
        TestBook book;
        book.Exec(QStringLiteral("insert into adrsgrupmstr (grpid, grpname) values (1, 'KEPT')"));
        const QString copy = book.Path(QStringLiteral("copy.mdb"));
        Backup::BackupTo(*Conn, copy);
        Backup::VerifyDatabaseFile(copy);
        book.Exec(QStringLiteral("insert into adrsgrupmstr (grpid, grpname) values (2, 'LATER')"));

        const QString file = book.File();
        CloseConns();
        const QString kept = Backup::RestoreFrom(copy, file);
        QVERIFY(QFile::exists(kept));
        OpenConn();
        QCOMPARE(book.Rows(QStringLiteral("Select grpid, grpname from adrsgrupmstr")),
                 (QList<QStringList>{{"1", "KEPT"}}));
        CloseConns();
        // The kept copy still holds what was there before.
        Backup::VerifyDatabaseFile(kept);
        OpenConn();
    }

    void aRefusedRestoreChangesNothing() {
        TestBook book;
        book.Exec(QStringLiteral("insert into adrsgrupmstr (grpid, grpname) values (1, 'KEPT')"));
        const QString junk = book.Path(QStringLiteral("junk.mdb"));
        QFile f(junk);
        QVERIFY(f.open(QIODevice::WriteOnly));
        f.write("not a database");
        f.close();
        const QString file = book.File();
        CloseConns();
        const QByteArray before = Digest(file);
        QVERIFY_THROWS_EXCEPTION(DbError, Backup::RestoreFrom(junk, file));
        QCOMPARE(Digest(file), before);
        QCOMPARE(QDir(book.Folder()).entryList({QStringLiteral("*before-restore*")}).size(), 0);
        OpenConn();
    }
};

ADRSBOOK_TEST(ConnectionTests)
#include "tst_connection.moc"
