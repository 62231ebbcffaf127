#pragma once
// The database engine behind a connection. The windows never see it: they
// hand statement texts to a Recordset, which asks its connection's engine to
// translate them into the engine's own SQL and to run them. A second engine
// (say, a database server shared by several desks) is one more subclass.

#include "data/connstring.h"
#include "data/resulttable.h"

#include <QString>
#include <QStringList>
#include <QVariant>
#include <memory>

// A statement as the engine will run it.
struct EngineStatement {
    QString sql;         // in the engine's own dialect
    QVariantList params; // values bound to its placeholders, in order
    QString table;       // for "Select * from <table> ...": the table, else empty
    bool keyed = false;  // the first column returned is the row key, not a field
};

class Engine;

// The rows of a result not read yet (see Engine::OpenRows). Dropped before
// its end, it stops the statement.
class RowStream {
  public:
    virtual ~RowStream() = default;
    // Appends more rows to `rows`: at most `limit` (every row left when
    // negative). `engine` is the connection's engine now. Returns true when
    // no rows remain.
    virtual bool Read(Engine& engine, ResultTable* rows, int limit) = 0;
};

class Engine {
  public:
    virtual ~Engine() = default;

    // Opens an existing database file with its password; never creates one.
    virtual void Open(const QString& file, const QString& password) = 0;
    // Opens the database a connection string's parts name: a file engine
    // its data source with the password, a server engine the server's.
    virtual void Connect(const ConnString::Parts& parts) { Open(parts.dataSource, parts.password); }
    virtual void Close() = 0;
    virtual bool IsOpen() const = 0;
    virtual QString File() const = 0;
    // Where the data lives, for messages: the file, or the database and its server.
    virtual QString Where() const { return File(); }
    // Reads the whole file and raises a DbError saying what is wrong when any
    // part of it is damaged or missing.
    virtual void Verify() = 0;
    // The engine's full check of the data: "ok", or what it found.
    virtual QString IntegrityCheck() = 0;
    // The address book's tables the open database lacks.
    virtual QStringList MissingTables() = 0;
    // True when the file (or its folder) can only be read.
    virtual bool ReadOnly() const = 0;
    // True when a read could run now without waiting for another program's
    // lock. Never waits itself; a server, whose reads wait for no lock,
    // always says yes.
    virtual bool CanRead() { return true; }
    // True when what this connection reads and writes crosses the network
    // readable: a server reached over TCP without TLS.
    virtual bool Unencrypted() const { return false; }

    // Whether rows changed since they were last read, for a reader that
    // keeps what it read. RowVersion(): an expression of one row of any
    // table that changes whenever any connection changes the row; empty when
    // the engine has none. Then ChangesMade() tells instead: the rows this
    // connection has changed since it was opened (a rolled back change too),
    // enough for a book file that one copy of the program holds.
    virtual QString RowVersion() const { return {}; }
    virtual qint64 ChangesMade() { return 0; }

    // Turns a statement text of the windows into the engine's statement
    // (the connection keeps what it translated).
    virtual EngineStatement Translate(const QString& text) const = 0;
    // Changes whenever a text may translate otherwise than before: a server
    // connected again has learned its columns anew.
    virtual quint64 DialectVersion() const { return 0; }
    // Runs one statement. Returned rows go into `rows` (when given); the
    // result is the number of rows the statement changed.
    virtual qint64 Run(const EngineStatement& statement, ResultTable* rows) = 0;
    // True when the statement changes rows (transaction control does not).
    virtual bool Writes(const EngineStatement& statement) = 0;
    // Reads part of the rows a statement returns: skips the first `skip`,
    // then reads at most `limit` (all the rest when negative). The statement
    // is finished when it returns, so no read stays open (a writer never
    // waits for it). Returns true when the rows ran out. An engine whose
    // second read could see other desks' changes made in between (and so
    // show a row twice or miss one) reads all the rows at once and says so.
    virtual bool RunPart(const EngineStatement& statement, ResultTable* rows, int skip,
                         int limit) = 0;
    // Reads the first rows of a query into `rows` (at most `first`; a short
    // result whole) and returns what remains of it, or nullptr when nothing
    // does. The file reads the rest in one go when it is first asked for
    // (RunPart); a server sends it while the list fills, in the one
    // snapshot of the statement, and any other statement on the connection
    // first reads what is left.
    virtual std::unique_ptr<RowStream> OpenRows(const EngineStatement& statement, ResultTable* rows,
                                                int first);
    // The columns the statement returns, without running it.
    virtual std::shared_ptr<const ColumnInfo> Columns(const EngineStatement& statement) = 0;

    // Row writes of updatable recordsets. Insert returns the new row's key.
    virtual QVariant Insert(const QString& table, const QStringList& columns,
                            const QVariantList& values) = 0;
    virtual void Update(const QString& table, const QVariant& key, const QStringList& columns,
                        const QVariantList& values) = 0;

    // Keeps other writers from changing the row until the transaction ends.
    // The file's write transaction holds the whole book already.
    virtual void LockRow(const QString& table, const QString& keyColumn, const QVariant& key) {
        Q_UNUSED(table);
        Q_UNUSED(keyColumn);
        Q_UNUSED(key);
    }

    // A read of several queries: one lock for all of them, and a query
    // repeated inside it may be answered from memory. Any write inside it
    // ends that.
    virtual void BeginRead() = 0;
    virtual void EndRead() = 0;
    // Transactions; savepoints nest inside them or stand alone.
    virtual void Begin() = 0;
    virtual void Commit() = 0;
    virtual void Rollback() = 0;
    virtual bool InTransaction() const = 0;
    virtual void Savepoint(const QString& name) = 0;
    virtual void Release(const QString& name) = 0;
    virtual void RollbackTo(const QString& name) = 0;
    // Opens the savepoint "snapshot": reads inside it see one consistent
    // state of the whole database until it is released.
    virtual void BeginSnapshot() { Savepoint(QStringLiteral("snapshot")); }
};

// A snapshot whose rows have not been read yet: a recordset opened only to
// add rows never needs them. Before anything is written through any
// connection, every such snapshot is taken, so each still shows the rows as
// they were when it was opened. The one writing (a recordset writing back
// its own rows) stays as it is and leaves its own rows out when it reads.
//
// Threads: a snapshot is taken by the thread that opened it (its connection
// is that thread's). A write on a worker thread takes its own and has the
// main thread take the windows' (from its event loop), waiting until it has;
// a write on the main thread takes only the main thread's. A result a window
// opens while a worker's write is already under way may show that write.
class DeferredSnapshot {
  public:
    virtual ~DeferredSnapshot() = default;
    virtual void TakeSnapshot() = 0;

    static void Defer(DeferredSnapshot* snapshot);
    static void Undefer(DeferredSnapshot* snapshot);
    // Takes every deferred snapshot but the writer's (see above for threads).
    // On a worker thread it waits for the main thread's event loop; when that
    // does not serve it within 30 seconds, it raises a DbError.
    static void BeforeWrite();
    // The main thread calls this while it waits for a worker thread without
    // running its event loop (a loop around QThread::wait), so that a write
    // of the worker waiting for the windows' snapshots goes on.
    static void ServeWaiting();
    // The snapshot writing its own rows meanwhile (nullptr when none).
    class Writer {
      public:
        explicit Writer(DeferredSnapshot* self);
        ~Writer();
        Writer(const Writer&) = delete;
        Writer& operator=(const Writer&) = delete;

      private:
        DeferredSnapshot* previous_;
    };
};

// The engine named by the Provider of a connection string.
std::unique_ptr<Engine> CreateEngine(const QString& provider);
