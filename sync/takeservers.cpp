// The report's "take the server's" for a conflict.

#include "data/connection.h"
#include "party/bookdata.h"
#include "party/importwriter.h"
#include "sync/syncround.h"

#include <QCoreApplication>

bool TakeServersValue(Connection& conn, const SyncConflict& conflict, QString* error) {
    auto fail = [&](const QString& text) {
        if (error) *error = text;
        return false;
    };
    try {
        const BookData book = ReadBook(conn);
        const BookParty* party = book.Party(conflict.partyId);
        if (!party || !party->live)
            return fail(QCoreApplication::translate("SyncRound",
                                                    "The party is no longer in the address book."));
        PartyRecord record = FitParty(party->record).party;
        // A city comes with its state and country.
        const bool city = conflict.field == PartyField::City ||
                          conflict.field == PartyField::State ||
                          conflict.field == PartyField::Country;
        if (city) {
            for (PartyField f : {PartyField::City, PartyField::State, PartyField::Country})
                record[f] = conflict.theirs[f];
        } else {
            record[conflict.field] = conflict.theirs[conflict.field];
        }
        ImportRow row;
        row.fitted = FitParty(record);
        if (!row.fitted.invalid.isEmpty())
            return fail(QCoreApplication::translate("SyncRound",
                                                    "The server's value cannot be stored: %1.")
                            .arg(row.fitted.invalid));
        row.status = RowStatus::Duplicate;
        row.choice = DuplicateChoice::Update;
        row.match.rule = DuplicateRule::Uid;
        row.match.id = party->id;
        ImportOptions options;
        options.exact = true;
        ApplyImport(conn, {row}, options);
        return true;
    } catch (const std::exception& e) {
        return fail(QString::fromStdString(e.what()));
    }
}
