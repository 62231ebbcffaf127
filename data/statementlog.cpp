#include "data/statementlog.h"

#include <QThread>
#include <atomic>

namespace {
// The log belongs to the thread that watches: a worker thread's statements
// (the sync, on its own connection) are not the windows' and are left out.
std::atomic<QStringList*> watcher = nullptr;
std::atomic<QThread*> watching = nullptr;
} // namespace

void StatementLog::Watch(QStringList* log) {
    watching = QThread::currentThread();
    watcher = log;
}

void StatementLog::Record(const QString& text) {
    QStringList* log = watcher;
    if (log && watching == QThread::currentThread()) log->append(text);
}
