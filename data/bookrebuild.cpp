#include "data/bookrebuild.h"

#include "data/connmodule.h"
#include "data/fieldlengths.h"
#include "data/ids.h"
#include "data/schema.h"
#include "data/sqlcipherengine.h"
#include "data/synctables.h"
#include "data/unicodecase.h"

#include <QDateTime>
#include <QFile>
#include <QFileInfo>
#include <QHash>
#include <QStringDecoder>
#include <QUrl>
#include <sqlite3.h>
#include <vector>

namespace {

// Books are in the format of SQLCipher 3; a later library reads it only
// when told to.
void keyBook(sqlite3* db) {
    sqlite3_key(db, kDatabasePassword, int(qstrlen(kDatabasePassword)));
    SqlCipherEngine::PinFormat(db);
}

// What a column may hold.
enum class Kind {
    Key,      // the row's id: a whole number in 1..32767, present, used once
    Ref,      // the id of a row of another table: a whole number in 1..32767
    GroupRef, // a group id written as its decimal text
    Flag,     // 0 or 1
    Date,     // "yyyy-MM-dd HH:mm:ss" text
    Text,     // text of at most `length` characters, as the window's field takes
};

struct Column {
    const char* name;
    Kind kind;
    int length = 0;        // Text: the most characters the window's field takes
    bool required = false; // Ref, GroupRef: a value must be there
};

struct Table {
    const char* name;
    std::vector<Column> columns;
};

const std::vector<Table>& Tables() {
    static const std::vector<Table> tables{
        {"cscmstr",
         {{"ctyid", Kind::Key},
          {"ctyname", Kind::Text, FieldLength::City},
          {"statename", Kind::Text, FieldLength::State},
          {"contryname", Kind::Text, FieldLength::Country},
          {"addt", Kind::Date},
          {"edtdt", Kind::Date},
          {"deldt", Kind::Date},
          {"delstatus", Kind::Flag}}},
        {"adrsgrupmstr", {{"grpid", Kind::Key}, {"grpname", Kind::Text, FieldLength::Group}}},
        {"adrsmstr",
         {{"adrsid", Kind::Key},
          {"adrsname", Kind::Text, FieldLength::PartyLine},
          {"adrscontact", Kind::Text, FieldLength::PartyLine},
          {"adrs1", Kind::Text, FieldLength::PartyLine},
          {"adrs2", Kind::Text, FieldLength::PartyLine},
          {"adrs3", Kind::Text, FieldLength::PartyLine},
          {"adrsctyid", Kind::Ref},
          {"adrspin", Kind::Text, FieldLength::PartyLine},
          {"adrscstno", Kind::Text, FieldLength::PartyLine},
          {"adrsphno", Kind::Text, FieldLength::Phone},
          {"adrsmobno", Kind::Text, FieldLength::Phone},
          {"adrsfax", Kind::Text, FieldLength::PartyLine},
          {"adrsemail", Kind::Text, FieldLength::Link},
          {"adrsweb", Kind::Text, FieldLength::Link},
          {"adrsnotes", Kind::Text, FieldLength::Notes},
          {"adrsaddt", Kind::Date},
          {"adrsedtdt", Kind::Date},
          {"adrsdelstatus", Kind::Flag}}},
        {"adrsgrpdtails",
         {{"adrsgrpid", Kind::Key},
          {"adrsconcrnid", Kind::Ref, 0, true},
          {"adrsgrupid", Kind::GroupRef, 0, true}}},
    };
    return tables;
}

// No field of the book holds more than a few KiB; a value beyond this is
// refused by the engine itself before it is read into memory.
constexpr int kLargestValue = 1 << 20;

QString quoted(const QString& name) {
    return u'"' + QString(name).replace(u'"', QLatin1String("\"\"")) + u'"';
}

struct Db {
    sqlite3* db = nullptr;
    ~Db() { sqlite3_close_v2(db); }
    QString error() const { return db ? QString::fromUtf8(sqlite3_errmsg(db)) : QString(); }
};

struct Stmt {
    sqlite3_stmt* s = nullptr;
    ~Stmt() { sqlite3_finalize(s); }
};

// Prepares `sql` on `db`; false (with the engine's reason in `error`) when it fails.
bool prepare(Db& db, const QString& sql, Stmt& stmt, QString& error) {
    const QByteArray utf8 = sql.toUtf8();
    if (sqlite3_prepare_v2(db.db, utf8.constData(), int(utf8.size()), &stmt.s, nullptr) ==
            SQLITE_OK &&
        stmt.s)
        return true;
    error = db.error();
    return false;
}

// The first column of every row of `sql`; a failure is refused with the
// message `what` makes of the engine's reason.
template <class What> QStringList firstColumn(Db& db, const QString& sql, What&& what) {
    Stmt stmt;
    QString error;
    if (!prepare(db, sql, stmt, error)) throw FileRefused(what(error));
    QStringList rows;
    int rc;
    while ((rc = sqlite3_step(stmt.s)) == SQLITE_ROW)
        rows << QString::fromUtf8(reinterpret_cast<const char*>(sqlite3_column_text(stmt.s, 0)));
    if (rc != SQLITE_DONE) throw FileRefused(what(db.error()));
    return rows;
}

void openSource(Db& db, const QString& source) {
    const QFileInfo info(source);
    if (!info.exists()) throw FileRefused(QStringLiteral("The file %1 was not found.").arg(source));
    if (!info.isFile() || info.size() == 0)
        throw FileRefused(
            QStringLiteral("%1 is not an address book: it is empty or not a file.").arg(source));
    // Read only and as it lies on the disk: no lock is taken, and a journal
    // beside the file is neither read nor rolled back into it.
    const QByteArray uri =
        QUrl::fromLocalFile(info.absoluteFilePath()).toEncoded() + QByteArray("?immutable=1");
    if (sqlite3_open_v2(uri.constData(), &db.db, SQLITE_OPEN_READONLY | SQLITE_OPEN_URI, nullptr) !=
        SQLITE_OK)
        throw FileRefused(
            QStringLiteral("The file %1 could not be opened: %2.").arg(source, db.error()));
    keyBook(db.db);
    sqlite3_db_config(db.db, SQLITE_DBCONFIG_ENABLE_TRIGGER, 0, nullptr);
    // Reading the schema proves the password.
    firstColumn(db, QStringLiteral("SELECT count(*) FROM sqlite_master"),
                [&](const QString& reason) {
                    return QStringLiteral("The file %1 cannot be read: the password is wrong, or "
                                          "the file is damaged or is not an address book (%2).")
                        .arg(source, reason);
                });
    // Its name index is checked by the letter-case rule it was built with.
    if (UnicodeCase::Ordered(db.db)) UnicodeCase::Register(db.db);
}

void requireIntact(Db& db, const QString& file) {
    auto damaged = [&](const QString& reason) {
        return QStringLiteral("The file %1 is damaged: %2.").arg(file, reason);
    };
    const QStringList found = firstColumn(db, QStringLiteral("PRAGMA integrity_check"), damaged);
    if (found != QStringList{QStringLiteral("ok")})
        throw FileRefused(damaged(found.mid(0, 3).join(QStringLiteral("; "))));
}

// The statement that reads the table's columns from the source, after the
// table and its columns are found to be what the book needs.
QString readStatement(Db& db, const Table& table, const QString& source) {
    const QString name = QString::fromLatin1(table.name);
    Stmt stmt;
    QString error;
    if (!prepare(db,
                 QStringLiteral("SELECT type, sql FROM sqlite_master WHERE lower(name) = '%1'")
                     .arg(name),
                 stmt, error))
        throw FileRefused(QStringLiteral("The file %1 is damaged: %2.").arg(source, error));
    if (sqlite3_step(stmt.s) != SQLITE_ROW)
        throw FileRefused(QStringLiteral("The file %1 is not an address book: it has no table %2.")
                              .arg(source, name));
    const QString type =
        QString::fromUtf8(reinterpret_cast<const char*>(sqlite3_column_text(stmt.s, 0)));
    const QString sql =
        QString::fromUtf8(reinterpret_cast<const char*>(sqlite3_column_text(stmt.s, 1)));
    if (type != QLatin1String("table") ||
        sql.simplified().startsWith(QLatin1String("CREATE VIRTUAL"), Qt::CaseInsensitive))
        throw FileRefused(
            QStringLiteral("The file %1 is not an address book: %2 is not a plain table.")
                .arg(source, name));

    QSet<QString> present;
    Stmt info;
    if (!prepare(db, QStringLiteral("PRAGMA table_info(%1)").arg(quoted(name)), info, error))
        throw FileRefused(QStringLiteral("The file %1 is damaged: %2.").arg(source, error));
    while (sqlite3_step(info.s) == SQLITE_ROW)
        present.insert(
            QString::fromUtf8(reinterpret_cast<const char*>(sqlite3_column_text(info.s, 1)))
                .toLower());
    QStringList names;
    for (const Column& c : table.columns) {
        const QString column = QString::fromLatin1(c.name);
        if (!present.contains(column))
            throw FileRefused(QStringLiteral("The file %1 is not an address book: the table %2 "
                                             "has no column %3.")
                                  .arg(source, name, column));
        names << quoted(column);
    }
    // The table's own rows in their order, never an index of the file.
    return QStringLiteral("SELECT %1 FROM main.%2 NOT INDEXED").arg(names.join(u','), quoted(name));
}

QString wholeNumberProblem(int type) {
    switch (type) {
    case SQLITE_NULL:
        return QStringLiteral("is empty");
    case SQLITE_TEXT:
        return QStringLiteral("holds text, not a whole number");
    case SQLITE_FLOAT:
        return QStringLiteral("holds a fraction, not a whole number");
    default:
        return QStringLiteral("holds binary data, not a whole number");
    }
}

// One value of the row being copied: read from column `c` of `from`, bound
// to parameter c + 1 of `to`.
struct Cell {
    sqlite3_stmt* from;
    int c;
    sqlite3_stmt* to;
    int Type() const { return sqlite3_column_type(from, c); }
    void BindNull() const { sqlite3_bind_null(to, c + 1); }
};

// Each check returns the reason the value is refused, or an empty text,
// and binds what is to be written for it.

// An id: a whole number in range; a key once only in its table.
QString takeId(const Column& column, const QString& name, const Cell& cell,
               QHash<qint64, int>& keys, int row, qint64& key) {
    const int type = cell.Type();
    if (type == SQLITE_NULL && column.kind == Kind::Ref && !column.required) {
        cell.BindNull();
        return {};
    }
    if (type != SQLITE_INTEGER)
        return QStringLiteral("the id %1 %2").arg(name, wholeNumberProblem(type));
    const qint64 id = sqlite3_column_int64(cell.from, cell.c);
    if (id < 1 || id > kLargestId)
        return QStringLiteral("the id %1 is %2, outside 1 to %3").arg(name).arg(id).arg(kLargestId);
    if (column.kind == Kind::Key) {
        const auto first = keys.constFind(id);
        if (first != keys.constEnd())
            return QStringLiteral("the id %1 %2 is used twice (also in row %3)")
                .arg(name)
                .arg(id)
                .arg(*first);
        keys.insert(id, row);
        key = id;
    }
    sqlite3_bind_int64(cell.to, cell.c + 1, id);
    return {};
}

// Written by the windows as the group id's digits, and found by them with a
// text comparison: only that exact form can be found.
QString takeGroupRef(const QString& name, const Cell& cell) {
    const int type = cell.Type();
    const QByteArray text =
        type == SQLITE_TEXT || type == SQLITE_INTEGER
            ? QByteArray(reinterpret_cast<const char*>(sqlite3_column_text(cell.from, cell.c)),
                         sqlite3_column_bytes(cell.from, cell.c))
            : QByteArray();
    bool ok = false;
    const int id = text.size() <= 5 ? text.toInt(&ok) : 0;
    if (!ok || id < 1 || id > kLargestId || QByteArray::number(id) != text)
        return QStringLiteral("the group id %1 is not a group id (a whole number from 1 to "
                              "%2 written in digits)")
            .arg(name)
            .arg(kLargestId);
    sqlite3_bind_text(cell.to, cell.c + 1, text.constData(), int(text.size()), SQLITE_TRANSIENT);
    return {};
}

QString takeFlag(const QString& name, const Cell& cell) {
    const int type = cell.Type();
    if (type == SQLITE_NULL) {
        cell.BindNull();
        return {};
    }
    const qint64 flag = sqlite3_column_int64(cell.from, cell.c);
    if (type != SQLITE_INTEGER || (flag != 0 && flag != 1))
        return QStringLiteral("the flag %1 is not 0 or 1").arg(name);
    sqlite3_bind_int64(cell.to, cell.c + 1, flag);
    return {};
}

// Text of at most the column's length, or a date as the windows write it.
QString takeText(const Column& column, const QString& name, const Cell& cell) {
    const int type = cell.Type();
    if (type == SQLITE_NULL) {
        cell.BindNull();
        return {};
    }
    if (type == SQLITE_BLOB) return QStringLiteral("the field %1 holds binary data").arg(name);
    if (column.kind == Kind::Date && type != SQLITE_TEXT)
        return QStringLiteral("the date %1 is not a date and time").arg(name);
    const char* bytes = reinterpret_cast<const char*>(sqlite3_column_text(cell.from, cell.c));
    const int size = sqlite3_column_bytes(cell.from, cell.c);
    const int most = column.kind == Kind::Date ? 19 : column.length;
    QString text;
    if (size <= most * 4) {
        QStringDecoder utf8(QStringDecoder::Utf8, QStringDecoder::Flag::Stateless);
        text = utf8.decode(QByteArrayView(bytes, size));
        if (utf8.hasError()) return QStringLiteral("the field %1 is not valid text").arg(name);
    }
    if (column.kind == Kind::Date) {
        if (size > 0 &&
            !QDateTime::fromString(text, QStringLiteral("yyyy-MM-dd HH:mm:ss")).isValid())
            return QStringLiteral("the date %1 is not a date and time (yyyy-MM-dd HH:mm:ss)")
                .arg(name);
    } else if (size > most * 4 || text.size() > most) {
        return QStringLiteral("the field %1 holds %2 characters; at most %3 are allowed")
            .arg(name)
            .arg(size > most * 4 ? QStringLiteral("more than %1").arg(most * 4)
                                 : QString::number(text.size()))
            .arg(most);
    }
    sqlite3_bind_text(cell.to, cell.c + 1, bytes, size, SQLITE_TRANSIENT);
    return {};
}

// Checks one value and binds what is to be written for it. Returns the
// reason the value is refused, or an empty text.
QString takeValue(const Column& column, sqlite3_stmt* from, int c, sqlite3_stmt* to,
                  QHash<qint64, int>& keys, int row, qint64& key) {
    const QString name = QString::fromLatin1(column.name);
    const Cell cell{from, c, to};
    switch (column.kind) {
    case Kind::Key:
    case Kind::Ref:
        return takeId(column, name, cell, keys, row, key);
    case Kind::GroupRef:
        return takeGroupRef(name, cell);
    case Kind::Flag:
        return takeFlag(name, cell);
    case Kind::Date:
    case Kind::Text:
        return takeText(column, name, cell);
    }
    return {};
}

// Copies the rows of one table, checking every value.
void copyTable(Db& source, const QString& read, Db& target, const Table& table,
               const QString& file) {
    const QString tableName = QString::fromLatin1(table.name);
    Stmt from, to;
    QString error;
    if (!prepare(source, read, from, error))
        throw FileRefused(QStringLiteral("The file %1 is damaged: %2.").arg(file, error));
    QStringList names, marks;
    for (const Column& c : table.columns) {
        names << QString::fromLatin1(c.name);
        marks << QStringLiteral("?");
    }
    if (!prepare(target,
                 QStringLiteral("INSERT INTO %1 (%2) VALUES (%3)")
                     .arg(tableName, names.join(u','), marks.join(u',')),
                 to, error))
        throw DbError(QStringLiteral("The restored copy could not be written: %1.").arg(error));

    QHash<qint64, int> keys;
    for (int row = 1;; ++row) {
        const int rc = sqlite3_step(from.s);
        if (rc == SQLITE_DONE) break;
        if (rc != SQLITE_ROW)
            throw FileRefused(
                QStringLiteral("The file %1 cannot be restored: table %2, row %3: %4.")
                    .arg(file, tableName)
                    .arg(row)
                    .arg(rc == SQLITE_TOOBIG
                             ? QStringLiteral("a field holds more than %1 bytes, far beyond what "
                                              "any field of the address book takes")
                                   .arg(kLargestValue)
                             : source.error()));
        qint64 key = 0;
        for (int c = 0; c < int(table.columns.size()); ++c) {
            const QString problem =
                takeValue(table.columns[size_t(c)], from.s, c, to.s, keys, row, key);
            if (problem.isEmpty()) continue;
            const QString which = key ? QStringLiteral("row %1 (%2 %3)")
                                            .arg(row)
                                            .arg(QString::fromLatin1(table.columns.front().name))
                                            .arg(key)
                                      : QStringLiteral("row %1").arg(row);
            throw FileRefused(QStringLiteral("The file %1 cannot be restored: table %2, %3: %4.")
                                  .arg(file, tableName, which, problem));
        }
        if (sqlite3_step(to.s) != SQLITE_DONE)
            throw DbError(
                QStringLiteral("The restored copy could not be written: %1.").arg(target.error()));
        sqlite3_reset(to.s);
        sqlite3_clear_bindings(to.s);
    }
}

void exec(Db& db, const char* sql) {
    if (sqlite3_exec(db.db, sql, nullptr, nullptr, nullptr) != SQLITE_OK)
        throw DbError(
            QStringLiteral("The restored copy could not be written: %1.").arg(db.error()));
}

// A card kept for the sync (a phone's card holds its photo) may be far
// larger than any field of the book.
constexpr int kLargestCard = 64 << 20;

// The sync state, when the book has one, goes with it as it is: its rows
// are the program's own bookkeeping, not typed into any window.
void copySyncState(Db& from, Db& to, const QString& file) {
    const QStringList found = firstColumn(
        from,
        QStringLiteral("SELECT count(*) FROM sqlite_master WHERE type = 'table' AND name IN "
                       "('adrssyncset', 'adrssynccard')"),
        [&](const QString& reason) {
            return QStringLiteral("The file %1 is damaged: %2.").arg(file, reason);
        });
    if (found.value(0) != QLatin1String("2")) return;
    sqlite3_limit(from.db, SQLITE_LIMIT_LENGTH, kLargestCard);
    for (const QString& statement : SyncTables::FileStatements())
        exec(to, statement.toUtf8().constData());
    static const char* const kTables[][2] = {
        {"adrssyncset", "setname, setvalue"},
        {"adrssynccard", "carduid, cardadrsid, cardpartyuid, cardhref, cardetag, cardbase"},
    };
    for (const auto& table : kTables) {
        const QString name = QString::fromLatin1(table[0]);
        const QString columns = QString::fromLatin1(table[1]);
        Stmt read, write;
        QString error;
        if (!prepare(from, QStringLiteral("SELECT %1 FROM main.%2 NOT INDEXED").arg(columns, name),
                     read, error))
            throw FileRefused(QStringLiteral("The file %1 is damaged: %2.").arg(file, error));
        const int count = int(columns.count(u',')) + 1;
        QStringList marks;
        for (int c = 0; c < count; ++c)
            marks << QStringLiteral("?");
        if (!prepare(to,
                     QStringLiteral("INSERT INTO %1 (%2) VALUES (%3)")
                         .arg(name, columns, marks.join(u',')),
                     write, error))
            throw DbError(QStringLiteral("The restored copy could not be written: %1.").arg(error));
        int rc;
        while ((rc = sqlite3_step(read.s)) == SQLITE_ROW) {
            for (int c = 0; c < count; ++c)
                sqlite3_bind_value(write.s, c + 1, sqlite3_column_value(read.s, c));
            if (sqlite3_step(write.s) != SQLITE_DONE)
                throw DbError(
                    QStringLiteral("The restored copy could not be written: %1.").arg(to.error()));
            sqlite3_reset(write.s);
            sqlite3_clear_bindings(write.s);
        }
        if (rc != SQLITE_DONE)
            throw FileRefused(QStringLiteral("The file %1 cannot be restored: table %2: %3.")
                                  .arg(file, name, from.error()));
    }
}

} // namespace

QStringList BookRebuild::Columns(const QString& table) {
    QStringList names;
    for (const Table& t : Tables())
        if (table == QLatin1String(t.name))
            for (const Column& c : t.columns)
                names << QString::fromLatin1(c.name);
    return names;
}

void BookRebuild::Rebuild(const QString& source, const QString& target) {
    Db from;
    openSource(from, source);
    requireIntact(from, source);
    // From here on a value larger than any field holds is refused before it
    // is read into memory.
    sqlite3_limit(from.db, SQLITE_LIMIT_LENGTH, kLargestValue);
    QStringList reads;
    for (const Table& table : Tables())
        reads << readStatement(from, table, source);

    Schema::CreateDatabase(target, QString::fromLatin1(kDatabasePassword));
    try {
        Db to;
        const QByteArray path = target.toUtf8();
        if (sqlite3_open_v2(path.constData(), &to.db, SQLITE_OPEN_READWRITE, nullptr) != SQLITE_OK)
            throw DbError(
                QStringLiteral("The restored copy could not be written: %1.").arg(to.error()));
        keyBook(to.db);
        UnicodeCase::Register(to.db); // the new book's indexes follow the program's rule
        exec(to, "PRAGMA journal_mode=DELETE");
        exec(to, "PRAGMA synchronous=FULL");
        exec(to, "BEGIN IMMEDIATE");
        for (size_t t = 0; t < Tables().size(); ++t)
            copyTable(from, reads.at(qsizetype(t)), to, Tables()[t], source);
        copySyncState(from, to, source);
        exec(to, "COMMIT");
    } catch (...) {
        QFile::remove(target);
        QFile::remove(target + QStringLiteral("-journal"));
        throw;
    }
}
