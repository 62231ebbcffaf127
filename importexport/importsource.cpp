#include "importexport/importsource.h"

#include "importexport/partyformats.h"
#include "importexport/textdecode.h"

#include <QFile>
#include <QFileInfo>

QString DelimiterName(QChar d) {
    if (d == u',') return QStringLiteral("comma");
    if (d == u';') return QStringLiteral("semicolon");
    if (d == u'\t') return QStringLiteral("tab");
    return QStringLiteral("\"%1\"").arg(d);
}

ContactsFile ReadContactsFile(const QString& path, const ReadProgress& progress) {
    ContactsFile file;
    QFile in(path);
    if (!in.open(QIODevice::ReadOnly)) {
        file.error = QStringLiteral("The file could not be opened: %1").arg(in.errorString());
        return file;
    }
    if (in.size() > kLargestImportFile) {
        file.error = QStringLiteral("The file is %1 MB; an import reads files of at most %2 MB. "
                                    "Nothing was read.")
                         .arg(in.size() / (1024 * 1024))
                         .arg(kLargestImportFile / (1024 * 1024));
        return file;
    }
    return ReadContacts(in.read(kLargestImportFile), path, progress);
}

ContactsFile ReadContacts(const QByteArray& bytes, const QString& name,
                          const ReadProgress& progress) {
    ContactsFile file;
    const DecodedText decoded = DecodeText(bytes);
    if (!decoded.error.isEmpty()) {
        file.error = decoded.error;
        return file;
    }
    file.encoding = decoded.encoding;
    const QString start = decoded.text.left(4096).trimmed();
    file.vcard =
        start.startsWith(QLatin1String("BEGIN:VCARD"), Qt::CaseInsensitive) ||
        (QFileInfo(name).suffix().compare(QLatin1String("vcf"), Qt::CaseInsensitive) == 0 &&
         start.contains(QLatin1String("BEGIN:VCARD"), Qt::CaseInsensitive));
    if (file.vcard) {
        const VCardFile cards = ReadVCards(decoded.text, Part(progress, 0, 0.7));
        const ReadProgress records = Part(progress, 0.7, 1);
        file.source.format = QStringLiteral("vCard, %1").arg(decoded.encoding);
        file.source.warnings = cards.warnings;
        for (const VCard& card : cards.cards) {
            Report(records, file.source.records.size(), file.source.records.size(),
                   cards.cards.size());
            QString notice;
            file.source.records.append(RecordFromVCard(card, &notice));
            file.source.lines.append(card.line);
            file.source.notices.append(notice);
        }
        if (cards.cards.isEmpty()) file.error = QStringLiteral("The file holds no vCards.");
        return file;
    }
    file.text = decoded.text;
    ApplyDelimiter(file, QChar(), progress);
    if (file.csv.records.isEmpty() && file.error.isEmpty())
        file.error = QStringLiteral("The file holds no records.");
    return file;
}

void ApplyDelimiter(ContactsFile& file, QChar delimiter, const ReadProgress& progress) {
    file.csv = ReadCsv(file.text, delimiter, Part(progress, 0, 0.6));
    file.header = file.csv.records.value(0);
    file.mapping = GuessMapping(file.header);
    ApplyMapping(file, file.mapping, Part(progress, 0.6, 1));
}

void ApplyMapping(ContactsFile& file, const QVector<PartyField>& mapping,
                  const ReadProgress& progress) {
    file.mapping = mapping;
    ImportSource& s = file.source;
    s = ImportSource();
    s.format = QStringLiteral("CSV, %1, %2").arg(DelimiterName(file.csv.delimiter), file.encoding);
    s.warnings = file.csv.warnings;
    for (qsizetype i = 1; i < file.csv.records.size(); ++i) {
        Report(progress, i, i, file.csv.records.size());
        s.records.append(RecordFromCsv(file.csv.records[i], mapping));
        s.lines.append(file.csv.lines.value(i));
        s.notices.append(QString());
    }
}
