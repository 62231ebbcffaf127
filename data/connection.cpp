#include "data/connection.h"

#include "data/connstring.h"
#include "data/dberror.h"

Connection::~Connection() = default;

Connection::Parts Connection::Parse(const QString& connectionString) {
    const ConnString::Parts p = ConnString::Parse(connectionString);
    return Parts{p.provider, p.dataSource, p.password};
}

void Connection::Open(const QString& connectionString, const QString&, const QString&, int) {
    const Parts parts = Parse(connectionString);
    if (parts.dataSource.isEmpty())
        throw DbError(QStringLiteral("The connection string names no data source."));
    auto engine = CreateEngine(parts.provider);
    engine->Open(parts.dataSource, parts.password);
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

void Connection::Verify() {
    engine().Verify();
}

Engine& Connection::engine() {
    if (!State()) throw DbError(QStringLiteral("The database connection is not open."));
    return *engine_;
}

QString Connection::IntegrityCheck() {
    Engine& e = engine();
    ResultTable rows;
    e.Run(EngineStatement{QStringLiteral("PRAGMA integrity_check"), {}, {}, false}, &rows);
    QStringList found;
    for (int r = 0; r < rows.RowCount(); ++r)
        found << rows.Text(r, 0);
    return found.isEmpty() ? QStringLiteral("the check gave no answer") : found.join(u'\n');
}

bool Connection::ReadOnly() const {
    return engine_ && engine_->ReadOnly();
}

qint64 Connection::Execute(const QString& text) {
    Engine& e = engine();
    return e.Run(e.Translate(text), nullptr);
}

void Connection::BeginRead() {
    engine().BeginRead();
}
void Connection::EndRead() {
    engine().EndRead();
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
