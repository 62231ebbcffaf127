#pragma once
// Real contacts servers for the tests, each started privately in a
// temporary folder at a free port on 127.0.0.1 and stopped (its whole
// process group) when its CardServer is destroyed: Radicale with a user
// and password of its own, and Xandikos, which has no authentication, behind
// a FaultProxy that checks Basic authentication. Either gives the test user
// one empty address book. Both sit behind a FaultProxy, so a test can make
// the network misbehave; a server with TLS is reached directly.

#include "support/faultproxy.h"

#include <QMap>
#include <QProcess>
#include <QString>
#include <QTemporaryDir>
#include <memory>

struct CardServer {
    QString name;    // "Radicale" or "Xandikos"
    QString base;    // http://127.0.0.1:port/ as the client should use it
    QString bookUrl; // the user's empty address book, a full URL
    QString user, password;
    QString directBase; // the server itself, not through the proxy
    QString sha256;     // with TLS: its certificate's fingerprint, as the client shows it
    std::unique_ptr<FaultProxy> proxy; // none with TLS

    // Another empty address book for the user; its full URL (empty on failure).
    QString NewBook();
    QString Log() const;

    ~CardServer();
    std::unique_ptr<QTemporaryDir> dir;
    std::unique_ptr<QProcess> process;
    int books = 0;
};

// Each returns nullptr with the reason in `why` when the server cannot be started.
std::unique_ptr<CardServer> StartRadicale(QString* why, bool tls = false);
std::unique_ptr<CardServer> StartXandikos(QString* why);

// Both servers for a test class: started in initTestCase, and a data column
// "server" so each case runs against each.
class CardServers {
  public:
    void Start();
    // The server of the current data row; nullptr with the reason in `why`.
    CardServer* Get(const QString& name, QString* why) const;
    static void AddRows();

  private:
    QMap<QString, std::shared_ptr<CardServer>> m_servers;
    QMap<QString, QString> m_why;
};

// In a data-driven test: `var` is the row's server, or the test fails with the reason.
#define FETCH_CARD_SERVER(servers, var)                                                            \
    QFETCH(QString, server);                                                                       \
    QString why_##var;                                                                             \
    CardServer* var = (servers).Get(server, &why_##var);                                           \
    if (!var) QFAIL(qPrintable(why_##var))
