#pragma once
// The WebDAV XML the contacts client sends and reads: request bodies for
// PROPFIND and the REPORTs, and a reader for 207 Multi-Status answers.

#include <QByteArray>
#include <QHash>
#include <QList>
#include <QString>
#include <QStringList>

namespace DavXml {

inline const char* const kDav = "DAV:";
inline const char* const kCardDav = "urn:ietf:params:xml:ns:carddav";
inline const char* const kCalServer = "http://calendarserver.org/ns/";

// A property name: its namespace and local name.
struct Name {
    QString ns, local;
    QString Key() const { return ns + u'|' + local; }
};

// One property the server reported with status 200.
struct Prop {
    QString text;           // the text inside it, as sent (address-data keeps its bytes)
    QStringList hrefs;      // the DAV:href elements inside it
    QStringList childNames; // Name::Key() of every element inside it, at any depth
    bool Has(const char* ns, const char* local) const;
};

struct Response {
    QString href;
    int status = 0; // the response's own status line (sync-collection: 404 when removed)
    QHash<QString, Prop> props;
    const Prop* Find(const char* ns, const char* local) const;
    QString Text(const char* ns, const char* local) const;
};

struct MultiStatus {
    QList<Response> responses;
    QString syncToken; // sync-collection's new token
};

// Builds <propfind> asking for `props`.
QByteArray Propfind(const QList<Name>& props);
// Builds a sync-collection REPORT from `token` (empty: the first), level 1, asking for getetag.
QByteArray SyncCollection(const QString& token);
// Builds an addressbook-multiget REPORT for `hrefs`, asking for getetag and address-data.
QByteArray Multiget(const QStringList& hrefs);

// Reads a 207 answer; returns false (with `why`) when it is not well-formed
// XML, and sets `cut` when the XML was whole so far but ended too early.
bool ReadMultiStatus(const QByteArray& xml, MultiStatus* out, QString* why, bool* cut = nullptr);
// The status code of "HTTP/1.1 404 Not Found", 0 when unreadable.
int StatusCode(const QString& statusLine);
// The 403/409 answer of a sync-collection whose token the server no longer knows.
bool IsInvalidSyncToken(const QByteArray& errorBody);

} // namespace DavXml
