#pragma once
// PostgreSQL: the address book on a database server shared by several desks,
// reached through libpq. Opened with the server parts of a connection string
// (host or socket folder, port, database, user, TLS mode); a password left
// out comes from the user's password file.

#include "data/connstring.h"
#include "data/engine.h"
#include "data/pgdialect.h"

#include <QByteArray>
#include <QHash>
#include <QSet>
#include <QVector>
#include <atomic>
#include <functional>
#include <list>
#include <memory>

struct pg_conn;
using PGconn = pg_conn;
struct pg_result;
using PGresult = pg_result;

class PgEngine : public Engine {
  public:
    PgEngine() = default;
    ~PgEngine() override;
    PgEngine(const PgEngine&) = delete;
    PgEngine& operator=(const PgEngine&) = delete;

    void Open(const QString& file, const QString& password) override;
    void Connect(const ConnString::Parts& parts) override;
    void Close() override;
    bool IsOpen() const override { return pg_ != nullptr; }
    QString File() const override { return QString(); }
    QString Where() const override { return where_; }
    void Verify() override;
    QStringList MissingTables() override;
    // The server keeps its own data whole; there is no file to check.
    QString IntegrityCheck() override { return QStringLiteral("ok"); }
    bool ReadOnly() const override { return false; }
    bool Unencrypted() const override;
    QString RowVersion() const override;

    EngineStatement Translate(const QString& text) const override;
    quint64 DialectVersion() const override { return dialectVersion_; }
    qint64 Run(const EngineStatement& statement, ResultTable* rows) override;
    bool Writes(const EngineStatement& statement) override;
    bool RunPart(const EngineStatement& statement, ResultTable* rows, int skip, int limit) override;
    // A long result is sent row by row while the list fills (pgengine_rows.cpp).
    std::unique_ptr<RowStream> OpenRows(const EngineStatement& statement, ResultTable* rows,
                                        int first) override;
    // False while a statement of this connection waits on the server.
    bool CanRead() override { return !busy_; }
    std::shared_ptr<const ColumnInfo> Columns(const EngineStatement& statement) override;
    QVariant Insert(const QString& table, const QStringList& columns,
                    const QVariantList& values) override;
    void Update(const QString& table, const QVariant& key, const QStringList& columns,
                const QVariantList& values) override;

    void BeginRead() override;
    void EndRead() override;
    void Begin() override;
    void Commit() override;
    void Rollback() override;
    bool InTransaction() const override;
    void Savepoint(const QString& name) override;
    void Release(const QString& name) override;
    void RollbackTo(const QString& name) override;
    void BeginSnapshot() override;
    void LockRow(const QString& table, const QString& keyColumn, const QVariant& key) override;

    // The libpq connection string for the server parts.
    static QByteArray Conninfo(const ConnString::Parts& parts);
    // Creates the four tables (and those of the sync state) in the database
    // the parts name, which must hold none of the four yet (the set-up
    // tools; the program never does).
    static void CreateTables(const ConnString::Parts& parts);

  private:
    struct Prepared {
        QString sql;
        QByteArray name;
        std::shared_ptr<const ColumnInfo> columns;
        QVector<unsigned> types;
        bool reads; // a plain select
    };
    Prepared& prepared(const QString& sql);
    Prepared& prepare(const QString& sql);
    void forget(const QString& sql);
    void exec(const char* sql);
    qint64 runOnce(const EngineStatement& statement, ResultTable* rows);
    static void appendRows(PGresult* result, const QVector<unsigned>& types, ResultTable* rows);
    // Whether a step only reads: a query outside any transaction but a
    // read's (BeginRead). Said to the window when the server fails it.
    bool readsOnly(bool query) const;
    // Runs `step`; when it meets a lost connection while none of its own
    // writes can be lost (`harmless`: a query or the start of a
    // transaction, outside any transaction), connects again and runs it once
    // more.
    template <class Step> auto againIfLost(bool harmless, Step&& step) -> decltype(step());
    void ensureConnected(bool reads = false);

    // Requests (pgengine_wait.cpp). One request at a time is sent and its
    // answer awaited without blocking the windows (data/serverwait.h).
    using Send = std::function<int(PGconn*)>;
    // Sends, waits, and returns the result (an error's when there is one);
    // nullptr when libpq could not send it. The caller clears it.
    PGresult* call(bool reads, const Send& send);
    // Refuses a request while another waits; a result still being sent is
    // read whole first.
    void startRequest(bool reads);
    // Waits until libpq holds the next result whole.
    void awaitAnswer(bool reads);
    // The next result of the request, waited for; nullptr after the last.
    PGresult* nextResult(bool reads);
    // Asks the server to stop what the connection runs, without waiting;
    // the flag is set once the server has taken the request.
    static std::shared_ptr<std::atomic<bool>> cancel(PGconn* pg);
    // Lets the windows paint until the flag is set, for at most `ms`.
    static bool waitFor(const std::atomic<bool>& flag, int ms);
    // The user gave up waiting: the server is asked to stop; when it does
    // not in time, the connection is dropped. Throws, unless the answer
    // came meanwhile.
    void giveUp(bool reads);
    void reconnect(bool reads);
    [[noreturn]] void noAnswer(bool reads);
    void afterConnect();
    void forgetSession();
    void endTransaction();
    void lockForNewId(const QString& table);
    [[noreturn]] void fail(PGresult* result, const QString& what);

    PGconn* pg_ = nullptr;
    bool lost_ = false; // the server went away; the next action connects again
    bool busy_ = false; // a request waits on the server
    bool requestReads_ = false;
    bool committing_ = false; // the request is a COMMIT
    bool gaveUp_ = false;     // the user gave up on the request; its cancel took
    bool retrying_ = false;

    // A long result on its way (pgengine_rows.cpp).
    class Stream;
    // The first read of a long result waits for this many rows, then takes
    // what has come.
    static constexpr int kFirstRowsAtOnce = 128;
    Stream* streaming_ = nullptr; // the one whose rows are on the wire
    bool streamInTransaction_ = false;
    // Rows of the result on the wire into `rows`: at most `limit` (all when
    // negative), waiting until at least `atLeast` have come (or the end).
    // True when the result has ended.
    bool streamRows(ResultTable* rows, int limit, int atLeast);
    // The result just sent: its first rows into `rows`, and the rest's stream.
    std::unique_ptr<RowStream> firstRows(const Prepared& p, bool reads, bool inTransaction,
                                         ResultTable* rows, int first);
    void drainStream();
    void dropStream() noexcept;
    void cutStream(const QString& why);
    QString where_;
    PgDialect dialect_;
    std::list<Prepared> cache_;
    QHash<QString, std::list<Prepared>::iterator> cacheIndex_;
    int named_ = 0;
    quint64 dialectVersion_ = 0; // counts the times the columns were learned
    // Translated statements that read the next id of a table, with the table.
    mutable QHash<QString, QString> newIds_;
    // Savepoints open, outermost first; the first began the transaction
    // itself when none was open.
    QStringList savepoints_;
    bool savepointBegan_ = false;
    QSet<QString> locked_; // tables whose new ids this transaction holds
    // Inside one read (BeginRead .. EndRead) that has written nothing, a
    // query run before gives the same rows.
    QHash<QString, ResultTable> reads_;
    int reading_ = 0;
    // Inside one read, a table looked up by id row after row (the search
    // engine's city of each result row) is read whole once it has been
    // asked for often enough, and the rest are answered from memory.
    struct Lookups {
        int asked = 0;
        bool loaded = false;
        ResultTable all;
        QHash<qint64, int> rowOf;
    };
    QHash<QString, Lookups> lookups_;
    bool lookUp(const EngineStatement& statement, ResultTable* rows);
};
