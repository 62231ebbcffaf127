#pragma once
// The city, state and country of every city id, read once for a whole
// result list instead of one lookup per row: a list of thousands of parties
// names the same few hundred cities again and again. The list shows the
// cities as they were when its fill began.

#include "data/ids.h"

#include <QByteArray>
#include <QHash>
#include <QString>

class Connection;

class CityNames {
  public:
    struct City { // as UTF-8, as the list keeps its texts
        QByteArray name, state, country;
    };
    // Reads the city table on `conn` (inside the caller's read).
    void Read(Connection* conn);
    bool IsRead() const { return read_; }
    // The city of that id, as a lookup by id would give it (the first of
    // two rows with one id), or nullptr when no row has it.
    const City* Find(Integer id) const;
    // Lets the texts go: the next fill reads them again.
    void Clear();

  private:
    QHash<Integer, City> byId_;
    bool read_ = false;
};
