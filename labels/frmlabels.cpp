#include "labels/frmlabels.h"

#include "labels/frmsender.h"
#include "labels/labelsettings.h"
#include "platform/errors.h"
#include "platform/events.h"
#include "platform/msgbox.h"
#include "platform/named.h"

#include <QCheckBox>
#include <QComboBox>
#include <QCoreApplication>
#include <QDoubleSpinBox>
#include <QFontComboBox>
#include <QFontInfo>
#include <QFormLayout>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPrinterInfo>
#include <QPushButton>
#include <QRadioButton>
#include <QSpinBox>
#include <QVBoxLayout>

namespace {

struct Paper {
    const char* name;
    QSizeF mm;
};
const Paper kPapers[] = {
    {QT_TRANSLATE_NOOP("FrmLabels", "A4"), kA4Mm},
    {QT_TRANSLATE_NOOP("FrmLabels", "US Letter"), kLetterMm},
    {QT_TRANSLATE_NOOP("FrmLabels", "A5"), QSizeF(148, 210)},
    {QT_TRANSLATE_NOOP("FrmLabels", "US Legal"), QSizeF(8.5 * kMmPerInch, 14 * kMmPerInch)}};

QDoubleSpinBox* MmBox(QWidget* parent, const char* name, double min = 0, double max = 400) {
    auto* box = Named(new QDoubleSpinBox(parent), name);
    box->setRange(min, max);
    box->setDecimals(2);
    box->setSingleStep(0.5);
    box->setSuffix(QCoreApplication::translate("FrmLabels", " mm"));
    return box;
}

QSpinBox* CountBox(QWidget* parent, const char* name, int max) {
    auto* box = Named(new QSpinBox(parent), name);
    box->setRange(1, max);
    return box;
}

bool SameMeasures(const LabelSheet& a, const LabelSheet& b) {
    LabelSheet x = a, y = b;
    x.name = y.name = QString();
    // The boxes show two decimals: a listed measure may read rounded.
    auto near = [](double p, double q) { return qAbs(p - q) < 0.006; };
    return near(x.paperMm.width(), y.paperMm.width()) &&
           near(x.paperMm.height(), y.paperMm.height()) && x.rows == y.rows &&
           x.columns == y.columns && near(x.labelWidth, y.labelWidth) &&
           near(x.labelHeight, y.labelHeight) && near(x.leftMargin, y.leftMargin) &&
           near(x.topMargin, y.topMargin) && near(x.columnGap, y.columnGap) &&
           near(x.rowGap, y.rowGap);
}

} // namespace

FrmLabels::FrmLabels(const QList<AddressBlock>& parties, int copies, bool attention,
                     const QString& summary, QWidget* parent)
    : QDialog(parent), parties_(parties), envelopes_(StandardEnvelopes()) {
    setObjectName(QStringLiteral("FrmLabels"));
    setWindowTitle(tr("Labels and envelopes"));

    LblParties = Named(new QLabel(summary, this), "LblParties");
    LblParties->setTextFormat(Qt::PlainText);
    QFont bold = LblParties->font();
    bold.setBold(true);
    LblParties->setFont(bold);

    auto* columns = new QHBoxLayout;
    auto* left = new QVBoxLayout;
    left->addWidget(CreateChoice());
    left->addWidget(CreateSheetFrame());
    left->addWidget(CreateEnvelopeFrame());
    left->addStretch();
    auto* right = new QVBoxLayout;
    right->addWidget(CreateTextFrame());
    right->addWidget(CreatePrinterFrame());
    right->addStretch();
    columns->addLayout(left);
    columns->addLayout(right);

    CmdPreview = Named(new QPushButton(tr("Pre&view..."), this), "CmdPreview");
    CmdPrint = Named(new QPushButton(tr("&Print..."), this), "CmdPrint");
    CmdPdf = Named(new QPushButton(tr("Save as P&DF..."), this), "CmdPdf");
    CmdClose = Named(new QPushButton(tr("Close"), this), "CmdClose");
    CmdPreview->setDefault(true);
    LblStatus = Named(new QLabel(this), "LblStatus");
    LblStatus->setTextFormat(Qt::PlainText);
    // The window keeps its size whatever the status says: a long text is
    // cut at the label's edge and shown whole as its tooltip.
    LblStatus->setSizePolicy(QSizePolicy::Ignored, QSizePolicy::Preferred);
    auto* buttons = new QHBoxLayout;
    buttons->addWidget(LblStatus, 1);
    for (QPushButton* b : {CmdPreview, CmdPrint, CmdPdf, CmdClose})
        buttons->addWidget(b);

    auto* whole = new QVBoxLayout(this);
    whole->addWidget(LblParties);
    whole->addLayout(columns);
    whole->addLayout(buttons);

    SpnCopies->setValue(qBound(1, copies, SpnCopies->maximum()));
    ChkAttention->setChecked(attention);
    LoadChoices();

    On::Signal(OptnSheet, &QRadioButton::toggled, [this] { ModeChanged(); });
    On::Click(CmbxSheet, [this] { SheetChosen(); });
    for (QSpinBox* box : {SpnRows, SpnColumns})
        On::Signal(box, &QSpinBox::valueChanged, [this] { MeasuresChanged(); });
    for (QDoubleSpinBox* box :
         {SpnLabelWidth, SpnLabelHeight, SpnLeftMargin, SpnTopMargin, SpnColumnGap, SpnRowGap})
        On::Signal(box, &QDoubleSpinBox::valueChanged, [this] { MeasuresChanged(); });
    On::Signal(CmbxPaper, &QComboBox::currentIndexChanged, [this] { MeasuresChanged(); });
    On::Signal(CmbxPrinter, &QComboBox::currentIndexChanged, [this] { PrinterChosen(); });
    for (QDoubleSpinBox* box : {SpnOffsetX, SpnOffsetY})
        On::Signal(box, &QDoubleSpinBox::valueChanged, [this] { OffsetChanged(); });
    On::Click(CmdKeepSheet, [this] { KeepSheet(); });
    On::Click(CmdForgetSheet, [this] { ForgetSheet(); });
    On::Click(CmdSender, [this] { EditSender(); });
    On::Click(CmdPreview, [this] { Preview(); });
    On::Click(CmdPrint, [this] { Print(); });
    On::Click(CmdPdf, [this] { SavePdf(); });
    connect(CmdClose, &QPushButton::clicked, this, &QDialog::reject);
}

FrmLabels* FrmLabels::Open(const QList<AddressBlock>& parties, int copies, bool attention,
                           const QString& summary, QWidget* parent) {
    auto* window = new FrmLabels(parties, copies, attention, summary, parent);
    window->setAttribute(Qt::WA_DeleteOnClose);
    window->setWindowModality(Qt::WindowModal);
    window->show();
    window->activateWindow();
    return window;
}

QString FrmLabels::PdfPrinterName() {
    return QStringLiteral("PDF file");
}

QGroupBox* FrmLabels::CreateChoice() {
    auto* frame = new QGroupBox(tr("Print on"), this);
    OptnSheet = Named(new QRadioButton(tr("Label &sheet"), frame), "OptnSheet");
    OptnEnvelope = Named(new QRadioButton(tr("&Envelopes"), frame), "OptnEnvelope");
    auto* row = new QHBoxLayout(frame);
    row->addWidget(OptnSheet);
    row->addWidget(OptnEnvelope);
    row->addStretch();
    return frame;
}

QGroupBox* FrmLabels::CreateSheetFrame() {
    FrameSheet = Named(new QGroupBox(tr("Label sheet"), this), "FrameSheet");
    CmbxSheet = Named(new QComboBox(FrameSheet), "CmbxSheet");
    CmbxPaper = Named(new QComboBox(FrameSheet), "CmbxPaper");
    for (const Paper& p : kPapers)
        CmbxPaper->addItem(tr(p.name));
    SpnRows = CountBox(FrameSheet, "SpnRows", 40);
    SpnColumns = CountBox(FrameSheet, "SpnColumns", 10);
    SpnLabelWidth = MmBox(FrameSheet, "SpnLabelWidth", 5);
    SpnLabelHeight = MmBox(FrameSheet, "SpnLabelHeight", 5);
    SpnLeftMargin = MmBox(FrameSheet, "SpnLeftMargin");
    SpnTopMargin = MmBox(FrameSheet, "SpnTopMargin");
    SpnColumnGap = MmBox(FrameSheet, "SpnColumnGap", 0, 50);
    SpnRowGap = MmBox(FrameSheet, "SpnRowGap", 0, 50);
    TxtSheetName = Named(new QLineEdit(FrameSheet), "TxtSheetName");
    TxtSheetName->setPlaceholderText(tr("name of your own sheet"));
    CmdKeepSheet = Named(new QPushButton(tr("&Keep sheet"), FrameSheet), "CmdKeepSheet");
    CmdForgetSheet = Named(new QPushButton(tr("&Forget sheet"), FrameSheet), "CmdForgetSheet");
    SpnFirstRow = CountBox(FrameSheet, "SpnFirstRow", 40);
    SpnFirstColumn = CountBox(FrameSheet, "SpnFirstColumn", 10);
    LblSheetProblem = Named(new QLabel(FrameSheet), "LblSheetProblem");
    QPalette red = LblSheetProblem->palette();
    red.setColor(QPalette::WindowText, Qt::red);
    LblSheetProblem->setPalette(red);

    auto* grid = new QGridLayout(FrameSheet);
    auto pair = [&](int row, int col, const QString& caption, QWidget* field) {
        auto* label = new QLabel(caption, FrameSheet);
        label->setBuddy(field);
        grid->addWidget(label, row, col);
        grid->addWidget(field, row, col + 1);
    };
    grid->addWidget(CmbxSheet, 0, 0, 1, 4);
    pair(1, 0, tr("Paper"), CmbxPaper);
    pair(2, 0, tr("Rows"), SpnRows);
    pair(2, 2, tr("Columns"), SpnColumns);
    pair(3, 0, tr("Label width"), SpnLabelWidth);
    pair(3, 2, tr("Label height"), SpnLabelHeight);
    pair(4, 0, tr("Left margin"), SpnLeftMargin);
    pair(4, 2, tr("Top margin"), SpnTopMargin);
    pair(5, 0, tr("Column gap"), SpnColumnGap);
    pair(5, 2, tr("Row gap"), SpnRowGap);
    auto* keep = new QHBoxLayout;
    keep->addWidget(TxtSheetName, 1);
    keep->addWidget(CmdKeepSheet);
    keep->addWidget(CmdForgetSheet);
    grid->addLayout(keep, 6, 0, 1, 4);
    grid->addWidget(LblSheetProblem, 7, 0, 1, 4);
    auto* first = new QLabel(tr("First free label:"), FrameSheet);
    grid->addWidget(first, 8, 0);
    auto* place = new QHBoxLayout;
    auto* rowCaption = new QLabel(tr("&Row"), FrameSheet);
    rowCaption->setBuddy(SpnFirstRow);
    auto* columnCaption = new QLabel(tr("Co&lumn"), FrameSheet);
    columnCaption->setBuddy(SpnFirstColumn);
    place->addWidget(rowCaption);
    place->addWidget(SpnFirstRow);
    place->addWidget(columnCaption);
    place->addWidget(SpnFirstColumn);
    place->addStretch();
    grid->addLayout(place, 8, 1, 1, 3);
    return FrameSheet;
}

QGroupBox* FrmLabels::CreateEnvelopeFrame() {
    FrameEnvelope = Named(new QGroupBox(tr("Envelope"), this), "FrameEnvelope");
    CmbxEnvelope = Named(new QComboBox(FrameEnvelope), "CmbxEnvelope");
    for (const EnvelopeLayout& e : envelopes_)
        CmbxEnvelope->addItem(e.name);
    ChkSender = Named(new QCheckBox(tr("&With the sender's address"), FrameEnvelope), "ChkSender");
    CmdSender = Named(new QPushButton(tr("Se&nder..."), FrameEnvelope), "CmdSender");
    auto* grid = new QGridLayout(FrameEnvelope);
    grid->addWidget(CmbxEnvelope, 0, 0, 1, 2);
    grid->addWidget(ChkSender, 1, 0);
    grid->addWidget(CmdSender, 1, 1);
    return FrameEnvelope;
}

QGroupBox* FrmLabels::CreateTextFrame() {
    auto* frame = new QGroupBox(tr("Text"), this);
    CmbxFont = Named(new QFontComboBox(frame), "CmbxFont");
    SpnFontSize = Named(new QDoubleSpinBox(frame), "SpnFontSize");
    SpnFontSize->setRange(kSmallestPointSize, 36);
    SpnFontSize->setDecimals(1);
    SpnFontSize->setSuffix(tr(" pt"));
    ChkAttention =
        Named(new QCheckBox(tr("&Attention line (contact person)"), frame), "ChkAttention");
    ChkPhone = Named(new QCheckBox(tr("P&hone line"), frame), "ChkPhone");
    SpnCopies = CountBox(frame, "SpnCopies", 999);
    auto* form = new QFormLayout(frame);
    auto* fontCaption = new QLabel(tr("F&ont"), frame);
    fontCaption->setBuddy(CmbxFont);
    form->addRow(fontCaption, CmbxFont);
    form->addRow(tr("Size"), SpnFontSize);
    form->addRow(ChkAttention);
    form->addRow(ChkPhone);
    auto* copiesCaption = new QLabel(tr("&Copies of each"), frame);
    copiesCaption->setBuddy(SpnCopies);
    form->addRow(copiesCaption, SpnCopies);
    return frame;
}

QGroupBox* FrmLabels::CreatePrinterFrame() {
    auto* frame = new QGroupBox(tr("Printer"), this);
    CmbxPrinter = Named(new QComboBox(frame), "CmbxPrinter");
    CmbxPrinter->addItems(QPrinterInfo::availablePrinterNames());
    CmbxPrinter->addItem(PdfPrinterName());
    SpnOffsetX = MmBox(frame, "SpnOffsetX", -20, 20);
    SpnOffsetY = MmBox(frame, "SpnOffsetY", -20, 20);
    auto* form = new QFormLayout(frame);
    auto* printerCaption = new QLabel(tr("Prin&ter"), frame);
    printerCaption->setBuddy(CmbxPrinter);
    form->addRow(printerCaption, CmbxPrinter);
    form->addRow(tr("Offset right"), SpnOffsetX);
    form->addRow(tr("Offset down"), SpnOffsetY);
    auto* hint =
        new QLabel(tr("Kept for each printer: where it prints off, move the text back."), frame);
    hint->setWordWrap(true);
    form->addRow(hint);
    return frame;
}

// ---- Choices kept between runs -------------------------------------------

void FrmLabels::LoadChoices() {
    FillSheets(LabelSettings::LastSheet());
    SheetChosen();
    const int envelope = CmbxEnvelope->findText(LabelSettings::LastEnvelope());
    CmbxEnvelope->setCurrentIndex(qMax(0, envelope));
    ChkSender->setChecked(LabelSettings::PrintSender());
    const QFont font = LabelSettings::Font();
    CmbxFont->setCurrentFont(QFont(QFontInfo(font).family())); // the face the desktop gives
    SpnFontSize->setValue(font.pointSizeF());
    ChkPhone->setChecked(LabelSettings::PhoneLine());
    const QString printer = QPrinterInfo::defaultPrinterName();
    const int at = CmbxPrinter->findText(printer);
    CmbxPrinter->setCurrentIndex(at >= 0 ? at : CmbxPrinter->count() - 1);
    PrinterChosen();
    (LabelSettings::EnvelopeMode() ? OptnEnvelope : OptnSheet)->setChecked(true);
    ModeChanged();
}

void FrmLabels::SaveChoices() {
    LabelSettings::SetLastSheet(CmbxSheet->currentText());
    LabelSettings::SetLastEnvelope(CmbxEnvelope->currentText());
    LabelSettings::SetEnvelopeMode(OptnEnvelope->isChecked());
    LabelSettings::SetPrintSender(ChkSender->isChecked());
    QFont font = CmbxFont->currentFont();
    font.setPointSizeF(SpnFontSize->value());
    LabelSettings::SetFont(font);
    LabelSettings::SetPhoneLine(ChkPhone->isChecked());
}

void FrmLabels::done(int result) {
    ResumeNext([&] { SaveChoices(); });
    QDialog::done(result);
}

// ---- The sheet -----------------------------------------------------------

void FrmLabels::FillSheets(const QString& select) {
    sheets_ = StandardSheets();
    sheets_.append(LabelSettings::CustomSheets());
    CmbxSheet->clear();
    for (const LabelSheet& s : sheets_)
        CmbxSheet->addItem(s.name);
    const int at = CmbxSheet->findText(select);
    CmbxSheet->setCurrentIndex(at >= 0 ? at : 0);
}

void FrmLabels::ShowSheet(const LabelSheet& sheet) {
    showingSheet_ = true;
    int paper = 0;
    for (int i = 0; i < int(std::size(kPapers)); ++i)
        if (qAbs(kPapers[i].mm.width() - sheet.paperMm.width()) < 0.01 &&
            qAbs(kPapers[i].mm.height() - sheet.paperMm.height()) < 0.01)
            paper = i;
    CmbxPaper->setCurrentIndex(paper);
    SpnRows->setValue(sheet.rows);
    SpnColumns->setValue(sheet.columns);
    SpnLabelWidth->setValue(sheet.labelWidth);
    SpnLabelHeight->setValue(sheet.labelHeight);
    SpnLeftMargin->setValue(sheet.leftMargin);
    SpnTopMargin->setValue(sheet.topMargin);
    SpnColumnGap->setValue(sheet.columnGap);
    SpnRowGap->setValue(sheet.rowGap);
    showingSheet_ = false;
    MeasuresChanged();
}

void FrmLabels::SheetChosen() {
    const int at = CmbxSheet->currentIndex();
    if (at < 0 || at >= sheets_.size()) return;
    const LabelSheet& sheet = sheets_[at];
    const bool own = at >= StandardSheets().size();
    TxtSheetName->setText(own ? sheet.name : QString());
    ShowSheet(sheet);
}

LabelSheet FrmLabels::CurrentSheet() const {
    LabelSheet s;
    s.name = CmbxSheet->currentText();
    s.paperMm = kPapers[qMax(0, CmbxPaper->currentIndex())].mm;
    s.rows = SpnRows->value();
    s.columns = SpnColumns->value();
    s.labelWidth = SpnLabelWidth->value();
    s.labelHeight = SpnLabelHeight->value();
    s.leftMargin = SpnLeftMargin->value();
    s.topMargin = SpnTopMargin->value();
    s.columnGap = SpnColumnGap->value();
    s.rowGap = SpnRowGap->value();
    const int at = CmbxSheet->currentIndex();
    if (at >= 0 && at < sheets_.size() && SameMeasures(s, sheets_[at])) return sheets_[at];
    return s;
}

void FrmLabels::MeasuresChanged() {
    if (showingSheet_) return;
    const LabelSheet sheet = CurrentSheet();
    SpnFirstRow->setMaximum(sheet.rows);
    SpnFirstColumn->setMaximum(sheet.columns);
    QString problem = SheetProblem(sheet);
    const int at = CmbxSheet->currentIndex();
    if (problem.isEmpty() && at >= 0 && at < sheets_.size() && !SameMeasures(sheet, sheets_[at]))
        problem = tr("Changed from the listed sheet: name it and keep it to use it again.");
    LblSheetProblem->setText(problem);
    LblSheetProblem->setVisible(!problem.isEmpty());
    ModeChanged();
}

void FrmLabels::KeepSheet() {
    LabelSheet sheet = CurrentSheet();
    sheet.name = TxtSheetName->text().trimmed();
    const bool standard = std::any_of(sheets_.cbegin(), sheets_.cbegin() + StandardSheets().size(),
                                      [&](const LabelSheet& s) { return s.name == sheet.name; });
    if (sheet.name.isEmpty() || standard) {
        MsgBox(tr("Give your sheet a name of its own first."), vbInformation, windowTitle());
        TxtSheetName->setFocus();
        return;
    }
    const QString problem = SheetProblem(sheet);
    if (!problem.isEmpty()) {
        MsgBox(problem, vbInformation, windowTitle());
        return;
    }
    LabelSettings::SaveCustomSheet(sheet);
    FillSheets(sheet.name);
    SheetChosen();
    ShowStatus(tr("Sheet \"%1\" kept.").arg(sheet.name));
}

void FrmLabels::ForgetSheet() {
    const int at = CmbxSheet->currentIndex();
    if (at < StandardSheets().size()) {
        MsgBox(tr("Only your own sheets can be forgotten."), vbInformation, windowTitle());
        return;
    }
    const QString name = CmbxSheet->currentText();
    LabelSettings::RemoveCustomSheet(name);
    FillSheets(QString());
    SheetChosen();
    ShowStatus(tr("Sheet \"%1\" forgotten.").arg(name));
}

// ---- Mode, printer and offsets -------------------------------------------

void FrmLabels::ModeChanged() {
    const bool envelopes = OptnEnvelope->isChecked();
    FrameSheet->setEnabled(!envelopes);
    FrameEnvelope->setEnabled(envelopes);
    const bool printable =
        !parties_.isEmpty() && (envelopes || SheetProblem(CurrentSheet()).isEmpty());
    for (QPushButton* b : {CmdPreview, CmdPrint, CmdPdf})
        b->setEnabled(printable);
}

void FrmLabels::PrinterChosen() {
    const QPointF offset = LabelSettings::Offset(CmbxPrinter->currentText());
    const QSignalBlocker x(SpnOffsetX), y(SpnOffsetY);
    SpnOffsetX->setValue(offset.x());
    SpnOffsetY->setValue(offset.y());
}

void FrmLabels::OffsetChanged() {
    LabelSettings::SetOffset(CmbxPrinter->currentText(),
                             QPointF(SpnOffsetX->value(), SpnOffsetY->value()));
}

void FrmLabels::EditSender() {
    auto* sender = new FrmSender(this);
    sender->setAttribute(Qt::WA_DeleteOnClose);
    On::Signal(sender, &QDialog::accepted, [this] { ChkSender->setChecked(true); });
    sender->open();
}
