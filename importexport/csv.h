#pragma once
// Comma-separated values as RFC 4180 has them: fields quoted with double
// quotes when they hold the delimiter, a quote or a line break, quotes
// doubled inside, records ended by CR LF (LF alone is read too). The reader
// also takes semicolons or tabs (spreadsheets in many countries save with
// semicolons), detected from the first records, and Excel's "sep=" line.
// Records written with another delimiter than the rest are split by their
// own and named in a warning.

#include "party/progress.h"

#include <QChar>
#include <QList>
#include <QString>
#include <QStringList>

// Limits that keep a hostile file from eating memory or time: longer fields
// are cut, further fields and records are left out, each with a warning.
constexpr int kLargestCsvField = 10000;
constexpr int kMostCsvFields = 200;
constexpr int kMostCsvRecords = 100000;

struct CsvTable {
    QChar delimiter = u',';
    QList<QStringList> records;
    QList<int> lines;     // the line each record starts on, counted from 1
    QStringList warnings; // what was cut or left out, for the user
};

// The delimiter among comma, semicolon and tab that splits the first
// records most evenly (comma when nothing tells them apart).
QChar DetectDelimiter(const QString& text);

// Reads every record. A quote opened and never closed ends the reading at
// the record it opens, with a warning naming its line.
CsvTable ReadCsv(const QString& text, QChar delimiter = QChar(), const ReadProgress& progress = {});

// One record, fields quoted where needed, ended by CR LF.
QString CsvRecord(const QStringList& fields, QChar delimiter = u',');
