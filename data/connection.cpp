#include "data/connection.h"

#include "data/dberror.h"

Connection::~Connection() = default;

Connection::Parts Connection::Parse(const QString& connectionString) {
    Parts parts;
    const QStringList pairs = connectionString.split(u';', Qt::SkipEmptyParts);
    for (const QString& pair : pairs) {
        const qsizetype eq = pair.indexOf(u'=');
        if (eq < 0) continue;
        const QString key = pair.left(eq).trimmed().toLower();
        QString value = pair.mid(eq + 1).trimmed();
        if (value.size() >= 2 && value.startsWith(u'\'') && value.endsWith(u'\''))
            value = value.mid(1, value.size() - 2);
        if (key == QLatin1String("provider"))
            parts.provider = value;
        else if (key == QLatin1String("data source"))
            parts.dataSource = value;
        else if (key.endsWith(QLatin1String("database password")) ||
                 key == QLatin1String("password"))
            parts.password = value;
    }
#ifndef Q_OS_WIN
    // The folder and the file name are joined with a backslash.
    parts.dataSource.replace(u'\\', u'/');
#endif
    return parts;
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
