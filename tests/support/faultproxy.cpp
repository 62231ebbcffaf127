#include "support/faultproxy.h"

#include <QHash>
#include <QList>
#include <QMetaObject>
#include <QMutexLocker>
#include <QTcpServer>
#include <QTcpSocket>
#include <QTimer>
#include <optional>

struct FaultProxy::State {
    QString host;
    quint16 port = 0;
    QByteArray auth; // the whole expected Authorization value, empty: none asked
    mutable QMutex lock;
    QList<Fault> faults;
    QHash<QByteArray, int> seen, forwarded;

    // The fault for this request, if any, counting it off.
    std::optional<Fault> take(const QByteArray& method, const QString& path) {
        QMutexLocker l(&lock);
        for (qsizetype i = 0; i < faults.size(); ++i) {
            Fault& f = faults[i];
            if ((!f.method.isEmpty() && f.method != method) ||
                (!f.pathContains.isEmpty() && !path.contains(f.pathContains)))
                continue;
            const Fault hit = f;
            if (--f.times <= 0) faults.removeAt(i);
            return hit;
        }
        return std::nullopt;
    }
};

namespace {

QByteArray plainAnswer(int status, const QByteArray& reason, const QByteArray& extra = {}) {
    const QByteArray body = QByteArray::number(status) + ' ' + reason + '\n';
    return "HTTP/1.1 " + QByteArray::number(status) + ' ' + reason + "\r\n" + extra +
           "Content-Type: text/plain\r\nContent-Length: " + QByteArray::number(body.size()) +
           "\r\nConnection: close\r\n\r\n" + body;
}

// The head of a message with the Connection and Keep-Alive headers replaced
// by "Connection: close".
QByteArray closing(const QByteArray& head) {
    QList<QByteArray> lines = head.split('\n');
    QByteArray out;
    for (const QByteArray& raw : lines) {
        const QByteArray line = raw.trimmed();
        if (line.isEmpty()) continue;
        const QByteArray name = line.left(line.indexOf(':')).trimmed().toLower();
        if (name == "connection" || name == "keep-alive" || name == "proxy-connection") continue;
        out += line + "\r\n";
    }
    return out + "Connection: close\r\n\r\n";
}

QByteArray headerValue(const QByteArray& head, const QByteArray& wanted) {
    for (const QByteArray& raw : head.split('\n')) {
        const qsizetype colon = raw.indexOf(':');
        if (colon > 0 && raw.left(colon).trimmed().toLower() == wanted)
            return raw.mid(colon + 1).trimmed();
    }
    return {};
}

// One client connection: read its request, then act.
class Exchange : public QObject {
  public:
    Exchange(QTcpSocket* client, std::shared_ptr<FaultProxy::State> state, QObject* parent)
        : QObject(parent), m_client(client), m_state(std::move(state)) {
        client->setParent(this);
        connect(client, &QTcpSocket::readyRead, this, &Exchange::read);
        connect(client, &QTcpSocket::disconnected, this, [this] {
            if (!m_forwarding) deleteLater();
        });
    }

  private:
    void read() {
        m_request += m_client->readAll();
        if (m_started) return;
        const qsizetype end = m_request.indexOf("\r\n\r\n");
        if (end < 0) return;
        const QByteArray head = m_request.left(end + 2);
        const qint64 length = headerValue(head, "content-length").toLongLong();
        if (m_request.size() < end + 4 + length) return;
        m_started = true;
        const QList<QByteArray> requestLine = head.left(head.indexOf('\r')).split(' ');
        const QByteArray method = requestLine.value(0);
        const QString path = QString::fromLatin1(requestLine.value(1));
        {
            QMutexLocker l(&m_state->lock);
            m_state->seen[method]++;
        }
        if (!m_state->auth.isEmpty() && headerValue(head, "authorization") != m_state->auth) {
            answer(
                plainAnswer(401, "Unauthorized", "WWW-Authenticate: Basic realm=\"contacts\"\r\n"));
            return;
        }
        m_fault = m_state->take(method, path);
        if (m_fault && m_fault->kind == FaultProxy::Return503) {
            answer(plainAnswer(503, "Service Unavailable"));
            return;
        }
        {
            QMutexLocker l(&m_state->lock);
            m_state->forwarded[method]++;
        }
        forward(closing(head) + m_request.mid(end + 4, length));
    }

    void forward(const QByteArray& request) {
        m_forwarding = true;
        m_upstream = new QTcpSocket(this);
        connect(m_upstream, &QTcpSocket::connected, this,
                [this, request] { m_upstream->write(request); });
        connect(m_upstream, &QTcpSocket::readyRead, this,
                [this] { m_answer += m_upstream->readAll(); });
        connect(m_upstream, &QTcpSocket::disconnected, this, &Exchange::upstreamDone);
        connect(m_upstream, &QTcpSocket::errorOccurred, this, [this] {
            if (m_upstream->state() != QAbstractSocket::ConnectedState) upstreamDone();
        });
        m_upstream->connectToHost(m_state->host, m_state->port);
    }

    void upstreamDone() {
        if (m_done) return;
        m_done = true;
        m_answer += m_upstream->readAll();
        const qsizetype end = m_answer.indexOf("\r\n\r\n");
        if (m_answer.isEmpty() || end < 0) {
            answer(plainAnswer(502, "Bad Gateway"));
            return;
        }
        const QByteArray whole = closing(m_answer.left(end + 2)) + m_answer.mid(end + 4);
        const qsizetype bodyStart = whole.indexOf("\r\n\r\n") + 4;
        if (!m_fault) return answer(whole);
        switch (m_fault->kind) {
        case FaultProxy::DropAnswer:
            return answer({});
        case FaultProxy::CutMidBody:
            return answer(whole.left(bodyStart + (whole.size() - bodyStart) / 2));
        case FaultProxy::Delay:
            QTimer::singleShot(m_fault->delayMs, this, [this, whole] { answer(whole); });
            return;
        case FaultProxy::Return503:
            break;
        }
        answer(whole);
    }

    // Sends `bytes` (maybe nothing) and closes the client's connection.
    void answer(const QByteArray& bytes) {
        m_forwarding = false;
        if (m_client->state() == QAbstractSocket::ConnectedState) {
            m_client->write(bytes);
            m_client->disconnectFromHost(); // after the bytes are written
        }
        if (m_client->state() == QAbstractSocket::UnconnectedState) deleteLater();
    }

    QTcpSocket* m_client;
    QTcpSocket* m_upstream = nullptr;
    std::shared_ptr<FaultProxy::State> m_state;
    QByteArray m_request, m_answer;
    std::optional<FaultProxy::Fault> m_fault;
    bool m_started = false, m_forwarding = false, m_done = false;
};

} // namespace

FaultProxy::FaultProxy(const QString& host, quint16 port, const QString& user,
                       const QString& password)
    : m_state(std::make_shared<State>()) {
    m_state->host = host;
    m_state->port = port;
    if (!user.isEmpty()) m_state->auth = "Basic " + (user + u':' + password).toUtf8().toBase64();
    auto* server = new QTcpServer;
    server->moveToThread(&m_thread);
    m_server = server;
    m_thread.start();
    const std::shared_ptr<State> state = m_state;
    QMetaObject::invokeMethod(
        server,
        [this, server, state] {
            QObject::connect(server, &QTcpServer::newConnection, server, [server, state] {
                while (QTcpSocket* s = server->nextPendingConnection())
                    new Exchange(s, state, server);
            });
            if (server->listen(QHostAddress::LocalHost, 0)) m_port = server->serverPort();
        },
        Qt::BlockingQueuedConnection);
}

FaultProxy::~FaultProxy() {
    QMetaObject::invokeMethod(
        m_server, [this] { delete m_server; }, Qt::BlockingQueuedConnection);
    m_thread.quit();
    m_thread.wait();
}

QString FaultProxy::Base() const {
    return QStringLiteral("http://127.0.0.1:%1/").arg(m_port);
}

void FaultProxy::Add(const Fault& fault) {
    QMutexLocker l(&m_state->lock);
    m_state->faults.append(fault);
}

void FaultProxy::Clear() {
    QMutexLocker l(&m_state->lock);
    m_state->faults.clear();
}

int FaultProxy::Seen(const QByteArray& method) const {
    QMutexLocker l(&m_state->lock);
    return m_state->seen.value(method);
}

int FaultProxy::Forwarded(const QByteArray& method) const {
    QMutexLocker l(&m_state->lock);
    return m_state->forwarded.value(method);
}
