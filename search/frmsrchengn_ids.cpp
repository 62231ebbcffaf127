// The current result as party ids, for those who act on the whole result.

#include "search/frmsrchengn.h"

QList<int> FrmSrchEngn::ResultPartyIds() {
    QList<int> ids;
    if (RsSrch.State() != adStateOpen || RsSrch.RecordCount() < 1) return ids;
    int id = -1, name = -1;
    for (int c = 0; c < RsSrch.FieldCount(); ++c) {
        const QString field = RsSrch.Fields(c).Name().toLower();
        if (field == QLatin1String("adrsid") && id < 0) id = c;
        if (field == QLatin1String("adrsname") && name < 0) name = c;
    }
    if (id < 0 || name < 0) return ids; // the group list, not a search
    RsSrch.MoveFirst();
    while (!RsSrch.Eof()) {
        // Rows without a name are not listed, so they are not in the result.
        if (!RsSrch.Fields(name).IsNull()) ids.append(RsSrch.Fields(id).Value().toInt());
        RsSrch.MoveNext();
    }
    return ids;
}
