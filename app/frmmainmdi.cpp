#include "app/frmmainmdi.h"

#include "address/frmadrsmstr1.h"
#include "app/bookstart.h"
#include "app/frmabtus.h"
#include "data/connmodule.h"
#include "data/syncstore.h"
#include "masters/frmcsc.h"
#include "masters/frmgrupmstr.h"
#include "platform/accesskeys.h"
#include "platform/apppath.h"
#include "platform/errors.h"
#include "platform/events.h"
#include "platform/form.h"
#include "platform/msgbox.h"
#include "platform/twips.h"
#include "printing/frmprntrpt.h"
#include "search/frmsrchengn.h"

#include <QApplication>
#include <QDir>
#include <QFile>
#include <QMdiArea>
#include <QMdiSubWindow>
#include <QMenuBar>
#include <QStatusBar>
#include <QTimer>

namespace {
FrmMainMdi* mainMdi = nullptr;
}

FrmMainMdi* MainMdi() {
    return mainMdi;
}

FrmMainMdi::FrmMainMdi(QWidget* parent) : QMainWindow(parent) {
    mainMdi = this;
    setObjectName(QStringLiteral("FrmMainMdi"));
    MdiArea = new QMdiArea(this);
    MdiArea->setObjectName(QStringLiteral("MdiArea"));
    MdiArea->setBackground(QBrush(QColor(128, 128, 128)));
    setCentralWidget(MdiArea);
    new ChildAccessKeys(MdiArea);
    statusBar()->setObjectName(QStringLiteral("StatusBar")); // what a print did

    auto item = [this](QWidget* menu, const char* name, const QString& caption) {
        auto* a = new QAction(caption, this);
        a->setObjectName(QString::fromLatin1(name));
        menu->addAction(a);
        return a;
    };
    QMenuBar* bar = menuBar();
    mstr = bar->addMenu(tr("&Master"));
    mstr->setObjectName(QStringLiteral("mstr"));
    adrs = item(mstr, "adrs", tr("&Address Master"));
    dash = item(mstr, "dash", tr("&Group Master"));
    cty = item(mstr, "cty", tr("&City Master"));
    srchengn = item(bar, "srchengn", tr("&Search Engine"));
    prnt1 = bar->addMenu(tr("Printing &Reports"));
    prnt1->setObjectName(QStringLiteral("prnt1"));
    prnt = item(prnt1, "prnt", tr("&Printing"));
    admin = bar->addMenu(tr("Administrator"));
    admin->setObjectName(QStringLiteral("admin"));
    Bak = item(admin, "Bak", tr("Backup"));
    Rtsr = item(admin, "Rtsr", tr("Restore"));
    imexp = admin->addMenu(tr("&Import / Export"));
    imexp->setObjectName(QStringLiteral("imexp"));
    Expt = item(imexp, "Expt", tr("E&xport Parties..."));
    Impt = item(imexp, "Impt", tr("Imp&ort Parties..."));
    CntsSrvr = item(admin, "CntsSrvr", tr("Contacts &server..."));
    Sync = item(admin, "Sync", tr("S&ynchronize now"));
    abts = item(bar, "abts", tr("About us"));

    On::Click(adrs, [this] { adrs_Click(); });
    On::Click(dash, [this] { dash_Click(); });
    On::Click(cty, [this] { cty_Click(); });
    On::Click(srchengn, [this] { srchengn_Click(); });
    On::Click(prnt, [this] { prnt_Click(); });
    On::Click(abts, [this] { abts_Click(); });
    On::Click(Bak, [this] { Bak_Click(); });
    On::Click(Rtsr, [this] { Rtsr_Click(); });
    On::Click(Expt, [this] { Expt_Click(); });
    On::Click(Impt, [this] { Impt_Click(); });
    On::Click(CntsSrvr, [this] { CntsSrvr_Click(); });
    On::Click(Sync, [this] { Sync_Click(); });
    AddQuitKeys();
    SetUpSync();
}

FrmMainMdi::~FrmMainMdi() {
    if (mainMdi == this) mainMdi = nullptr;
    StopSync(); // the round's own connection ends before the book's lock goes
    if (lock_) lock_->Release();
}

bool FrmMainMdi::MDIForm_Load() {
    PlaceOnScreen();

    if (!OpenBook(lock_, [this] { return RestoreBook(); })) return false;
    if (ServerMode() && Conn && Conn->engine().Unencrypted())
        statusBar()->showMessage(
            tr("Unencrypted connection to the %1: the server offers no TLS, so what "
               "this desk reads and saves crosses the network readable (see "
               "\"Several desks\" in the README).")
                .arg(Conn->Where()));

    AppTitle = QStringLiteral("ORVANE ADDRESS BOOK");
    setWindowTitle(AppTitle + QStringLiteral(" ") + tr("(MAIN MENU)"));
    AppTitle = QStringLiteral("NAME OF THE USER COMPANY");

    ResumeNext([&] { DeleteTempFiles(); });
    ResumeNext([&] {
        const SyncSettings sync = SyncStore::LoadSettings(*Conn);
        ScheduleSync(sync);
        if (sync.atStart && !sync.bookUrl.isEmpty())
            QTimer::singleShot(0, this, [this] { Guarded(this, [&] { StartSync(false); }); });
    });
    return true;
}

void FrmMainMdi::DeleteTempFiles() {
    QDir folder(AppPath());
    const QStringList leftovers =
        folder.entryList({QStringLiteral("*.TMP")}, QDir::Files | QDir::Hidden);
    for (const QString& name : leftovers)
        QFile::remove(folder.filePath(name));
}

int FrmMainMdi::Width() const {
    return Twips(width());
}
int FrmMainMdi::Height() const {
    return Twips(height());
}
int FrmMainMdi::ScaleWidth() const {
    return Twips(MdiArea->viewport()->width());
}
int FrmMainMdi::ScaleHeight() const {
    return Twips(MdiArea->viewport()->height());
}

Form* FrmMainMdi::find(const char* className) const {
    for (QMdiSubWindow* sub : MdiArea->subWindowList()) {
        auto* form = qobject_cast<Form*>(sub->widget());
        if (form && qstrcmp(form->metaObject()->className(), className) == 0) return form;
    }
    return nullptr;
}

void FrmMainMdi::activate(Form* form) {
    auto* sub = qobject_cast<QMdiSubWindow*>(form->parentWidget());
    if (sub->isMinimized()) sub->showNormal();
    MdiArea->setActiveSubWindow(sub);
    giveKeyboard(form);
}

void FrmMainMdi::place(Form* form) {
    QMdiSubWindow* sub = MdiArea->addSubWindow(form);
    sub->setAttribute(Qt::WA_DeleteOnClose);
    sub->setWindowIcon(QIcon());
    Guarded(form, [form] { form->Form_Load(); });
    placeInside(sub, form);
    sub->show();
    MdiArea->setActiveSubWindow(sub);
    giveKeyboard(form);
}

// The child that opens, or comes forward, takes the keyboard at once: the
// control its load routine focused, else its first control in tab order.
void FrmMainMdi::giveKeyboard(Form* form) {
    QWidget* focus = QApplication::focusWidget();
    if (focus && form->isAncestorOf(focus)) return;
    auto takes = [form](QWidget* w) {
        return w && form->isAncestorOf(w) && w->isVisible() && w->isEnabled() &&
               (w->focusPolicy() & Qt::TabFocus);
    };
    QWidget* target = form->focusWidget();
    for (QWidget* w = form->nextInFocusChain(); !takes(target) && w && w != form;
         w = w->nextInFocusChain())
        target = w;
    if (takes(target)) target->setFocus(Qt::OtherFocusReason);
}

void FrmMainMdi::CloseChildren() {
    for (QMdiSubWindow* sub : MdiArea->subWindowList()) {
        sub->close();
        delete sub;
    }
}

void FrmMainMdi::adrs_Click() {
    Load<FrmAdrsMstr1>();
}
void FrmMainMdi::dash_Click() {
    Load<FrmGrupMstr>();
}
void FrmMainMdi::cty_Click() {
    Load<FrmCsC>();
}
void FrmMainMdi::srchengn_Click() {
    Load<FrmSrchEngn>();
}
void FrmMainMdi::prnt_Click() {
    Load<FrmPrntrpt>();
}
void FrmMainMdi::abts_Click() {
    Load<FrmAbtus>();
}
