#pragma once
// Typed text placed between apostrophes in a statement text: every
// apostrophe is doubled, so O'BRIEN stays one value and never ends the text.

#include <QString>

inline QString Quote(const QString& typed) {
    QString s = typed;
    s.replace(u'\'', QLatin1String("''"));
    return s;
}
