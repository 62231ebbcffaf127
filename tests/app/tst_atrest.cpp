// The database file at rest: encrypted with its password, and refused at
// start-up, untouched, when it is the wrong file or damaged in any way.

#include "app/frmmainmdi.h"
#include "data/connmodule.h"
#include "data/schema.h"
#include "platform/msgbox.h"
#include "support/fixture.h"
#include "support/scripted.h"
#include "support/testmain.h"

#include <QCryptographicHash>
#include <QFile>
#include <QRandomGenerator>
#include <QTest>
#include <functional>

namespace {
QByteArray ReadAll(const QString& file) {
    QFile f(file);
    return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray();
}
void WriteAll(const QString& file, const QByteArray& bytes) {
    QFile f(file);
    QVERIFY(f.open(QIODevice::WriteOnly | QIODevice::Truncate));
    f.write(bytes);
}
} // namespace

class AtRestTests : public QObject {
    Q_OBJECT
  private slots:
    void theFileHoldsNoReadableData() {
        TestBook book;
        const QString name = QStringLiteral("ZEBRAFINCH TRADERS");
        book.Exec(QStringLiteral(
                      "insert into adrsmstr (adrsid, adrsname, adrscontact, adrsdelstatus) values "
                      "(1, '%1', 'QUIXOTIC CONTACT', 0)")
                      .arg(name));
        CloseConns();
        const QByteArray raw = ReadAll(book.File());
        QVERIFY(raw.size() > 0);
        QVERIFY(!raw.contains(name.toUtf8()));
        QVERIFY(!raw.contains("QUIXOTIC"));
        QVERIFY(!raw.contains("adrsmstr")); // not even the table names
        QVERIFY(!raw.startsWith("SQLite format 3"));
        OpenConn();
    }

    void startUpRefusesDamagedOrForeignFilesAndLeavesThemAsTheyWere_data() {
        QTest::addColumn<QString>("damage");
        QTest::addColumn<QString>("expected");
        QTest::newRow("wrong password") << "password"
                                        << "password is wrong";
        QTest::newRow("truncated") << "truncate"
                                   << "damaged";
        QTest::newRow("salt byte flipped") << "salt"
                                           << "could not be read";
        QTest::newRow("middle page byte flipped") << "middle"
                                                  << "damaged";
        QTest::newRow("random bytes") << "random"
                                      << "could not be read";
        QTest::newRow("empty file") << "empty"
                                    << "is empty";
    }
    void startUpRefusesDamagedOrForeignFilesAndLeavesThemAsTheyWere() {
        QFETCH(QString, damage);
        QFETCH(QString, expected);
        TestBook book;
        InTransaction(*Conn, [&] {
            for (int id = 1; id <= 400; ++id)
                book.Exec(
                    QStringLiteral(
                        "insert into adrsmstr (adrsid, adrsname, adrsnotes, adrsdelstatus) values "
                        "(%1, 'PARTY %1', '%2', 0)")
                        .arg(id)
                        .arg(QString(200, u'N')));
        });
        CloseConns();
        const QString file = book.File();
        QByteArray bytes = ReadAll(file);
        QVERIFY(bytes.size() > 64 * 1024);
        if (damage == QLatin1String("password")) {
            QFile::remove(file);
            Schema::CreateDatabase(file, QStringLiteral("another password"));
            bytes = ReadAll(file);
        } else if (damage == QLatin1String("truncate")) {
            bytes.truncate(bytes.size() / 2);
        } else if (damage == QLatin1String("salt")) {
            bytes[5] = char(bytes[5] ^ 0x40);
        } else if (damage == QLatin1String("middle")) {
            const int at = (bytes.size() / 2 / 1024) * 1024 + 500;
            bytes[at] = char(bytes[at] ^ 0x01);
        } else if (damage == QLatin1String("random")) {
            for (char& c : bytes)
                c = char(QRandomGenerator::global()->bounded(256));
        } else if (damage == QLatin1String("empty")) {
            bytes.clear();
        }
        WriteAll(file, bytes);
        const QByteArray before =
            QCryptographicHash::hash(ReadAll(file), QCryptographicHash::Sha256);

        ScriptedMsgBoxes boxes;
        FrmMainMdi main;
        QVERIFY(!main.MDIForm_Load());
        QCOMPARE(boxes.calls.size(), 1);
        QCOMPARE(boxes.Last().Icon(), int(vbCritical));
        QVERIFY2(boxes.Last().prompt.contains(file), qPrintable(boxes.Last().prompt));
        QVERIFY2(boxes.Last().prompt.contains(expected), qPrintable(boxes.Last().prompt));
        QVERIFY(!Conn && !Conn2);
        QCOMPARE(QCryptographicHash::hash(ReadAll(file), QCryptographicHash::Sha256), before);
        QVERIFY(!QFile::exists(file + QStringLiteral("-journal")));
    }
};

ADRSBOOK_TEST(AtRestTests)
#include "tst_atrest.moc"
