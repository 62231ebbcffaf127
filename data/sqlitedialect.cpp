#include "data/sqlitedialect.h"

#include "data/jettext.h"
#include "data/schema.h"

using namespace JetText;

namespace {

// The first token of the column name at `column`: its table's name when
// written "table.column".
int QualifiedFrom(const QList<Token>& t, int column) {
    const int dot = PrevSolid(t, column);
    if (dot < 0 || t[dot].text != u'.') return column;
    const int table = PrevSolid(t, dot);
    return table >= 0 && t[table].kind == Tok::Word ? table : column;
}

// "column like pattern" from `from` to `to` is a whole condition of its
// own (no escape, no operator binding it to what is around it).
bool WholeCondition(const QList<Token>& t, int from, int to) {
    const int before = PrevSolid(t, from), after = NextSolid(t, to);
    const bool opens = before < 0 || t[before].text == u'(' || Is(t[before], "where") ||
                       Is(t[before], "and") || Is(t[before], "or") || Is(t[before], "on");
    const bool closes = after < 0 || t[after].text == u')' || Is(t[after], "and") ||
                        Is(t[after], "or") || Is(t[after], "order") || Is(t[after], "group");
    return opens && closes;
}

} // namespace

EngineStatement SqliteDialect::Translate(const QString& text) const {
    QList<Token> t = Tokenize(text);
    EngineStatement st;

    // Select * from <table> [where ...] [order by ...]: a recordset that can
    // write back; fetch the row key in front of the fields.
    if (const SelectAll all = FindSelectAll(t); all.table >= 0) {
        const QString key = Schema::KeyColumn(t[all.table].text);
        if (!key.isEmpty()) {
            st.table = t[all.table].text;
            st.keyed = true;
            t[all.star].text = key + QStringLiteral(" AS row_key_,*");
        }
    }

    const int s0 = NextSolid(t, -1);
    const int s1 = s0 < 0 ? -1 : NextSolid(t, s0);
    // Delete * from -> Delete from
    if (s1 >= 0 && Is(t[s0], "delete") && t[s1].text == u'*') t[s1].text.clear();

    bool join = false;
    for (const Token& tok : t)
        join = join || Is(tok, "join");

    QString sql;
    sql.reserve(text.size() + 16);
    for (int i = 0; i < t.size(); ++i) {
        Token& tok = t[i];
        if (tok.kind == Tok::Punct && tok.text == u'+') {
            const int p = PrevSolid(t, i), q = NextSolid(t, i);
            if ((p >= 0 && t[p].kind == Tok::Literal) || (q >= 0 && t[q].kind == Tok::Literal))
                tok.text = QStringLiteral("||");
        } else if (Is(tok, "like")) {
            const int p = PrevSolid(t, i), q = NextSolid(t, i);
            if (p >= 0 && q >= 0 && t[p].kind == Tok::Word && t[q].kind == Tok::Literal) {
                const auto found = columns_.constFind(t[p].text.toLower());
                const QString value = LiteralValue(t[q].text);
                const int before = PrevSolid(t, p);
                const bool negated = before >= 0 && Is(t[before], "not");
                if (found != columns_.constEnd() && !negated && IsWholeNumber(value)) {
                    tok.text = QStringLiteral("=");
                    t[q].text = QStringLiteral("?");
                    if (*found == Affinity::Integer)
                        st.params.append(QVariant(value.toLongLong()));
                    else
                        st.params.append(QVariant(value));
                } else if (join && found != columns_.constEnd() && fewMatch_ &&
                           WholeCondition(t, QualifiedFrom(t, p), q) &&
                           fewMatch_(t[p].text.toLower(), value)) {
                    // The column (with its table's name in front, if any)
                    // is in sql already; the pattern is still to come.
                    qsizetype at = sql.size();
                    for (int k = QualifiedFrom(t, p); k < i; ++k)
                        at -= t[k].text.size();
                    sql.insert(at, QStringLiteral("unlikely("));
                    t[q].text += u')';
                }
            }
        }
        sql += tok.text;
    }
    st.sql = sql;
    return st;
}
