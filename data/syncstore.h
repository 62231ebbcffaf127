#pragma once
// The state of the sync with a contacts server, kept inside the address book
// (so that backup and restore carry it): the settings, and one row per synced
// party and its card. The password is not kept here.
//
// Writes run inside the caller's transaction when one is open (a round writes
// received parties and their card rows all or nothing), else each in one of
// its own. The tables are made by EnsureTables (SaveSettings makes them too);
// reads of a book without them give the defaults. Each call uses the
// connection it is given, on the thread that uses that connection: a worker
// thread with a connection of its own may write here while the windows read
// (see DeferredSnapshot in data/engine.h).

#include "data/synclock.h" // one desk at a time

#include <QByteArray>
#include <QList>
#include <QString>

class Connection;

struct SyncSettings {
    QString server;        // what the user typed: a bare host or a URL
    QString bookUrl;       // the chosen address book collection, absolute URL; empty: not set up
    QString user;          // login on the contacts server
    bool allGroups = true; // every party takes part, else only those in groupIds
    QList<int> groupIds;
    int newPartyGroup = 0; // group a received card without known categories joins (0: none)
    bool atStart = false;  // sync when the program starts
    int everyMinutes = 0;  // 0: off
    QString pinnedSha256;  // the confirmed certificate fingerprint of a self-signed server, hex
    QString syncToken;     // sync-collection token of the last round (empty: none)
    QString ctag;          // getctag of the last round
    QString lastSync;      // "yyyy-MM-dd HH:mm:ss" of the last finished round
    bool operator==(const SyncSettings&) const = default;
};

struct SyncCard {    // one synced party <-> card
    int partyId = 0; // adrsmstr.adrsid
    QString uid;     // the card's UID
    QString href;    // path of the card on the server
    QString etag;
    QByteArray base; // the card exactly as last synced (both sides agreed on it)
    // The UID the book gives the party (its id and the moment it was added):
    // a party added later under the id of a deleted one is not this card's.
    QString partyUid;
    bool operator==(const SyncCard&) const = default;
};

namespace SyncStore {
// True when the book holds both tables.
bool HasTables(Connection& conn);
// Makes the tables when missing. On a server whose desk user may not make
// tables, raises a DbError that gives the statements its owner runs.
void EnsureTables(Connection& conn);

SyncSettings LoadSettings(Connection& conn); // the defaults when there is nothing saved
void SaveSettings(Connection& conn, const SyncSettings& s);

// Every card row, by UID. Card writes need the tables (EnsureTables).
QList<SyncCard> LoadCards(Connection& conn);
void PutCard(Connection& conn, const SyncCard& card); // added, or replaces the row of its UID
void RemoveCard(Connection& conn, const QString& uid);
void RemoveAllCards(Connection& conn);
} // namespace SyncStore
