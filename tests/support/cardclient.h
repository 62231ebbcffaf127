#pragma once
// The tests' own plain HTTP client for a contacts server: "a phone" that
// creates, edits and deletes cards behind the program's back. Blocking,
// with Basic authentication sent on every request; any certificate is taken.

#include <QByteArray>
#include <QMap>
#include <QString>

class CardClient {
  public:
    CardClient(QString user, QString password)
        : m_user(std::move(user)), m_password(std::move(password)) {}

    struct Reply {
        int status = 0; // 0: no answer
        QByteArray body;
        QString etag;
    };
    // Conditions are sent when not empty ("*" for If-None-Match).
    Reply Put(const QString& url, const QByteArray& card, const QString& ifMatch = {},
              const QString& ifNoneMatch = {});
    Reply Get(const QString& url);
    int Delete(const QString& url, const QString& ifMatch = {});
    // The members of a collection: href -> ETag (the collection itself left out).
    QMap<QString, QString> List(const QString& collectionUrl);
    // Extended MKCOL making an address book.
    int MakeAddressBook(const QString& url);

    Reply Send(const QByteArray& verb, const QString& url, const QByteArray& body,
               const QMap<QByteArray, QByteArray>& headers);

  private:
    QString m_user, m_password;
};
