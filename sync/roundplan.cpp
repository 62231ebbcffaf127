// Deciding what each side takes: every card the server changed, every card
// it removed, every party the desk changed or deleted, every new party.

#include "sync/cardmerge.h"
#include "sync/round.h"

namespace {

// A card's key among the kept rows: its UID, or where it has none (cards
// made by hand), its place on the server.
QString KeyOf(const FittedParty& card, const QString& href) {
    const QString uid = card.party[PartyField::Uid];
    return uid.isEmpty() ? QStringLiteral("href:") + href : uid;
}

QString CardName(const FittedParty& card) {
    const QString name = card.party[PartyField::Name];
    return name.isEmpty() ? SyncText("A card without a name") : name;
}

} // namespace

bool PartiesDiffer(const PartyRecord& a, const PartyRecord& b) {
    return !MergeFields(a, a, b).serverChanged.isEmpty();
}

void Round::Plan() {
    Step(SyncText("Comparing the cards with the parties"));
    for (const CardData& card : std::as_const(fetched_))
        PlanChanged(card);
    for (const QString& href : std::as_const(removed_))
        PlanRemoved(href);
    CheckCancel();
    PlanDeskChanges();
    PlanNewParties();
}

// A card new or changed on the server.
void Round::PlanChanged(const CardData& card) {
    const FittedParty server = PartyOfCard(card.card);
    const QString key = KeyOf(server, card.href);
    const SyncCard* row = RowOfHref(card.href);
    if (!row && rows_.contains(key)) row = &rows_[key];
    if (row) doneRows_.insert(row->uid);
    if (row && row->partyId) {
        const BookParty* party = PartyOf(*row);
        if (party) {
            PlanPaired(card, server, row, *party);
            return;
        }
        // Deleted here, changed there: the change wins, the party comes back.
        if (!server.invalid.isEmpty()) {
            report_.leftOnServer.append(CardName(server) + QStringLiteral(": ") + server.invalid);
            here_.append(
                {Here::CardOnly, 0, {}, {0, row->uid, card.href, card.etag, {}, {}}, {}, {}});
            return;
        }
        FittedParty add = server;
        if (!WithGroup(add)) {
            here_.append(
                {Here::CardOnly, 0, {}, {0, row->uid, card.href, card.etag, {}, {}}, {}, {}});
            return;
        }
        here_.append(
            {Here::Add, 0, add, {0, row->uid, card.href, card.etag, card.card, {}}, {}, {}});
        report_.received++;
        report_.notes.append(
            SyncText("%1 was deleted here and changed on the contacts server: it is "
                     "back in the address book.")
                .arg(CardName(server)));
        return;
    }
    // A card this book sent without hearing the answer carries the UID the
    // book gives the party: it is that party's card, not a new one.
    if (const int own = partyOfOwnUid_.value(server.party[PartyField::Uid]);
        own && !uidOfParty_.contains(own) && !handled_.contains(own)) {
        const BookParty* party = book_.Party(own);
        if (party && party->live) {
            PlanPaired(card, server, nullptr, *party);
            return;
        }
    }
    if (!server.invalid.isEmpty()) {
        // A phone's contact without an address or a city: left where it is,
        // and not fetched again until it changes.
        report_.leftOnServer.append(CardName(server) + QStringLiteral(": ") + server.invalid);
        here_.append({Here::CardOnly, 0, {}, {0, key, card.href, card.etag, {}, {}}, {}, {}});
        return;
    }
    FittedParty add = server;
    if (!WithGroup(add)) {
        here_.append({Here::CardOnly, 0, {}, {0, key, card.href, card.etag, {}, {}}, {}, {}});
        return;
    }
    here_.append({Here::Add, 0, add, {0, key, card.href, card.etag, card.card, {}}, {}, {}});
    report_.received++;
}

// A card without a group of the book joins the one the settings name for
// new parties (else the first group taking part); false, with the card left
// on the server, when there is none.
bool Round::WithGroup(FittedParty& add) {
    if (!add.groups.isEmpty()) return true;
    int group = settings_.newPartyGroup;
    if (!book_.groups.contains(group))
        group = settings_.allGroups ? 0 : settings_.groupIds.value(0);
    if (!book_.groups.contains(group)) {
        report_.leftOnServer.append(
            CardName(add) + QStringLiteral(": ") +
            SyncText("no group to join (choose one for new parties in the settings)"));
        return false;
    }
    add.groups = QStringList{book_.groups.value(group)};
    add.party[PartyField::Groups] = add.groups.first();
    return true;
}

// A changed card and its party: merged field by field against the base.
void Round::PlanPaired(const CardData& card, const FittedParty& server, const SyncCard* row,
                       const BookParty& party) {
    handled_.insert(party.id);
    const PartyRecord desk = Desk(party);
    // Without a base (a card sent whose answer was lost) the server's card
    // is the base: what the desk has differently is the desk's change.
    const PartyRecord base =
        row && !row->base.isEmpty() ? PartyOfCard(row->base).party : server.party;
    const FieldMerge m = MergeFields(base, desk, server.party);
    PartyRecord merged = m.merged;
    FittedParty fitted = FitParty(merged);
    if (!fitted.invalid.isEmpty()) {
        // The server's card lost what a party cannot be without: the desk
        // keeps its own, and the card gets it back.
        for (PartyField f : {PartyField::Name, PartyField::Address, PartyField::City,
                             PartyField::State, PartyField::Country})
            merged[f] = desk[f];
        fitted = FitParty(merged);
        report_.notes.append(SyncText("%1: the card on the contacts server had no %2; the address "
                                      "book kept its own and sent it back.")
                                 .arg(Name(party.id), server.invalid.mid(3)));
    }
    merged = fitted.party;
    merged[PartyField::Uid] = desk[PartyField::Uid];
    if (!m.deskChanged.isEmpty() && !m.serverChanged.isEmpty()) report_.merged++;
    for (PartyField f : m.conflicts)
        report_.conflicts.append(
            {party.id, Name(party.id), f, desk[f], server.party[f], server.party});
    const QString uid = row ? row->uid : KeyOf(server, card.href);
    const SyncCard kept{party.id,  uid,       card.href,
                        card.etag, card.card, party.record[PartyField::Uid]};
    const bool send = PartiesDiffer(server.party, merged);
    const QByteArray sent = send ? CardFor(card.card, server.party, merged) : QByteArray();
    fitted = FitParty(merged);
    const bool changeHere = PartiesDiffer(desk, merged);
    here_.append({changeHere ? Here::Update : Here::CardOnly, party.id, fitted, kept,
                  row && row->href != card.href ? row->uid : QString(), desk});
    if (changeHere) report_.received++;
    if (send)
        there_.append(
            {There::Update, party.id, uid, card.href, card.etag, sent, card.card, merged});
}

// A card the server no longer has.
void Round::PlanRemoved(const QString& href) {
    const SyncCard* row = RowOfHref(href);
    if (!row) return;
    doneRows_.insert(row->uid);
    const BookParty* party = PartyOf(*row);
    if (party) handled_.insert(party->id);
    if (!party) {
        here_.append({Here::Forget, 0, {}, {}, row->uid, {}});
        return;
    }
    const PartyRecord desk = Desk(*party);
    const PartyRecord base = PartyOfCard(row->base).party;
    if (PartiesDiffer(base, desk)) {
        // Changed here, deleted there: the change wins, the card comes back.
        PartyRecord now = desk;
        const QByteArray sent = CardFor(row->base, base, now);
        TakeCardsReading(party->id, desk, now);
        there_.append({There::Create, party->id, row->uid, href, {}, sent, row->base, now});
        report_.notes.append(SyncText("%1 was deleted on the contacts server and changed here: it "
                                      "was sent again.")
                                 .arg(Name(party->id)));
        return;
    }
    here_.append({Here::Delete, party->id, {}, {}, row->uid, desk});
    report_.deletedHere++;
}

// Parties the desk changed or deleted whose cards the server left alone.
void Round::PlanDeskChanges() {
    int done = 0;
    for (const SyncCard& row : std::as_const(rows_)) {
        if (++done % 1000 == 0) {
            Step(SyncText("Comparing the cards with the parties"), done, int(rows_.size()));
            CheckCancel();
        }
        if (!row.partyId || doneRows_.contains(row.uid)) continue;
        const BookParty* party = PartyOf(row);
        if (!party) {
            there_.append({There::Delete, row.partyId, row.uid, row.href, row.etag, {}, {}, {}});
            continue;
        }
        const PartyRecord desk = Desk(*party);
        const PartyRecord base = PartyOfCard(row.base).party;
        if (!PartiesDiffer(base, desk)) continue;
        PartyRecord now = desk;
        const QByteArray sent = CardFor(row.base, base, now);
        TakeCardsReading(party->id, desk, now);
        there_.append({There::Update, party->id, row.uid, row.href, row.etag, sent, row.base, now});
    }
}

// The card to send: the stored one with the fields where `now` differs from
// `was` written in. Where the card then reads otherwise (a cleared e-mail
// whose card holds a second one, which is now the e-mail), `now` takes the
// card's reading, so that the desk stores it and the next round finds both
// sides agreeing, instead of clearing one more e-mail each round.
QByteArray Round::CardFor(const QByteArray& stored, const PartyRecord& was,
                          PartyRecord& now) const {
    QList<PartyField> otherwise;
    const QByteArray card = MergeIntoCard(stored, was, now, &otherwise);
    if (!otherwise.isEmpty()) {
        const PartyRecord reads = PartyOfCard(card).party;
        for (PartyField f : otherwise)
            now[f] = reads[f];
    }
    return card;
}

// A desk party whose card reads otherwise than the party after sending: the
// party takes the card's reading in the round's transaction.
void Round::TakeCardsReading(int partyId, const PartyRecord& desk, const PartyRecord& now) {
    if (!PartiesDiffer(desk, now)) return;
    const FittedParty fitted = FitParty(now);
    if (!fitted.invalid.isEmpty()) return;
    here_.append({Here::Update, partyId, fitted, {}, {}, desk});
    reading_.insert(partyId);
}

// Parties with no card yet.
void Round::PlanNewParties() {
    for (const BookParty& party : std::as_const(book_.parties)) {
        if (!party.live || uidOfParty_.contains(party.id) || handled_.contains(party.id) ||
            !TakesPart(party))
            continue;
        const PartyRecord desk = Desk(party);
        const QString uid = desk[PartyField::Uid];
        there_.append({There::Create,
                       party.id,
                       uid,
                       CardDavClient::HrefFor(settings_.bookUrl, uid),
                       {},
                       NewCard(desk, uid),
                       {},
                       desk});
    }
}
