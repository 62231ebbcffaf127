#include "sync/carddavclient.h"

#include "sync/davxml.h"

#include <QCoreApplication>
#include <QCryptographicHash>
#include <QElapsedTimer>
#include <QEventLoop>
#include <QNetworkAccessManager>
#include <QNetworkReply>
#include <QNetworkRequest>
#include <QSslCertificate>
#include <QSslError>
#include <QThread>
#include <QTimer>

using DavXml::kCalServer;
using DavXml::kCardDav;
using DavXml::kDav;

struct CardDavClient::Answer {
    QUrl url; // where it came from, after any redirects
    int status = 0;
    QString reason;
    QByteArray body;
    QList<QNetworkReply::RawHeaderPair> headers;

    QByteArray header(const char* name) const {
        for (const auto& h : headers)
            if (h.first.compare(name, Qt::CaseInsensitive) == 0) return h.second;
        return {};
    }
};

struct CardDavClient::Found {
    QUrl url;
    DavXml::MultiStatus status;
};

namespace {

QString tr(const char* text) {
    return QCoreApplication::translate("CardDavClient", text);
}

QString serverName(const QUrl& url) {
    return url.port() > 0 ? url.host() + u':' + QString::number(url.port()) : url.host();
}

SyncError error(SyncError::Kind kind, const QUrl& url, const char* text, int status = 0) {
    return SyncError(kind, tr(text).arg(serverName(url)), status);
}

// The server said no: the status and its reason in the sentence.
SyncError refused(const QUrl& url, int status, const QString& reason) {
    if (status == 401)
        return error(SyncError::Auth, url,
                     "The contacts server %1 refused the user name or password.", status);
    return SyncError(SyncError::Server,
                     tr("The contacts server %1 answered %2 %3.")
                         .arg(serverName(url), QString::number(status), reason.trimmed())
                         .simplified(),
                     status);
}

QString fingerprint(const QSslCertificate& cert) {
    const QByteArray hex = cert.digest(QCryptographicHash::Sha256).toHex().toUpper();
    QStringList pairs;
    for (qsizetype i = 0; i < hex.size(); i += 2)
        pairs.append(QString::fromLatin1(hex.mid(i, 2)));
    return pairs.join(u':');
}

QString bareHex(QString sha) {
    return sha.remove(u':').remove(u' ').toUpper();
}

// The path of an href or URL, decoded and without a final slash, for
// telling whether two hrefs name the same resource.
QString samePathKey(const QString& href) {
    QString path = QUrl(href, QUrl::TolerantMode).path(QUrl::FullyDecoded);
    while (path.endsWith(u'/'))
        path.chop(1);
    return path;
}

// A strong ETag only: a weak one cannot serve for If-Match.
QString strongEtag(const QByteArray& etag) {
    const QString e = QString::fromLatin1(etag).trimmed();
    return e.startsWith(QLatin1String("W/")) ? QString() : e;
}

bool isCard(const DavXml::Response& r) {
    const DavXml::Prop* type = r.Find(kDav, "resourcetype");
    if (type && type->Has(kDav, "collection")) return false;
    const QString mime = r.Text(kDav, "getcontenttype").toLower();
    return mime.isEmpty() || mime.startsWith(QLatin1String("text/vcard")) ||
           mime.startsWith(QLatin1String("text/x-vcard")) ||
           mime.startsWith(QLatin1String("text/directory"));
}

const QByteArray kXml = "application/xml; charset=utf-8";

SyncError brokeOff(const QUrl& url) {
    return error(SyncError::Network, url,
                 "The connection to the contacts server %1 broke off before its answer was "
                 "complete.");
}

void readMultiStatus(const QUrl& url, const QByteArray& body, DavXml::MultiStatus* out) {
    QString why;
    bool cut = false;
    if (DavXml::ReadMultiStatus(body, out, &why, &cut)) return;
    if (cut) throw brokeOff(url);
    throw SyncError(SyncError::Protocol,
                    tr("The contacts server %1 gave an answer that could not be read (%2).")
                        .arg(serverName(url), why));
}

// A card ends with END:VCARD; one that does not was cut short on the way.
bool wholeCard(const QByteArray& card) {
    return card.trimmed().right(9).toUpper() == "END:VCARD";
}

} // namespace

CardDavClient::CardDavClient(Options o) : m_options(std::move(o)) {
    if (!m_options.bookUrl.isEmpty()) book(m_options.bookUrl);
}

CardDavClient::~CardDavClient() = default;

QNetworkAccessManager* CardDavClient::manager() {
    // A network manager serves the thread it was made in only.
    if (!m_manager || m_managerThread != QThread::currentThread()) {
        m_manager = std::make_unique<QNetworkAccessManager>();
        m_managerThread = QThread::currentThread();
    }
    return m_manager.get();
}

QUrl CardDavClient::book(const QString& bookUrl) {
    QUrl u(bookUrl, QUrl::TolerantMode);
    if (!u.path().endsWith(u'/')) u.setPath(u.path() + u'/');
    m_book = u;
    return u;
}

QUrl CardDavClient::resolve(const QString& href) const {
    const QUrl u(href, QUrl::TolerantMode);
    if (!u.isRelative()) return u;
    if (m_book.isEmpty())
        throw SyncError(SyncError::Protocol,
                        tr("The card %1 cannot be reached: no address book was given.").arg(href));
    return m_book.resolved(u);
}

CardDavClient::Answer CardDavClient::exchange(const QByteArray& verb, const QUrl& url,
                                              const QByteArray& body, const Headers& headers) {
    if (m_options.cancelled && m_options.cancelled())
        throw SyncError(SyncError::Cancelled, tr("The sync was cancelled."));
    QNetworkRequest request(url);
    request.setAttribute(QNetworkRequest::RedirectPolicyAttribute,
                         QNetworkRequest::ManualRedirectPolicy);
    request.setAttribute(QNetworkRequest::Http2AllowedAttribute, false);
    request.setAttribute(QNetworkRequest::CacheLoadControlAttribute,
                         QNetworkRequest::AlwaysNetwork);
    request.setHeader(QNetworkRequest::UserAgentHeader, QByteArrayLiteral("adrsbook-carddav"));
    // Uncompressed, so that Content-Length tells a whole answer from one
    // cut short (a cut gzip stream inflates to a shorter body unnoticed).
    request.setRawHeader("Accept-Encoding", "identity");
    // Sent with every request: a wrong password then gives one 401, not a
    // round of challenges.
    if (!m_options.user.isEmpty())
        request.setRawHeader("Authorization",
                             "Basic " +
                                 (m_options.user + u':' + m_options.password).toUtf8().toBase64());
    for (const auto& h : headers)
        request.setRawHeader(h.first, h.second);

    std::unique_ptr<QNetworkReply> reply(manager()->sendCustomRequest(request, verb, body));
    enum class Stop { None, Timeout, Cancelled, Certificate } stop = Stop::None;
    QString sha, subject, certWhy;
    QEventLoop loop;
    QElapsedTimer quiet;
    quiet.start();
    QObject::connect(reply.get(), &QNetworkReply::finished, &loop, &QEventLoop::quit);
    QObject::connect(reply.get(), &QNetworkReply::downloadProgress, &loop,
                     [&quiet] { quiet.restart(); });
    QObject::connect(reply.get(), &QNetworkReply::uploadProgress, &loop,
                     [&quiet] { quiet.restart(); });
    QObject::connect(reply.get(), &QNetworkReply::sslErrors, &loop,
                     [&](const QList<QSslError>& errors) {
                         QSslCertificate cert = reply->sslConfiguration().peerCertificate();
                         for (const QSslError& e : errors)
                             if (cert.isNull()) cert = e.certificate();
                         sha = fingerprint(cert);
                         if (!m_options.pinnedSha256.isEmpty() &&
                             bareHex(sha) == bareHex(m_options.pinnedSha256)) {
                             reply->ignoreSslErrors();
                             return;
                         }
                         subject = cert.subjectDisplayName();
                         certWhy = errors.isEmpty() ? QString() : errors.first().errorString();
                         stop = Stop::Certificate;
                         reply->abort();
                     });
    QTimer tick;
    tick.setInterval(50);
    QObject::connect(&tick, &QTimer::timeout, &loop, [&] {
        if (m_options.cancelled && m_options.cancelled())
            stop = Stop::Cancelled;
        else if (quiet.elapsed() > m_options.timeoutMs)
            stop = Stop::Timeout;
        else
            return;
        reply->abort();
    });
    tick.start();
    if (!reply->isFinished()) loop.exec(QEventLoop::ExcludeUserInputEvents);
    tick.stop();

    switch (stop) {
    case Stop::Cancelled:
        throw SyncError(SyncError::Cancelled, tr("The sync was cancelled."));
    case Stop::Timeout:
        throw SyncError(SyncError::Timeout,
                        tr("The contacts server %1 did not answer within %2 seconds.")
                            .arg(serverName(url))
                            .arg((m_options.timeoutMs + 999) / 1000));
    case Stop::Certificate: {
        SyncError e(SyncError::Certificate,
                    tr("The contacts server %1 presented a certificate that is not trusted (%2). "
                       "Its SHA-256 fingerprint is %3.")
                        .arg(serverName(url), certWhy, sha));
        e.sha256 = sha;
        e.subject = subject;
        throw e;
    }
    case Stop::None:
        break;
    }

    Answer a;
    a.url = url;
    const QVariant code = reply->attribute(QNetworkRequest::HttpStatusCodeAttribute);
    const QNetworkReply::NetworkError err = reply->error();
    // Errors below 200 and the 300s are about the connection, not an HTTP
    // status: there is no answer to use, or only part of one.
    const bool broken = (err > 0 && err < 200) || (err >= 300 && err < 400);
    if (broken && !code.isValid())
        throw SyncError(SyncError::Network,
                        tr("The connection to the contacts server %1 failed (%2).")
                            .arg(serverName(url), reply->errorString()));
    a.body = reply->readAll();
    a.headers = reply->rawHeaderPairs();
    const qint64 length = a.header("Content-Length").isEmpty()
                              ? -1
                              : a.header("Content-Length").trimmed().toLongLong();
    const bool short_ = length >= 0 && a.header("Content-Encoding").isEmpty() &&
                        a.body.size() != length && verb != "HEAD";
    if (broken || short_) throw brokeOff(url);
    a.status = code.toInt();
    a.reason = reply->attribute(QNetworkRequest::HttpReasonPhraseAttribute).toString();
    return a;
}

CardDavClient::Answer CardDavClient::send(const QByteArray& verb, const QUrl& url,
                                          const QByteArray& body, const Headers& headers,
                                          bool followRedirects) {
    QUrl target = url;
    for (int hop = 0;; ++hop) {
        Answer a = exchange(verb, target, body, headers);
        const bool moved = a.status == 301 || a.status == 302 || a.status == 303 ||
                           a.status == 307 || a.status == 308;
        const QUrl location = QUrl::fromEncoded(a.header("Location"));
        if (followRedirects && moved && hop < 5 && !location.isEmpty()) {
            target = target.resolved(location);
            continue;
        }
        if (a.status == 401 || a.status >= 500) throw refused(target, a.status, a.reason);
        return a;
    }
}

CardDavClient::Found CardDavClient::propfind(const QUrl& url, int depth, const QByteArray& body,
                                             bool followRedirects) {
    const Answer a =
        send("PROPFIND", url, body, {{"Depth", QByteArray::number(depth)}, {"Content-Type", kXml}},
             followRedirects);
    if (a.status != 207) throw refused(a.url, a.status, a.reason);
    Found f;
    f.url = a.url;
    readMultiStatus(a.url, a.body, &f.status);
    return f;
}

QList<AddressBookInfo> CardDavClient::Discover(const QString& server) {
    QString text = server.trimmed();
    if (!text.contains(QLatin1String("://"))) text.prepend(QLatin1String("https://"));
    QUrl start(text, QUrl::TolerantMode);
    if (!start.isValid() || start.host().isEmpty())
        throw SyncError(SyncError::Protocol,
                        tr("\"%1\" is not the address of a contacts server.").arg(server));
    if (start.path().isEmpty()) start.setPath(QStringLiteral("/"));
    const DavXml::Name type{kDav, QStringLiteral("resourcetype")},
        name{kDav, QStringLiteral("displayname")},
        principalProp{kDav, QStringLiteral("current-user-principal")},
        homeProp{kCardDav, QStringLiteral("addressbook-home-set")};
    const auto firstHref = [](const Found& f, const char* ns, const char* local) {
        for (const DavXml::Response& r : f.status.responses)
            if (const DavXml::Prop* p = r.Find(ns, local); p && !p->hrefs.isEmpty())
                return f.url.resolved(QUrl(p->hrefs.first(), QUrl::TolerantMode));
        return QUrl();
    };

    QUrl principal, home;
    if (start.path() != QLatin1String("/")) {
        // The address may name the book itself, or a principal or home.
        const Found f =
            propfind(start, 0, DavXml::Propfind({type, name, principalProp, homeProp}), true);
        for (const DavXml::Response& r : f.status.responses) {
            const DavXml::Prop* t = r.Find(kDav, "resourcetype");
            if (t && t->Has(kCardDav, "addressbook")) {
                const QUrl url = f.url.resolved(QUrl(r.href, QUrl::TolerantMode));
                book(url.toString());
                return {{url.toString(), r.Text(kDav, "displayname")}};
            }
        }
        home = firstHref(f, kCardDav, "addressbook-home-set");
        principal = firstHref(f, kDav, "current-user-principal");
    }
    if (home.isEmpty() && principal.isEmpty()) {
        const QByteArray ask = DavXml::Propfind({principalProp});
        try {
            principal =
                firstHref(propfind(start.resolved(QUrl(QStringLiteral("/.well-known/carddav"))), 0,
                                   ask, true),
                          kDav, "current-user-principal");
        } catch (const SyncError& e) {
            // A server without the well-known address: ask its root.
            if (e.kind != SyncError::Server && e.kind != SyncError::Protocol) throw;
        }
        if (principal.isEmpty())
            principal = firstHref(propfind(start, 0, ask, true), kDav, "current-user-principal");
    }
    if (home.isEmpty() && !principal.isEmpty()) {
        home = firstHref(propfind(principal, 0, DavXml::Propfind({homeProp}), true), kCardDav,
                         "addressbook-home-set");
        if (home.isEmpty()) home = principal;
    }
    if (home.isEmpty()) home = start;

    const Found f = propfind(home, 1, DavXml::Propfind({type, name}), true);
    QList<AddressBookInfo> books;
    for (const DavXml::Response& r : f.status.responses) {
        const DavXml::Prop* t = r.Find(kDav, "resourcetype");
        if (!t || !t->Has(kCardDav, "addressbook")) continue;
        const QUrl url = f.url.resolved(QUrl(r.href, QUrl::TolerantMode));
        QString label = r.Text(kDav, "displayname");
        if (label.isEmpty()) label = samePathKey(r.href).section(u'/', -1);
        books.append({url.toString(), label});
    }
    return books;
}

CardDavClient::BookState CardDavClient::State(const QString& bookUrl) {
    const QUrl url = book(bookUrl);
    const Found f = propfind(url, 0,
                             DavXml::Propfind({{kCalServer, QStringLiteral("getctag")},
                                               {kDav, QStringLiteral("sync-token")},
                                               {kDav, QStringLiteral("supported-report-set")}}),
                             false);
    BookState s;
    for (const DavXml::Response& r : f.status.responses) {
        if (samePathKey(r.href) != samePathKey(url.toString()) && f.status.responses.size() > 1)
            continue;
        s.ctag = r.Text(kCalServer, "getctag");
        s.syncToken = r.Text(kDav, "sync-token");
        const DavXml::Prop* reports = r.Find(kDav, "supported-report-set");
        s.syncCollection = reports && reports->Has(kDav, "sync-collection");
    }
    return s;
}

CardDavClient::Changes CardDavClient::SyncCollection(const QString& bookUrl, const QString& token) {
    const QUrl url = book(bookUrl);
    const QString self = samePathKey(url.toString());
    Changes c;
    QString from = token;
    // A server may hand out the changes in parts (507 on the book itself).
    for (int part = 0; part < 1000; ++part) {
        const Answer a = send("REPORT", url, DavXml::SyncCollection(from),
                              {{"Depth", "0"}, {"Content-Type", kXml}});
        if ((a.status == 403 || a.status == 409) && DavXml::IsInvalidSyncToken(a.body))
            throw SyncError(SyncError::Protocol,
                            tr("The contacts server %1 no longer knows where the last sync left "
                               "off.")
                                .arg(serverName(url)),
                            a.status);
        if (a.status != 207) throw refused(url, a.status, a.reason);
        DavXml::MultiStatus ms;
        readMultiStatus(url, a.body, &ms);
        bool more = false;
        for (const DavXml::Response& r : ms.responses) {
            if (samePathKey(r.href) == self) {
                more = more || r.status == 507;
                continue;
            }
            if (r.status == 404) {
                c.removed.append(r.href);
            } else if (r.Find(kDav, "getetag")) {
                c.changed.append({r.href, r.Text(kDav, "getetag")});
            }
        }
        c.token = ms.syncToken;
        if (!more || ms.syncToken.isEmpty() || ms.syncToken == from) break;
        from = ms.syncToken;
    }
    return c;
}

QList<CardRef> CardDavClient::ListCards(const QString& bookUrl) {
    const QUrl url = book(bookUrl);
    const Found f = propfind(url, 1,
                             DavXml::Propfind({{kDav, QStringLiteral("resourcetype")},
                                               {kDav, QStringLiteral("getetag")},
                                               {kDav, QStringLiteral("getcontenttype")}}),
                             false);
    const QString self = samePathKey(url.toString());
    QList<CardRef> cards;
    for (const DavXml::Response& r : f.status.responses)
        if (samePathKey(r.href) != self && isCard(r))
            cards.append({r.href, r.Text(kDav, "getetag")});
    return cards;
}

QList<CardData> CardDavClient::MultiGet(const QString& bookUrl, const QStringList& hrefs) {
    const QUrl url = book(bookUrl);
    constexpr qsizetype kBatch = 100;
    QList<CardData> cards;
    for (qsizetype at = 0; at < hrefs.size(); at += kBatch) {
        const Answer a = send("REPORT", url, DavXml::Multiget(hrefs.mid(at, kBatch)),
                              {{"Depth", "1"}, {"Content-Type", kXml}});
        if (a.status != 207) throw refused(url, a.status, a.reason);
        DavXml::MultiStatus ms;
        readMultiStatus(url, a.body, &ms);
        for (const DavXml::Response& r : ms.responses)
            if (const DavXml::Prop* data = r.Find(kCardDav, "address-data")) {
                const QByteArray card = data->text.toUtf8();
                if (!wholeCard(card)) throw brokeOff(url);
                cards.append({r.href, r.Text(kDav, "getetag"), card});
            }
    }
    return cards;
}

CardData CardDavClient::Get(const QString& href) {
    const QUrl url = resolve(href);
    const Answer a = send("GET", url, {}, {{"Accept", "text/vcard"}});
    if (a.status == 404)
        throw SyncError(
            SyncError::Server,
            tr("The contacts server %1 has no card at %2.").arg(serverName(url), url.path()), 404);
    if (a.status != 200) throw refused(url, a.status, a.reason);
    if (!wholeCard(a.body)) throw brokeOff(url);
    return {href, QString::fromLatin1(a.header("ETag")).trimmed(), a.body};
}

CardDavClient::PutResult CardDavClient::put(const QUrl& url, const Headers& condition,
                                            const QByteArray& card) {
    Headers headers = condition;
    headers.append(qMakePair(QByteArray("Content-Type"), QByteArray("text/vcard; charset=utf-8")));
    const Answer a = send("PUT", url, card, headers);
    PutResult r;
    r.status = a.status;
    if (a.status == 412) return r;
    if (a.status != 200 && a.status != 201 && a.status != 204)
        throw refused(url, a.status, a.reason);
    r.etag = strongEtag(a.header("ETag"));
    const QUrl location = QUrl::fromEncoded(a.header("Location"));
    r.href = (location.isEmpty() ? url : url.resolved(location)).path(QUrl::FullyEncoded);
    return r;
}

CardDavClient::PutResult CardDavClient::Create(const QString& href, const QByteArray& card) {
    return put(resolve(href), {{"If-None-Match", "*"}}, card);
}

CardDavClient::PutResult CardDavClient::Update(const QString& href, const QString& etag,
                                               const QByteArray& card) {
    return put(resolve(href), {{"If-Match", etag.toLatin1()}}, card);
}

int CardDavClient::Delete(const QString& href, const QString& etag) {
    const QUrl url = resolve(href);
    Headers headers;
    if (!etag.isEmpty()) headers.append(qMakePair(QByteArray("If-Match"), etag.toLatin1()));
    const Answer a = send("DELETE", url, {}, headers);
    if (a.status == 200 || a.status == 204 || a.status == 404 || a.status == 412) return a.status;
    throw refused(url, a.status, a.reason);
}

QString CardDavClient::HrefFor(const QString& bookUrl, const QString& uid) {
    // Letters that need no encoding in any server's path are kept; every
    // other byte becomes _XX, so two UIDs never share a name.
    QByteArray name;
    for (const char c : uid.toUtf8()) {
        const bool safe = (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z') ||
                          (c >= '0' && c <= '9') || c == '-' || c == '.';
        if (safe)
            name += c;
        else
            name += '_' + QByteArray::number(uchar(c), 16).rightJustified(2, '0').toUpper();
    }
    if (name.isEmpty() || name.startsWith('.')) name.prepend("card");
    if (name.size() > 120)
        name = name.left(80) + '-' +
               QCryptographicHash::hash(uid.toUtf8(), QCryptographicHash::Sha1).toHex();
    QUrl base(bookUrl, QUrl::TolerantMode);
    if (!base.path().endsWith(u'/')) base.setPath(base.path() + u'/');
    return base.resolved(QUrl(QString::fromLatin1(name + ".vcf"))).path(QUrl::FullyEncoded);
}
