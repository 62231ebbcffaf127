// A very long value in the search box: the search runs at once, whatever
// the text, and still finds what its beginning names.

#include "searchdriver.h"

#include "support/testmain.h"

#include <QApplication>
#include <QClipboard>
#include <QElapsedTimer>

class SearchLongValueTests : public QObject {
    Q_OBJECT
  private slots:
    void aLongPasteSearchesAtOnce_data() {
        QTest::addColumn<QString>("pasted");
        QTest::addColumn<QStringList>("listed");
        const auto longText = [](const QString& unit) {
            return unit.repeated(100000 / unit.size());
        };
        QTest::newRow("accents") << (u'a' + longText(QString::fromUtf8("\u0301"))) << QStringList();
        QTest::newRow("a name, then blanks")
            << (QStringLiteral("PARTY 0042") + longText(QStringLiteral(" ")))
            << QStringList{QStringLiteral("PARTY 0042")};
    }

    void aLongPasteSearchesAtOnce() {
        QFETCH(QString, pasted);
        QFETCH(QStringList, listed);
        TestBook book;
        SeedBook(book);
        SeedNumberedParties(book, QStringLiteral("PARTY"), 101, 3000);
        SearchWindow w;
        ChooseGroupAndFilter(w.form, QStringLiteral("All"), QStringLiteral("Name Wise"));
        QApplication::clipboard()->setText(pasted);
        QElapsedTimer clock;
        clock.start();
        QTest::keyClick(w->TxtValue, Qt::Key_V, Qt::ControlModifier);
        QCOMPARE(Names(w->LstvewSrch), listed);
        QTest::keyClick(w->TxtValue, Qt::Key_Backspace); // and a key more
        Settle();
        const qint64 ms = clock.elapsed();
        qInfo("a paste of %lld characters and a key: %lld ms", qlonglong(pasted.size()), ms);
        QVERIFY(ms < 1000);
        QVERIFY(w->TxtValue->text().size() < pasted.size());
        QVERIFY(pasted.startsWith(w->TxtValue->text()));
    }
};

ADRSBOOK_TEST(SearchLongValueTests)
#include "tst_searchlong.moc"
