#include "importexport/importsource.h"

#include "importexport/headernames.h"
#include "importexport/partyformats.h"
#include "party/textdecode.h"
#include "party/vcardtext.h"

#include <QFile>
#include <QFileInfo>

namespace {

bool Holds(const PartyRecord& r, bool (*test)(QChar)) {
    for (const QString& v : r.v)
        for (QChar c : v)
            if (test(c)) return true;
    return false;
}

// Marks the records whose letters may be misread, each with a notice.
void NoteDoubts(ContactsFile& file) {
    ImportSource& s = file.source;
    file.unreadable.clear();
    file.doubtful.clear();
    for (qsizetype i = 0; i < s.records.size(); ++i) {
        QString doubt;
        if (Holds(s.records[i], [](QChar c) { return c.unicode() == kUnreadable; })) {
            file.unreadable.append(s.lines.value(i));
            doubt =
                QStringLiteral("letters that %1 cannot read (shown as \uFFFD)").arg(file.encoding);
        } else if (file.guessed &&
                   Holds(s.records[i], [](QChar c) { return c.unicode() >= 0x80; })) {
            file.doubtful.append(s.lines.value(i));
            doubt = QStringLiteral("letters read as %1, a guess").arg(file.encoding);
        }
        if (doubt.isEmpty()) continue;
        QString& notice = s.notices[i];
        notice = notice.isEmpty() ? doubt : doubt + QStringLiteral("; ") + notice;
    }
}

QString Lines(const QList<int>& lines) {
    QStringList shown;
    for (int line : lines.mid(0, 10))
        shown.append(QString::number(line));
    return (lines.size() == 1 ? QStringLiteral("line ") : QStringLiteral("lines ")) +
           shown.join(QStringLiteral(", ")) +
           (lines.size() > 10 ? QStringLiteral(" ...") : QString());
}

} // namespace

QString EncodingWarning(const ContactsFile& file) {
    QStringList said;
    if (!file.unreadable.isEmpty())
        said.append(QStringLiteral("%1 record(s) hold letters that %2 cannot read (%3).")
                        .arg(file.unreadable.size())
                        .arg(file.encoding, Lines(file.unreadable)));
    if (!file.doubtful.isEmpty())
        said.append(QStringLiteral("The file does not say its encoding; it was read as %1, a "
                                   "guess. Check the letters of %2 record(s) (%3).")
                        .arg(file.encoding)
                        .arg(file.doubtful.size())
                        .arg(Lines(file.doubtful)));
    if (said.isEmpty()) return QString();
    return said.join(u' ') + QStringLiteral(" If they look wrong, read the file again in "
                                            "its encoding.");
}

QString DelimiterName(QChar d) {
    if (d == u',') return QStringLiteral("comma");
    if (d == u';') return QStringLiteral("semicolon");
    if (d == u'\t') return QStringLiteral("tab");
    return QStringLiteral("\"%1\"").arg(d);
}

ContactsFile ReadContactsFile(const QString& path, const ReadProgress& progress,
                              const QString& encoding) {
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
    return ReadContacts(in.read(kLargestImportFile), path, progress, encoding);
}

ContactsFile ReadContacts(QByteArray bytes, const QString& name, const ReadProgress& progress,
                          const QString& encoding) {
    ContactsFile file;
    // vCards are judged card by card and line by line, unless the file is
    // UTF-16 (whose bytes do not show ASCII as it is).
    const bool utf16 = encoding.startsWith(QLatin1String("UTF-16"), Qt::CaseInsensitive) ||
                       bytes.startsWith("\xFF\xFE") || bytes.startsWith("\xFE\xFF") ||
                       (encoding.isEmpty() && !Utf16WithoutMark(bytes).isEmpty());
    const bool vcardBytes = !utf16 && StartsLikeVCards(bytes, name);
    const DecodedText decoded =
        vcardBytes ? DecodeVCardBytes(bytes, encoding) : DecodeText(bytes, encoding);
    bytes = QByteArray(); // the text is all that is read from here on
    if (!decoded.error.isEmpty()) {
        file.error = decoded.error;
        return file;
    }
    file.encoding = decoded.encoding;
    file.guessed = decoded.guessed;
    const QString start = decoded.text.left(4096).trimmed();
    file.vcard =
        vcardBytes || start.startsWith(QLatin1String("BEGIN:VCARD"), Qt::CaseInsensitive) ||
        (QFileInfo(name).suffix().compare(QLatin1String("vcf"), Qt::CaseInsensitive) == 0 &&
         start.contains(QLatin1String("BEGIN:VCARD"), Qt::CaseInsensitive));
    if (file.vcard) {
        // Each card becomes its record as it is read; the cards are not kept.
        const VCardFile cards = ReadVCards(decoded.text, progress, [&](const VCard& card) {
            QString notice;
            file.source.records.append(RecordFromVCard(card, &notice));
            file.source.lines.append(card.line);
            file.source.notices.append(notice);
        });
        file.source.format = QStringLiteral("vCard, %1").arg(decoded.encoding);
        file.source.warnings = cards.warnings;
        NoteDoubts(file);
        if (file.source.records.isEmpty()) file.error = QStringLiteral("The file holds no vCards.");
        return file;
    }
    file.text = decoded.text;
    ApplyDelimiter(file, QChar(), progress);
    if (file.csv.records.isEmpty() && file.error.isEmpty())
        file.error = QStringLiteral("The file holds no records.");
    return file;
}

namespace {
// The decoded text is kept for another delimiter or mapping; while it waits
// it is kept as UTF-8, which holds the usual letters in half the memory.
void packText(ContactsFile& file) {
    file.packed = file.text.toUtf8();
    file.text = QString();
}
void unpackText(ContactsFile& file) {
    if (!file.text.isEmpty() || file.packed.isEmpty()) return;
    file.text = QString::fromUtf8(file.packed);
    file.packed = QByteArray();
}
} // namespace

bool CanReadAgain(const ContactsFile& file) {
    return !file.vcard && (!file.text.isEmpty() || !file.packed.isEmpty());
}

void ApplyDelimiter(ContactsFile& file, QChar delimiter, const ReadProgress& progress) {
    unpackText(file);
    file.csv = ReadCsv(file.text, delimiter, Part(progress, 0, 0.6));
    file.header = file.csv.records.value(0);
    file.headerless = FirstRecordIsData(file.header);
    if (file.headerless) {
        file.mapping = MappingByContent(file.csv.records);
        file.header.clear();
        for (qsizetype c = 0; c < file.mapping.size(); ++c)
            file.header.append(QStringLiteral("Column %1").arg(c + 1));
    } else {
        file.mapping = GuessMapping(file.header);
    }
    ApplyMapping(file, file.mapping, Part(progress, 0.6, 1));
}

void ApplyMapping(ContactsFile& file, const QVector<PartyField>& mapping,
                  const ReadProgress& progress) {
    unpackText(file);
    if (file.sampled) {
        file.csv = ReadCsv(file.text, file.csv.delimiter);
        file.sampled = false;
    }
    file.mapping = mapping;
    ImportSource& s = file.source;
    s = ImportSource();
    s.format = QStringLiteral("CSV, %1, %2").arg(DelimiterName(file.csv.delimiter), file.encoding);
    s.warnings = file.csv.warnings;
    if (file.headerless)
        s.warnings.append(QStringLiteral("The file has no header line: its first line is read as "
                                         "a party. Choose the field of each column."));
    const QStringList header = file.headerless ? QStringList() : file.header;
    // The records live on in `source`: the table keeps its first few, for
    // the window, and is read again from the text for another mapping. Each
    // further record is let go as soon as it is mapped.
    constexpr qsizetype kKept = 20;
    s.records.reserve(file.csv.records.size());
    for (qsizetype i = file.headerless ? 0 : 1; i < file.csv.records.size(); ++i) {
        Report(progress, i, i, file.csv.records.size());
        QString notice;
        s.records.append(RecordFromCsv(file.csv.records[i], mapping, header, &notice));
        if (i >= kKept) file.csv.records[i] = QStringList();
        s.lines.append(file.csv.lines.value(i));
        s.notices.append(notice);
    }
    NoteDoubts(file);
    if (file.csv.records.size() > kKept) {
        file.csv.records.resize(kKept);
        file.csv.records.squeeze();
        file.csv.lines.resize(kKept);
        file.csv.lines.squeeze();
        file.sampled = true;
    }
    packText(file);
}
