#include "importexport/exportfile.h"

#include "data/userfile.h"
#include "importexport/partyformats.h"

QByteArray ExportBytes(const BookData& book, const QList<int>& ids, ExportFormat format,
                       const std::function<bool(int, int)>& progress) {
    QString text;
    if (format == ExportFormat::Csv) text = QChar(0xFEFF) + CsvRecord(CsvHeader());
    const int total = int(ids.size());
    for (int i = 0; i < total; ++i) {
        if (progress && i % 500 == 0 && !progress(i, total)) return QByteArray();
        const BookParty* p = book.Party(ids[i]);
        if (!p) continue;
        if (format == ExportFormat::Csv)
            text += CsvRecord(CsvFields(p->record));
        else
            text += VCardText(p->record,
                              format == ExportFormat::VCard4 ? VCardVersion::V4 : VCardVersion::V3);
    }
    if (progress) progress(total, total);
    return text.toUtf8();
}

bool WriteExportFile(const QString& file, const QByteArray& bytes, QString* error) {
    try {
        UserFile::Write(file, bytes);
    } catch (const std::exception& e) {
        *error = QString::fromUtf8(e.what());
        return false;
    }
    return true;
}

QString ExportSuffix(ExportFormat format) {
    return format == ExportFormat::Csv ? QStringLiteral(".csv") : QStringLiteral(".vcf");
}
