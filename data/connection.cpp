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
    forgetTranslations();
}

void Connection::Close() {
    engine_.reset();
    forgetTranslations();
}

void Connection::forgetTranslations() {
    translated_.clear();
    translatedFor_ = engine_ ? engine_->DialectVersion() : 0;
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

QString Connection::IntegrityCheck() {
    return engine().IntegrityCheck();
}

bool Connection::ReadOnly() const {
    return engine_ && engine_->ReadOnly();
}

bool Connection::CanRead() {
    return engine_ && engine_->IsOpen() && engine_->CanRead();
}

qint64 Connection::Execute(const QString& text) {
    return Run(Translate(text), nullptr);
}

EngineStatement Connection::Translate(const QString& text) {
    constexpr int kTranslations = 4096;
    const Engine& e = engine();
    if (e.DialectVersion() != translatedFor_) {
        translated_.clear();
        translatedFor_ = e.DialectVersion();
    }
    const auto found = translated_.constFind(text);
    if (found != translated_.constEnd()) return *found;
    if (translated_.size() >= kTranslations) translated_.clear();
    return *translated_.insert(text, e.Translate(text));
}

qint64 Connection::Run(const EngineStatement& statement, ResultTable* rows) {
    Engine& e = engine();
    if (e.Writes(statement)) DeferredSnapshot::BeforeWrite();
    return e.Run(statement, rows);
}

QVariant Connection::Insert(const QString& table, const QStringList& columns,
                            const QVariantList& values) {
    Engine& e = engine();
    DeferredSnapshot::BeforeWrite();
    return e.Insert(table, columns, values);
}

void Connection::Update(const QString& table, const QVariant& key, const QStringList& columns,
                        const QVariantList& values) {
    Engine& e = engine();
    DeferredSnapshot::BeforeWrite();
    e.Update(table, key, columns, values);
}

void Connection::BeginRead() {
    engine().BeginRead();
}
void Connection::EndRead() {
    engine().EndRead();
}

void Connection::BeginSnapshot() {
    engine().BeginSnapshot();
}
void Connection::EndSnapshot() {
    engine().Release(QStringLiteral("snapshot"));
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
