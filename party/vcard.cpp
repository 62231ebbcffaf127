#include "party/vcard.h"

#include "party/textdecode.h"

#include <QSet>

namespace {

int HexDigit(char c) {
    if (c >= '0' && c <= '9') return c - '0';
    if (c >= 'A' && c <= 'F') return c - 'A' + 10;
    if (c >= 'a' && c <= 'f') return c - 'a' + 10;
    return -1;
}

// Splits on `separator` outside backslash escapes; escapes stay in place.
QStringList SplitUnescaped(const QString& text, QChar separator) {
    QStringList parts;
    QString part;
    for (qsizetype i = 0; i < text.size(); ++i) {
        const QChar c = text[i];
        if (c == u'\\' && i + 1 < text.size()) {
            part += c;
            part += text[++i];
        } else if (c == separator) {
            parts.append(part);
            part.clear();
        } else {
            part += c;
        }
    }
    parts.append(part);
    return parts;
}

QString Unescape(const QString& text) {
    QString out;
    out.reserve(text.size());
    for (qsizetype i = 0; i < text.size(); ++i) {
        const QChar c = text[i];
        if (c == u'\\' && i + 1 < text.size()) {
            const QChar n = text[++i];
            out += (n == u'n' || n == u'N') ? QChar(u'\n') : n;
        } else {
            out += c;
        }
    }
    return out;
}

bool QuotedPrintable(const QString& head) {
    return head.contains(QLatin1String("QUOTED-PRINTABLE"), Qt::CaseInsensitive);
}

} // namespace

VCardProperty ParseVCardLine(const QString& line) {
    VCardProperty p;
    // The value starts at the first colon outside quoted parameter values.
    qsizetype colon = -1;
    bool inQuotes = false;
    for (qsizetype i = 0; i < line.size(); ++i) {
        if (line[i] == u'"')
            inQuotes = !inQuotes;
        else if (line[i] == u':' && !inQuotes) {
            colon = i;
            break;
        }
    }
    if (colon < 0) return p;
    const QStringList head = SplitUnescaped(line.left(colon), u';');
    QString name = head.value(0).trimmed().toUpper();
    if (const qsizetype dot = name.lastIndexOf(u'.'); dot >= 0) name = name.mid(dot + 1);
    p.name = name;
    QString charset;
    bool qp = false;
    for (qsizetype i = 1; i < head.size(); ++i) {
        const QString param = head[i].trimmed();
        const qsizetype eq = param.indexOf(u'=');
        const QString key = eq < 0 ? QString() : param.left(eq).trimmed().toUpper();
        QString value = eq < 0 ? param : param.mid(eq + 1).trimmed();
        value.remove(u'"');
        if (eq < 0 || key == QLatin1String("TYPE")) {
            // 2.1 writes bare types ("TEL;CELL;VOICE"); 4.0 lists them.
            for (const QString& t : value.split(u',', Qt::SkipEmptyParts)) {
                const QString lower = t.trimmed().toLower();
                if (lower == QLatin1String("quoted-printable"))
                    qp = true;
                else
                    p.types.append(lower);
            }
        } else {
            if (key == QLatin1String("ENCODING") &&
                value.compare(QLatin1String("QUOTED-PRINTABLE"), Qt::CaseInsensitive) == 0)
                qp = true;
            if (key == QLatin1String("CHARSET")) charset = value.toUpper();
            p.params.append(key + u'=' + value);
        }
    }
    QString raw = line.mid(colon + 1);
    if (qp) {
        const QByteArray bytes = DecodeQuotedPrintable(raw.toLatin1());
        raw = charset.isEmpty() || !KnownEncoding(charset) ? DecodeBytes(bytes)
                                                           : DecodeAs(bytes, charset);
    }
    for (const QString& part : SplitUnescaped(raw, u';'))
        p.values.append(Unescape(part));
    if (p.name == QLatin1String("CATEGORIES")) p.raw = raw; // read through List()
    return p;
}

namespace {

// What a card is called, for the messages about it.
QString CardName(const VCard& card) {
    for (const char* name : {"FN", "ORG", "N"})
        if (const VCardProperty* p = card.First(QLatin1String(name))) {
            QStringList parts = p->values;
            parts.removeAll(QString());
            if (!parts.isEmpty()) return parts.join(u' ').simplified();
        }
    return QString();
}

QString NoEnd(const VCard& card) {
    const QString name = CardName(card);
    const QString whose =
        name.isEmpty() ? QStringLiteral("The card") : QStringLiteral("The card of ") + name;
    return QStringLiteral("%1 at line %2 has no END line; it was left out.")
        .arg(whose, QString::number(card.line));
}

} // namespace

QString VCardProperty::Value() const {
    return values.join(u';');
}

QStringList VCardProperty::List() const {
    QStringList items;
    for (const QString& item : SplitUnescaped(raw, u','))
        items.append(Unescape(item));
    return items;
}

const VCardProperty* VCard::First(const QString& name) const {
    for (const VCardProperty& p : properties)
        if (p.name == name) return &p;
    return nullptr;
}

QByteArray DecodeQuotedPrintable(const QByteArray& encoded) {
    QByteArray out;
    out.reserve(encoded.size());
    for (qsizetype i = 0; i < encoded.size(); ++i) {
        const char c = encoded[i];
        if (c != '=') {
            out.append(c);
            continue;
        }
        // A soft line break: "=" at the end of a line or of the value (when
        // an empty line follows it), blanks after it allowed.
        qsizetype after = i + 1;
        while (after < encoded.size() && (encoded[after] == ' ' || encoded[after] == '\t'))
            ++after;
        if (after == encoded.size() || encoded[after] == '\r' || encoded[after] == '\n') {
            i = after;
            if (i < encoded.size() && encoded[i] == '\r' && i + 1 < encoded.size() &&
                encoded[i + 1] == '\n')
                ++i;
            continue;
        }
        const int hi = i + 1 < encoded.size() ? HexDigit(encoded[i + 1]) : -1;
        const int lo = i + 2 < encoded.size() ? HexDigit(encoded[i + 2]) : -1;
        if (hi < 0 || lo < 0) {
            out.append(c);
            continue;
        }
        out.append(char(hi * 16 + lo));
        i += 2;
    }
    return out;
}

VCardFile ReadVCards(const QString& text, const ReadProgress& progress,
                     const std::function<void(VCard&)>& take) {
    VCardFile file;
    // Physical lines, one at a time, make logical ones: a line starting
    // with a blank or a tab continues the one before; a quoted-printable
    // line ending in "=" continues on the next.
    qsizetype pos = 0;
    auto nextLine = [&] {
        qsizetype end = pos;
        while (end < text.size() && text[end] != u'\n' && text[end] != u'\r')
            ++end;
        const QString line = text.mid(pos, end - pos);
        if (end < text.size() && text[end] == u'\r' && end + 1 < text.size() &&
            text[end + 1] == u'\n')
            ++end;
        pos = end + 1;
        return line;
    };
    int taken = 0;
    VCard card;
    bool inCard = false;
    QString logical;
    int logicalLine = 0;
    bool dropLine = false;
    int skippedLong = 0;
    QSet<QString> kinds; // the property names the card has
    int leftOut = 0;     // lines of the card past its limit

    auto finishLine = [&] {
        if (logical.isEmpty() && !dropLine) return;
        if (dropLine) {
            ++skippedLong;
        } else {
            const VCardProperty p = ParseVCardLine(logical);
            if (p.name == QLatin1String("BEGIN") &&
                p.Value().compare(QLatin1String("VCARD"), Qt::CaseInsensitive) == 0) {
                if (inCard) file.warnings.append(NoEnd(card));
                card = VCard();
                card.line = logicalLine;
                inCard = true;
                kinds.clear();
                leftOut = 0;
            } else if (p.name == QLatin1String("END") && inCard) {
                inCard = false;
                if (leftOut)
                    card.notice = QStringLiteral("%1 of its lines were left out (a card keeps "
                                                 "%2, then only the first line of each further "
                                                 "kind)")
                                      .arg(leftOut)
                                      .arg(kMostVCardLines);
                if (taken < kMostVCards) {
                    ++taken;
                    if (take)
                        take(card);
                    else
                        file.cards.append(card);
                }
            } else if (inCard && p.name == QLatin1String("VERSION")) {
                card.version = p.Value().trimmed();
            } else if (inCard && !p.name.isEmpty()) {
                // Past the limit the card still takes what it lacks (the
                // e-mail after thousands of numbers).
                const bool newKind = !kinds.contains(p.name);
                if (card.properties.size() < kMostVCardLines ||
                    (newKind && card.properties.size() < 2 * kMostVCardLines)) {
                    card.properties.append(p);
                    kinds.insert(p.name);
                } else {
                    ++leftOut;
                }
            }
        }
        logical.clear();
        dropLine = false;
    };

    for (qsizetype i = 0; pos <= text.size(); ++i) {
        Report(progress, i, pos, text.size(), 1024);
        const QString line = nextLine();
        const bool continues =
            !line.isEmpty() && (line[0] == u' ' || line[0] == u'\t') && !logical.isEmpty();
        const bool softBreak = !logical.isEmpty() && logical.endsWith(u'=') &&
                               QuotedPrintable(logical.left(logical.indexOf(u':')));
        if (continues || (softBreak && !line.isEmpty())) {
            if (dropLine) continue;
            const bool qpBreak = softBreak && !line.isEmpty();
            if (qpBreak) logical.chop(1);
            const QString rest = qpBreak ? line : line.mid(1);
            if (logical.size() + rest.size() > kLongestVCardLine) {
                dropLine = true;
                logical = QStringLiteral("-");
            } else {
                logical += rest;
            }
            continue;
        }
        finishLine();
        logicalLine = int(i) + 1;
        if (line.size() > kLongestVCardLine) {
            dropLine = true;
            logical = QStringLiteral("-");
        } else {
            logical = line;
        }
    }
    finishLine();
    if (inCard) file.warnings.append(NoEnd(card));
    if (skippedLong)
        file.warnings.append(QStringLiteral("%1 line(s) longer than %2 characters were left out.")
                                 .arg(skippedLong)
                                 .arg(kLongestVCardLine));
    if (taken >= kMostVCards)
        file.warnings.append(QStringLiteral("Only the first %1 cards were read.").arg(kMostVCards));
    return file;
}

QString VCardEscape(const QString& value) {
    QString out;
    out.reserve(value.size());
    for (qsizetype i = 0; i < value.size(); ++i) {
        const QChar c = value[i];
        if (c == u'\\')
            out += QLatin1String("\\\\");
        else if (c == u',')
            out += QLatin1String("\\,");
        else if (c == u';')
            out += QLatin1String("\\;");
        else if (c == u'\r') {
            if (i + 1 < value.size() && value[i + 1] == u'\n') ++i;
            out += QLatin1String("\\n");
        } else if (c == u'\n')
            out += QLatin1String("\\n");
        else
            out += c;
    }
    return out;
}

QString VCardFold(const QString& line) {
    QString out;
    int octets = 0;
    for (qsizetype i = 0; i < line.size(); ++i) {
        const QChar c = line[i];
        int size = 1;
        bool pair = c.isHighSurrogate() && i + 1 < line.size() && line[i + 1].isLowSurrogate();
        if (pair)
            size = 4;
        else if (c.unicode() >= 0x800)
            size = 3;
        else if (c.unicode() >= 0x80)
            size = 2;
        if (octets + size > 75) {
            out += QLatin1String("\r\n ");
            octets = 1;
        }
        out += c;
        if (pair) out += line[++i];
        octets += size;
    }
    out += QLatin1String("\r\n");
    return out;
}
