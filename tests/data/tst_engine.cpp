// The engine under the recordsets: the results it keeps in memory, and the
// file format it reads.

#include "data/connmodule.h"
#include "data/connstring.h"
#include "data/recordset.h"
#include "support/fixture.h"
#include "support/testmain.h"

#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <QTest>

namespace {

QString Random() {
    Recordset rs;
    rs.Open(QStringLiteral("Select random()"), Conn);
    return rs.Fields(0).Str();
}

void AddParty(int id) {
    Conn->Execute(
        QStringLiteral(
            "insert into adrsmstr (adrsid, adrsname, adrsdelstatus) values (%1, 'P%1', 0)")
            .arg(id));
}

} // namespace

class EngineTests : public QObject {
    Q_OBJECT
  private slots:
    // A recordset still waiting for its rows when a write comes keeps the
    // rows from before the write; a query after the write sees the write.
    void aReadAfterAWriteSeesTheWrite() {
        TestBook book;
        InTransaction(*Conn, [&] {
            Recordset pending, again;
            pending.Open(QStringLiteral("Select * from adrsmstr"), Conn);
            AddParty(1);
            again.Open(QStringLiteral("Select * from adrsmstr"), Conn);
            QCOMPARE(pending.RecordCount(), 0);
            QCOMPARE(again.RecordCount(), 1);
            AddParty(2);
            again.Open(QStringLiteral("Select * from adrsmstr"), Conn);
            QCOMPARE(again.RecordCount(), 2);
        });
        QCOMPARE(book.Count(QStringLiteral("adrsmstr")), 2);
    }

    // Only an explicit read answers a repeated query from memory, and a
    // write inside it ends that.
    void onlyAnExplicitReadKeepsResults() {
        TestBook book;
        QVERIFY(Random() != Random());
        InTransaction(*Conn, [&] { QVERIFY(Random() != Random()); });
        InOneRead(*Conn, [&] {
            const QString first = Random();
            QCOMPARE(Random(), first);
            AddParty(1);
            const QString after = Random();
            QVERIFY(after != first);
            QVERIFY(Random() != after);
        });
        InOneRead(*Conn, [&] { QVERIFY(Random() == Random()); });
        QVERIFY(Random() != Random());
    }

    // A book made by this release (SQLCipher 3) opens and reads with
    // whatever SQLCipher the program is built with.
    void theCheckedInBookOfThisReleaseOpens() {
        const QString source = QStringLiteral(ADRSBOOK_BOOKS_DIR "/v3-book.mdb");
        QTemporaryDir dir;
        const QString file = dir.filePath(QStringLiteral("v3-book.mdb"));
        QVERIFY2(QFile::copy(source, file), qPrintable(source));
        Connection conn;
        conn.Open(ConnString::ForFile(file, QString::fromLatin1(kDatabasePassword)));
        conn.Verify();
        Recordset rs;
        rs.Open(QStringLiteral("Select * from (Adrsmstr inner join cscmstr on "
                               "adrsmstr.adrsctyid=cscmstr.ctyid) inner join adrsgrpdtails on "
                               "adrsmstr.adrsid=adrsgrpdtails.adrsconcrnid"),
                &conn);
        QCOMPARE(rs.RecordCount(), 1);
        QCOMPARE(rs.Fields("adrsname").Str(), QStringLiteral("ACME TRADERS"));
        QCOMPARE(rs.Fields("ctyname").Str(), QStringLiteral("LUDHIANA"));
        QCOMPARE(rs.Fields("adrsgrupid").Str(), QStringLiteral("1"));
        QCOMPARE(conn.IntegrityCheck(), QStringLiteral("ok"));
    }
};

ADRSBOOK_TEST(EngineTests)
#include "tst_engine.moc"
