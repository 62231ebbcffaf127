// A search that meets another program's lock on the book: the busy line
// stays while the book is held, and the search runs again by itself, for
// what the value box holds, as soon as the book is free.

#include "searchdriver.h"

#include "platform/busynotice.h"
#include "platform/msgbox.h"
#include "support/lockingprogram.h"
#include "support/scripted.h"
#include "support/testmain.h"

#include <QElapsedTimer>
#include <QLabel>
#include <memory>

class SearchBusyTests : public QObject {
    Q_OBJECT
  private slots:
    void theSearchRunsAgainOnceTheBookIsFree() {
        TestBook book;
        if (book.Kind() == BookKind::Server) QSKIP("another program's lock on the book file");
        SeedBook(book);
        SearchWindow w;
        ChooseGroupAndFilter(w.form, QStringLiteral("All"), QStringLiteral("Name Wise"));
        ScriptedMsgBoxes boxes;
        auto other = std::make_unique<LockingProgram>(book.File());
        QVERIFY(other->Holds());

        TypeText(QStringLiteral("ta"));
        QLabel* line = BusyNotice(w.form);
        QVERIFY(line && line->isVisible());
        QVERIFY(line->text().contains(QStringLiteral("busy in another program")));
        // Held on, the line stays and nothing is listed.
        QTest::qWait(1500);
        QVERIFY(line->isVisible());
        QCOMPARE(w->LstvewSrch->Count(), 0);

        QElapsedTimer clock;
        clock.start();
        other.reset(); // lets go
        QTRY_VERIFY_WITH_TIMEOUT(!line->isVisible(), 1000);
        const qint64 ms = clock.elapsed();
        QCOMPARE(Names(w->LstvewSrch), (QStringList{"BETA STORES", "DELTA CORP", "ZETA LTD"}));
        QVERIFY2(boxes.calls.isEmpty(), qPrintable(boxes.Prompts().join(u'|')));
        qInfo("the list filled %lld ms after the other program let go", ms);
        QVERIFY(ms < 700);
    }
};

ADRSBOOK_TEST(SearchBusyTests)
#include "tst_searchbusy.moc"
