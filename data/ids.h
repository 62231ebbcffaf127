#pragma once
// The address book's ids are 16-bit whole numbers (at most 32767), each new
// one the current maximum of its column plus 1.

#include <QString>
#include <QVariant>
#include <QtGlobal>

class Recordset;

using Integer = qint16;
constexpr int kLargestId = 32767;

// A value as a 16-bit whole number: texts are read as numbers, fractions
// rounded half to even; anything out of range raises an OverflowError and
// anything that is not a number a DbError.
Integer CInt(const QVariant& value);

// The next id from an open "Select max(<id>) from <table>" recordset: 1 for
// an empty table (a Null maximum) or a maximum of 0, else the maximum + 1.
// An id beyond 32767 raises an OverflowError; it is never wrapped.
Integer NextId(Recordset& maxQuery);
