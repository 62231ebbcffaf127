// Several desks, one address book: four processes work the real windows
// against one database on the test server at the same time. At the end
// every id is unique, every party has exactly the groups its last save
// gave it, nothing reported saved is missing, and every desk's search
// lists the others' parties. ADRSBOOK_DESK_OPS sets the operations per
// desk (default 25). Also what a desk is told at start-up, a restore while
// a desk of another login is open, and the benchmark kept off a live book.

#include "app/frmmainmdi.h"
#include "app/serverpassword.h"
#include "bookfile.h"
#include "data/connmodule.h"
#include "data/serversettings.h"
#include "platform/apppath.h"
#include "platform/filedialogs.h"
#include "platform/msgbox.h"
#include "support/fixture.h"
#include "support/pgserver.h"
#include "support/scripted.h"
#include "support/testmain.h"

#include <QFile>
#include <QProcess>
#include <QStatusBar>
#include <QTemporaryDir>
#include <QTest>
#include <memory>

namespace {
// The private server's desk user, over TCP, in the settings file of `folder`,
// with its password in a password file there (returned, for PGPASSFILE).
QString DeskSettings(const QString& folder, const QString& database) {
    const ConnString::Parts tcp = PgServer::Tcp(database);
    ServerSettings::Write(folder, {tcp.host, tcp.port, tcp.database, tcp.user, {}});
    const QString pgpass = QDir(folder).filePath(QStringLiteral("pgpass"));
    QFile f(pgpass);
    if (f.open(QIODevice::WriteOnly))
        f.write(QStringLiteral("%1:%2:%3:%4:%5\n")
                    .arg(tcp.host, tcp.port, tcp.database, tcp.user, tcp.password)
                    .toUtf8());
    f.close();
    f.setPermissions(QFileDevice::ReadOwner | QFileDevice::WriteOwner);
    return pgpass;
}
} // namespace

class DeskTests : public QObject {
    Q_OBJECT
  private slots:
    void initTestCase() { REQUIRE_PG_SERVER(); }

    void fourDesksShareOneBook() {
        TestBook book(BookKind::Server);
        book.Exec("insert into cscmstr (ctyid, ctyname, statename, contryname, delstatus) values "
                  "(1, 'LUDHIANA', 'PUNJAB', 'INDIA', 0), (2, 'PUNE', 'MAHARASHTR', 'INDIA', 0)");
        book.Exec("insert into adrsgrupmstr (grpid, grpname) values (1, 'CUSTOMERS'), "
                  "(2, 'SUPPLIERS'), (3, 'BANKS'), (4, 'AGENTS'), (5, 'DEALERS'), (6, 'FRIENDS')");
        const int ops = qEnvironmentVariableIntValue("ADRSBOOK_DESK_OPS") > 0
                            ? qEnvironmentVariableIntValue("ADRSBOOK_DESK_OPS")
                            : 25;
        constexpr int kDesks = 4;
        std::vector<std::unique_ptr<QProcess>> desks;
        for (int d = 1; d <= kDesks; ++d) {
            auto p = std::make_unique<QProcess>();
            p->setProcessChannelMode(QProcess::ForwardedErrorChannel);
            p->start(SaveChildPath(), {QStringLiteral("desk"), book.Folder(), QString::number(d),
                                       QString::number(ops), QString::number(1000 + d)});
            desks.push_back(std::move(p));
        }
        QList<QStringList> lines(kDesks);
        const auto readAll = [&] {
            for (int d = 0; d < kDesks; ++d)
                while (desks[d]->canReadLine())
                    lines[d] << QString::fromUtf8(desks[d]->readLine()).trimmed();
        };
        const auto allSaid = [&](const QString& word) {
            readAll();
            for (int d = 0; d < kDesks; ++d)
                // (a desk that ended without the word has failed: stop waiting)
                if (!lines[d].contains(word) && desks[d]->state() != QProcess::NotRunning)
                    return false;
            return true;
        };
        QVERIFY(QTest::qWaitFor([&] { return allSaid(QStringLiteral("FINISHED")); }, 300000));
        QFile(book.Path(QStringLiteral("search-now"))).open(QIODevice::WriteOnly);
        QVERIFY(QTest::qWaitFor([&] { return allSaid(QStringLiteral("END")); }, 60000));
        for (auto& p : desks)
            p->waitForFinished(10000);
        readAll();

        // What the desks were told, in their order.
        QMap<QString, QString> expected; // party -> "GROUPS <ids> V<version>"
        QSet<QString> groups;
        QList<QStringList> saw;
        for (int d = 0; d < kDesks; ++d) {
            QVERIFY2(lines[d].contains(QStringLiteral("END")), qPrintable(lines[d].join(u'\n')));
            for (const QString& line : lines[d]) {
                const QStringList w = line.split(u' ');
                QVERIFY2(w[0] != QLatin1String("FAILED") && w[0] != QLatin1String("ERROR"),
                         qPrintable(QStringLiteral("desk %1: %2").arg(d + 1).arg(line)));
                if (w[0] == QLatin1String("SAVED"))
                    expected.insert(w[1], QStringLiteral("GROUPS %1 V%2").arg(w[2], w[3]));
                else if (w[0] == QLatin1String("DELETED"))
                    expected.remove(w[1]);
                else if (w[0] == QLatin1String("GROUP"))
                    groups.insert(w[1]);
                else if (w[0] == QLatin1String("UNGROUP"))
                    groups.remove(w[1]);
                else if (w[0] == QLatin1String("SAW"))
                    saw << w.value(2).split(u',', Qt::SkipEmptyParts);
            }
        }
        QVERIFY(expected.size() > kDesks);

        // The book holds exactly that: each party with its last save's groups.
        QMap<QString, QString> actual;
        for (const QStringList& row : book.Rows(QStringLiteral(
                 "Select adrsname, adrsnotes, (Select string_agg(adrsgrupid, ',' order by "
                 "adrsgrupid::int) from adrsgrpdtails where adrsconcrnid = adrsid) from "
                 "adrsmstr"))) {
            QCOMPARE(row[1].section(u' ', 0, 1), QStringLiteral("GROUPS ") + row[2]);
            actual.insert(row[0], row[1]);
        }
        QCOMPARE(actual, expected);
        QSet<QString> savedGroups;
        for (const QStringList& row :
             book.Rows(QStringLiteral("Select grpname from adrsgrupmstr where grpid > 6")))
            savedGroups.insert(row[0]);
        QCOMPARE(savedGroups, groups);
        QCOMPARE(book.Value(QStringLiteral("Select count(*) from adrsgrpdtails where adrsconcrnid "
                                           "not in (Select adrsid from adrsmstr)"))
                     .toInt(),
                 0);
        // Each desk's search saw every party, the others' too.
        QCOMPARE(saw.size(), kDesks);
        for (QStringList& names : saw) {
            names.sort();
            QVERIFY2(names == QStringList(expected.keys()),
                     qPrintable(names.join(u',') + QStringLiteral(" != ") +
                                QStringList(expected.keys()).join(u',')));
        }
    }

    // The settings file names the server; its password is in no file, so the
    // start-up asks; a wrong one is asked again, saying it was wrong, three
    // times at most. Over TCP without TLS the status bar says so.
    void startUpAsksForTheServerPasswordAgainWhenWrong() {
        const QString db = PgServer::NewBook();
        QTemporaryDir folder;
        const ConnString::Parts tcp = PgServer::Tcp(db);
        ServerSettings::Write(folder.path(), {tcp.host, tcp.port, tcp.database, tcp.user, {}});
        QCOMPARE(ServerSettings::Read(folder.path()).sslMode, QStringLiteral("prefer"));
        qputenv("PGPASSFILE", folder.filePath(QStringLiteral("none")).toLocal8Bit());
        SetAppPathForTesting(folder.path());
        const QString right = QString::fromLatin1(PgServer::kDeskPassword);
        const QString wrong = QStringLiteral("wrong");
        const struct {
            QStringList typed;
            bool started;
        } cases[] = {
            {{right}, true},
            {{wrong, right}, true},
            {{wrong, wrong, wrong}, false},
        };
        for (const auto& c : cases) {
            QStringList prompts;
            SetServerPasswordAnswerForTesting([&](const QString& prompt, QString& password) {
                password = c.typed.value(prompts.size());
                prompts << prompt;
                return true;
            });
            ServerPassword.clear();
            ScriptedMsgBoxes boxes;
            FrmMainMdi main;
            QCOMPARE(main.MDIForm_Load(), c.started);
            QCOMPARE(prompts.size(), c.typed.size());
            for (int i = 0; i < prompts.size(); ++i)
                QCOMPARE(prompts[i].startsWith(QStringLiteral("The password was wrong")), i > 0);
            if (!c.started) {
                QVERIFY2(boxes.Prompts().value(0).contains(
                             QStringLiteral("password authentication failed")),
                         qPrintable(boxes.Prompts().join(u'\n')));
            } else {
                QCOMPARE(Conn2->State(), 1);
                QVERIFY2(main.statusBar()->currentMessage().startsWith(
                             QStringLiteral("Unencrypted connection to the database")),
                         qPrintable(main.statusBar()->currentMessage()));
            }
            CloseConns();
        }
        SetServerPasswordAnswerForTesting(nullptr);
        ServerPassword.clear();
        SetAppPathForTesting(QString());
        qunsetenv("PGPASSFILE");
        PgServer::Drop(db);
    }

    // A restore is refused while a desk of another login (the desk user over
    // TCP, in a process of its own) has the book open, and runs once it has
    // closed it.
    void aRestoreWaitsForADeskOfAnotherLogin() {
        TestBook book(BookKind::Server); // the superuser over the socket
        book.Exec(QStringLiteral("insert into adrsgrupmstr (grpid, grpname) values (1, 'KEPT')"));
        FrmMainMdi main;
        QVERIFY(main.MDIForm_Load());
        QCOMPARE(main.statusBar()->currentMessage(), QString()); // a socket stays on this machine
        FileDialogs::Scripted dialogs;
        ScriptedMsgBoxes boxes;
        const QString backup = book.Path(QStringLiteral("backup.mdb"));
        dialogs.answers << backup;
        main.Bak->trigger();
        QCOMPARE(boxes.Last().Icon(), int(vbInformation));
        book.Exec(QStringLiteral("insert into adrsgrupmstr (grpid, grpname) values (2, 'LATER')"));

        QTemporaryDir deskFolder;
        QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
        env.insert(QStringLiteral("PGPASSFILE"), DeskSettings(deskFolder.path(), book.Database()));
        QProcess desk;
        desk.setProcessEnvironment(env);
        desk.start(SaveChildPath(), {QStringLiteral("start"), deskFolder.path()});
        QByteArray said;
        QVERIFY(QTest::qWaitFor(
            [&] {
                desk.waitForReadyRead(100);
                said += desk.readAllStandardOutput();
                return said.contains("UP\n") || desk.state() == QProcess::NotRunning;
            },
            30000));
        QVERIFY2(said.contains("UP\n"), said.constData());

        const auto restore = [&] {
            dialogs.answers << backup;
            main.Rtsr->trigger(); // Yes to the question
            return boxes.Last();
        };
        const MsgBoxCall refused = restore();
        QCOMPARE(refused.Icon(), int(vbCritical));
        QVERIFY2(refused.prompt.contains(QStringLiteral("open on 1 other desk.")),
                 qPrintable(refused.prompt));
        QCOMPARE(book.Count(QStringLiteral("adrsgrupmstr")), 2);

        desk.closeWriteChannel();
        QVERIFY(desk.waitForFinished(10000));
        const MsgBoxCall restored = restore();
        QVERIFY2(restored.Icon() == vbInformation, qPrintable(restored.prompt));
        QCOMPARE(book.Rows(QStringLiteral("Select grpname from adrsgrupmstr")),
                 (QList<QStringList>{{"KEPT"}}));
    }

    // The benchmark loads a generated book into the database its settings
    // file names: one that holds rows is refused and left as it was.
    void theBenchmarkKeepsOffABookWithRows() {
        TestBook book(BookKind::Server);
        book.Exec(QStringLiteral("insert into adrsgrupmstr (grpid, grpname) values (1, 'KEPT')"));
        const QString generated = book.Path(QStringLiteral("generated.mdb"));
        CreateBookFile(generated);
        QProcess bench;
        bench.start(QStringLiteral(ADRSBOOK_BENCH),
                    {QStringLiteral("--server"), book.Path(ServerSettings::FileName()), generated});
        QVERIFY(bench.waitForFinished(60000));
        const QString said = QString::fromLocal8Bit(bench.readAllStandardError());
        QCOMPARE(bench.exitCode(), 1);
        QVERIFY2(said.contains(QStringLiteral("holds 1 row")) &&
                     said.contains(QStringLiteral("separate, empty database")),
                 qPrintable(said));
        QCOMPARE(book.Rows(QStringLiteral("Select grpname from adrsgrupmstr")),
                 (QList<QStringList>{{"KEPT"}}));
    }
};

ADRSBOOK_TEST(DeskTests)
#include "tst_desks.moc"
