#include "support/pgserver.h"

#include "data/pgengine.h"

#include <QDir>
#include <QFile>
#include <QProcess>
#include <QTemporaryDir>
#include <QUuid>
#include <arpa/inet.h>
#include <cerrno>
#include <csignal>
#include <libpq-fe.h>
#include <memory>
#include <netinet/in.h>
#include <pwd.h>
#include <stdexcept>
#include <sys/socket.h>
#include <unistd.h>

namespace PgServer {

namespace {

[[noreturn]] void cannot(const QString& why) {
    throw std::runtime_error(
        ("The private PostgreSQL server for the tests could not be started: " + why).toStdString());
}

QString binFolder() {
    const QString env = qEnvironmentVariable("ADRSBOOK_PG_BIN");
    if (!env.isEmpty()) return env;
    QDir lib(QStringLiteral("/usr/lib/postgresql"));
    QStringList versions = lib.entryList(QDir::Dirs | QDir::NoDotAndDotDot);
    std::sort(versions.begin(), versions.end(),
              [](const QString& a, const QString& b) { return a.toInt() > b.toInt(); });
    for (const QString& v : versions)
        if (QFile::exists(lib.filePath(v + QStringLiteral("/bin/initdb"))))
            return lib.filePath(v + QStringLiteral("/bin"));
    cannot(QStringLiteral("initdb was not found under /usr/lib/postgresql (is the postgresql "
                          "package installed? scripts/deps.sh installs it)"));
}

int freePort() {
    const int s = ::socket(AF_INET, SOCK_STREAM, 0);
    sockaddr_in a{};
    a.sin_family = AF_INET;
    a.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    a.sin_port = 0;
    socklen_t len = sizeof a;
    int port = 0;
    if (::bind(s, reinterpret_cast<sockaddr*>(&a), sizeof a) == 0 &&
        ::getsockname(s, reinterpret_cast<sockaddr*>(&a), &len) == 0)
        port = ntohs(a.sin_port);
    ::close(s);
    if (port == 0) cannot(QStringLiteral("no free TCP port on 127.0.0.1"));
    return port;
}

struct Server {
    std::unique_ptr<QTemporaryDir> dir;
    QString bin;
    QString port;
    bool asPostgres = false;
    bool running = false;
    int databases = 0;

    QString data() const { return dir->filePath(QStringLiteral("data")); }

    // Runs a server program as the user that owns the cluster.
    void run(const QString& program, const QStringList& args, int timeoutMs = 60000) const {
        QProcess p;
        p.setProcessChannelMode(QProcess::MergedChannels);
        const QString path = bin + u'/' + program;
        if (asPostgres)
            p.start(QStringLiteral("runuser"),
                    QStringList{QStringLiteral("-u"), QStringLiteral("postgres"),
                                QStringLiteral("--"), path} +
                        args);
        else
            p.start(path, args);
        if (!p.waitForFinished(timeoutMs) || p.exitStatus() != QProcess::NormalExit ||
            p.exitCode() != 0)
            cannot(
                QStringLiteral("%1 failed: %2").arg(program, QString::fromLocal8Bit(p.readAll())));
    }

    void stop() {
        if (!running) return;
        running = false;
        try {
            run(QStringLiteral("pg_ctl"),
                {QStringLiteral("-D"), data(), QStringLiteral("-m"), QStringLiteral("immediate"),
                 QStringLiteral("-w"), QStringLiteral("stop")});
        } catch (...) {
        }
    }
    ~Server() { stop(); }
};

Server& server() {
    static Server s;
    return s;
}

// Servers left by test processes that were killed: stopped and removed.
void sweepLeftovers(Server& s) {
    const QDir tmp(QStringLiteral("/tmp"));
    for (const QString& name :
         tmp.entryList({QStringLiteral("adrspg-*")}, QDir::Dirs | QDir::NoDotAndDotDot)) {
        const QString folder = tmp.filePath(name);
        QFile owner(folder + QStringLiteral("/owner.pid"));
        if (!owner.open(QIODevice::ReadOnly)) continue;
        const pid_t pid = pid_t(owner.readAll().trimmed().toLongLong());
        owner.close();
        if (pid <= 0 || ::kill(pid, 0) == 0 || errno != ESRCH) continue; // still running
        try {
            s.run(QStringLiteral("pg_ctl"),
                  {QStringLiteral("-D"), folder + QStringLiteral("/data"), QStringLiteral("-m"),
                   QStringLiteral("immediate"), QStringLiteral("stop")});
        } catch (...) {
        }
        QDir(folder).removeRecursively();
    }
}

void initialise(Server& s) {
    s.bin = binFolder();
    s.asPostgres = ::geteuid() == 0;
    sweepLeftovers(s);
    s.dir = std::make_unique<QTemporaryDir>(QStringLiteral("/tmp/adrspg-XXXXXX"));
    if (!s.dir->isValid()) cannot(QStringLiteral("no temporary folder"));
    QFile owner(s.dir->filePath(QStringLiteral("owner.pid")));
    if (owner.open(QIODevice::WriteOnly)) owner.write(QByteArray::number(qint64(::getpid())));
    owner.close();
    if (s.asPostgres) {
        const passwd* pw = ::getpwnam("postgres");
        if (!pw)
            cannot(QStringLiteral("the tests run as root and there is no postgres system user"));
        if (::chown(QFile::encodeName(s.dir->path()).constData(), pw->pw_uid, pw->pw_gid) != 0)
            cannot(QStringLiteral("the temporary folder cannot be given to the postgres user"));
    }
    const QString pwfile = s.dir->filePath(QStringLiteral("pw"));
    QFile f(pwfile);
    if (!f.open(QIODevice::WriteOnly)) cannot(QStringLiteral("cannot write %1").arg(pwfile));
    f.write("superuser secret\n");
    f.close();
    f.setPermissions(QFileDevice::ReadOwner | QFileDevice::WriteOwner | QFileDevice::ReadOther);
    s.run(QStringLiteral("initdb"),
          {QStringLiteral("-D"), s.data(), QStringLiteral("-U"), QStringLiteral("postgres"),
           QStringLiteral("--pwfile=") + pwfile, QStringLiteral("--auth-local=trust"),
           QStringLiteral("--auth-host=scram-sha-256"), QStringLiteral("-E"),
           QStringLiteral("UTF8"), QStringLiteral("--locale=C.UTF-8"),
           QStringLiteral("--no-sync")});
    QFile::remove(pwfile);
    s.port = QString::number(freePort());
}

PGconn* superuser(const QString& database) {
    const QByteArray info = PgEngine::Conninfo(Socket(database));
    PGconn* pg = PQconnectdb(info.constData());
    if (PQstatus(pg) != CONNECTION_OK) {
        const QString why = QString::fromUtf8(PQerrorMessage(pg)).simplified();
        PQfinish(pg);
        throw std::runtime_error(("cannot reach the test server: " + why).toStdString());
    }
    return pg;
}

QString newDatabaseName() {
    return QStringLiteral("book_%1_%2").arg(::getpid()).arg(++server().databases);
}

} // namespace

void Start() {
    Server& s = server();
    if (s.running) return;
    if (!s.dir) initialise(s);
    s.run(
        QStringLiteral("pg_ctl"),
        {QStringLiteral("-D"), s.data(), QStringLiteral("-w"), QStringLiteral("-t"),
         QStringLiteral("30"), QStringLiteral("-l"), s.dir->filePath(QStringLiteral("log")),
         QStringLiteral("-o"),
         QStringLiteral("-c listen_addresses=127.0.0.1 -c port=%1 -c unix_socket_directories='%2' "
                        "-c fsync=off -c synchronous_commit=off -c full_page_writes=off "
                        "-c max_connections=60 -c shared_buffers=32MB")
             .arg(s.port, s.dir->path()),
         QStringLiteral("start")});
    s.running = true;
    static bool prepared = false;
    if (!prepared) {
        // The template every test book is copied from, and the desk user.
        Sql(QStringLiteral("CREATE ROLE %1 LOGIN PASSWORD '%2'")
                .arg(QLatin1String(kDeskUser),
                     QString::fromLatin1(kDeskPassword).replace(u'\'', QLatin1String("''"))));
        Sql(QStringLiteral("CREATE DATABASE book_template"));
        PgEngine::CreateTables(Socket(QStringLiteral("book_template")));
        Sql(QStringLiteral("GRANT SELECT, INSERT, UPDATE, DELETE ON cscmstr, adrsgrupmstr, "
                           "adrsmstr, adrsgrpdtails, adrssyncset, adrssynccard TO %1")
                .arg(QLatin1String(kDeskUser)),
            QStringLiteral("book_template"));
        prepared = true;
    }
}

void Stop() {
    server().stop();
}

QString SocketFolder() {
    Start();
    return server().dir->path();
}

QString Port() {
    Start();
    return server().port;
}

QString NewBook() {
    Start();
    const QString name = newDatabaseName();
    Sql(QStringLiteral("CREATE DATABASE %1 TEMPLATE book_template").arg(name));
    return name;
}

QString NewEmptyDatabase() {
    Start();
    const QString name = newDatabaseName();
    Sql(QStringLiteral("CREATE DATABASE %1").arg(name));
    Sql(QStringLiteral("GRANT CREATE ON SCHEMA public TO %1").arg(QLatin1String(kDeskUser)), name);
    return name;
}

void Drop(const QString& database) {
    if (!server().running || database.isEmpty()) return;
    Sql(QStringLiteral("DROP DATABASE IF EXISTS %1 WITH (FORCE)").arg(database));
}

ConnString::Parts Socket(const QString& database) {
    ConnString::Parts p;
    p.provider = QStringLiteral("PostgreSQL");
    p.host = server().dir ? server().dir->path() : QString();
    p.port = server().port;
    p.database = database;
    p.user = QStringLiteral("postgres");
    p.sslMode = QStringLiteral("disable");
    return p;
}

ConnString::Parts Tcp(const QString& database, const QString& password) {
    ConnString::Parts p = Socket(database);
    p.host = QStringLiteral("127.0.0.1");
    p.user = QString::fromLatin1(kDeskUser);
    p.sslMode = QStringLiteral("prefer");
    p.password = password;
    return p;
}

void Sql(const QString& sql, const QString& database) {
    PGconn* pg = superuser(database);
    PGresult* r = PQexec(pg, sql.toUtf8().constData());
    const ExecStatusType st = PQresultStatus(r);
    const QString why = QString::fromUtf8(PQresultErrorMessage(r)).simplified();
    PQclear(r);
    PQfinish(pg);
    if (st != PGRES_COMMAND_OK && st != PGRES_TUPLES_OK)
        throw std::runtime_error(
            QStringLiteral("test server: %1 [%2]").arg(why, sql).toStdString());
}

QString LogFile() {
    return server().dir ? server().dir->filePath(QStringLiteral("log")) : QString();
}

namespace {
void openssl(const QString& folder, const QStringList& args) {
    QProcess p;
    p.setWorkingDirectory(folder);
    p.setProcessChannelMode(QProcess::MergedChannels);
    p.start(QStringLiteral("openssl"), args);
    if (!p.waitForFinished(30000) || p.exitStatus() != QProcess::NormalExit || p.exitCode() != 0)
        throw std::runtime_error(QStringLiteral("openssl %1 failed: %2")
                                     .arg(args.join(u' '), QString::fromLocal8Bit(p.readAll()))
                                     .toStdString());
}

const QStringList kNewKey{QStringLiteral("-newkey"), QStringLiteral("ec"),
                          QStringLiteral("-pkeyopt"), QStringLiteral("ec_paramgen_curve:P-256"),
                          QStringLiteral("-nodes")};

// The server's own setting, read in a new session (after a reload, new
// sessions have the new settings).
QString setting(const QString& name) {
    PGconn* pg = superuser(QStringLiteral("postgres"));
    PGresult* r = PQexec(pg, ("SHOW " + name).toUtf8().constData());
    const QString value =
        PQresultStatus(r) == PGRES_TUPLES_OK ? QString::fromUtf8(PQgetvalue(r, 0, 0)) : QString();
    PQclear(r);
    PQfinish(pg);
    return value;
}

void reloadUntil(const QString& ssl) {
    Sql(QStringLiteral("SELECT pg_reload_conf()"));
    for (int i = 0; i < 100 && setting(QStringLiteral("ssl")) != ssl; ++i)
        ::usleep(50000);
    if (setting(QStringLiteral("ssl")) != ssl)
        throw std::runtime_error(QStringLiteral("the test server did not turn ssl %1 (see %2)")
                                     .arg(ssl, LogFile())
                                     .toStdString());
}
} // namespace

QString MakeAuthority(const QString& folder, const QString& name) {
    openssl(folder, QStringList{QStringLiteral("req"), QStringLiteral("-x509")} + kNewKey +
                        QStringList{QStringLiteral("-days"), QStringLiteral("2"),
                                    QStringLiteral("-subj"), QStringLiteral("/CN=") + name,
                                    QStringLiteral("-keyout"), name + QStringLiteral(".key"),
                                    QStringLiteral("-out"), name + QStringLiteral(".crt")});
    return QDir(folder).filePath(name + QStringLiteral(".crt"));
}

QString TlsOn(const QString& folder) {
    Start();
    const QString root = MakeAuthority(folder, QStringLiteral("root"));
    QFile names(QDir(folder).filePath(QStringLiteral("names.cnf")));
    if (!names.open(QIODevice::WriteOnly)) throw std::runtime_error("cannot write names.cnf");
    names.write("subjectAltName = IP:127.0.0.1, DNS:localhost\n");
    names.close();
    openssl(folder, QStringList{QStringLiteral("req"), QStringLiteral("-new")} + kNewKey +
                        QStringList{QStringLiteral("-subj"), QStringLiteral("/CN=localhost"),
                                    QStringLiteral("-keyout"), QStringLiteral("server.key"),
                                    QStringLiteral("-out"), QStringLiteral("server.csr")});
    openssl(folder,
            {QStringLiteral("x509"), QStringLiteral("-req"), QStringLiteral("-in"),
             QStringLiteral("server.csr"), QStringLiteral("-CA"), QStringLiteral("root.crt"),
             QStringLiteral("-CAkey"), QStringLiteral("root.key"),
             QStringLiteral("-CAcreateserial"), QStringLiteral("-days"), QStringLiteral("2"),
             QStringLiteral("-extfile"), QStringLiteral("names.cnf"), QStringLiteral("-out"),
             QStringLiteral("server.crt")});
    // The server reads them from its own folder, as their owner; the key
    // readable by it alone.
    const Server& s = server();
    const passwd* pw = s.asPostgres ? ::getpwnam("postgres") : nullptr;
    for (const QString& name : {QStringLiteral("server.crt"), QStringLiteral("server.key")}) {
        const QString to = QDir(s.data()).filePath(name);
        QFile::remove(to);
        if (!QFile::copy(QDir(folder).filePath(name), to))
            throw std::runtime_error(("cannot copy " + name + " to " + to).toStdString());
        QFile::setPermissions(to, QFileDevice::ReadOwner | QFileDevice::WriteOwner);
        if (pw && ::chown(QFile::encodeName(to).constData(), pw->pw_uid, pw->pw_gid) != 0)
            throw std::runtime_error(("cannot give " + to + " to postgres").toStdString());
    }
    Sql(QStringLiteral("ALTER SYSTEM SET ssl_cert_file = 'server.crt'"));
    Sql(QStringLiteral("ALTER SYSTEM SET ssl_key_file = 'server.key'"));
    Sql(QStringLiteral("ALTER SYSTEM SET ssl = on"));
    reloadUntil(QStringLiteral("on"));
    return root;
}

void TlsOff() {
    if (!server().running) return;
    Sql(QStringLiteral("ALTER SYSTEM RESET ssl"));
    reloadUntil(QStringLiteral("off"));
}

} // namespace PgServer
