#pragma once
// The inside of a sync round (see syncround.h): what it learnt from both
// sides and what it is going to do about it.

#include "party/bookdata.h"
#include "sync/carddavclient.h"
#include "sync/syncround.h"

#include <QCoreApplication>
#include <QHash>
#include <QSet>

// A text of the round for the user, in the round's translation context.
inline QString SyncText(const char* text) {
    return QCoreApplication::translate("SyncRound", text);
}

// Whether `b` differs from `a` in a field a party stores.
bool PartiesDiffer(const PartyRecord& a, const PartyRecord& b);

class Round {
  public:
    Round(Connection& conn, CardDavClient& dav, const SyncSettings& settings,
          const SyncHooks& hooks);
    SyncReport Run();

  private:
    // A change the book takes in this round's one transaction.
    struct Here {
        enum Kind { Add, Update, Delete, CardOnly, Forget, Skip } kind = CardOnly;
        int partyId = 0;    // Update, Delete
        FittedParty fitted; // Add, Update
        SyncCard card;      // the card row to keep (CardOnly, Add, Update)
        QString forgetUid;  // Forget, Delete: the card row to drop
        PartyRecord desk;   // Update, Delete: the party as the round read it
    };
    // A change sent to the server after the book has taken its own.
    struct There {
        enum Kind { Create, Update, Delete } kind = Create;
        int partyId = 0;
        QString uid, href, etag;
        QByteArray card;  // what is sent (Create, Update)
        QByteArray base;  // the base it was merged on (Update)
        PartyRecord desk; // the party as the book has it (Create, Update)
    };

    // 1. Listing and fetching (round.cpp)
    void Begin();
    void List();
    void Fetch();
    // 2. Deciding (roundplan.cpp)
    void Plan();
    void PlanChanged(const CardData& card);
    void PlanPaired(const CardData& card, const FittedParty& server, const SyncCard* row,
                    const BookParty& party);
    void PlanRemoved(const QString& href);
    void PlanDeskChanges();
    void PlanNewParties();
    bool WithGroup(FittedParty& add);
    QByteArray CardFor(const QByteArray& stored, const PartyRecord& was, PartyRecord& now) const;
    void TakeCardsReading(int partyId, const PartyRecord& desk, const PartyRecord& now);
    // 3. Storing (roundstore.cpp)
    void StoreHere();
    void KeepLaterEdits();
    void StoreCard(const SyncCard& card);
    int StoreParty(const FittedParty& fitted, int partyId, const SyncCard& card);
    // 4. Sending (roundsend.cpp)
    void Send();
    void AdvanceToken();
    void SendCreate(const There& t, int merges);
    void SendUpdate(const There& t, int merges);
    void SendDelete(const There& t);
    void Sent(const There& t, const CardDavClient::PutResult& put);
    void Reconcile(const There& t, const CardData& theirs, const QByteArray& base, int merges);

    void Step(const QString& text, int done = 0, int total = 0);
    void CheckCancel() const;
    bool TakesPart(const BookParty& party) const;
    PartyRecord Desk(const BookParty& party) const;
    const SyncCard* RowOfHref(const QString& href) const;
    const BookParty* PartyOf(const SyncCard& row) const;
    QString Name(int partyId) const;

    Connection& conn_;
    CardDavClient& dav_;
    SyncSettings settings_;
    SyncHooks hooks_;
    SyncReport report_;

    BookData book_;
    QHash<QString, SyncCard> rows_; // by card UID
    QHash<QString, QString> uidOfHref_;
    QHash<int, QString> uidOfParty_;
    QHash<QString, int> partyOfOwnUid_; // the UID export gives each party

    QList<CardRef> pending_; // changed on the server, still to fetch
    QList<CardData> fetched_;
    QStringList removed_;
    QString token_, ctag_;
    bool fullListing_ = false;

    QList<Here> here_;
    QList<There> there_;
    QList<SyncCard> named_;  // rows given their party's UID this round
    QSet<QString> doneRows_; // card rows the server's changes already decided on
    QSet<int> handled_;      // parties the server's changes already decided on
    QSet<int> reading_; // parties that take their sent card's reading (no card row of their own)
};
