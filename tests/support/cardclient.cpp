#include "support/cardclient.h"

#include <QEventLoop>
#include <QNetworkAccessManager>
#include <QNetworkReply>
#include <QTimer>
#include <QUrl>
#include <QXmlStreamReader>
#include <memory>

CardClient::Reply CardClient::Send(const QByteArray& verb, const QString& url,
                                   const QByteArray& body,
                                   const QMap<QByteArray, QByteArray>& headers) {
    QNetworkAccessManager manager;
    QNetworkRequest request{QUrl(url)};
    request.setRawHeader("Authorization",
                         "Basic " + (m_user + u':' + m_password).toUtf8().toBase64());
    for (auto it = headers.begin(); it != headers.end(); ++it)
        request.setRawHeader(it.key(), it.value());
    std::unique_ptr<QNetworkReply> reply(manager.sendCustomRequest(request, verb, body));
    // The tests' servers may use a certificate of their own making.
    QObject::connect(reply.get(), &QNetworkReply::sslErrors, reply.get(),
                     [r = reply.get()] { r->ignoreSslErrors(); });
    QEventLoop loop;
    QObject::connect(reply.get(), &QNetworkReply::finished, &loop, &QEventLoop::quit);
    QTimer::singleShot(20000, &loop, &QEventLoop::quit);
    if (!reply->isFinished()) loop.exec();
    Reply r;
    r.status = reply->attribute(QNetworkRequest::HttpStatusCodeAttribute).toInt();
    r.body = reply->readAll();
    r.etag = QString::fromLatin1(reply->rawHeader("ETag"));
    return r;
}

CardClient::Reply CardClient::Put(const QString& url, const QByteArray& card,
                                  const QString& ifMatch, const QString& ifNoneMatch) {
    QMap<QByteArray, QByteArray> headers{{"Content-Type", "text/vcard; charset=utf-8"}};
    if (!ifMatch.isEmpty()) headers.insert("If-Match", ifMatch.toLatin1());
    if (!ifNoneMatch.isEmpty()) headers.insert("If-None-Match", ifNoneMatch.toLatin1());
    return Send("PUT", url, card, headers);
}

CardClient::Reply CardClient::Get(const QString& url) {
    return Send("GET", url, {}, {});
}

int CardClient::Delete(const QString& url, const QString& ifMatch) {
    QMap<QByteArray, QByteArray> headers;
    if (!ifMatch.isEmpty()) headers.insert("If-Match", ifMatch.toLatin1());
    return Send("DELETE", url, {}, headers).status;
}

QMap<QString, QString> CardClient::List(const QString& collectionUrl) {
    const Reply r = Send("PROPFIND", collectionUrl,
                         "<?xml version=\"1.0\"?><propfind xmlns=\"DAV:\"><prop><getetag/>"
                         "</prop></propfind>",
                         {{"Depth", "1"}, {"Content-Type", "application/xml"}});
    QMap<QString, QString> members;
    QXmlStreamReader xml(r.body);
    QString href, text;
    while (!xml.atEnd()) {
        xml.readNext();
        if (xml.isStartElement()) text.clear();
        if (xml.isCharacters()) text += xml.text();
        if (!xml.isEndElement()) continue;
        if (xml.name() == QLatin1String("href") && href.isEmpty()) href = text.trimmed();
        if (xml.name() == QLatin1String("getetag") && !href.isEmpty())
            members.insert(href, text.trimmed());
        if (xml.name() == QLatin1String("response")) href.clear();
    }
    members.remove(QUrl(collectionUrl).path());
    return members;
}

int CardClient::MakeAddressBook(const QString& url) {
    return Send("MKCOL", url,
                "<?xml version=\"1.0\"?><mkcol xmlns=\"DAV:\" "
                "xmlns:C=\"urn:ietf:params:xml:ns:carddav\"><set><prop><resourcetype>"
                "<collection/><C:addressbook/></resourcetype></prop></set></mkcol>",
                {{"Content-Type", "application/xml"}})
        .status;
}
