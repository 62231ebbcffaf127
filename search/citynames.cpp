#include "search/citynames.h"

#include "data/recordset.h"
#include "platform/vb.h"

#include <cmath>

namespace {

// The id a lookup "ctyid = <whole number>" finds the row by: a whole
// number in the id range; a text, a fraction or a Null is found by none.
std::optional<Integer> LookupId(const QVariant& v) {
    if (v.isNull() || v.typeId() == QMetaType::QString) return std::nullopt;
    bool ok = false;
    const double d = v.toDouble(&ok);
    if (!ok || d != std::trunc(d) || d < -32768 || d > kLargestId) return std::nullopt;
    return Integer(d);
}

} // namespace

void CityNames::Read(Connection* conn) {
    Clear();
    Recordset rs;
    rs.Open(QStringLiteral("Select ctyid,ctyname,Statename,Contryname from cscmstr"), conn,
            adOpenStatic, adLockReadOnly);
    byId_.reserve(rs.RecordCount());
    for (; !rs.Eof(); rs.MoveNext()) {
        const std::optional<Integer> id = LookupId(rs.Fields(0).Value());
        if (!id || byId_.contains(*id)) continue;
        auto text = [&](int field) {
            const QUtf8StringView v = Trim(rs.Fields(field).Utf8());
            return QByteArray(v.data(), v.size());
        };
        byId_.insert(*id, City{text(1), text(2), text(3)});
    }
    read_ = true;
}

const CityNames::City* CityNames::Find(Integer id) const {
    const auto found = byId_.constFind(id);
    return found == byId_.constEnd() ? nullptr : &found.value();
}

void CityNames::Clear() {
    byId_ = {};
    read_ = false;
}
