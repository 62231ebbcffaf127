#include "data/jettext.h"

#include <QRegularExpression>

namespace JetText {

namespace {
bool isWordStart(QChar c) {
    return c.isLetter() || c == u'_';
}
bool isWordChar(QChar c) {
    return c.isLetterOrNumber() || c == u'_' || c == u'$';
}
} // namespace

QList<Token> Tokenize(const QString& s) {
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

bool Is(const Token& t, const char* word) {
    return t.kind == Tok::Word && t.text.compare(QLatin1String(word), Qt::CaseInsensitive) == 0;
}

int NextSolid(const QList<Token>& t, int i) {
    for (++i; i < t.size(); ++i)
        if (t[i].kind != Tok::Space) return i;
    return -1;
}
int PrevSolid(const QList<Token>& t, int i) {
    for (--i; i >= 0; --i)
        if (t[i].kind != Tok::Space) return i;
    return -1;
}

QString LiteralValue(const QString& literal) {
    QString inner = literal.mid(1, literal.size() - 2);
    inner.replace(QLatin1String("''"), QLatin1String("'"));
    return inner;
}

SelectAll FindSelectAll(const QList<Token>& t) {
    const int s0 = NextSolid(t, -1);
    const int s1 = s0 < 0 ? -1 : NextSolid(t, s0);
    const int s2 = s1 < 0 ? -1 : NextSolid(t, s1);
    const int s3 = s2 < 0 ? -1 : NextSolid(t, s2);
    const int s4 = s3 < 0 ? -1 : NextSolid(t, s3);
    if (s3 >= 0 && Is(t[s0], "select") && t[s1].text == u'*' && Is(t[s2], "from") &&
        t[s3].kind == Tok::Word && (s4 < 0 || Is(t[s4], "where") || Is(t[s4], "order")))
        return SelectAll{s1, s3};
    return SelectAll{};
}

bool IsWholeNumber(const QString& value) {
    static const QRegularExpression wholeNumber(QStringLiteral("^-?(0|[1-9][0-9]{0,17})$"));
    return wholeNumber.match(value).hasMatch();
}

} // namespace JetText
