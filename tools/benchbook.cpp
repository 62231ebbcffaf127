#include "tools/benchbook.h"

#include "data/connection.h"
#include "data/connmodule.h"
#include "data/connstring.h"
#include "data/recordset.h"
#include "data/schema.h"

#include <QFileInfo>

namespace {

constexpr int kGroupsTicked = 15; // the save case ticks groups 5, 10 and 15
constexpr int kCityChosen = 4;    // and chooses the fourth city

QString Opened(Connection& conn, const QString& file) {
    try {
        conn.Open(ConnString::ForFile(QFileInfo(file).absoluteFilePath(),
                                      QString::fromLatin1(kDatabasePassword)));
        Schema::RequireTables(conn);
    } catch (const std::exception& e) {
        return QString::fromUtf8(e.what());
    }
    return {};
}

qint64 Count(Connection& conn, const QString& query) {
    Recordset rs;
    rs.Open(query, &conn);
    return rs.Fields(0).Value().toLongLong();
}

} // namespace

QString BenchBookUnreadable(const QString& file) {
    Connection conn;
    return Opened(conn, file);
}

QString BenchBookTooSmall(const QString& file, int runs) {
    Connection conn;
    if (QString why = Opened(conn, file); !why.isEmpty()) return why;
    try {
        // The address master's cases load the first `runs` parties listed
        // for "S", among those the benchmark keeps (ids up to 32000).
        const qint64 parties = Count(
            conn, QStringLiteral("Select count(*) from adrsmstr where adrsname like '%S%' and "
                                 "adrsid <= 32000"));
        const qint64 groups = Count(conn, QStringLiteral("Select count(*) from adrsgrupmstr"));
        const qint64 cities =
            Count(conn, QStringLiteral("Select count(*) from cscmstr where delstatus like '0'"));
        if (parties >= runs && groups >= kGroupsTicked && cities >= kCityChosen) return {};
        return QStringLiteral("%1 holds %2 parties with an S in their names, %3 groups and %4 "
                              "cities; the benchmark needs at least %5, %6 and %7: make a book "
                              "with adrsbook-gendb")
            .arg(file)
            .arg(parties)
            .arg(groups)
            .arg(cities)
            .arg(runs)
            .arg(kGroupsTicked)
            .arg(kCityChosen);
    } catch (const std::exception& e) {
        return QString::fromUtf8(e.what());
    }
}
