#pragma once
// Every statement text a recordset is opened on can be watched, so that the
// tests and the benchmark see exactly what the windows issue.

#include <QStringList>

namespace StatementLog {
// Starts (or, with nullptr, stops) collecting the statement texts of the
// calling thread into `log`.
void Watch(QStringList* log);
void Record(const QString& text);
} // namespace StatementLog
