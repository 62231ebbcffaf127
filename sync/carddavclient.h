#pragma once
// The contacts server as one user sees it: finding the address books,
// reading what changed, fetching cards and writing them with conditions so
// that nobody's change is overwritten unseen. Every call blocks its caller
// (a local event loop on the caller's thread, with a network manager made
// in that thread) and throws SyncError when the server cannot be used.
//
// hrefs are kept as the server gives them (absolute paths, percent-encoded);
// a full URL is accepted too. Paths are resolved against Options::bookUrl,
// or else against the last address book a call named.

#include "sync/syncerror.h"

#include <QByteArray>
#include <QList>
#include <QString>
#include <QStringList>
#include <QUrl>
#include <functional>
#include <memory>

class QNetworkAccessManager;
class QThread;

struct CardRef {
    QString href;
    QString etag;
};

struct CardData {
    QString href;
    QString etag;
    QByteArray card;
};

struct AddressBookInfo {
    QString url;
    QString name;
};

class CardDavClient {
  public:
    struct Options {
        QString user, password;
        // The SHA-256 fingerprint (hex pairs, colons) of a certificate the
        // user accepted although nothing vouches for it.
        QString pinnedSha256;
        // Longest wait for any sign of life from the server within one request.
        int timeoutMs = 30000;
        // Polled about every 50 ms; true aborts the request (SyncError::Cancelled).
        std::function<bool()> cancelled;
        // The book that hrefs given as paths belong to (also taken from the
        // last call that names a book).
        QString bookUrl;
    };

    explicit CardDavClient(Options o);
    ~CardDavClient();
    CardDavClient(const CardDavClient&) = delete;
    CardDavClient& operator=(const CardDavClient&) = delete;

    // A bare host ("dav.example.com", https assumed), host:port or a URL.
    // Follows /.well-known/carddav, the current user's principal and its
    // address book home, and lists the address books there; a URL that is
    // itself an address book is the one choice.
    QList<AddressBookInfo> Discover(const QString& server);

    struct BookState {
        QString ctag;
        QString syncToken;
        bool syncCollection = false; // the server offers the sync-collection report
    };
    BookState State(const QString& bookUrl);

    struct Changes {
        QList<CardRef> changed;
        QStringList removed;
        QString token;
    };
    // What changed since `token` (empty: every card). A token the server no
    // longer knows throws SyncError::Protocol with its status (403 or 409):
    // the caller then lists all cards.
    Changes SyncCollection(const QString& bookUrl, const QString& token);
    // Every vCard in the book with its ETag.
    QList<CardRef> ListCards(const QString& bookUrl);
    // The cards named, fetched in batches; cards no longer there are left out.
    QList<CardData> MultiGet(const QString& bookUrl, const QStringList& hrefs);
    // One card; one that is not there throws SyncError::Server with status 404.
    CardData Get(const QString& href);

    struct PutResult {
        int status = 0; // 201/204 stored, 412 the condition failed
        QString etag;   // empty when the server changed the card or did not say
        QString href;   // where it is stored, as an absolute path
    };
    // Stores a new card only if nothing is at `href` yet. When the
    // connection closes before any answer, Qt sends the request once more by
    // itself: a card that was stored the first time then comes back as 412,
    // so a 412 here may be our own card (compare its UID).
    PutResult Create(const QString& href, const QByteArray& card);
    // Replaces the card only if it still has `etag`.
    PutResult Update(const QString& href, const QString& etag, const QByteArray& card);
    // Deletes the card if it still has `etag` (empty: whatever it is).
    // Returns 200/204 deleted, 404 already gone, 412 changed meanwhile.
    int Delete(const QString& href, const QString& etag);

    // The absolute path of a new card in the book, made from its UID: safe
    // letters kept, the rest replaced, ".vcf" added.
    static QString HrefFor(const QString& bookUrl, const QString& uid);

  private:
    struct Answer;
    using Headers = QList<QPair<QByteArray, QByteArray>>;
    Answer send(const QByteArray& verb, const QUrl& url, const QByteArray& body,
                const Headers& headers, bool followRedirects = false);
    Answer exchange(const QByteArray& verb, const QUrl& url, const QByteArray& body,
                    const Headers& headers);
    struct Found;
    Found propfind(const QUrl& url, int depth, const QByteArray& body, bool followRedirects);
    PutResult put(const QUrl& url, const Headers& condition, const QByteArray& card);
    QNetworkAccessManager* manager();
    QUrl resolve(const QString& href) const;
    QUrl book(const QString& bookUrl);

    Options m_options;
    QUrl m_book;
    std::unique_ptr<QNetworkAccessManager> m_manager;
    QThread* m_managerThread = nullptr;
};
