#include "data/desklock.h"

#include <QRandomGenerator>
#include <limits>

namespace DeskLock {

namespace {
// The two numbers of each lock: the book's is "ADRS" "BOOK", a desk's is
// "DESK" and the desk's number.
constexpr qint32 kBookSpace = 0x41445253;
constexpr qint32 kBook = 0x424f4f4b;
constexpr qint32 kDeskSpace = 0x4445534b;
constexpr qint32 kSync = 0x53594e43; // "SYNC"
} // namespace

qint32 ThisDesk() {
    static const qint32 desk =
        qint32(QRandomGenerator::system()->bounded(1, std::numeric_limits<qint32>::max()));
    return desk;
}

QByteArray HoldSql() {
    return QStringLiteral("SELECT pg_advisory_lock_shared(%1, %2), pg_advisory_lock_shared(%3, %4)")
        .arg(kBookSpace)
        .arg(kBook)
        .arg(kDeskSpace)
        .arg(ThisDesk())
        .toLatin1();
}

QString TryExclusiveSql() {
    return QStringLiteral("Select pg_try_advisory_xact_lock(%1, %2)").arg(kBookSpace).arg(kBook);
}

QString TrySyncSql() {
    return QStringLiteral("SELECT pg_try_advisory_lock(%1, %2)::integer")
        .arg(kBookSpace)
        .arg(kSync);
}

QString ReleaseSyncSql() {
    return QStringLiteral("SELECT pg_advisory_unlock(%1, %2)::integer").arg(kBookSpace).arg(kSync);
}

QString CountSql() {
    return QStringLiteral(
               "Select count(distinct objid) filter (where objid <> %2), count(*) filter (where "
               "objid = %2) from pg_locks where locktype = 'advisory' and granted and classid = "
               "%1 and objsubid = 2 and pid <> pg_backend_pid() and database = (Select oid from "
               "pg_database where datname = current_database())")
        .arg(kDeskSpace)
        .arg(ThisDesk());
}

} // namespace DeskLock
