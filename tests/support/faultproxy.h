#pragma once
// A small HTTP proxy on 127.0.0.1 in front of a contacts server, for the
// faults a real network brings: an answer lost after the server stored the
// request, a 503, a connection cut in the middle of the body, a slow answer.
// It can also check Basic authentication for a server that has none.
//
// Each client connection carries one request; the proxy forwards it on a
// connection of its own, reads the server's whole answer and passes it on
// with "Connection: close". It runs in a thread of its own, so it answers
// whether or not the test's thread is waiting in an event loop.

#include <QByteArray>
#include <QMutex>
#include <QString>
#include <QThread>
#include <memory>

class FaultProxy {
  public:
    enum Kind {
        DropAnswer, // forward, let the server act, then close without answering
        Return503,  // answer 503 without forwarding
        CutMidBody, // forward, then send the headers and half the body and close
        Delay,      // forward, and answer after delayMs
    };
    struct Fault {
        Kind kind;
        QByteArray method;    // empty: any
        QString pathContains; // empty: any
        int times = 1;        // the next this many matching requests
        int delayMs = 0;
    };

    // Forwards to host:port. A non-empty user makes the proxy demand Basic
    // authentication with that user and password.
    FaultProxy(const QString& host, quint16 port, const QString& user = {},
               const QString& password = {});
    ~FaultProxy();
    FaultProxy(const FaultProxy&) = delete;
    FaultProxy& operator=(const FaultProxy&) = delete;

    quint16 Port() const { return m_port; }
    QString Base() const;

    void Add(const Fault& fault);
    void Clear();
    // Requests with `method` that reached the proxy, and that it passed on
    // to the server.
    int Seen(const QByteArray& method) const;
    int Forwarded(const QByteArray& method) const;

    struct State; // shared with the proxy's thread

  private:
    std::shared_ptr<State> m_state;
    QThread m_thread;
    QObject* m_server = nullptr;
    quint16 m_port = 0;
};
