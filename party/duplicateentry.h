#pragma once
// Before a party is saved, a party already in the book with the same name,
// land-line or mobile number or e-mail address (the rules the import uses
// to find duplicates) is named and the user asked whether to save anyway.
// A change is compared only on what it changes: a value the book already
// holds for that party asks nothing.

#include <QString>

class Connection;

struct EnteredParty {
    int id = 0; // the party being changed; 0 for a new one
    QString name, phone, mobile, email;
};

// The question to ask, or an empty text when no other party matches.
QString DuplicateQuestion(Connection& conn, const EnteredParty& party);

// Asks the question when there is one; true when the save may go on.
bool ConfirmNotDuplicate(Connection& conn, const EnteredParty& party, const QString& title);

// Drops the remembered parties, so the next check reads the book afresh.
void ForgetDuplicateIndex();
