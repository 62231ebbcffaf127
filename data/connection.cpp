#include "data/connection.h"

#include "data/connstring.h"
#include "data/dberror.h"

Connection::~Connection() = default;

Connection::Parts Connection::Parse(const QString& connectionString) {
    return ConnString::Parse(connectionString);
}

void Connection::Open(const QString& connectionString, const QString&, const QString&, int) {
    const Parts parts = Parse(connectionString);
    if (parts.dataSource.isEmpty() && !parts.IsServer())
        throw DbError(QStringLiteral("The connection string names no data source."));
    auto engine = CreateEngine(parts.provider);
    engine->Connect(parts);
    engine_ = std::move(engine);
}

void Connection::Close() {
    engine_.reset();
}

int Connection::State() const {
    return engine_ && engine_->IsOpen() ? 1 : 0;
}

QString Connection::File() const {
    return engine_ ? engine_->File() : QString();
}

QString Connection::Where() const {
    return engine_ ? engine_->Where() : QString();
}

void Connection::Verify() {
    engine().Verify();
}

Engine& Connection::engine() {
    if (!State()) throw DbError(QStringLiteral("The database connection is not open."));
    return *engine_;
}

qint64 Connection::Execute(const QString& text) {
    Engine& e = engine();
    return e.Run(e.Translate(text), nullptr);
}

void Connection::BeginRead() {
    engine().Savepoint(QStringLiteral("one_read"));
}
void Connection::EndRead() {
    engine().Release(QStringLiteral("one_read"));
}

void Connection::BeginTrans() {
    engine().Begin();
}
void Connection::CommitTrans() {
    engine().Commit();
}
void Connection::RollbackTrans() {
    engine().Rollback();
}
bool Connection::InTransaction() const {
    return engine_ && engine_->InTransaction();
}
