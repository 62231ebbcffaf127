#pragma once
// The statement texts of the windows cut into tokens, for the dialects that
// turn them into an engine's own SQL.

#include <QList>
#include <QString>

namespace JetText {

enum class Tok { Space, Literal, Word, Number, Punct };

struct Token {
    Tok kind;
    QString text;
};

QList<Token> Tokenize(const QString& s);
// A word token that reads `word`, in any letter case.
bool Is(const Token& t, const char* word);
// Index of the next / previous token that is not white space, or -1.
int NextSolid(const QList<Token>& t, int i);
int PrevSolid(const QList<Token>& t, int i);
// The text between the apostrophes of a literal, doubled apostrophes undone.
QString LiteralValue(const QString& literal);
// "Select * from <table> [where ...] [order by ...]": the indexes of the
// '*' and of the table's name, else -1 for both.
struct SelectAll {
    int star = -1, table = -1;
};
SelectAll FindSelectAll(const QList<Token>& t);
// A whole number as an id is written: no sign but '-', no leading zero.
bool IsWholeNumber(const QString& value);

} // namespace JetText
