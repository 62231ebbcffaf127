#pragma once
// The benchmark's floors on a database server, timed on libpq itself: each
// statement as the server engine sends it (prepared, its values bound as
// text), every value of every row read; F2 adds one prepared lookup of the
// row's city per row, a round trip each, as the windows issue them.

#include "data/engine.h"

#include <QByteArray>
#include <QList>

struct pg_conn;

class PgFloors {
  public:
    explicit PgFloors(const QByteArray& conninfo); // throws a DbError when it cannot connect
    ~PgFloors();
    PgFloors(const PgFloors&) = delete;
    PgFloors& operator=(const PgFloors&) = delete;

    struct Times {
        double f1 = 0, f2 = 0; // ms
    };
    Times Time(const QList<EngineStatement>& statements, bool lookups);

  private:
    pg_conn* pg_;
    int named_ = 0;
};
