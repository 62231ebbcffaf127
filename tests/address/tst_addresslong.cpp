// Texts longer than the address master's boxes, stored by another program:
// a party loads at once with each such text shown cut and said, and Save
// writes back the stored text whole unless its box was changed.

#include "addressdriver.h"

#include "platform/msgbox.h"
#include "support/scripted.h"
#include "support/testmain.h"

#include <QApplication>
#include <QClipboard>
#include <QElapsedTimer>
#include <QLabel>
#include <QPlainTextEdit>

namespace {
// One line of 300,000 characters, and an e-mail address of 150.
const QString kNote = QStringLiteral("0123456789").repeated(30000);
const QString kEmail = QStringLiteral("x").repeated(139) + QStringLiteral("@example.in");

// A whole party whose notes and e-mail address are longer than their boxes.
void SeedLongParty(const TestBook& book) {
    SeedCity(book, 5, QStringLiteral("PUNE"), QStringLiteral("MAHA"), QStringLiteral("INDIA"));
    SeedGroup(book, 1, QStringLiteral("BANKS"));
    SeedParty(book, 1, QStringLiteral("LONG NOTES"), 5);
    SeedLink(book, 1, 1, 1);
    book.Exec(QStringLiteral("update adrsmstr set adrsnotes = '%1', adrsemail = '%2' where adrsid "
                             "= 1")
                  .arg(kNote, kEmail));
}

QString Stored(const TestBook& book, const char* column) {
    return book
        .Value(
            QStringLiteral("select %1 from adrsmstr where adrsid = 1").arg(QLatin1String(column)))
        .toString();
}
} // namespace

class AddressLongValueTests : public QObject {
    Q_OBJECT
  private slots:
    void aLongTextShowsCutAndIsKeptWholeUnlessChanged() {
        TestBook book;
        SeedLongParty(book);
        FrmAdrsMstr1 form;
        OpenWindow(form);
        ScriptedMsgBoxes boxes;
        QVERIFY(form.LblLong->isHidden());

        QElapsedTimer clock;
        clock.start();
        LoadParty(form, QStringLiteral("long"));
        const qint64 loadMs = clock.elapsed();
        qInfo("a party with 300,000 characters of notes loaded in %lld ms", loadMs);
        QVERIFY(loadMs < 1000);
        QCOMPARE(form.Txtnote->toPlainText(), kNote.left(500));
        QCOMPARE(form.Txtemail->text(), kEmail.left(100));
        QVERIFY(form.LblLong->isVisible());
        QVERIFY2(form.LblLong->text().contains(QStringLiteral("Notes of 300,000 characters")) &&
                     form.LblLong->text().contains(QStringLiteral("E-Mail of 150,")),
                 qPrintable(form.LblLong->text()));
        QVERIFY(form.Txtnote->toolTip().contains(QStringLiteral("300,000")));
        QVERIFY(form.Txtname->toolTip().isEmpty());
        QVERIFY(boxes.calls.isEmpty());

        // Saved untouched: both texts stay whole.
        Click(form.CmdSave);
        QCOMPARE(boxes.Prompts().last(), QStringLiteral("Record has been updated"));
        QCOMPARE(Stored(book, "adrsnotes"), kNote);
        QCOMPARE(Stored(book, "adrsemail"), kEmail);
        QVERIFY(form.LblLong->isHidden());
        QVERIFY(form.Txtnote->toolTip().isEmpty());

        // The notes changed: what the box holds is saved; the e-mail address,
        // left alone, stays whole.
        LoadParty(form, QStringLiteral("long"));
        form.Txtnote->setFocus();
        QTest::keyClick(form.Txtnote, Qt::Key_A, Qt::ControlModifier);
        TypeText(QStringLiteral("pays late"));
        Click(form.CmdSave);
        QCOMPARE(boxes.Prompts().last(), QStringLiteral("Record has been updated"));
        QCOMPARE(Stored(book, "adrsnotes"), QStringLiteral("pays late"));
        QCOMPARE(Stored(book, "adrsemail"), kEmail);
    }

    // A long paste into the notes takes only what fits, at once.
    void aLongPasteIntoTheNotesTakesWhatFits() {
        TestBook book;
        FrmAdrsMstr1 form;
        OpenWindow(form);
        Click(form.CmdSave); // New
        form.Txtnote->setFocus();
        TypeText(QStringLiteral("seen "));
        QApplication::clipboard()->setText(kNote);
        QElapsedTimer clock;
        clock.start();
        QTest::keyClick(form.Txtnote, Qt::Key_V, Qt::ControlModifier);
        Settle();
        const qint64 pasteMs = clock.elapsed();
        qInfo("a paste of 300,000 characters into the notes took %lld ms", pasteMs);
        QVERIFY(pasteMs < 1000);
        QCOMPARE(form.Txtnote->toPlainText(), QStringLiteral("seen ") + kNote.left(495));
    }
};

ADRSBOOK_TEST(AddressLongValueTests)
#include "tst_addresslong.moc"
