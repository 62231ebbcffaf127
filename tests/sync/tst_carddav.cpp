// The contacts client against real Radicale and Xandikos servers: finding
// the address book, conditional writes that never overwrite a change unseen,
// what changed since the last sync, fetching cards byte for byte, and the
// network's faults (through the proxy in front of each server) as errors of
// the right kind. A second client plays the phone that changes the book.

#include "support/cardclient.h"
#include "support/cardservers.h"
#include "support/testmain.h"
#include "sync/carddavclient.h"

#include <QElapsedTimer>
#include <QRandomGenerator>
#include <QTest>
#include <QUrl>
#include <QUuid>
#include <set>

Q_DECLARE_METATYPE(FaultProxy::Kind)
Q_DECLARE_METATYPE(SyncError::Kind)

namespace {

QByteArray Card(const QString& uid, const QString& name, const QByteArray& extra = {}) {
    return "BEGIN:VCARD\r\nVERSION:3.0\r\nUID:" + uid.toUtf8() + "\r\nFN:" + name.toUtf8() +
           "\r\nN:" + name.toUtf8() + ";;;;\r\n" + extra + "END:VCARD\r\n";
}

// A photo as phones send it: a long base64 line folded at 75 octets.
QByteArray Photo() {
    QByteArray bytes(6000, Qt::Uninitialized);
    for (char& c : bytes)
        c = char(QRandomGenerator::global()->bounded(256));
    const QByteArray line = "PHOTO;ENCODING=b;TYPE=JPEG:" + bytes.toBase64();
    QByteArray out = line.left(75);
    for (qsizetype i = 75; i < line.size(); i += 74)
        out += "\r\n " + line.mid(i, 74);
    return out + "\r\n";
}

QString NewUid() {
    return QUuid::createUuid().toString(QUuid::WithoutBraces);
}

QString PathOf(const QString& url) {
    return QUrl(url).path();
}

std::set<QString> Paths(const QList<CardRef>& refs) {
    std::set<QString> out;
    for (const CardRef& r : refs)
        out.insert(PathOf(r.href));
    return out;
}

CardDavClient::Options For(const CardServer* s, int timeoutMs = 30000) {
    CardDavClient::Options o;
    o.user = s->user;
    o.password = s->password;
    o.timeoutMs = timeoutMs;
    o.bookUrl = s->bookUrl;
    return o;
}

// The error a call throws; fails the test when it throws none.
template <typename Call> std::optional<SyncError> Thrown(Call call) {
    try {
        call();
    } catch (const SyncError& e) {
        return e;
    }
    return std::nullopt;
}

} // namespace

class CardDavTests : public QObject {
    Q_OBJECT
    CardServers servers;

  private slots:
    void initTestCase() { servers.Start(); }

    void discoversTheBook_data() { CardServers::AddRows(); }
    void discoversTheBook() {
        FETCH_CARD_SERVER(servers, s);
        CardDavClient client(For(s));
        QStringList found;
        for (const AddressBookInfo& b : client.Discover(s->base))
            found.append(PathOf(b.url));
        QVERIFY2(found.contains(PathOf(s->bookUrl)), qPrintable(found.join(u' ')));
        const QList<AddressBookInfo> self = client.Discover(s->bookUrl);
        QCOMPARE(self.size(), 1);
        QCOMPARE(PathOf(self[0].url), PathOf(s->bookUrl));
    }

    // Create never replaces a card, Update and Delete never a changed one.
    void writesAreConditional_data() { CardServers::AddRows(); }
    void writesAreConditional() {
        FETCH_CARD_SERVER(servers, s);
        CardDavClient client(For(s));
        CardClient phone(s->user, s->password);
        const QString uid = NewUid(), href = CardDavClient::HrefFor(s->bookUrl, uid);
        const CardDavClient::PutResult made = client.Create(href, Card(uid, "Ada"));
        QCOMPARE(made.status, 201);
        QCOMPARE(made.href, href);
        QCOMPARE(client.Create(href, Card(uid, "Ada twice")).status, 412);
        const CardData stored = client.Get(href);
        QVERIFY(stored.card.contains("FN:Ada\r\n"));
        if (!made.etag.isEmpty()) QCOMPARE(stored.etag, made.etag);

        // The phone changes the card: the ETag we hold is stale.
        const QString url = QUrl(s->bookUrl).resolved(QUrl(href)).toString();
        QVERIFY(phone.Put(url, Card(uid, "Ada phone"), stored.etag).status / 100 == 2);
        QCOMPARE(client.Update(href, stored.etag, Card(uid, "Ada desk")).status, 412);
        QCOMPARE(client.Delete(href, stored.etag), 412);
        QVERIFY(phone.Get(url).body.contains("FN:Ada phone\r\n"));
        const CardData fresh = client.Get(href);
        const CardDavClient::PutResult updated =
            client.Update(href, fresh.etag, Card(uid, "Ada desk"));
        QVERIFY(updated.status == 204 || updated.status == 200 || updated.status == 201);
        const QString current = updated.etag.isEmpty() ? client.Get(href).etag : updated.etag;
        QVERIFY(current != fresh.etag);
        QVERIFY(QList<int>({200, 204}).contains(client.Delete(href, current)));
        QCOMPARE(client.Delete(href, current), 404);
        const auto gone = Thrown([&] { client.Get(href); });
        QVERIFY(gone && gone->kind == SyncError::Server && gone->status == 404);
    }

    // The first report lists every card; the next only what changed since.
    void syncCollectionReportsChanges_data() { CardServers::AddRows(); }
    void syncCollectionReportsChanges() {
        FETCH_CARD_SERVER(servers, s);
        const QString book = s->NewBook();
        QVERIFY(!book.isEmpty());
        CardDavClient client(For(s));
        CardClient phone(s->user, s->password);
        const CardDavClient::BookState empty = client.State(book);
        QVERIFY(empty.syncCollection);
        QVERIFY(!empty.syncToken.isEmpty());
        QStringList urls, uids;
        for (int i = 0; i < 3; ++i) {
            const QString uid = NewUid();
            uids.append(uid);
            urls.append(book + uid + QStringLiteral(".vcf"));
            QCOMPARE(phone.Put(urls[i], Card(uid, QStringLiteral("Card %1").arg(i))).status, 201);
        }
        const CardDavClient::Changes all = client.SyncCollection(book, {});
        QCOMPARE(Paths(all.changed), (std::set{PathOf(urls[0]), PathOf(urls[1]), PathOf(urls[2])}));
        QVERIFY(all.removed.isEmpty() && !all.token.isEmpty());
        QCOMPARE(client.SyncCollection(book, all.token).changed.size(), 0);

        const QString uid = NewUid(), added = book + uid + QStringLiteral(".vcf");
        QCOMPARE(phone.Put(added, Card(uid, "Added")).status, 201);
        QVERIFY(phone.Put(urls[0], Card(uids[0], "Edited")).status / 100 == 2);
        QVERIFY(phone.Delete(urls[1]) / 100 == 2);
        const CardDavClient::Changes since = client.SyncCollection(book, all.token);
        QCOMPARE(Paths(since.changed), (std::set{PathOf(urls[0]), PathOf(added)}));
        QCOMPARE(since.removed.size(), 1);
        QCOMPARE(PathOf(since.removed[0]), PathOf(urls[1]));
        QVERIFY(since.token != all.token);
        const CardDavClient::BookState after = client.State(book);
        QVERIFY(after.ctag != empty.ctag || after.syncToken != empty.syncToken);

        // A token the server never gave (Xandikos answers such a token with
        // 500, which is a server error like any other).
        if (s->name == QLatin1String("Radicale")) {
            const auto e = Thrown([&] {
                client.SyncCollection(book, QStringLiteral("http://radicale.org/ns/sync/0"));
            });
            QVERIFY(e && e->kind == SyncError::Protocol && e->status == 403);
        }
    }

    // Listing gives every card's ETag; the multiget gives the very bytes a
    // plain GET gives, however long the folded photo.
    void listAndMultiGet_data() { CardServers::AddRows(); }
    void listAndMultiGet() {
        FETCH_CARD_SERVER(servers, s);
        const QString book = s->NewBook();
        QVERIFY(!book.isEmpty());
        CardDavClient client(For(s));
        CardClient phone(s->user, s->password);
        const QString a = NewUid(), b = NewUid();
        const QByteArray photoCard = Card(a, "With photo", Photo());
        QCOMPARE(phone.Put(book + a + ".vcf", photoCard).status, 201);
        QCOMPARE(phone.Put(book + b + ".vcf", Card(b, "Plain")).status, 201);
        const QList<CardRef> cards = client.ListCards(book);
        QMap<QString, QString> listed;
        for (const CardRef& r : cards)
            listed.insert(r.href, r.etag);
        QCOMPARE(listed, phone.List(book));
        QCOMPARE(listed.size(), 2);

        QStringList hrefs = listed.keys();
        hrefs.append(PathOf(book) + QStringLiteral("missing.vcf"));
        const QList<CardData> got = client.MultiGet(book, hrefs);
        QCOMPARE(got.size(), 2);
        for (const CardData& c : got) {
            const CardData single = client.Get(c.href);
            QCOMPARE(c.card, single.card);
            QCOMPARE(c.etag, listed.value(c.href));
            // Radicale folds the lines its own way; Xandikos keeps the bytes sent.
            if (s->name == QLatin1String("Xandikos") && c.card.contains("UID:" + a.toUtf8()))
                QCOMPARE(c.card, photoCard);
        }
    }

    // Through the proxy: what the network does becomes an error of the kind
    // the sync acts on.
    void faultsBecomeErrors_data() {
        QTest::addColumn<QString>("server");
        QTest::addColumn<FaultProxy::Kind>("fault");
        QTest::addColumn<QByteArray>("method");
        QTest::addColumn<SyncError::Kind>("kind");
        for (const QString& server : {QStringLiteral("Radicale"), QStringLiteral("Xandikos")}) {
            const auto row = [&](const char* name) -> QTestData& {
                return QTest::newRow(qPrintable(server + u' ' + QLatin1String(name))) << server;
            };
            row("503 on a listing")
                << FaultProxy::Return503 << QByteArray("PROPFIND") << SyncError::Server;
            row("answer cut in a GET")
                << FaultProxy::CutMidBody << QByteArray("GET") << SyncError::Network;
            row("answer cut in a multiget")
                << FaultProxy::CutMidBody << QByteArray("REPORT") << SyncError::Network;
            row("slow listing") << FaultProxy::Delay << QByteArray("PROPFIND")
                                << SyncError::Timeout;
        }
    }
    void faultsBecomeErrors() {
        QFETCH(FaultProxy::Kind, fault);
        QFETCH(QByteArray, method);
        QFETCH(SyncError::Kind, kind);
        FETCH_CARD_SERVER(servers, s);
        const QString uid = NewUid(), href = CardDavClient::HrefFor(s->bookUrl, uid);
        CardDavClient client(For(s, 1500));
        QCOMPARE(client.Create(href, Card(uid, "Faulty", Photo())).status, 201);
        s->proxy->Add({fault, method, {}, 1, 5000});
        QElapsedTimer took;
        took.start();
        const auto e = Thrown([&] {
            if (method == "GET")
                client.Get(href);
            else if (method == "REPORT")
                client.MultiGet(s->bookUrl, {href});
            else
                client.ListCards(s->bookUrl);
        });
        s->proxy->Clear();
        QVERIFY(e);
        QCOMPARE(e->kind, kind);
        QVERIFY2(e->text().contains(QUrl(s->base).authority()), qPrintable(e->text()));
        if (kind == SyncError::Server) QCOMPARE(e->status, 503);
        if (kind == SyncError::Timeout) QVERIFY(took.elapsed() < 4000);
        QVERIFY(client.Get(href).card.contains("FN:Faulty")); // and the next request works
    }

    // The server stored the card but its answer was lost: the retry meets
    // the stored card instead of making a second one.
    void lostAnswerAfterAStoredCard_data() { CardServers::AddRows(); }
    void lostAnswerAfterAStoredCard() {
        FETCH_CARD_SERVER(servers, s);
        CardDavClient client(For(s));
        const QString uid = NewUid(), href = CardDavClient::HrefFor(s->bookUrl, uid);
        const int puts = s->proxy->Forwarded("PUT");
        // Every answer is lost, also to the network layer's own quiet retries.
        s->proxy->Add({FaultProxy::DropAnswer, "PUT", {}, 5, 0});
        const auto e = Thrown([&] { client.Create(href, Card(uid, "Lost answer")); });
        s->proxy->Clear();
        QVERIFY(e && e->kind == SyncError::Network);
        QVERIFY(s->proxy->Forwarded("PUT") > puts);
        QVERIFY(client.Get(href).card.contains("FN:Lost answer"));
        QCOMPARE(client.Create(href, Card(uid, "Lost answer")).status, 412);
    }

    void cancelStopsAWaitingRequest_data() { CardServers::AddRows(); }
    void cancelStopsAWaitingRequest() {
        FETCH_CARD_SERVER(servers, s);
        CardDavClient::Options o = For(s);
        QElapsedTimer took;
        took.start();
        o.cancelled = [&took] { return took.elapsed() > 300; };
        CardDavClient client(o);
        s->proxy->Add({FaultProxy::Delay, "PROPFIND", {}, 1, 5000});
        const auto e = Thrown([&] { client.ListCards(s->bookUrl); });
        s->proxy->Clear();
        QVERIFY(e && e->kind == SyncError::Cancelled);
        QVERIFY(took.elapsed() < 2000);
    }

    // A wrong password is one refused request, not a round of challenges.
    void wrongPasswordIsAnAuthError_data() { CardServers::AddRows(); }
    void wrongPasswordIsAnAuthError() {
        FETCH_CARD_SERVER(servers, s);
        CardDavClient::Options o = For(s);
        o.password = QStringLiteral("wrong");
        const int before = s->proxy->Seen("PROPFIND");
        const auto e = Thrown([&] { CardDavClient(o).ListCards(s->bookUrl); });
        QVERIFY(e && e->kind == SyncError::Auth && e->status == 401);
        QVERIFY2(e->text().contains(QUrl(s->base).authority()), qPrintable(e->text()));
        QCOMPARE(s->proxy->Seen("PROPFIND"), before + 1);
    }

    // A certificate nothing vouches for is refused with its fingerprint, and
    // taken once the user pinned it.
    void unknownCertificateIsPinned() {
        QString why;
        const std::unique_ptr<CardServer> s = StartRadicale(&why, true);
        if (!s) QFAIL(qPrintable(why));
        const auto e = Thrown([&] { CardDavClient(For(s.get())).Discover(s->base); });
        QVERIFY(e);
        QCOMPARE(e->kind, SyncError::Certificate);
        QCOMPARE(e->sha256, s->sha256);
        QVERIFY2(e->subject.contains(QLatin1String("127.0.0.1")), qPrintable(e->subject));
        CardDavClient::Options pinned = For(s.get());
        pinned.pinnedSha256 = e->sha256;
        QStringList found;
        for (const AddressBookInfo& b : CardDavClient(pinned).Discover(s->base))
            found.append(b.url);
        QCOMPARE(found, QStringList{s->bookUrl});
        pinned.pinnedSha256 = QString(e->sha256).replace(0, 2, QStringLiteral("00"));
        QCOMPARE(Thrown([&] { CardDavClient(pinned).ListCards(s->bookUrl); })->kind,
                 SyncError::Certificate);
    }

    void hrefsComeFromTheUid_data() {
        QTest::addColumn<QString>("book");
        QTest::addColumn<QString>("uid");
        QTest::addColumn<QString>("href");
        QTest::newRow("plain") << "http://h/test/book/"
                               << "abc-1.2"
                               << "/test/book/abc-1.2.vcf";
        QTest::newRow("book without slash") << "https://h:8443/dav/b"
                                            << "x"
                                            << "/dav/b/x.vcf";
        QTest::newRow("urn, blanks, underscores") << "http://h/b/"
                                                  << "urn:uuid:a b_c"
                                                  << "/b/urn_3Auuid_3Aa_20b_5Fc.vcf";
        QTest::newRow("letters beyond ASCII") << "http://h/b/"
                                              << "é"
                                              << "/b/_C3_A9.vcf";
        QTest::newRow("slashes and dots") << "http://h/b/"
                                          << "../x/y"
                                          << "/b/card.._2Fx_2Fy.vcf";
    }
    void hrefsComeFromTheUid() {
        QFETCH(QString, book);
        QFETCH(QString, uid);
        QFETCH(QString, href);
        QCOMPARE(CardDavClient::HrefFor(book, uid), href);
    }
};

ADRSBOOK_TEST(CardDavTests)
#include "tst_carddav.moc"
