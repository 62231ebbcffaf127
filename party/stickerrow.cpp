#include "party/stickerrow.h"

#include "data/recordset.h"
#include "platform/vb.h"

namespace {

// The attention layout also reads the contact person; the city line is
// joined inside the statement, so a missing state or country makes the
// whole line Null.
const QString kSelectWithAttn =
    QStringLiteral("SELECT (adrsmstr.adrsname),(adrsmstr.adrscontact),");
const QString kSelectWithoutAttn = QStringLiteral("SELECT (adrsmstr.adrsname),");
const QString kAddressColumns =
    QStringLiteral(" (adrsmstr.adrs1), (adrsmstr.adrs2), (adrsmstr.adrs3), (adrsmstr.adrsphno),");
const QString kMobileCityWithAttn =
    QStringLiteral(" (adrsmstr.adrsmobno), (cscmstr.ctyname +' ('+ cscmstr.statename +')' +', '+ "
                   "cscmstr.contryname)From adrsmstr,");
const QString kMobileCityWithoutAttn =
    QStringLiteral(" (adrsmstr.adrsmobno),(cscmstr.ctyname +' ('+ cscmstr.statename +')' +', '+ "
                   "cscmstr.contryname)From adrsmstr,");
const QString kJoinById =
    QStringLiteral(" cscmstr WHERE adrsmstr.adrsctyid = cscmstr.ctyid and adrsmstr.adrsid like '");
const QString kLiveOnly = QStringLiteral("' and adrsmstr.adrsdelstatus like '");

const Integer kLive = 0;

} // namespace

QString StickerQuery(Integer adrsId, bool withContact) {
    const QString& select = withContact ? kSelectWithAttn : kSelectWithoutAttn;
    const QString& mobileCity = withContact ? kMobileCityWithAttn : kMobileCityWithoutAttn;
    return select + kAddressColumns + mobileCity + kJoinById + QString::number(adrsId) + kLiveOnly +
           QString::number(kLive) + QStringLiteral("'");
}

AddressBlock ReadStickerRow(Recordset& rs, bool withContact, const QString& contactFallback) {
    AddressBlock party;
    int col = 0;
    party.name = Trim(rs.Fields(col++).Str());
    if (withContact) {
        const Field contact = rs.Fields(col++);
        party.contact = contact.IsNull() ? Trim(contactFallback) : Trim(contact.Str());
    }
    party.adrs1 = Trim(rs.Fields(col++).Str());
    party.adrs2 = Trim(rs.Fields(col++).Str());
    party.adrs3 = Trim(rs.Fields(col++).Str());
    const QString phone = Trim(rs.Fields(col++).Str());
    const QString mobile = Trim(rs.Fields(col++).Str());
    party.phoneLine = PhoneLine(phone, mobile);
    party.cityLine = rs.Fields(col).Str();
    return party;
}
