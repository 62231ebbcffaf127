#include "data/sqlcipherengine.h"

#include "data/dberror.h"
#include "data/fewmatch.h"
#include "data/privatefile.h"
#include "data/tables.h"
#include "data/unicodecase.h"

#include <QDateTime>
#include <QFile>
#include <QFileInfo>
#include <QRegularExpression>
#include <sqlite3.h>

namespace {

constexpr int kCachedStatements = 48;
constexpr int kKeptReads = 4096; // results kept within one read
constexpr int kKeptReadRows = 4; // only small results are kept
// Large enough to keep the whole file of the largest address book decrypted
// in memory: every miss costs a decrypt and an HMAC check.
constexpr int kCacheKiB = 65536;
// How long a statement waits for a lock another program holds on the book:
// a write (and opening the book) waits a while, since the other program's
// commit is usually quick; a read gives up at once, so that a list typed
// into never stalls the window.
constexpr int kWriteWaitMs = 5000;
constexpr int kReadWaitMs = 200;

void bind(sqlite3_stmt* stmt, int index, const QVariant& v) {
    if (!v.isValid() || v.isNull()) {
        sqlite3_bind_null(stmt, index);
        return;
    }
    switch (v.typeId()) {
    case QMetaType::Bool:
    case QMetaType::Short:
    case QMetaType::UShort:
    case QMetaType::Int:
    case QMetaType::UInt:
    case QMetaType::Long:
    case QMetaType::LongLong:
    case QMetaType::ULongLong:
        sqlite3_bind_int64(stmt, index, v.toLongLong());
        return;
    case QMetaType::Double:
    case QMetaType::Float:
        sqlite3_bind_double(stmt, index, v.toDouble());
        return;
    case QMetaType::QDateTime: {
        const QByteArray s =
            v.toDateTime().toString(QStringLiteral("yyyy-MM-dd HH:mm:ss")).toUtf8();
        sqlite3_bind_text(stmt, index, s.constData(), int(s.size()), SQLITE_TRANSIENT);
        return;
    }
    default: {
        const QByteArray s = v.toString().toUtf8();
        sqlite3_bind_text(stmt, index, s.constData(), int(s.size()), SQLITE_TRANSIENT);
        return;
    }
    }
}

// Puts a statement back to its start when it goes out of scope.
struct Resetter {
    sqlite3_stmt* s;
    ~Resetter() {
        sqlite3_reset(s);
        sqlite3_clear_bindings(s);
    }
};

QString quoteName(const QString& name) {
    QString n = name;
    n.replace(u'"', QLatin1String("\"\""));
    return u'"' + n + u'"';
}

} // namespace

SqlCipherEngine::~SqlCipherEngine() {
    Close();
}

void SqlCipherEngine::fail(const QString& what) const {
    const QString reason =
        db_ ? QString::fromUtf8(sqlite3_errmsg(db_)) : QStringLiteral("not open");
    const int code = db_ ? (sqlite3_extended_errcode(db_) & 0xff) : SQLITE_OK;
    if (code == SQLITE_BUSY || code == SQLITE_LOCKED)
        throw BusyError(
            QStringLiteral("The address book is busy in another program, which holds a lock on "
                           "%1 (waited %2 s). Nothing was read or written; try again when the "
                           "other program has finished.")
                .arg(file_)
                .arg(busyWait_ / 1000.0, 0, 'f', 1),
            busyWait_ < kWriteWaitMs);
    throw DbError(QStringLiteral("%1: %2").arg(what, reason));
}

void SqlCipherEngine::waitWhenBusy(int ms) {
    if (ms == busyWait_ || !db_) return;
    sqlite3_busy_timeout(db_, ms);
    busyWait_ = ms;
}

bool SqlCipherEngine::ReadOnly() const {
    if (!db_) return false;
    if (sqlite3_db_readonly(db_, "main") == 1) return true;
    // A writable file in a folder that takes no new files still takes no
    // change: every write needs its journal beside the file.
    return !QFileInfo(QFileInfo(file_).absolutePath()).isWritable();
}

qint64 SqlCipherEngine::ChangesMade() {
    return db_ ? sqlite3_total_changes(db_) : 0;
}

bool SqlCipherEngine::CanRead() {
    if (!db_) return false;
    // A trivial read of the schema takes the shared lock every read needs;
    // with no wait, another program's lock answers at once.
    const int wait = busyWait_;
    waitWhenBusy(0);
    sqlite3_stmt* stmt = nullptr;
    const bool read = sqlite3_prepare_v2(db_, "SELECT count(*) FROM sqlite_master", -1, &stmt,
                                         nullptr) == SQLITE_OK &&
                      sqlite3_step(stmt) == SQLITE_ROW;
    sqlite3_finalize(stmt);
    if (wait >= 0) waitWhenBusy(wait);
    return read;
}

void SqlCipherEngine::Open(const QString& file, const QString& password) {
    Close();
    const QFileInfo info(file);
    // The engine would quietly start a new, empty database in place of a
    // missing or 0-byte file; refuse both before it gets the chance.
    if (!info.exists())
        throw DbError(QStringLiteral("The database file %1 was not found.").arg(file));
    if (!info.isFile())
        throw DbError(QStringLiteral("The database path %1 is not a file.").arg(file));
    if (info.size() == 0)
        throw DbError(QStringLiteral("The database file %1 is empty (0 bytes).").arg(file));

    const QByteArray path = file.toUtf8();
    // Each connection is used by one thread only: no locking per call.
    const int mode = readOnlyWanted_ ? SQLITE_OPEN_READONLY : SQLITE_OPEN_READWRITE;
    if (sqlite3_open_v2(path.constData(), &db_, mode | SQLITE_OPEN_NOMUTEX, nullptr) != SQLITE_OK) {
        const QString reason = db_ ? QString::fromUtf8(sqlite3_errmsg(db_)) : QString();
        sqlite3_close(db_);
        db_ = nullptr;
        throw DbError(
            QStringLiteral("The database file %1 could not be opened: %2.").arg(file, reason));
    }
    file_ = file;
    const QByteArray key = password.toUtf8();
    sqlite3_key(db_, key.constData(), int(key.size()));
    busyWait_ = -1;
    waitWhenBusy(kWriteWaitMs);
    readWait_ = kWriteWaitMs; // until the book is open
    if (!UnicodeCase::Register(db_)) {
        const QString reason = QString::fromUtf8(sqlite3_errmsg(db_));
        Close();
        throw DbError(
            QStringLiteral("The database file %1 could not be opened: %2.").arg(file, reason));
    }
    try {
        PinFormat(db_);
        // The first read proves the key: a wrong password or a damaged file
        // fails here, before anything could be written.
        exec(QStringLiteral("SELECT count(*) FROM sqlite_master"));
    } catch (const BusyError&) {
        Close();
        throw BusyError(
            QStringLiteral("The address book %1 is in use by another program, which holds a "
                           "lock on it. Close that program (or wait for it to finish) and start "
                           "the address book again.")
                .arg(file),
            false);
    } catch (const DbError& e) {
        Close();
        throw DbError(
            QStringLiteral("The database file %1 could not be read: the password is wrong, or "
                           "the file is damaged or is not an address book (%2).")
                .arg(file, e.message().section(QStringLiteral(": "), -1)));
    }
    try {
        exec(QStringLiteral("PRAGMA journal_mode=DELETE"));
        exec(QStringLiteral("PRAGMA synchronous=FULL"));
        exec(QStringLiteral("PRAGMA temp_store=MEMORY"));
        exec(QStringLiteral("PRAGMA cache_size=-%1").arg(kCacheKiB));
        UnicodeCase::ReorderIndexes(db_);
        learnColumns();
    } catch (...) {
        Close();
        throw;
    }
    readWait_ = kReadWaitMs;
}

void SqlCipherEngine::Connect(const ConnString::Parts& parts) {
    readOnlyWanted_ = parts.readOnly;
    Open(parts.dataSource, parts.password);
}

void SqlCipherEngine::PinFormat(sqlite3* db) {
    // Books are written in the format of SQLCipher 3. A later library reads
    // and writes that format only when told to; without it every existing
    // book would look like a wrong password.
    sqlite3_stmt* stmt = nullptr;
    int major = 0;
    if (sqlite3_prepare_v2(db, "PRAGMA cipher_version", -1, &stmt, nullptr) == SQLITE_OK &&
        sqlite3_step(stmt) == SQLITE_ROW)
        major = QByteArray(reinterpret_cast<const char*>(sqlite3_column_text(stmt, 0)))
                    .split('.')
                    .value(0)
                    .toInt();
    sqlite3_finalize(stmt);
    if (major >= 4) sqlite3_exec(db, "PRAGMA cipher_compatibility = 3", nullptr, nullptr, nullptr);
}

void SqlCipherEngine::Verify() {
    ResultTable r;
    Run(EngineStatement{QStringLiteral("PRAGMA page_size"), {}, {}, false}, &r);
    const qint64 pageSize = r.Value(0, 0).toLongLong();
    Run(EngineStatement{QStringLiteral("PRAGMA page_count"), {}, {}, false}, &r);
    const qint64 pages = r.Value(0, 0).toLongLong();
    const qint64 size = QFileInfo(file_).size();
    if (pageSize * pages != size)
        throw DbError(
            QStringLiteral("The database file %1 is damaged: it should hold %2 bytes but holds %3 "
                           "(it has been cut short or added to).")
                .arg(file_)
                .arg(pageSize * pages)
                .arg(size));
    try {
        // Reads every page: each is decrypted and its checksum tested.
        Run(EngineStatement{QStringLiteral("PRAGMA quick_check"), {}, {}, false}, &r);
    } catch (const DbError& e) {
        throw DbError(QStringLiteral("The database file %1 is damaged: %2.")
                          .arg(file_, e.message().section(QStringLiteral(": "), -1)));
    }
    if (r.RowCount() < 1 || r.Text(0, 0) != QLatin1String("ok"))
        throw DbError(QStringLiteral("The database file %1 is damaged: %2.")
                          .arg(file_, r.RowCount() ? r.Text(0, 0)
                                                   : QStringLiteral("the check gave no answer")));
}

void SqlCipherEngine::Close() {
    reads_.clear();
    reading_ = 0;
    wroteInRead_ = false;
    for (auto& c : cache_)
        sqlite3_finalize(c.stmt);
    cache_.clear();
    cacheIndex_.clear();
    if (db_) sqlite3_close(db_);
    db_ = nullptr;
}

void SqlCipherEngine::CreateFile(const QString& file, const QString& password) {
    if (QFileInfo::exists(file))
        throw DbError(QStringLiteral("The file %1 already exists.").arg(file));
    {
        // Owner-only from its first byte (the engine gives its journals the
        // same mode).
        QFile empty(file);
        if (!empty.open(QIODevice::WriteOnly | QIODevice::NewOnly,
                        QFileDevice::ReadOwner | QFileDevice::WriteOwner))
            throw DbError(QStringLiteral("The file %1 could not be created: %2.")
                              .arg(file, empty.errorString()));
    }
    sqlite3* db = nullptr;
    const QByteArray path = file.toUtf8();
    if (sqlite3_open_v2(path.constData(), &db, SQLITE_OPEN_READWRITE | SQLITE_OPEN_CREATE,
                        nullptr) != SQLITE_OK) {
        const QString reason = db ? QString::fromUtf8(sqlite3_errmsg(db)) : QString();
        sqlite3_close(db);
        QFile::remove(file);
        throw DbError(QStringLiteral("The file %1 could not be created: %2.").arg(file, reason));
    }
    const QByteArray key = password.toUtf8();
    sqlite3_key(db, key.constData(), int(key.size()));
    PinFormat(db);
    // Writing the first page makes the file exist with its key.
    char* err = nullptr;
    // Its indexes are made by connections that sort by the Unicode rule.
    const QByteArray first = "PRAGMA journal_mode=DELETE; PRAGMA user_version=" +
                             QByteArray::number(UnicodeCase::kOrderedVersion) + ";";
    const int rc = sqlite3_exec(db, first.constData(), nullptr, nullptr, &err);
    const QString reason = err ? QString::fromUtf8(err) : QString();
    sqlite3_free(err);
    sqlite3_close(db);
    if (rc != SQLITE_OK) {
        QFile::remove(file);
        throw DbError(QStringLiteral("The file %1 could not be created: %2.").arg(file, reason));
    }
    MakePrivate(file);
}

void SqlCipherEngine::learnColumns() {
    QHash<QString, SqliteDialect::Affinity> columns;
    QHash<QString, QString> tableOf; // column -> its table
    ResultTable tables;
    Run(
        EngineStatement{
            QStringLiteral("SELECT name FROM sqlite_master WHERE type='table'"), {}, {}, false},
        &tables);
    for (int r = 0; r < tables.RowCount(); ++r) {
        ResultTable info;
        Run(
            EngineStatement{
                QStringLiteral("PRAGMA table_info(%1)").arg(quoteName(tables.Text(r, 0))),
                {},
                {},
                false},
            &info);
        for (int c = 0; c < info.RowCount(); ++c) {
            const QString type = info.Text(c, 2).toUpper();
            columns.insert(info.Text(c, 1).toLower(), type.contains(QLatin1String("INT"))
                                                          ? SqliteDialect::Affinity::Integer
                                                          : SqliteDialect::Affinity::Text);
            // A column name two tables share names neither.
            const QString column = info.Text(c, 1).toLower();
            tableOf.insert(column, tableOf.contains(column) ? QString() : tables.Text(r, 0));
        }
    }
    dialect_.SetColumns(columns);
    dialect_.SetFewMatch([this, tableOf](const QString& column, const QString& pattern) {
        // Only a hint: a book locked by another program is not waited for.
        const int wait = busyWait_;
        waitWhenBusy(0);
        const bool few = FewMatch::FewRows(db_, tableOf.value(column), column, pattern);
        if (wait >= 0) waitWhenBusy(wait);
        return few;
    });
}

EngineStatement SqlCipherEngine::Translate(const QString& text) const {
    return dialect_.Translate(text);
}

SqlCipherEngine::Cached& SqlCipherEngine::prepared(const QString& sql) {
    if (!db_) throw DbError(QStringLiteral("The database connection is not open."));
    auto found = cacheIndex_.find(sql);
    if (found != cacheIndex_.end()) {
        cache_.splice(cache_.begin(), cache_, found.value());
        return cache_.front();
    }
    const QByteArray utf8 = sql.toUtf8();
    sqlite3_stmt* stmt = nullptr;
    const char* tail = nullptr;
    if (sqlite3_prepare_v2(db_, utf8.constData(), int(utf8.size()), &stmt, &tail) != SQLITE_OK)
        fail(QStringLiteral("The statement could not be run [%1]").arg(sql));
    if (!stmt) throw DbError(QStringLiteral("The statement is empty."));
    if (tail && QByteArray(tail).trimmed().size() > 0) {
        sqlite3_finalize(stmt);
        throw DbError(QStringLiteral("Only one statement may be run at a time [%1].").arg(sql));
    }
    QStringList names;
    const int columns = sqlite3_column_count(stmt);
    for (int c = 0; c < columns; ++c)
        names.append(QString::fromUtf8(sqlite3_column_name(stmt, c)));
    const bool readOnly = sqlite3_stmt_readonly(stmt) != 0;
    static const QRegularExpression control(
        QStringLiteral("^\\s*(BEGIN|COMMIT|END|ROLLBACK|SAVEPOINT|RELEASE|PRAGMA)\\b"),
        QRegularExpression::CaseInsensitiveOption);
    const bool isControl = control.match(sql).hasMatch();
    const bool writes = !readOnly && !isControl;
    cache_.push_front(Cached{sql, stmt, std::make_shared<const ColumnInfo>(names), readOnly, writes,
                             readOnly && !isControl});
    cacheIndex_.insert(sql, cache_.begin());
    if (int(cache_.size()) > kCachedStatements) {
        cacheIndex_.remove(cache_.back().sql);
        sqlite3_finalize(cache_.back().stmt);
        cache_.pop_back();
    }
    return cache_.front();
}

void SqlCipherEngine::forgetReads() {
    reads_.clear();
}

bool SqlCipherEngine::Writes(const EngineStatement& statement) {
    return prepared(statement.sql).writes;
}

std::shared_ptr<const ColumnInfo> SqlCipherEngine::Columns(const EngineStatement& statement) {
    return prepared(statement.sql).columns;
}

qint64 SqlCipherEngine::Run(const EngineStatement& statement, ResultTable* rows) {
    // A repeated query inside one read gives what it gave before.
    QString readKey;
    if (keepingReads() && rows) {
        readKey = statement.sql;
        for (const QVariant& p : statement.params)
            readKey += QChar(0x1f) + p.toString();
        const auto kept = reads_.constFind(readKey);
        if (kept != reads_.constEnd()) {
            *rows = *kept;
            return 0;
        }
    }

    Cached& cached = prepared(statement.sql);
    // The connection has taken the pending snapshots before this write (they
    // read the rows as they were); only now is every kept result dropped, so
    // none of them outlives the write.
    if (!cached.readOnly) {
        forgetReads();
        if (reading_ > 0) wroteInRead_ = true;
    }
    waitWhenBusy(cached.plainRead ? readWait_ : kWriteWaitMs);
    sqlite3_stmt* stmt = cached.stmt;
    const Resetter resetter{stmt};
    for (int i = 0; i < statement.params.size(); ++i)
        bind(stmt, i + 1, statement.params[i]);

    const int columns = sqlite3_column_count(stmt);
    if (rows) rows->Reset(cached.columns);
    readRows(stmt, statement.sql, rows, 0, -1);
    if (!readKey.isEmpty() && cached.readOnly && columns > 0 && rows->RowCount() <= kKeptReadRows &&
        keepingReads()) {
        if (reads_.size() >= kKeptReads) reads_.clear();
        reads_.insert(readKey, *rows);
    }
    return columns == 0 ? sqlite3_changes(db_) : 0;
}

bool SqlCipherEngine::readRows(sqlite3_stmt* stmt, const QString& sql, ResultTable* rows, int skip,
                               int limit) {
    const int columns = sqlite3_column_count(stmt);
    for (int read = 0; limit < 0 || read < limit;) {
        const int rc = sqlite3_step(stmt);
        if (rc == SQLITE_DONE) return true;
        if (rc != SQLITE_ROW) fail(QStringLiteral("The statement could not be run [%1]").arg(sql));
        if (skip > 0) {
            --skip;
            continue;
        }
        ++read;
        if (!rows) continue;
        for (int c = 0; c < columns; ++c) {
            switch (sqlite3_column_type(stmt, c)) {
            case SQLITE_NULL:
                rows->AddNull();
                break;
            case SQLITE_INTEGER:
                rows->AddInteger(sqlite3_column_int64(stmt, c));
                break;
            case SQLITE_FLOAT:
                rows->AddReal(sqlite3_column_double(stmt, c));
                break;
            default: {
                const char* text = reinterpret_cast<const char*>(sqlite3_column_text(stmt, c));
                rows->AddText(text, sqlite3_column_bytes(stmt, c));
            }
            }
        }
    }
    return false;
}

bool SqlCipherEngine::RunPart(const EngineStatement& statement, ResultTable* rows, int skip,
                              int limit) {
    Cached& cached = prepared(statement.sql);
    if (!cached.readOnly)
        throw DbError(QStringLiteral("Only a query can be read in parts [%1].").arg(statement.sql));
    waitWhenBusy(cached.plainRead ? readWait_ : kWriteWaitMs);
    sqlite3_stmt* stmt = cached.stmt;
    const Resetter resetter{stmt}; // ends the read: its lock is let go
    for (int i = 0; i < statement.params.size(); ++i)
        bind(stmt, i + 1, statement.params[i]);
    if (rows && rows->ColumnCount() == 0) rows->Reset(cached.columns);
    return readRows(stmt, statement.sql, rows, skip, limit);
}

void SqlCipherEngine::exec(const QString& sql) {
    ResultTable ignored;
    Run(EngineStatement{sql, {}, {}, false}, &ignored);
}

QVariant SqlCipherEngine::Insert(const QString& table, const QStringList& columns,
                                 const QVariantList& values) {
    QStringList names, marks;
    for (const QString& c : columns) {
        names.append(quoteName(c));
        marks.append(QStringLiteral("?"));
    }
    const QString sql = columns.isEmpty()
                            ? QStringLiteral("INSERT INTO %1 DEFAULT VALUES").arg(quoteName(table))
                            : QStringLiteral("INSERT INTO %1 (%2) VALUES (%3)")
                                  .arg(quoteName(table), names.join(u','), marks.join(u','));
    Run(EngineStatement{sql, values, {}, false}, nullptr);
    // Rows are written back by their table's key column.
    const QString key = Schema::KeyColumn(table);
    for (int i = 0; i < columns.size(); ++i)
        if (columns[i].compare(key, Qt::CaseInsensitive) == 0) return values.value(i);
    return QVariant();
}

void SqlCipherEngine::Update(const QString& table, const QVariant& key, const QStringList& columns,
                             const QVariantList& values) {
    if (columns.isEmpty()) return;
    QStringList sets;
    for (const QString& c : columns)
        sets.append(quoteName(c) + QStringLiteral("=?"));
    QVariantList params = values;
    params.append(key);
    const QString keyColumn = Schema::KeyColumn(table);
    if (keyColumn.isEmpty())
        throw DbError(QStringLiteral("Rows of %1 cannot be changed: it is not a table of the "
                                     "address book.")
                          .arg(table));
    Run(EngineStatement{QStringLiteral("UPDATE %1 SET %2 WHERE %3=?")
                            .arg(quoteName(table), sets.join(u','), quoteName(keyColumn)),
                        params,
                        {},
                        false},
        nullptr);
}

bool SqlCipherEngine::keepingReads() const {
    return reading_ > 0 && !wroteInRead_ && InTransaction();
}

void SqlCipherEngine::BeginRead() {
    if (reading_ == 0) {
        forgetReads();
        wroteInRead_ = false;
    }
    Savepoint(QStringLiteral("one_read"));
    ++reading_;
}
void SqlCipherEngine::EndRead() {
    if (reading_ > 0) --reading_;
    if (reading_ == 0) forgetReads();
    Release(QStringLiteral("one_read"));
}

void SqlCipherEngine::Begin() {
    forgetReads();
    exec(QStringLiteral("BEGIN IMMEDIATE"));
}
void SqlCipherEngine::Commit() {
    forgetReads();
    exec(QStringLiteral("COMMIT"));
}
void SqlCipherEngine::Rollback() {
    forgetReads();
    if (InTransaction()) exec(QStringLiteral("ROLLBACK"));
}
bool SqlCipherEngine::InTransaction() const {
    return db_ && !sqlite3_get_autocommit(db_);
}
void SqlCipherEngine::Savepoint(const QString& name) {
    if (!InTransaction()) forgetReads();
    exec(QStringLiteral("SAVEPOINT ") + name);
}
void SqlCipherEngine::Release(const QString& name) {
    exec(QStringLiteral("RELEASE ") + name);
    if (!InTransaction()) forgetReads();
}
void SqlCipherEngine::RollbackTo(const QString& name) {
    forgetReads();
    exec(QStringLiteral("ROLLBACK TO ") + name);
    exec(QStringLiteral("RELEASE ") + name);
}

QStringList SqlCipherEngine::MissingTables() {
    ResultTable r;
    Run(EngineStatement{QStringLiteral("SELECT lower(name) FROM sqlite_master WHERE type='table'"),
                        {},
                        {},
                        false},
        &r);
    QStringList present;
    for (int i = 0; i < r.RowCount(); ++i)
        present.append(r.Text(i, 0));
    QStringList missing;
    for (const QString& table : Schema::Tables())
        if (!present.contains(table)) missing.append(table);
    return missing;
}

QString SqlCipherEngine::IntegrityCheck() {
    ResultTable rows;
    Run(EngineStatement{QStringLiteral("PRAGMA integrity_check"), {}, {}, false}, &rows);
    QStringList found;
    for (int r = 0; r < rows.RowCount(); ++r)
        found << rows.Text(r, 0);
    return found.isEmpty() ? QStringLiteral("the check gave no answer") : found.join(u'\n');
}
