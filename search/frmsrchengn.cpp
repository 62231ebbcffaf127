#include "search/frmsrchengn.h"

#include "data/connmodule.h"
#include "data/fieldlengths.h"
#include "platform/events.h"
#include "platform/lineheight.h"
#include "platform/listview.h"
#include "platform/twips.h"
#include "search/searchpanel.h"

#include <QCheckBox>
#include <QComboBox>
#include <QFontDatabase>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>

namespace {

// Verdana where the desktop has it, else the desktop's own face.
QFont VerdanaFont(QFont base, int pointSize = 0) {
    if (QFontDatabase::hasFamily(QStringLiteral("Verdana")))
        base.setFamily(QStringLiteral("Verdana"));
    if (pointSize > 0) base.setPointSize(pointSize);
    return base;
}

QLabel* MakeLabel(QWidget* parent, const char* name, const QString& caption) {
    auto* label = new QLabel(caption, parent);
    label->setObjectName(QString::fromLatin1(name));
    label->setTextFormat(Qt::PlainText);
    return label;
}

// A caption keeps its laid-out width unless the desktop's font needs more
// room to show it whole.
void WidenToFit(QWidget* caption) {
    const int needed = caption->sizeHint().width();
    if (needed > caption->width()) caption->resize(needed, caption->height());
}

QComboBox* MakeCombo(QWidget* parent, const char* name) {
    auto* combo = new QComboBox(parent);
    combo->setObjectName(QString::fromLatin1(name));
    combo->setEditable(true);
    combo->setInsertPolicy(QComboBox::NoInsert);
    combo->setCompleter(nullptr); // typed text stays as typed
    return combo;
}

} // namespace

FrmSrchEngn::FrmSrchEngn(QWidget* parent) : Form(parent) {
    setObjectName(QStringLiteral("FrmSrchEngn"));
    setFont(VerdanaFont(font()));
    CreateFilterArea();
    CreateResultArea();
    WireEvents();

    setTabOrder(CmbxGrup1, ChkAll);
    setTabOrder(ChkAll, Cmbxfiltr);
    setTabOrder(Cmbxfiltr, TxtValue);
    setTabOrder(TxtValue, LstvewSrch);
}

void FrmSrchEngn::CreateFilterArea() {
    Frame1 = new QGroupBox(this);
    Frame1->setObjectName(QStringLiteral("Frame1"));
    PlaceTwips(Frame1, 120, 0, 14775, 1215);

    Label33 = MakeLabel(Frame1, "Label33", tr("Select a Group :- "));
    PlaceTwips(Label33, 120, 240, 1695, 255);
    CmbxGrup1 = MakeCombo(Frame1, "CmbxGrup1");
    PlaceTwips(CmbxGrup1, 1800, 240, 3135, 315);
    ChkAll = new QCheckBox(tr("Select All Group"), Frame1);
    ChkAll->setObjectName(QStringLiteral("ChkAll"));
    PlaceTwips(ChkAll, 1800, 720, 1695, 255);

    Label1 = MakeLabel(Frame1, "Label1", tr("Select A Filter :- "));
    PlaceTwips(Label1, 5160, 240, 1575, 255);
    Cmbxfiltr = MakeCombo(Frame1, "Cmbxfiltr");
    Cmbxfiltr->addItems({tr("Name Wise "), tr("City Wise"), tr("State Wise"),
                         tr("Phone Number Wise"), tr("Mobile Number Wise"), tr("Email Id Wise"),
                         tr("Contact Person")});
    Cmbxfiltr->setEditText(QString());
    PlaceTwips(Cmbxfiltr, 6840, 240, 3015, 330);

    Label2 = MakeLabel(Frame1, "Label2", tr("Value :- "));
    PlaceTwips(Label2, 5160, 720, 855, 255);
    TxtValue = new QLineEdit(Frame1);
    TxtValue->setObjectName(QStringLiteral("TxtValue"));
    TxtValue->setMaxLength(FieldLength::SearchValue);
    PlaceTwips(TxtValue, 6840, 720, 5655, 285);

    CmdLabels = new QPushButton(tr("Print &Labels..."), Frame1);
    CmdLabels->setObjectName(QStringLiteral("CmdLabels"));
    CmdLabels->setToolTip(tr("One label or envelope for every party in the list"));
    PlaceTwips(CmdLabels, 12615, 675, 2040, 375);

    for (QWidget* caption : std::initializer_list<QWidget*>{Label33, ChkAll, Label1, Label2})
        WidenToFit(caption);

    LstvewGrup2 = new ListView(Frame1);
    LstvewGrup2->setObjectName(QStringLiteral("LstvewGrup2"));
    LstvewGrup2->AddColumn(tr("Group Name"));
    LstvewGrup2->AddColumn(tr("Group Id"));
    LstvewGrup2->setFocusPolicy(Qt::NoFocus);
    PlaceTwips(LstvewGrup2, 240, 600, 1335, 285);
    LstvewGrup2->hide();
}

void FrmSrchEngn::CreateResultArea() {
    LstvewSrch = new ListView(this);
    LstvewSrch->setObjectName(QStringLiteral("LstvewSrch"));
    for (const ResultColumn& c : kResultColumns)
        LstvewSrch->AddColumn(tr(c.header), c.width);
    PlaceTwips(LstvewSrch, 120, 1320, 14775, 4455);

    Frame2 = new QGroupBox(this);
    Frame2->setObjectName(QStringLiteral("Frame2"));
    Frame2->setFocusPolicy(Qt::NoFocus);
    PlaceTwips(Frame2, 120, 5880, 14775, 2775);

    const QFont panelFont = VerdanaFont(font(), 9);
    QFont linkFont = panelFont;
    linkFont.setUnderline(true);
    for (const PanelLine& line : kPanelLines) {
        QLabel* caption = MakeLabel(Frame2, line.captionName, tr(line.caption));
        PlaceTwips(caption, line.left, line.top, line.width, 255);
        caption->setFont(panelFont);
        WidenToFit(caption);
        this->*line.captionLabel = caption;

        QLabel* value = MakeLabel(Frame2, line.valueName, QString());
        PlaceTwips(value, line.valueLeft, line.valueTop, line.valueWidth, line.valueHeight);
        value->setFont(panelFont);
        this->*line.valueLabel = value;
    }
    Label32->setWordWrap(true);
    Label32->setAlignment(Qt::AlignLeft | Qt::AlignTop);

    for (QLabel* link : {Label13, Label15}) {
        link->setFont(linkFont);
        QPalette blue = link->palette();
        blue.setColor(QPalette::WindowText, QColor(0, 0, 255));
        link->setPalette(blue);
        link->setCursor(Qt::PointingHandCursor);
    }
}

void FrmSrchEngn::WireEvents() {
    On::GotFocus(CmbxGrup1, [this] { CmbxGrup1_GotFocus(); });
    On::KeyPress(CmbxGrup1, [this](int& KeyAscii) { CmbxGrup1_KeyPress(KeyAscii); });
    On::LostFocus(CmbxGrup1, [this] { CmbxGrup1_LostFocus(); });
    On::Click(ChkAll, [this] { ChkAll_Click(); });
    On::KeyPress(ChkAll, [this](int& KeyAscii) { ChkAll_KeyPress(KeyAscii); });
    On::GotFocus(Cmbxfiltr, [this] { Cmbxfiltr_GotFocus(); });
    On::KeyPress(Cmbxfiltr, [this](int& KeyAscii) { Cmbxfiltr_KeyPress(KeyAscii); });
    On::LostFocus(Cmbxfiltr, [this] { Cmbxfiltr_LostFocus(); });
    On::GotFocus(TxtValue, [this] { TxtValue_GotFocus(); });
    On::Change(TxtValue, [this] { TxtValue_Change(); });
    On::GotFocus(LstvewSrch, [this] { LstvewSrch_GotFocus(); });
    On::ItemClick(LstvewSrch, [this] { LstvewSrch_ItemClick(); });
    On::SelectionChange(LstvewSrch, [this] { ShowSelectedAddress(); });
    On::Click(Label13, [this] { Label13_Click(); });
    On::Click(Label15, [this] { Label15_Click(); });
    On::Click(CmdLabels, [this] { CmdLabels_Click(); });
}

// The layout follows the main window's size once, here; resizing the
// window later leaves every control where it is.
void FrmSrchEngn::Form_Load() {
    SetTop(0);
    SetLeft(0);
    SetCaption(AppTitle + QStringLiteral(" ") + tr("(SEARCH ENGINE)"));

    // The window it opens in (the main window), else the screen less the
    // task bar's 400 twips, as the main window would be placed.
    int mainWidth = ScreenWidth(), mainHeight = ScreenHeight() - 400;
    if (const QWidget* parent = window(); parent != this) {
        mainWidth = Twips(parent->width());
        mainHeight = Twips(parent->height());
    }
    const int formWidth = mainWidth - 200;
    const int formHeight = mainHeight - 1000;
    SetWidth(formWidth);
    SetHeight(formHeight);

    const int listWidth = formWidth - 400;
    const int listHeight = formHeight - 5545;
    const int frame1Width = formWidth - 400;
    PlaceTwips(LstvewSrch, 120, 1320, listWidth, listHeight);
    PlaceTwips(Frame1, 120, 0, frame1Width, 1215);
    PlaceTwips(Frame2, 120, listHeight + 1500, 14775, 2775);
    PlaceTwips(TxtValue, 6840, 720, frame1Width - 9120, 285);
    PlaceTwips(CmdLabels, frame1Width - 2160, 675, 2040, 375);

    // Hindi and Punjabi values and names show whole (their signs reach
    // above and below the line): the boxes grow where they are too low.
    QList<QWidget*> boxes{CmbxGrup1, Cmbxfiltr, TxtValue};
    for (const PanelLine& line : kPanelLines)
        if (this->*line.valueLabel != Label32) boxes << this->*line.valueLabel;
    FitLineHeights(boxes);
}
