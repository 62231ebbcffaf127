#include "party/phonenumbers.h"

#include <phonenumbers/phonenumberutil.h>

#include <QMutex>
#include <QRegularExpression>
#include <QSettings>
#include <algorithm>

using i18n::phonenumbers::PhoneNumber;
using i18n::phonenumbers::PhoneNumberUtil;

namespace {

const char* const kDefaultRegion = "IN";
const char* const kRegionKey = "phone/region";

QSettings Store() {
    return QSettings(QSettings::IniFormat, QSettings::UserScope, QStringLiteral("adrsbook"),
                     QStringLiteral("import"));
}

bool KnownRegion(const QString& region) {
    return region.size() == 2 &&
           PhoneNumberUtil::GetInstance()->GetCountryCodeForRegion(region.toStdString()) != 0;
}

// The region is read from the settings once; imports read it per number.
QMutex regionLock;
QString cachedRegion;

// Words other than an extension marker ("ext", "x") mean the text is more
// than a number ("call after 5"): such text is never rewritten.
bool OnlyNumber(const QString& text) {
    static const QRegularExpression extension(
        QStringLiteral(R"((?:;ext=|ext(?:ension|n)?\.?|x|#)\s*\d+\s*$)"),
        QRegularExpression::CaseInsensitiveOption);
    QString rest = text.trimmed();
    if (rest.startsWith(QLatin1String("tel:"), Qt::CaseInsensitive)) rest = rest.mid(4);
    rest.remove(extension);
    return std::none_of(rest.cbegin(), rest.cend(), [](QChar c) { return c.isLetter(); });
}

enum class Box { Phone, Mobile, Fax, None };

Box BoxOf(const CardNumber& n) {
    auto has = [&](const char* t) { return n.types.contains(QLatin1String(t)); };
    if (has("fax")) return Box::Fax;
    if (has("cell") || has("mobile") || has("iphone")) return Box::Mobile;
    if (has("pager")) return Box::None;
    return Box::Phone;
}

// Lower comes first: a work number before a home one, both before a voice
// or untyped one, those before any other kind ("main", "text").
int KindRank(const CardNumber& n) {
    auto has = [&](const char* t) { return n.types.contains(QLatin1String(t)); };
    if (has("work")) return 0;
    if (has("home")) return 1;
    QStringList kinds = n.types;
    kinds.removeAll(QStringLiteral("pref"));
    kinds.removeAll(QStringLiteral("voice"));
    return kinds.isEmpty() ? 2 : 3;
}

// PREF=1 is the most preferred (vCard 4.0 counts up to 100); a bare PREF
// type (2.1, 3.0) counts as 1.
int PrefRank(const CardNumber& n) {
    for (const QString& p : n.params)
        if (p.startsWith(QLatin1String("PREF="))) {
            bool ok = false;
            const int value = p.mid(5).toInt(&ok);
            if (ok) return value;
        }
    return n.types.contains(QLatin1String("pref")) ? 1 : 101;
}

} // namespace

QString PhoneRegion() {
    QMutexLocker lock(&regionLock);
    if (cachedRegion.isEmpty()) {
        const QString stored = Store().value(QLatin1String(kRegionKey)).toString().toUpper();
        cachedRegion = KnownRegion(stored) ? stored : QString::fromLatin1(kDefaultRegion);
    }
    return cachedRegion;
}

bool SetPhoneRegion(const QString& region) {
    const QString code = region.trimmed().toUpper();
    if (!KnownRegion(code)) return false;
    Store().setValue(QLatin1String(kRegionKey), code);
    QMutexLocker lock(&regionLock);
    cachedRegion = code;
    return true;
}

QString CompactNumber(const QString& number, const QString& region) {
    if (!OnlyNumber(number)) return QString();
    const PhoneNumberUtil* util = PhoneNumberUtil::GetInstance();
    PhoneNumber parsed;
    const std::string from = (region.isEmpty() ? PhoneRegion() : region).toStdString();
    if (util->Parse(number.trimmed().toStdString(), from, &parsed) !=
            PhoneNumberUtil::NO_PARSING_ERROR ||
        !util->IsPossibleNumber(parsed))
        return QString();
    std::string e164;
    util->Format(parsed, PhoneNumberUtil::E164, &e164);
    QString out = QString::fromStdString(e164);
    if (parsed.has_extension() && !parsed.extension().empty())
        out += u'x' + QString::fromStdString(parsed.extension());
    return out;
}

QString FitNumber(const QString& number, int length, const QString& region) {
    if (number.size() <= length) return number;
    const QString compact = CompactNumber(number, region);
    return compact.size() <= length ? compact : QString();
}

PlacedNumbers PlaceNumbers(const QList<CardNumber>& numbers) {
    PlacedNumbers out;
    QList<int> order;
    for (int i = 0; i < numbers.size(); ++i)
        if (!numbers[i].number.trimmed().isEmpty()) order.append(i);
    std::stable_sort(order.begin(), order.end(), [&](int a, int b) {
        const CardNumber &x = numbers[a], &y = numbers[b];
        return std::pair(PrefRank(x), KindRank(x)) < std::pair(PrefRank(y), KindRank(y));
    });
    QList<int> placed;
    for (int i : order) {
        const CardNumber& n = numbers[i];
        QString* box = nullptr;
        int* at = nullptr;
        switch (BoxOf(n)) {
        case Box::Phone:
            box = &out.phone;
            at = &out.phoneAt;
            break;
        case Box::Mobile:
            box = &out.mobile;
            at = &out.mobileAt;
            break;
        case Box::Fax:
            box = &out.fax;
            at = &out.faxAt;
            break;
        case Box::None:
            break;
        }
        if (box && box->isEmpty()) {
            *box = n.number.trimmed();
            *at = i;
            placed.append(i);
        }
    }
    for (int i = 0; i < numbers.size(); ++i) {
        if (placed.contains(i) || numbers[i].number.trimmed().isEmpty()) continue;
        QStringList kinds = numbers[i].types;
        kinds.removeAll(QStringLiteral("pref"));
        const QString number = numbers[i].number.trimmed();
        out.others.append(kinds.isEmpty() ? number
                                          : kinds.join(u',') + QStringLiteral(": ") + number);
    }
    return out;
}
