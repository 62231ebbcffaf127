#pragma once
// A desk for the sync tests: a fresh book with a city and two groups, the
// sync set up against one address book of a contacts server, rounds run on
// the test's thread, and the desk's and the server's sides read back.

#include "data/syncstore.h"
#include "support/cardclient.h"
#include "support/cardservers.h"
#include "support/fixture.h"
#include "sync/syncreport.h"

#include <QMap>
#include <memory>

class SyncDesk {
  public:
    // A new book (file, or the test server when the suite asks) and a new,
    // empty address book on `server`.
    explicit SyncDesk(CardServer& server, BookKind kind = BookKind::File);

    // A party of the book in LUDHIANA and the group CUSTOMERS; its id.
    int AddParty(const QString& name, const QString& phone = {}, const QString& email = {});
    void SetColumn(int partyId, const char* column, const QString& value);
    void DeleteParty(int partyId);
    // The party's stored column, or an invalid value when it is gone.
    QVariant Column(int partyId, const char* column) const;
    int Parties() const;

    SyncReport Round(int timeoutMs = 10000);

    // The server's side, read by the test's own client: href -> card.
    QMap<QString, QByteArray> Cards();
    CardClient& Phone() { return phone_; }
    QString BookUrl() const { return settings_.bookUrl; }
    CardServer& Server() { return server_; }
    SyncSettings& Settings() { return settings_; }
    const TestBook& Book() const { return *book_; }

  private:
    CardServer& server_;
    std::unique_ptr<TestBook> book_;
    CardClient phone_;
    SyncSettings settings_;
};

// A phone's card: a company with an address in a city, a photo, a birthday
// and properties of other programs.
QByteArray PhoneCard(const QString& uid, const QString& name, const QString& city = "LUDHIANA");
// What of a PhoneCard no party field carries, each property with its exact
// bytes (the photo with its folds); empty for other cards.
QByteArray PhoneOnly(const QByteArray& card);
// The value of the first property `name` of a card ("" when none).
QString CardValue(const QByteArray& card, const QByteArray& name);
// The card with the first property `name` given `value` (added when missing).
QByteArray WithValue(const QByteArray& card, const QByteArray& name, const QString& value);
