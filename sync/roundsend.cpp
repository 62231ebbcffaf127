// Sending the desk's changes, card by card: each one recorded as soon as the
// server has it, so that a round stopped halfway loses nothing and sends
// nothing twice.

#include "data/connection.h"
#include "sync/cardmerge.h"
#include "sync/round.h"
#include "sync/syncerror.h"

namespace {

// How often a card changed again on the server while it was being sent is
// fetched and merged anew before the round gives up on it.
constexpr int kMostMerges = 3;

bool Success(int status) {
    return status >= 200 && status < 300;
}

} // namespace

void Round::Send() {
    const int total = int(there_.size());
    for (int i = 0; i < total; ++i) {
        CheckCancel();
        Step(SyncText("Sending changes"), i, total);
        const There& t = there_[i];
        try {
            switch (t.kind) {
            case There::Create:
                SendCreate(t, 0);
                break;
            case There::Update:
                SendUpdate(t, 0);
                break;
            case There::Delete:
                SendDelete(t);
                break;
            }
        } catch (const SyncError& e) {
            // A card the server refuses is that card's failure; a server
            // that cannot be reached or refuses everyone stops the round.
            if (e.kind != SyncError::Server || e.status < 400 || e.status >= 500 || e.status == 401)
                throw;
            report_.failures.append(Name(t.partyId) + QStringLiteral(": ") + e.text());
        }
    }
}

void Round::SendCreate(const There& t, int merges) {
    const CardDavClient::PutResult put = dav_.Create(t.href, t.card);
    if (put.status == 412) {
        // Something is there already: this book's own card whose answer was
        // lost (the same UID), or another card that took the name.
        const CardData theirs = dav_.Get(t.href);
        if (PartyOfCard(theirs.card).party[PartyField::Uid] == t.uid) {
            Reconcile(t, theirs, t.card, merges);
            return;
        }
        There again = t;
        again.href = CardDavClient::HrefFor(settings_.bookUrl, t.uid + QStringLiteral("-") +
                                                                   QString::number(merges + 1));
        if (merges >= kMostMerges) {
            report_.failures.append(Name(t.partyId) + QStringLiteral(": ") +
                                    SyncText("the server holds other cards under its names"));
            return;
        }
        SendCreate(again, merges + 1);
        return;
    }
    if (!Success(put.status)) {
        report_.failures.append(Name(t.partyId) + QStringLiteral(": ") +
                                SyncText("the server answered %1").arg(put.status));
        return;
    }
    Sent(t, put);
}

void Round::SendUpdate(const There& t, int merges) {
    const CardDavClient::PutResult put = dav_.Update(t.href, t.etag, t.card);
    if (put.status == 412) {
        // Changed on the server since it was listed: fetch, merge, again.
        CardData theirs;
        try {
            theirs = dav_.Get(t.href);
        } catch (const SyncError& e) {
            if (e.status != 404) throw;
            There create = t;
            create.kind = There::Create;
            SendCreate(create, merges);
            return;
        }
        if (merges >= kMostMerges) {
            report_.failures.append(Name(t.partyId) + QStringLiteral(": ") +
                                    SyncText("the card kept changing on the server; it is merged "
                                             "next time"));
            return;
        }
        Reconcile(t, theirs, t.base, merges + 1);
        return;
    }
    if (put.status == 404) {
        // Deleted on the server meanwhile, changed here: the change wins.
        There create = t;
        create.kind = There::Create;
        SendCreate(create, merges);
        return;
    }
    if (!Success(put.status)) {
        report_.failures.append(Name(t.partyId) + QStringLiteral(": ") +
                                SyncText("the server answered %1").arg(put.status));
        return;
    }
    Sent(t, put);
}

// The server took the card: its ETag and the card as both sides now have it
// are kept (fetched when the server did not say, or may have changed it).
void Round::Sent(const There& t, const CardDavClient::PutResult& put) {
    const QString href = put.href.isEmpty() ? t.href : put.href;
    SyncCard row{t.partyId, t.uid, href, put.etag, t.card, t.desk[PartyField::Uid]};
    if (put.etag.isEmpty()) {
        const CardData stored = dav_.Get(href);
        row.etag = stored.etag;
        row.base = stored.card;
    }
    StoreCard(row);
    report_.sent++;
}

void Round::SendDelete(const There& t) {
    const int status = dav_.Delete(t.href, t.etag);
    if (status == 412) {
        // Changed there, deleted here: the change wins, the party comes back.
        const CardData theirs = dav_.Get(t.href);
        const FittedParty server = PartyOfCard(theirs.card);
        if (!server.invalid.isEmpty()) {
            report_.leftOnServer.append(server.party[PartyField::Name] + QStringLiteral(": ") +
                                        server.invalid);
            StoreCard({0, t.uid, theirs.href, theirs.etag, {}, {}});
            return;
        }
        StoreParty(server, 0, {0, t.uid, theirs.href, theirs.etag, theirs.card, {}});
        report_.received++;
        report_.notes.append(
            SyncText("%1 was deleted here and changed on the contacts server: it is "
                     "back in the address book.")
                .arg(server.party[PartyField::Name]));
        return;
    }
    if (!Success(status) && status != 404) {
        report_.failures.append(Name(t.partyId) + QStringLiteral(": ") +
                                SyncText("the server answered %1").arg(status));
        return;
    }
    InTransaction(conn_, [&] { SyncStore::RemoveCard(conn_, t.uid); });
    report_.deletedThere++;
}

// The server's card met while sending `t`, merged against `base`: the book
// takes the server's changes, the server the book's.
void Round::Reconcile(const There& t, const CardData& theirs, const QByteArray& base, int merges) {
    const FittedParty server = PartyOfCard(theirs.card);
    const PartyRecord was = base.isEmpty() ? server.party : PartyOfCard(base).party;
    const FieldMerge m = MergeFields(was, t.desk, server.party);
    FittedParty fitted = FitParty(m.merged);
    if (!fitted.invalid.isEmpty()) fitted = FitParty(t.desk);
    PartyRecord merged = fitted.party;
    merged[PartyField::Uid] = t.desk[PartyField::Uid];
    for (PartyField f : m.conflicts)
        report_.conflicts.append(
            {t.partyId, Name(t.partyId), f, t.desk[f], server.party[f], server.party});
    const bool send = PartiesDiffer(server.party, merged);
    const QByteArray sent = send ? CardFor(theirs.card, server.party, merged) : QByteArray();
    const SyncCard row{t.partyId,   t.uid,       theirs.href,
                       theirs.etag, theirs.card, t.desk[PartyField::Uid]};
    if (PartiesDiffer(t.desk, merged)) {
        StoreParty(FitParty(merged), t.partyId, row);
        report_.received++;
        if (!m.deskChanged.isEmpty()) report_.merged++;
    } else {
        StoreCard(row);
    }
    if (send)
        SendUpdate(
            {There::Update, t.partyId, t.uid, theirs.href, theirs.etag, sent, theirs.card, merged},
            merges);
}
