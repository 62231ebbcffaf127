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
#include <list>

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

    EngineStatement Translate(const QString& text) const override;
    qint64 Run(const EngineStatement& statement, ResultTable* rows) override;
    bool Writes(const EngineStatement& statement) override;
    bool RunPart(const EngineStatement& statement, ResultTable* rows, int skip, int limit) override;
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

    // The libpq connection string for the server parts.
    static QByteArray Conninfo(const ConnString::Parts& parts);
    // Creates the four tables in the database the parts name, which must
    // hold none of them yet (the set-up tools; the program never does).
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
    void forget(const QString& sql);
    void exec(const char* sql);
    void ensureConnected();
    void afterConnect();
    void forgetSession();
    void endTransaction();
    void lockForNewId(const QString& table);
    [[noreturn]] void fail(PGresult* result, const QString& what);

    PGconn* pg_ = nullptr;
    bool lost_ = false; // the server went away; the next action connects again
    QString where_;
    PgDialect dialect_;
    std::list<Prepared> cache_;
    QHash<QString, std::list<Prepared>::iterator> cacheIndex_;
    int named_ = 0;
    mutable QHash<QString, EngineStatement> translated_;
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
