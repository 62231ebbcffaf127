#include "party/importplan.h"

namespace {

PartyKeys KeysOf(const PartyRecord& p) {
    return PartyKeys::Of(p[PartyField::Uid], p[PartyField::Name], p[PartyField::Phone],
                         p[PartyField::Mobile], p[PartyField::Email]);
}

// A city the book lacks is added as the file gives it; the user is told
// when the file leaves its state or country empty.
QString NewCityNote(const PartyRecord& p, const BookData& book) {
    const QString& city = p[PartyField::City];
    const bool state = !p[PartyField::State].isEmpty(), country = !p[PartyField::Country].isEmpty();
    if (city.isEmpty() || (state && country) ||
        book.CityFor(city, p[PartyField::State], p[PartyField::Country]))
        return QString();
    return QStringLiteral("new city %1 with no %2")
        .arg(city, !state && !country ? "state or country"
                   : state            ? "country"
                                      : "state");
}

} // namespace

QList<ImportRow> PlanImport(const ImportSource& source, const BookData& book,
                            const ReadProgress& progress) {
    DuplicateIndex index;
    for (const BookParty& p : book.parties)
        index.Add(p.id, KeysOf(p.record));
    QList<ImportRow> rows;
    rows.reserve(source.records.size());
    for (qsizetype i = 0; i < source.records.size(); ++i) {
        Report(progress, i, i, source.records.size());
        ImportRow row;
        row.line = source.lines.value(i);
        row.fitted = FitParty(source.records[i]);
        QStringList notes;
        if (!source.notices.value(i).isEmpty()) notes.append(source.notices[i]);
        if (!row.fitted.cut.isEmpty())
            notes.append(QStringLiteral("shortened: ") + row.fitted.cut.join(QStringLiteral(", ")));
        if (const QString city = NewCityNote(row.fitted.party, book); !city.isEmpty())
            notes.append(city);
        if (!row.fitted.compact.isEmpty())
            notes.append(QStringLiteral("written compact: ") +
                         row.fitted.compact.join(QStringLiteral(", ")));
        if (!row.fitted.invalid.isEmpty()) {
            row.status = RowStatus::Invalid;
            notes.prepend(row.fitted.invalid);
        } else if (const DuplicateMatch m = index.Find(KeysOf(row.fitted.party))) {
            row.status = RowStatus::Duplicate;
            row.match = m;
            const QString whom =
                m.id > 0 ? book.Describe(m.id)
                         : QStringLiteral("line %1 of this file").arg(rows.value(-m.id - 1).line);
            notes.prepend(QStringLiteral("same %1 as %2").arg(RuleWords(m.rule), whom));
        } else {
            index.Add(-int(i) - 1, KeysOf(row.fitted.party));
        }
        row.reason = notes.join(QStringLiteral("; "));
        rows.append(row);
    }
    return rows;
}

QString StatusText(RowStatus status) {
    switch (status) {
    case RowStatus::New:
        return QStringLiteral("new");
    case RowStatus::Duplicate:
        return QStringLiteral("duplicate");
    case RowStatus::Invalid:
        return QStringLiteral("invalid");
    }
    return QString();
}

QString ChoiceText(DuplicateChoice choice) {
    switch (choice) {
    case DuplicateChoice::Skip:
        return QStringLiteral("Skip");
    case DuplicateChoice::Update:
        return QStringLiteral("Update the existing party");
    case DuplicateChoice::Add:
        return QStringLiteral("Add anyway");
    }
    return QString();
}

ImportCounts CountPlan(const QList<ImportRow>& rows) {
    ImportCounts c;
    for (const ImportRow& r : rows) {
        if (r.status == RowStatus::Invalid)
            ++c.invalid;
        else if (r.status == RowStatus::New)
            ++c.add;
        else if (r.choice == DuplicateChoice::Add)
            ++c.add;
        // An earlier row of the same file is not in the book yet: only
        // "add anyway" stores it; update skips it.
        else if (r.choice == DuplicateChoice::Update && r.match.id > 0)
            ++c.update;
        else
            ++c.skip;
    }
    return c;
}
