// The server engine never waits blindly: a server that does not answer is
// asked about while the windows paint, giving up stops the statement and
// keeps nothing of a save, a read that meets a restarted server runs again
// on a new connection, and a long result comes while the list fills.

#include "data/connmodule.h"
#include "data/dberror.h"
#include "data/recordset.h"
#include "data/serverwait.h"
#include "support/fixture.h"
#include "support/pgpause.h"
#include "support/pgserver.h"
#include "support/testmain.h"

#include <QElapsedTimer>
#include <QTest>

namespace {

// Stands for the program's hook: counts the paints it is given, answers
// the questions from a script (give up when it runs out) and notes each
// connection made again.
class ScriptedWait : public ServerWait {
  public:
    explicit ScriptedWait(int askAfterMs, int askAgainMs = 500)
        : previous_(ServerWait::ForThisThread()), askAfter_(askAfterMs), askAgain_(askAgainMs) {
        Set(this);
        clock.start();
    }
    ~ScriptedWait() override { Set(previous_); }

    void Pump() override { pumps << clock.elapsed(); }
    bool WaitOn(const QString&, int, const std::function<bool()>&) override {
        asks << clock.elapsed();
        return !answers.isEmpty() && answers.takeFirst();
    }
    void Reconnected(const QString&) override { ++reconnects; }
    int AskAfterMs() const override { return askAfter_; }
    int AskAgainMs() const override { return askAgain_; }

    // The longest time between two paints from `since` on.
    qint64 LongestGap(qint64 since) const {
        qint64 last = since, longest = 0;
        for (qint64 t : pumps)
            if (t >= since) {
                longest = std::max(longest, t - last);
                last = t;
            }
        return longest;
    }

    QElapsedTimer clock;
    QList<qint64> pumps, asks;
    QList<bool> answers; // true: wait on
    int reconnects = 0;

  private:
    ServerWait* previous_;
    int askAfter_, askAgain_;
};

// The test server keeps commits in memory for a moment (synchronous_commit
// off) and stops without waiting: a checkpoint first keeps them.
void RestartServer() {
    PgServer::Sql(QStringLiteral("CHECKPOINT"));
    PgServer::Stop();
    PgServer::Start();
}

QString GroupName(const TestBook& book) {
    return book.Value(QStringLiteral("Select grpname from adrsgrupmstr where grpid like '1'"))
        .toString();
}

} // namespace

class ServerWaitTests : public QObject {
    Q_OBJECT
  private slots:
    void initTestCase() { REQUIRE_PG_SERVER(); }

    // The server stopped dead (SIGSTOP): a read, and a save half done.
    void aServerThatDoesNotAnswerIsGivenUpOn() {
        for (const bool saving : {false, true}) {
            TestBook book(BookKind::Server);
            book.Exec(
                QStringLiteral("insert into adrsgrupmstr (grpid, grpname) values (1, 'ONE')"));
            ScriptedWait wait(1000, 500);
            wait.answers = {true, false}; // wait on once, then give up
            if (saving) {
                Conn->BeginTrans();
                book.Exec(
                    QStringLiteral("insert into adrsgrupmstr (grpid, grpname) values (2, 'HALF')"));
            }
            QString said;
            bool reading = false;
            qint64 start = 0, ended = 0;
            {
                PausedServer paused;
                start = wait.clock.elapsed();
                try {
                    if (saving)
                        book.Exec(QStringLiteral(
                            "insert into adrsgrupmstr (grpid, grpname) values (3, 'REST')"));
                    else
                        GroupName(book);
                    QFAIL("a stopped server answered");
                } catch (const ServerError& e) {
                    said = e.message();
                    reading = e.Reading();
                }
                ended = wait.clock.elapsed();
                if (saving) Conn->RollbackTrans();
            }
            QVERIFY2(said.contains(QStringLiteral("did not answer")), qPrintable(said));
            QCOMPARE(reading, !saving);
            QCOMPARE(wait.asks.size(), 2);
            QVERIFY(wait.asks[0] - start >= 1000 && wait.asks[0] - start < 1500);
            QVERIFY(wait.asks[1] - wait.asks[0] >= 500 && wait.asks[1] - wait.asks[0] < 900);
            // Given up, it ends once the server has had its chance to stop.
            QVERIFY2(ended - wait.asks[1] < 3000, qPrintable(QString::number(ended - start)));
            // The windows painted all along.
            QVERIFY(wait.pumps.size() > 50);
            QVERIFY2(wait.LongestGap(start + 20) < 100,
                     qPrintable(QString::number(wait.LongestGap(start + 20))));
            // Running again, the server kept nothing of the save; the next
            // step connects again without a word (the loss was said).
            QCOMPARE(book.Count(QStringLiteral("adrsgrupmstr")), 1);
            QCOMPARE(GroupName(book), QStringLiteral("ONE"));
            QCOMPARE(wait.reconnects, 0);
        }
    }

    // Another desk holds a row the save must change: giving up stops the
    // waiting statement on the server and rolls the save back; the
    // connection stays.
    void givingUpStopsTheStatementOnTheServer() {
        TestBook book(BookKind::Server);
        book.Exec(QStringLiteral("insert into adrsgrupmstr (grpid, grpname) values (1, 'ONE')"));
        const QVariant ours = book.Value(QStringLiteral("Select pg_backend_pid()"));
        Connection other;
        other.Open(ConnStr);
        other.BeginTrans();
        other.Execute(QStringLiteral("update adrsgrupmstr set grpname = 'HELD' where grpid = 1"));

        ScriptedWait wait(800);
        QString said;
        try {
            InTransaction(*Conn, [&] {
                book.Exec(
                    QStringLiteral("insert into adrsgrupmstr (grpid, grpname) values (2, 'NEW')"));
                book.Exec(
                    QStringLiteral("update adrsgrupmstr set grpname = 'MINE' where grpid = 1"));
            });
        } catch (const ServerError& e) {
            said = e.message();
        }
        const qint64 ended = wait.clock.elapsed();
        QVERIFY2(said.contains(QStringLiteral("nothing of this step was saved")), qPrintable(said));
        QCOMPARE(wait.asks.size(), 1);
        QVERIFY2(ended - wait.asks[0] < 1000, qPrintable(QString::number(ended - wait.asks[0])));
        {
            Recordset state;
            state.Open(QStringLiteral("Select state from pg_stat_activity where pid = %1")
                           .arg(ours.toInt()),
                       &other);
            QCOMPARE(state.Fields(0).Str(), QStringLiteral("idle"));
        }
        other.RollbackTrans();
        QCOMPARE(book.Count(QStringLiteral("adrsgrupmstr")), 1);
        QCOMPARE(book.Value(QStringLiteral("Select pg_backend_pid()")), ours);
    }

    // A read that meets a restarted server is run again on a new
    // connection, said once; a write is not.
    void aReadMeetingARestartRunsAgain() {
        TestBook book(BookKind::Server);
        book.Exec(QStringLiteral("insert into adrsgrupmstr (grpid, grpname) values (1, 'ONE')"));
        const QString rename =
            QStringLiteral("update adrsgrupmstr set grpname = grpname || 'X' where grpid = 1");
        book.Exec(rename);
        ScriptedWait wait(5000);

        RestartServer();
        QCOMPARE(GroupName(book), QStringLiteral("ONEX"));
        QCOMPARE(wait.reconnects, 1);

        book.Exec(rename); // prepared on the new connection
        RestartServer();
        QVERIFY_THROWS_EXCEPTION(ConnectionLost, book.Exec(rename));
        QCOMPARE(GroupName(book), QStringLiteral("ONEXX"));
        QCOMPARE(wait.reconnects, 1); // the loss was said by the write
    }

    // A long result: its first rows with the statement, the rest while the
    // list fills; the connection answers other statements meanwhile, and
    // the result stays the one snapshot it began with.
    void aLongResultComesAsTheListFills() {
        TestBook book(BookKind::Server);
        SeedNumberedParties(book, QStringLiteral("PARTY"), 1, 3000);
        Recordset rs;
        rs.Open(QStringLiteral("Select * from Adrsmstr order by adrsname"), Conn, adOpenStatic,
                adLockBatchOptimistic, adAsyncFetch);
        QVERIFY(rs.StillReading());
        QVERIFY2(rs.ReadyRows() >= 128 && rs.ReadyRows() <= Recordset::kFirstRows,
                 qPrintable(QString::number(rs.ReadyRows())));

        Connection other;
        other.Open(ConnStr);
        other.Execute(
            QStringLiteral("insert into adrsmstr (adrsid, adrsname, adrsdelstatus) values "
                           "(5000, 'PARTY 9999', 0)"));
        QCOMPARE(book.Count(QStringLiteral("adrsmstr")), 3001); // the same connection
        QStringList names;
        while (!rs.Eof()) {
            names << rs.Fields("adrsname").Str();
            rs.MoveNext();
        }
        QCOMPARE(names.size(), 3000);
        QCOMPARE(names.first(), QStringLiteral("PARTY 0001"));
        QCOMPARE(names.last(), QStringLiteral("PARTY 3000"));
        QVERIFY(std::is_sorted(names.begin(), names.end()));
        QCOMPARE(QSet<QString>(names.begin(), names.end()).size(), 3000);
    }

    // A result left before its end (a new key) stops its statement at once,
    // and the stop never reaches the statement after it.
    void aResultLeftBeforeItsEndIsStopped() {
        TestBook book(BookKind::Server);
        SeedNumberedParties(book, QStringLiteral("PARTY"), 1, 2000);
        for (int round = 0; round < 5; ++round) {
            Recordset rs;
            QElapsedTimer clock;
            clock.start();
            // Four million rows, which the server would send for seconds.
            rs.Open(QStringLiteral("Select a.adrsname from Adrsmstr a, Adrsmstr b"), Conn,
                    adOpenStatic, adLockBatchOptimistic, adAsyncFetch);
            const qint64 opened = clock.elapsed();
            QVERIFY(rs.StillReading());
            clock.restart();
            rs.Close();
            const qint64 closed = clock.elapsed();
            QVERIFY2(
                opened < 500 && closed < 500,
                qPrintable(
                    QStringLiteral("opened in %1 ms, closed in %2 ms").arg(opened).arg(closed)));
            QCOMPARE(book.Count(QStringLiteral("adrsmstr")), 2000);
        }
    }
};

ADRSBOOK_TEST(ServerWaitTests)
#include "tst_serverwait.moc"
