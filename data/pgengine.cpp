#include "data/pgengine.h"

#include "data/dberror.h"
#include "data/desklock.h"
#include "data/serverwait.h"
#include "data/synctables.h"
#include "data/tables.h"

#include <QDateTime>
#include <QRegularExpression>
#include <libpq-fe.h>

namespace {

constexpr int kCachedStatements = 64;
constexpr int kKeptReads = 4096;
constexpr int kKeptReadRows = 4;
// Advisory locks of the address book: one per table whose ids are taken.
constexpr int kLockSpace = 0x41445253; // "ADRS"

// Types as libpq reports them (pg_type.oid).
constexpr unsigned kBool = 16, kInt8 = 20, kInt2 = 21, kInt4 = 23, kOid = 26, kFloat4 = 700,
                   kFloat8 = 701, kNumeric = 1700;

struct Result {
    PGresult* r;
    explicit Result(PGresult* result) : r(result) {}
    ~Result() { PQclear(r); }
    Result(const Result&) = delete;
    Result& operator=(const Result&) = delete;
    ExecStatusType status() const { return PQresultStatus(r); }
};

QByteArray conninfoValue(const QString& value) {
    QByteArray v = value.toUtf8();
    v.replace('\\', "\\\\");
    v.replace('\'', "\\'");
    return '\'' + v + '\'';
}

QByteArray paramText(const QVariant& v) {
    switch (v.typeId()) {
    case QMetaType::Bool:
        return v.toBool() ? "1" : "0";
    case QMetaType::QDateTime:
        return v.toDateTime().toString(QStringLiteral("yyyy-MM-dd HH:mm:ss")).toUtf8();
    case QMetaType::QDate:
        return v.toDate().toString(QStringLiteral("yyyy-MM-dd")).toUtf8();
    default:
        return v.toString().toUtf8();
    }
}

// A statement's values as libpq takes them: texts, a Null as no text.
struct ParamTexts {
    explicit ParamTexts(const QVariantList& params)
        : texts(params.size()), values(params.size(), nullptr) {
        for (qsizetype i = 0; i < params.size(); ++i) {
            const QVariant& v = params[i];
            if (!v.isValid() || v.isNull()) continue;
            texts[i] = paramText(v);
            values[i] = texts[i].constData();
        }
    }
    int count() const { return int(values.size()); }
    QVector<QByteArray> texts;
    QVector<const char*> values;
};

// A plain select, which reads only.
bool isQuery(const QString& sql) {
    static const QRegularExpression select(QStringLiteral("^\\s*select\\b"),
                                           QRegularExpression::CaseInsensitiveOption);
    return select.match(sql).hasMatch();
}

QString quoteName(const QString& name) {
    QString n = name;
    n.replace(u'"', QLatin1String("\"\""));
    return u'"' + n + u'"';
}

// What a desk whose user lacks rights on the tables is to ask for.
QString grantAdvice(PGconn* pg) {
    QString user = QString::fromUtf8(PQuser(pg));
    if (!QRegularExpression(QStringLiteral("^[a-z_][a-z0-9_]*$")).match(user).hasMatch())
        user = quoteName(user);
    return QStringLiteral("The database's owner gives this desk's user %1 what it needs with: "
                          "GRANT SELECT, INSERT, UPDATE, DELETE ON %2 TO %1")
        .arg(user, (Schema::Tables() + SyncTables::Names()).join(QStringLiteral(", ")));
}

// Each table of the book: whether it is there for the user (to_regclass
// finds it as a statement would, whatever rights the user has on it), and
// whether the user may read, add, change and delete its rows.
ResultTable tablesAndRights(PgEngine& engine) {
    QStringList names;
    for (const QString& table : Schema::Tables())
        names << QStringLiteral("('%1')").arg(table);
    ResultTable r;
    engine.Run(EngineStatement{QStringLiteral("SELECT t, c IS NOT NULL, has_table_privilege(c, "
                                              "'SELECT'), has_table_privilege(c, 'INSERT'), "
                                              "has_table_privilege(c, 'UPDATE'), "
                                              "has_table_privilege(c, 'DELETE') FROM (VALUES %1) "
                                              "AS v(t), LATERAL (SELECT to_regclass(t) AS c) AS l")
                                   .arg(names.join(u',')),
                               {},
                               {},
                               false},
               &r);
    return r;
}

// What the server said, in one line.
QString serverMessage(PGconn* pg, PGresult* result) {
    const char* m = result ? PQresultErrorMessage(result) : nullptr;
    if (!m || !*m) m = pg ? PQerrorMessage(pg) : "not connected";
    return QString::fromUtf8(m).simplified();
}

const char* const kCreate[] = {
    "CREATE EXTENSION IF NOT EXISTS citext",
    "CREATE TABLE cscmstr (ctyid integer PRIMARY KEY, ctyname citext, statename citext, "
    "contryname citext, addt timestamp, edtdt timestamp, deldt timestamp, delstatus integer)",
    "CREATE TABLE adrsgrupmstr (grpid integer PRIMARY KEY, grpname citext)",
    "CREATE TABLE adrsmstr (adrsid integer PRIMARY KEY, adrsname citext, adrscontact citext, "
    "adrs1 citext, adrs2 citext, adrs3 citext, adrsctyid integer, adrspin citext, adrscstno "
    "citext, adrsphno citext, adrsmobno citext, adrsfax citext, adrsemail citext, adrsweb "
    "citext, adrsnotes citext, adrsaddt timestamp, adrsedtdt timestamp, adrsdelstatus integer)",
    "CREATE TABLE adrsgrpdtails (adrsgrpid integer PRIMARY KEY, adrsconcrnid integer, "
    "adrsgrupid citext)",
    "CREATE INDEX adrsmstr_adrsname ON adrsmstr (adrsname)",
    "CREATE INDEX adrsmstr_adrsctyid ON adrsmstr (adrsctyid)",
    "CREATE INDEX adrsgrpdtails_adrsconcrnid ON adrsgrpdtails (adrsconcrnid)",
    "CREATE INDEX adrsgrpdtails_adrsgrupid ON adrsgrpdtails (adrsgrupid)",
};

} // namespace

PgEngine::~PgEngine() {
    Close();
}

QByteArray PgEngine::Conninfo(const ConnString::Parts& parts) {
    QByteArray info;
    const auto add = [&info](const char* key, const QString& value) {
        if (value.isEmpty()) return;
        if (!info.isEmpty()) info += ' ';
        info += key;
        info += '=';
        info += conninfoValue(value);
    };
    add("host", parts.host);
    add("port", parts.port);
    add("dbname", parts.database);
    add("user", parts.user);
    add("password", parts.password);
    add("sslmode", parts.sslMode.isEmpty() ? QStringLiteral("prefer") : parts.sslMode);
    // Nothing waits for long: a server that does not answer, a network cut
    // or another desk's lock is reported within seconds. An address book
    // lives in the server's memory: index lookups cost little more than a
    // scan's reads, which lets the planner join a group's few links by key.
    info += " connect_timeout='5' keepalives_idle='10' keepalives_interval='3' "
            "keepalives_count='3' tcp_user_timeout='15000' application_name='adrsbook' "
            "client_encoding='UTF8' options='-c lock_timeout=10000 -c statement_timeout=60000 "
            "-c datestyle=ISO,YMD -c idle_in_transaction_session_timeout=600000 "
            "-c random_page_cost=1.1'";
    return info;
}

void PgEngine::Open(const QString&, const QString&) {
    throw DbError(QStringLiteral("A database server is opened with its server, database and user, "
                                 "not with a file."));
}

void PgEngine::Connect(const ConnString::Parts& parts) {
    Close();
    where_ = QStringLiteral("database %1 on the server %2%3")
                 .arg(parts.database.isEmpty() ? QStringLiteral("(default)") : parts.database,
                      parts.host.isEmpty() ? QStringLiteral("(default)") : parts.host,
                      parts.port.isEmpty() ? QString() : u':' + parts.port);
    PGconn* pg = PQconnectdb(Conninfo(parts).constData());
    if (PQstatus(pg) != CONNECTION_OK) {
        const QString reason = serverMessage(pg, nullptr);
        const bool asks = PQconnectionNeedsPassword(pg) && parts.password.isEmpty();
        // libpq has no error code for it: a password was sent, and the
        // server's words say that it was refused.
        const bool refused =
            PQconnectionUsedPassword(pg) && reason.contains(QLatin1String("authentication failed"));
        PQfinish(pg);
        if (asks)
            throw PasswordNeeded(
                QStringLiteral("The %1 asks for a password: %2").arg(where_, reason));
        if (refused)
            throw PasswordWrong(
                QStringLiteral("The %1 refused the password: %2").arg(where_, reason));
        throw DbError(QStringLiteral("The %1 could not be opened: %2").arg(where_, reason));
    }
    pg_ = pg;
    lost_ = false;
    try {
        afterConnect();
    } catch (...) {
        Close();
        throw;
    }
}

void PgEngine::afterConnect() {
    PQsetNoticeProcessor(
        pg_, [](void*, const char*) {}, nullptr);
    // The book's shared lock and this desk's, held while the session lasts
    // (data/desklock.h). It waits (at most the lock timeout) while another
    // desk restores the book. Not taken, the next action connects again.
    const QByteArray hold = DeskLock::HoldSql();
    PGresult* held = call(false, [&hold](PGconn* pg) { return PQsendQuery(pg, hold.constData()); });
    if (PQresultStatus(held) != PGRES_TUPLES_OK) {
        lost_ = true;
        if (qstrcmp(PQresultErrorField(held, PG_DIAG_SQLSTATE), "55P03") == 0) {
            PQclear(held);
            throw DbError(QStringLiteral("The address book on the %1 is being restored from a "
                                         "backup on another desk. Please try again in a minute.")
                              .arg(where_));
        }
        fail(held, QStringLiteral("The address book could not be opened"));
    }
    PQclear(held);
    QHash<QString, PgDialect::Kind> columns;
    ResultTable info;
    Run(EngineStatement{QStringLiteral("SELECT column_name, data_type FROM "
                                       "information_schema.columns WHERE table_schema = "
                                       "current_schema()"),
                        {},
                        {},
                        false},
        &info);
    for (int r = 0; r < info.RowCount(); ++r) {
        const QString type = info.Text(r, 1);
        columns.insert(info.Text(r, 0).toLower(), type == QLatin1String("integer") ||
                                                          type == QLatin1String("smallint") ||
                                                          type == QLatin1String("bigint")
                                                      ? PgDialect::Kind::Integer
                                                      : PgDialect::Kind::Text);
    }
    dialect_.SetColumns(columns);
    ++dialectVersion_; // what was translated before may read otherwise now
}

void PgEngine::forgetSession() {
    cutStream(QStringLiteral("the connection to the %1 was lost").arg(where_));
    reading_ = 0;
    cache_.clear();
    cacheIndex_.clear();
    reads_.clear();
    lookups_.clear();
    savepoints_.clear();
    savepointBegan_ = false;
    locked_.clear();
}

void PgEngine::Close() {
    cutStream(QStringLiteral("the connection to the %1 was closed").arg(where_));
    forgetSession();
    if (pg_) PQfinish(pg_);
    pg_ = nullptr;
}

// A connection that was lost is opened again by the next action; when the
// server still cannot be reached, that action fails and says so.
void PgEngine::ensureConnected(bool reads) {
    if (!pg_) throw DbError(QStringLiteral("The database connection is not open."));
    if (PQstatus(pg_) == CONNECTION_OK && !lost_) return;
    reconnect(reads);
}

bool PgEngine::readsOnly(bool query) const {
    return query && (reading_ > 0 || !InTransaction());
}

template <class Step> auto PgEngine::againIfLost(bool harmless, Step&& step) -> decltype(step()) {
    const bool idle = !InTransaction() && !retrying_;
    try {
        return step();
    } catch (const ConnectionLost&) {
        if (!harmless || !idle) throw;
        retrying_ = true;
        try {
            ensureConnected(true);
        } catch (...) {
            retrying_ = false;
            throw;
        }
        retrying_ = false;
        if (ServerWait* hook = ServerWait::ForThisThread()) hook->Reconnected(where_);
        return step();
    }
}

void PgEngine::fail(PGresult* result, const QString& what) {
    const QString reason = serverMessage(pg_, result);
    const char* state = result ? PQresultErrorField(result, PG_DIAG_SQLSTATE) : nullptr;
    const QByteArray code = state ? QByteArray(state) : QByteArray();
    PQclear(result);
    if (gaveUp_ && code == "57014") {
        // Stopped as the user asked: a transaction in progress goes now.
        gaveUp_ = false;
        if (InTransaction()) {
            endTransaction();
            PQclear(call(false, [](PGconn* pg) { return PQsendQuery(pg, "ROLLBACK"); }));
        }
        noAnswer(requestReads_);
    }
    gaveUp_ = false;
    committing_ = false;
    // No state from the server (libpq's own failure), a connection error or
    // the server shutting down: the connection is gone.
    if (PQstatus(pg_) != CONNECTION_OK || code.isEmpty() || code.startsWith("08") ||
        code.startsWith("57P")) {
        forgetSession();
        lost_ = true;
        throw ConnectionLost(
            QStringLiteral(
                "The connection to the %1 was lost (%2).%3 The next step connects again.")
                .arg(where_, reason,
                     requestReads_ ? QString()
                                   : QStringLiteral(" Nothing of this step was saved.")),
            requestReads_);
    }
    if (code == "23505")
        throw DbError(QStringLiteral("Another desk saved a row with the same id at the same "
                                     "moment; nothing was saved. Please try again (%1).")
                          .arg(reason));
    if (code == "42501")
        throw DbError(QStringLiteral("%1: %2. %3").arg(what, reason, grantAdvice(pg_)));
    if (code == "40001" || code == "40P01" || code == "55P03")
        throw DbError(QStringLiteral("Another desk was changing the same rows; nothing was saved. "
                                     "Please try again (%1).")
                          .arg(reason));
    throw DbError(QStringLiteral("%1: %2").arg(what, reason));
}

// Statements without values: transaction control and the like. A
// transaction begun on a lost connection is begun again on a new one.
void PgEngine::exec(const char* sql) {
    againIfLost(qstrncmp(sql, "BEGIN", 5) == 0, [&] {
        PGresult* r = call(reading_ > 0, [sql](PGconn* pg) { return PQsendQuery(pg, sql); });
        const ExecStatusType status = PQresultStatus(r);
        if (status != PGRES_COMMAND_OK && status != PGRES_TUPLES_OK)
            fail(r, QStringLiteral("The statement could not be run [%1]").arg(QLatin1String(sql)));
        PQclear(r);
    });
}

QStringList PgEngine::MissingTables() {
    const ResultTable r = tablesAndRights(*this);
    QStringList missing;
    for (int i = 0; i < r.RowCount(); ++i)
        if (r.Value(i, 1).toInt() == 0) missing.append(r.Text(i, 0));
    return missing;
}

void PgEngine::Verify() {
    const ResultTable r = tablesAndRights(*this);
    for (int i = 0; i < r.RowCount(); ++i)
        if (r.Value(i, 1).toInt() == 0)
            throw DbError(QStringLiteral("The %1 is not an address book: it has no table %2.")
                              .arg(where_, r.Text(i, 0)));
    static const char* const kRights[] = {"SELECT", "INSERT", "UPDATE", "DELETE"};
    for (int i = 0; i < r.RowCount(); ++i) {
        QStringList lacking;
        for (int k = 0; k < 4; ++k)
            if (r.Value(i, 2 + k).toInt() == 0) lacking << QLatin1String(kRights[k]);
        if (!lacking.isEmpty())
            throw DbError(QStringLiteral("The user %1 may not use the %2: permission denied on "
                                         "table %3 (%4). %5.")
                              .arg(QString::fromUtf8(PQuser(pg_)), where_, r.Text(i, 0),
                                   lacking.join(QStringLiteral(", ")), grantAdvice(pg_)));
    }
}

// Over TCP without TLS; a Unix socket stays on the server's own machine.
bool PgEngine::Unencrypted() const {
    if (!pg_ || PQsslInUse(pg_)) return false;
    const char* host = PQhost(pg_);
    return host && *host && *host != '/' && *host != '@';
}

// A row's version: the transaction that wrote it. Every change by any desk
// writes its rows under a transaction never seen before, and a delete
// alone changes the count. Hashed to 44 bits, so that changes do not cancel
// out in a sum and the sum over a table of 16-bit ids fits a bigint.
QString PgEngine::RowVersion() const {
    return QStringLiteral("(hashint8extended(xmin::text::bigint, 0) >> 20)");
}

void PgEngine::CreateTables(const ConnString::Parts& parts) {
    PgEngine engine;
    engine.Connect(parts);
    const QStringList missing = engine.MissingTables();
    if (missing.size() != Schema::Tables().size())
        throw DbError(
            QStringLiteral("The %1 already holds address book tables; it is left as it is.")
                .arg(engine.where_));
    engine.Begin();
    try {
        for (const char* statement : kCreate)
            engine.exec(statement);
        // The sync state's tables too: a desk's user may use tables but
        // usually not make them.
        for (const QString& statement : SyncTables::ServerStatements())
            engine.exec(statement.toUtf8().constData());
        engine.Commit();
    } catch (...) {
        engine.Rollback();
        throw;
    }
}

EngineStatement PgEngine::Translate(const QString& text) const {
    QString table;
    const EngineStatement st = dialect_.Translate(text, &table);
    if (!table.isEmpty()) newIds_.insert(st.sql, table);
    return st;
}

PgEngine::Prepared& PgEngine::prepared(const QString& sql) {
    return againIfLost(true, [&]() -> Prepared& {
        ensureConnected(readsOnly(isQuery(sql)));
        auto found = cacheIndex_.find(sql);
        if (found != cacheIndex_.end()) {
            cache_.splice(cache_.begin(), cache_, found.value());
            return cache_.front();
        }
        return prepare(sql);
    });
}

PgEngine::Prepared& PgEngine::prepare(const QString& sql) {
    const bool reads = readsOnly(isQuery(sql));
    const QByteArray name = "s" + QByteArray::number(++named_);
    const QByteArray utf8 = sql.toUtf8();
    PGresult* r = call(reads, [&](PGconn* pg) {
        return PQsendPrepare(pg, name.constData(), utf8.constData(), 0, nullptr);
    });
    if (PQresultStatus(r) != PGRES_COMMAND_OK)
        fail(r, QStringLiteral("The statement could not be run [%1]").arg(sql));
    PQclear(r);
    r = call(reads, [&](PGconn* pg) { return PQsendDescribePrepared(pg, name.constData()); });
    if (PQresultStatus(r) != PGRES_COMMAND_OK)
        fail(r, QStringLiteral("The statement could not be run [%1]").arg(sql));
    QStringList names;
    QVector<unsigned> types;
    for (int c = 0; c < PQnfields(r); ++c) {
        names.append(QString::fromUtf8(PQfname(r, c)));
        types.append(PQftype(r, c));
    }
    PQclear(r);
    cache_.push_front(
        Prepared{sql, name, std::make_shared<const ColumnInfo>(names), types, isQuery(sql)});
    cacheIndex_.insert(sql, cache_.begin());
    if (int(cache_.size()) > kCachedStatements) {
        forget(cache_.back().sql);
    }
    return cache_.front();
}

void PgEngine::forget(const QString& sql) {
    const auto found = cacheIndex_.find(sql);
    if (found == cacheIndex_.end()) return;
    const QByteArray dealloc = "DEALLOCATE " + found.value()->name;
    PQclear(call(false, [&](PGconn* pg) { return PQsendQuery(pg, dealloc.constData()); }));
    cache_.erase(found.value());
    cacheIndex_.erase(found);
}

bool PgEngine::lookUp(const EngineStatement& statement, ResultTable* rows) {
    constexpr int kAskedBeforeLoading = 8;
    if (!statement.keyed || statement.params.size() != 1 ||
        statement.params[0].typeId() != QMetaType::LongLong)
        return false;
    // "Select <id> AS row_key_,* from <table> where <id> = $1", as translated.
    static const QRegularExpression byId(
        QStringLiteral(
            "^(Select (\\w+) AS row_key_,\\* from \\w+) where (?:\\w+\\.)?(\\w+) = \\$1 ?$"),
        QRegularExpression::CaseInsensitiveOption);
    const QRegularExpressionMatch m = byId.match(statement.sql);
    if (!m.hasMatch() || m.captured(2).compare(m.captured(3), Qt::CaseInsensitive) != 0)
        return false;
    Lookups& l = lookups_[statement.sql];
    if (!l.loaded) {
        if (++l.asked < kAskedBeforeLoading) return false;
        Run(EngineStatement{m.captured(1), {}, statement.table, true}, &l.all);
        for (int r = 0; r < l.all.RowCount(); ++r)
            l.rowOf.insert(l.all.Value(r, 0).toLongLong(), r);
        l.loaded = true;
    }
    rows->Reset(l.all.InfoPtr());
    const auto found = l.rowOf.constFind(statement.params[0].toLongLong());
    if (found != l.rowOf.constEnd()) rows->AddRowFrom(l.all, *found);
    return true;
}

// Other desks write between any two statements: a list read in two parts
// could show a row twice or miss one. It is read whole, in one statement.
bool PgEngine::RunPart(const EngineStatement& statement, ResultTable* rows, int skip, int limit) {
    if (!prepared(statement.sql).reads)
        throw DbError(QStringLiteral("Only a query can be read in parts [%1].").arg(statement.sql));
    ResultTable all;
    Run(statement, &all);
    if (rows && rows->ColumnCount() == 0) rows->Reset(all.InfoPtr());
    if (rows)
        for (int r = skip; r < all.RowCount(); ++r)
            rows->AddRowFrom(all, r);
    Q_UNUSED(limit);
    return true;
}

bool PgEngine::Writes(const EngineStatement& statement) {
    return !prepared(statement.sql).reads;
}

std::shared_ptr<const ColumnInfo> PgEngine::Columns(const EngineStatement& statement) {
    return prepared(statement.sql).columns;
}

void PgEngine::lockForNewId(const QString& table) {
    if (locked_.contains(table)) return;
    const int index = Schema::Tables().indexOf(table);
    const QByteArray sql = "SELECT pg_advisory_xact_lock(" + QByteArray::number(kLockSpace) + "," +
                           QByteArray::number(index) + ")";
    exec(sql.constData());
    locked_.insert(table);
}

qint64 PgEngine::Run(const EngineStatement& statement, ResultTable* rows) {
    return againIfLost(isQuery(statement.sql), [&] { return runOnce(statement, rows); });
}

qint64 PgEngine::runOnce(const EngineStatement& statement, ResultTable* rows) {
    ensureConnected(readsOnly(isQuery(statement.sql)));
    const bool inTransaction = InTransaction();
    // A new id is taken while no other desk takes one of the same table:
    // the lock lasts until this transaction ends, and the maximum is read
    // after it is granted.
    const auto newId = newIds_.constFind(statement.sql);
    const bool takesId = newId != newIds_.constEnd();
    if (takesId && inTransaction) lockForNewId(*newId);

    // A repeated query inside one read gives what it gave before.
    QString readKey;
    if (reading_ > 0 && inTransaction && rows && !takesId) {
        readKey = statement.sql;
        for (const QVariant& p : statement.params)
            readKey += QChar(0x1f) + p.toString();
        const auto kept = reads_.constFind(readKey);
        if (kept != reads_.constEnd()) {
            *rows = *kept;
            return 0;
        }
    }

    if (reading_ > 0 && inTransaction && rows && lookUp(statement, rows)) return 0;

    Prepared& p = prepared(statement.sql);
    if (!p.reads) {
        reads_.clear();
        lookups_.clear();
    }
    const ParamTexts values(statement.params);
    const QByteArray name = p.name;
    PGresult* r = call(readsOnly(p.reads), [&](PGconn* pg) {
        return PQsendQueryPrepared(pg, name.constData(), values.count(), values.values.constData(),
                                   nullptr, nullptr, 0);
    });
    const ExecStatusType status = PQresultStatus(r);
    if (status != PGRES_COMMAND_OK && status != PGRES_TUPLES_OK && !InTransaction() &&
        qstrcmp(PQresultErrorField(r, PG_DIAG_SQLSTATE), "0A000") == 0) {
        // A table was made again with other columns: prepare the statement anew.
        PQclear(r);
        forget(statement.sql);
        return runOnce(statement, rows);
    }
    if (status != PGRES_COMMAND_OK && status != PGRES_TUPLES_OK)
        fail(r, QStringLiteral("The statement could not be run [%1]").arg(statement.sql));
    const Result result(r);
    if (status == PGRES_COMMAND_OK) {
        if (rows) rows->Reset(p.columns);
        return QByteArray(PQcmdTuples(r)).toLongLong();
    }
    if (!rows) return 0;
    rows->Reset(p.columns);
    appendRows(r, p.types, rows);
    const int tuples = PQntuples(r);
    if (!readKey.isEmpty() && p.reads && tuples <= kKeptReadRows && reading_ > 0) {
        if (reads_.size() >= kKeptReads) reads_.clear();
        reads_.insert(readKey, *rows);
    }
    return 0;
}

void PgEngine::appendRows(PGresult* r, const QVector<unsigned>& types, ResultTable* rows) {
    const int tuples = PQntuples(r), columns = PQnfields(r);
    for (int t = 0; t < tuples; ++t) {
        for (int c = 0; c < columns; ++c) {
            if (PQgetisnull(r, t, c)) {
                rows->AddNull();
                continue;
            }
            const char* text = PQgetvalue(r, t, c);
            switch (types.value(c)) {
            case kInt2:
            case kInt4:
            case kInt8:
            case kOid:
                rows->AddInteger(std::strtoll(text, nullptr, 10));
                break;
            case kBool:
                rows->AddInteger(text[0] == 't' ? 1 : 0);
                break;
            case kFloat4:
            case kFloat8:
            case kNumeric:
                rows->AddReal(std::strtod(text, nullptr));
                break;
            default:
                rows->AddText(text, PQgetlength(r, t, c));
            }
        }
    }
}

// A long result is sent row by row (libpq's single-row mode) in the one
// snapshot of its statement: the first rows now, the rest while the list
// fills (data/pgengine_rows.cpp). A short one comes whole.
std::unique_ptr<RowStream> PgEngine::OpenRows(const EngineStatement& statement, ResultTable* rows,
                                              int first) {
    return againIfLost(true, [&]() -> std::unique_ptr<RowStream> {
        const Prepared p = prepared(statement.sql);
        if (!p.reads)
            throw DbError(
                QStringLiteral("Only a query can be read in parts [%1].").arg(statement.sql));
        const bool reads = readsOnly(true);
        startRequest(reads);
        const bool inTransaction = InTransaction();
        const ParamTexts values(statement.params);
        if (!PQsendQueryPrepared(pg_, p.name.constData(), values.count(), values.values.constData(),
                                 nullptr, nullptr, 0))
            fail(nullptr, QStringLiteral("The statement could not be run [%1]").arg(statement.sql));
        PQsetSingleRowMode(pg_);
        return firstRows(p, reads, inTransaction, rows, first);
    });
}

QVariant PgEngine::Insert(const QString& table, const QStringList& columns,
                          const QVariantList& values) {
    const QString key = Schema::KeyColumn(table);
    if (key.isEmpty())
        throw DbError(QStringLiteral("Rows cannot be added to %1: it is not a table of the "
                                     "address book.")
                          .arg(table));
    QStringList names, marks;
    for (int i = 0; i < columns.size(); ++i) {
        names.append(quoteName(columns[i].toLower()));
        marks.append(u'$' + QString::number(i + 1));
    }
    const QString sql =
        columns.isEmpty()
            ? QStringLiteral("INSERT INTO %1 DEFAULT VALUES RETURNING %2")
                  .arg(quoteName(table), key)
            : QStringLiteral("INSERT INTO %1 (%2) VALUES (%3) RETURNING %4")
                  .arg(quoteName(table.toLower()), names.join(u','), marks.join(u','), key);
    ResultTable returned;
    Run(EngineStatement{sql, values, {}, false}, &returned);
    return returned.RowCount() ? returned.Value(0, 0) : QVariant();
}

void PgEngine::Update(const QString& table, const QVariant& key, const QStringList& columns,
                      const QVariantList& values) {
    if (columns.isEmpty()) return;
    const QString keyColumn = Schema::KeyColumn(table);
    if (keyColumn.isEmpty())
        throw DbError(QStringLiteral("Rows of %1 cannot be changed: it is not a table of the "
                                     "address book.")
                          .arg(table));
    QStringList sets;
    for (int i = 0; i < columns.size(); ++i)
        sets.append(quoteName(columns[i].toLower()) + QStringLiteral("=$") +
                    QString::number(i + 1));
    QVariantList params = values;
    params.append(key);
    const qint64 changed =
        Run(EngineStatement{QStringLiteral("UPDATE %1 SET %2 WHERE %3=$%4")
                                .arg(quoteName(table.toLower()), sets.join(u','), keyColumn)
                                .arg(params.size()),
                            params,
                            {},
                            false},
            nullptr);
    if (changed < 1)
        throw DbError(QStringLiteral("The row with %1 %2 is no longer in the address book: "
                                     "another desk has deleted it. Nothing was saved.")
                          .arg(keyColumn, key.toString()));
}

void PgEngine::endTransaction() {
    savepoints_.clear();
    savepointBegan_ = false;
    locked_.clear();
    reads_.clear();
    lookups_.clear();
}

// The read is counted while it begins and ends, so that a server that
// fails its first or last step is said to have failed a read.
void PgEngine::BeginRead() {
    if (reading_ == 0) {
        reads_.clear();
        lookups_.clear();
    }
    ++reading_;
    try {
        Savepoint(QStringLiteral("one_read"));
    } catch (...) {
        if (reading_ > 0) --reading_;
        throw;
    }
}

void PgEngine::EndRead() {
    struct Ended {
        PgEngine* e;
        ~Ended() {
            if (e->reading_ > 0) --e->reading_;
            if (e->reading_ == 0) {
                e->reads_.clear();
                e->lookups_.clear();
            }
        }
    } ended{this};
    Release(QStringLiteral("one_read"));
}

void PgEngine::Begin() {
    if (InTransaction()) throw DbError(QStringLiteral("A transaction is already open."));
    endTransaction();
    exec("BEGIN");
}

void PgEngine::Commit() {
    ensureConnected();
    drainStream();
    const bool failed = PQtransactionStatus(pg_) == PQTRANS_INERROR;
    endTransaction();
    committing_ = true;
    PGresult* r = call(reading_ > 0, [](PGconn* pg) { return PQsendQuery(pg, "COMMIT"); });
    committing_ = false;
    if (PQresultStatus(r) != PGRES_COMMAND_OK)
        fail(r, QStringLiteral("The changes could not be saved"));
    // A transaction that met an error is rolled back by its commit.
    const bool rolledBack = failed || qstrcmp(PQcmdStatus(r), "ROLLBACK") == 0;
    PQclear(r);
    if (rolledBack)
        throw DbError(QStringLiteral("The changes could not be saved: a step of them failed, so "
                                     "none was kept."));
}

void PgEngine::Rollback() {
    endTransaction();
    if (pg_ && !lost_ && PQstatus(pg_) == CONNECTION_OK && InTransaction()) exec("ROLLBACK");
}

// A long result still on its way outside any transaction is none.
bool PgEngine::InTransaction() const {
    if (!pg_ || lost_) return false;
    const PGTransactionStatusType s = PQtransactionStatus(pg_);
    if (s == PQTRANS_ACTIVE && streaming_ && !busy_) return streamInTransaction_;
    return s == PQTRANS_INTRANS || s == PQTRANS_INERROR || s == PQTRANS_ACTIVE;
}

// A savepoint outside a transaction begins one (released, it commits), as
// with the file.
void PgEngine::Savepoint(const QString& name) {
    ensureConnected();
    if (!InTransaction()) {
        endTransaction();
        exec("BEGIN");
        savepointBegan_ = true;
    } else {
        exec(("SAVEPOINT " + name).toUtf8().constData());
    }
    savepoints_.append(name);
}

void PgEngine::Release(const QString& name) {
    const qsizetype at = savepoints_.lastIndexOf(name);
    if (at == 0 && savepointBegan_) {
        Commit();
        return;
    }
    if (at < 0) throw DbError(QStringLiteral("No savepoint %1 is open.").arg(name));
    savepoints_.resize(at);
    exec(("RELEASE SAVEPOINT " + name).toUtf8().constData());
}

void PgEngine::RollbackTo(const QString& name) {
    const qsizetype at = savepoints_.lastIndexOf(name);
    if (at == 0 && savepointBegan_) {
        Rollback();
        return;
    }
    if (at < 0) throw DbError(QStringLiteral("No savepoint %1 is open.").arg(name));
    savepoints_.resize(at);
    exec(("ROLLBACK TO SAVEPOINT " + name).toUtf8().constData());
    exec(("RELEASE SAVEPOINT " + name).toUtf8().constData());
}

// Read committed gives each statement its own snapshot; a backup reads
// every table in the one snapshot of its first statement.
void PgEngine::BeginSnapshot() {
    if (InTransaction()) throw DbError(QStringLiteral("A transaction is already open."));
    endTransaction();
    exec("BEGIN ISOLATION LEVEL REPEATABLE READ READ ONLY");
    savepointBegan_ = true;
    savepoints_.append(QStringLiteral("snapshot"));
}

// The row stays as this transaction reads it until it ends: another desk's
// change waits for it (and a lock held too long is reported as any other).
void PgEngine::LockRow(const QString& table, const QString& keyColumn, const QVariant& key) {
    Run(EngineStatement{QStringLiteral("SELECT 1 FROM %1 WHERE %2 = $1 FOR UPDATE")
                            .arg(quoteName(table.toLower()), quoteName(keyColumn.toLower())),
                        {key},
                        {},
                        false},
        nullptr);
}
