// Sync rounds against real contacts servers: what one side does reaches the
// other, nothing the phone put on a card is lost, no card or party is made
// twice, a change beats a delete, and a round that meets a fault leaves the
// book as it was.

#include "data/connmodule.h"
#include "data/synclock.h"
#include "support/testmain.h"
#include "sync/cardmerge.h"
#include "sync/syncround.h"
#include "syncdesk.h"

#include <QRandomGenerator>
#include <QTest>

namespace {

// The UIDs of the server's cards, each as often as a card carries it.
QStringList Uids(const QMap<QString, QByteArray>& cards) {
    QStringList uids;
    for (const QByteArray& card : cards)
        uids.append(CardValue(card, "UID"));
    uids.sort();
    return uids;
}

QByteArray CardOf(SyncDesk& desk, int partyId) {
    for (const SyncCard& row : SyncStore::LoadCards(*Conn))
        if (row.partyId == partyId) return desk.Cards().value(row.href);
    return {};
}

int PartyOfUid(const QString& uid) {
    for (const SyncCard& row : SyncStore::LoadCards(*Conn))
        if (row.uid == uid) return row.partyId;
    return 0;
}

QString Url(SyncDesk& desk, const QString& href) {
    return QUrl(desk.BookUrl()).resolved(QUrl(href)).toString();
}

// The phone changes a card: fetched, one value set, put back on its ETag.
void PhoneSets(SyncDesk& desk, const QString& href, const QByteArray& name, const QString& value) {
    const CardClient::Reply got = desk.Phone().Get(Url(desk, href));
    QCOMPARE(got.status, 200);
    const CardClient::Reply put =
        desk.Phone().Put(Url(desk, href), WithValue(got.body, name, value), got.etag);
    QVERIFY2(put.status == 201 || put.status == 204, qPrintable(QString::number(put.status)));
}

} // namespace

class SyncRoundTests : public QObject {
    Q_OBJECT
    CardServers servers_;

  private slots:
    void initTestCase() { servers_.Start(); }

    void aFirstRoundSendsEachPartyOnceAndTheNextNothing_data() { CardServers::AddRows(); }
    void aFirstRoundSendsEachPartyOnceAndTheNextNothing() {
        FETCH_CARD_SERVER(servers_, dav);
        SyncDesk desk(*dav);
        for (const char* name : {"SHARMA TRADERS", "GILL & SONS", "O'BRIEN EXPORTS"})
            desk.AddParty(QString::fromLatin1(name), QStringLiteral("0161 2345678"));
        SyncReport first = desk.Round();
        QVERIFY2(first.error.isEmpty(), qPrintable(first.error));
        QCOMPARE(first.sent, 3);
        QCOMPARE(desk.Cards().size(), 3);
        const SyncReport second = desk.Round();
        QVERIFY2(second.error.isEmpty(), qPrintable(second.error));
        QCOMPARE(second.sent + second.received + second.deletedHere + second.deletedThere, 0);
        QCOMPARE(desk.Cards().size(), 3);
        QCOMPARE(CardValue(CardOf(desk, 3), "ORG"), QStringLiteral("O'BRIEN EXPORTS"));
    }

    void aPhonesCardKeepsWhatThePartyHasNoBoxFor_data() { CardServers::AddRows(); }
    void aPhonesCardKeepsWhatThePartyHasNoBoxFor() {
        FETCH_CARD_SERVER(servers_, dav);
        SyncDesk desk(*dav);
        const QByteArray card =
            PhoneCard(QStringLiteral("phone-1"), QStringLiteral("Bajwa Motors"));
        QCOMPARE(
            desk.Phone()
                .Put(desk.BookUrl() + QStringLiteral("phone-1.vcf"), card, {}, QStringLiteral("*"))
                .status,
            201);
        const QByteArray stored = desk.Cards().first(); // as the server keeps it
        const SyncReport in = desk.Round();
        QVERIFY2(in.error.isEmpty(), qPrintable(in.error));
        QCOMPARE(in.received, 1);
        const int party = PartyOfUid(QStringLiteral("phone-1"));
        QVERIFY(party > 0);
        QCOMPARE(desk.Column(party, "adrsname").toString(), QStringLiteral("BAJWA MOTORS"));
        QCOMPARE(desk.Column(party, "adrsmobno").toString(), QStringLiteral("+91 98140 12345"));

        desk.SetColumn(party, "adrsemail", QStringLiteral("sales@bajwa.example"));
        desk.SetColumn(party, "adrsmobno", QStringLiteral("+91 98722 00000"));
        const SyncReport out = desk.Round();
        QVERIFY2(out.error.isEmpty(), qPrintable(out.error));
        QCOMPARE(out.sent, 1);
        const QByteArray now = CardOf(desk, party);
        QCOMPARE(CardValue(now, "EMAIL"), QStringLiteral("sales@bajwa.example"));
        QCOMPARE(CardValue(now, "TEL"), QStringLiteral("+91 98722 00000"));
        QCOMPARE(CardValue(now, "FN"), QStringLiteral("Bajwa Motors")); // not upper-cased
        QCOMPARE(PhoneOnly(now), PhoneOnly(stored));
        QVERIFY(PhoneOnly(stored).contains("item1.X-ABLABEL"));
    }

    void bothSidesChangedAreMergedFieldByField_data() { CardServers::AddRows(); }
    void bothSidesChangedAreMergedFieldByField() {
        FETCH_CARD_SERVER(servers_, dav);
        SyncDesk desk(*dav);
        const int party = desk.AddParty(QStringLiteral("SHARMA TRADERS"));
        QVERIFY(desk.Round().error.isEmpty());
        const QString href = SyncStore::LoadCards(*Conn).value(0).href;

        // One field each: both come through, nothing is a conflict.
        desk.SetColumn(party, "adrsemail", QStringLiteral("desk@sharma.example"));
        PhoneSets(desk, href, "NOTE", QStringLiteral("call after 5"));
        SyncReport r = desk.Round();
        QVERIFY2(r.error.isEmpty(), qPrintable(r.error));
        QCOMPARE(r.conflicts.size(), 0);
        QCOMPARE(r.merged, 1);
        QCOMPARE(desk.Column(party, "adrsnotes").toString(), QStringLiteral("call after 5"));
        QCOMPARE(CardValue(CardOf(desk, party), "EMAIL"), QStringLiteral("desk@sharma.example"));

        // The same field on both: the desk's value stays, the report shows both.
        desk.SetColumn(party, "adrsemail", QStringLiteral("new@desk.example"));
        PhoneSets(desk, href, "EMAIL", QStringLiteral("new@phone.example"));
        r = desk.Round();
        QVERIFY2(r.error.isEmpty(), qPrintable(r.error));
        QCOMPARE(r.conflicts.size(), 1);
        QCOMPARE(r.conflicts[0].field, PartyField::Email);
        QCOMPARE(r.conflicts[0].desk, QStringLiteral("new@desk.example"));
        QCOMPARE(r.conflicts[0].server, QStringLiteral("new@phone.example"));
        QCOMPARE(CardValue(CardOf(desk, party), "EMAIL"), QStringLiteral("new@desk.example"));

        // Taking the server's value: stored here, sent with the next round.
        QString error;
        QVERIFY2(TakeServersValue(*Conn, r.conflicts[0], &error), qPrintable(error));
        QCOMPARE(desk.Column(party, "adrsemail").toString(), QStringLiteral("new@phone.example"));
        QVERIFY(desk.Round().error.isEmpty());
        QCOMPARE(CardValue(CardOf(desk, party), "EMAIL"), QStringLiteral("new@phone.example"));
    }

    void deletesFollowAndAChangeBeatsADelete_data() { CardServers::AddRows(); }
    void deletesFollowAndAChangeBeatsADelete() {
        FETCH_CARD_SERVER(servers_, dav);
        SyncDesk desk(*dav);
        const int gone = desk.AddParty(QStringLiteral("DELETED AT THE DESK"));
        const int phoneGone = desk.AddParty(QStringLiteral("DELETED ON THE PHONE"));
        const int back = desk.AddParty(QStringLiteral("DELETED HERE CHANGED THERE"));
        const int sentAgain = desk.AddParty(QStringLiteral("CHANGED HERE DELETED THERE"));
        QVERIFY(desk.Round().error.isEmpty());
        QMap<int, QString> href;
        QMap<int, QString> uid;
        for (const SyncCard& row : SyncStore::LoadCards(*Conn)) {
            href[row.partyId] = row.href;
            uid[row.partyId] = row.uid;
        }
        desk.DeleteParty(gone);
        QVERIFY(desk.Phone().Delete(Url(desk, href[phoneGone])) / 100 == 2);
        desk.DeleteParty(back);
        PhoneSets(desk, href[back], "NOTE", QStringLiteral("still a customer"));
        desk.SetColumn(sentAgain, "adrsnotes", QStringLiteral("still a supplier"));
        QVERIFY(desk.Phone().Delete(Url(desk, href[sentAgain])) / 100 == 2);

        const SyncReport r = desk.Round();
        QVERIFY2(r.error.isEmpty(), qPrintable(r.error));
        QCOMPARE(r.deletedThere, 1);
        QCOMPARE(r.deletedHere, 1);
        QCOMPARE(r.notes.size(), 2);
        QVERIFY(!desk.Column(gone, "adrsname").isValid());
        QVERIFY(!desk.Column(phoneGone, "adrsname").isValid());
        const int returned = PartyOfUid(uid[back]);
        QVERIFY(returned > 0);
        QCOMPARE(desk.Column(returned, "adrsnotes").toString(), QStringLiteral("still a customer"));
        QCOMPARE(CardValue(CardOf(desk, sentAgain), "NOTE"), QStringLiteral("still a supplier"));
        QCOMPARE(desk.Cards().size(), 2);
        QCOMPARE(desk.Parties(), 2);
    }

    // A party added after the last one was deleted takes its id: it gets a
    // card of its own, and the deleted party's card goes.
    void aPartyTakingADeletedPartysIdIsAnotherParty_data() { CardServers::AddRows(); }
    void aPartyTakingADeletedPartysIdIsAnotherParty() {
        FETCH_CARD_SERVER(servers_, dav);
        SyncDesk desk(*dav);
        desk.AddParty(QStringLiteral("SHARMA TRADERS"));
        const int last = desk.AddParty(QStringLiteral("GILL & SONS"));
        QVERIFY(desk.Round().error.isEmpty());
        desk.DeleteParty(last);
        QTest::qWait(5); // another moment of adding
        QCOMPARE(desk.AddParty(QStringLiteral("BAJWA MOTORS")), last);
        const SyncReport r = desk.Round();
        QVERIFY2(r.error.isEmpty(), qPrintable(r.error));
        QCOMPARE(r.deletedThere, 1);
        QCOMPARE(r.sent, 1);
        QStringList names;
        for (const QByteArray& card : desk.Cards())
            names.append(CardValue(card, "ORG"));
        names.sort();
        QCOMPARE(names,
                 QStringList({QStringLiteral("BAJWA MOTORS"), QStringLiteral("SHARMA TRADERS")}));
    }

    // The server stored the card but its answer never came: the next round
    // meets 412 on its create and pairs the card, never a second one.
    void aLostAnswerMakesNoDuplicate_data() { CardServers::AddRows(); }
    void aLostAnswerMakesNoDuplicate() {
        FETCH_CARD_SERVER(servers_, dav);
        SyncDesk desk(*dav);
        desk.AddParty(QStringLiteral("SHARMA TRADERS"));
        desk.AddParty(QStringLiteral("GILL & SONS"));
        // Dropped twice: the network layer sends a request again once by itself.
        dav->proxy->Add({FaultProxy::DropAnswer, "PUT", {}, 2, 0});
        const SyncReport lost = desk.Round();
        QVERIFY(!lost.error.isEmpty());
        QCOMPARE(desk.Cards().size(), 1); // stored, not known to be
        const SyncReport again = desk.Round();
        QVERIFY2(again.error.isEmpty(), qPrintable(again.error));
        QCOMPARE(desk.Cards().size(), 2);
        QCOMPARE(SyncStore::LoadCards(*Conn).size(), 2);
        const QStringList uids = Uids(desk.Cards());
        QCOMPARE(QSet<QString>(uids.begin(), uids.end()).size(), 2);
        QCOMPARE(desk.Round().sent, 0);
    }

    // A fault while the changes are listed or fetched: the round stops with
    // the reason and the book takes nothing; the next round takes it all.
    void aFaultLeavesTheBookAsItWas_data() {
        QTest::addColumn<QString>("server");
        QTest::addColumn<int>("fault");
        QTest::addColumn<QByteArray>("method");
        for (const char* s : {"Radicale", "Xandikos"}) {
            QTest::addRow("%s 503", s)
                << QString::fromLatin1(s) << int(FaultProxy::Return503) << QByteArray("REPORT");
            QTest::addRow("%s cut mid-body", s)
                << QString::fromLatin1(s) << int(FaultProxy::CutMidBody) << QByteArray("REPORT");
            QTest::addRow("%s 10 s late", s)
                << QString::fromLatin1(s) << int(FaultProxy::Delay) << QByteArray("REPORT");
        }
    }
    void aFaultLeavesTheBookAsItWas() {
        FETCH_CARD_SERVER(servers_, dav);
        QFETCH(int, fault);
        QFETCH(QByteArray, method);
        SyncDesk desk(*dav);
        for (int i = 1; i <= 3; ++i) {
            const QString uid = QStringLiteral("phone-%1").arg(i);
            desk.Phone().Put(desk.BookUrl() + uid + QStringLiteral(".vcf"),
                             PhoneCard(uid, QStringLiteral("Card %1").arg(i)), {},
                             QStringLiteral("*"));
        }
        dav->proxy->Add({FaultProxy::Kind(fault), method, {}, 10, 10000});
        const SyncReport failed = desk.Round(2000);
        dav->proxy->Clear();
        QVERIFY(!failed.error.isEmpty());
        QCOMPARE(desk.Parties(), 0);
        QCOMPARE(SyncStore::LoadCards(*Conn).size(), 0);
        const SyncReport r = desk.Round();
        QVERIFY2(r.error.isEmpty(), qPrintable(r.error));
        QCOMPARE(desk.Parties(), 3);
    }

    void aWrongPasswordStopsTheRound() {
        QString why;
        CardServer* dav = servers_.Get(QStringLiteral("Radicale"), &why);
        QVERIFY2(dav, qPrintable(why));
        SyncDesk desk(*dav);
        desk.AddParty(QStringLiteral("SHARMA TRADERS"));
        const QString password = dav->password;
        dav->password = QStringLiteral("not the password");
        const SyncReport r = desk.Round();
        dav->password = password;
        QVERIFY(r.error.contains(QLatin1String("password")));
        QVERIFY(r.authFailed);
        QCOMPARE(desk.Cards().size(), 0);
    }

    void oneDeskSyncsAtATime() {
        QString why;
        CardServer* dav = servers_.Get(QStringLiteral("Radicale"), &why);
        QVERIFY2(dav, qPrintable(why));
        SyncDesk desk(*dav);
        desk.AddParty(QStringLiteral("SHARMA TRADERS"));
        SyncLock other(*Conn2);
        QVERIFY(other.Held());
        const SyncReport r = desk.Round();
        QVERIFY(r.error.contains(QLatin1String("Another desk")));
        QCOMPARE(desk.Cards().size(), 0);
    }
};

ADRSBOOK_TEST(SyncRoundTests)
#include "tst_syncround.moc"
