#include "party/vcardtext.h"

#include "party/vcard.h"

#include <QFileInfo>
#include <QList>

namespace {

// One content line, its folds and quoted-printable soft breaks joined.
struct Line {
    qsizetype begin = 0, end = 0; // its bytes in the file, line breaks included
    qsizetype colon = -1; // the colon before the value, from `begin`, on the first line only
    int breaks = 0;       // line breaks it spans
    bool qp = false;
    QString charset;                   // the CHARSET it names, when that encoding keeps ASCII
    QByteArray bytes;                  // the value read from it: unfolded, quoted-printable decoded
    QByteArray whole;                  // unfolded, as it stood (not for quoted-printable lines)
    bool begins = false, ends = false; // BEGIN:VCARD, END:VCARD

    bool Ascii() const {
        for (char c : bytes)
            if (static_cast<unsigned char>(c) >= 0x80) return false;
        return true;
    }
};

bool Utf16Or32(const QString& name) {
    return name.startsWith(QLatin1String("UTF-16"), Qt::CaseInsensitive) ||
           name.startsWith(QLatin1String("UTF16"), Qt::CaseInsensitive) ||
           name.startsWith(QLatin1String("UTF-32"), Qt::CaseInsensitive) ||
           name.startsWith(QLatin1String("UTF32"), Qt::CaseInsensitive);
}

bool IsUtf8(const QString& name) {
    return name.compare(QLatin1String("UTF-8"), Qt::CaseInsensitive) == 0 ||
           name.compare(QLatin1String("UTF8"), Qt::CaseInsensitive) == 0;
}

// Where `word` (upper case) is in `text`, in any case; -1 when it is not.
qsizetype Find(QByteArrayView text, const char* word) {
    const qsizetype length = qsizetype(qstrlen(word));
    for (qsizetype i = 0; i + length <= text.size(); ++i)
        if ((text[i] == word[0] || text[i] == word[0] + ('a' - 'A')) &&
            qstrnicmp(text.data() + i, word, size_t(length)) == 0)
            return i;
    return -1;
}

// Whether the file names an encoding other than UTF-8 anywhere.
bool NamesAnotherEncoding(const QByteArray& bytes) {
    QByteArrayView rest(bytes);
    for (qsizetype at = Find(rest, "CHARSET="); at >= 0; at = Find(rest, "CHARSET=")) {
        rest = rest.sliced(at + 8);
        qsizetype end = 0;
        while (end < rest.size() && rest[end] != ';' && rest[end] != ':' && rest[end] != '\n')
            ++end;
        const QString name = QString::fromLatin1(rest.first(end)).remove(u'"').trimmed();
        if (!IsUtf8(name)) return true;
    }
    return false;
}

// Reads content lines one after the other.
class Lines {
  public:
    explicit Lines(const QByteArray& bytes, qsizetype from) : b_(bytes), at_(from) {}
    qsizetype At() const { return at_; }

    bool Next(Line* line) {
        if (at_ >= b_.size()) return false;
        *line = Line();
        line->begin = at_;
        qsizetype end = 0, next = 0;
        Physical(at_, &end, &next);
        QByteArray unfolded = b_.mid(at_, end - at_);
        line->colon = ColonOf(unfolded);
        const QByteArrayView head(unfolded.constData(),
                                  line->colon < 0 ? unfolded.size() : line->colon);
        line->qp = Find(head, "QUOTED-PRINTABLE") >= 0;
        if (Find(head, "CHARSET") >= 0) line->charset = CharsetOf(head.toByteArray());
        line->breaks = next > end ? 1 : 0;
        at_ = next;
        while (at_ < b_.size()) {
            Physical(at_, &end, &next);
            const bool fold = (b_[at_] == ' ' || b_[at_] == '\t') && !unfolded.isEmpty();
            const bool soft = line->qp && unfolded.endsWith('=') && end > at_;
            if (soft) {
                unfolded.chop(1);
                unfolded.append(b_.mid(at_, end - at_));
            } else if (fold) {
                unfolded.append(b_.mid(at_ + 1, end - at_ - 1));
            } else {
                break;
            }
            line->breaks += next > end ? 1 : 0;
            at_ = next;
        }
        line->end = at_;
        if (unfolded.size() < 32) {
            const QByteArray upper = unfolded.trimmed().toUpper();
            line->begins = upper == "BEGIN:VCARD";
            line->ends = upper == "END:VCARD";
        }
        const qsizetype colon = ColonOf(unfolded);
        const QByteArray value = colon < 0 ? QByteArray() : unfolded.mid(colon + 1);
        if (line->qp) {
            line->bytes = DecodeQuotedPrintable(value);
        } else {
            line->bytes = value;
            line->whole = std::move(unfolded);
        }
        return true;
    }

  private:
    // The line at `from`: its content ends at `end`, the next starts at `next`.
    void Physical(qsizetype from, qsizetype* end, qsizetype* next) const {
        const char* d = b_.constData();
        const qsizetype size = b_.size();
        qsizetype i = from;
        while (i < size && d[i] != '\n' && d[i] != '\r')
            ++i;
        *end = i;
        if (i < size && d[i] == '\r') ++i;
        if (i < size && d[i] == '\n' && (i == *end || d[i - 1] == '\r')) ++i;
        *next = i;
    }

    // The colon before the value: the first outside quoted parameter values.
    static qsizetype ColonOf(const QByteArray& line) {
        bool quoted = false;
        const char* d = line.constData();
        for (qsizetype i = 0, size = line.size(); i < size; ++i) {
            if (d[i] == '"')
                quoted = !quoted;
            else if (d[i] == ':' && !quoted)
                return i;
        }
        return -1;
    }

    static QString CharsetOf(const QByteArray& head) {
        for (const QByteArray& param : head.split(';')) {
            const qsizetype eq = param.indexOf('=');
            if (eq < 0 || param.left(eq).trimmed().toUpper() != "CHARSET") continue;
            QString name = QString::fromLatin1(param.mid(eq + 1)).trimmed();
            name.remove(u'"');
            if (!Utf16Or32(name) && KnownEncoding(name)) return name;
        }
        return QString();
    }

    const QByteArray& b_;
    qsizetype at_;
};

// Reads the file a card at a time (and each line outside a card on its own).
template <class Each> void ForEachCard(const QByteArray& bytes, qsizetype from, Each each) {
    Lines lines(bytes, from);
    QList<Line> card;
    bool inCard = false;
    Line line;
    while (lines.Next(&line)) {
        if (line.begins && !card.isEmpty()) {
            each(card, lines.At());
            card.clear();
        }
        if (line.begins) inCard = true;
        card.append(std::move(line));
        if (!inCard || card.last().ends) {
            each(card, lines.At());
            card.clear();
            inCard = false;
        }
    }
    if (!card.isEmpty()) each(card, bytes.size());
}

// Whether the card is UTF-8 where it names no other encoding.
bool Utf8Card(const QList<Line>& card) {
    for (const Line& l : card)
        if ((l.charset.isEmpty() || IsUtf8(l.charset)) && !l.Ascii() && !ValidUtf8(l.bytes))
            return false;
    return true;
}

// The first encoding other than UTF-8 that the card names.
QString NamedInCard(const QList<Line>& card) {
    for (const Line& l : card)
        if (!l.charset.isEmpty() && !IsUtf8(l.charset)) return l.charset;
    return QString();
}

} // namespace

bool StartsLikeVCards(const QByteArray& bytes, const QString& fileName) {
    const QByteArray start =
        bytes.mid(bytes.startsWith("\xEF\xBB\xBF") ? 3 : 0, 4096).trimmed().toUpper();
    return start.startsWith("BEGIN:VCARD") ||
           (QFileInfo(fileName).suffix().compare(QLatin1String("vcf"), Qt::CaseInsensitive) == 0 &&
            start.contains("BEGIN:VCARD"));
}

DecodedText DecodeVCardBytes(const QByteArray& bytes, const QString& encoding,
                             const ReadProgress& progress) {
    DecodedText out;
    const bool mark = bytes.startsWith("\xEF\xBB\xBF");
    const qsizetype from = mark ? 3 : 0;
    // Most files are UTF-8 throughout, and say so or nothing.
    if (encoding.isEmpty() && ValidUtf8(bytes) && !NamesAnotherEncoding(bytes)) {
        out.encoding = mark ? QStringLiteral("UTF-8 with BOM") : QStringLiteral("UTF-8");
        out.text = DecodeAs(bytes.mid(from), QStringLiteral("UTF-8"));
        return out;
    }

    // The detector judges the cards that are not UTF-8 and name nothing,
    // all of them together.
    QString guess;
    if (encoding.isEmpty()) {
        QByteArray sample;
        ForEachCard(bytes, from, [&](const QList<Line>& card, qsizetype) {
            if (sample.size() >= 1024 * 1024 || Utf8Card(card) || !NamedInCard(card).isEmpty())
                return;
            for (const Line& l : card)
                if (l.charset.isEmpty() && !l.Ascii()) sample += l.bytes + '\n';
        });
        if (!sample.isEmpty()) guess = GuessEncoding(sample);
    }

    QStringList used, usedAsNamed;
    const auto use = [&](const QString& name) {
        if (usedAsNamed.contains(name)) return;
        usedAsNamed.append(name);
        const QString shown = EncodingName(name);
        if (!used.contains(shown)) used.append(shown);
    };
    qsizetype cards = 0;
    out.text.reserve(bytes.size());
    ForEachCard(bytes, from, [&](const QList<Line>& card, qsizetype reached) {
        Report(progress, cards++, reached, bytes.size());
        QString fallback = encoding;
        if (fallback.isEmpty() && !Utf8Card(card)) {
            fallback = NamedInCard(card);
            if (fallback.isEmpty() && !guess.isEmpty()) {
                fallback = guess;
                out.guessed = true;
            }
        }
        for (const Line& l : card) {
            const QString charset = !encoding.isEmpty()    ? encoding
                                    : !l.charset.isEmpty() ? l.charset
                                    : !fallback.isEmpty()  ? fallback
                                                           : QStringLiteral("UTF-8");
            if (!l.Ascii()) use(charset);
            if (l.qp) {
                // Kept as it stands, the value to be decoded in `charset`.
                QByteArray raw = bytes.mid(l.begin, l.end - l.begin);
                if (l.colon >= 0 &&
                    (!encoding.isEmpty() || (l.charset.isEmpty() && !fallback.isEmpty())))
                    raw.insert(l.colon, ";CHARSET=" + charset.toLatin1());
                out.text += QString::fromLatin1(raw);
            } else {
                out.text += DecodeAs(l.whole, charset);
                for (int b = 0; b < l.breaks; ++b)
                    out.text += u'\n';
            }
        }
    });
    if (used.isEmpty()) use(encoding.isEmpty() ? QStringLiteral("UTF-8") : encoding);
    out.encoding = used.join(QLatin1String(", "));
    if (mark && out.encoding == QLatin1String("UTF-8")) out.encoding += QLatin1String(" with BOM");
    return out;
}
