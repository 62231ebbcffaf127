#include "sync/frmcontactsserver.h"

#include "data/connmodule.h"
#include "data/recordset.h"
#include "platform/errors.h"
#include "platform/events.h"
#include "platform/listview.h"
#include "platform/msgbox.h"
#include "platform/named.h"
#include "platform/twips.h"
#include "platform/vb.h"
#include "sync/carddavclient.h"
#include "sync/certprompt.h"
#include "sync/passwordstore.h"
#include "sync/syncerror.h"

#include <QApplication>
#include <QCheckBox>
#include <QComboBox>
#include <QFormLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QSpinBox>
#include <QThread>
#include <QVBoxLayout>

namespace {
// What a search for address books came back with, handed from its thread.
struct Found {
    QList<AddressBookInfo> books;
    QString error, sha256, subject;
};

Found FindBooks(const QString& server, const QString& user, const QString& password,
                const QString& pinned) {
    Found found;
    try {
        CardDavClient::Options options;
        options.user = user;
        options.password = password;
        options.pinnedSha256 = pinned;
        CardDavClient client(options);
        found.books = client.Discover(server);
    } catch (const SyncError& e) {
        found.error = e.text();
        if (e.kind == SyncError::Certificate) {
            found.sha256 = e.sha256;
            found.subject = e.subject;
        }
    } catch (const std::exception& e) {
        found.error = QString::fromLocal8Bit(e.what());
    }
    return found;
}

QLabel* Buddy(const QString& caption, QWidget* control) {
    auto* label = new QLabel(caption, control->parentWidget());
    label->setBuddy(control);
    return label;
}
} // namespace

FrmContactsServer::FrmContactsServer(QWidget* parent) : Form(parent) {
    setObjectName(QStringLiteral("FrmContactsServer"));
    auto* layout = new QVBoxLayout(this);

    auto* login = new QFormLayout;
    TxtServer = Named(new QLineEdit(this), "TxtServer");
    TxtServer->setPlaceholderText(tr("contacts.example.com, or the address the provider gives"));
    TxtUser = Named(new QLineEdit(this), "TxtUser");
    TxtPassword = Named(new QLineEdit(this), "TxtPassword");
    TxtPassword->setEchoMode(QLineEdit::Password);
    login->addRow(Buddy(tr("Server &address:"), TxtServer), TxtServer);
    login->addRow(Buddy(tr("&User name:"), TxtUser), TxtUser);
    login->addRow(Buddy(tr("Pass&word:"), TxtPassword), TxtPassword);
    layout->addLayout(login);

    auto* findRow = new QHBoxLayout;
    CmdFind = Named(new QPushButton(tr("&Find address books"), this), "CmdFind");
    LblFind = Named(new QLabel(this), "LblFind");
    LblFind->setWordWrap(true);
    findRow->addWidget(CmdFind);
    findRow->addWidget(LblFind, 1);
    layout->addLayout(findRow);
    LstvewBooks = Named(new ListView(this), "LstvewBooks");
    LstvewBooks->AddColumn(tr("Address book"), 2400);
    LstvewBooks->AddColumn(tr("Where on the server"), 3600);
    LstvewBooks->header()->setStretchLastSection(true);
    layout->addWidget(Buddy(tr("Address &book kept in step with this one:"), LstvewBooks));
    layout->addWidget(LstvewBooks, 1);

    auto* groups = Named(new QGroupBox(tr("Parties that take part"), this), "FrameGrup");
    auto* groupLayout = new QVBoxLayout(groups);
    ChkAllGrups =
        Named(new QCheckBox(tr("Every party, whatever its &groups"), groups), "ChkAllGrups");
    LstvewGrup = Named(new ListView(groups), "LstvewGrup");
    LstvewGrup->AddColumn(tr("Group Name"), 2800);
    LstvewGrup->SetCheckboxes(true);
    LstvewGrup->header()->setStretchLastSection(true);
    CmbxNewGrup = Named(new QComboBox(groups), "CmbxNewGrup");
    groupLayout->addWidget(ChkAllGrups);
    groupLayout->addWidget(LstvewGrup, 1);
    groupLayout->addWidget(
        Buddy(tr("A card from the server in none of these groups &joins:"), CmbxNewGrup));
    groupLayout->addWidget(CmbxNewGrup);
    layout->addWidget(groups, 1);

    auto* when = new QHBoxLayout;
    ChkAtStart = Named(new QCheckBox(tr("Synchronize at s&tart-up"), this), "ChkAtStart");
    SpnEvery = Named(new QSpinBox(this), "SpnEvery");
    SpnEvery->setRange(0, 24 * 60);
    SpnEvery->setSpecialValueText(tr("never"));
    when->addWidget(ChkAtStart);
    when->addSpacing(Px(300));
    when->addWidget(Buddy(tr("and &every"), SpnEvery));
    when->addWidget(SpnEvery);
    when->addWidget(new QLabel(tr("minutes"), this));
    when->addStretch();
    layout->addLayout(when);

    auto* buttons = new QHBoxLayout;
    CmdSave = Named(new QPushButton(tr("Sa&ve"), this), "CmdSave");
    CmdClos = Named(new QPushButton(tr("&Close"), this), "CmdClos");
    buttons->addStretch();
    for (QPushButton* b : {CmdSave, CmdClos}) {
        b->setMinimumSize(Px(1095), Px(375));
        buttons->addWidget(b);
    }
    layout->addLayout(buttons);

    On::Click(CmdFind, [this] { CmdFind_Click(); });
    On::Click(ChkAllGrups, [this] { ChkAllGrups_Click(); });
    On::Click(CmdSave, [this] { CmdSave_Click(); });
    On::Click(CmdClos, [this] { Unload(); });
}

void FrmContactsServer::Form_Load() {
    SetTop(0);
    SetWidth(7800);
    SetHeight(8400);
    SetCaption(AppTitle + QStringLiteral(" ") + QStringLiteral("(CONTACTS SERVER)"));
    FillGroups();
    loaded_ = SyncStore::LoadSettings(*Conn);
    ShowSettings(loaded_);
    TxtServer->setFocus();
}

void FrmContactsServer::FillGroups() {
    LstvewGrup->Clear();
    CmbxNewGrup->clear();
    CmbxNewGrup->addItem(tr("(no group)"));
    groupIds_.clear();
    Recordset rs;
    rs.Open(QStringLiteral("Select grpname,grpid from adrsgrupmstr  order by grpname"), Conn);
    while (!rs.Eof()) {
        const QString name = Trim(rs.Fields(0).Str());
        groupIds_.append(rs.Fields(1).Value().toInt());
        LstvewGrup->Add(name);
        CmbxNewGrup->addItem(name);
        rs.MoveNext();
    }
    LstvewGrup->Flush();
}

void FrmContactsServer::ShowSettings(const SyncSettings& s) {
    TxtServer->setText(s.server);
    TxtUser->setText(s.user);
    TxtPassword->clear();
    if (!s.server.isEmpty()) TxtPassword->setPlaceholderText(tr("(unchanged: type to change it)"));
    pinned_ = s.pinnedSha256;
    ShowBooks(s.bookUrl.isEmpty() ? QList<AddressBookInfo>()
                                  : QList<AddressBookInfo>{{s.bookUrl, QString()}},
              s.bookUrl);
    ChkAllGrups->setChecked(s.allGroups);
    for (int i = 1; i <= LstvewGrup->Count(); ++i)
        LstvewGrup->Item(i).SetChecked(s.groupIds.contains(groupIds_.value(i - 1)));
    ChkAllGrups_Click();
    CmbxNewGrup->setCurrentIndex(int(groupIds_.indexOf(s.newPartyGroup)) + 1);
    ChkAtStart->setChecked(s.atStart);
    SpnEvery->setValue(s.everyMinutes);
}

// `s` with what the window shows; the rest (what the last round kept) as it is.
SyncSettings FrmContactsServer::Entered(SyncSettings s) const {
    s.server = TxtServer->text().trimmed();
    s.user = TxtUser->text().trimmed();
    s.pinnedSha256 = pinned_;
    s.bookUrl.clear();
    if (auto row = LstvewBooks->SelectedItem()) s.bookUrl = row->SubItem(1);
    s.allGroups = ChkAllGrups->isChecked();
    s.groupIds.clear();
    for (int i = 1; i <= LstvewGrup->Count(); ++i)
        if (LstvewGrup->Item(i).Checked()) s.groupIds.append(groupIds_.value(i - 1));
    const int newGroup = CmbxNewGrup->currentIndex();
    s.newPartyGroup = newGroup > 0 ? groupIds_.value(newGroup - 1) : 0;
    s.atStart = ChkAtStart->isChecked();
    s.everyMinutes = SpnEvery->value();
    return s;
}

void FrmContactsServer::ChkAllGrups_Click() {
    LstvewGrup->setEnabled(!ChkAllGrups->isChecked());
}

void FrmContactsServer::ShowBooks(const QList<AddressBookInfo>& books, const QString& chosenUrl) {
    LstvewBooks->Clear();
    int chosen = books.isEmpty() ? 0 : 1;
    for (const AddressBookInfo& b : books) {
        ListItem row = LstvewBooks->Add(b.name.isEmpty() ? b.url : b.name);
        row.SetSubItem(1, b.url);
        if (b.url == chosenUrl) chosen = row.Index();
    }
    LstvewBooks->Flush();
    if (chosen > 0) LstvewBooks->Item(chosen).Select();
}

// The password typed, else the one kept for the server and user, else
// asked; none when the user cancels.
std::optional<QString> FrmContactsServer::PasswordToUse() {
    if (!TxtPassword->text().isEmpty()) return TxtPassword->text();
    const QString key = SyncPassword::Key(TxtUser->text().trimmed(), TxtServer->text().trimmed());
    return SyncPassword::ForUse(this, key);
}

// The search runs in a thread of its own: the window keeps painting and
// taking keys while the server is slow to answer.
void FrmContactsServer::CmdFind_Click() {
    if (finding_) return;
    const QString server = TxtServer->text().trimmed(), user = TxtUser->text().trimmed();
    if (server.isEmpty() || user.isEmpty()) {
        MsgBox(tr("Type the server's address and your user name first."), vbInformation, Caption());
        (server.isEmpty() ? TxtServer : TxtUser)->setFocus();
        return;
    }
    const std::optional<QString> password = PasswordToUse();
    if (!password) return;
    finding_ = true;
    CmdFind->setEnabled(false);
    LblFind->setText(tr("Looking for your address books on %1...").arg(server));
    auto found = std::make_shared<Found>();
    QThread* worker =
        QThread::create([found, server, user, password = *password, pinned = pinned_] {
            *found = FindBooks(server, user, password, pinned);
        });
    connect(worker, &QThread::finished, worker, &QObject::deleteLater);
    connect(worker, &QThread::finished, this, [this, found] {
        Guarded(this,
                [&] { FindEnded(found->books, found->error, found->sha256, found->subject); });
    });
    worker->start();
}

void FrmContactsServer::FindEnded(const QList<AddressBookInfo>& books, const QString& error,
                                  const QString& sha256, const QString& subject) {
    finding_ = false;
    CmdFind->setEnabled(true);
    if (!sha256.isEmpty()) {
        LblFind->clear();
        if (!ConfirmCertificate(sha256, subject, Caption())) {
            LblFind->setText(tr("The server's certificate was not trusted."));
            return;
        }
        pinned_ = sha256;
        CmdFind_Click(); // again, now trusting it
        return;
    }
    if (!error.isEmpty()) {
        LblFind->setText(error);
        MsgBox(tr("The address books could not be found.\n\n") + error, vbExclamation, Caption());
        return;
    }
    if (books.isEmpty()) {
        LblFind->setText(tr("The server holds no address book for this user."));
        return;
    }
    auto chosen = LstvewBooks->SelectedItem();
    ShowBooks(books, chosen ? chosen->SubItem(1) : QString());
    LblFind->setText(books.size() == 1
                         ? tr("One address book found.")
                         : tr("%1 address books found: choose one.").arg(books.size()));
    // The list takes the keyboard only from this window, never from another.
    if (isAncestorOf(QApplication::focusWidget())) LstvewBooks->setFocus();
}

void FrmContactsServer::CmdSave_Click() {
    SyncSettings s = Entered(loaded_);
    QWidget* missing = s.server.isEmpty() ? TxtServer
                       : s.user.isEmpty() ? static_cast<QWidget*>(TxtUser)
                                          : nullptr;
    if (missing) {
        MsgBox(tr("Type the server's address and your user name."), vbInformation, Caption());
        missing->setFocus();
        return;
    }
    if (s.bookUrl.isEmpty()) {
        MsgBox(tr("Find your address books on the server and choose the one to keep in step "
                  "with this book."),
               vbInformation, Caption());
        CmdFind->setFocus();
        return;
    }
    if (!s.allGroups && s.groupIds.isEmpty()) {
        MsgBox(tr("Tick the groups whose parties take part, or let every party take part."),
               vbInformation, Caption());
        LstvewGrup->setFocus();
        return;
    }
    // Another address book on the server: what was kept of the last one's
    // cards means nothing there. The next round pairs parties and cards by
    // their UIDs afresh.
    const bool otherBook = !loaded_.bookUrl.isEmpty() && loaded_.bookUrl != s.bookUrl;
    SyncSettings stored;
    try {
        SyncStore::EnsureTables(*Conn);
        InTransaction(*Conn, [&] {
            // A round may have run since the window opened: its state stays.
            stored = Entered(SyncStore::LoadSettings(*Conn));
            if (otherBook) {
                stored.syncToken.clear();
                stored.ctag.clear();
                stored.lastSync.clear();
                SyncStore::RemoveAllCards(*Conn);
            }
            SyncStore::SaveSettings(*Conn, stored);
        });
    } catch (const DbError& e) {
        MsgBox(tr("The settings could not be saved.\n\n") + e.message(), vbCritical, Caption());
        return;
    }
    const QString key = SyncPassword::Key(s.user, s.server);
    const QString oldKey = SyncPassword::Key(loaded_.user, loaded_.server);
    if (!loaded_.server.isEmpty() && oldKey != key) SyncPassword::Forget(oldKey);
    QString said = tr("The settings have been saved.");
    if (!TxtPassword->text().isEmpty() && !SyncPassword::Store(key, TxtPassword->text()))
        said += u' ' + tr("This computer has no keyring to keep the password in: it is kept "
                          "until the program ends and asked for again after that.");
    TxtPassword->clear();
    TxtPassword->setPlaceholderText(tr("(unchanged: type to change it)"));
    loaded_ = stored;
    MsgBox(said, vbInformation, Caption());
    emit Saved(stored);
}
