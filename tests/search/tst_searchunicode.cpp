// The live search finds names whatever the case of letters beyond A to Z.

#include "searchdriver.h"

#include "support/testmain.h"

namespace {
// Types letters beyond ASCII, as a keyboard with them sends them.
void TypeLetters(const QString& text) {
    QTest::keyClick(Focused(), Qt::Key_A, Qt::ControlModifier);
    PressKey(Qt::Key_Delete);
    for (const QChar c : text)
        QTest::sendKeyEvent(QTest::Click, Focused(), Qt::Key(c.toUpper().unicode()), QString(c),
                            Qt::NoModifier);
}
} // namespace

class SearchUnicodeTests : public QObject {
    Q_OBJECT
  private slots:
    void nameSearchIgnoresTheCaseOfEveryLetter() {
        TestBook book;
        SeedBook(book);
        book.Exec("insert into adrsmstr (adrsid, adrsname, adrsctyid, adrsdelstatus) values "
                  "(5, 'MÜLLER & CO', 5, 0), (6, 'Évora Exports', 7, 0), (7, 'MULLER BROS', 5, 0)");
        book.Exec("insert into adrsgrpdtails (adrsgrpid, adrsconcrnid, adrsgrupid) values "
                  "(5, 5, '3'), (6, 6, '3'), (7, 7, '3')");
        SearchWindow w;
        ChooseGroupAndFilter(w.form, "", "Name Wise");
        for (const QString& typed : {QStringLiteral("müller"), QStringLiteral("MÜLLER")}) {
            TypeLetters(typed);
            w->LstvewSrch->Flush();
            QCOMPARE(Names(w->LstvewSrch), QStringList{"MÜLLER & CO"});
        }
        TypeLetters(QStringLiteral("ÉVORA"));
        w->LstvewSrch->Flush();
        QCOMPARE(Names(w->LstvewSrch), QStringList{"Évora Exports"});
    }
};

ADRSBOOK_TEST(SearchUnicodeTests)
#include "tst_searchunicode.moc"
