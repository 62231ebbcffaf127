#include "party/duplicates.h"

#include "party/phonenumbers.h"

#include <QCoreApplication>

QString NameKey(const QString& name) {
    QString key;
    key.reserve(name.size());
    for (QChar c : name)
        if (c.isLetterOrNumber() || c.isMark()) key += c.toCaseFolded();
    return key;
}

QString NumberKey(const QString& number) {
    // The parsed international form where the number can be read, so that
    // "0161-2345678" and "+91 161 234 5678" are one number; the digits
    // otherwise. The two kinds never meet: only the first starts with "+".
    const QString compact = CompactNumber(number);
    if (!compact.isEmpty()) return compact.section(u'x', 0, 0);
    QString digits;
    for (QChar c : number)
        if (c.isDigit()) digits += QChar(u'0' + c.digitValue());
    if (digits.size() < 6) return QString();
    return digits.right(10);
}

QString EmailKey(const QString& email) {
    return email.trimmed().toCaseFolded();
}

QString NumberTail(const QString& number) {
    QString digits;
    for (QChar c : number) {
        if (c.isDigit())
            digits += QChar(u'0' + c.digitValue());
        else if (!digits.isEmpty() && (c.isLetter() || c == u'#'))
            break; // an extension ("x55", "ext. 55", "#55") or words after the number
    }
    if (digits.size() < 6) return QString();
    return digits.right(7);
}

PartyKeys PartyKeys::Of(const QString& uid, const QString& name, const QString& phone,
                        const QString& mobile, const QString& email) {
    return {uid.trimmed(),   NameKey(name),   NumberTail(phone), NumberTail(mobile),
            EmailKey(email), phone.trimmed(), mobile.trimmed()};
}

QString RuleWords(DuplicateRule rule) {
    switch (rule) {
    case DuplicateRule::Uid:
        return QCoreApplication::translate("DuplicateEntry", "UID");
    case DuplicateRule::Name:
        return QCoreApplication::translate("DuplicateEntry", "name");
    case DuplicateRule::Phone:
        return QCoreApplication::translate("DuplicateEntry", "phone number");
    case DuplicateRule::Mobile:
        return QCoreApplication::translate("DuplicateEntry", "mobile number");
    case DuplicateRule::Email:
        return QCoreApplication::translate("DuplicateEntry", "e-mail address");
    case DuplicateRule::None:
        break;
    }
    return QString();
}

void DuplicateIndex::Add(int id, const PartyKeys& keys) {
    auto put = [id](QHash<QString, QVector<int>>& map, const QString& key) {
        if (!key.isEmpty()) map[key].append(id);
    };
    put(uid_, keys.uid);
    put(name_, keys.name);
    put(number_, keys.phone);
    if (keys.mobile != keys.phone) put(number_, keys.mobile);
    put(email_, keys.email);
    keys_.insert(id, keys);
    ++size_;
}

void DuplicateIndex::Remove(int id) {
    const auto found = keys_.constFind(id);
    if (found == keys_.constEnd()) return;
    const PartyKeys keys = *found;
    auto drop = [id](QHash<QString, QVector<int>>& map, const QString& key) {
        if (key.isEmpty()) return;
        auto at = map.find(key);
        if (at == map.end()) return;
        at->removeAll(id);
        if (at->isEmpty()) map.erase(at);
    };
    drop(uid_, keys.uid);
    drop(name_, keys.name);
    drop(number_, keys.phone);
    drop(number_, keys.mobile);
    drop(email_, keys.email);
    keys_.remove(id);
    --size_;
}

void DuplicateIndex::Clear() {
    uid_.clear();
    name_.clear();
    number_.clear();
    email_.clear();
    keys_.clear();
    numberKeys_.clear();
    size_ = 0;
}

int DuplicateIndex::first(const QHash<QString, QVector<int>>& map, const QString& key,
                          int except) const {
    if (key.isEmpty()) return 0;
    const auto found = map.constFind(key);
    if (found == map.constEnd()) return 0;
    for (int id : *found)
        if (id != except) return id;
    return 0;
}

DuplicateMatch DuplicateIndex::Find(const PartyKeys& keys, int except) const {
    const std::pair<DuplicateRule, int> tries[] = {
        {DuplicateRule::Uid, first(uid_, keys.uid, except)},
        {DuplicateRule::Name, first(name_, keys.name, except)},
        {DuplicateRule::Mobile, sameNumber(keys.mobile, keys.mobileText, except)},
        {DuplicateRule::Phone, sameNumber(keys.phone, keys.phoneText, except)},
        {DuplicateRule::Email, first(email_, keys.email, except)},
    };
    for (const auto& [rule, id] : tries)
        if (id) return {rule, id};
    return {};
}

const QString& DuplicateIndex::numberKey(const QString& text) const {
    auto found = numberKeys_.constFind(text);
    if (found == numberKeys_.constEnd()) found = numberKeys_.insert(text, NumberKey(text));
    return *found;
}

int DuplicateIndex::sameNumber(const QString& tail, const QString& text, int except) const {
    if (tail.isEmpty()) return 0;
    const auto found = number_.constFind(tail);
    if (found == number_.constEnd()) return 0;
    const QString& key = numberKey(text);
    if (key.isEmpty()) return 0;
    for (int id : *found) {
        if (id == except) continue;
        const PartyKeys& other = *keys_.constFind(id);
        if ((other.phone == tail && numberKey(other.phoneText) == key) ||
            (other.mobile == tail && numberKey(other.mobileText) == key))
            return id;
    }
    return 0;
}
