// The print batch: the shipped script hands A.TXT to the printer, and the
// program starts the batch beside it without waiting, then says in the
// status bar whether it printed.

#include "platform/msgbox.h"
#include "printdesk.h"
#include "support/scripted.h"

#include <QDir>
#include <QFileInfo>
#include <QProcess>
#include <QScopeGuard>
#include <QStandardPaths>
#include <QStatusBar>
#include <QTemporaryDir>

namespace {

QString SourceDir() {
    const QString fromEnv = qEnvironmentVariable("ADRSBOOK_SOURCE_DIR");
    if (!fromEnv.isEmpty()) return fromEnv;
    return QFileInfo(QStringLiteral(__FILE__)).absoluteDir().filePath(QStringLiteral("../.."));
}

void WriteFile(const QString& path, const QByteArray& bytes) {
    QFile f(path);
    QVERIFY(f.open(QIODevice::WriteOnly | QIODevice::Truncate));
    f.write(bytes);
}

// Runs the shipped print.sh from another folder with PATH set as given;
// returns what it wrote to stdout and stderr.
QByteArray RunShippedScript(const QString& appFolder, const QString& path) {
    const QString script = QDir(appFolder).filePath("print.sh");
    QFile::remove(script);
    if (!QFile::copy(SourceDir() + "/printing/print.sh", script)) return "<not copied>";
    QProcess sh;
    QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    env.insert("PATH", path);
    env.insert("LPLOG", QDir(appFolder).filePath("lp"));
    sh.setProcessEnvironment(env);
    sh.setWorkingDirectory(QDir::tempPath());
    sh.setStandardInputFile(QProcess::nullDevice());
    sh.start("/bin/sh", {script});
    if (!sh.waitForFinished(10000) || sh.exitCode() != 0) return "<failed>";
    return sh.readAllStandardOutput() + sh.readAllStandardError();
}

} // namespace

class PrintBatchTests : public QObject {
    Q_OBJECT
  private slots:
    void shippedScript_sendsTheFileToLp();
    void shippedScript_quietWithNothingToPrint();
    void print_startsTheBatchBesideTheProgram();
    void print_saysWhenTheFileWasNotPrinted();
};

void PrintBatchTests::shippedScript_sendsTheFileToLp() {
#ifdef Q_OS_WIN
    QSKIP("print.sh is for systems other than Windows");
#endif
    QTemporaryDir app, bin;
    WriteFile(bin.filePath("lp"),
              "#!/bin/sh\nprintf '%s\\n' \"$@\" > \"$LPLOG.args\"\ncat > \"$LPLOG.data\"\n");
    QFile::setPermissions(bin.filePath("lp"),
                          QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner);
    WriteFile(app.filePath("A.TXT"), "     Caf\xe9\r\n");

    QCOMPARE(RunShippedScript(app.path(), bin.path() + ":/usr/bin:/bin"), QByteArray());
    const QByteArray args = ReadFile(app.filePath("lp.args"));
    QVERIFY2(args.startsWith("-s\n"), args.constData());
    if (!QStandardPaths::findExecutable("iconv").isEmpty())
        QCOMPARE(ReadFile(app.filePath("lp.data")), QByteArray("     Caf\xc3\xa9\r\n"));
    else
        QVERIFY(args.endsWith("A.TXT\n"));
}

// (Without a print system it no longer keeps quiet: see
// print_saysWhenTheFileWasNotPrinted.)
void PrintBatchTests::shippedScript_quietWithNothingToPrint() {
#ifdef Q_OS_WIN
    QSKIP("print.sh is for systems other than Windows");
#endif
    QTemporaryDir app, bin;
    WriteFile(bin.filePath("lp"), "#!/bin/sh\ntouch \"$LPLOG.called\"\n");
    QFile::setPermissions(bin.filePath("lp"),
                          QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner);

    WriteFile(app.filePath("A.TXT"), QByteArray()); // no copies: nothing to print
    QCOMPARE(RunShippedScript(app.path(), bin.path() + ":/usr/bin:/bin"), QByteArray());
    QVERIFY(!QFile::exists(app.filePath("lp.called")));
}

// A stand-in batch in the application folder records that it ran and what
// it found; the program starts it through the real desktop shell.
void PrintBatchTests::print_startsTheBatchBesideTheProgram() {
    TestBook book;
    SeedCity(book, 1, "MUMBAI", "MH", "INDIA");
    SeedParty(book, Party{});
#ifdef Q_OS_WIN
    WriteFile(book.Path("print.bat"), "@echo off\r\ncopy /y A.TXT started.txt >nul\r\n");
#else
    WriteFile(book.Path("print.sh"), "#!/bin/sh\ncp A.TXT started.txt\n");
#endif
    PrintDesk desk;
    desk.Pick("acme");
    desk.Sticker();
    desk.Copies("2");
    desk.Print();
    QTRY_VERIFY_WITH_TIMEOUT(QFile::exists(book.Path("started.txt")), 10000);
    QTRY_COMPARE_WITH_TIMEOUT(ReadFile(book.Path("started.txt")).count("\r\n"), 18, 5000);
    QVERIFY(desk.boxes.calls.isEmpty());

    // Without the batch the print file is still written, and the user is told.
    QFile::remove(PrintBatchPath());
    desk.Print();
    QCOMPARE(desk.boxes.calls.size(), 1);
    QVERIFY(desk.boxes.Last().prompt.startsWith("The print batch could not be started."));
}

// The shipped script beside the program, with a failing lp, with none, and
// with one that takes the file: the status bar says each outcome once the
// script has ended, and the window is never held up meanwhile.
void PrintBatchTests::print_saysWhenTheFileWasNotPrinted() {
#ifdef Q_OS_WIN
    QSKIP("print.sh is for systems other than Windows");
#endif
    TestBook book;
    SeedCity(book, 1, "MUMBAI", "MH", "INDIA");
    SeedParty(book, Party{});
    QVERIFY(QFile::copy(SourceDir() + "/printing/print.sh", PrintBatchPath()));
    QTemporaryDir failing, working, none;
    WriteFile(failing.filePath("lp"),
              "#!/bin/sh\necho 'lp: Error - No default destination.' >&2\nexit 1\n");
    WriteFile(working.filePath("lp"), "#!/bin/sh\ncat > \"$0.took\"\n");
    for (const QTemporaryDir* bin : {&failing, &working})
        QFile::setPermissions(bin->filePath("lp"),
                              QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner);
    const QByteArray path = qgetenv("PATH");
    const auto putBack = qScopeGuard([&] { qputenv("PATH", path); });

    FrmMainMdi main;
    ScriptedMsgBoxes boxes;
    auto* form = OpenWithParty(main, "acme");
    QVERIFY(form);
    Click(form->OptnStiker);
    Click(form->txtNoco);
    TypeText("3");
    PressEnter();
    const QString file = QDir::toNativeSeparators(PrintFilePath());
    const struct {
        QString path;
        QString said;
    } cases[] = {
        {failing.path(), "3 stickers written to " + file +
                             " but not printed: lp could not take the file (exit status 1): lp: "
                             "Error - No default destination."},
        {none.path(), "3 stickers written to " + file +
                          " but not printed: no print system: the lp command was not found "
                          "(install CUPS, package cups-client)"},
        {working.path() + ":/usr/bin:/bin", "3 stickers sent to the printer"},
    };
    for (const auto& c : cases) {
        qputenv("PATH", c.path.toLocal8Bit());
        Click(form->CmdPrnt);
        QTRY_COMPARE_WITH_TIMEOUT(main.statusBar()->currentMessage(), c.said, 10000);
    }
    QCOMPARE(ReadFile(working.filePath("lp.took")).count("\r\n"), 27);
    QVERIFY(boxes.calls.isEmpty());
}

ADRSBOOK_TEST(PrintBatchTests)
#include "tst_printbatch.moc"
