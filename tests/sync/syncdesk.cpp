#include "syncdesk.h"

#include "data/connmodule.h"
#include "sync/carddavclient.h"
#include "sync/syncround.h"

#include <QDateTime>
#include <QTest>

SyncDesk::SyncDesk(CardServer& server, BookKind kind)
    : server_(server), book_(std::make_unique<TestBook>(kind)),
      phone_(server.user, server.password) {
    book_->Exec(QStringLiteral("insert into cscmstr (ctyid, ctyname, statename, contryname, "
                               "delstatus) values (1, 'LUDHIANA', 'PUNJAB', 'INDIA', 0)"));
    book_->Exec(QStringLiteral("insert into adrsgrupmstr (grpid, grpname) values (1, "
                               "'CUSTOMERS'), (2, 'SUPPLIERS')"));
    settings_.server = server.base;
    settings_.bookUrl = server.NewBook();
    settings_.user = server.user;
    settings_.newPartyGroup = 1;
    SyncStore::SaveSettings(*Conn, settings_);
}

namespace {
QString Sql(QString value) {
    return value.replace(u'\'', QLatin1String("''"));
}
} // namespace

int SyncDesk::AddParty(const QString& name, const QString& phone, const QString& email) {
    const int id = book_->Value(QStringLiteral("select max(adrsid) from adrsmstr")).toInt() + 1;
    const int link = book_->Value(QStringLiteral("select max(adrsgrpid) from adrsgrpdtails")).toInt() + 1;
    book_->Exec(QStringLiteral("insert into adrsmstr (adrsid, adrsname, adrs1, adrsctyid, "
                               "adrsphno, adrsemail, adrsaddt, adrsdelstatus) values (%1, '%2', "
                               "'12 MALL ROAD', 1, '%3', '%4', '%5', 0)")
                    .arg(id)
                    .arg(Sql(name), Sql(phone), Sql(email),
                         QDateTime::currentDateTime().toString(
                             QStringLiteral("yyyy-MM-dd HH:mm:ss.zzz"))));
    book_->Exec(QStringLiteral("insert into adrsgrpdtails (adrsgrpid, adrsconcrnid, adrsgrupid) "
                               "values (%1, %2, '1')")
                    .arg(link)
                    .arg(id));
    return id;
}

void SyncDesk::SetColumn(int partyId, const char* column, const QString& value) {
    book_->Exec(QStringLiteral("update adrsmstr set %1 = '%2' where adrsid = %3")
                    .arg(QLatin1String(column), Sql(value))
                    .arg(partyId));
}

void SyncDesk::DeleteParty(int partyId) {
    book_->Exec(QStringLiteral("delete from adrsgrpdtails where adrsconcrnid = %1").arg(partyId));
    book_->Exec(QStringLiteral("delete from adrsmstr where adrsid = %1").arg(partyId));
}

QVariant SyncDesk::Column(int partyId, const char* column) const {
    return book_->Value(QStringLiteral("select %1 from adrsmstr where adrsid = %2")
                            .arg(QLatin1String(column))
                            .arg(partyId));
}

int SyncDesk::Parties() const {
    return book_->Count(QStringLiteral("adrsmstr"));
}

SyncReport SyncDesk::Round(int timeoutMs) {
    CardDavClient::Options options;
    options.user = server_.user;
    options.password = server_.password;
    options.timeoutMs = timeoutMs;
    options.bookUrl = settings_.bookUrl;
    CardDavClient dav(options);
    return SyncRound(*Conn, dav, settings_);
}

QMap<QString, QByteArray> SyncDesk::Cards() {
    QMap<QString, QByteArray> cards;
    const QMap<QString, QString> listed = phone_.List(settings_.bookUrl);
    const QUrl book(settings_.bookUrl);
    for (auto it = listed.begin(); it != listed.end(); ++it)
        cards.insert(it.key(), phone_.Get(book.resolved(QUrl(it.key())).toString()).body);
    return cards;
}

QByteArray PhoneCard(const QString& uid, const QString& name, const QString& city) {
    QByteArray photo;
    for (int i = 0; i < 40; ++i)
        photo += "iVBORw0KGgoAAAANSUhEUgAAAAEAAAABCAYAAAAfFcSJAAAADUlEQVR42mNk";
    QByteArray folded;
    for (qsizetype i = 0; i < photo.size(); i += 74)
        folded += (i ? "\r\n " : "") + photo.mid(i, 74);
    return "BEGIN:VCARD\r\nVERSION:3.0\r\nUID:" + uid.toUtf8() + "\r\nFN:" + name.toUtf8() +
           "\r\nN:;" + name.toUtf8() + ";;;\r\nORG:" + name.toUtf8() +
           "\r\nADR;TYPE=WORK:;;4 GT Road;" + city.toUtf8() +
           ";PUNJAB;141001;INDIA\r\nTEL;TYPE=CELL:+91 98140 12345\r\nBDAY:1980-04-01\r\n"
           "item1.X-ABLABEL:_$!<Anniversary>!$_\r\nX-PHONE-COLOR;X-KEEP=\"a;b\":blue\r\n"
           "PHOTO;ENCODING=b;TYPE=PNG:" + folded + "\r\nEND:VCARD\r\n";
}

QString CardValue(const QByteArray& card, const QByteArray& name) {
    for (const QByteArray& line : card.split('\n')) {
        const QByteArray l = line.trimmed();
        const qsizetype colon = l.indexOf(':');
        if (colon < 0) continue;
        const QByteArray head = l.left(colon);
        if (head == name || head.startsWith(name + ';'))
            return QString::fromUtf8(l.mid(colon + 1));
    }
    return {};
}

QByteArray WithValue(const QByteArray& card, const QByteArray& name, const QString& value) {
    QList<QByteArray> lines = card.split('\n');
    for (QByteArray& line : lines) {
        const qsizetype colon = line.indexOf(':');
        if (colon < 0) continue;
        const QByteArray head = line.left(colon);
        if (head == name || head.startsWith(name + ';')) {
            line = head + ':' + value.toUtf8() + '\r';
            return lines.join('\n');
        }
    }
    QByteArray out = card;
    out.insert(out.lastIndexOf("END:VCARD"), name + ':' + value.toUtf8() + "\r\n");
    return out;
}

QByteArray PhoneOnly(const QByteArray& card) {
    QByteArray kept;
    for (const char* start : {"BDAY:", "item1.X-ABLABEL:", "X-PHONE-COLOR;", "PHOTO;"}) {
        qsizetype from = card.indexOf(start);
        if (from < 0) continue;
        qsizetype end = card.indexOf("\r\n", from);
        while (end >= 0 && end + 2 < card.size() && card[end + 2] == ' ')
            end = card.indexOf("\r\n", end + 2);
        kept += card.mid(from, end + 2 - from);
    }
    return kept;
}
