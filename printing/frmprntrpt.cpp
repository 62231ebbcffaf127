#include "printing/frmprntrpt.h"

#include "data/connmodule.h"
#include "data/fieldlengths.h"
#include "data/sqltext.h"
#include "platform/errors.h"
#include "platform/events.h"
#include "platform/listview.h"
#include "platform/msgbox.h"
#include "platform/named.h"
#include "platform/twips.h"
#include "platform/vb.h"

#include <QCheckBox>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QRegularExpressionValidator>

namespace {

QLabel* CaptionLabel(QWidget* parent, const char* name, const QString& text) {
    return Named(new QLabel(text, parent), name);
}

// A read-only display field: a sunken white box that is never typed into.
QLabel* Display(QWidget* parent, const char* name) {
    auto* label = Named(new QLabel(parent), name);
    label->setFrameStyle(QFrame::StyledPanel | QFrame::Sunken);
    label->setAutoFillBackground(true);
    QPalette pal = label->palette();
    pal.setColor(QPalette::Window, pal.color(QPalette::Base));
    label->setPalette(pal);
    return label;
}

} // namespace

FrmPrntrpt::FrmPrntrpt(QWidget* parent) : Form(parent) {
    setObjectName(QStringLiteral("FrmPrntrpt"));
    CreateControls();
    WireEvents();
}

void FrmPrntrpt::CreateControls() {
    Label12 = CaptionLabel(this, "Label12", tr("Search :-"));
    PlaceTwips(Label12, 120, 165, 900, 285);
    Txtsrch = Named(new QLineEdit(this), "Txtsrch");
    Txtsrch->setMaxLength(FieldLength::SearchValue);
    PlaceTwips(Txtsrch, 1020, 120, 3060, 330);

    LstvewPrnt = Named(new ListView(this), "LstvewPrnt");
    LstvewPrnt->AddColumn(tr("Party's Name"), 2760);
    LstvewPrnt->AddColumn(tr("IdNo"), 840);
    PlaceTwips(LstvewPrnt, 120, 570, 3960, 7020);

    CreatePartyFrame();
    CreatePrintFrame();

    setTabOrder(Txtsrch, LstvewPrnt);
    setTabOrder(LstvewPrnt, ChkAttn);
    setTabOrder(ChkAttn, TxtCntact1);
    setTabOrder(TxtCntact1, OptnStiker);
    setTabOrder(OptnStiker, OpntEnvelop);
    setTabOrder(OpntEnvelop, txtNoco);
    setTabOrder(txtNoco, CmdPrnt);
    setTabOrder(CmdPrnt, CmdSheet);
}

void FrmPrntrpt::CreatePartyFrame() {
    FrmPrnt1 = Named(new QGroupBox(this), "FrmPrnt1");
    PlaceTwips(FrmPrnt1, 4200, 60, 6000, 4380);

    constexpr int kCaptionLeft = 120, kCaptionWidth = 1560, kFieldLeft = 1740, kFieldWidth = 4140;
    constexpr int kFirstRow = 240, kRowPitch = 405, kRowHeight = 315;
    auto rowTop = [](int row) { return kFirstRow + row * kRowPitch; };
    auto captionAt = [&](const char* name, const QString& text, int row) {
        QLabel* label = CaptionLabel(FrmPrnt1, name, text);
        PlaceTwips(label, kCaptionLeft, rowTop(row) + 15, kCaptionWidth, kRowHeight);
        return label;
    };
    auto fieldAt = [&](const char* name, int row) {
        QLabel* label = Display(FrmPrnt1, name);
        PlaceTwips(label, kFieldLeft, rowTop(row), kFieldWidth, kRowHeight);
        return label;
    };

    Label1 = captionAt("Label1", tr("Party's Name  :-"), 0);
    TxtName = fieldAt("TxtName", 0);
    Label2 = captionAt("Label2", tr("Contact Person :-"), 1);
    TxtCntact = fieldAt("TxtCntact", 1);
    Label3 = captionAt("Label3", tr("Address :-"), 2);
    TxtAdrs = fieldAt("TxtAdrs", 2);
    Label4 = captionAt("Label4", tr("Area:-"), 3);
    TxtArea = fieldAt("TxtArea", 3);
    Label5 = captionAt("Label5", tr("Land Mark:-"), 4);
    TxtLand = fieldAt("TxtLand", 4);

    // The two numbers sit under one caption, each behind its own small one.
    constexpr int kKindWidth = 1020, kNumberLeft = kFieldLeft + kKindWidth + 60;
    constexpr int kNumberWidth = kFieldWidth - kKindWidth - 60;
    Label6 = captionAt("Label6", tr("Contact No (s)"), 5);
    Label7 = CaptionLabel(FrmPrnt1, "Label7", tr("Land Line"));
    PlaceTwips(Label7, kFieldLeft, rowTop(5) + 15, kKindWidth, kRowHeight);
    MskedtPhno = Display(FrmPrnt1, "MskedtPhno");
    PlaceTwips(MskedtPhno, kNumberLeft, rowTop(5), kNumberWidth, kRowHeight);
    Label8 = CaptionLabel(FrmPrnt1, "Label8", tr("Mobile No."));
    PlaceTwips(Label8, kFieldLeft, rowTop(6) + 15, kKindWidth, kRowHeight);
    MskedtMobno = Display(FrmPrnt1, "MskedtMobno");
    PlaceTwips(MskedtMobno, kNumberLeft, rowTop(6), kNumberWidth, kRowHeight);

    Label9 = captionAt("Label9", tr("City:-"), 7);
    LblCty = fieldAt("LblCty", 7);
    Label10 = captionAt("Label10", tr("State:-"), 8);
    LblState = fieldAt("LblState", 8);
    Label11 = captionAt("Label11", tr("Country:-"), 9);
    LblContry = fieldAt("LblContry", 9);
}

void FrmPrntrpt::CreatePrintFrame() {
    FrmPrnt = Named(new QGroupBox(this), "FrmPrnt");
    PlaceTwips(FrmPrnt, 4200, 4500, 6000, 3090);

    ChkAttn = Named(new QCheckBox(tr("Mark Attention !"), FrmPrnt), "ChkAttn");
    PlaceTwips(ChkAttn, 240, 270, 1920, 330);
    ChkAttnUsualColor = ChkAttn->palette().color(ChkAttn->backgroundRole());

    lblcntact = CaptionLabel(FrmPrnt, "lblcntact", tr("Contact Person"));
    PlaceTwips(lblcntact, 240, 735, 1500, 285);
    TxtCntact1 = Named(new QLineEdit(FrmPrnt), "TxtCntact1");
    // It is saved to the party's contact person, which the address master
    // holds to 32 characters: a longer one would be cut there on the next save.
    TxtCntact1->setMaxLength(32);
    PlaceTwips(TxtCntact1, 1800, 690, 3960, 330);

    OptnStiker = Named(new QRadioButton(tr("Sticker"), FrmPrnt), "OptnStiker");
    PlaceTwips(OptnStiker, 240, 1230, 1500, 330);
    OpntEnvelop = Named(new QRadioButton(tr("Envelope"), FrmPrnt), "OpntEnvelop");
    PlaceTwips(OpntEnvelop, 1800, 1230, 1500, 330);

    Label13 = CaptionLabel(FrmPrnt, "Label13", tr("No. Of Copies"));
    PlaceTwips(Label13, 240, 1755, 1500, 285);
    txtNoco = Named(new QLineEdit(FrmPrnt), "txtNoco");
    PlaceTwips(txtNoco, 1800, 1710, 900, 330);
    // Keys are filtered as they are typed; this keeps pasted text to digits too.
    txtNoco->setValidator(
        new QRegularExpressionValidator(QRegularExpression(QStringLiteral("[0-9]*")), txtNoco));

    CmdPrnt = Named(new QPushButton(tr("<<Print>>"), FrmPrnt), "CmdPrnt");
    PlaceTwips(CmdPrnt, 3960, 2340, 1800, 495);
    CmdSheet = Named(new QPushButton(tr("Print on s&heet..."), FrmPrnt), "CmdSheet");
    PlaceTwips(CmdSheet, 1800, 2340, 2040, 495);

    FrmPrnt->setEnabled(false);
    CmdPrnt->setEnabled(false);
    lblcntact->hide();
    TxtCntact1->hide();
}

void FrmPrntrpt::WireEvents() {
    On::Change(Txtsrch, [this] { Txtsrch_Change(); });
    On::GotFocus(Txtsrch, [this] { Txtsrch_GotFocus(); });
    On::KeyPress(Txtsrch, [this](int& KeyAscii) { Txtsrch_KeyPress(KeyAscii); });
    On::ItemClick(LstvewPrnt, [this] { LstvewPrnt_Click(); });
    On::DblClick(LstvewPrnt, [this] { LstvewPrnt_DblClick(); });
    On::KeyPress(LstvewPrnt, [this](int& KeyAscii) { LstvewPrnt_KeyPress(KeyAscii); });
    On::Click(ChkAttn, [this] { ChkAttn_Click(); });
    On::GotFocus(ChkAttn, [this] { ChkAttn_GotFocus(); });
    On::KeyPress(ChkAttn, [this](int& KeyAscii) { ChkAttn_KeyPress(KeyAscii); });
    On::LostFocus(ChkAttn, [this] { ChkAttn_LostFocus(); });
    On::Change(TxtCntact1, [this] { TxtCntact1_Change(); });
    On::GotFocus(TxtCntact1, [this] { TxtCntact1_GotFocus(); });
    On::KeyPress(TxtCntact1, [this](int& KeyAscii) { TxtCntact1_KeyPress(KeyAscii); });
    On::Click(OptnStiker, [this] { OptnStiker_Click(); });
    On::KeyPress(OptnStiker, [this](int& KeyAscii) { OptnStiker_KeyPress(KeyAscii); });
    On::Click(OpntEnvelop, [this] { OpntEnvelop_Click(); });
    On::KeyPress(OpntEnvelop, [this](int& KeyAscii) { OpntEnvelop_KeyPress(KeyAscii); });
    On::GotFocus(txtNoco, [this] { txtNoco_GotFocus(); });
    On::KeyPress(txtNoco, [this](int& KeyAscii) { txtNoco_KeyPress(KeyAscii); });
    On::LostFocus(txtNoco, [this] { txtNoco_LostFocus(); });
    On::Click(CmdPrnt, [this] { CmdPrnt_Click(); });
    On::Click(CmdSheet, [this] { CmdSheet_Click(); });
}

void FrmPrntrpt::Form_Load() {
    SetHeight(8280);
    SetWidth(10440);
    SetTop(0);
    SetCaption(AppTitle + QStringLiteral(" ") + tr("(PRINT MASTER)"));
    FillAllParties();
}

// ---- The party list ------------------------------------------------------

// A list that gave up on another program's lock is read again by the same
// routine once the book is free.
void FrmPrntrpt::FillAllParties() {
    LstvewPrnt->Clear(); // a fill still running is stale now
    const BusyRerun again{LstvewPrnt, [this] { FillAllParties(); }};
    ResumeNext([&] {
        if (Rs.State() == adStateOpen) Rs.Close();
    });
    ResumeNext(
        [&] {
            Rs.Open(QStringLiteral("Select adrsname,adrsid from adrsmstr  order by adrsname"), Conn,
                    adOpenStatic, adLockBatchOptimistic, adAsyncFetch);
        },
        again);
    FillListFromRs(again);
}

void FrmPrntrpt::FillPartyList() {
    const QString S = Trim(Txtsrch->text());
    LstvewPrnt->Clear(); // a fill still running is stale now
    const BusyRerun again{LstvewPrnt, [this] { FillPartyList(); }};
    ResumeNext([&] {
        if (Rs.State() == adStateOpen) Rs.Close();
    });
    ResumeNext(
        [&] {
            Rs.Open(
                QStringLiteral("Select adrsname,adrsid from Adrsmstr  where  adrsname like '%") +
                    Quote(S) + QStringLiteral("%' order by adrsname"),
                Conn, adOpenStatic, adLockBatchOptimistic, adAsyncFetch);
        },
        again);
    FillListFromRs(again);
}

// The rows read with the statement show at once, the rest follow a slice
// at a time; loading a party from the list first lets the fill end. A
// failing slice ends the list there.
void FrmPrntrpt::FillListFromRs(const BusyRerun& again) {
    ResumeNext([&] { LstvewPrnt->Clear(); });
    if (Rs.State() != adStateOpen) return;
    FillFromRows(
        LstvewPrnt, Rs,
        [this] {
            ListItem row = LstvewPrnt->Add(Rs.Fields("adrsname").Str());
            row.SetSubItem(1, Trim(Rs.Fields("adrsid").Str()));
        },
        [this, again](const std::exception& e) { NoteIfBusy(LstvewPrnt, e, again); });
}

void FrmPrntrpt::Txtsrch_Change() {
    FillPartyList();
}

void FrmPrntrpt::Txtsrch_GotFocus() {
    Txtsrch->setText(QStringLiteral("A"));
    Txtsrch->setText(QString());
}

void FrmPrntrpt::Txtsrch_KeyPress(int& KeyAscii) {
    if (KeyAscii == vbKeyReturn) LstvewPrnt->setFocus();
    KeyAscii = UpperKey(KeyAscii);
}

// ---- Loading a party ---------------------------------------------------------

void FrmPrntrpt::LstvewPrnt_DblClick() {
    ResumeNext([&] { MskedtPhno->setText(QString()); });
    ResumeNext([&] { MskedtMobno->setText(QString()); });
    ResumeNext([&] {
        const auto selected = LstvewPrnt->SelectedItem();
        AdrsId = selected ? CInt(selected->SubItem(1)) : Integer(0);
    });
    ResumeNext([&] {
        if (Rs.State() == adStateOpen) Rs.Close();
    });
    ResumeNext([&] {
        Rs.Open(QStringLiteral("Select * from Adrsmstr where Adrsid like '") +
                    QString::number(AdrsId) + QStringLiteral("'"),
                Conn, adOpenStatic, adLockBatchOptimistic);
    });

    bool found = true;
    ResumeNext([&] {
        if (Rs.RecordCount() < 1) {
            found = false;
            MsgBox(tr("No record found"), vbInformation, Caption());
        }
    });
    if (found) {
        Integer ctyid = 0;
        // A column without a value shows as an empty label, never as the
        // previous party's text.
        ResumeNext([&] { TxtName->setText(Trim(Rs.Fields("adrsname").Str())); });
        ResumeNext([&] { TxtCntact->setText(Trim(Rs.Fields("adrscontact").Str())); });
        ResumeNext([&] { TxtAdrs->setText(Trim(Rs.Fields("adrs1").Str())); });
        ResumeNext([&] { TxtArea->setText(Trim(Rs.Fields("adrs2").Str())); });
        ResumeNext([&] { TxtLand->setText(Trim(Rs.Fields("adrs3").Str())); });
        ResumeNext([&] { MskedtPhno->setText(Rs.Fields("adrsphno").Str()); });
        ResumeNext([&] { MskedtMobno->setText(Rs.Fields("adrsmobno").Str()); });
        ResumeNext([&] {
            if (!Rs.Fields("adrsctyid").IsNull()) ctyid = CInt(Rs.Fields("adrsctyid").Value());
        });

        ResumeNext([&] { Rs.Close(); });
        ResumeNext([&] {
            Rs.Open(QStringLiteral("Select * from cscmstr where ctyid like '") +
                        QString::number(ctyid) + QStringLiteral("'"),
                    Conn, adOpenStatic, adLockBatchOptimistic);
        });
        bool cityFound = false;
        ResumeNext([&] { cityFound = Rs.RecordCount() >= 1; });
        if (cityFound) {
            ResumeNext([&] { LblCty->setText(Rs.Fields("ctyname").Str()); });
            ResumeNext([&] { LblState->setText(Rs.Fields("Statename").Str()); });
            ResumeNext([&] { LblContry->setText(Rs.Fields("Contryname").Str()); });
            ResumeNext([&] { FrmPrnt->setEnabled(true); });
            ResumeNext([&] { OrigContact = Trim(TxtCntact->text()); });
        } else {
            // The party's city is gone: show none rather than the last one.
            LblCty->clear();
            LblState->clear();
            LblContry->clear();
        }
    }
    ResumeNext([&] { FrmPrnt->setEnabled(true); });
    ResumeNext([&] { ChkAttn->setFocus(); });
}

// The contact person box is emptied before the party loads: emptied after,
// its change would blank the contact person just shown, and marking
// attention would then offer to store that blank over the party's contact.
void FrmPrntrpt::LstvewPrnt_Click() {
    ResumeNext([&] { TxtCntact1->setText(QString()); });
    ResumeNext([&] { LstvewPrnt_DblClick(); });
    ResumeNext([&] { ChkAttn->setChecked(false); });
}

void FrmPrntrpt::LstvewPrnt_KeyPress(int& KeyAscii) {
    if (KeyAscii == vbKeyReturn) LstvewPrnt_Click();
}

// ---- Print choices -------------------------------------------------------

void FrmPrntrpt::ChkAttn_Click() {
    if (ChkAttn->isChecked()) {
        ResumeNext([&] { MarkAttn = true; });
        ResumeNext([&] { lblcntact->show(); });
        ResumeNext([&] { TxtCntact1->show(); });
        ResumeNext([&] { TxtCntact1->setText(Trim(TxtCntact->text())); });
        ResumeNext([&] { TxtCntact1->setFocus(); });
    } else {
        ResumeNext([&] { MarkAttn = false; });
        ResumeNext([&] { lblcntact->hide(); });
        ResumeNext([&] { TxtCntact1->hide(); });
    }
}

// The usual colour is the frame's own; only the red is painted.
void FrmPrntrpt::SetChkAttnBackColor(const QColor& color) {
    QPalette pal = ChkAttn->palette();
    pal.setColor(ChkAttn->backgroundRole(), color);
    ChkAttn->setPalette(pal);
    ChkAttn->setAutoFillBackground(color != ChkAttnUsualColor);
}

void FrmPrntrpt::ChkAttn_GotFocus() {
    SetChkAttnBackColor(QColor(255, 0, 0));
}

void FrmPrntrpt::ChkAttn_LostFocus() {
    SetChkAttnBackColor(ChkAttnUsualColor);
}

void FrmPrntrpt::ChkAttn_KeyPress(int& KeyAscii) {
    if (KeyAscii != vbKeyReturn) return;
    if (!TxtCntact1->isHidden())
        TxtCntact1->setFocus();
    else
        OptnStiker->setFocus();
}

void FrmPrntrpt::TxtCntact1_Change() {
    TxtCntact->setText(Trim(TxtCntact1->text()));
}

void FrmPrntrpt::TxtCntact1_GotFocus() {
    TxtCntact1->selectAll();
}

void FrmPrntrpt::TxtCntact1_KeyPress(int& KeyAscii) {
    ResumeNext([&] { KeyAscii = UpperKey(KeyAscii); });
    ResumeNext([&] {
        if (KeyAscii == vbKeyReturn && !Trim(TxtCntact1->text()).isEmpty()) OptnStiker->setFocus();
    });
}

void FrmPrntrpt::OptnStiker_Click() {
    if (OptnStiker->isChecked()) {
        ResumeNext([&] { CmdPrnt->setEnabled(true); });
        ResumeNext([&] { txtNoco->setEnabled(true); });
        ResumeNext([&] { StickerMode = true; });
    } else {
        ResumeNext([&] { StickerMode = false; });
        ResumeNext([&] { CmdPrnt->setEnabled(false); });
        ResumeNext([&] { txtNoco->setEnabled(false); });
    }
}

void FrmPrntrpt::OptnStiker_KeyPress(int& KeyAscii) {
    if (KeyAscii == vbKeyReturn && OptnStiker->isChecked()) txtNoco->setFocus();
}

void FrmPrntrpt::OpntEnvelop_Click() {
    if (OpntEnvelop->isChecked()) {
        ResumeNext([&] { CmdPrnt->setEnabled(true); });
        ResumeNext([&] { txtNoco->setEnabled(false); });
        ResumeNext([&] { StickerMode = false; });
    } else {
        ResumeNext([&] { StickerMode = true; });
        ResumeNext([&] { CmdPrnt->setEnabled(false); });
        ResumeNext([&] { txtNoco->setEnabled(true); });
    }
}

void FrmPrntrpt::OpntEnvelop_KeyPress(int& KeyAscii) {
    if (KeyAscii == vbKeyReturn && OpntEnvelop->isChecked()) CmdPrnt->setFocus();
}

void FrmPrntrpt::txtNoco_GotFocus() {
    txtNoco->selectAll();
}

void FrmPrntrpt::txtNoco_KeyPress(int& KeyAscii) {
    if (KeyAscii == vbKeyReturn) txtNoco_LostFocus();
    if (!QStringLiteral("1234567890").contains(QChar(KeyAscii))) KeyAscii = 0;
}

void FrmPrntrpt::txtNoco_LostFocus() {
    ResumeNext([&] {
        if (Trim(txtNoco->text()).isEmpty()) {
            Copies = 1;
            txtNoco->setText(QStringLiteral("1"));
        } else {
            Copies = CInt(Trim(txtNoco->text()));
        }
    });
    ResumeNext([&] {
        if (!CmdPrnt->isEnabled()) ChkAttn->setFocus();
    });
}

void FrmPrntrpt::CmdPrnt_Click() {
    ShowStatus(QString()); // what the last print did no longer holds
    ++PrintRun;
    if (Trim(TxtName->text()).isEmpty()) {
        MsgBox(tr("Select a record"), vbInformation, tr("Error Handler"));
        LstvewPrnt->setFocus();
        return;
    }
    if (StickerMode)
        PrintStickers();
    else
        PrintEnvelope();
}
