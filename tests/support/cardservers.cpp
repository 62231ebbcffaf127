#include "support/cardservers.h"

#include "support/cardclient.h"

#include <QDeadlineTimer>
#include <QFile>
#include <QTcpSocket>
#include <QTest>
#include <QThread>
#include <arpa/inet.h>
#include <csignal>
#include <netinet/in.h>
#include <sys/prctl.h>
#include <sys/socket.h>
#include <unistd.h>

namespace {

const char* const kUser = "test";
const char* const kPassword = "secret pass";

int freePort() {
    const int s = ::socket(AF_INET, SOCK_STREAM, 0);
    sockaddr_in a{};
    a.sin_family = AF_INET;
    a.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    socklen_t len = sizeof a;
    int port = 0;
    if (::bind(s, reinterpret_cast<sockaddr*>(&a), sizeof a) == 0 &&
        ::getsockname(s, reinterpret_cast<sockaddr*>(&a), &len) == 0)
        port = ntohs(a.sin_port);
    ::close(s);
    return port;
}

bool writeFile(const QString& path, const QByteArray& bytes) {
    QFile f(path);
    return f.open(QIODevice::WriteOnly) && f.write(bytes) == bytes.size();
}

// Runs a short command (openssl) and returns its output; empty `why` on success.
QByteArray run(const QString& program, const QStringList& args, QString* why) {
    QProcess p;
    p.setProcessChannelMode(QProcess::MergedChannels);
    p.start(program, args);
    if (!p.waitForFinished(60000) || p.exitStatus() != QProcess::NormalExit || p.exitCode()) {
        *why = program + QStringLiteral(" failed: ") + QString::fromLocal8Bit(p.readAll());
        return {};
    }
    return p.readAll();
}

// Starts the server in a process group of its own that dies with the tests.
bool launch(CardServer& s, const QString& program, const QStringList& args, QString* why) {
    s.process = std::make_unique<QProcess>();
    s.process->setProgram(program);
    s.process->setArguments(args);
    s.process->setStandardOutputFile(s.dir->filePath(QStringLiteral("log")));
    s.process->setStandardErrorFile(s.dir->filePath(QStringLiteral("log")), QIODevice::Append);
    s.process->setChildProcessModifier([] {
        ::setsid();
        ::prctl(PR_SET_PDEATHSIG, SIGKILL);
    });
    s.process->start();
    if (!s.process->waitForStarted(10000)) {
        *why = QStringLiteral("%1 could not be started: %2").arg(program, s.process->errorString());
        return false;
    }
    return true;
}

// Waits until the server accepts connections on `port`.
bool waitForPort(CardServer& s, int port, QString* why) {
    QDeadlineTimer deadline(30000);
    while (!deadline.hasExpired()) {
        if (s.process->state() != QProcess::Running) {
            *why = QStringLiteral("%1 stopped at once: %2").arg(s.name, s.Log());
            return false;
        }
        QTcpSocket probe;
        probe.connectToHost(QStringLiteral("127.0.0.1"), quint16(port));
        if (probe.waitForConnected(200)) return true;
        QThread::msleep(100);
    }
    *why = QStringLiteral("%1 did not answer on port %2 within 30 s: %3")
               .arg(s.name)
               .arg(port)
               .arg(s.Log());
    return false;
}

std::unique_ptr<CardServer> prepare(const QString& name, QString* why) {
    auto s = std::make_unique<CardServer>();
    s->name = name;
    s->user = QString::fromLatin1(kUser);
    s->password = QString::fromLatin1(kPassword);
    s->dir = std::make_unique<QTemporaryDir>(QStringLiteral("/tmp/adrsdav-XXXXXX"));
    if (!s->dir->isValid()) {
        *why = QStringLiteral("no temporary folder for %1").arg(name);
        return nullptr;
    }
    return s;
}

} // namespace

CardServer::~CardServer() {
    proxy.reset();
    if (!process || process->state() == QProcess::NotRunning) return;
    const pid_t group = pid_t(process->processId());
    ::kill(-group, SIGTERM);
    if (!process->waitForFinished(5000)) {
        ::kill(-group, SIGKILL);
        process->waitForFinished(5000);
    }
}

QString CardServer::Log() const {
    QFile f(dir->filePath(QStringLiteral("log")));
    return f.open(QIODevice::ReadOnly) ? QString::fromLocal8Bit(f.readAll().right(2000))
                                       : QString();
}

QString CardServer::NewBook() {
    const QString home =
        name == QLatin1String("Xandikos") ? QStringLiteral("user/contacts/") : user + u'/';
    const QString url = base + home + QStringLiteral("book%1/").arg(++books);
    return CardClient(user, password).MakeAddressBook(url) == 201 ? url : QString();
}

std::unique_ptr<CardServer> StartRadicale(QString* why, bool tls) {
    auto s = prepare(QStringLiteral("Radicale"), why);
    if (!s) return nullptr;
    const int port = freePort();
    const QString folder = s->dir->path();
    QByteArray config = "[server]\nhosts = 127.0.0.1:" + QByteArray::number(port) +
                        "\n"
                        "[auth]\ntype = htpasswd\nhtpasswd_filename = " +
                        QFile::encodeName(folder) +
                        "/users\nhtpasswd_encryption = plain\n"
                        "[storage]\nfilesystem_folder = " +
                        QFile::encodeName(folder) +
                        "/collections\n"
                        "[rights]\ntype = owner_only\n"
                        "[web]\ntype = none\n"
                        "[logging]\nlevel = warning\n";
    if (tls) {
        const QString cert = folder + QStringLiteral("/cert.pem"),
                      key = folder + QStringLiteral("/key.pem");
        run(QStringLiteral("openssl"),
            {QStringLiteral("req"), QStringLiteral("-x509"), QStringLiteral("-newkey"),
             QStringLiteral("rsa:2048"), QStringLiteral("-nodes"), QStringLiteral("-keyout"), key,
             QStringLiteral("-out"), cert, QStringLiteral("-days"), QStringLiteral("2"),
             QStringLiteral("-subj"), QStringLiteral("/CN=127.0.0.1"), QStringLiteral("-addext"),
             QStringLiteral("subjectAltName=IP:127.0.0.1")},
            why);
        if (!why->isEmpty()) return nullptr;
        const QByteArray out =
            run(QStringLiteral("openssl"),
                {QStringLiteral("x509"), QStringLiteral("-in"), cert, QStringLiteral("-noout"),
                 QStringLiteral("-fingerprint"), QStringLiteral("-sha256")},
                why);
        if (!why->isEmpty()) return nullptr;
        s->sha256 = QString::fromLatin1(out.mid(out.indexOf('=') + 1).trimmed()).toUpper();
        config.replace("[server]\n",
                       "[server]\nssl = True\ncertificate = " + QFile::encodeName(cert) +
                           "\nkey = " + QFile::encodeName(key) + "\n");
    }
    if (!writeFile(folder + QStringLiteral("/config"), config) ||
        !writeFile(folder + QStringLiteral("/users"),
                   QByteArray(kUser) + ':' + QByteArray(kPassword) + '\n')) {
        *why = QStringLiteral("cannot write Radicale's configuration in %1").arg(folder);
        return nullptr;
    }
    if (!launch(*s, QStringLiteral("/usr/bin/radicale"),
                {QStringLiteral("--config"), folder + QStringLiteral("/config")}, why) ||
        !waitForPort(*s, port, why))
        return nullptr;
    s->directBase = QStringLiteral("%1://127.0.0.1:%2/")
                        .arg(tls ? QStringLiteral("https") : QStringLiteral("http"))
                        .arg(port);
    if (tls) {
        s->base = s->directBase;
    } else {
        s->proxy = std::make_unique<FaultProxy>(QStringLiteral("127.0.0.1"), quint16(port));
        s->base = s->proxy->Base();
    }
    s->bookUrl = s->NewBook();
    if (s->bookUrl.isEmpty()) {
        *why = QStringLiteral("Radicale refused to make an address book: ") + s->Log();
        return nullptr;
    }
    return s;
}

std::unique_ptr<CardServer> StartXandikos(QString* why) {
    auto s = prepare(QStringLiteral("Xandikos"), why);
    if (!s) return nullptr;
    const int port = freePort();
    if (!launch(*s, QStringLiteral("/usr/bin/xandikos"),
                {QStringLiteral("-d"), s->dir->filePath(QStringLiteral("data")),
                 QStringLiteral("--defaults"), QStringLiteral("-l"), QStringLiteral("127.0.0.1"),
                 QStringLiteral("-p"), QString::number(port)},
                why) ||
        !waitForPort(*s, port, why))
        return nullptr;
    s->directBase = QStringLiteral("http://127.0.0.1:%1/").arg(port);
    s->proxy = std::make_unique<FaultProxy>(QStringLiteral("127.0.0.1"), quint16(port), s->user,
                                            s->password);
    s->base = s->proxy->Base();
    // --defaults makes the user's address book.
    s->bookUrl = s->base + QStringLiteral("user/contacts/addressbook/");
    const CardClient::Reply r =
        CardClient(s->user, s->password)
            .Send("PROPFIND", s->bookUrl,
                  "<?xml version=\"1.0\"?><propfind xmlns=\"DAV:\"><prop><resourcetype/>"
                  "</prop></propfind>",
                  {{"Depth", "0"}, {"Content-Type", "application/xml"}});
    if (r.status != 207) {
        *why = QStringLiteral("Xandikos has no address book at %1 (%2): %3")
                   .arg(s->bookUrl)
                   .arg(r.status)
                   .arg(s->Log());
        return nullptr;
    }
    return s;
}

void CardServers::Start() {
    for (const QString& name : {QStringLiteral("Radicale"), QStringLiteral("Xandikos")}) {
        QString why;
        std::unique_ptr<CardServer> s =
            name == QLatin1String("Radicale") ? StartRadicale(&why) : StartXandikos(&why);
        if (s)
            m_servers.insert(name, std::shared_ptr<CardServer>(std::move(s)));
        else
            m_why.insert(name, why);
    }
}

CardServer* CardServers::Get(const QString& name, QString* why) const {
    if (CardServer* s = m_servers.value(name).get()) return s;
    *why = m_why.value(name, QStringLiteral("%1 was not started").arg(name));
    return nullptr;
}

void CardServers::AddRows() {
    QTest::addColumn<QString>("server");
    QTest::newRow("Radicale") << QStringLiteral("Radicale");
    QTest::newRow("Xandikos") << QStringLiteral("Xandikos");
}
