#pragma once
// One sync round between the book and its address book on a contacts
// server, run on the caller's thread (the runner's worker, or a test):
//  1. what changed on the server since the last round is listed and fetched;
//  2. each card is paired with its party (by the card rows kept in the book,
//     else by the party's own UID) and merged field by field against the
//     card as both sides last agreed on it (the base);
//  3. everything the book takes (new, changed, deleted parties, the card
//     rows and the server's sync token) is stored in one transaction;
//  4. then the desk's changes are sent, card by card, each recorded as soon
//     as the server has it.
// A fault stops the round with the reason in the report; the next round
// picks up where it stopped.

#include "data/syncstore.h"
#include "sync/syncreport.h"

#include <functional>

class CardDavClient;
class Connection;

struct SyncHooks {
    std::function<void(const QString& text, int done, int total)> progress;
    std::function<bool()> cancelled;
};

SyncReport SyncRound(Connection& conn, CardDavClient& dav, const SyncSettings& settings,
                     const SyncHooks& hooks = {});

// Stores the server's value of a conflict in the book, so that the next
// round sends it; false (with `error`) when the party is gone or the value
// cannot be stored.
bool TakeServersValue(Connection& conn, const SyncConflict& conflict, QString* error);
