#include "support/fixture.h"

#include "data/connmodule.h"
#include "data/recordset.h"
#include "data/schema.h"
#include "data/serversettings.h"
#include "platform/apppath.h"
#include "support/pgserver.h"

#include <QApplication>
#include <QTest>

TestBook::TestBook()
    : TestBook(qgetenv("ADRSBOOK_TEST_ENGINE") == "server" ? BookKind::Server : BookKind::File) {}

TestBook::TestBook(BookKind kind) : kind_(kind) {
    SetAppPathForTesting(dir_.path());
    if (kind == BookKind::Server) {
        database_ = PgServer::NewBook();
        const ConnString::Parts p = PgServer::Socket(database_);
        ServerSettings::Write(dir_.path(), {p.host, p.port, p.database, p.user, p.sslMode});
    } else {
        CreateBookFile(File());
    }
    OpenConn();
    OpenConn2();
    AppTitle = QStringLiteral("NAME OF THE USER COMPANY");
}

TestBook::~TestBook() {
    CloseConns();
    SetAppPathForTesting(QString());
    if (!database_.isEmpty()) {
        try {
            PgServer::Drop(database_);
        } catch (...) {
        }
    }
}

QString TestBook::File() const {
    return Path(QString::fromLatin1(kDatabaseFileName));
}
QString TestBook::Path(const QString& name) const {
    return dir_.filePath(name);
}

void TestBook::Exec(const QString& sql) const {
    Conn->Execute(sql);
}

QVariant TestBook::Value(const QString& sql) const {
    Recordset rs;
    rs.Open(sql, Conn);
    if (rs.State() == 0 || rs.Eof()) return QVariant();
    return rs.Fields(0).Value();
}

QList<QStringList> TestBook::Rows(const QString& sql) const {
    QList<QStringList> out;
    Recordset rs;
    rs.Open(sql, Conn);
    if (rs.State() == 0) return out;
    while (!rs.Eof()) {
        QStringList row;
        for (int c = 0; c < rs.FieldCount(); ++c)
            row.append(rs.Fields(c).IsNull() ? QStringLiteral("<null>") : rs.Fields(c).Str());
        out.append(row);
        rs.MoveNext();
    }
    return out;
}

int TestBook::Count(const QString& table) const {
    return Value(QStringLiteral("Select count(*) from ") + table).toInt();
}

void CreateBookFile(const QString& file) {
    Schema::CreateDatabase(file, QString::fromLatin1(kDatabasePassword));
}

QWidget* Focused() {
    return QApplication::focusWidget();
}

void TypeText(const QString& text) {
    for (const QChar c : text) {
        QWidget* w = Focused();
        if (!w) return;
        if (c.unicode() < 0x100)
            QTest::keyClicks(w, QString(c));
        else // a letter of another script: the key carries its text alone
            QTest::sendKeyEvent(QTest::Click, w, Qt::Key_unknown, QString(c), Qt::NoModifier);
    }
}

void PressEnter() {
    if (QWidget* w = Focused()) QTest::keyClick(w, Qt::Key_Return);
}

void PressKey(int key) {
    if (QWidget* w = Focused()) QTest::keyClick(w, Qt::Key(key));
}

void ShowAndActivate(QWidget* window) {
    window->show();
    QApplication::setActiveWindow(window);
    if (!QTest::qWaitForWindowActive(window)) qWarning("window did not become active");
}

void Settle() {
    QCoreApplication::processEvents();
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    QCoreApplication::processEvents();
}

void SeedNumberedParties(const TestBook& book, const QString& prefix, int from, int count,
                         int firstCity, int secondCity) {
    QStringList rows;
    for (int i = 0; i < count; ++i)
        rows.append(QStringLiteral("(%1, '%2 %3', %4, 0)")
                        .arg(from + i)
                        .arg(prefix)
                        .arg(i + 1, 4, 10, QLatin1Char('0'))
                        .arg(i % 2 ? secondCity : firstCity));
    book.Exec(QStringLiteral("insert into adrsmstr (adrsid, adrsname, adrsctyid, adrsdelstatus) "
                             "values ") +
              rows.join(u','));
}
