// The duplicate check at entry with the book on a server. It keeps the
// parties' keys and, after a save it let through, reads only that party
// again; every other desk's change must still make it read them all. Its
// statements leave no error in the server's log.

#include "data/connection.h"
#include "data/connmodule.h"
#include "data/statementlog.h"
#include "party/duplicateentry.h"
#include "platform/msgbox.h"
#include "support/fixture.h"
#include "support/pgserver.h"
#include "support/scripted.h"
#include "support/testmain.h"

#include <QFile>
#include <QTest>

namespace {
const QString kAllKeys =
    QStringLiteral("Select adrsid,adrsname,adrsphno,adrsmobno,adrsemail from adrsmstr");
}

class DuplicateServerTests : public QObject {
    Q_OBJECT
  private slots:
    void initTestCase() { REQUIRE_PG_SERVER(); }

    void anotherDesksChangeIsSeenRightAfterAnOwnSave() {
        TestBook book(BookKind::Server);
        QFile log(PgServer::LogFile());
        QVERIFY(log.open(QIODevice::ReadOnly));
        log.seek(log.size());
        book.Exec(QStringLiteral("insert into adrsmstr (adrsid, adrsname, adrsphno, adrsdelstatus) "
                                 "values (1, 'SHARMA TRADERS', '0161 111111', 0), (2, 'GUPTA & "
                                 "SONS', '0161 222222', 0)"));
        ForgetDuplicateIndex();
        Connection other;
        other.Open(ConnString::Build(PgServer::Tcp(book.Database())));
        ScriptedMsgBoxes boxes;
        const struct {
            bool edit, otherDesk;
        } cases[] = {{false, false}, {false, true}, {true, false}, {true, true}};
        for (int k = 0; k < 4; ++k) {
            const auto& c = cases[k];
            const QString phone = QStringLiteral("0161 30000%1").arg(k);
            const EnteredParty saved =
                c.edit ? EnteredParty{2, QStringLiteral("GUPTA & SONS"), phone, {}, {}}
                       : EnteredParty{0, QStringLiteral("NEW PARTY %1").arg(k), phone, {}, {}};
            QVERIFY(ConfirmNotDuplicate(*Conn, saved, QString()));
            book.Exec(c.edit ? QStringLiteral("update adrsmstr set adrsphno = '%1' where adrsid "
                                              "= 2")
                                   .arg(phone)
                             : QStringLiteral("insert into adrsmstr (adrsid, adrsname, adrsphno, "
                                              "adrsdelstatus) values (%1, '%2', '%3', 0)")
                                   .arg(3 + k)
                                   .arg(saved.name, phone));
            // Meanwhile another desk gives party 1 a new number.
            const QString theirs = QStringLiteral("0161 90000%1").arg(k);
            if (c.otherDesk)
                other.Execute(QStringLiteral("update adrsmstr set adrsphno = '%1' where adrsid = 1")
                                  .arg(theirs));
            QStringList statements;
            StatementLog::Watch(&statements);
            QVERIFY(DuplicateQuestion(*Conn, {0, QStringLiteral("ANYONE"), phone, {}, {}})
                        .contains(saved.name));
            if (c.otherDesk)
                QVERIFY(DuplicateQuestion(*Conn, {0, QStringLiteral("ANYONE"), theirs, {}, {}})
                            .contains(QStringLiteral("SHARMA TRADERS")));
            StatementLog::Watch(nullptr);
            // This desk's save alone: only the saved party is read again.
            QCOMPARE(statements.contains(kAllKeys), c.otherDesk);
        }
        const QString logged = QString::fromUtf8(log.readAll());
        QVERIFY2(!logged.contains(QStringLiteral("ERROR")), qPrintable(logged));
    }
};

ADRSBOOK_TEST(DuplicateServerTests)
#include "tst_duplicateserver.moc"
