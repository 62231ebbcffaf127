#include "data/pgdialect.h"

#include "data/jettext.h"
#include "data/schema.h"

using namespace JetText;

EngineStatement PgDialect::Translate(const QString& text, QString* newIdOf) const {
    QList<Token> t = Tokenize(text);
    EngineStatement st;
    if (newIdOf) newIdOf->clear();

    // Select * from <table> [where ...] [order by ...]: a recordset that can
    // write back; fetch the key in front of the fields.
    if (const SelectAll all = FindSelectAll(t); all.table >= 0) {
        const QString key = Schema::KeyColumn(t[all.table].text);
        if (!key.isEmpty()) {
            st.table = t[all.table].text.toLower();
            st.keyed = true;
            t[all.star].text = key + QStringLiteral(" AS ") + KeyAlias() + QStringLiteral(",*");
        }
    }
    const int s0 = NextSolid(t, -1);
    const int s1 = s0 < 0 ? -1 : NextSolid(t, s0);
    const int s2 = s1 < 0 ? -1 : NextSolid(t, s1);
    const int s3 = s2 < 0 ? -1 : NextSolid(t, s2);
    const int s4 = s3 < 0 ? -1 : NextSolid(t, s3);
    // Select max(<id>) from <table>: the next id of that table is being taken.
    if (s4 >= 0 && Is(t[s0], "select") && Is(t[s1], "max") && t[s2].text == u'(' &&
        t[s4].text == u')') {
        const int from = NextSolid(t, s4);
        const int table = from < 0 ? -1 : NextSolid(t, from);
        if (table >= 0 && Is(t[from], "from") && NextSolid(t, table) < 0 &&
            Schema::KeyColumn(t[table].text).compare(t[s3].text, Qt::CaseInsensitive) == 0)
            if (newIdOf) *newIdOf = t[table].text.toLower();
    }

    // Delete * from -> Delete from
    if (s1 >= 0 && Is(t[s0], "delete") && t[s1].text == u'*') t[s1].text.clear();

    QString sql;
    sql.reserve(text.size() + 32);
    for (int i = 0; i < t.size(); ++i) {
        Token& tok = t[i];
        if (tok.kind == Tok::Word && tok.text.startsWith(u'[')) {
            tok.text = u'"' + tok.text.mid(1, tok.text.size() - 2) + u'"';
        } else if (tok.kind == Tok::Punct && tok.text == u'+') {
            const int p = PrevSolid(t, i), q = NextSolid(t, i);
            if ((p >= 0 && t[p].kind == Tok::Literal) || (q >= 0 && t[q].kind == Tok::Literal))
                tok.text = QStringLiteral("||");
        } else if (Is(tok, "like")) {
            int p = PrevSolid(t, i);
            const int q = NextSolid(t, i);
            if (q >= 0 && t[q].kind == Tok::Literal) {
                const bool negated = p >= 0 && Is(t[p], "not");
                if (negated) p = PrevSolid(t, p);
                const auto found = p >= 0 && t[p].kind == Tok::Word
                                       ? columns_.constFind(t[p].text.toLower().section(u'.', -1))
                                       : columns_.constEnd();
                const QString value = LiteralValue(t[q].text);
                if (found != columns_.constEnd() && !negated && IsWholeNumber(value)) {
                    tok.text = QStringLiteral("=");
                    st.params.append(*found == Kind::Integer ? QVariant(value.toLongLong())
                                                             : QVariant(value));
                    t[q].text = u'$' + QString::number(st.params.size());
                    // "'7'order by" stays two words: "$1 order by".
                    if (q + 1 < t.size() && t[q + 1].kind != Tok::Space) t[q].text += u' ';
                } else {
                    if (found != columns_.constEnd()) {
                        // A whole number's text is compared; a text column's
                        // like becomes ilike on text, which the planner can
                        // estimate from the column's statistics (its like on
                        // citext it cannot, and picks poor plans). The column
                        // was written before this token: rewrite it in the
                        // text built so far (only blanks and "not" follow).
                        QString column = t[p].text;
                        if (p >= 2 && t[p - 1].text == u'.' && t[p - 2].kind == Tok::Word)
                            column = t[p - 2].text + u'.' + column; // table.column
                        const qsizetype at = sql.lastIndexOf(column);
                        sql.replace(at, column.size(),
                                    QStringLiteral("CAST(") + column + QStringLiteral(" AS text)"));
                        if (*found == Kind::Text) tok.text = QStringLiteral("ILIKE");
                    }
                    t[q].text += QStringLiteral(" ESCAPE ''");
                }
            }
        }
        sql += tok.text;
    }
    st.sql = sql;
    return st;
}
