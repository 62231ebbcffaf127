// Several desks, one address book: four processes work the real windows
// against one database on the test server at the same time. At the end
// every id is unique, every party has exactly the groups its last save
// gave it, nothing reported saved is missing, and every desk's search
// lists the others' parties. ADRSBOOK_DESK_OPS sets the operations per
// desk (default 25).

#include "app/frmmainmdi.h"
#include "app/serverpassword.h"
#include "bookfile.h"
#include "data/connmodule.h"
#include "data/serversettings.h"
#include "platform/apppath.h"
#include "platform/msgbox.h"
#include "support/fixture.h"
#include "support/pgserver.h"
#include "support/testmain.h"

#include <QFile>
#include <QProcess>
#include <QTemporaryDir>
#include <QTest>
#include <memory>

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
    // start-up asks once; a wrong one ends the start with the reason.
    void startUpAsksOnceForTheServerPassword() {
        const QString db = PgServer::NewBook();
        QTemporaryDir folder;
        const ConnString::Parts tcp = PgServer::Tcp(db);
        ServerSettings::Write(folder.path(), {tcp.host, tcp.port, tcp.database, tcp.user, {}});
        QCOMPARE(ServerSettings::Read(folder.path()).sslMode, QStringLiteral("prefer"));
        qputenv("PGPASSFILE", folder.filePath(QStringLiteral("none")).toLocal8Bit());
        SetAppPathForTesting(folder.path());
        for (const QString& typed :
             {QStringLiteral("wrong"), QString::fromLatin1(PgServer::kDeskPassword)}) {
            int asked = 0;
            SetServerPasswordAnswerForTesting([&](QString& password) {
                ++asked;
                password = typed;
                return true;
            });
            ServerPassword.clear();
            ScriptedMsgBoxes boxes;
            FrmMainMdi main;
            const bool started = main.MDIForm_Load();
            QCOMPARE(asked, 1);
            QCOMPARE(started, typed != QLatin1String("wrong"));
            if (!started)
                QVERIFY2(boxes.Prompts().value(0).contains(
                             QStringLiteral("password authentication failed")),
                         qPrintable(boxes.Prompts().join(u'\n')));
            else
                QCOMPARE(Conn2->State(), 1);
            CloseConns();
        }
        SetServerPasswordAnswerForTesting(nullptr);
        ServerPassword.clear();
        SetAppPathForTesting(QString());
        qunsetenv("PGPASSFILE");
        PgServer::Drop(db);
    }
};

ADRSBOOK_TEST(DeskTests)
#include "tst_desks.moc"
