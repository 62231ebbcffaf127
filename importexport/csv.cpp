#include "importexport/csv.h"

#include <QMap>

namespace {

// Splits records from `text`; used both for the delimiter guess (a few
// records) and for the whole reading.
class Reader {
  public:
    Reader(const QString& text, QChar delimiter) : text_(text), delimiter_(delimiter) {}
    qsizetype Pos() const { return pos_; }

    // The next record into `fields`; false at the end of the text.
    bool Next(QStringList& fields, QStringList& warnings) {
        fields.clear();
        if (pos_ >= text_.size()) return false;
        startLine_ = line_;
        const qsizetype recordStart = pos_;
        QString field;
        bool quoted = false, cutField = false, cutRecord = false;
        // Each field is kept at its own size; the buffer it was read into
        // serves the next one.
        auto push = [&] {
            if (fields.size() < kMostCsvFields)
                fields.append(QString(field.constData(), field.size()));
            else
                cutRecord = true;
            field.truncate(0);
        };
        auto add = [&](QChar c) {
            if (field.size() < kLargestCsvField)
                field.append(c);
            else
                cutField = true;
        };
        while (pos_ < text_.size()) {
            const QChar c = text_[pos_++];
            if (quoted) {
                if (c == u'"') {
                    if (pos_ < text_.size() && text_[pos_] == u'"') {
                        add(c);
                        ++pos_;
                    } else {
                        quoted = false;
                    }
                } else {
                    if (c == u'\n') ++line_;
                    add(c);
                }
            } else if (c == u'"' && field.isEmpty()) {
                quoted = true;
            } else if (c == delimiter_) {
                push();
            } else if (c == u'\r' || c == u'\n') {
                if (c == u'\r' && pos_ < text_.size() && text_[pos_] == u'\n') ++pos_;
                ++line_;
                push();
                break;
            } else {
                add(c);
            }
        }
        if (quoted) {
            // The quote swallowed the rest of the file: nothing from here on
            // can be trusted.
            warnings.append(QStringLiteral("A quote opened on line %1 is never closed; "
                                           "the file is read up to that line only.")
                                .arg(startLine_));
            pos_ = text_.size();
            fields.clear();
            Q_UNUSED(recordStart);
            return false;
        }
        if (pos_ >= text_.size() && !(text_.endsWith(u'\n') || text_.endsWith(u'\r'))) push();
        if (cutField)
            warnings.append(QStringLiteral("Line %1: a field longer than %2 characters was cut.")
                                .arg(startLine_)
                                .arg(kLargestCsvField));
        if (cutRecord)
            warnings.append(QStringLiteral("Line %1: fields after the first %2 were left out.")
                                .arg(startLine_)
                                .arg(kMostCsvFields));
        return true;
    }
    int StartLine() const { return startLine_; }
    void Skip(qsizetype chars) { pos_ = chars; }

  private:
    const QString& text_;
    QChar delimiter_;
    qsizetype pos_ = 0;
    int line_ = 1;
    int startLine_ = 1;
};

bool IsBlank(const QStringList& fields) {
    for (const QString& f : fields)
        if (!f.trimmed().isEmpty()) return false;
    return true;
}

// Excel writes "sep=;" as the first line to name the delimiter.
qsizetype SepLine(const QString& text, QChar* delimiter) {
    if (!text.startsWith(QLatin1String("sep="), Qt::CaseInsensitive) || text.size() < 5) return 0;
    qsizetype end = 5;
    if (end < text.size() && text[end] == u'\r') ++end;
    if (end < text.size() && text[end] == u'\n')
        ++end;
    else if (end < text.size())
        return 0;
    *delimiter = text[4];
    return end;
}

QString DelimiterWord(QChar d) {
    if (d == u',') return QStringLiteral("commas");
    if (d == u';') return QStringLiteral("semicolons");
    return QStringLiteral("tabs");
}

// Records of one field in a file of several, whose text another delimiter
// splits into three fields or more (two thirds of the first record's at
// least), were written with that delimiter: they are split by it and named
// in a warning rather than read whole into one column.
void SplitMixedRecords(CsvTable& table) {
    const qsizetype width = table.records.value(0).size();
    if (table.records.size() < 2 || width < 2) return;
    QMap<QChar, QList<int>> mixed;
    for (qsizetype i = 1; i < table.records.size(); ++i) {
        QStringList& record = table.records[i];
        if (record.size() != 1) continue;
        for (QChar d : {u',', u';', u'\t'}) {
            if (d == table.delimiter || !record[0].contains(d)) continue;
            Reader reader(record[0], d);
            QStringList fields, warnings;
            reader.Next(fields, warnings);
            if (fields.size() < qMax<qsizetype>(3, width * 2 / 3)) continue;
            record = fields;
            mixed[d].append(table.lines.value(i));
            break;
        }
    }
    for (auto it = mixed.cbegin(); it != mixed.cend(); ++it) {
        QStringList lines;
        for (int line : it.value().mid(0, 10))
            lines.append(QString::number(line));
        table.warnings.append(
            QStringLiteral("The file mixes delimiters: %1 %2%3 %4 separated by %5, the rest by "
                           "%6. They were split by their own; check them.")
                .arg(it.value().size() == 1 ? QStringLiteral("line") : QStringLiteral("lines"),
                     lines.join(QStringLiteral(", ")),
                     it.value().size() > 10 ? QStringLiteral(" ...") : QString(),
                     it.value().size() == 1 ? QStringLiteral("is") : QStringLiteral("are"),
                     DelimiterWord(it.key()), DelimiterWord(table.delimiter)));
    }
}

} // namespace

QChar DetectDelimiter(const QString& text) {
    QChar named;
    if (SepLine(text, &named)) return named;
    const QChar candidates[] = {u',', u';', u'\t'};
    QChar best = u',';
    double bestScore = 0;
    for (QChar d : candidates) {
        Reader reader(text, d);
        QStringList fields, warnings;
        QList<int> widths;
        while (widths.size() < 20 && reader.Next(fields, warnings))
            if (!IsBlank(fields)) widths.append(int(fields.size()));
        if (widths.isEmpty() || widths.first() < 2) continue;
        int even = 0;
        for (int w : widths)
            if (w == widths.first()) ++even;
        // Many fields, the same number in every record.
        const double score = widths.first() * double(even) / widths.size();
        if (score > bestScore) {
            bestScore = score;
            best = d;
        }
    }
    return best;
}

CsvTable ReadCsv(const QString& text, QChar delimiter, const ReadProgress& progress) {
    CsvTable table;
    QChar named;
    const qsizetype skip = SepLine(text, &named);
    table.delimiter = !delimiter.isNull() ? delimiter : DetectDelimiter(text);
    Reader reader(text, table.delimiter);
    reader.Skip(skip);
    QStringList fields;
    for (qsizetype n = 0; reader.Next(fields, table.warnings); ++n) {
        Report(progress, n, reader.Pos(), text.size());
        if (IsBlank(fields)) continue;
        if (table.records.size() >= kMostCsvRecords) {
            table.warnings.append(
                QStringLiteral("Only the first %1 records were read.").arg(kMostCsvRecords));
            break;
        }
        table.records.append(fields);
        table.lines.append(reader.StartLine() + (skip ? 1 : 0));
    }
    SplitMixedRecords(table);
    return table;
}

QString CsvRecord(const QStringList& fields, QChar delimiter) {
    QString out;
    for (qsizetype i = 0; i < fields.size(); ++i) {
        if (i) out += delimiter;
        const QString& f = fields[i];
        if (f.contains(delimiter) || f.contains(u'"') || f.contains(u'\n') || f.contains(u'\r')) {
            QString q = f;
            q.replace(QLatin1String("\""), QLatin1String("\"\""));
            out += u'"' + q + u'"';
        } else {
            out += f;
        }
    }
    out += QLatin1String("\r\n");
    return out;
}
