#include "sync/fieldmerge.h"

namespace {

QStringList GroupsOf(const QString& text) {
    PartyRecord r;
    r[PartyField::Groups] = text;
    return r.GroupNames();
}

bool HasGroup(const QStringList& groups, const QString& name) {
    return groups.contains(name, Qt::CaseInsensitive);
}

QString MergeGroups(const QString& base, const QString& desk, const QString& server) {
    const QStringList b = GroupsOf(base), d = GroupsOf(desk), s = GroupsOf(server);
    QStringList merged;
    for (const QString& g : d)
        if (!HasGroup(b, g) || HasGroup(s, g)) merged.append(g);
    for (const QString& g : s)
        if (!HasGroup(b, g) && !HasGroup(merged, g)) merged.append(g);
    return merged.join(QLatin1String("; "));
}

// Fields that change together.
QList<QList<PartyField>> FieldGroups() {
    QList<QList<PartyField>> groups;
    for (int i = 0; i < kPartyFields; ++i) {
        const PartyField f = PartyField(i);
        if (f == PartyField::Uid || f == PartyField::State || f == PartyField::Country) continue;
        if (f == PartyField::City)
            groups.append({PartyField::City, PartyField::State, PartyField::Country});
        else
            groups.append({f});
    }
    return groups;
}

bool SameFields(const QList<PartyField>& fields, const PartyRecord& a, const PartyRecord& b) {
    for (PartyField f : fields)
        if (!SameValue(f, a[f], b[f])) return false;
    return true;
}

} // namespace

bool SameValue(PartyField field, const QString& a, const QString& b) {
    if (field == PartyField::Notes) {
        QString x = a, y = b;
        x.replace(QLatin1String("\r\n"), QLatin1String("\n"));
        y.replace(QLatin1String("\r\n"), QLatin1String("\n"));
        return x == y;
    }
    if (field == PartyField::Groups) {
        const QStringList x = GroupsOf(a), y = GroupsOf(b);
        for (const QString& g : x)
            if (!HasGroup(y, g)) return false;
        for (const QString& g : y)
            if (!HasGroup(x, g)) return false;
        return true;
    }
    return a == b;
}

FieldMerge MergeFields(const PartyRecord& baseRecord, const PartyRecord& deskRecord,
                       const PartyRecord& serverRecord) {
    const PartyRecord base = FitParty(baseRecord).party;
    const PartyRecord desk = FitParty(deskRecord).party;
    const PartyRecord server = FitParty(serverRecord).party;
    FieldMerge out;
    out.merged = desk;
    for (const QList<PartyField>& fields : FieldGroups()) {
        const bool deskChanged = !SameFields(fields, base, desk);
        const bool serverChanged = !SameFields(fields, base, server);
        if (fields == QList<PartyField>{PartyField::Groups}) {
            out.merged[PartyField::Groups] = MergeGroups(
                base[PartyField::Groups], desk[PartyField::Groups], server[PartyField::Groups]);
        } else if (serverChanged && !deskChanged) {
            for (PartyField f : fields)
                out.merged[f] = server[f];
        } else if (serverChanged && !SameFields(fields, desk, server)) {
            for (PartyField f : fields)
                if (!SameValue(f, desk[f], server[f])) out.conflicts.append(f);
        }
        for (PartyField f : fields) {
            if (!SameValue(f, out.merged[f], server[f])) out.deskChanged.append(f);
            if (!SameValue(f, out.merged[f], desk[f])) out.serverChanged.append(f);
        }
    }
    return out;
}
