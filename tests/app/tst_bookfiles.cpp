// The files of an address book: any folder name works, and every file that
// holds the book's contacts is readable by its owner only.

#include "app/bookfile.h"
#include "app/frmmainmdi.h"
#include "data/booklock.h"
#include "platform/apppath.h"
#include "printing/printfile.h"
#include "support/fixture.h"
#include "support/testmain.h"

#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <QTest>

namespace {

void Loosen(const QString& file) {
    QFile::setPermissions(file, QFile::ReadOwner | QFile::WriteOwner | QFile::ReadGroup |
                                    QFile::ReadOther);
}

} // namespace

class BookFileTests : public QObject {
    Q_OBJECT
  private slots:
    // The program starts, opens and ends normally on a book in a folder
    // whose name holds what a connection string uses to separate and quote.
    void anyFolderNameWorks() {
        QTemporaryDir top;
        for (const char* name : {"semi;colon", "back\\slash", "it's", "a=b;c='d'",
                                 "  blanks at both ends  ", "quote\"d; \\ = 'all'"}) {
            const QString folder = top.filePath(QString::fromUtf8(name));
            QVERIFY(QDir().mkpath(folder));
            CreateBookFile(QDir(folder).filePath(QString::fromLatin1(kDatabaseFileName)));
            QProcess copy;
            copy.start(SaveChildPath(), {QStringLiteral("start"), folder});
            QVERIFY(copy.waitForStarted());
            QVERIFY(QTest::qWaitFor(
                [&] {
                    copy.waitForReadyRead(100);
                    return copy.state() != QProcess::Running || copy.peek(4096).contains("UP\n");
                },
                30000));
            copy.closeWriteChannel();
            QVERIFY(copy.waitForFinished());
            const QByteArray out = copy.readAllStandardOutput();
            QVERIFY2(out == "UP\nENDED\n" && copy.exitCode() == 0,
                     qPrintable(QString::fromUtf8(name) + QStringLiteral(": ") +
                                QString::fromUtf8(out)));
        }
    }

    // The book (new, or made readable by an earlier release and opened
    // since), the new-book tool's file, the print file, the lock and the
    // marker: mode 0600.
    void filesAreTheOwnersOnly() {
        TestBook book;
        QCOMPARE(ModeOf(book.File()), 0600);
        CloseConns();
        Loosen(book.File());
        {
            FrmMainMdi main;
            QVERIFY(main.MDIForm_Load());
            QCOMPARE(ModeOf(book.File()), 0600);
            QCOMPARE(ModeOf(BookLock::LockPath(book.File())), 0600);
            QCOMPARE(ModeOf(BookLock::MarkerPath(book.File())), 0600);

            const QString print = PrintFilePath();
            QFile old(print);
            QVERIFY(old.open(QIODevice::WriteOnly));
            old.close();
            Loosen(print);
            WritePrintFile(print, "MR. A\r\n");
            QCOMPARE(ModeOf(print), 0600);
        }

        const QString made = book.Path(QStringLiteral("new.mdb"));
        QCOMPARE(QProcess::execute(QStringLiteral(ADRSBOOK_NEWDB), {made}), 0);
        QCOMPARE(ModeOf(made), 0600);
    }
};

ADRSBOOK_TEST(BookFileTests)
#include "tst_bookfiles.moc"
