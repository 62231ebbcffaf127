#include "sync/round.h"

#include "data/connection.h"
#include "data/dberror.h"
#include "sync/cardmerge.h"
#include "sync/syncerror.h"

#include <QDateTime>

namespace {

// Cards fetched per request, and so between two progress steps.
constexpr int kFetchBatch = 100;

// The user stopped the round between two steps.
struct Stopped {};

} // namespace

Round::Round(Connection& conn, CardDavClient& dav, const SyncSettings& settings,
             const SyncHooks& hooks)
    : conn_(conn), dav_(dav), settings_(settings), hooks_(hooks) {}

SyncReport Round::Run() {
    try {
        if (conn_.ReadOnly()) {
            report_.error =
                SyncText("The address book is open for reading only: it cannot take the "
                         "contacts server's changes.");
            return report_;
        }
        SyncLock lock(conn_);
        if (!lock.Held()) {
            report_.error = SyncText("Another desk is synchronizing this address book with the "
                                     "contacts server now. Try again when it has finished.");
            return report_;
        }
        Begin();
        List();
        Fetch();
        Plan();
        CheckCancel();
        StoreHere();
        Send();
        AdvanceToken();
        Step(SyncText("Synchronized"));
    } catch (const Stopped&) {
        report_.cancelled = true;
    } catch (const SyncError& e) {
        if (e.kind == SyncError::Cancelled) {
            report_.cancelled = true;
        } else {
            report_.error = e.text();
            report_.authFailed = e.kind == SyncError::Auth;
            if (e.kind == SyncError::Certificate) {
                report_.certificateSha256 = e.sha256;
                report_.certificateSubject = e.subject;
            }
        }
    } catch (const DbError& e) {
        report_.error = SyncText("The address book could not be read or written: %1")
                            .arg(QString::fromStdString(e.what()));
    } catch (const std::exception& e) {
        report_.error = QString::fromStdString(e.what());
    }
    return report_;
}

void Round::Step(const QString& text, int done, int total) {
    if (hooks_.progress) hooks_.progress(text, done, total);
}

void Round::CheckCancel() const {
    if (hooks_.cancelled && hooks_.cancelled()) throw Stopped();
}

// The book as it is now, and the cards both sides agreed on last time.
void Round::Begin() {
    Step(SyncText("Reading the address book"));
    if (!SyncStore::HasTables(conn_)) SyncStore::EnsureTables(conn_);
    // The token and tag of the last round are the book's, not the copy of
    // the settings the round was started with.
    const SyncSettings stored = SyncStore::LoadSettings(conn_);
    settings_.syncToken = stored.syncToken;
    settings_.ctag = stored.ctag;
    book_ = ReadBook(conn_);
    for (const BookParty& p : book_.parties)
        partyOfOwnUid_.insert(p.record[PartyField::Uid], p.id);
    for (SyncCard row : SyncStore::LoadCards(conn_)) {
        // A party added by the last round was given its UID as it was stored.
        if (row.partyId && row.partyUid.isEmpty())
            if (const BookParty* p = book_.Party(row.partyId)) {
                row.partyUid = p->record[PartyField::Uid];
                named_.append(row);
            }
        rows_.insert(row.uid, row);
        uidOfHref_.insert(row.href, row.uid);
        if (PartyOf(row)) uidOfParty_.insert(row.partyId, row.uid);
    }
    CheckCancel();
}

// What changed on the server since the last round: by its sync token where
// it keeps one, else by comparing every card's ETag with the one kept.
void Round::List() {
    Step(SyncText("Asking the contacts server what changed"));
    const QString book = settings_.bookUrl;
    const CardDavClient::BookState state = dav_.State(book);
    ctag_ = state.ctag;
    QList<CardRef> changed;
    bool listed = false;
    if (state.syncCollection) {
        try {
            const CardDavClient::Changes c = dav_.SyncCollection(book, settings_.syncToken);
            changed = c.changed;
            removed_ = c.removed;
            token_ = c.token;
            listed = true;
        } catch (const SyncError& e) {
            // A token the server no longer knows: list everything instead.
            if (e.kind != SyncError::Protocol || settings_.syncToken.isEmpty()) throw;
        }
    }
    if (!listed) {
        fullListing_ = true;
        if (!state.syncCollection)
            token_.clear();
        else
            token_ = state.syncToken;
        if (!ctag_.isEmpty() && ctag_ == settings_.ctag) {
            changed.clear(); // the collection's tag says nothing changed
        } else {
            const QList<CardRef> all = dav_.ListCards(book);
            QSet<QString> present;
            for (const CardRef& ref : all) {
                present.insert(ref.href);
                changed.append(ref);
            }
            for (const SyncCard& row : std::as_const(rows_))
                if (!present.contains(row.href)) removed_.append(row.href);
        }
    }
    // Cards whose ETag is the one kept are as this book last saw them (its
    // own sends of the last round among them).
    QList<CardRef> wanted;
    for (const CardRef& ref : std::as_const(changed)) {
        const SyncCard* row = RowOfHref(ref.href);
        if (!row || row->etag.isEmpty() || row->etag != ref.etag) wanted.append(ref);
    }
    pending_ = wanted;
    CheckCancel();
}

void Round::Fetch() {
    const int total = int(pending_.size());
    for (int i = 0; i < total; i += kFetchBatch) {
        Step(SyncText("Receiving cards"), i, total);
        QStringList hrefs;
        for (int k = i; k < std::min(total, i + kFetchBatch); ++k)
            hrefs.append(pending_[k].href);
        fetched_.append(dav_.MultiGet(settings_.bookUrl, hrefs));
        CheckCancel();
    }
    pending_.clear();
}

// The token kept is the one from before this round sent anything. A card it
// sent and a phone then deleted may be missing from the next listing from
// that token (a server need not name members made and removed since), so
// when everything since then is this round's own doing, the newer token is
// kept instead.
void Round::AdvanceToken() {
    if (token_.isEmpty() || there_.isEmpty()) return;
    CardDavClient::Changes since;
    try {
        since = dav_.SyncCollection(settings_.bookUrl, token_);
    } catch (const SyncError& e) {
        if (e.kind == SyncError::Cancelled) throw;
        return; // the older token serves as well, at the cost of a longer listing
    }
    QHash<QString, QString> etagOfHref;
    for (const SyncCard& row : SyncStore::LoadCards(conn_))
        etagOfHref.insert(row.href, row.etag);
    for (const CardRef& ref : since.changed)
        if (etagOfHref.value(ref.href) != ref.etag || ref.etag.isEmpty()) return;
    for (const QString& href : since.removed)
        if (etagOfHref.contains(href)) return;
    InTransaction(conn_, [&] {
        SyncSettings s = SyncStore::LoadSettings(conn_);
        if (s.syncToken != token_) return;
        s.syncToken = since.token;
        SyncStore::SaveSettings(conn_, s);
    });
}

bool Round::TakesPart(const BookParty& party) const {
    if (settings_.allGroups) return true;
    for (int g : party.groupIds)
        if (settings_.groupIds.contains(g)) return true;
    return false;
}

// The party as the book has it, in the fitted form cards are compared in.
PartyRecord Round::Desk(const BookParty& party) const {
    PartyRecord desk = FitParty(party.record).party;
    desk[PartyField::Uid] = party.record[PartyField::Uid];
    return desk;
}

// The party a card row stands for; nullptr when it was deleted, or when a
// party added since has its id.
const BookParty* Round::PartyOf(const SyncCard& row) const {
    const BookParty* p = row.partyId ? book_.Party(row.partyId) : nullptr;
    if (!p || !p->live) return nullptr;
    if (!row.partyUid.isEmpty() && row.partyUid != p->record[PartyField::Uid]) return nullptr;
    return p;
}

const SyncCard* Round::RowOfHref(const QString& href) const {
    const auto uid = uidOfHref_.constFind(href);
    if (uid == uidOfHref_.constEnd()) return nullptr;
    const auto row = rows_.constFind(*uid);
    return row == rows_.constEnd() ? nullptr : &*row;
}

QString Round::Name(int partyId) const {
    return book_.Describe(partyId);
}

SyncReport SyncRound(Connection& conn, CardDavClient& dav, const SyncSettings& settings,
                     const SyncHooks& hooks) {
    Round round(conn, dav, settings, hooks);
    return round.Run();
}
