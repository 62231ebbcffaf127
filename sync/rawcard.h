#pragma once
// A contact card as its properties, each kept as the bytes it came in (all
// its folded lines with their line ends), so that a card a phone made can
// have one property rewritten and keep every other one exactly as it was.
// Cards from contacts servers are UTF-8.

#include "party/vcard.h"

#include <QByteArray>
#include <QList>

struct RawProperty {
    QByteArray raw;       // its lines as they stood, line ends included
    VCardProperty parsed; // nameless for a line that is no property (an empty one)
};

struct RawCard {
    QByteArray begin;         // the BEGIN line, with whatever came before it
    QList<RawProperty> props; // in order, VERSION included
    QByteArray end;           // the END line, with whatever follows it
    bool valid = false;       // it had both
};

// One card; JoinCard(SplitCard(bytes)) == bytes for any bytes.
RawCard SplitCard(const QByteArray& card);
QByteArray JoinCard(const RawCard& card);

// A property written anew: folded, ended with CR LF.
RawProperty MakeProperty(const QString& line);
// What stands before the value's colon, unfolded: group, name, parameters
// ("item1.TEL;type=CELL").
QString PropertyHead(const RawProperty& property);
// A head without the parameters of those names (upper case); a bare
// QUOTED-PRINTABLE goes with ENCODING.
QString WithoutParams(const QString& head, const QStringList& names);
