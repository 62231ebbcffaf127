#pragma once
// The address book as an import or an export sees it: every party with its
// city and group names, the cities and groups by name, and the largest ids.
// Read once through a connection; everything after that works in memory.

#include "party/progress.h"
#include "party/partyrecord.h"

#include <QDateTime>
#include <QHash>
#include <QList>
#include <QVector>

class Connection;

struct BookCity {
    QString name, state, country;
    bool live = true;
};

// Whether a party naming that city, state and country belongs in `city`:
// the names match and so do the state and the country where they are given
// (letter case ignored). RAMMANDI, UTTARAKHAND is not RAMMANDI, KARNATAKA;
// RAMMANDI alone fits either.
bool CityFits(const BookCity& city, const QString& name, const QString& state,
              const QString& country);

struct BookParty {
    int id = 0;
    PartyRecord record; // stored values, with city, state, country, groups and UID
    int cityId = 0;
    bool live = true; // not marked deleted
    QVector<int> groupIds;
};

struct BookData {
    QList<BookParty> parties; // in name order
    QHash<int, BookCity> cities;
    QHash<int, QString> groups; // id -> name
    int maxParty = 0, maxLink = 0, maxCity = 0, maxGroup = 0;

    // The first live city (in id order) that fits, else 0.
    int CityFor(const QString& name, const QString& state, const QString& country) const;
    // A group of that name (letter case ignored), else 0.
    int GroupNamed(const QString& name) const;
    const BookParty* Party(int id) const;
    // "SHARMA TRADERS, LUDHIANA": how a party is named to the user.
    QString Describe(int id) const;
    // Parties in a group, in name order.
    QList<int> PartiesIn(int groupId) const;

    QHash<QString, QList<int>> citiesByName_; // live cities, in id order
    QHash<QString, int> groupByName_;
    QHash<int, int> partyIndex_;
};

// A party's UID: the same party of the same book always gets the same one,
// since it comes from the party's id and the moment it was added; another
// book's party of the same id was added at another moment.
QString PartyUid(int id, const QDateTime& added);

BookData ReadBook(Connection& conn, const ReadProgress& progress = {});
