#pragma once
// What a sync round did, for the report the user reads at its end.

#include "party/partyrecord.h"

#include <QList>
#include <QMetaType>
#include <QString>
#include <QStringList>

// A field changed on both sides since the last sync: the desk's value was
// kept; the user may take the server's instead.
struct SyncConflict {
    int partyId = 0;
    QString party; // how the party is named to the user
    PartyField field = PartyField::Name;
    QString desk, server;
    PartyRecord theirs; // the server's whole party, for taking its value
};

struct SyncReport {
    int sent = 0;         // cards created or changed on the server
    int received = 0;     // parties added or changed in the book
    int merged = 0;       // parties changed on both sides, merged field by field
    int deletedHere = 0;  // parties deleted because their card was deleted
    int deletedThere = 0; // cards deleted because their party was deleted
    QList<SyncConflict> conflicts;
    QStringList leftOnServer; // cards that cannot be a party: "NAME: why"
    QStringList
        notes; // what else the user should know ("... changed here, deleted there: sent again")
    QStringList failures; // cards that could not be sent or stored this round
    bool cancelled = false;
    QString error; // why the round stopped; empty when it finished
    // The server's certificate is not one the system trusts (error says so):
    // its SHA-256 fingerprint and subject, for the user to confirm.
    QString certificateSha256, certificateSubject;
    // The server refused the user name or password (error says so): the
    // password kept for it is forgotten, so that the next round asks.
    bool authFailed = false;
};
Q_DECLARE_METATYPE(SyncReport)
