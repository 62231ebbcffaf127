#include "importexport/headernames.h"

#include "party/phonenumbers.h"

#include <QHash>
#include <QRegularExpression>

namespace {

struct Spellings {
    Header header;
    const char* keys; // UTF-8, lower case, letters and digits only, "|" between
};

// The spellings of the common exporters: phones and webmail (Google's "Given
// Name", "E-mail 1 - Value"), mail clients in English and German
// ("Vorname", "Tel. dienstlich", "Privat: Ort"), Outlook in English,
// French and Spanish, and Hindi column names of Indian spreadsheets.
const Spellings kTable[] = {
    {Header::PartyName, "partyname"},
    {Header::Company,
     "company|companyname|organization|organisation|org|organization1name|businessname|firma|"
     "unternehmen|société|societe|entreprise|empresa|compañía|compania|organización|"
     "कंपनी|कंपनीकानाम|संगठन|फर्म"},
    {Header::FullName,
     "name|fullname|displayname|fn|anzeigename|vollständigername|nomcomplet|nomàafficher|"
     "nombrecompleto|nombreparamostrar|नाम|पूरानाम"},
    {Header::GivenName, "firstname|givenname|first|vorname|prénom|prenom|nombre|पहलानाम"},
    {Header::MiddleName,
     "middlename|additionalname|weiterevornamen|zweitervorname|deuxièmeprénom|segundonombre|"
     "मध्यनाम"},
    {Header::FamilyName,
     "lastname|familyname|surname|last|nachname|familienname|nom|nomdefamille|apellidos|"
     "apellido|उपनाम|अंतिमनाम"},
    {Header::ContactPerson,
     "contactperson|contact|contactname|person|attention|ansprechpartner|संपर्कव्यक्ति"},
    {Header::JobTitle,
     "jobtitle|organization1title|position|arbeitstitel|beruf|fonction|puesto|cargo|पद"},
    {Header::Street,
     "address|address1|addressline1|street|streetaddress|businessstreet|homestreet|"
     "address1street|workaddress|homeaddress|straße|strasse|straßegeschäftlich|"
     "dienstlichadresse|privatadresse|adresse|rue|ruebureau|calle|dirección|direccion|पता"},
    {Header::Area,
     "area|address2|addressline2|locality|street2|businessstreet2|homestreet2|workaddress2|"
     "homeaddress2|dienstlichadresse2|privatadresse2|ortsteil|quartier|colonia|barrio|क्षेत्र"},
    {Header::LandMark, "landmark|address3|addressline3|businessstreet3|homestreet3"},
    {Header::City,
     "city|town|businesscity|homecity|workcity|address1city|ort|stadt|dienstlichort|privatort|"
     "ortgeschäftlich|ville|villebureau|ciudad|शहर|नगर"},
    {Header::State,
     "state|region|province|stateprovince|businessstate|homestate|workstate|address1region|"
     "bundesland|dienstlichbundesland|privatbundesland|état|etat|région|estado|provincia|राज्य"},
    {Header::PostalCode,
     "pincode|pin|postcode|postalcode|zip|zipcode|businesspostalcode|homepostalcode|"
     "homezipcode|workzipcode|address1postalcode|plz|postleitzahl|dienstlichplz|privatplz|"
     "codepostal|códigopostal|codigopostal|पिनकोड|पिन"},
    {Header::Country,
     "country|countryregion|businesscountry|businesscountryregion|homecountry|workcountry|"
     "homecountryregion|address1country|land|dienstlichland|privatland|pays|país|pais|देश"},
    {Header::Vat, "vatcstno|vat|cst|vatno|gst|gstin|tin|taxno|vatcsttin|ustidnr|जीएसटी"},
    {Header::WorkPhone,
     "businessphone|workphone|officephone|teldienstlich|telefongeschäftlich|téléphonebureau|"
     "teléfonodeltrabajo|teléfonotrabajo|कार्यालयफोन"},
    {Header::HomePhone,
     "homephone|telprivat|telefonprivat|téléphonedomicile|teléfonoparticular|घरकाफोन"},
    {Header::Phone, "landline|phone|phoneno|telephone|tel|phone1value|phone2value|phone3value|"
                    "primaryphone|telefon|téléphone|"
                    "teléfono|telefono|फोन|फ़ोन|दूरभाष"},
    {Header::Mobile,
     "mobileno|mobile|mobilephone|mobilenumber|cell|cellphone|mobiltelnr|mobiltelefon|handy|"
     "mobil|téléphonemobile|portable|móvil|movil|teléfonomóvil|celular|मोबाइल|मोबाइलनंबर"},
    {Header::Fax, "faxno|fax|faxnumber|businessfax|homefax|faxnummer|faxgeschäftlich|télécopie|"
                  "télécopiebureau|फैक्स|फ़ैक्स"},
    {Header::Email, "email|emailaddress|mail|email1value|emailid|primaryemail|email1|emailadresse|"
                    "primäreemailadresse|courriel|adressedemessagerie|correoelectrónico|"
                    "correoelectronico|ईमेल|ईमेलपता"},
    {Header::OtherEmail,
     "email2|email2address|email3address|email2value|email3value|secondaryemail|"
     "sekundäreemailadresse|email2adresse|adressedemessagerie2|correoelectrónico2"},
    {Header::Web,
     "website|web|url|homepage|webpage|webpage1|website1value|webseite|webseite1|siteweb|"
     "pagewebpersonnelle|sitioweb|páginaweb|वेबसाइट"},
    {Header::Notes,
     "notes|note|remarks|remarksnotes|comments|memo|notizen|notiz|bemerkungen|remarques|"
     "notas|टिप्पणी|नोट्स"},
    {Header::Groups,
     "groups|group|categories|category|groupmembership|labels|kategorien|gruppen|catégories|"
     "categorías|categorias|grupos|समूह"},
    {Header::Uid, "uid|id|uniqueid"},
};

// Letters (with their marks: Devanagari's vowel signs), digits; lower case.
QString Key(const QString& header) {
    QString key;
    for (QChar c : header)
        if (c.isLetterOrNumber() || c.isMark()) key += c.toLower();
    return key;
}

const QHash<QString, Header>& Known() {
    static const QHash<QString, Header> known = [] {
        QHash<QString, Header> h;
        for (const Spellings& s : kTable)
            for (const QString& k : QString::fromUtf8(s.keys).split(u'|'))
                h.insert(Key(k), s.header);
        return h;
    }();
    return known;
}

bool LooksLikeData(const QString& field) {
    static const QRegularExpression data(
        QStringLiteral(R"(@|^\+|://|^www\.|^[\d\s()+./-]{5,}$|\d{3,})"));
    return data.match(field.trimmed()).hasMatch();
}

} // namespace

Header HeaderOf(const QString& header) {
    return Known().value(Key(header), Header::None);
}

PartyField FieldOf(Header header) {
    switch (header) {
    case Header::None:
        return PartyField::Count;
    case Header::PartyName:
    case Header::Company:
    case Header::FullName:
        return PartyField::Name;
    case Header::GivenName:
    case Header::MiddleName:
    case Header::FamilyName:
    case Header::ContactPerson:
        return PartyField::Contact;
    case Header::JobTitle:
    case Header::Notes:
        return PartyField::Notes;
    case Header::Street:
        return PartyField::Address;
    case Header::Area:
        return PartyField::Area;
    case Header::LandMark:
        return PartyField::LandMark;
    case Header::City:
        return PartyField::City;
    case Header::State:
        return PartyField::State;
    case Header::PostalCode:
        return PartyField::Pin;
    case Header::Country:
        return PartyField::Country;
    case Header::Vat:
        return PartyField::Vat;
    case Header::WorkPhone:
    case Header::HomePhone:
    case Header::Phone:
        return PartyField::Phone;
    case Header::Mobile:
        return PartyField::Mobile;
    case Header::Fax:
        return PartyField::Fax;
    case Header::Email:
    case Header::OtherEmail:
        return PartyField::Email;
    case Header::Web:
        return PartyField::Web;
    case Header::Groups:
        return PartyField::Groups;
    case Header::Uid:
        return PartyField::Uid;
    }
    return PartyField::Count;
}

bool FirstRecordIsData(const QStringList& record) {
    bool data = false;
    for (const QString& field : record) {
        if (HeaderOf(field) != Header::None) return false;
        if (LooksLikeData(field)) data = true;
    }
    return data;
}

QVector<PartyField> MappingByContent(const QList<QStringList>& records) {
    static const QRegularExpression email(QStringLiteral(R"(^[^@\s]+@[^@\s]+\.[^@\s]+$)"));
    static const QRegularExpression web(QStringLiteral(R"(^(https?://|www\.)\S+$)"),
                                        QRegularExpression::CaseInsensitiveOption);
    static const QRegularExpression words(QStringLiteral(R"(^[^\d@]*\w[^\d@]*$)"));
    qsizetype width = 0;
    for (const QStringList& r : records.mid(0, 20))
        width = qMax(width, r.size());
    QVector<PartyField> mapping(width, PartyField::Count);
    QList<PartyField> numbers{PartyField::Phone, PartyField::Mobile, PartyField::Fax};
    bool named = false;
    for (qsizetype c = 0; c < width; ++c) {
        int filled = 0, mails = 0, links = 0, phones = 0, texts = 0;
        for (const QStringList& r : records.mid(0, 20)) {
            const QString v = r.value(c).trimmed();
            if (v.isEmpty()) continue;
            ++filled;
            mails += email.match(v).hasMatch();
            links += web.match(v).hasMatch();
            phones += !CompactNumber(v).isEmpty();
            texts += words.match(v).hasMatch();
        }
        if (!filled) continue;
        if (mails == filled)
            mapping[c] = PartyField::Email;
        else if (links == filled)
            mapping[c] = PartyField::Web;
        else if (phones == filled && !numbers.isEmpty())
            mapping[c] = numbers.takeFirst();
        else if (texts == filled && !named) {
            mapping[c] = PartyField::Name;
            named = true;
        }
    }
    return mapping;
}
