#pragma once
// vCards: reading versions 2.1, 3.0 and 4.0 (RFC 2426, RFC 6350), writing
// 3.0 and 4.0. Lines are unfolded (a line starting with a blank or a tab
// continues the one before), quoted-printable values of 2.1 are decoded with
// their soft line breaks, and backslash escapes are undone.

#include "party/progress.h"

#include <QList>
#include <QString>
#include <QStringList>
#include <functional>

// Limits against hostile files: a logical line longer than this is left
// out (photos are the only long values phones write, and they are not
// read); a card with more lines than this is cut.
constexpr int kLongestVCardLine = 256 * 1024;
constexpr int kMostVCardLines = 1000;
constexpr int kMostVCards = 100000;

struct VCardProperty {
    QString name;          // upper case, without its group ("TEL")
    QStringList types;     // lower case ("cell", "work")
    QStringList params;    // every other parameter as NAME=value, upper-case name
    QStringList values;    // the value split on unescaped semicolons, unescaped
    QString raw;           // CATEGORIES: the value with its escapes
    QString Value() const; // the components joined as they stood
    // A list value (CATEGORIES) split on unescaped commas: "SALES\, NORTH"
    // is one item.
    QStringList List() const;
};

struct VCard {
    QString version;
    QList<VCardProperty> properties;
    int line = 0;   // the BEGIN line, counted from 1
    QString notice; // what was cut from this card

    // The first property of a name, or nullptr.
    const VCardProperty* First(const QString& name) const;
};

struct VCardFile {
    QList<VCard> cards;
    QStringList warnings;
};

// With `take`, each card is handed to it as it ends and not kept in the
// result: a large file is read without holding all its cards.
VCardFile ReadVCards(const QString& text, const ReadProgress& progress = {},
                     const std::function<void(VCard&)>& take = {});

// Splits one unfolded content line into its property: name, parameters,
// value (quoted-printable decoded, escapes undone). A line without a colon
// gives a property without a name.
VCardProperty ParseVCardLine(const QString& line);

// Escapes a text value (backslash, comma, semicolon, line breaks).
QString VCardEscape(const QString& value);
// Folds one content line at 75 octets of UTF-8, never inside a character;
// every line ends with CR LF.
QString VCardFold(const QString& line);
// Decodes quoted-printable bytes, "=" at the end of a line being a soft break.
QByteArray DecodeQuotedPrintable(const QByteArray& encoded);
