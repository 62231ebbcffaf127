// The figures of a first sync and of a round with ten changes, on each
// server, with the round run by the program's runner in its thread while a
// window repaints as fast as it may: the longest gap between two paints is
// what a user typing meanwhile would feel. ADRSBOOK_SYNC_PARTIES sets the
// size of the book (200 unless told; the README's figures are for 1,000 and
// 32,767). Times are printed, never judged.

#include "data/connmodule.h"
#include "support/testmain.h"
#include "sync/syncrunner.h"
#include "syncdesk.h"

#include <QElapsedTimer>
#include <QPainter>
#include <QSignalSpy>
#include <QTest>
#include <QWidget>

namespace {

int Parties() {
    bool ok = false;
    const int n = qEnvironmentVariableIntValue("ADRSBOOK_SYNC_PARTIES", &ok);
    return ok && n > 0 ? std::min(n, 32767) : 200;
}

// A window that asks to be painted again as soon as it has been, and keeps
// the longest time between two paints.
class Painter : public QWidget {
  public:
    qint64 longest = 0;
    int paints = 0;

  protected:
    void paintEvent(QPaintEvent*) override {
        QPainter(this).fillRect(rect(), paints % 2 ? Qt::white : Qt::lightGray);
        if (clock_.isValid())
            longest = std::max(longest, clock_.restart());
        else
            clock_.start();
        ++paints;
        update();
    }

  private:
    QElapsedTimer clock_;
};

struct Timed {
    SyncReport report;
    qint64 ms = 0, longestGap = 0;
    int paints = 0;
};

// A round through the runner, the painter painting meanwhile.
Timed RunBeside(SyncDesk& desk) {
    Painter painter;
    painter.resize(200, 100);
    painter.show();
    if (!QTest::qWaitForWindowExposed(&painter)) qWarning("the painting window was not shown");
    SyncRunner runner;
    QSignalSpy finished(&runner, &SyncRunner::Finished);
    QElapsedTimer clock;
    clock.start();
    painter.longest = 0;
    runner.Start(desk.Settings(), desk.Server().password);
    finished.wait(30 * 60 * 1000);
    Timed t;
    t.ms = clock.elapsed();
    t.longestGap = painter.longest;
    t.paints = painter.paints;
    if (!finished.isEmpty()) t.report = finished.first().first().value<SyncReport>();
    return t;
}

} // namespace

class SyncSpeedTests : public QObject {
    Q_OBJECT
    CardServers servers_;

  private slots:
    void initTestCase() { servers_.Start(); }

    void aFirstSyncAndARoundOfTenChanges_data() { CardServers::AddRows(); }
    void aFirstSyncAndARoundOfTenChanges() {
        FETCH_CARD_SERVER(servers_, dav);
        SyncDesk desk(*dav);
        const int n = Parties();
        QStringList rows, links;
        for (int i = 1; i <= n; ++i) {
            rows.append(QStringLiteral("(%1, 'PARTY %1', '%1 MALL ROAD', 1, '0161 %2', "
                                       "'2026-01-01 10:00:00', 0)")
                            .arg(i)
                            .arg(2000000 + i));
            links.append(QStringLiteral("(%1, %1, '1')").arg(i));
        }
        desk.Book().Exec(QStringLiteral("insert into adrsmstr (adrsid, adrsname, adrs1, adrsctyid, "
                                        "adrsphno, adrsaddt, adrsdelstatus) values ") +
                         rows.join(u','));
        desk.Book().Exec(
            QStringLiteral("insert into adrsgrpdtails (adrsgrpid, adrsconcrnid, adrsgrupid) "
                           "values ") +
            links.join(u','));

        const Timed first = RunBeside(desk);
        QVERIFY2(first.report.error.isEmpty(), qPrintable(first.report.error));
        QCOMPARE(first.report.sent, n);
        QVERIFY(first.paints > 1); // the window painted while the round ran

        for (int i = 1; i <= 5; ++i) {
            desk.SetColumn(i, "adrsemail", QStringLiteral("desk%1@example.com").arg(i));
            const QString href = QUrl(desk.BookUrl())
                                     .resolved(QUrl(SyncStore::LoadCards(*Conn).value(i + 10).href))
                                     .toString();
            const CardClient::Reply got = desk.Phone().Get(href);
            desk.Phone().Put(href, WithValue(got.body, "NOTE", QStringLiteral("phone %1").arg(i)),
                             got.etag);
        }
        const Timed ten = RunBeside(desk);
        QVERIFY2(ten.report.error.isEmpty(), qPrintable(ten.report.error));
        QCOMPARE(ten.report.sent, 5);
        QCOMPARE(ten.report.received, 5);
        qInfo("%s, %d parties: first sync %lld ms (longest gap between paints %lld ms, %d "
              "paints); a round with 10 changes %lld ms (longest gap %lld ms)",
              qPrintable(dav->name), n, first.ms, first.longestGap, first.paints, ten.ms,
              ten.longestGap);
    }
};

ADRSBOOK_TEST(SyncSpeedTests)
#include "tst_syncspeed.moc"
