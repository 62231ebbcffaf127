#include "data/sqlitedialect.h"

#include "data/jettext.h"
#include "data/schema.h"

using namespace JetText;

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
                }
            }
        }
        sql += tok.text;
    }
    st.sql = sql;
    return st;
}
