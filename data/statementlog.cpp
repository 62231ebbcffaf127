#include "data/statementlog.h"

namespace {
QStringList* watcher = nullptr;
}

void StatementLog::Watch(QStringList* log) {
    watcher = log;
}

void StatementLog::Record(const QString& text) {
    if (watcher) watcher->append(text);
}
