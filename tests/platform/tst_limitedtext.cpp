// The notes box: a paste puts in only what fits, whole characters only,
// wherever the cursor is and whatever is selected.

#include "platform/limitedtextedit.h"
#include "support/testmain.h"

#include <QApplication>
#include <QClipboard>
#include <QTest>
#include <QTextCursor>

class LimitedTextTests : public QObject {
    Q_OBJECT
  private slots:
    void pasteTakesWhatFits_data() {
        QTest::addColumn<QString>("before");
        QTest::addColumn<int>("cursor");   // where the paste goes
        QTest::addColumn<int>("selected"); // characters selected from there on
        QTest::addColumn<QString>("pasted");
        QTest::addColumn<QString>("after");
        const QString face = QString::fromUtf8("\U0001F600");
        QTest::newRow("fits") << QStringLiteral("ab") << 2 << 0 << QStringLiteral("cd")
                              << QStringLiteral("abcd");
        QTest::newRow("cut at the end") << QStringLiteral("ab") << 2 << 0
                                        << QStringLiteral("cdefghij") << QStringLiteral("abcdefgh");
        QTest::newRow("cut in the middle") << QStringLiteral("abcdef") << 3 << 0
                                           << QStringLiteral("XYZ") << QStringLiteral("abcXYdef");
        QTest::newRow("over a selection") << QStringLiteral("abcdefgh") << 2 << 4
                                          << QStringLiteral("123456") << QStringLiteral("ab1234gh");
        QTest::newRow("a full box takes nothing")
            << QStringLiteral("abcdefgh") << 8 << 0 << QStringLiteral("x")
            << QStringLiteral("abcdefgh");
        QTest::newRow("half a character left out")
            << QStringLiteral("abcdef") << 6 << 0 << (QStringLiteral("y") + face)
            << QStringLiteral("abcdefy");
        QTest::newRow("lines count as characters")
            << QString() << 0 << 0 << QStringLiteral("a\nb\nc\nd\ne")
            << QStringLiteral("a\nb\nc\nd\n");
    }
    void pasteTakesWhatFits() {
        QFETCH(QString, before);
        QFETCH(int, cursor);
        QFETCH(int, selected);
        QFETCH(QString, pasted);
        QFETCH(QString, after);
        LimitedTextEdit box(8);
        box.setPlainText(before);
        box.show();
        QTextCursor c = box.textCursor();
        c.setPosition(cursor);
        c.setPosition(cursor + selected, QTextCursor::KeepAnchor);
        box.setTextCursor(c);
        box.setFocus();
        QApplication::clipboard()->setText(pasted);
        QTest::keyClick(&box, Qt::Key_V, Qt::ControlModifier);
        QCOMPARE(box.toPlainText(), after);
    }
};

ADRSBOOK_TEST(LimitedTextTests)
#include "tst_limitedtext.moc"
