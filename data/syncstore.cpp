#include "data/syncstore.h"

#include "data/dberror.h"
#include "data/resulttable.h"
#include "data/synctables.h"

#include <QHash>

// Settings are kept one per row, as text: a setting added later needs no
// change of the table, and a book written by a later version still loads.
// A card is kept in Base64: whatever bytes the server sent come back
// exactly, large photos included, on either engine.

namespace {

QString flag(bool b) {
    return b ? QStringLiteral("1") : QStringLiteral("0");
}

QString joinIds(const QList<int>& ids) {
    QStringList out;
    for (int id : ids)
        out << QString::number(id);
    return out.join(u',');
}

QList<int> splitIds(const QString& text) {
    QList<int> ids;
    for (const QString& part : text.split(u',', Qt::SkipEmptyParts)) {
        bool ok = false;
        const int id = part.trimmed().toInt(&ok);
        if (ok) ids << id;
    }
    return ids;
}

QList<std::pair<QString, QString>> settingRows(const SyncSettings& s) {
    return {
        {QStringLiteral("server"), s.server},
        {QStringLiteral("bookurl"), s.bookUrl},
        {QStringLiteral("user"), s.user},
        {QStringLiteral("allgroups"), flag(s.allGroups)},
        {QStringLiteral("groupids"), joinIds(s.groupIds)},
        {QStringLiteral("newpartygroup"), QString::number(s.newPartyGroup)},
        {QStringLiteral("atstart"), flag(s.atStart)},
        {QStringLiteral("everyminutes"), QString::number(s.everyMinutes)},
        {QStringLiteral("pinnedsha256"), s.pinnedSha256},
        {QStringLiteral("synctoken"), s.syncToken},
        {QStringLiteral("ctag"), s.ctag},
        {QStringLiteral("lastsync"), s.lastSync},
    };
}

SyncSettings settingsFrom(const QHash<QString, QString>& v) {
    SyncSettings s;
    const auto text = [&](const char* name, QString& to) {
        const auto found = v.constFind(QLatin1String(name));
        if (found != v.constEnd()) to = *found;
    };
    const auto number = [&](const char* name, int& to) {
        bool ok = false;
        const int n = v.value(QLatin1String(name)).toInt(&ok);
        if (ok) to = n;
    };
    const auto truth = [&](const char* name, bool& to) {
        const auto found = v.constFind(QLatin1String(name));
        if (found != v.constEnd()) to = *found == QLatin1String("1");
    };
    text("server", s.server);
    text("bookurl", s.bookUrl);
    text("user", s.user);
    truth("allgroups", s.allGroups);
    s.groupIds = splitIds(v.value(QStringLiteral("groupids")));
    number("newpartygroup", s.newPartyGroup);
    truth("atstart", s.atStart);
    number("everyminutes", s.everyMinutes);
    text("pinnedsha256", s.pinnedSha256);
    text("synctoken", s.syncToken);
    text("ctag", s.ctag);
    text("lastsync", s.lastSync);
    return s;
}

} // namespace

SyncSettings SyncStore::LoadSettings(Connection& conn) {
    if (!HasTables(conn)) return {};
    ResultTable r;
    SyncTables::Run(conn, QStringLiteral("SELECT setname, setvalue FROM adrssyncset"), {}, &r);
    QHash<QString, QString> values;
    for (int i = 0; i < r.RowCount(); ++i)
        values.insert(r.Text(i, 0), r.Text(i, 1));
    return settingsFrom(values);
}

void SyncStore::SaveSettings(Connection& conn, const SyncSettings& s) {
    SyncTables::Writing(conn, [&] {
        EnsureTables(conn);
        // Only the settings this version knows are replaced: one a later
        // version added stays.
        for (const auto& [name, value] : settingRows(s)) {
            SyncTables::Run(conn, QStringLiteral("DELETE FROM adrssyncset WHERE setname = $1"),
                            {name});
            SyncTables::Run(
                conn, QStringLiteral("INSERT INTO adrssyncset (setname, setvalue) VALUES ($1, $2)"),
                {name, value});
        }
    });
}

QList<SyncCard> SyncStore::LoadCards(Connection& conn) {
    if (!HasTables(conn)) return {};
    ResultTable r;
    SyncTables::Run(conn,
                    QStringLiteral("SELECT cardadrsid, carduid, cardhref, cardetag, cardbase, "
                                   "cardpartyuid FROM adrssynccard ORDER BY carduid"),
                    {}, &r);
    QList<SyncCard> cards;
    cards.reserve(r.RowCount());
    for (int i = 0; i < r.RowCount(); ++i)
        cards.append(SyncCard{r.Value(i, 0).toInt(), r.Text(i, 1), r.Text(i, 2), r.Text(i, 3),
                              QByteArray::fromBase64(r.Text(i, 4).toLatin1()), r.Text(i, 5)});
    return cards;
}

void SyncStore::PutCard(Connection& conn, const SyncCard& card) {
    if (card.uid.isEmpty())
        throw DbError(QStringLiteral("A synced card without a UID is not kept."));
    SyncTables::Writing(conn, [&] {
        RemoveCard(conn, card.uid);
        SyncTables::Run(
            conn,
            QStringLiteral("INSERT INTO adrssynccard (carduid, cardadrsid, cardpartyuid, "
                           "cardhref, cardetag, cardbase) VALUES ($1, $2, $3, $4, $5, "
                           "$6)"),
            {card.uid, card.partyId, card.partyUid, card.href, card.etag,
             QString::fromLatin1(card.base.toBase64())});
    });
}

void SyncStore::RemoveCard(Connection& conn, const QString& uid) {
    SyncTables::Run(conn, QStringLiteral("DELETE FROM adrssynccard WHERE carduid = $1"), {uid});
}

void SyncStore::RemoveAllCards(Connection& conn) {
    if (!HasTables(conn)) return;
    SyncTables::Run(conn, QStringLiteral("DELETE FROM adrssynccard"));
}
