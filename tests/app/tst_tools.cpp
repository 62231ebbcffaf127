// The tools as a user runs them: each answers --help and -h with its usage,
// refuses an unknown option, never takes an option for a file name (unless
// it follows --), and says in one line, exit status 2, when it cannot use
// the book it was given.

#include "support/fixture.h"
#include "support/testmain.h"

#include <QDir>
#include <QFile>
#include <QProcess>
#include <QTemporaryDir>
#include <QTest>

namespace {

struct Run {
    int status = -1;
    QString out, err;
};

// Runs the tool in `folder`, headless (with a runtime folder, so that Qt
// has nothing of its own to say).
Run RunTool(const QString& tool, const QStringList& args, const QString& folder) {
    static const QTemporaryDir runtime;
    QProcess p;
    p.setWorkingDirectory(folder);
    QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    env.insert(QStringLiteral("QT_QPA_PLATFORM"), QStringLiteral("offscreen"));
    env.insert(QStringLiteral("XDG_RUNTIME_DIR"), runtime.path());
    p.setProcessEnvironment(env);
    p.start(tool, args);
    if (!p.waitForFinished(60000)) {
        p.kill();
        p.waitForFinished();
        return {};
    }
    return {p.exitStatus() == QProcess::NormalExit ? p.exitCode() : -1,
            QString::fromLocal8Bit(p.readAllStandardOutput()),
            QString::fromLocal8Bit(p.readAllStandardError())};
}

struct Tool {
    const char* name;
    QString path;
};

const Tool kTools[] = {{"adrsbook-newdb", QStringLiteral(ADRSBOOK_NEWDB)},
                       {"adrsbook-copy", QStringLiteral(ADRSBOOK_COPY)},
                       {"adrsbook-gendb", QStringLiteral(ADRSBOOK_GENDB)},
                       {"adrsbook-bench", QStringLiteral(ADRSBOOK_BENCH)}};

} // namespace

class ToolTests : public QObject {
    Q_OBJECT
  private slots:
    // --help, -h and an unknown option, for every tool; nothing is made.
    void everyToolAnswersHelpAndRefusesUnknownOptions() {
        QTemporaryDir folder;
        for (const Tool& tool : kTools) {
            const QString usage = QStringLiteral("usage: ") + QLatin1String(tool.name);
            for (const char* help : {"--help", "-h"}) {
                const Run run = RunTool(tool.path, {QLatin1String(help)}, folder.path());
                QVERIFY2(run.status == 0 && run.out.startsWith(usage) && run.err.isEmpty(),
                         qPrintable(QStringLiteral("%1 %2: %3 %4%5")
                                        .arg(tool.name, help)
                                        .arg(run.status)
                                        .arg(run.out, run.err)));
            }
            // An option before the file, and a file name that looks like one.
            for (const QStringList& args :
                 {QStringList{"--bogus", "x.mdb"}, QStringList{"-book.mdb"},
                  QStringList{"-book.mdb", "other.mdb"}}) {
                const Run run = RunTool(tool.path, args, folder.path());
                QVERIFY2(run.status == 2 && run.err.contains(QStringLiteral("unknown option ")) &&
                             run.err.contains(usage),
                         qPrintable(QStringLiteral("%1 %2: %3 %4")
                                        .arg(tool.name, args.join(u' '))
                                        .arg(run.status)
                                        .arg(run.err)));
            }
            QCOMPARE(QDir(folder.path()).entryList(QDir::Files | QDir::Hidden), QStringList());
        }
        // After --, a name that begins with - is a file name.
        const Run made = RunTool(
            kTools[0].path, {QStringLiteral("--"), QStringLiteral("-book.mdb")}, folder.path());
        QCOMPARE(made.status, 0);
        QVERIFY(QFile::exists(QDir(folder.path()).filePath(QStringLiteral("-book.mdb"))));
    }

    // A book a tool cannot use is said in one line, exit status 2, and
    // leaves nothing behind.
    void aBookThatCannotBeUsedIsOneLineAndStatusTwo() {
        QTemporaryDir folder;
        const QString empty = folder.filePath(QStringLiteral("empty.mdb"));
        CreateBookFile(empty);
        const QString garbage = folder.filePath(QStringLiteral("notes.mdb"));
        {
            QFile f(garbage);
            QVERIFY(f.open(QIODevice::WriteOnly));
            f.write(QByteArray(4096, 'x'));
        }
        const struct {
            const Tool& tool;
            QStringList args;
            const char* said;
        } cases[] = {
            {kTools[0], {empty}, "already exists"},
            {kTools[1], {garbage, "copy.mdb"}, "could not be read"},
            {kTools[1], {"missing.mdb", "copy.mdb"}, "not found"},
            {kTools[1], {empty, garbage}, "already exists"},
            {kTools[2], {empty}, "already exists"},
            {kTools[2], {"new.mdb", "many"}, "PARTIES must be a number"},
            {kTools[3], {empty}, "holds 0 parties"},
            {kTools[3], {garbage}, "could not be read"},
            {kTools[3], {"--runs", "0", empty}, "--runs takes a number"},
        };
        for (const auto& c : cases) {
            const Run run = RunTool(c.tool.path, c.args, folder.path());
            const QString what = QStringLiteral("%1 %2: %3 [%4]")
                                     .arg(c.tool.name, c.args.join(u' '))
                                     .arg(run.status)
                                     .arg(run.err);
            QVERIFY2(run.status == 2, qPrintable(what));
            QVERIFY2(run.err.startsWith(QLatin1String(c.tool.name) + QStringLiteral(": ")) &&
                         run.err.count(u'\n') == 1 && run.err.contains(QLatin1String(c.said)),
                     qPrintable(what));
        }
        QVERIFY(!QFile::exists(folder.filePath(QStringLiteral("copy.mdb"))));
        QVERIFY(!QFile::exists(folder.filePath(QStringLiteral("new.mdb"))));
    }
};

ADRSBOOK_TEST(ToolTests)
#include "tst_tools.moc"
