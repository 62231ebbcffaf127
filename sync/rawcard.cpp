#include "sync/rawcard.h"

namespace {

// Where the line starting at `from` ends (before its line end) and where the
// next one starts; CR LF, LF and a lone CR end a line, as ReadVCards has it.
qsizetype LineEnd(const QByteArray& bytes, qsizetype from, qsizetype* next) {
    qsizetype end = from;
    while (end < bytes.size() && bytes[end] != '\n' && bytes[end] != '\r')
        ++end;
    *next = end;
    if (*next < bytes.size() && bytes[*next] == '\r') ++*next;
    if (*next < bytes.size() && bytes[*next] == '\n') ++*next;
    return end;
}

// The first colon outside quoted parameter values, -1 when there is none.
template <typename Text> qsizetype ColonOf(const Text& line) {
    bool inQuotes = false;
    for (qsizetype i = 0; i < line.size(); ++i) {
        if (line[i] == '"')
            inQuotes = !inQuotes;
        else if (line[i] == ':' && !inQuotes)
            return i;
    }
    return -1;
}

bool QuotedPrintable(const QByteArray& logical) {
    const qsizetype colon = ColonOf(logical);
    const QByteArray head = (colon < 0 ? logical : logical.left(colon)).toUpper();
    return head.contains("QUOTED-PRINTABLE");
}

// Physical lines joined into the logical one as ReadVCards joins them: a
// line starting with a blank or a tab continues the one before; so does any
// line after a quoted-printable one ending in "=".
class Unfolder {
  public:
    void Start(const QByteArray& line) { text_ = line; }
    bool Continue(const QByteArray& line) {
        if (text_.isEmpty() || line.isEmpty()) return false;
        if (text_.endsWith('=') && QuotedPrintable(text_)) {
            text_.chop(1);
            text_ += line;
            return true;
        }
        if (line[0] != ' ' && line[0] != '\t') return false;
        text_ += line.mid(1);
        return true;
    }
    const QByteArray& Text() const { return text_; }

  private:
    QByteArray text_;
};

bool IsLine(const QByteArray& line, const char* what) {
    QByteArray text = line;
    if (text.startsWith("\xEF\xBB\xBF")) text = text.mid(3);
    return text.trimmed().compare(what, Qt::CaseInsensitive) == 0;
}

VCardProperty Parse(const QByteArray& logical) {
    // A value longer than the reader takes (a photo) is not read; its name
    // and parameters are.
    if (logical.size() > kLongestVCardLine) {
        const qsizetype colon = ColonOf(logical);
        return ParseVCardLine(QString::fromUtf8(logical.left(colon < 0 ? 0 : colon + 1)));
    }
    return ParseVCardLine(QString::fromUtf8(logical));
}

QByteArray Unfold(const QByteArray& raw) {
    Unfolder text;
    qsizetype pos = 0;
    bool first = true;
    while (pos < raw.size()) {
        qsizetype next = 0;
        const qsizetype end = LineEnd(raw, pos, &next);
        const QByteArray line = raw.mid(pos, end - pos);
        if (first)
            text.Start(line);
        else
            text.Continue(line);
        first = false;
        pos = next;
    }
    return text.Text();
}

} // namespace

RawCard SplitCard(const QByteArray& bytes) {
    RawCard card;
    qsizetype pos = 0;
    bool begun = false;
    while (pos < bytes.size() && !begun) {
        qsizetype next = 0;
        const qsizetype end = LineEnd(bytes, pos, &next);
        begun = IsLine(bytes.mid(pos, end - pos), "BEGIN:VCARD");
        pos = next;
    }
    card.begin = bytes.left(pos);
    if (!begun) return card;

    RawProperty current;
    Unfolder logical;
    bool open = false;
    auto finish = [&] {
        if (!open) return;
        current.parsed = Parse(logical.Text());
        card.props.append(current);
        open = false;
    };
    while (pos < bytes.size()) {
        qsizetype next = 0;
        const qsizetype end = LineEnd(bytes, pos, &next);
        const QByteArray line = bytes.mid(pos, end - pos);
        if (IsLine(line, "END:VCARD")) {
            finish();
            card.end = bytes.mid(pos);
            card.valid = true;
            return card;
        }
        if (open && logical.Continue(line)) {
            current.raw += bytes.mid(pos, next - pos);
        } else {
            finish();
            current = RawProperty{bytes.mid(pos, next - pos), {}};
            logical.Start(line);
            open = true;
        }
        pos = next;
    }
    finish();
    return card;
}

QByteArray JoinCard(const RawCard& card) {
    QByteArray out = card.begin;
    for (const RawProperty& p : card.props)
        out += p.raw;
    return out + card.end;
}

RawProperty MakeProperty(const QString& line) {
    return RawProperty{VCardFold(line).toUtf8(), ParseVCardLine(line)};
}

QString PropertyHead(const RawProperty& property) {
    const QString line = QString::fromUtf8(Unfold(property.raw));
    const qsizetype colon = ColonOf(line);
    return colon < 0 ? line : line.left(colon);
}

QString WithoutParams(const QString& head, const QStringList& names) {
    // Parameters are separated by semicolons outside quoted values.
    QStringList parts;
    QString part;
    bool inQuotes = false;
    for (const QChar c : head) {
        if (c == u'"') inQuotes = !inQuotes;
        if (c == u';' && !inQuotes) {
            parts.append(part);
            part.clear();
        } else {
            part += c;
        }
    }
    parts.append(part);
    QString out = parts.value(0);
    for (qsizetype i = 1; i < parts.size(); ++i) {
        const QString key = parts[i].section(u'=', 0, 0).trimmed().toUpper();
        const bool bareQp = key == QLatin1String("QUOTED-PRINTABLE");
        if (names.contains(key) || (bareQp && names.contains(QLatin1String("ENCODING")))) continue;
        out += u';' + parts[i];
    }
    return out;
}
