// Storing what the book takes from a round: all of it in one transaction.

#include "data/connection.h"
#include "party/importwriter.h"
#include "sync/round.h"

#include <QDateTime>
#include <algorithm>

namespace {

ImportRow RowFor(const FittedParty& fitted, int partyId) {
    ImportRow row;
    row.fitted = fitted;
    if (partyId) {
        row.status = RowStatus::Duplicate;
        row.choice = DuplicateChoice::Update;
        row.match.rule = DuplicateRule::Uid;
        row.match.id = partyId;
    }
    return row;
}

// The card's party stored as the card has it: every field, its groups
// instead of the party's (where it names any), cities as import finds them.
ImportOptions Exact() {
    ImportOptions options;
    options.exact = true;
    return options;
}

// A party deleted as the address master deletes one: its links go with it.
void DeleteParty(Connection& conn, int partyId) {
    conn.Execute(
        QStringLiteral("delete from adrsgrpdtails where adrsconcrnid like '%1'").arg(partyId));
    conn.Execute(QStringLiteral("delete from adrsmstr where adrsid like '%1'").arg(partyId));
}

} // namespace

void Round::StoreHere() {
    Step(SyncText("Storing the server's changes"));
    InTransaction(conn_, [&] {
        KeepLaterEdits();
        for (const SyncCard& row : std::as_const(named_))
            SyncStore::PutCard(conn_, row);
        QList<ImportRow> rows;
        QList<qsizetype> of;
        for (qsizetype i = 0; i < here_.size(); ++i) {
            const Here& h = here_[i];
            if (h.kind != Here::Add && h.kind != Here::Update) continue;
            rows.append(RowFor(h.fitted, h.kind == Here::Update ? h.partyId : 0));
            of.append(i);
        }
        if (!rows.isEmpty()) {
            const ImportResult stored = WriteImport(conn_, rows, Exact());
            for (qsizetype k = 0; k < of.size(); ++k)
                here_[of[k]].card.partyId = stored.ids.value(k);
        }
        for (const Here& h : std::as_const(here_)) {
            if (h.kind == Here::Skip) continue;
            if (h.kind == Here::Delete) DeleteParty(conn_, h.partyId);
            if (!h.forgetUid.isEmpty() && h.forgetUid != h.card.uid)
                SyncStore::RemoveCard(conn_, h.forgetUid);
            if (h.kind != Here::Delete && h.kind != Here::Forget && !h.card.uid.isEmpty())
                SyncStore::PutCard(conn_, h.card);
        }
        // The server's state as this round found it, before it sent anything:
        // what others change meanwhile is listed next time.
        SyncSettings s = SyncStore::LoadSettings(conn_);
        s.syncToken = token_;
        s.ctag = ctag_;
        s.lastSync = QDateTime::currentDateTime().toString(QStringLiteral("yyyy-MM-dd HH:mm:ss"));
        SyncStore::SaveSettings(conn_, s);
    });
    here_.clear();
}

// A party changed or deleted at a desk while the round ran is not written
// over: the round leaves it, and its card row, for the next round, which
// merges that change too. Runs inside the round's transaction.
void Round::KeepLaterEdits() {
    const bool anyParty = std::any_of(here_.begin(), here_.end(), [](const Here& h) {
        return h.partyId &&
               (h.kind == Here::Update || h.kind == Here::Delete || h.kind == Here::CardOnly);
    });
    if (!anyParty) return; // nothing the desk could have changed meanwhile
    const BookData now = ReadBook(conn_);
    QSet<int> left;
    for (Here& h : here_) {
        if (h.kind != Here::Update && h.kind != Here::Delete && h.kind != Here::CardOnly) continue;
        if (!h.partyId) continue;
        const BookParty* p = now.Party(h.partyId);
        const BookParty* was = book_.Party(h.partyId);
        if (p && p->live && was && !PartiesDiffer(Desk(*was), Desk(*p))) continue;
        if (h.kind == Here::Update && !reading_.contains(h.partyId)) report_.received--;
        if (h.kind == Here::Delete) report_.deletedHere--;
        h.kind = Here::Skip;
        left.insert(h.partyId);
    }
    there_.removeIf([&](const There& t) { return left.contains(t.partyId); });
}

void Round::StoreCard(const SyncCard& card) {
    InTransaction(conn_, [&] { SyncStore::PutCard(conn_, card); });
}

// A party the server's card brings back or changes after the round's own
// transaction (found while sending): stored on its own.
int Round::StoreParty(const FittedParty& fitted, int partyId, const SyncCard& card) {
    int id = partyId;
    InTransaction(conn_, [&] {
        const ImportResult stored = WriteImport(conn_, {RowFor(fitted, partyId)}, Exact());
        id = stored.ids.value(0);
        SyncCard row = card;
        row.partyId = id;
        SyncStore::PutCard(conn_, row);
    });
    return id;
}
