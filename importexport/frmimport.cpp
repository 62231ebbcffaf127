#include "importexport/frmimport.h"

#include "data/connmodule.h"
#include "data/ids.h"
#include "data/recordset.h"
#include "party/importwriter.h"
#include "party/textdecode.h"
#include "importexport/windowparts.h"
#include "party/duplicateentry.h"
#include "platform/errors.h"
#include "platform/events.h"
#include "platform/filedialogs.h"
#include "platform/listview.h"
#include "platform/msgbox.h"
#include "platform/twips.h"
#include "platform/vb.h"

#include <QApplication>
#include <QCheckBox>
#include <QCloseEvent>
#include <QComboBox>
#include <QDir>
#include <QElapsedTimer>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QLabel>
#include <QProgressBar>
#include <QPushButton>
#include <QTableWidget>
#include <QVBoxLayout>
#include <climits>

namespace {

const QChar kDelimiters[] = {u',', u';', u'\t'};

// "1 party", "2 parties".
QString Count(int n, const char* one, const char* many) {
    return QStringLiteral("%1 %2").arg(n).arg(QString::fromLatin1(n == 1 ? one : many));
}

// While an import runs, the window's events are served so that its Cancel
// button can be pressed; every other click and key of the program waits,
// so nothing else reads or writes the book in the middle of the import.
class OnlyStop : public QObject {
  public:
    explicit OnlyStop(QWidget* stop) : stop_(stop) { qApp->installEventFilter(this); }
    ~OnlyStop() override { qApp->removeEventFilter(this); }
    bool eventFilter(QObject* watched, QEvent* e) override {
        // Input reaches the window first and the widget under it after.
        if (watched->isWindowType()) return false;
        switch (e->type()) {
        case QEvent::MouseButtonPress:
        case QEvent::MouseButtonRelease:
        case QEvent::MouseButtonDblClick:
        case QEvent::KeyPress:
        case QEvent::KeyRelease:
        case QEvent::Shortcut:
        case QEvent::ShortcutOverride:
        case QEvent::Wheel:
            return watched != stop_;
        case QEvent::Close:
            // A close waits too (an eaten close event would count as accepted).
            e->ignore();
            return true;
        default:
            return false;
        }
    }

  private:
    QWidget* stop_;
};

constexpr int kServeEventsEveryMs = 30;

} // namespace

// While the window reads a file or imports: only Cancel (when it may be
// pressed) takes clicks and keys, the bar says what is done and how far it
// has come, and the window's events are served now and then, so it paints.
// Afterwards the buttons are as before and the bar is back at its start.
class FrmImport::Busy {
  public:
    Busy(FrmImport* form, bool cancellable)
        : form_(form), onlyStop_(cancellable ? form->CmdStop : nullptr) {
        form_->busy_ = true;
        form_->stopAsked_ = false;
        for (QPushButton* b : {form_->CmdImport, form_->CmdBrowse, form_->CmdClos})
            b->setEnabled(false);
        form_->CmdStop->setEnabled(cancellable);
    }
    ~Busy() {
        form_->busy_ = false;
        form_->CmdStop->setEnabled(false);
        form_->CmdBrowse->setEnabled(true);
        form_->CmdClos->setEnabled(true);
        form_->CmdImport->setEnabled(!form_->plan_.isEmpty());
        form_->PrgBar->setRange(0, 100);
        form_->PrgBar->setValue(0);
        form_->PrgBar->resetFormat();
    }
    Busy(const Busy&) = delete;
    Busy& operator=(const Busy&) = delete;

    // The bar for one part of the work. Throws ImportCancelled once Cancel
    // has been pressed.
    ReadProgress Stage(const QString& what) {
        form_->PrgBar->setFormat(what + QStringLiteral(": %p%"));
        served_.invalidate();
        return [this](qsizetype done, qsizetype total) {
            form_->PrgBar->setRange(0, int(std::min<qsizetype>(total, INT_MAX)));
            form_->PrgBar->setValue(int(std::min(done, total)));
            if (!served_.isValid() || served_.elapsed() >= kServeEventsEveryMs) {
                QApplication::processEvents();
                served_.start();
            }
            if (form_->stopAsked_) throw ImportCancelled();
        };
    }

  private:
    FrmImport* form_;
    OnlyStop onlyStop_;
    QElapsedTimer served_;
};

FrmImport::FrmImport(QWidget* parent) : Form(parent) {
    setObjectName(QStringLiteral("FrmImport"));
    auto* layout = new QVBoxLayout(this);

    auto* fileRow = new QHBoxLayout;
    fileRow->addWidget(new QLabel(tr("File :-"), this));
    LblFile = Named(new QLabel(tr("(none chosen)"), this), "LblFile");
    LblFile->setTextInteractionFlags(Qt::TextSelectableByMouse);
    fileRow->addWidget(LblFile, 1);
    CmdBrowse = Named(new QPushButton(tr("&Browse..."), this), "CmdBrowse");
    fileRow->addWidget(CmdBrowse);
    layout->addLayout(fileRow);

    auto* formatRow = new QHBoxLayout;
    LblFormat = Named(new QLabel(this), "LblFormat");
    formatRow->addWidget(LblFormat, 1);
    formatRow->addWidget(new QLabel(tr("Delimiter :-"), this));
    CmbxDelim = Named(new QComboBox(this), "CmbxDelim");
    CmbxDelim->addItems({tr("Comma"), tr("Semicolon"), tr("Tab")});
    formatRow->addWidget(CmbxDelim);
    formatRow->addWidget(new QLabel(tr("Encoding :-"), this));
    CmbxEnc = Named(new QComboBox(this), "CmbxEnc");
    CmbxEnc->addItem(tr("(as the file says)"));
    CmbxEnc->addItems(ImportEncodings());
    CmbxEnc->setEnabled(false);
    formatRow->addWidget(CmbxEnc);
    layout->addLayout(formatRow);
    LblEncoding = Named(new QLabel(this), "LblEncoding");
    LblEncoding->setWordWrap(true);
    LblEncoding->setStyleSheet(QStringLiteral("color: #b00000"));
    LblEncoding->hide();
    layout->addWidget(LblEncoding);

    auto* middle = new QHBoxLayout;
    FrameMap = Named(new QGroupBox(tr("Columns of the file"), this), "FrameMap");
    auto* mapLayout = new QVBoxLayout(FrameMap);
    TblMap = Named(new QTableWidget(0, 3, FrameMap), "TblMap");
    TblMap->setHorizontalHeaderLabels({tr("Column"), tr("First value"), tr("Stored as")});
    TblMap->verticalHeader()->hide();
    TblMap->horizontalHeader()->setStretchLastSection(true);
    TblMap->setEditTriggers(QAbstractItemView::NoEditTriggers);
    mapLayout->addWidget(TblMap);
    middle->addWidget(FrameMap, 3);

    auto* groups = Named(new QGroupBox(tr("Join the group(s)"), this), "FrameGrup");
    auto* groupLayout = new QVBoxLayout(groups);
    LstvewGrup = Named(new ListView(groups), "LstvewGrup");
    LstvewGrup->AddColumn(tr("Group Name"), 2800);
    LstvewGrup->SetCheckboxes(true);
    LstvewGrup->header()->setStretchLastSection(true);
    groupLayout->addWidget(LstvewGrup);
    middle->addWidget(groups, 2);
    layout->addLayout(middle, 4);

    auto* preview = Named(new QGroupBox(tr("Parties as they will be stored"), this), "FramePrevw");
    auto* previewLayout = new QVBoxLayout(preview);
    LstvewPrevw = Named(new ListView(preview), "LstvewPrevw");
    LstvewPrevw->AddColumn(tr("Line"), 600);
    LstvewPrevw->AddColumn(tr("Status"), 1100);
    LstvewPrevw->AddColumn(tr("Choice"), 2300);
    LstvewPrevw->AddColumn(tr("Reason"), 3600);
    for (int f = 0; f < kPartyFields - 1; ++f)
        LstvewPrevw->AddColumn(FieldCaption(PartyField(f)), f == 0 ? 2600 : 1500);
    previewLayout->addWidget(LstvewPrevw);
    auto* choiceRow = new QHBoxLayout;
    choiceRow->addWidget(new QLabel(tr("For the chosen duplicate :-"), preview));
    CmbxChoice = Named(new QComboBox(preview), "CmbxChoice");
    for (DuplicateChoice c : {DuplicateChoice::Skip, DuplicateChoice::Update, DuplicateChoice::Add})
        CmbxChoice->addItem(ChoiceText(c));
    choiceRow->addWidget(CmbxChoice);
    ChkAll = Named(new QCheckBox(tr("Appl&y to all duplicates"), preview), "ChkAll");
    choiceRow->addWidget(ChkAll);
    choiceRow->addStretch();
    previewLayout->addLayout(choiceRow);
    layout->addWidget(preview, 5);

    LblCounts = Named(new QLabel(this), "LblCounts");
    LblCounts->setWordWrap(true);
    layout->addWidget(LblCounts);

    auto* bottom = new QHBoxLayout;
    PrgBar = Named(new QProgressBar(this), "PrgBar");
    PrgBar->setValue(0);
    bottom->addWidget(PrgBar, 1);
    CmdImport = Named(new QPushButton(tr("&Import"), this), "CmdImport");
    CmdStop = Named(new QPushButton(tr("Cancel"), this), "CmdStop");
    CmdClos = Named(new QPushButton(tr("Close"), this), "CmdClos");
    for (QPushButton* b : {CmdImport, CmdStop, CmdClos}) {
        b->setAutoDefault(true);
        b->setMinimumSize(Px(1095), Px(375));
        bottom->addWidget(b);
    }
    CmdStop->setEnabled(false);
    CmdImport->setEnabled(false);
    layout->addLayout(bottom);

    On::Click(CmdBrowse, [this] { CmdBrowse_Click(); });
    On::Click(CmbxDelim, [this] { CmbxDelim_Click(); });
    On::Click(CmbxEnc, [this] { CmbxEnc_Click(); });
    On::Click(CmbxChoice, [this] { CmbxChoice_Click(); });
    On::Click(ChkAll, [this] { ChkAll_Click(); });
    On::ItemClick(LstvewPrevw, [this] { LstvewPrevw_ItemClick(); });
    On::Click(CmdImport, [this] { CmdImport_Click(); });
    On::Click(CmdStop, [this] { CmdStop_Click(); });
    On::Click(CmdClos, [this] { Unload(); });
}

void FrmImport::Form_Load() {
    SetTop(0);
    SetLeft(0);
    SetWidth(15000);
    SetHeight(10500);
    SetCaption(AppTitle + QStringLiteral(" ") + QStringLiteral("(IMPORT PARTIES)"));
    FillGroups();
}

void FrmImport::closeEvent(QCloseEvent* e) {
    if (busy_) {
        e->ignore();
        return;
    }
    Form::closeEvent(e);
}

void FrmImport::CmdBrowse_Click() {
    const QString folder = ContactsFolder();
    const QString path = FileDialogs::GetOpenFileName(this, tr("Import Parties"), folder,
                                                      tr("Contacts (*.csv *.vcf *.txt);;CSV files "
                                                         "(*.csv *.txt);;vCard files (*.vcf);;All "
                                                         "files (*)"));
    if (path.isEmpty()) return;
    RememberContactsFolder(path);
    OpenFile(path);
}

// The file, the book and the plan are read first, with the bar and Cancel;
// only a reading that came to its end replaces what the window showed.
void FrmImport::OpenFile(const QString& path, const QString& encoding) {
    ContactsFile read;
    BookData book;
    QList<ImportRow> plan;
    try {
        Busy busy(this, true);
        read = ReadContactsFile(path, busy.Stage(tr("Reading the file")), encoding);
        if (read.error.isEmpty()) {
            book = ReadBook(*Conn, busy.Stage(tr("Reading the address book")));
            plan = PlanImport(read.source, book, busy.Stage(tr("Checking the records")));
        }
    } catch (const ImportCancelled&) {
        LblCounts->setText(tr("Reading %1 was cancelled: nothing of it was read. ")
                               .arg(QDir::toNativeSeparators(path)) +
                           LblCounts->text());
        return;
    }
    if (!read.error.isEmpty()) {
        MsgBox(read.error, vbCritical, Caption());
        return;
    }
    file_ = std::move(read);
    book_ = std::move(book);
    plan_ = std::move(plan);
    path_ = path;
    LblFile->setText(QDir::toNativeSeparators(path));
    FillGroups();
    filling_ = true;
    CmbxEnc->setEnabled(true);
    CmbxEnc->setCurrentIndex(
        encoding.isEmpty() ? 0 : qMax(0, int(ImportEncodings().indexOf(encoding)) + 1));
    CmbxDelim->setEnabled(!file_.vcard);
    for (int i = 0; i < 3; ++i)
        if (!file_.vcard && file_.csv.delimiter == kDelimiters[i]) CmbxDelim->setCurrentIndex(i);
    filling_ = false;
    FillMapping();
    ShowPlan();
    if (!file_.source.warnings.isEmpty())
        MsgBox(tr("The file was read with these cuts:\n") +
                   file_.source.warnings.mid(0, 10).join(u'\n'),
               vbExclamation, Caption());
}

void FrmImport::FillGroups() {
    QList<int> ticked;
    for (int i = 2; i <= LstvewGrup->Count(); ++i)
        if (LstvewGrup->Item(i).Checked()) ticked.append(groupIds_.value(i - 2));
    const bool fileTicked = LstvewGrup->Count() < 1 || LstvewGrup->Item(1).Checked();
    LstvewGrup->Clear();
    groupIds_.clear();
    LstvewGrup->Add(tr("(the groups named in the file)")).SetChecked(fileTicked);
    for (const auto& [id, name] : ReadGroups(*Conn)) {
        LstvewGrup->Add(name).SetChecked(ticked.contains(id));
        groupIds_.append(id);
    }
    LstvewGrup->Flush();
}

void FrmImport::FillMapping() {
    filling_ = true;
    FrameMap->setEnabled(!file_.vcard);
    TblMap->setRowCount(0);
    if (!file_.vcard) {
        const QStringList first = file_.csv.records.value(file_.headerless ? 0 : 1);
        TblMap->setRowCount(int(file_.header.size()));
        for (int c = 0; c < file_.header.size(); ++c) {
            TblMap->setItem(c, 0, new QTableWidgetItem(file_.header[c]));
            TblMap->setItem(c, 1, new QTableWidgetItem(first.value(c)));
            auto* field = new ScrolledCombo(TblMap);
            field->setObjectName(QStringLiteral("CmbxField%1").arg(c));
            field->addItem(tr("(left out)"));
            for (int f = 0; f < kPartyFields; ++f)
                field->addItem(FieldCaption(PartyField(f)));
            const PartyField guessed = file_.mapping.value(c, PartyField::Count);
            field->setCurrentIndex(guessed == PartyField::Count ? 0 : int(guessed) + 1);
            On::Signal(field, &QComboBox::currentIndexChanged, [this] { TblMap_Change(); });
            TblMap->setCellWidget(c, 2, field);
        }
        TblMap->resizeColumnToContents(0);
    }
    filling_ = false;
}

void FrmImport::CmbxDelim_Click() {
    if (filling_ || !CanReadAgain(file_)) return;
    const QChar delimiter = kDelimiters[qBound(0, CmbxDelim->currentIndex(), 2)];
    Replan(
        [&](Busy& busy) { ApplyDelimiter(file_, delimiter, busy.Stage(tr("Reading the file"))); });
    FillMapping();
}

// The file read again from its bytes, in the encoding chosen (or as it
// says, for the first entry); the letters are fitted only after that.
void FrmImport::CmbxEnc_Click() {
    if (filling_ || path_.isEmpty()) return;
    OpenFile(path_, CmbxEnc->currentIndex() <= 0 ? QString() : CmbxEnc->currentText());
}

void FrmImport::TblMap_Change() {
    if (filling_) return;
    QVector<PartyField> mapping;
    for (int c = 0; c < TblMap->rowCount(); ++c) {
        const int at = static_cast<QComboBox*>(TblMap->cellWidget(c, 2))->currentIndex();
        mapping.append(at <= 0 ? PartyField::Count : PartyField(at - 1));
    }
    Replan([&](Busy& busy) { ApplyMapping(file_, mapping, busy.Stage(tr("Reading the file"))); });
}

void FrmImport::Replan(const std::function<void(Busy&)>& first) {
    {
        Busy busy(this, false);
        if (first) first(busy);
        plan_ = PlanImport(file_.source, book_, busy.Stage(tr("Checking the records")));
    }
    ShowPlan();
}

void FrmImport::ShowPlan() {
    CmbxChoice->setCurrentIndex(int(DuplicateChoice::Skip));
    ChkAll->setChecked(false);
    LblFormat->setText(tr("Format :- %1; %2")
                           .arg(file_.source.format)
                           .arg(Count(int(file_.source.records.size()), "record", "records")));
    const QString warning = EncodingWarning(file_);
    LblEncoding->setText(warning);
    LblEncoding->setVisible(!warning.isEmpty());
    FillPreview();
    CmdImport->setEnabled(!plan_.isEmpty());
}

void FrmImport::FillPreview() {
    LstvewPrevw->Clear();
    for (const ImportRow& r : plan_) {
        ListItem item = LstvewPrevw->Add(QString::number(r.line));
        item.SetSubItem(1, StatusText(r.status));
        item.SetSubItem(2, r.status == RowStatus::Duplicate ? ChoiceText(r.choice) : QString());
        item.SetSubItem(3, r.reason);
        for (int f = 0; f < kPartyFields - 1; ++f)
            item.SetSubItem(4 + f, r.fitted.party.v[f]);
    }
    LstvewPrevw->Flush();
    ShowCounts();
}

void FrmImport::ShowCounts() {
    const ImportCounts c = CountPlan(plan_);
    int duplicates = 0;
    for (const ImportRow& r : plan_)
        if (r.status == RowStatus::Duplicate) ++duplicates;
    LblCounts->setText(tr("%1: %2 to add, %3 to update, %4 to skip, %5 invalid "
                          "(%6). The book has room for %7 more parties.")
                           .arg(Count(int(plan_.size()), "record", "records"))
                           .arg(c.add)
                           .arg(c.update)
                           .arg(c.skip)
                           .arg(c.invalid)
                           .arg(Count(duplicates, "duplicate", "duplicates"))
                           .arg(kLargestId - book_.maxParty));
}

void FrmImport::SetChoice(int row, DuplicateChoice choice) {
    if (row < 0 || row >= plan_.size() || plan_[row].status != RowStatus::Duplicate) return;
    plan_[row].choice = choice;
    LstvewPrevw->Item(row + 1).SetSubItem(2, ChoiceText(choice));
}

void FrmImport::CmbxChoice_Click() {
    const auto choice = DuplicateChoice(CmbxChoice->currentIndex());
    if (ChkAll->isChecked()) {
        for (int i = 0; i < plan_.size(); ++i)
            SetChoice(i, choice);
    } else if (auto item = LstvewPrevw->SelectedItem()) {
        SetChoice(item->Index() - 1, choice);
    }
    ShowCounts();
}

void FrmImport::ChkAll_Click() {
    if (ChkAll->isChecked()) CmbxChoice_Click();
}

void FrmImport::LstvewPrevw_ItemClick() {
    auto item = LstvewPrevw->SelectedItem();
    if (!item || ChkAll->isChecked()) return;
    const int row = item->Index() - 1;
    if (row >= 0 && row < plan_.size() && plan_[row].status == RowStatus::Duplicate) {
        const QSignalBlocker quiet(CmbxChoice);
        CmbxChoice->setCurrentIndex(int(plan_[row].choice));
    }
}

void FrmImport::CmdStop_Click() {
    stopAsked_ = true;
}

void FrmImport::CmdImport_Click() {
    ImportOptions options;
    options.fileGroups = LstvewGrup->Count() > 0 && LstvewGrup->Item(1).Checked();
    for (int i = 2; i <= LstvewGrup->Count(); ++i)
        if (LstvewGrup->Item(i).Checked()) options.groupIds.append(groupIds_.value(i - 2));
    if (!options.fileGroups && options.groupIds.isEmpty()) {
        MsgBox(tr("Please select atleat on group to proceed further"), vbInformation, Caption());
        LstvewGrup->setFocus();
        return;
    }
    if (const int bare = RowsWithoutGroup(plan_, options)) {
        MsgBox(tr("%1 name no group in the file. Tick a group for them to join.")
                   .arg(Count(bare, "record", "records")),
               vbInformation, Caption());
        LstvewGrup->setFocus();
        return;
    }
    const ImportCounts counts = CountPlan(plan_);
    if (counts.add + counts.update == 0) {
        MsgBox(tr("Nothing to import: every record is skipped or invalid."), vbInformation,
               Caption());
        return;
    }
    if (MsgBox(tr("Add %1 and update %2?")
                   .arg(Count(counts.add, "party", "parties"))
                   .arg(Count(counts.update, "party", "parties")),
               vbYesNo, Caption()) != vbYes)
        return;

    importing_ = true;
    QString outcome;
    int icon = vbInformation;
    try {
        // The bar is back at its start before the outcome is told.
        Busy busy(this, true);
        const ReadProgress step = busy.Stage(tr("Importing"));
        const ImportResult done = ApplyImport(*Conn, plan_, options, [&](int n, int total) {
            step(n, total);
            return true;
        });
        outcome = ResultText(done);
    } catch (const ImportCancelled&) {
        outcome = tr("The import was cancelled. Nothing was imported; the address "
                     "book is as it was.");
    } catch (const ImportRefused& refused) {
        outcome = refused.text();
        icon = vbCritical;
    } catch (const std::exception& e) {
        outcome = tr("The import failed and nothing was imported.\n\n") + ErrorText(e);
        icon = vbCritical;
    }
    importing_ = false;
    ForgetDuplicateIndex();
    MsgBox(outcome, icon, Caption());
    // The book has changed (or not): the plan is made afresh against it.
    FillGroups();
    Replan(
        [&](Busy& busy) { book_ = ReadBook(*Conn, busy.Stage(tr("Reading the address book"))); });
    LblCounts->setText(outcome + u' ' + LblCounts->text());
}
