// Rounds of random edits on both sides, each followed by a sync round, and
// after each the invariants: one card per party and one party per card,
// both sides agreeing on every field, each side's last edit of a field on
// both sides (or a conflict reported, the desk's value kept), what a phone
// put on a card kept byte for byte, and the report's counts what happened.
// ADRSBOOK_SYNC_ROUNDS sets the number of rounds (50 unless told).

#include "data/connmodule.h"
#include "support/testmain.h"
#include "syncdesk.h"

#include <QRandomGenerator>
#include <QTest>

namespace {

struct Edit {
    QString value;
    bool desk = false;
};

const char* const kColumns[] = {"adrsemail", "adrsnotes"};
const char* const kProperties[] = {"EMAIL", "NOTE"};

int Rounds() {
    bool ok = false;
    const int n = qEnvironmentVariableIntValue("ADRSBOOK_SYNC_ROUNDS", &ok);
    return ok && n > 0 ? n : 50;
}

QString Url(SyncDesk& desk, const QString& href) {
    return QUrl(desk.BookUrl()).resolved(QUrl(href)).toString();
}

} // namespace

class SyncRandomTests : public QObject {
    Q_OBJECT
    CardServers servers_;

  private slots:
    void initTestCase() { servers_.Start(); }

    void randomRoundsKeepBothSidesWhole_data() { CardServers::AddRows(); }
    void randomRoundsKeepBothSidesWhole() {
        FETCH_CARD_SERVER(servers_, dav);
        SyncDesk desk(*dav);
        QRandomGenerator random(20261209);
        QMap<QString, QByteArray> unknown; // phone cards' own properties, by UID
        int made = 0;
        for (int i = 0; i < 4; ++i)
            desk.AddParty(QStringLiteral("DESK %1").arg(++made));
        QVERIFY(desk.Round().error.isEmpty());

        const int rounds = Rounds();
        for (int round = 1; round <= rounds; ++round) {
            // Each side's last edit this round, by (card UID, field).
            QMap<QPair<QString, int>, Edit> desks, phones;
            QSet<QString> deskDeleted, phoneDeleted;
            int deskAdded = 0, phoneAdded = 0;
            QList<SyncCard> rows = SyncStore::LoadCards(*Conn);
            const int ops = 1 + int(random.bounded(5));
            for (int op = 0; op < ops; ++op) {
                const int what = int(random.bounded(8));
                const int field = int(random.bounded(2));
                const QString value = QStringLiteral("v%1x%2@r.example").arg(round).arg(op);
                if (rows.isEmpty() || what == 0) {
                    desk.AddParty(QStringLiteral("DESK %1").arg(++made));
                    ++deskAdded;
                    continue;
                }
                const SyncCard row = rows.at(int(random.bounded(int(rows.size()))));
                if (what == 1) {
                    const QString uid = QStringLiteral("phone-%1-%2").arg(round).arg(op);
                    desk.Phone().Put(Url(desk, uid + QStringLiteral(".vcf")),
                                     PhoneCard(uid, QStringLiteral("Phone %1").arg(++made)), {},
                                     QStringLiteral("*"));
                    ++phoneAdded;
                } else if (what == 2 && !deskDeleted.contains(row.uid) && row.partyId) {
                    desk.DeleteParty(row.partyId);
                    deskDeleted.insert(row.uid);
                } else if (what == 3 && !phoneDeleted.contains(row.uid)) {
                    desk.Phone().Delete(Url(desk, row.href));
                    phoneDeleted.insert(row.uid);
                } else if (what % 2 == 0 && !deskDeleted.contains(row.uid) && row.partyId) {
                    desk.SetColumn(row.partyId, kColumns[field], value);
                    desks[{row.uid, field}] = {value, true};
                } else if (!phoneDeleted.contains(row.uid)) {
                    const CardClient::Reply got = desk.Phone().Get(Url(desk, row.href));
                    if (got.status != 200) continue;
                    desk.Phone().Put(Url(desk, row.href),
                                     WithValue(got.body, kProperties[field], value), got.etag);
                    phones[{row.uid, field}] = {value, false};
                }
            }
            const int putsBefore = dav->proxy->Forwarded("PUT");
            const int deletesBefore = dav->proxy->Forwarded("DELETE");
            const int partiesBefore = desk.Parties();
            const SyncReport r = desk.Round();
            const QString where = QStringLiteral("round %1").arg(round);
            QVERIFY2(r.error.isEmpty(), qPrintable(where + QStringLiteral(": ") + r.error));

            // One card per party, one party per card.
            const QMap<QString, QByteArray> cards = desk.Cards();
            rows = SyncStore::LoadCards(*Conn);
            QCOMPARE(rows.size(), cards.size());
            QCOMPARE(desk.Parties(), int(cards.size()));
            QSet<int> parties;
            for (const SyncCard& row : std::as_const(rows)) {
                QVERIFY2(cards.contains(row.href), qPrintable(where));
                QVERIFY2(row.partyId > 0 && !parties.contains(row.partyId), qPrintable(where));
                parties.insert(row.partyId);
                const QByteArray& card = cards[row.href];
                QCOMPARE(CardValue(card, "UID"), row.uid);
                // Both sides agree, and the last edit of each field is there.
                for (int f = 0; f < 2; ++f) {
                    const QString here = desk.Column(row.partyId, kColumns[f]).toString();
                    QCOMPARE(CardValue(card, kProperties[f]), here);
                    const auto d = desks.constFind({row.uid, f});
                    const auto p = phones.constFind({row.uid, f});
                    // An edit its own side then deleted is gone with it.
                    const bool deskEdit = d != desks.constEnd() && !deskDeleted.contains(row.uid);
                    const bool phoneEdit =
                        p != phones.constEnd() && !phoneDeleted.contains(row.uid);
                    if (deskEdit)
                        QCOMPARE(here, d->value); // the desk's edit wins a conflict
                    else if (phoneEdit)
                        QCOMPARE(here, p->value);
                    if (deskEdit && phoneEdit && d->value != p->value) {
                        bool reported = false;
                        for (const SyncConflict& c : r.conflicts)
                            reported |= c.partyId == row.partyId && c.server == p->value;
                        QVERIFY2(reported, qPrintable(where));
                    }
                }
                // What the phone put there is kept byte for byte.
                if (row.uid.startsWith(QLatin1String("phone-"))) {
                    if (!unknown.contains(row.uid)) unknown[row.uid] = PhoneOnly(card);
                    QCOMPARE(PhoneOnly(card), unknown[row.uid]);
                    QVERIFY(!unknown[row.uid].isEmpty());
                }
            }
            // A change beats a delete: an edited card or party is still there.
            for (auto it = desks.constBegin(); it != desks.constEnd(); ++it)
                if (!deskDeleted.contains(it.key().first)) {
                    bool found = false;
                    for (const SyncCard& row : std::as_const(rows))
                        found |= row.uid == it.key().first;
                    QVERIFY2(found, qPrintable(where + QStringLiteral(": lost ") + it.key().first));
                }
            // The report counts what reached the server and the book.
            QCOMPARE(r.sent, dav->proxy->Forwarded("PUT") - putsBefore);
            QCOMPARE(r.deletedThere, dav->proxy->Forwarded("DELETE") - deletesBefore);
            QVERIFY(r.deletedHere <= phoneDeleted.size());
            Q_UNUSED(partiesBefore);
            Q_UNUSED(deskAdded);
            Q_UNUSED(phoneAdded);
        }
    }
};

ADRSBOOK_TEST(SyncRandomTests)
#include "tst_syncrandom.moc"
