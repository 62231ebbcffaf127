// How fast a full book goes out and comes back in, the memory an import of
// it takes at its peak, and what the duplicate check at entry costs. Runs
// only with ADRSBOOK_FULL_BOOK naming a book of 32,767 parties
// (tools/adrsbook-gendb makes one); prints the figures.

#include "importdriver.h"
#include "party/duplicateentry.h"
#include "support/testmain.h"

#include <QElapsedTimer>
#include <malloc.h>

namespace {

// The process's resident memory now or at its peak, in MiB (Linux).
double MiB(const char* what) {
    QFile status(QStringLiteral("/proc/self/status"));
    if (!status.open(QIODevice::ReadOnly)) return 0;
    for (const QByteArray& line : status.readAll().split('\n'))
        if (line.startsWith(what))
            return line.mid(6).trimmed().split(' ').value(0).toDouble() / 1024;
    return 0;
}

// Starts the peak afresh from what the process holds now.
bool ResetPeak() {
    malloc_trim(0);
    QFile refs(QStringLiteral("/proc/self/clear_refs"));
    return refs.open(QIODevice::WriteOnly) && refs.write("5") == 1;
}

} // namespace

class ImportSpeedTests : public QObject {
    Q_OBJECT
  private slots:
    void aFullBookOutAndIn() {
        const QString full = qEnvironmentVariable("ADRSBOOK_FULL_BOOK");
        if (full.isEmpty()) QSKIP("set ADRSBOOK_FULL_BOOK to a book of 32,767 parties");
        TestBook book;
        auto swapIn = [&](const QString& from) {
            CloseConns();
            QFile::remove(book.File());
            if (from.isEmpty())
                CreateBookFile(book.File());
            else
                QVERIFY(QFile::copy(from, book.File()));
            OpenConn();
            OpenConn2();
        };
        swapIn(full);
        QElapsedTimer t;

        // The check at entry: the first one reads the book, the rest reuse it.
        t.start();
        const EnteredParty entered{0, QStringLiteral("NO SUCH PARTY"), QStringLiteral("1234567"),
                                   QStringLiteral("9999999999"), QStringLiteral("x@y.example")};
        QVERIFY(DuplicateQuestion(*Conn, entered).isEmpty());
        const qint64 cold = t.nsecsElapsed();
        t.restart();
        for (int i = 0; i < 100; ++i)
            DuplicateQuestion(*Conn, entered);
        const double warm = t.nsecsElapsed() / 100.0;
        qInfo("duplicate check: first %.1f ms, then %.2f ms each", cold / 1e6, warm / 1e6);
        QVERIFY(warm < 5e6);
        // A save let through changes one party: only that one is read again.
        QVERIFY(ConfirmNotDuplicate(*Conn, entered, QString()));
        book.Exec(QStringLiteral("insert into adrsmstr (adrsid, adrsname, adrsdelstatus) values "
                                 "(32768, 'NO SUCH PARTY', 0)"));
        t.restart();
        const QString found = DuplicateQuestion(*Conn, entered);
        const qint64 afterSave = t.nsecsElapsed();
        qInfo("duplicate check after a new party was saved: %.2f ms", afterSave / 1e6);
        QVERIFY(found.contains(QLatin1String("name")));
        QVERIFY(afterSave < 5e6);

        for (ExportFormat format : {ExportFormat::Csv, ExportFormat::VCard4}) {
            swapIn(full);
            const QString path =
                WriteFile(book, QStringLiteral("all") + ExportSuffix(format), ExportAll(format));
            swapIn(QString());
            // An import reads, checks and stores in pieces: its peak stays
            // far below the whole file's records, rows and statements.
            const bool measured = ResetPeak();
            const double before = MiB("VmRSS");
            QCOMPARE(ImportFile(path, DuplicateChoice::Add).added, 32767);
            const double peak = MiB("VmHWM");
            qInfo("%s import: %.0f MiB before, peak %.0f MiB",
                  format == ExportFormat::Csv ? "CSV" : "vCard 4.0", before, peak);
            if (measured) QVERIFY(peak - before < 150);
        }

        for (ExportFormat format : {ExportFormat::Csv, ExportFormat::VCard4}) {
            swapIn(full);
            t.restart();
            const QByteArray bytes = ExportAll(format);
            const qint64 exported = t.elapsed();
            swapIn(QString());
            const QString path =
                WriteFile(book, QStringLiteral("all") + ExportSuffix(format), bytes);
            // The generated book repeats names and numbers; every record
            // goes in, as with "add anyway" applied to all duplicates.
            t.restart();
            const ImportResult done = ImportFile(path, DuplicateChoice::Add);
            const qint64 imported = t.elapsed();
            qInfo("%s: export %lld ms (%lld KB), import into an empty book %lld ms",
                  format == ExportFormat::Csv ? "CSV" : "vCard 4.0", exported,
                  qint64(bytes.size() / 1024), imported);
            QCOMPARE(done.added, 32767);
            QCOMPARE(book.Count("adrsgrpdtails"), 32767);
        }
    }
};

ADRSBOOK_TEST(ImportSpeedTests)
#include "tst_importspeed.moc"
