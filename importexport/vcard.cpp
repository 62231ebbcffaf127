#include "importexport/vcard.h"

#include "importexport/textdecode.h"

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

// Splits a content line into its property: name, parameters, value.
VCardProperty ParseLine(const QString& line) {
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
        raw = (charset.isEmpty() || charset == QLatin1String("UTF-8")) ? DecodeBytes(bytes) : [&] {
            QString t;
            for (char c : bytes)
                t.append(Windows1252(static_cast<unsigned char>(c)));
            return t;
        }();
    }
    for (const QString& part : SplitUnescaped(raw, u';'))
        p.values.append(Unescape(part));
    return p;
}

} // namespace

QString VCardProperty::Value() const {
    return values.join(u';');
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
        if (i + 1 < encoded.size() && (encoded[i + 1] == '\r' || encoded[i + 1] == '\n')) {
            ++i; // soft line break
            if (encoded[i] == '\r' && i + 1 < encoded.size() && encoded[i + 1] == '\n') ++i;
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

VCardFile ReadVCards(const QString& text, const ReadProgress& progress) {
    VCardFile file;
    // Physical lines first, then logical ones: a line starting with a blank
    // or a tab continues the one before; a quoted-printable line ending in
    // "=" continues on the next.
    QStringList physical;
    for (qsizetype start = 0, i = 0; i <= text.size(); ++i) {
        if (i == text.size() || text[i] == u'\n' || text[i] == u'\r') {
            physical.append(text.mid(start, i - start));
            if (i < text.size() && text[i] == u'\r' && i + 1 < text.size() && text[i + 1] == u'\n')
                ++i;
            start = i + 1;
        }
    }
    VCard card;
    bool inCard = false;
    QString logical;
    int logicalLine = 0;
    bool dropLine = false;
    int skippedLong = 0;

    auto finishLine = [&] {
        if (logical.isEmpty() && !dropLine) return;
        if (dropLine) {
            ++skippedLong;
        } else {
            const VCardProperty p = ParseLine(logical);
            if (p.name == QLatin1String("BEGIN") &&
                p.Value().compare(QLatin1String("VCARD"), Qt::CaseInsensitive) == 0) {
                card = VCard();
                card.line = logicalLine;
                inCard = true;
            } else if (p.name == QLatin1String("END") && inCard) {
                inCard = false;
                if (file.cards.size() < kMostVCards) file.cards.append(card);
            } else if (inCard && p.name == QLatin1String("VERSION")) {
                card.version = p.Value().trimmed();
            } else if (inCard && !p.name.isEmpty()) {
                if (card.properties.size() < kMostVCardLines)
                    card.properties.append(p);
                else if (card.notice.isEmpty())
                    card.notice = QStringLiteral("the card has more than %1 lines; the rest "
                                                 "were left out")
                                      .arg(kMostVCardLines);
            }
        }
        logical.clear();
        dropLine = false;
    };

    for (qsizetype i = 0; i < physical.size(); ++i) {
        Report(progress, i, i, physical.size(), 1024);
        const QString& line = physical[i];
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
    if (inCard)
        file.warnings.append(QStringLiteral("The last card has no END line; it was "
                                            "left out."));
    if (skippedLong)
        file.warnings.append(QStringLiteral("%1 line(s) longer than %2 characters were left out.")
                                 .arg(skippedLong)
                                 .arg(kLongestVCardLine));
    if (file.cards.size() >= kMostVCards)
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
