#include "importexport/duplicates.h"

QString NameKey(const QString& name) {
    QString key;
    key.reserve(name.size());
    for (QChar c : name)
        if (c.isLetterOrNumber() || c.isMark()) key += c.toCaseFolded();
    return key;
}

QString NumberKey(const QString& number) {
    QString digits;
    for (QChar c : number)
        if (c.isDigit()) digits += QChar(u'0' + c.digitValue());
    if (digits.size() < 6) return QString();
    return digits.right(10);
}

QString EmailKey(const QString& email) {
    return email.trimmed().toCaseFolded();
}

PartyKeys PartyKeys::Of(const QString& uid, const QString& name, const QString& phone,
                        const QString& mobile, const QString& email) {
    return {uid.trimmed(), NameKey(name), NumberKey(phone), NumberKey(mobile), EmailKey(email)};
}

QString RuleWords(DuplicateRule rule) {
    switch (rule) {
    case DuplicateRule::Uid:
        return QStringLiteral("UID");
    case DuplicateRule::Name:
        return QStringLiteral("name");
    case DuplicateRule::Phone:
        return QStringLiteral("phone number");
    case DuplicateRule::Mobile:
        return QStringLiteral("mobile number");
    case DuplicateRule::Email:
        return QStringLiteral("e-mail address");
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
        {DuplicateRule::Mobile, first(number_, keys.mobile, except)},
        {DuplicateRule::Phone, first(number_, keys.phone, except)},
        {DuplicateRule::Email, first(email_, keys.email, except)},
    };
    for (const auto& [rule, id] : tries)
        if (id) return {rule, id};
    return {};
}
