// Letter case ignored beyond A to Z: like() and the NOCASE order, and files
// whose name index was ordered by the ASCII-only rule.

#include "data/bookrebuild.h"
#include "data/connection.h"
#include "data/connmodule.h"
#include "data/connstring.h"
#include "data/recordset.h"
#include "data/unicodecase.h"
#include "support/fixture.h"
#include "support/testmain.h"

#include <QFile>
#include <QTest>
#include <sqlite3.h>

namespace {
const char* const kNames[] = {"MÉZ",    "méa",         "ÉVORA", "évora b",
                              "Müller", "MÜLLER & CO", "mz",    "ZETA"};

// Writes parties with the names above through a plain connection, which
// orders the name index by the engine's ASCII-only rule, and marks the
// file with `version`.
void WriteNamesPlainly(const QString& file, int version) {
    sqlite3* db = nullptr;
    QCOMPARE(sqlite3_open(file.toUtf8().constData(), &db), SQLITE_OK);
    sqlite3_key(db, kDatabasePassword, int(strlen(kDatabasePassword)));
    QByteArray sql = "PRAGMA user_version=" + QByteArray::number(version) + ";";
    for (int i = 0; i < 8; ++i)
        sql += "insert into adrsmstr (adrsid, adrsname) values (" + QByteArray::number(i + 1) +
               ", '" + kNames[i] + "');";
    QCOMPARE(sqlite3_exec(db, sql.constData(), nullptr, nullptr, nullptr), SQLITE_OK);
    sqlite3_close(db);
}

QStringList Rows(Connection& conn, const QString& sql) {
    Recordset rs;
    rs.Open(sql, &conn);
    QStringList out;
    for (; !rs.Eof(); rs.MoveNext())
        out.append(rs.Fields(0).Str());
    return out;
}

int Sign(int v) {
    return (v > 0) - (v < 0);
}

// The engine's own ASCII-only NOCASE order.
int AsciiNoCase(const QByteArray& a, const QByteArray& b) {
    const int n = int(std::min(a.size(), b.size()));
    const int r = sqlite3_strnicmp(a.constData(), b.constData(), n);
    return r != 0 ? r : int(a.size() - b.size());
}
} // namespace

class UnicodeCaseTests : public QObject {
    Q_OBJECT
  private slots:
    void likeFoldsEveryLetterAndKeepsItsWildcards() {
        const struct {
            const char* pattern;
            const char* text;
            bool match;
            char32_t escape = 0;
        } cases[] = {
            {"%müller%", "MÜLLER & CO", true},
            {"évora", "ÉVORA", true},
            {"%σίσυφος%", "Ο ΣΊΣΥΦΟΣ", true},
            {"%ab%", "xABy", true},
            {"%AB%", "xaby", true},
            {"%ab%", "xAy", false},
            {"a_c", "aÉc", true}, // _ is one letter, not one byte
            {"a_c", "ac", false},
            {"a__", "aé", false},
            {"%", "", true},
            {"_", "", false},
            {"a%b%c", "AxxBxxC", true},
            {"a%b%c", "AxxCxxB", false},
            {"%%c", "abc", true},
            {"ਪੰਜਾਬ%", "ਪੰਜਾਬ ਟਰੇਡਰਜ਼", true},
            {"%दिल्ली", "नई दिल्ली", true},
            {"100!%", "100%", true, U'!'},
            {"100!%", "1000", false, U'!'},
            {"a!_c", "abc", false, U'!'},
            {"12", "12", true},
            {"12", "123", false},
        };
        for (const auto& c : cases)
            QVERIFY2(UnicodeCase::Like(c.pattern, c.text, c.escape) == c.match,
                     qPrintable(QStringLiteral("%1 like %2")
                                    .arg(QString::fromUtf8(c.text), QString::fromUtf8(c.pattern))));
    }

    // A pattern kept from row to row is the statement's own: patterns that
    // differ from row to row, or a parameter bound anew (at the same length,
    // perhaps at the same place), are each read for what they are.
    void eachPatternIsReadForWhatItIs() {
        sqlite3* db = nullptr;
        QCOMPARE(sqlite3_open(":memory:", &db), SQLITE_OK);
        QVERIFY(UnicodeCase::Register(db));
        QCOMPARE(sqlite3_exec(db,
                              "create table t (pattern text, name text);"
                              "insert into t values ('%ab%', 'xaby'), ('%cd%', 'xaby'), "
                              "('%cd%', 'ACDC'), ('%ab%', 'ACDC');",
                              nullptr, nullptr, nullptr),
                 SQLITE_OK);
        const auto matches = [&](const char* sql, const QByteArray& bound = {}) {
            sqlite3_stmt* stmt = nullptr;
            if (sqlite3_prepare_v2(db, sql, -1, &stmt, nullptr) != SQLITE_OK) return QString();
            if (!bound.isNull())
                sqlite3_bind_text(stmt, 1, bound.constData(), int(bound.size()), SQLITE_STATIC);
            QString out;
            while (sqlite3_step(stmt) == SQLITE_ROW)
                out += QString::number(sqlite3_column_int(stmt, 0));
            sqlite3_finalize(stmt);
            return out;
        };
        QCOMPARE(matches("select name like pattern from t order by rowid"), QStringLiteral("1010"));
        QCOMPARE(matches("select name like '%cd%' from t order by rowid"), QStringLiteral("0011"));
        // One prepared statement, the same buffer bound again with another pattern.
        QByteArray pattern("%ab%");
        sqlite3_stmt* stmt = nullptr;
        QCOMPARE(
            sqlite3_prepare_v2(db, "select name like ?1 from t order by rowid", -1, &stmt, nullptr),
            SQLITE_OK);
        QString rounds;
        for (const char* next : {"%ab%", "%cd%", "%ab%"}) {
            qstrcpy(pattern.data(), next);
            sqlite3_bind_text(stmt, 1, pattern.constData(), 4, SQLITE_STATIC);
            while (sqlite3_step(stmt) == SQLITE_ROW)
                rounds += QString::number(sqlite3_column_int(stmt, 0));
            sqlite3_reset(stmt);
            rounds += u'|';
        }
        sqlite3_finalize(stmt);
        sqlite3_close(db);
        QCOMPARE(rounds, QStringLiteral("1100|0011|1100|"));
    }

    void theOrderIsTheEnginesForAsciiAndFoldsBeyondIt() {
        const QList<QByteArray> ascii{"",  "a", "A", "ab",  "aB",  "b", "_",   "[",
                                      "`", "z", "Z", "abc", "ABD", "0", "9 x", "a b"};
        for (const QByteArray& a : ascii)
            for (const QByteArray& b : ascii)
                QCOMPARE(Sign(UnicodeCase::Compare(a, b)), Sign(AsciiNoCase(a, b)));
        QCOMPARE(UnicodeCase::Compare("MÜLLER", "müller"), 0);
        QCOMPARE(UnicodeCase::Compare("ÉVORA", "évora"), 0);
        QVERIFY(UnicodeCase::Compare("MÉZ", "méa") > 0); // the ASCII rule says <
        QVERIFY(UnicodeCase::Compare("Zeta", "Ärger") < 0);
        QVERIFY(UnicodeCase::Compare("\xff", "a") > 0); // bytes that are no UTF-8 still order
    }

    // A file whose name index the ASCII-only rule ordered: opening it puts
    // the index in the order lookups now expect, once.
    void anOldFileHasItsNameIndexReorderedOnce() {
        TestBook book;
        CloseConns();
        WriteNamesPlainly(book.File(), 1);
        Connection conn;
        conn.Open(ConnString::ForFile(book.File(), QString::fromLatin1(kDatabasePassword)));
        QCOMPARE(Rows(conn, QStringLiteral("PRAGMA integrity_check")), QStringList{"ok"});
        QCOMPARE(Rows(conn, QStringLiteral("PRAGMA user_version")), QStringList{"2"});
        QCOMPARE(Rows(conn, QStringLiteral("Select adrsid from adrsmstr where adrsname = 'méz'")),
                 QStringList{"1"});
        QCOMPARE(
            Rows(conn, QStringLiteral("Select adrsid from adrsmstr where adrsname = 'müller'")),
            QStringList{"5"});
        QCOMPARE(Rows(conn, QStringLiteral("Select adrsname from adrsmstr order by adrsname")),
                 (QStringList{"mz", "méa", "MÉZ", "Müller", "MÜLLER & CO", "ZETA", "ÉVORA",
                              "évora b"})); // by folded character codes, as before
        QCOMPARE(Rows(conn,
                      QStringLiteral("Select adrsid from adrsmstr where adrsname like '%MÜLLER%'")),
                 (QStringList{"5", "6"}));
    }

    // Restore takes a book whose index follows either rule, and the book it
    // writes follows the program's.
    void aRestoredBookKeepsItsIndexInOrder() {
        TestBook book;
        CloseConns();
        WriteNamesPlainly(book.File(), 1);
        const QString reordered = book.Path(QStringLiteral("reordered.mdb"));
        QVERIFY(QFile::copy(book.File(), reordered));
        {
            Connection conn; // reorders it
            conn.Open(ConnString::ForFile(reordered, QString::fromLatin1(kDatabasePassword)));
        }
        for (const QString& source : {book.File(), reordered}) {
            const QString target = source + QStringLiteral(".restored");
            BookRebuild::Rebuild(source, target);
            Connection conn;
            conn.Open(ConnString::ForFile(target, QString::fromLatin1(kDatabasePassword)));
            QCOMPARE(Rows(conn, QStringLiteral("PRAGMA integrity_check")), QStringList{"ok"});
            QCOMPARE(
                Rows(conn, QStringLiteral("Select adrsid from adrsmstr where adrsname = 'méz'")),
                QStringList{"1"});
        }
    }
};

ADRSBOOK_TEST(UnicodeCaseTests)
#include "tst_unicodecase.moc"
