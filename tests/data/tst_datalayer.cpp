// The data layer's contract: what every window relies on when it hands a
// statement text to a recordset. It holds for the keyed file and for a
// database server alike: the same tests run against both.

#include "data/connmodule.h"
#include "data/dberror.h"
#include "data/ids.h"
#include "data/recordset.h"
#include "data/sqltext.h"
#include "support/fixture.h"
#include "support/pgserver.h"
#include "support/testmain.h"

#include <QDateTime>
#include <QTest>

class DataLayerTests : public QObject {
    Q_OBJECT

  public:
    explicit DataLayerTests(BookKind kind = BookKind::File) : kind_(kind) {}

  protected:
    const BookKind kind_;

  private:
    // Makes the engine refuse a group with id 2, so that a write fails midway.
    static void RefuseGroup2(TestBook& book) {
        if (book.Kind() == BookKind::Server)
            book.Exec(QStringLiteral(
                "alter table adrsgrupmstr add constraint refuse check (grpid <> 2)"));
        else
            book.Exec(QStringLiteral(
                "create trigger refuse before insert on adrsgrupmstr when new.grpid = 2 "
                "begin select raise(abort, 'refused'); end"));
    }

    static void AddParty(TestBook& book, int id, const QString& name, int city) {
        book.Exec(QStringLiteral(
                      "insert into adrsmstr (adrsid, adrsname, adrsctyid, adrsdelstatus) values "
                      "(%1, '%2', %3, 0)")
                      .arg(id)
                      .arg(Quote(name))
                      .arg(city));
    }

  private slots:
    void likeMatchesSubstringsAndIdsExactly() {
        TestBook book(kind_);
        AddParty(book, 1, QStringLiteral("ALPHA TRADERS"), 1);
        AddParty(book, 2, QStringLiteral("BETA STORES"), 1);
        AddParty(book, 12, QStringLiteral("GAMMA"), 1);
        Recordset rs;
        rs.Open(QStringLiteral("Select adrsname,adrsid from Adrsmstr  where  adrsname like '%") +
                    QStringLiteral("TRAD") + QStringLiteral("%' order by adrsname"),
                Conn, adOpenStatic, adLockBatchOptimistic);
        QCOMPARE(rs.RecordCount(), 1);
        QCOMPARE(rs.Fields("adrsname").Str(), QStringLiteral("ALPHA TRADERS"));
        // An id between apostrophes without wildcards matches that id only: 1, not 12.
        rs.Close();
        rs.Open(QStringLiteral("Select * from Adrsmstr where Adrsid like '") + QString::number(1) +
                    QStringLiteral("'"),
                Conn, adOpenStatic, adLockBatchOptimistic);
        QCOMPARE(rs.RecordCount(), 1);
        QCOMPARE(rs.Fields("adrsname").Str(), QStringLiteral("ALPHA TRADERS"));
        // The empty pattern lists every row, in name order.
        rs.Close();
        rs.Open(QStringLiteral("Select adrsname,adrsid from adrsmstr  order by adrsname"), Conn);
        QStringList names;
        for (; !rs.Eof(); rs.MoveNext())
            names << rs.Fields(0).Str();
        QCOMPARE(names, (QStringList{"ALPHA TRADERS", "BETA STORES", "GAMMA"}));
        // Pattern characters keep their meaning in a value; a leading zero is not the same id.
        rs.Close();
        rs.Open(QStringLiteral("Select * from adrsmstr where adrsname like '%A_T%'"), Conn);
        QCOMPARE(rs.RecordCount(), 1);
        rs.Close();
        rs.Open(QStringLiteral("Select * from adrsmstr where adrsid like '01'"), Conn);
        QCOMPARE(rs.RecordCount(), 0);
    }

    void textComparisonIgnoresCase() {
        TestBook book(kind_);
        AddParty(book, 1, QStringLiteral("Delhi Traders"), 1);
        book.Exec(
            QStringLiteral("insert into adrsgrupmstr (grpid, grpname) values (1, 'Friends')"));
        QCOMPARE(book.Value(QStringLiteral(
                                "Select count(*) from adrsmstr where adrsname like '%dElHi%'"))
                     .toInt(),
                 1);
        QCOMPARE(book.Value(QStringLiteral(
                                "Select count(*) from adrsgrupmstr where grpname = 'FRIENDS'"))
                     .toInt(),
                 1);
        book.Exec(QStringLiteral("insert into adrsgrupmstr (grpid, grpname) values (2, 'apples')"));
        book.Exec(
            QStringLiteral("insert into adrsgrupmstr (grpid, grpname) values (3, 'BANANAS')"));
        const auto rows =
            book.Rows(QStringLiteral("Select grpname,grpid from adrsgrupmstr  order by grpname"));
        QCOMPARE(rows.at(0).at(0), QStringLiteral("apples"));
        QCOMPARE(rows.at(1).at(0), QStringLiteral("BANANAS"));
    }

    void plusJoinsTextAndNullMakesItNull() {
        TestBook book(kind_);
        book.Exec(QStringLiteral(
            "insert into cscmstr (ctyid, ctyname, statename, contryname, delstatus) values "
            "(1, 'LUDHIANA', 'PUNJAB', 'INDIA', 0)"));
        book.Exec(QStringLiteral(
            "insert into cscmstr (ctyid, ctyname, statename, contryname, delstatus) values "
            "(2, 'NOWHERE', NULL, 'INDIA', 0)"));
        AddParty(book, 1, QStringLiteral("A"), 1);
        AddParty(book, 2, QStringLiteral("B"), 2);
        const QString query =
            QStringLiteral("SELECT (adrsmstr.adrsname),") +
            QStringLiteral(
                " (adrsmstr.adrs1), (adrsmstr.adrs2), (adrsmstr.adrs3), (adrsmstr.adrsphno),") +
            QStringLiteral(
                " (adrsmstr.adrsmobno),(cscmstr.ctyname +' ('+ cscmstr.statename +')' +', '+ "
                "cscmstr.contryname)From adrsmstr,") +
            QStringLiteral(
                " cscmstr WHERE adrsmstr.adrsctyid = cscmstr.ctyid and adrsmstr.adrsid like '");
        Recordset rs;
        rs.Open(query + QStringLiteral("1' and adrsmstr.adrsdelstatus like '0'"), Conn);
        QCOMPARE(rs.FieldCount(), 7);
        QCOMPARE(rs.Fields(6).Str(), QStringLiteral("LUDHIANA (PUNJAB), INDIA"));
        rs.Close();
        rs.Open(query + QStringLiteral("2' and adrsmstr.adrsdelstatus like '0'"), Conn);
        QCOMPARE(rs.RecordCount(), 1);
        QVERIFY(rs.Fields(6).IsNull());
    }

    void bothDeleteFormsDeleteTheirRows() {
        TestBook book(kind_);
        book.Exec(QStringLiteral("insert into adrsgrupmstr (grpid, grpname) values (1, 'A')"));
        book.Exec(QStringLiteral("insert into adrsgrupmstr (grpid, grpname) values (2, 'B')"));
        AddParty(book, 7, QStringLiteral("X"), 1);
        AddParty(book, 8, QStringLiteral("Y"), 1);
        Recordset rs;
        rs.Open(QStringLiteral("Delete * from adrsgrupmstr where grpid like '") +
                    QStringLiteral("1") + QStringLiteral("'"),
                Conn, adOpenStatic, adLockBatchOptimistic);
        QCOMPARE(rs.State(), int(adStateClosed));
        QCOMPARE(rs.RecordsAffected(), qint64(1));
        rs.Open(QStringLiteral("Delete  from adrsmstr where adrsid like '") + QStringLiteral("7") +
                    QStringLiteral("'"),
                Conn, adOpenStatic, adLockBatchOptimistic);
        QCOMPARE(rs.RecordsAffected(), qint64(1));
        QCOMPARE(book.Count(QStringLiteral("adrsgrupmstr")), 1);
        QCOMPARE(book.Value(QStringLiteral("Select adrsname from adrsmstr")).toString(),
                 QStringLiteral("Y"));
        rs.Open(QStringLiteral("delete * from adrsgrpdtails where adrsconcrnid like '99'"), Conn);
        QCOMPARE(rs.RecordsAffected(), qint64(0));
    }

    void nestedJoinsReturnEveryTablesColumns() {
        TestBook book(kind_);
        book.Exec(QStringLiteral(
            "insert into cscmstr (ctyid, ctyname, statename, contryname, delstatus) values "
            "(4, 'DELHI', 'DELHI', 'INDIA', 0)"));
        AddParty(book, 1, QStringLiteral("DEL TRADERS"), 4);
        AddParty(book, 2, QStringLiteral("OTHER"), 4);
        book.Exec(QStringLiteral(
            "insert into adrsgrpdtails (adrsgrpid, adrsconcrnid, adrsgrupid) values (1, 1, '3')"));
        book.Exec(QStringLiteral(
            "insert into adrsgrpdtails (adrsgrpid, adrsconcrnid, adrsgrupid) values (2, 2, '13')"));
        Recordset rs;
        rs.Open(
            QStringLiteral(
                "Select * from (Adrsmstr inner join cscmstr on adrsmstr.adrsctyid=cscmstr.ctyid)") +
                QStringLiteral(
                    " inner join adrsgrpdtails on adrsmstr.adrsid=adrsgrpdtails.adrsconcrnid where "
                    "adrsgrpdtails.adrsgrupid") +
                QStringLiteral(" like '") + QStringLiteral("3") +
                QStringLiteral("' and  cscmstr.ctyname like '%") + QStringLiteral("DEL") +
                QStringLiteral("%' order by adrsname"),
            Conn, adOpenStatic, adLockBatchOptimistic);
        QCOMPARE(rs.RecordCount(), 1);
        QCOMPARE(rs.Fields("Adrsname").Str(), QStringLiteral("DEL TRADERS"));
        QCOMPARE(rs.Fields("Statename").Str(), QStringLiteral("DELHI"));
        QCOMPARE(rs.Fields("adrsgrupid").Str(), QStringLiteral("3"));
        QCOMPARE(rs.Fields("ctyid").Value().toInt(), 4);
        rs.Close();
        rs.Open(QStringLiteral("Select * from (Adrsmstr inner join adrsgrpdtails") +
                    QStringLiteral(" on adrsmstr.adrsid=adrsgrpdtails.adrsconcrnid) where "
                                   "adrsgrpdtails.adrsgrupid") +
                    QStringLiteral(" like '13' and adrsname like '%%' order by adrsname"),
                Conn);
        QCOMPARE(rs.RecordCount(), 1);
        QCOMPARE(rs.Fields("adrsname").Str(), QStringLiteral("OTHER"));
    }

    void maxOfEmptyColumnIsNullAndIdsAreAllocated() {
        TestBook book(kind_);
        Recordset rs;
        rs.Open(QStringLiteral("Select max(grpid) from adrsgrupmstr"), Conn);
        QVERIFY(rs.Fields(0).IsNull());
        QCOMPARE(NextId(rs), Integer(1));
        book.Exec(QStringLiteral("insert into adrsgrupmstr (grpid, grpname) values (1, 'A')"));
        book.Exec(QStringLiteral("insert into adrsgrupmstr (grpid, grpname) values (2, 'B')"));
        rs.Open(QStringLiteral("Select max(grpid) from adrsgrupmstr"), Conn);
        QCOMPARE(NextId(rs), Integer(3));
        // Deleting the highest id gives it out again.
        book.Exec(QStringLiteral("Delete * from adrsgrupmstr where grpid like '2'"));
        rs.Open(QStringLiteral("Select max(grpid) from adrsgrupmstr"), Conn);
        QCOMPARE(NextId(rs), Integer(2));
        // A maximum of 0 counts as none.
        book.Exec(QStringLiteral("update adrsgrupmstr set grpid = 0"));
        rs.Open(QStringLiteral("Select max(grpid) from adrsgrupmstr"), Conn);
        QCOMPARE(NextId(rs), Integer(1));
    }

    void idsStopAt32767() {
        TestBook book(kind_);
        book.Exec(QStringLiteral("insert into adrsgrupmstr (grpid, grpname) values (32766, 'A')"));
        Recordset rs;
        rs.Open(QStringLiteral("Select max(grpid) from adrsgrupmstr"), Conn);
        QCOMPARE(NextId(rs), Integer(32767));
        book.Exec(QStringLiteral("insert into adrsgrupmstr (grpid, grpname) values (32767, 'B')"));
        rs.Open(QStringLiteral("Select max(grpid) from adrsgrupmstr"), Conn);
        QVERIFY_THROWS_EXCEPTION(OverflowError, NextId(rs));
        QCOMPARE(CInt(QStringLiteral(" 32767 ")), Integer(32767));
        QVERIFY_THROWS_EXCEPTION(OverflowError, CInt(32768));
        QVERIFY_THROWS_EXCEPTION(DbError, CInt(QStringLiteral("12a")));
        QCOMPARE(CInt(2.5), Integer(2)); // half to even
        QCOMPARE(CInt(3.5), Integer(4));
    }

    void staticCursorIsASnapshot() {
        TestBook book(kind_);
        AddParty(book, 1, QStringLiteral("FIRST"), 1);
        Recordset rs;
        rs.Open(QStringLiteral("Select * from adrsmstr"), Conn);
        AddParty(book, 2, QStringLiteral("SECOND"), 1);
        QCOMPARE(rs.RecordCount(), 1);
        QCOMPARE(rs.Fields("ADRSNAME").Str(), QStringLiteral("FIRST"));
        rs.MoveNext();
        QVERIFY(rs.Eof());
        QVERIFY_THROWS_EXCEPTION(DbError, rs.Fields("adrsname").Str());
        QVERIFY_THROWS_EXCEPTION(DbError, rs.Fields("nosuchcolumn"));
    }

    void aSnapshotHoldsTheRowsOfItsOpeningWhenReadLater() {
        TestBook book(kind_);
        AddParty(book, 1, QStringLiteral("FIRST"), 1);
        Recordset adding, other;
        adding.Open(QStringLiteral("Select * from adrsmstr"), Conn);
        other.Open(QStringLiteral("Select * from adrsmstr"), Conn);
        // The first writes its own row; the second, opened before, must not see it.
        adding.AddNew();
        adding.Fields("adrsid") = QVariant(2);
        adding.Fields("adrsname") = QStringLiteral("SECOND");
        adding.UpdateBatch();
        QCOMPARE(other.RecordCount(), 1);
        // The writer sees the row it had, then its own added row, once.
        QCOMPARE(adding.RecordCount(), 2);
        QStringList names;
        for (adding.MoveFirst(); !adding.Eof(); adding.MoveNext())
            names << adding.Fields("adrsname").Str();
        QCOMPARE(names, (QStringList{"FIRST", "SECOND"}));
        // A plain statement run meanwhile counts as a write too.
        Recordset third;
        third.Open(QStringLiteral("Select * from adrsmstr"), Conn);
        book.Exec(QStringLiteral("delete from adrsmstr"));
        QCOMPARE(third.RecordCount(), 2);
    }

    void addNewAndUpdateBatchWriteRows() {
        TestBook book(kind_);
        Recordset rs;
        rs.Open(QStringLiteral("Select * from cscmstr"), Conn, adOpenStatic, adLockBatchOptimistic);
        QCOMPARE(rs.RecordCount(), 0);
        const QDateTime stamp(QDate(2026, 12, 8), QTime(14, 30, 5));
        rs.AddNew();
        rs.Fields("Ctyid") = QVariant(Integer(1));
        rs.Fields("ctyname") = QStringLiteral("O'DELL");
        rs.Fields("addt") = QVariant(stamp);
        rs.Fields("delstatus") = QVariant(0);
        rs.UpdateBatch(adAffectAllChapters);
        QCOMPARE(
            book.Rows(QStringLiteral("Select ctyid, ctyname, addt, delstatus, edtdt from cscmstr")),
            (QList<QStringList>{{"1", "O'DELL", "2026-12-08 14:30:05", "0", "<null>"}}));

        // Change it through a lookup by id; only the assigned columns change.
        rs.Close();
        rs.Open(QStringLiteral("Select * from cscmstr where ctyid like '1'"), Conn);
        rs.Fields("statename") = QStringLiteral("PUNJAB");
        QCOMPARE(rs.Fields("statename").Str(), QStringLiteral("PUNJAB"));
        rs.UpdateBatch(adAffectAllChapters);
        QCOMPARE(book.Rows(QStringLiteral("Select ctyname, statename, addt from cscmstr")),
                 (QList<QStringList>{{"O'DELL", "PUNJAB", "2026-12-08 14:30:05"}}));

        // Rows of a join or of a column list cannot be written.
        rs.Close();
        rs.Open(QStringLiteral("Select ctyname,ctyid from cscmstr"), Conn);
        QVERIFY_THROWS_EXCEPTION(DbError, rs.AddNew());
        QVERIFY_THROWS_EXCEPTION(DbError, rs.Fields("ctyname") = QStringLiteral("X"));
    }

    void aFailedBatchWritesNothing() {
        TestBook book(kind_);
        Recordset rs;
        rs.Open(QStringLiteral("Select * from adrsgrupmstr"), Conn);
        rs.AddNew();
        rs.Fields("grpid") = QVariant(1);
        rs.Fields("grpname") = QStringLiteral("GOOD");
        rs.AddNew();
        rs.Fields("grpid") = QVariant(2);
        rs.Fields("grpname") = QStringLiteral("ALSO GOOD");
        RefuseGroup2(book);
        QVERIFY_THROWS_EXCEPTION(DbError, rs.UpdateBatch());
        QCOMPARE(book.Count(QStringLiteral("adrsgrupmstr")), 0);

        // A transaction around several recordsets is all or nothing too.
        Recordset links;
        QVERIFY_THROWS_EXCEPTION(DbError, InTransaction(*Conn, [&] {
                                     links.Open(QStringLiteral("Select * from adrsgrupmstr"), Conn);
                                     links.AddNew();
                                     links.Fields("grpid") = QVariant(1);
                                     links.UpdateBatch();
                                     links.AddNew();
                                     links.Fields("grpid") = QVariant(2);
                                     links.UpdateBatch();
                                 }));
        QCOMPARE(book.Count(QStringLiteral("adrsgrupmstr")), 0);
        QVERIFY(!Conn->InTransaction());
    }

    void apostrophesAndStatementsInValuesStayValues() {
        TestBook book(kind_);
        const QString hostile = QStringLiteral("O'BRIEN'; DROP TABLE adrsmstr; --");
        AddParty(book, 1, hostile, 1);
        Recordset rs;
        rs.Open(QStringLiteral("Select * from Adrsmstr where adrsname like '%") +
                    Quote(QStringLiteral("O'BRIEN")) + QStringLiteral("%' order by adrsname"),
                Conn);
        QCOMPARE(rs.RecordCount(), 1);
        QCOMPARE(rs.Fields("adrsname").Str(), hostile);
        // An unquoted apostrophe is an error, never a second statement.
        QVERIFY_THROWS_EXCEPTION(
            DbError,
            rs.Open(QStringLiteral("Select * from adrsmstr where adrsname like '") +
                        QStringLiteral("X'; DROP TABLE adrsmstr; --") + QStringLiteral("'"),
                    Conn));
        QCOMPARE(book.Count(QStringLiteral("adrsmstr")), 1);
    }

    void nullFieldsReadAsNull() {
        TestBook book(kind_);
        AddParty(book, 1, QStringLiteral("NOFAX"), 1);
        Recordset rs;
        rs.Open(QStringLiteral("Select * from Adrsmstr where Adrsid like '1'"), Conn);
        QVERIFY(rs.Fields("adrsfax").IsNull());
        QCOMPARE(rs.Fields("adrsfax").Str(), QString());
        QVERIFY(!rs.Fields("adrsname").IsNull());
        QCOMPARE(rs.Fields("adrsctyid").Value().toInt(), 1);
    }
};

class DataLayerServerTests : public DataLayerTests {
    Q_OBJECT
  public:
    DataLayerServerTests() : DataLayerTests(BookKind::Server) {}
  private slots:
    void initTestCase() { REQUIRE_PG_SERVER(); }
};

ADRSBOOK_TEST(DataLayerTests)
ADRSBOOK_TEST(DataLayerServerTests)
#include "tst_datalayer.moc"
