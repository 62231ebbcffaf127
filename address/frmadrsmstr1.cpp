#include "address/frmadrsmstr1.h"

#include "data/connmodule.h"
#include "data/fieldlengths.h"
#include "party/duplicateentry.h"
#include "platform/events.h"
#include "platform/limitedtextedit.h"
#include "platform/lineheight.h"
#include "platform/listview.h"
#include "platform/memory.h"
#include "platform/twips.h"

#include <QComboBox>
#include <QEvent>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QPushButton>
#include <iterator>

namespace {

// Positions inside the entry frame, in twips.
constexpr int kCaptionLeft = 120;
constexpr int kCaptionWidth = 1560;
constexpr int kFieldLeft = 1740;
constexpr int kFieldWidth = 3840;
constexpr int kRowHeight = 315;
constexpr int kNoteLength = FieldLength::Notes;

QLabel* AddCaption(QWidget* parent, const QString& name, const QString& text, int top) {
    auto* label = new QLabel(text, parent);
    label->setObjectName(name);
    PlaceTwips(label, kCaptionLeft, top, kCaptionWidth, kRowHeight);
    return label;
}

QLineEdit* AddTextBox(QWidget* parent, const QString& name, int maxLength, int top) {
    auto* box = new QLineEdit(parent);
    box->setObjectName(name);
    box->setMaxLength(maxLength);
    PlaceTwips(box, kFieldLeft, top, kFieldWidth, kRowHeight);
    return box;
}

// A label that shows a value, drawn sunken like a read-only field.
QLabel* AddValueLabel(QWidget* parent, const QString& name, int top) {
    auto* label = new QLabel(parent);
    label->setObjectName(name);
    label->setFrameStyle(QFrame::StyledPanel | QFrame::Sunken);
    label->setIndent(4);
    PlaceTwips(label, kFieldLeft, top, kFieldWidth, kRowHeight);
    return label;
}

// Shows and hides its controls with the list it watches.
class ShownWithList : public QObject {
  public:
    ShownWithList(QWidget* list, QList<QWidget*> controls)
        : QObject(list), controls_(std::move(controls)) {
        list->installEventFilter(this);
    }

  protected:
    bool eventFilter(QObject* watched, QEvent* e) override {
        if (e->type() == QEvent::ShowToParent || e->type() == QEvent::HideToParent)
            for (QWidget* control : controls_)
                control->setVisible(e->type() == QEvent::ShowToParent);
        return QObject::eventFilter(watched, e);
    }

  private:
    QList<QWidget*> controls_;
};

QPushButton* AddButton(QWidget* parent, const QString& name, const QString& caption, int left) {
    auto* button = new QPushButton(caption, parent);
    button->setObjectName(name);
    PlaceTwips(button, left, 8400, 1320, 375);
    return button;
}

} // namespace

FrmAdrsMstr1::FrmAdrsMstr1(QWidget* parent) : Form(parent) {
    setObjectName(QStringLiteral("FrmAdrsMstr1"));
    BuildControls();
    WireEvents();
}

// The parties the duplicate check kept for quick saves (megabytes in a big
// book) go with the window; the next one reads them again at its first save.
FrmAdrsMstr1::~FrmAdrsMstr1() {
    ForgetDuplicateIndex();
    ReleaseUnusedMemory();
}

void FrmAdrsMstr1::BuildControls() {
    FrameAdrs = new QGroupBox(this);
    FrameAdrs->setObjectName(QStringLiteral("FrameAdrs"));
    PlaceTwips(FrameAdrs, 60, 0, 5760, 8280);

    AddCaption(FrameAdrs, QStringLiteral("Label1"), tr("Party Name:-"), 240);
    Txtname = AddTextBox(FrameAdrs, QStringLiteral("Txtname"), FieldLength::PartyLine, 240);
    AddCaption(FrameAdrs, QStringLiteral("Label2"), tr("Contact Person:-"), 615);
    TxtCntact = AddTextBox(FrameAdrs, QStringLiteral("TxtCntact"), FieldLength::PartyLine, 615);
    AddCaption(FrameAdrs, QStringLiteral("Label3"), tr("Address :-"), 990);
    TxtAddrs = AddTextBox(FrameAdrs, QStringLiteral("TxtAddrs"), FieldLength::PartyLine, 990);
    AddCaption(FrameAdrs, QStringLiteral("Label4"), tr("Area:-"), 1365);
    Txtarea = AddTextBox(FrameAdrs, QStringLiteral("Txtarea"), FieldLength::PartyLine, 1365);
    AddCaption(FrameAdrs, QStringLiteral("Label5"), tr("Land Mark:-"), 1740);
    Txtland = AddTextBox(FrameAdrs, QStringLiteral("Txtland"), FieldLength::PartyLine, 1740);

    AddCaption(FrameAdrs, QStringLiteral("Label6"), tr("Under Group(s) :-"), 2115);
    LstvewGrup1 = new ListView(FrameAdrs);
    LstvewGrup1->setObjectName(QStringLiteral("LstvewGrup1"));
    LstvewGrup1->AddColumn(tr("Group Name"), 2700);
    LstvewGrup1->AddColumn(tr("Group Id"), 900);
    LstvewGrup1->SetCheckboxes(true);
    PlaceTwips(LstvewGrup1, kFieldLeft, 2115, kFieldWidth, 1335);

    AddCaption(FrameAdrs, QStringLiteral("Label7"), tr("City:-"), 3570);
    LblCty = AddValueLabel(FrameAdrs, QStringLiteral("LblCty"), 3570);
    LblCty->setToolTip(tr("Click Me, to change  city name."));
    LblCty->setCursor(Qt::PointingHandCursor);
    CmbxCty = new QComboBox(FrameAdrs);
    CmbxCty->setObjectName(QStringLiteral("CmbxCty"));
    CmbxCty->setEditable(true);
    CmbxCty->setInsertPolicy(QComboBox::NoInsert);
    CmbxCty->setCompleter(nullptr);
    PlaceTwips(CmbxCty, kFieldLeft, 3570, kFieldWidth, kRowHeight);
    CmbxCty->raise(); // the combo opens over the label
    AddCaption(FrameAdrs, QStringLiteral("Label8"), tr("State:-"), 3945);
    LblState = AddValueLabel(FrameAdrs, QStringLiteral("LblState"), 3945);
    AddCaption(FrameAdrs, QStringLiteral("Label9"), tr("Country:-"), 4320);
    LblContry = AddValueLabel(FrameAdrs, QStringLiteral("LblContry"), 4320);

    AddCaption(FrameAdrs, QStringLiteral("Label10"), tr("PIN Code :-"), 4695);
    TxtPin = AddTextBox(FrameAdrs, QStringLiteral("TxtPin"), FieldLength::PartyLine, 4695);
    AddCaption(FrameAdrs, QStringLiteral("Label11"), tr("VAT/CST No.:-"), 5070);
    TxtVat = AddTextBox(FrameAdrs, QStringLiteral("TxtVat"), FieldLength::PartyLine, 5070);

    AddCaption(FrameAdrs, QStringLiteral("Label12"), tr("Contact No (s)"), 5700);
    auto* landLine = new QLabel(tr("Land Line"), FrameAdrs);
    landLine->setObjectName(QStringLiteral("Label13"));
    PlaceTwips(landLine, kFieldLeft, 5445, 1860, 255);
    auto* mobile = new QLabel(tr("Mobile No."), FrameAdrs);
    mobile->setObjectName(QStringLiteral("Label14"));
    PlaceTwips(mobile, kFieldLeft + 1980, 5445, 1860, 255);
    MskedtPhno = AddTextBox(FrameAdrs, QStringLiteral("MskedtPhno"), FieldLength::Phone, 5700);
    PlaceTwips(MskedtPhno, kFieldLeft, 5700, 1860, kRowHeight);
    MskedtMobNo = AddTextBox(FrameAdrs, QStringLiteral("MskedtMobNo"), FieldLength::Phone, 5700);
    PlaceTwips(MskedtMobNo, kFieldLeft + 1980, 5700, 1860, kRowHeight);

    AddCaption(FrameAdrs, QStringLiteral("Label15"), tr("Fax No.:-"), 6075);
    Txtfax = AddTextBox(FrameAdrs, QStringLiteral("Txtfax"), FieldLength::PartyLine, 6075);
    AddCaption(FrameAdrs, QStringLiteral("Label16"), tr("E-Mail :-"), 6450);
    Txtemail = AddTextBox(FrameAdrs, QStringLiteral("Txtemail"), FieldLength::Link, 6450);
    AddCaption(FrameAdrs, QStringLiteral("Label17"), tr("Web Site :-"), 6825);
    Txtweb = AddTextBox(FrameAdrs, QStringLiteral("Txtweb"), FieldLength::Link, 6825);
    AddCaption(FrameAdrs, QStringLiteral("Label18"), tr("Notes :-"), 7200);
    Txtnote = new LimitedTextEdit(kNoteLength, FrameAdrs);
    Txtnote->setObjectName(QStringLiteral("Txtnote"));
    Txtnote->setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOn);
    Txtnote->setTabChangesFocus(true);
    PlaceTwips(Txtnote, kFieldLeft, 7200, kFieldWidth, 900);
    FrameAdrs->setEnabled(false);

    CmdSave = AddButton(this, QStringLiteral("CmdSave"), tr("&New"), 120);
    CmdEdt = AddButton(this, QStringLiteral("CmdEdt"), tr("&Edit"), 1560);
    Buttons.Attach(CmdSave, CmdEdt);
    CmdDel = AddButton(this, QStringLiteral("CmdDel"), tr("&Delete"), 3000);
    CmdDel->setEnabled(false);
    CmdClos = AddButton(this, QStringLiteral("CmdClos"), tr("&Close"), 4440);
    LblLong = new QLabel(this);
    LblLong->setObjectName(QStringLiteral("LblLong"));
    LblLong->setStyleSheet(QStringLiteral("QLabel { color: #800000; }"));
    LblLong->setToolTip(tr("Texts longer than their boxes (stored by another "
                           "program) show cut. Each is saved whole unless its box "
                           "is changed."));
    PlaceTwips(LblLong, 120, 8820, 5640, 255);
    LblLong->hide();

    auto* search = new QLabel(tr("Search :-"), this);
    search->setObjectName(QStringLiteral("Label19"));
    PlaceTwips(search, 6000, 120, 900, kRowHeight);
    TxtSrchadrs = new QLineEdit(this);
    TxtSrchadrs->setObjectName(QStringLiteral("TxtSrchadrs"));
    TxtSrchadrs->setMaxLength(32);
    PlaceTwips(TxtSrchadrs, 6900, 120, 3540, kRowHeight);
    Lstvewadrs = new ListView(this);
    Lstvewadrs->setObjectName(QStringLiteral("Lstvewadrs"));
    Lstvewadrs->AddColumn(tr("Party's Name"), 3240);
    Lstvewadrs->AddColumn(tr("Id NO"), 900);
    PlaceTwips(Lstvewadrs, 6000, 540, 4440, 8235);
    Lstvewadrs->hide(); // the narrow window keeps it out of sight until Edit

    // The search box and its caption stand beside the party list, outside
    // the narrow window: they show and hide with the list, so that the
    // focus never goes to a box out of sight.
    new ShownWithList(Lstvewadrs, {search, TxtSrchadrs});
    TxtSrchadrs->hide();
    search->hide();

    // Tab follows the fields as they stand: the entry from top to bottom,
    // the buttons below it, then the search box and the party list.
    QWidget* chain[] = {Txtname,  TxtCntact,   TxtAddrs,  Txtarea,    Txtland,     LstvewGrup1,
                        CmbxCty,  TxtPin,      TxtVat,    MskedtPhno, MskedtMobNo, Txtfax,
                        Txtemail, Txtweb,      Txtnote,   CmdSave,    CmdEdt,      CmdDel,
                        CmdClos,  TxtSrchadrs, Lstvewadrs};
    for (size_t i = 1; i < std::size(chain); ++i)
        setTabOrder(chain[i - 1], chain[i]);

    // Hindi and Punjabi names show whole (their signs reach above and below
    // the line): the boxes grow where the laid-out height is too small.
    FitLineHeights({Txtname, TxtCntact, TxtAddrs, Txtarea, Txtland, CmbxCty, LblCty, LblState,
                    LblContry, TxtPin, TxtVat, MskedtPhno, MskedtMobNo, Txtfax, Txtemail, Txtweb,
                    TxtSrchadrs});
}

void FrmAdrsMstr1::WireEvents() {
    On::GotFocus(Txtname, [this] { Txtname_GotFocus(); });
    On::KeyPress(Txtname, [this](int& KeyAscii) { Txtname_KeyPress(KeyAscii); });
    On::KeyPress(TxtCntact, [this](int& KeyAscii) { TxtCntact_KeyPress(KeyAscii); });
    On::KeyPress(TxtAddrs, [this](int& KeyAscii) { TxtAddrs_KeyPress(KeyAscii); });
    On::KeyPress(Txtarea, [this](int& KeyAscii) { Txtarea_KeyPress(KeyAscii); });
    On::KeyPress(Txtland, [this](int& KeyAscii) { Txtland_KeyPress(KeyAscii); });
    On::GotFocus(MskedtPhno, [this] { MskedtPhno_GotFocus(); });
    On::KeyPress(MskedtPhno, [this](int& KeyAscii) { MskedtPhno_KeyPress(KeyAscii); });
    On::LostFocus(MskedtPhno, [this] { MskedtPhno_LostFocus(); });
    On::GotFocus(MskedtMobNo, [this] { MskedtMobNo_GotFocus(); });
    On::KeyPress(MskedtMobNo, [this](int& KeyAscii) { MskedtMobNo_KeyPress(KeyAscii); });
    On::GotFocus(CmbxCty, [this] { CmbxCty_GotFocus(); });
    On::Click(CmbxCty, [this] { CmbxCty_Click(); });
    On::KeyPress(CmbxCty, [this](int& KeyAscii) { CmbxCty_KeyPress(KeyAscii); });
    On::LostFocus(CmbxCty, [this] { CmbxCty_LostFocus(); });
    On::Click(LblCty, [this] { LblCty_Click(); });
    On::GotFocus(LstvewGrup1, [this] { LstvewGrup1_GotFocus(); });
    On::KeyPress(LstvewGrup1, [this](int& KeyAscii) { LstvewGrup1_KeyPress(KeyAscii); });
    On::Click(CmdSave, [this] { CmdSave_Click(); });
    On::Click(CmdEdt, [this] { CmdEdt_Click(); });
    On::Click(CmdDel, [this] { CmdDel_Click(); });
    On::Click(CmdClos, [this] { CmdClos_Click(); });
    On::GotFocus(TxtSrchadrs, [this] { TxtSrchadrs_GotFocus(); });
    On::Change(TxtSrchadrs, [this] { TxtSrchadrs_Change(); });
    On::KeyPress(TxtSrchadrs, [this](int& KeyAscii) { TxtSrchadrs_KeyPress(KeyAscii); });
    On::KeyPress(Lstvewadrs, [this](int& KeyAscii) { Lstvewadrs_KeyPress(KeyAscii); });
    On::DblClick(Lstvewadrs, [this] { Lstvewadrs_DblClick(); });
}

void FrmAdrsMstr1::Form_Load() {
    SetWidth(kNarrowWidth);
    SetHeight(kHeight);
    SetTop(0);
    SetCaption(AppTitle + QStringLiteral(" ") + tr("(ADDRESS MASTER)"));
}
