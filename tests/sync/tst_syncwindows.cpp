// The contacts server's windows as a person uses them: the two commands of
// the Administrator menu, the settings window, a round in the background
// with its line in the status bar, and the report with its conflicts.

#include "address/addressdriver.h"
#include "app/frmmainmdi.h"
#include "data/connmodule.h"
#include "data/syncstore.h"
#include "support/scripted.h"
#include "support/testmain.h"
#include "sync/certprompt.h"
#include "sync/frmcontactsserver.h"
#include "sync/frmsyncreport.h"
#include "sync/passwordstore.h"
#include "sync/syncprogressline.h"
#include "sync/syncrunner.h"

#include <QCheckBox>
#include <QInputDialog>
#include <QLabel>
#include <QMdiArea>
#include <QMenuBar>
#include <QSpinBox>
#include <QStatusBar>
#include <QTcpServer>
#include <QTcpSocket>
#include <QTimer>

namespace {
void Alt(int key) {
    QTest::keyClick(Focused(), Qt::Key(key), Qt::AltModifier);
    Settle();
}

// Replaces what the focused box holds by `text`, as typed.
void Retype(const QString& text) {
    QTest::keyClick(Focused(), Qt::Key_A, Qt::ControlModifier);
    QTest::keyClick(Focused(), Qt::Key_Delete);
    TypeText(text);
}

// The access key letters of a window's captions, and of menu items.
QStringList Keys(const QStringList& captions) {
    QStringList keys;
    for (const QString& c : captions) {
        const qsizetype at = c.indexOf(u'&');
        if (at >= 0 && at + 1 < c.size()) keys.append(c.mid(at + 1, 1).toLower());
    }
    return keys;
}
QStringList Captions(QWidget* window) {
    QStringList out;
    for (QAbstractButton* b : window->findChildren<QAbstractButton*>())
        out << b->text();
    for (QLabel* l : window->findChildren<QLabel*>())
        out << l->text();
    return out;
}
QStringList Captions(const QList<QAction*>& actions) {
    QStringList out;
    for (QAction* a : actions)
        out << a->text();
    return out;
}

// A server that takes connections and never answers: a round or a search
// waits on it until it is stopped or the server goes.
struct SilentServer {
    QTcpServer server;
    SilentServer() { server.listen(QHostAddress::LocalHost); }
    QString Host() const { return QStringLiteral("127.0.0.1:%1").arg(server.serverPort()); }
    QString Book() const { return QStringLiteral("http://%1/dav/book/").arg(Host()); }
    void Hang() {
        for (QTcpSocket* s : server.findChildren<QTcpSocket*>())
            s->abort();
        server.close();
    }
};

// Types `password` into the password dialog once it comes up.
void AnswerPasswordDialog(const QString& password, int* asked) {
    auto* poll = new QTimer;
    QObject::connect(poll, &QTimer::timeout, poll, [=] {
        auto* dialog = qobject_cast<QInputDialog*>(QApplication::activeModalWidget());
        if (!dialog) return;
        ++*asked;
        QTest::keyClicks(dialog->findChild<QLineEdit*>(), password);
        QTest::keyClick(dialog->findChild<QLineEdit*>(), Qt::Key_Return);
        poll->deleteLater();
    });
    poll->start(20);
}

SyncSettings SavedSettings(const QString& book, const QString& user) {
    SyncSettings s;
    s.server = QUrl(book).authority();
    s.user = user;
    s.bookUrl = book;
    SyncStore::EnsureTables(*Conn);
    SyncStore::SaveSettings(*Conn, s);
    return s;
}

SyncConflict Conflict(int partyId, const char* party, PartyField field, const char* desk,
                      const char* server) {
    SyncConflict c;
    c.partyId = partyId;
    c.party = QString::fromUtf8(party);
    c.field = field;
    c.desk = QString::fromUtf8(desk);
    c.server = QString::fromUtf8(server);
    return c;
}

struct Desk {
    TestBook book;
    ScriptedMsgBoxes boxes;
    std::unique_ptr<FrmMainMdi> main;
    void Open() {
        main = std::make_unique<FrmMainMdi>();
        main->MDIForm_Load();
        ShowAndActivate(main.get());
    }
};
} // namespace

class SyncWindowTests : public QObject {
    Q_OBJECT
  private slots:
    // A test machine has no keyring: the password stays in memory, as on
    // such a desk. Nothing reaches a real keyring of the user running them.
    void initTestCase() { qputenv("DBUS_SESSION_BUS_ADDRESS", "unix:path=/nonexistent"); }

    void fingerprintsReadInPairs() {
        QCOMPARE(FingerprintText(QStringLiteral("ab01") + QString(60, u'f')),
                 QStringLiteral("AB:01") + QStringLiteral(":FF").repeated(14) + u'\n' +
                     QStringLiteral("FF:").repeated(15) + QStringLiteral("FF"));
        QCOMPARE(FingerprintText(QStringLiteral("AB:CD")), QStringLiteral("AB:CD"));
    }

    void theMenuItemsFollowTheOthersWithKeysOfTheirOwn() {
        Desk d;
        d.Open();
        const QStringList admin = Captions(d.main->admin->actions());
        QCOMPARE(admin.mid(3), (QStringList{"Contacts &server...", "S&ynchronize now"}));
        QCOMPARE(Keys(admin).removeDuplicates(), 0);
        // The windows' keys: each once, and none of the menu bar's.
        const QStringList bar = Keys(Captions(d.main->menuBar()->actions()));
        d.main->CntsSrvr->trigger();
        FrmSyncReport* report = d.main->Load<FrmSyncReport>();
        for (QWidget* window : {static_cast<QWidget*>(d.main->Child<FrmContactsServer>()),
                                static_cast<QWidget*>(report)}) {
            QStringList keys = Keys(Captions(window));
            QVERIFY(keys.size() >= 2);
            QCOMPARE(keys.removeDuplicates(), 0);
            for (const QString& k : keys)
                QVERIFY2(!bar.contains(k), qPrintable(k));
        }
    }

    void settingsAreSavedAndShownAgain() {
        Desk d;
        SeedGroup(d.book, 1, QStringLiteral("CUSTOMERS"));
        SeedGroup(d.book, 2, QStringLiteral("SUPPLIERS"));
        SeedGroup(d.book, 3, QStringLiteral("STAFF"));
        const QString bookUrl = QStringLiteral("https://dav.example.com/asha/contacts/");
        SavedSettings(bookUrl, QStringLiteral("asha"));
        d.Open();
        d.main->CntsSrvr->trigger();
        auto* form = d.main->Child<FrmContactsServer>();
        QCOMPARE(Focused(), form->TxtServer);
        QCOMPARE(form->TxtServer->text(), QStringLiteral("dav.example.com"));
        QCOMPARE(form->LstvewBooks->SelectedItem()->SubItem(1), bookUrl);
        QVERIFY(!form->LstvewGrup->isEnabled());

        Alt(Qt::Key_U);
        Retype(QStringLiteral("ravi"));
        Alt(Qt::Key_W);
        TypeText(QStringLiteral("secret"));
        Alt(Qt::Key_G); // every party no more: the groups' list opens
        QVERIFY(form->LstvewGrup->isEnabled());
        ToggleRow(form->LstvewGrup, 1); // CUSTOMERS
        ToggleRow(form->LstvewGrup, 3); // SUPPLIERS
        Alt(Qt::Key_J);
        QTest::keyClick(Focused(), Qt::Key_Down); // (no group) -> CUSTOMERS
        Alt(Qt::Key_T);
        Alt(Qt::Key_E);
        Retype(QStringLiteral("15"));
        Alt(Qt::Key_V);
        QCOMPARE(d.boxes.calls.size(), 1);
        QVERIFY(d.boxes.Last().prompt.startsWith(QStringLiteral("The settings have been saved.")));
        QVERIFY(d.boxes.Last().prompt.contains(QStringLiteral("no keyring")));

        const SyncSettings s = SyncStore::LoadSettings(*Conn);
        QCOMPARE(s.server, QStringLiteral("dav.example.com"));
        QCOMPARE(s.user, QStringLiteral("ravi"));
        QCOMPARE(s.bookUrl, bookUrl);
        QVERIFY(!s.allGroups);
        QCOMPARE(s.groupIds, (QList<int>{1, 2}));
        QCOMPARE(s.newPartyGroup, 1);
        QVERIFY(s.atStart);
        QCOMPARE(s.everyMinutes, 15);
        // The password is kept for the run, not in the book.
        QCOMPARE(SyncPassword::Stored(SyncPassword::Key("ravi", "dav.example.com")),
                 std::optional<QString>(QStringLiteral("secret")));
        for (const QStringList& row : d.book.Rows(QStringLiteral("select * from adrssyncset")))
            QVERIFY(!row.join(u'|').contains(QStringLiteral("secret")));
        // The timer follows the saved settings at once.
        QVERIFY(d.main->SyncTimer->isActive());
        QCOMPARE(d.main->SyncTimer->interval(), 15 * 60 * 1000);

        form->CmdClos->click();
        Settle();
        d.main->CntsSrvr->trigger();
        form = d.main->Child<FrmContactsServer>();
        QCOMPARE(form->TxtUser->text(), QStringLiteral("ravi"));
        QCOMPARE(form->TxtPassword->text(), QString());
        QCOMPARE(Ticked(form->LstvewGrup), (QStringList{"CUSTOMERS", "SUPPLIERS"}));
        QCOMPARE(form->CmbxNewGrup->currentText(), QStringLiteral("CUSTOMERS"));
        QVERIFY(form->ChkAtStart->isChecked());
        QCOMPARE(form->SpnEvery->value(), 15);
    }

    void findingBooksLeavesTheWindowWorkingAndSaysWhatFailed() {
        Desk d;
        d.Open();
        SilentServer server;
        d.main->CntsSrvr->trigger();
        auto* form = d.main->Child<FrmContactsServer>();
        TypeText(server.Host());
        Alt(Qt::Key_U);
        TypeText(QStringLiteral("asha"));
        Alt(Qt::Key_W);
        TypeText(QStringLiteral("secret"));
        Alt(Qt::Key_F);
        QTRY_VERIFY(server.server.findChildren<QTcpSocket*>().size() > 0);
        QVERIFY(form->Finding());
        // The server keeps silent; the window still takes keys.
        Alt(Qt::Key_U);
        PressKey(Qt::Key_End);
        TypeText(QStringLiteral("x"));
        QCOMPARE(form->TxtUser->text(), QStringLiteral("ashax"));
        QVERIFY(!form->CmdFind->isEnabled());
        server.Hang();
        QTRY_VERIFY_WITH_TIMEOUT(!form->Finding(), 10000);
        QVERIFY(form->CmdFind->isEnabled());
        QCOMPARE(d.boxes.calls.size(), 1);
        QVERIFY(d.boxes.Last().prompt.startsWith(
            QStringLiteral("The address books could not be found.")));
        QVERIFY(!form->LblFind->text().isEmpty());
        // Saving without a chosen address book says what is missing.
        Alt(Qt::Key_V);
        QVERIFY(d.boxes.Last().prompt.startsWith(QStringLiteral("Find your address books")));
    }

    void synchronizeNowWithoutSettingsOpensThem() {
        Desk d;
        d.Open();
        d.main->Sync->trigger();
        Settle();
        QVERIFY(d.main->Child<FrmContactsServer>());
        QVERIFY(!d.main->Runner->Running());
    }

    void aRoundRunsBehindTheWindowsWithAPasswordAskedOnce() {
        Desk d;
        SilentServer server;
        SavedSettings(server.Book(), QStringLiteral("once"));
        d.Open();
        int asked = 0;
        AnswerPasswordDialog(QStringLiteral("pw"), &asked);
        d.main->Sync->trigger();
        QCOMPARE(asked, 1);
        QVERIFY(d.main->Runner->Running());
        QVERIFY(d.main->SyncLine->isVisible());
        // Meanwhile the windows open and take keys.
        d.main->cty->trigger();
        QVERIFY(d.main->MdiArea->activeSubWindow());
        QTest::mouseClick(d.main->SyncLine->CmdStopSync, Qt::LeftButton);
        QTRY_VERIFY_WITH_TIMEOUT(!d.main->Runner->Running(), 10000);
        Settle();
        QVERIFY(!d.main->SyncLine->isVisible());
        auto* report = d.main->Child<FrmSyncReport>();
        QVERIFY(report);
        QVERIFY(report->LblResult->text().contains(QStringLiteral("cancelled")));

        // Again: the password of this run, no question; the server gone.
        server.Hang();
        d.main->Sync->trigger();
        QCOMPARE(asked, 1);
        QTRY_VERIFY_WITH_TIMEOUT(!d.main->Runner->Running(), 10000);
        Settle();
        QVERIFY(
            report->LblResult->text().startsWith(QStringLiteral("The synchronization stopped")));
    }

    void theStartUpRoundAndTheTimerFollowTheSettings() {
        Desk d;
        SilentServer server;
        server.Hang(); // nothing listens there any more
        SyncSettings s = SavedSettings(server.Book(), QStringLiteral("start"));
        s.atStart = true;
        s.everyMinutes = 5;
        SyncStore::SaveSettings(*Conn, s);
        SyncPassword::Store(SyncPassword::Key(s.user, s.server), QStringLiteral("pw"));
        d.Open();
        QVERIFY(d.main->SyncTimer->isActive());
        QCOMPARE(d.main->SyncTimer->interval(), 5 * 60 * 1000);
        QTRY_VERIFY(d.main->Runner->Running() || d.main->statusBar()->currentMessage().size());
        QTRY_VERIFY_WITH_TIMEOUT(!d.main->Runner->Running(), 10000);
        Settle();
        // A round nobody asked for that stopped says so in the status bar only.
        QVERIFY(d.main->statusBar()->currentMessage().startsWith(
            QStringLiteral("The synchronization stopped")));
        QVERIFY(!d.main->Child<FrmSyncReport>());
    }

    void theReportShowsTheRoundAndTakesTheServersValue() {
        Desk d;
        d.Open();
        SyncReport r;
        r.sent = 3;
        r.received = 2;
        r.merged = 1;
        r.deletedThere = 4;
        r.conflicts = {Conflict(7, "ACME, PUNE", PartyField::Mobile, "98200", "98300"),
                       Conflict(8, "BETA, PUNE", PartyField::Email, "a@b.in", "c@d.in")};
        r.leftOnServer = {QStringLiteral("Mom: no address")};
        r.failures = {QStringLiteral("GAMMA: 507 Insufficient Storage")};
        FrmSyncReport& form = *d.main->Load<FrmSyncReport>();
        form.ShowReport(r);
        QList<int> taken;
        bool succeed = false;
        form.TakeServers = [&](const SyncConflict& c) {
            taken.append(c.partyId);
            return succeed;
        };
        QCOMPARE(form.LblSent->text(), QStringLiteral("3"));
        QCOMPARE(form.LblReceived->text(), QStringLiteral("2"));
        QCOMPARE(form.LblMerged->text(), QStringLiteral("1"));
        QCOMPARE(form.LblDeletedHere->text(), QStringLiteral("0"));
        QCOMPARE(form.LblDeletedThere->text(), QStringLiteral("4"));
        QVERIFY(form.LblResult->text().contains(QStringLiteral("1 card(s) could not")));
        QCOMPARE(form.LstvewConflicts->Count(), 2);
        ListItem second = form.LstvewConflicts->Item(2);
        QCOMPARE(
            QStringList({second.Text(), second.SubItem(1), second.SubItem(2), second.SubItem(3)}),
            (QStringList{"BETA, PUNE", FieldCaption(PartyField::Email), "a@b.in", "c@d.in"}));
        QCOMPARE(form.LstvewOther->Count(), 2);
        QCOMPARE(form.LstvewOther->Item(2).SubItem(1), QStringLiteral("Mom: no address"));

        // The second conflict chosen with the keys; a failed take marks nothing.
        form.LstvewConflicts->setFocus();
        QTest::keyClick(form.LstvewConflicts, Qt::Key_Down);
        Alt(Qt::Key_T);
        QCOMPARE(taken, QList<int>{8});
        QCOMPARE(second.SubItem(4), QStringLiteral("this desk's"));
        succeed = true;
        Alt(Qt::Key_T);
        QCOMPARE(taken, (QList<int>{8, 8}));
        QCOMPARE(second.SubItem(4), QStringLiteral("the server's"));
        QVERIFY(!form.CmdTake->isEnabled()); // taken once is enough
        QCOMPARE(form.LstvewConflicts->Item(1).SubItem(4), QStringLiteral("this desk's"));
    }
};

ADRSBOOK_TEST(SyncWindowTests)
#include "tst_syncwindows.moc"
