// The search engine on a database server that stops answering, restarts, or
// sends a long result: the window keeps painting, says along its bottom
// edge what happened, and lists the rows as soon as the server sends them.

#include "searchdriver.h"

#include "platform/msgbox.h"
#include "platform/servernotice.h"
#include "support/pgpause.h"
#include "support/pgserver.h"
#include "support/scripted.h"
#include "support/testmain.h"

#include <QElapsedTimer>
#include <QLabel>
#include <QTimer>

namespace {

// Message boxes answered from a script, each noted with its time.
struct TimedBoxes : ScriptedMsgBoxes {
    explicit TimedBoxes(const QElapsedTimer& c) : clock(c) {}
    int Respond(const MsgBoxCall& call) override {
        at << clock.elapsed();
        return ScriptedMsgBoxes::Respond(call);
    }
    const QElapsedTimer& clock;
    QList<qint64> at;
};

// The test server keeps commits in memory for a moment and stops without
// waiting: a checkpoint first keeps them.
void RestartServer() {
    PgServer::Sql(QStringLiteral("CHECKPOINT"));
    PgServer::Stop();
    PgServer::Start();
}

// The four parties of SeedBook on a server, and the window searching
// all groups by name.
struct ServerSearch {
    ServerSearch() {
        SeedBook(book);
        ChooseGroupAndFilter(w.form, QStringLiteral("All"), QStringLiteral("Name Wise"));
    }
    TestBook book{BookKind::Server};
    SearchWindow w;
};

const QStringList kTa{"BETA STORES", "DELTA CORP", "ZETA LTD"};

} // namespace

class SearchServerTests : public QObject {
    Q_OBJECT
  private slots:
    void initTestCase() { REQUIRE_PG_SERVER(); }

    // The server stopped dead: the window paints while it waits, asks
    // within five seconds, and given up shows an empty list with the
    // reason; the server running again, the next key lists the rows.
    void aStoppedServerLeavesTheWindowPainting() {
        ServerSearch s;
        ListView* list = s.w->LstvewSrch;
        TypeText(QStringLiteral("ta"));
        QCOMPARE(Names(list), kTa);

        QElapsedTimer clock;
        QList<qint64> paints;
        connect(list, &ListView::Painted, list, [&] { paints << clock.elapsed(); });
        QTimer repaint; // as a window moved over this one asks it to paint
        repaint.setInterval(10);
        connect(&repaint, &QTimer::timeout, list, [list] { list->viewport()->update(); });
        TimedBoxes boxes(clock);
        boxes.Answer(1); // give up
        repaint.start();
        clock.start();
        {
            PausedServer paused;
            TypeText(QStringLiteral("x"));
        }
        repaint.stop();
        QCOMPARE(boxes.at.size(), 1);
        QVERIFY2(boxes.Last().prompt.contains(QStringLiteral("has not answered")),
                 qPrintable(boxes.Last().prompt));
        const qint64 asked = boxes.at.first();
        qint64 last = 0, longest = 0;
        for (qint64 t : paints)
            if (t <= asked) {
                longest = std::max(longest, t - last);
                last = t;
            }
        qInfo("asked after %lld ms; %lld paints meanwhile, at most %lld ms apart", asked,
              qlonglong(std::count_if(paints.begin(), paints.end(),
                                      [&](qint64 t) { return t <= asked; })),
              longest);
        QVERIFY(asked >= 4900 && asked < 5500);
        QVERIFY2(longest < 100, qPrintable(QString::number(longest)));
        QCOMPARE(list->Count(), 0);
        QLabel* line = ServerNotice(s.w.form);
        QVERIFY(line && line->isVisible());
        QVERIFY2(line->text().contains(QStringLiteral("did not answer")), qPrintable(line->text()));

        PressKey(Qt::Key_Backspace);
        QCOMPARE(Names(list), kTa);
        QCOMPARE(boxes.calls.size(), 1);
    }

    // Both connections meet the restart on one key: the rows still show,
    // and the window says once what happened, without a box.
    void aRestartBetweenTwoKeysStillShowsTheRows() {
        ServerSearch s;
        ScriptedMsgBoxes boxes;
        TypeText(QStringLiteral("ta"));
        QCOMPARE(Names(s.w->LstvewSrch), kTa);
        RestartServer();
        PressKey(Qt::Key_Backspace);
        QCOMPARE(Names(s.w->LstvewSrch),
                 (QStringList{"ACME TRADERS", "BETA STORES", "DELTA CORP", "ZETA LTD"}));
        QCOMPARE(s.w->LstvewSrch->Item(1).SubItem(4), QStringLiteral("NEW DELHI"));
        QLabel* line = ServerNotice(s.w.form);
        QVERIFY(line && line->isVisible());
        QVERIFY2(line->text().contains(QStringLiteral("made again")), qPrintable(line->text()));
        QVERIFY2(boxes.calls.isEmpty(), qPrintable(boxes.Prompts().join(u'|')));
    }

    // A long result: the first screen paints while the server still sends
    // the rest, and keys typed meanwhile each drop the result before.
    void aLongResultPaintsItsFirstScreenAtOnce() {
        TestBook book(BookKind::Server);
        book.Exec(
            "insert into cscmstr (ctyid, ctyname, statename, contryname, delstatus) values "
            "(5, 'NEW DELHI', 'DELHI', 'INDIA', 0), (7, 'MUMBAI', 'MAHARASHTRA', 'INDIA', 0)");
        SeedNumberedParties(book, QStringLiteral("PARTY"), 1, 3000);
        SearchWindow w;
        ChooseGroupAndFilter(w.form, QStringLiteral("All"), QStringLiteral("Name Wise"));
        ListView* list = w->LstvewSrch;
        QCOMPARE(list->Count(), 3000);

        QElapsedTimer clock;
        qint64 firstScreen = -1;
        connect(list, &ListView::Painted, list, [&](int rows) {
            if (firstScreen < 0 && rows >= 20) firstScreen = clock.elapsed();
        });
        {
            const QSignalBlocker quiet(w->TxtValue);
            w->TxtValue->setText(QStringLiteral("PART"));
        }
        clock.start();
        TypeText(QStringLiteral("Y"));
        QVERIFY(list->Filling());
        QTRY_VERIFY(firstScreen >= 0);
        qInfo("key to first screen painted: %lld ms", firstScreen);
        QVERIFY2(firstScreen < 250, qPrintable(QString::number(firstScreen)));

        TypeText(QStringLiteral(" 00"));
        const QStringList names = Names(list);
        QCOMPARE(names.size(), 99);
        QCOMPARE(names.first(), QStringLiteral("PARTY 0001"));
        QCOMPARE(names.last(), QStringLiteral("PARTY 0099"));
        QCOMPARE(list->Item(2).SubItem(4), QStringLiteral("MUMBAI"));
    }
};

ADRSBOOK_TEST(SearchServerTests)
#include "tst_searchserver.moc"
