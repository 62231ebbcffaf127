#include "sync/davxml.h"

#include <QXmlStreamReader>
#include <QXmlStreamWriter>

namespace DavXml {

namespace {

QString key(const QXmlStreamReader& r) {
    return r.namespaceUri().toString() + u'|' + r.name().toString();
}

QString key(const char* ns, const char* local) {
    return QLatin1String(ns) + u'|' + QLatin1String(local);
}

// The writer with the three namespaces declared on the root element.
struct Body {
    QByteArray bytes;
    QXmlStreamWriter w{&bytes};
    explicit Body(const char* ns, const char* root) {
        w.writeStartDocument();
        w.writeNamespace(QString::fromLatin1(kDav), QStringLiteral("D"));
        w.writeNamespace(QString::fromLatin1(kCardDav), QStringLiteral("C"));
        w.writeNamespace(QString::fromLatin1(kCalServer), QStringLiteral("CS"));
        w.writeStartElement(QString::fromLatin1(ns), QString::fromLatin1(root));
    }
    void empty(const char* ns, const char* name) {
        w.writeEmptyElement(QString::fromLatin1(ns), QString::fromLatin1(name));
    }
    void start(const char* ns, const char* name) {
        w.writeStartElement(QString::fromLatin1(ns), QString::fromLatin1(name));
    }
    QByteArray done() {
        w.writeEndDocument();
        return bytes;
    }
};

// XML turns every CR LF inside text into LF; a card's lines end in CR LF,
// so a card that came back without any CR gets them again.
QString restoreLineEnds(QString text) {
    if (text.contains(u'\r') || !text.contains(u'\n')) return text;
    return text.replace(u'\n', QLatin1String("\r\n"));
}

} // namespace

bool Prop::Has(const char* ns, const char* local) const {
    return childNames.contains(key(ns, local));
}

const Prop* Response::Find(const char* ns, const char* local) const {
    const auto it = props.constFind(key(ns, local));
    return it == props.constEnd() ? nullptr : &it.value();
}

QString Response::Text(const char* ns, const char* local) const {
    const Prop* p = Find(ns, local);
    return p ? p->text.trimmed() : QString();
}

QByteArray Propfind(const QList<Name>& props) {
    Body b(kDav, "propfind");
    b.start(kDav, "prop");
    for (const Name& n : props)
        b.w.writeEmptyElement(n.ns, n.local);
    return b.done();
}

QByteArray SyncCollection(const QString& token) {
    Body b(kDav, "sync-collection");
    b.w.writeTextElement(QString::fromLatin1(kDav), QStringLiteral("sync-token"), token);
    b.w.writeTextElement(QString::fromLatin1(kDav), QStringLiteral("sync-level"),
                         QStringLiteral("1"));
    b.start(kDav, "prop");
    b.empty(kDav, "getetag");
    return b.done();
}

QByteArray Multiget(const QStringList& hrefs) {
    Body b(kCardDav, "addressbook-multiget");
    b.start(kDav, "prop");
    b.empty(kDav, "getetag");
    b.empty(kCardDav, "address-data");
    b.w.writeEndElement();
    for (const QString& h : hrefs)
        b.w.writeTextElement(QString::fromLatin1(kDav), QStringLiteral("href"), h);
    return b.done();
}

int StatusCode(const QString& statusLine) {
    const QStringList parts = statusLine.simplified().split(u' ');
    return parts.size() >= 2 ? parts[1].toInt() : 0;
}

bool IsInvalidSyncToken(const QByteArray& errorBody) {
    QXmlStreamReader r(errorBody);
    while (!r.atEnd()) {
        r.readNext();
        if (r.isStartElement() && key(r) == key(kDav, "valid-sync-token")) return true;
    }
    return false;
}

bool ReadMultiStatus(const QByteArray& xml, MultiStatus* out, QString* why, bool* cut) {
    const QString kResponse = key(kDav, "response"), kHref = key(kDav, "href"),
                  kStatus = key(kDav, "status"), kPropstat = key(kDav, "propstat"),
                  kProp = key(kDav, "prop"), kToken = key(kDav, "sync-token"),
                  kMulti = key(kDav, "multistatus"), kData = key(kCardDav, "address-data");
    QXmlStreamReader r(xml);
    QStringList path; // keys of the open elements
    Response response;
    QHash<QString, Prop> propstat;
    int propstatStatus = 0;
    QString current; // the property being read (a child of prop)
    QString text;    // text of the innermost element
    while (!r.atEnd()) {
        r.readNext();
        if (r.isStartElement()) {
            const QString k = key(r);
            path.append(k);
            text.clear();
            const qsizetype depth = path.size();
            if (k == kResponse) response = Response();
            if (k == kPropstat) {
                propstat.clear();
                propstatStatus = 0;
            }
            if (depth >= 2 && path[depth - 2] == kProp) {
                current = k;
                propstat.insert(k, Prop());
            } else if (!current.isEmpty() && depth > 2 && path.contains(kProp)) {
                propstat[current].childNames.append(k);
            }
        } else if (r.isCharacters()) {
            text += r.text();
            if (!current.isEmpty() && path.size() >= 2 && path[path.size() - 2] == kProp)
                propstat[current].text += r.text();
        } else if (r.isEndElement()) {
            const QString k = path.isEmpty() ? QString() : path.takeLast();
            const QString parent = path.isEmpty() ? QString() : path.last();
            if (k == kHref && parent == kResponse)
                response.href = text.trimmed();
            else if (k == kHref && !current.isEmpty())
                propstat[current].hrefs.append(text.trimmed());
            else if (k == kStatus && parent == kResponse)
                response.status = StatusCode(text);
            else if (k == kStatus && parent == kPropstat)
                propstatStatus = StatusCode(text);
            else if (k == kToken && parent == kMulti)
                out->syncToken = text.trimmed();
            else if (k == current)
                current.clear();
            else if (k == kPropstat && propstatStatus / 100 == 2) {
                for (auto it = propstat.begin(); it != propstat.end(); ++it) {
                    if (it.key() == kData) it->text = restoreLineEnds(it->text);
                    response.props.insert(it.key(), it.value());
                }
            } else if (k == kResponse)
                out->responses.append(response);
            text.clear();
        }
    }
    if (r.hasError()) {
        *why = r.errorString();
        if (cut) *cut = r.error() == QXmlStreamReader::PrematureEndOfDocumentError;
        return false;
    }
    return true;
}

} // namespace DavXml
