#pragma once
// The bytes of a vCard file turned into text card by card. Folds are taken
// out before the bytes are judged (a fold may split a character), so a card
// that is valid UTF-8 once unfolded is read as UTF-8; a property that names
// its CHARSET is read in it; the rest of a card that is not UTF-8 is read in
// the encoding the card names elsewhere or, when it names none, in the one
// the detector judges the file's other such cards to be in. Quoted-printable
// values are told their card's encoding as a CHARSET parameter.
//
// The text has a folded line on one line, followed by as many empty lines
// as it had folds, so every line keeps its number.

#include "party/progress.h"
#include "party/textdecode.h"

// `encoding`, when given, reads every card in it, whatever the file names.
// A UTF-8 byte-order mark is skipped. The bytes must be in an encoding that
// keeps ASCII as it is (UTF-16 is not; DecodeText reads it).
DecodedText DecodeVCardBytes(const QByteArray& bytes, const QString& encoding = {},
                             const ReadProgress& progress = {});

// Whether the start of a file, in such an encoding, is a vCard's.
bool StartsLikeVCards(const QByteArray& bytes, const QString& fileName);
