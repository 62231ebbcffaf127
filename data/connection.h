#pragma once
// A connection to the address book's database file, opened with a
// connection string of the form
//   PROVIDER=<engine>;Data Source=<folder>\adrsbookHXS.mdb;Jet OLEDB:Database
//   Password='<password>';
// The provider picks the engine; the data source and the password are read
// from the string. Transactions follow the old BeginTrans/CommitTrans style.

#include "data/engine.h"

#include <QHash>
#include <QString>
#include <memory>

class Connection {
  public:
    Connection() = default;
    ~Connection();
    Connection(const Connection&) = delete;
    Connection& operator=(const Connection&) = delete;

    void Open(const QString& connectionString, const QString& user = QString(),
              const QString& password = QString(), int options = -1);
    void Close();
    int State() const; // 1 while open, 0 when closed
    QString File() const;
    // Where the data lives, for messages: the file, or the database and its server.
    QString Where() const;
    // Reads the whole database; a damaged file raises a DbError.
    void Verify();
    // The engine's full check of every page, table and index: "ok", or
    // what it found wrong.
    QString IntegrityCheck();
    // True when the book can only be read (its file or its folder).
    bool ReadOnly() const;
    // True when the book could be read now, without waiting: no other
    // program holds a lock that keeps readers out. False when closed.
    bool CanRead();

    // Runs a statement that returns no rows; returns the rows it changed.
    qint64 Execute(const QString& text);

    // A statement text of the windows as the engine runs it. Translations
    // are kept (a window issues the same few texts again and again) until
    // the engine learns its columns anew or the connection closes.
    EngineStatement Translate(const QString& text);

    // Runs a translated statement, and writes rows of a recordset. Before
    // anything is written, every deferred snapshot is taken (see
    // DeferredSnapshot): the rule is kept here, once, for every engine.
    qint64 Run(const EngineStatement& statement, ResultTable* rows);
    QVariant Insert(const QString& table, const QStringList& columns, const QVariantList& values);
    void Update(const QString& table, const QVariant& key, const QStringList& columns,
                const QVariantList& values);

    // A read of several queries: the file is locked and checked once for all
    // of them, and a query repeated inside it gives the rows it gave before.
    void BeginRead();
    void EndRead();

    // A read of the whole book as one consistent snapshot (a backup).
    void BeginSnapshot();
    void EndSnapshot();

    void BeginTrans();
    void CommitTrans();
    void RollbackTrans();
    bool InTransaction() const;

    Engine& engine();

    // The pieces of a connection string, as this layer reads them.
    using Parts = ConnString::Parts;
    static Parts Parse(const QString& connectionString);

  private:
    void forgetTranslations();

    std::unique_ptr<Engine> engine_;
    QHash<QString, EngineStatement> translated_;
    quint64 translatedFor_ = 0; // the engine's DialectVersion() they were made in
};

// Runs `work` in one transaction on `conn`: committed when it returns,
// rolled back (and the error passed on) when it throws.
template <class Work> void InTransaction(Connection& conn, Work&& work) {
    conn.BeginTrans();
    try {
        work();
        conn.CommitTrans();
    } catch (...) {
        try {
            conn.RollbackTrans();
        } catch (...) {
        }
        throw;
    }
}

// Runs `work`, which only reads, inside one read of `conn`.
template <class Work> void InOneRead(Connection& conn, Work&& work) {
    conn.BeginRead();
    try {
        work();
    } catch (...) {
        try {
            conn.EndRead();
        } catch (...) {
        }
        throw;
    }
    conn.EndRead();
}
