#include "party/partyrecord.h"

#include "data/fieldlengths.h"
#include "party/phonenumbers.h"
#include "platform/vb.h"

#include <algorithm>

const char* PartyColumn(PartyField field) {
    switch (field) {
    case PartyField::Name:
        return "adrsname";
    case PartyField::Contact:
        return "adrscontact";
    case PartyField::Address:
        return "adrs1";
    case PartyField::Area:
        return "adrs2";
    case PartyField::LandMark:
        return "adrs3";
    case PartyField::Pin:
        return "adrspin";
    case PartyField::Vat:
        return "adrscstno";
    case PartyField::Phone:
        return "adrsphno";
    case PartyField::Mobile:
        return "adrsmobno";
    case PartyField::Fax:
        return "adrsfax";
    case PartyField::Email:
        return "adrsemail";
    case PartyField::Web:
        return "adrsweb";
    case PartyField::Notes:
        return "adrsnotes";
    case PartyField::City:
    case PartyField::State:
    case PartyField::Country:
    case PartyField::Groups:
    case PartyField::Uid:
    case PartyField::Count:
        break;
    }
    return nullptr;
}

namespace {

struct FieldRule {
    const char* caption;
    int length;
    bool upper;
    bool oneLine;
    const char* guesses; // normalised header spellings, separated by "|"
};

// Lengths and letter case as the address, city and group masters take them.
const FieldRule kRules[kPartyFields] = {
    {"Party Name", FieldLength::PartyLine, true, true,
     "partyname|name|company|companyname|organization|organisation|org|displayname|fullname|"
     "fn|businessname"},
    {"Contact Person", FieldLength::PartyLine, true, true,
     "contactperson|contact|contactname|person|attention"},
    {"Address", FieldLength::PartyLine, true, true,
     "address|address1|addressline1|street|streetaddress|businessstreet|homestreet|"
     "address1street"},
    {"Area", FieldLength::PartyLine, true, true,
     "area|address2|addressline2|locality|businessstreet2|homestreet2"},
    {"Land Mark", FieldLength::PartyLine, true, true,
     "landmark|address3|addressline3|businessstreet3"},
    {"City", FieldLength::City, true, true, "city|town|businesscity|homecity|address1city"},
    {"State", FieldLength::State, true, true,
     "state|region|province|businessstate|homestate|address1region|stateprovince"},
    {"Country", FieldLength::Country, true, true,
     "country|countryregion|businesscountry|businesscountryregion|homecountry|"
     "address1country"},
    {"PIN Code", FieldLength::PartyLine, false, true,
     "pincode|pin|postcode|postalcode|zip|zipcode|businesspostalcode|address1postalcode"},
    {"VAT/CST No.", FieldLength::PartyLine, false, true,
     "vatcstno|vat|cst|vatno|gst|gstin|tin|taxno|vatcsttin"},
    {"Land Line", FieldLength::Phone, false, true,
     "landline|phone|phoneno|telephone|tel|businessphone|workphone|homephone|phone1value|"
     "primaryphone"},
    {"Mobile No.", FieldLength::Phone, false, true,
     "mobileno|mobile|mobilephone|cell|cellphone|mobilenumber"},
    {"Fax No.", FieldLength::PartyLine, false, true, "faxno|fax|businessfax|faxnumber"},
    {"E-Mail", FieldLength::Link, false, true,
     "email|emailaddress|mail|email1value|emailid|e-mail|primaryemail|email1"},
    {"Web Site", FieldLength::Link, false, true, "website|web|url|homepage|webpage|website1value"},
    {"Notes", FieldLength::Notes, false, false, "notes|note|remarks|remarksnotes|comments|memo"},
    {"Groups", 0, true, true, "groups|group|categories|category|groupmembership|labels"},
    {"UID", 0, false, true, "uid|id|uniqueid"},
};

bool IsNumber(PartyField f) {
    return f == PartyField::Phone || f == PartyField::Mobile || f == PartyField::Fax;
}

const FieldRule& Rule(PartyField f) {
    return kRules[int(f)];
}

QString HeaderKey(const QString& header) {
    QString key;
    for (QChar c : header)
        if (c.isLetterOrNumber()) key += c.toLower();
    return key;
}

// One-line boxes: line breaks and tabs become blanks, NULs go.
// A text already as wanted is returned shared, not copied: an import of
// thousands of records holds each value once.
QString OneLine(QString text) {
    auto breaks = [](QChar c) { return c == u'\r' || c == u'\n' || c == u'\t' || c.isNull(); };
    if (std::none_of(text.cbegin(), text.cend(), breaks)) return text;
    for (QChar& c : text)
        if (c == u'\r' || c == u'\n' || c == u'\t') c = u' ';
    text.remove(QChar(0));
    return text;
}

} // namespace

QStringList PartyRecord::GroupNames() const {
    // A comma belongs to the name ("SALES, NORTH"); webmail exports separate
    // groups with " ::: ".
    QString text = (*this)[PartyField::Groups];
    text.replace(QLatin1String(":::"), QLatin1String(";"));
    QStringList names;
    for (const QString& part : text.split(u';', Qt::SkipEmptyParts))
        if (!part.trimmed().isEmpty()) names.append(part.trimmed());
    return names;
}

QString FieldCaption(PartyField field) {
    return QString::fromLatin1(Rule(field).caption);
}

PartyField GuessField(const QString& header) {
    const QString key = HeaderKey(header);
    if (key.isEmpty()) return PartyField::Count;
    for (int f = 0; f < kPartyFields; ++f) {
        const QStringList spellings = QString::fromLatin1(kRules[f].guesses).split(u'|');
        for (const QString& s : spellings)
            if (HeaderKey(s) == key) return PartyField(f);
    }
    return PartyField::Count;
}

QString UpperTyped(const QString& text) {
    auto changes = [](QChar c) { return UpperKey(c.unicode()) != c.unicode(); };
    if (std::none_of(text.cbegin(), text.cend(), changes)) return text;
    QString out = text;
    for (QChar& c : out)
        c = QChar(UpperKey(c.unicode()));
    return out;
}

QString CutTo(const QString& text, int length) {
    if (text.size() <= length) return text;
    qsizetype end = length;
    if (end > 0 && text[end - 1].isHighSurrogate()) --end;
    return text.left(end);
}

FittedParty FitParty(const PartyRecord& record) {
    FittedParty out;
    QString tooLong;
    for (int i = 0; i < kPartyFields; ++i) {
        const PartyField f = PartyField(i);
        const FieldRule& rule = Rule(f);
        QString value = record[f];
        if (rule.oneLine)
            value = OneLine(value);
        else
            value.remove(QChar(0)); // line breaks are kept as the file has them
        value = value.trimmed();
        if (rule.upper) value = UpperTyped(value);
        if (IsNumber(f) && value.size() > rule.length) {
            // A cut number dials someone else: the compact form or nothing.
            if (const QString fitted = FitNumber(value, rule.length); !fitted.isEmpty()) {
                value = fitted;
                out.compact.append(FieldCaption(f));
            } else if (tooLong.isEmpty()) {
                tooLong = QStringLiteral("%1 longer than %2 characters, even written compact: %3")
                              .arg(FieldCaption(f))
                              .arg(rule.length)
                              .arg(value);
            }
        } else if (rule.length > 0 && value.size() > rule.length) {
            value = Trim(CutTo(value, rule.length));
            out.cut.append(FieldCaption(f));
        }
        out.party[f] = value;
    }
    for (const QString& name : record.GroupNames()) {
        const QString group = Trim(CutTo(UpperTyped(OneLine(name).trimmed()), FieldLength::Group));
        if (!group.isEmpty() && !out.groups.contains(group, Qt::CaseInsensitive))
            out.groups.append(group);
    }
    out.party[PartyField::Groups] = out.groups.join(QLatin1String("; "));
    if (out.party[PartyField::Name].isEmpty())
        out.invalid = QStringLiteral("no party name");
    else if (out.party[PartyField::Address].isEmpty())
        out.invalid = QStringLiteral("no address");
    else if (out.party[PartyField::City].isEmpty())
        out.invalid = QStringLiteral("no city");
    else if (!tooLong.isEmpty())
        out.invalid = tooLong;
    return out;
}

int AddToNotes(QString& notes, const QString& label, const QStringList& items) {
    if (items.isEmpty()) return 0;
    QString line = label;
    const QString start = notes.trimmed().isEmpty() ? QString() : notes.trimmed() + u'\n';
    int added = 0;
    for (const QString& item : items) {
        const QString next = line + (added ? QStringLiteral(", ") : QString()) + item;
        if (start.size() + next.size() > FieldLength::Notes) break;
        line = next;
        ++added;
    }
    if (added) notes = start + line;
    return int(items.size()) - added;
}
