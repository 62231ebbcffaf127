#pragma once
// SQLCipher: an encrypted SQLite database file, keyed with the password.

#include "data/engine.h"
#include "data/sqlitedialect.h"

#include <QHash>
#include <list>

struct sqlite3;
struct sqlite3_stmt;

class SqlCipherEngine : public Engine {
  public:
    SqlCipherEngine() = default;
    ~SqlCipherEngine() override;
    SqlCipherEngine(const SqlCipherEngine&) = delete;
    SqlCipherEngine& operator=(const SqlCipherEngine&) = delete;

    void Open(const QString& file, const QString& password) override;
    // Opens the file the parts name; "Mode=Read" opens it for reading only.
    void Connect(const ConnString::Parts& parts) override;
    void Close() override;
    bool IsOpen() const override { return db_ != nullptr; }
    QString File() const override { return file_; }
    void Verify() override;
    QStringList MissingTables() override;
    QString IntegrityCheck() override;
    bool ReadOnly() const override;
    bool CanRead() override;
    qint64 ChangesMade() override;

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

    // Creates a new, empty keyed database file (used by the set-up tool and
    // the tests only; the program itself never creates a database).
    static void CreateFile(const QString& file, const QString& password);
    // Keeps a keyed handle in the book's file format, that of SQLCipher 3,
    // when the library is a later one. Call after the key, before any read.
    static void PinFormat(sqlite3* db);

  private:
    void exec(const QString& sql);
    // Steps `stmt` (bound, at its start): skips `skip` rows, then copies at
    // most `limit` rows (all when negative) into `rows`. True when it ended.
    bool readRows(sqlite3_stmt* stmt, const QString& sql, ResultTable* rows, int skip, int limit);
    void waitWhenBusy(int ms);
    bool keepingReads() const;
    void learnColumns();
    [[noreturn]] void fail(const QString& what) const;

    sqlite3* db_ = nullptr;
    QString file_;
    SqliteDialect dialect_;
    struct Cached {
        QString sql;
        sqlite3_stmt* stmt;
        std::shared_ptr<const ColumnInfo> columns;
        bool readOnly;
        bool writes;    // changes rows (transaction control and settings do not)
        bool plainRead; // reads rows only: gives up at once when the book is locked
    };
    Cached& prepared(const QString& sql);
    void forgetReads();

    // Prepared statements kept for reuse, most recently used first.
    std::list<Cached> cache_;
    QHash<QString, std::list<Cached>::iterator> cacheIndex_;
    // Within one explicit read that has written nothing, a query that was run
    // before gives the same rows: small results are kept and handed out again
    // (a list of thousands of rows looks up the same few hundred cities).
    QHash<QString, ResultTable> reads_;
    int reading_ = 0;             // depth of explicit reads (BeginRead)
    bool wroteInRead_ = false;    // a write inside the read ends the keeping
    int busyWait_ = -1;           // the busy timeout set on the handle, ms
    int readWait_ = 0;            // how long a plain read waits for a lock, ms
    bool readOnlyWanted_ = false; // opened with "Mode=Read"
};
