#include "importexport/exportfile.h"

#include "data/privatefile.h"
#include "importexport/partyformats.h"

#include <QSaveFile>

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
    QSaveFile out(file);
    if (!out.open(QIODevice::WriteOnly)) {
        *error = out.errorString();
        return false;
    }
    // Owner-only before the first byte lands, and again on the final name.
    out.setPermissions(QFileDevice::ReadOwner | QFileDevice::WriteOwner);
    if (out.write(bytes) != bytes.size()) {
        *error = out.errorString();
        out.cancelWriting();
        return false;
    }
    if (!out.commit()) {
        *error = out.errorString();
        return false;
    }
    MakePrivate(file);
    return true;
}

QString ExportSuffix(ExportFormat format) {
    return format == ExportFormat::Csv ? QStringLiteral(".csv") : QStringLiteral(".vcf");
}
