#include "data/sqlitedialect.h"

#include <QRegularExpression>

namespace {

enum class Tok { Space, Literal, Word, Number, Punct };

struct Token {
    Tok kind;
    QString text;
};

bool isWordStart(QChar c) {
    return c.isLetter() || c == u'_';
}
bool isWordChar(QChar c) {
    return c.isLetterOrNumber() || c == u'_' || c == u'$';
}

QList<Token> tokenize(const QString& s) {
    QList<Token> out;
    const qsizetype n = s.size();
    qsizetype i = 0;
    while (i < n) {
        const qsizetype start = i;
        const QChar c = s[i];
        Tok kind = Tok::Punct;
        if (c.isSpace()) {
            while (i < n && s[i].isSpace())
                ++i;
            kind = Tok::Space;
        } else if (c == u'\'' || c == u'"' || c == u'[') {
            const QChar close = c == u'[' ? QChar(u']') : c;
            ++i;
            while (i < n) {
                if (s[i] == close) {
                    if (close != u']' && i + 1 < n && s[i + 1] == close) {
                        i += 2; // doubled quote inside the literal
                        continue;
                    }
                    ++i;
                    break;
                }
                ++i;
            }
            kind = c == u'\'' ? Tok::Literal : Tok::Word;
        } else if (isWordStart(c)) {
            while (i < n && isWordChar(s[i]))
                ++i;
            kind = Tok::Word;
        } else if (c.isDigit()) {
            while (i < n && (s[i].isDigit() || s[i] == u'.'))
                ++i;
            kind = Tok::Number;
        } else {
            ++i;
        }
        out.append(Token{kind, s.mid(start, i - start)});
    }
    return out;
}

bool is(const Token& t, const char* word) {
    return t.kind == Tok::Word && t.text.compare(QLatin1String(word), Qt::CaseInsensitive) == 0;
}

// Index of the next / previous token that is not white space, or -1.
int nextSolid(const QList<Token>& t, int i) {
    for (++i; i < t.size(); ++i)
        if (t[i].kind != Tok::Space) return i;
    return -1;
}
int prevSolid(const QList<Token>& t, int i) {
    for (--i; i >= 0; --i)
        if (t[i].kind != Tok::Space) return i;
    return -1;
}

QString literalValue(const QString& literal) {
    QString inner = literal.mid(1, literal.size() - 2);
    inner.replace(QLatin1String("''"), QLatin1String("'"));
    return inner;
}

} // namespace

EngineStatement SqliteDialect::Translate(const QString& text) const {
    QList<Token> t = tokenize(text);
    EngineStatement st;

    // Select * from <table> [where ...] [order by ...]: a recordset that can
    // write back; fetch the row key in front of the fields.
    const int s0 = nextSolid(t, -1);
    const int s1 = s0 < 0 ? -1 : nextSolid(t, s0);
    const int s2 = s1 < 0 ? -1 : nextSolid(t, s1);
    const int s3 = s2 < 0 ? -1 : nextSolid(t, s2);
    const int s4 = s3 < 0 ? -1 : nextSolid(t, s3);
    if (s3 >= 0 && is(t[s0], "select") && t[s1].text == u'*' && is(t[s2], "from") &&
        t[s3].kind == Tok::Word && !t[s3].text.startsWith(u'(') &&
        (s4 < 0 || is(t[s4], "where") || is(t[s4], "order"))) {
        st.table = t[s3].text;
        st.keyed = true;
        t[s1].text = QStringLiteral("_rowid_,*");
    }

    // Delete * from -> Delete from
    if (s1 >= 0 && is(t[s0], "delete") && t[s1].text == u'*') t[s1].text.clear();

    QString sql;
    sql.reserve(text.size() + 16);
    static const QRegularExpression wholeNumber(QStringLiteral("^-?(0|[1-9][0-9]{0,17})$"));
    for (int i = 0; i < t.size(); ++i) {
        Token& tok = t[i];
        if (tok.kind == Tok::Punct && tok.text == u'+') {
            const int p = prevSolid(t, i), q = nextSolid(t, i);
            if ((p >= 0 && t[p].kind == Tok::Literal) || (q >= 0 && t[q].kind == Tok::Literal))
                tok.text = QStringLiteral("||");
        } else if (is(tok, "like")) {
            const int p = prevSolid(t, i), q = nextSolid(t, i);
            if (p >= 0 && q >= 0 && t[p].kind == Tok::Word && t[q].kind == Tok::Literal) {
                const auto found = columns_.constFind(t[p].text.toLower());
                const QString value = literalValue(t[q].text);
                const int before = prevSolid(t, p);
                const bool negated = before >= 0 && is(t[before], "not");
                if (found != columns_.constEnd() && !negated &&
                    wholeNumber.match(value).hasMatch()) {
                    tok.text = QStringLiteral("=");
                    t[q].text = QStringLiteral("?");
                    if (*found == Affinity::Integer)
                        st.params.append(QVariant(value.toLongLong()));
                    else
                        st.params.append(QVariant(value));
                }
            }
        }
        sql += tok.text;
    }
    st.sql = sql;
    return st;
}
