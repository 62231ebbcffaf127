#include "data/dberror.h"
#include "data/engine.h"
#include "data/pgengine.h"
#include "data/sqlcipherengine.h"

std::unique_ptr<Engine> CreateEngine(const QString& provider) {
    const QString p = provider.trimmed().toLower();
    if (p.isEmpty() || p.startsWith(QLatin1String("sqlcipher")) ||
        p.startsWith(QLatin1String("microsoft.jet")))
        return std::make_unique<SqlCipherEngine>();
    if (p.startsWith(QLatin1String("postgres")) || p == QLatin1String("pgsql"))
        return std::make_unique<PgEngine>();
    throw DbError(QStringLiteral("Unknown database provider \"%1\".").arg(provider));
}
