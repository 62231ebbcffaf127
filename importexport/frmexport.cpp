#include "importexport/frmexport.h"

#include "data/connmodule.h"
#include "data/recordset.h"
#include "data/userfile.h"
#include "party/bookdata.h"
#include "importexport/exportfile.h"
#include "importexport/windowparts.h"
#include "platform/errors.h"
#include "platform/events.h"
#include "platform/filedialogs.h"
#include "platform/msgbox.h"
#include "platform/twips.h"
#include "platform/vb.h"

#include <QApplication>
#include <QComboBox>
#include <QDir>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QProgressBar>
#include <QPushButton>
#include <QRadioButton>
#include <QVBoxLayout>

namespace {} // namespace

FrmExport::FrmExport(QWidget* parent) : Form(parent) {
    setObjectName(QStringLiteral("FrmExport"));
    auto* layout = new QVBoxLayout(this);

    auto* parties = Named(new QGroupBox(tr("Parties to export"), this), "FrameParties");
    auto* grid = new QGridLayout(parties);
    OptnAll = Named(new QRadioButton(tr("Whole book"), parties), "OptnAll");
    OptnGroup = Named(new QRadioButton(tr("One &group:"), parties), "OptnGroup");
    CmbxGrup = Named(new QComboBox(parties), "CmbxGrup");
    CmbxGrup->setMinimumWidth(Px(2400));
    OptnResult = Named(new QRadioButton(tr("Search Engine's res&ult"), parties), "OptnResult");
    grid->addWidget(OptnAll, 0, 0, 1, 2);
    grid->addWidget(OptnGroup, 1, 0);
    grid->addWidget(CmbxGrup, 1, 1);
    grid->addWidget(OptnResult, 2, 0, 1, 2);
    OptnAll->setChecked(true);
    layout->addWidget(parties);

    auto* format = Named(new QGroupBox(tr("Format"), this), "FrameFormat");
    auto* formats = new QVBoxLayout(format);
    OptnCsv = Named(new QRadioButton(tr("CSV, for spreadsheet programs"), format), "OptnCsv");
    OptnVcf4 = Named(new QRadioButton(tr("vCard &4.0"), format), "OptnVcf4");
    OptnVcf3 = Named(new QRadioButton(tr("vCard &3.0, for older phones"), format), "OptnVcf3");
    formats->addWidget(OptnCsv);
    formats->addWidget(OptnVcf4);
    formats->addWidget(OptnVcf3);
    OptnCsv->setChecked(true);
    layout->addWidget(format);

    PrgBar = Named(new QProgressBar(this), "PrgBar");
    PrgBar->setRange(0, 100);
    PrgBar->setValue(0);
    layout->addWidget(PrgBar);
    LblStatus = Named(new QLabel(this), "LblStatus");
    LblStatus->setWordWrap(true);
    layout->addWidget(LblStatus);

    auto* buttons = new QHBoxLayout;
    CmdExport = Named(new QPushButton(tr("E&xport"), this), "CmdExport");
    CmdClos = Named(new QPushButton(tr("Close"), this), "CmdClos");
    for (QPushButton* b : {CmdExport, CmdClos}) {
        b->setAutoDefault(true);
        b->setMinimumSize(Px(1095), Px(375));
    }
    buttons->addStretch();
    buttons->addWidget(CmdExport);
    buttons->addWidget(CmdClos);
    layout->addLayout(buttons);

    On::Click(CmdExport, [this] { CmdExport_Click(); });
    On::Click(CmdClos, [this] { Unload(); });
    On::Click(CmbxGrup, [this] { OptnGroup->setChecked(true); });
}

void FrmExport::Form_Load() {
    SetTop(0);
    SetLeft(100);
    SetWidth(6600);
    SetHeight(5400);
    SetCaption(AppTitle + QStringLiteral(" ") + QStringLiteral("(EXPORT PARTIES)"));
    FillGroups();
}

void FrmExport::FillGroups() {
    CmbxGrup->clear();
    groupIds_.clear();
    for (const auto& [id, name] : ReadGroups(*Conn)) {
        CmbxGrup->addItem(name);
        groupIds_.append(id);
    }
}

// `result`: the Search Engine's result, when it is what is exported.
QList<int> FrmExport::ChosenParties(const BookData& book, const std::optional<QList<int>>& result) {
    if (OptnGroup->isChecked()) {
        const int at = CmbxGrup->currentIndex();
        return at < 0 ? QList<int>() : book.PartiesIn(groupIds_.value(at));
    }
    if (result) return *result;
    QList<int> ids;
    for (const BookParty& p : book.parties)
        ids.append(p.id);
    return ids;
}

void FrmExport::CmdExport_Click() {
    std::optional<QList<int>> result;
    if (OptnResult->isChecked() && SearchResult) result = SearchResult();
    if (OptnResult->isChecked() && !result) {
        MsgBox(tr("Open the Search Engine and search first; its result is what "
                  "is exported."),
               vbInformation, Caption());
        return;
    }
    const BookData book = ReadBook(*Conn);
    const QList<int> ids = ChosenParties(book, result);
    if (ids.isEmpty()) {
        MsgBox(tr("There are no parties to export."), vbInformation, Caption());
        return;
    }
    const ExportFormat format = OptnCsv->isChecked()    ? ExportFormat::Csv
                                : OptnVcf4->isChecked() ? ExportFormat::VCard4
                                                        : ExportFormat::VCard3;
    const QString folder = ContactsFolder();
    const QString file = FileDialogs::GetSaveFileName(
        this, tr("Export Parties"),
        QDir(folder).filePath(QStringLiteral("parties") + ExportSuffix(format)),
        format == ExportFormat::Csv ? tr("CSV files (*.csv);;All files (*)")
                                    : tr("vCard files (*.vcf);;All files (*)"));
    if (file.isEmpty()) return;
    RememberContactsFolder(file);
    try {
        UserFile::Check(file);
    } catch (const WriteRefused& e) {
        MsgBox(tr("The parties cannot be exported there.\n\n") + ErrorText(e), vbCritical,
               Caption());
        return;
    }

    CmdExport->setEnabled(false);
    PrgBar->setRange(0, int(ids.size()));
    const QByteArray bytes = ExportBytes(book, ids, format, [this](int done, int) {
        PrgBar->setValue(done);
        QApplication::processEvents(QEventLoop::ExcludeUserInputEvents);
        return true;
    });
    QString error;
    const bool written = WriteExportFile(file, bytes, &error);
    CmdExport->setEnabled(true);
    if (!written) {
        LblStatus->setText(QString());
        MsgBox(tr("The parties could not be exported: nothing was written.\n\n") + error,
               vbCritical, Caption());
        return;
    }
    const QString done =
        tr("%1 parties exported to %2.").arg(ids.size()).arg(QDir::toNativeSeparators(file));
    LblStatus->setText(done);
    MsgBox(done, vbInformation, Caption());
}
