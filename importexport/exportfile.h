#pragma once
// Writing parties to a file: CSV (UTF-8 with a byte-order mark, so that
// spreadsheet programs show accents and Indian scripts) or vCards. The file
// appears whole or not at all and is readable by its owner only.

#include "party/bookdata.h"

#include <QByteArray>
#include <functional>

enum class ExportFormat { Csv, VCard4, VCard3 };

// `progress(done, total)` now and then; returning false stops the export
// (the result is then empty).
QByteArray ExportBytes(const BookData& book, const QList<int>& ids, ExportFormat format,
                       const std::function<bool(int, int)>& progress = {});

// Writes the bytes whole or not at all, never over the book or one of its
// files (data/userfile.h); false with `error` set, naming the file and the
// cause, on failure.
bool WriteExportFile(const QString& file, const QByteArray& bytes, QString* error);

// The usual file name ending of a format: ".csv" or ".vcf".
QString ExportSuffix(ExportFormat format);
