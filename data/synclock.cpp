#include "data/synclock.h"

#include "data/desklock.h"
#include "data/resulttable.h"
#include "data/synctables.h"

#include <QFileInfo>
#include <QMutex>
#include <QSet>

namespace {
QMutex filesLock;
QSet<QString>& filesSyncing() {
    static QSet<QString> files;
    return files;
}

QString fileKey(const QString& file) {
    const QFileInfo info(file);
    const QString canonical = info.canonicalFilePath();
    return canonical.isEmpty() ? info.absoluteFilePath() : canonical;
}
} // namespace

SyncLock::SyncLock(Connection& conn) : conn_(conn) {
    server_ = SyncTables::OnServer(conn);
    if (server_) {
        ResultTable r;
        SyncTables::Run(conn, DeskLock::TrySyncSql(), {}, &r);
        held_ = r.RowCount() == 1 && r.Value(0, 0).toInt() == 1;
        return;
    }
    file_ = fileKey(conn.File());
    const QMutexLocker locker(&filesLock);
    if (filesSyncing().contains(file_)) return;
    filesSyncing().insert(file_);
    held_ = true;
}

SyncLock::~SyncLock() {
    if (!held_) return;
    if (!server_) {
        const QMutexLocker locker(&filesLock);
        filesSyncing().remove(file_);
        return;
    }
    // A connection closed or lost meanwhile has let it go with its session.
    try {
        if (conn_.State()) SyncTables::Run(conn_, DeskLock::ReleaseSyncSql());
    } catch (...) {
    }
}
