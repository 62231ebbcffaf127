#pragma once
// When two parties are likely the same: the same UID, the same name once
// letter case, blanks and punctuation are ignored, the same phone or mobile
// number (in its international form, the region setting giving the country
// of a number written without one, so "+91 98140-12345" is "09814012345";
// a number that cannot be read by its digits, the last ten), or the same
// e-mail address with letter case ignored. Numbers are compared across both
// fields: a mobile typed into the land-line field still matches.

#include <QHash>
#include <QString>
#include <QVector>

enum class DuplicateRule { None, Uid, Name, Phone, Mobile, Email };

// The normalised forms compared; an empty key never matches.
QString NameKey(const QString& name);
QString NumberKey(const QString& number); // no possible number, fewer than 6 digits: empty
QString EmailKey(const QString& email);

// The digits of a number that any two writings of it share, whatever the
// country code, leading zero or extension: its last seven before an
// extension. Cheap, so that a whole book's numbers are indexed by it, and a
// party that shares it is then compared by NumberKey. Fewer than 6 digits:
// empty.
QString NumberTail(const QString& number);

struct PartyKeys {
    QString uid, name, phone, mobile, email; // phone, mobile: NumberTail
    QString phoneText, mobileText;           // the numbers as written
    static PartyKeys Of(const QString& uid, const QString& name, const QString& phone,
                        const QString& mobile, const QString& email);
};

struct DuplicateMatch {
    DuplicateRule rule = DuplicateRule::None;
    int id = 0; // the matching party
    explicit operator bool() const { return rule != DuplicateRule::None; }
};

// What a duplicate is, in words: "name", "mobile number" and so on.
QString RuleWords(DuplicateRule rule);

class DuplicateIndex {
  public:
    void Add(int id, const PartyKeys& keys);
    // Forgets a party's keys (after a change, before adding the new ones).
    void Remove(int id);
    void Clear();
    int Size() const { return size_; }
    // The keys kept for a party (all empty when it has none).
    PartyKeys KeysOf(int id) const { return keys_.value(id); }
    // The first party other than `except` that the keys match, trying the
    // rules in the order UID, name, mobile, phone, e-mail.
    DuplicateMatch Find(const PartyKeys& keys, int except = 0) const;

  private:
    int first(const QHash<QString, QVector<int>>& map, const QString& key, int except) const;
    // The first party other than `except` whose phone or mobile is the
    // number written `text`, among those sharing its tail.
    int sameNumber(const QString& tail, const QString& text, int except) const;
    const QString& numberKey(const QString& text) const;
    mutable QHash<QString, QString> numberKeys_; // NumberKey of each number compared
    QHash<QString, QVector<int>> uid_, name_, number_, email_;
    QHash<int, PartyKeys> keys_;
    int size_ = 0;
};
