#include "pgfloors.h"

#include "data/dberror.h"

#include <QElapsedTimer>
#include <QVector>
#include <libpq-fe.h>

namespace {

double ms(const QElapsedTimer& t) {
    return double(t.nsecsElapsed()) / 1e6;
}

// Reads every value of every row, as a list would.
qint64 readAll(PGresult* r) {
    qint64 bytes = 0;
    for (int row = 0; row < PQntuples(r); ++row)
        for (int c = 0; c < PQnfields(r); ++c)
            bytes += qstrlen(PQgetvalue(r, row, c));
    return bytes;
}

} // namespace

PgFloors::PgFloors(const QByteArray& conninfo) : pg_(PQconnectdb(conninfo.constData())) {
    if (PQstatus(pg_) != CONNECTION_OK) {
        const QString why = QString::fromUtf8(PQerrorMessage(pg_)).simplified();
        PQfinish(pg_);
        throw DbError(QStringLiteral("The floors' connection failed: %1").arg(why));
    }
    PQclear(PQprepare(pg_, "city", "SELECT * FROM cscmstr WHERE ctyid = $1", 0, nullptr));
}

PgFloors::~PgFloors() {
    PQfinish(pg_);
}

PgFloors::Times PgFloors::Time(const QList<EngineStatement>& statements, bool lookups) {
    Times t;
    for (const EngineStatement& st : statements) {
        const QByteArray name = "f" + QByteArray::number(++named_);
        PQclear(PQprepare(pg_, name.constData(), st.sql.toUtf8().constData(), 0, nullptr));
        QVector<QByteArray> texts;
        QVector<const char*> values;
        for (const QVariant& v : st.params)
            texts << v.toString().toUtf8();
        for (const QByteArray& text : texts)
            values << text.constData();
        QElapsedTimer clock;
        clock.start();
        PGresult* r = PQexecPrepared(pg_, name.constData(), int(values.size()), values.constData(),
                                     nullptr, nullptr, 0);
        readAll(r);
        const double alone = ms(clock);
        t.f1 += alone;
        const int city = PQfnumber(r, "adrsctyid");
        if (lookups && city >= 0) {
            clock.restart();
            PQclear(r);
            r = PQexecPrepared(pg_, name.constData(), int(values.size()), values.constData(),
                               nullptr, nullptr, 0);
            readAll(r);
            for (int row = 0; row < PQntuples(r); ++row) {
                if (PQgetisnull(r, row, city)) continue;
                const char* id = PQgetvalue(r, row, city);
                PGresult* c = PQexecPrepared(pg_, "city", 1, &id, nullptr, nullptr, 0);
                readAll(c);
                PQclear(c);
            }
            t.f2 += ms(clock);
        } else {
            t.f2 += alone;
        }
        PQclear(r);
        PQclear(PQexec(pg_, ("DEALLOCATE " + name).constData()));
    }
    return t;
}
