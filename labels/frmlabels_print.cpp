// The label window's output: the preview, the system's print dialog and
// the PDF file, all painted by one routine.

#include "data/userfile.h"
#include "labels/frmlabels.h"
#include "labels/labelsettings.h"
#include "platform/dialogfolders.h"
#include "platform/errors.h"
#include "platform/events.h"
#include "platform/filedialogs.h"
#include "platform/msgbox.h"

#include <QCheckBox>
#include <QComboBox>
#include <QDir>
#include <QDoubleSpinBox>
#include <QFileInfo>
#include <QFontComboBox>
#include <QLabel>
#include <QPrintDialog>
#include <QPrintPreviewDialog>
#include <QPrinter>
#include <QRadioButton>
#include <QSpinBox>
#include <QTemporaryDir>

LabelStyle FrmLabels::Style(QPointF offsetMm) const {
    LabelStyle style;
    style.font = CmbxFont->currentFont();
    style.font.setPointSizeF(SpnFontSize->value());
    style.attention = ChkAttention->isChecked();
    style.phone = ChkPhone->isChecked();
    style.offsetMm = offsetMm;
    return style;
}

QStringList FrmLabels::SenderLines() const {
    if (!ChkSender->isChecked()) return {};
    QStringList lines = LabelSettings::Sender();
    lines.removeIf([](const QString& line) { return line.trimmed().isEmpty(); });
    return lines;
}

void FrmLabels::PreparePaper(QPrinter* printer) const {
    if (OptnEnvelope->isChecked()) {
        const EnvelopeLayout& e = envelopes_[qMax(0, CmbxEnvelope->currentIndex())];
        PreparePrinter(printer, e.name, e.sizeMm, QPageLayout::Landscape);
    } else {
        const LabelSheet sheet = CurrentSheet();
        PreparePrinter(printer, sheet.name, sheet.paperMm, QPageLayout::Portrait);
    }
}

void FrmLabels::ShowStatus(const QString& text) {
    LblStatus->setText(text);
    LblStatus->setToolTip(text);
}

void FrmLabels::Preview() {
    SaveChoices();
    QPrinter printer(QPrinter::HighResolution);
    const QString name = CmbxPrinter->currentText();
    if (name == PdfPrinterName())
        printer.setOutputFormat(QPrinter::PdfFormat);
    else
        printer.setPrinterName(name);
    PreparePaper(&printer);
    const QPointF offset(SpnOffsetX->value(), SpnOffsetY->value());
    const std::optional<LabelRun> run = PrepareRun(tr("preview"));
    if (!run) return;
    QPrintPreviewDialog preview(&printer, this);
    preview.setObjectName(QStringLiteral("LabelPreview"));
    preview.setWindowTitle(tr("Preview: %1").arg(LblParties->text()));
    preview.resize(900, 680);
    On::Signal(&preview, &QPrintPreviewDialog::paintRequested,
               [&](QPrinter* p) { Render(p, *run, offset, true); });
    preview.exec();
}

void FrmLabels::Print() {
    SaveChoices();
    QPrinter printer(QPrinter::HighResolution);
    const QString name = CmbxPrinter->currentText();
    if (name != PdfPrinterName()) printer.setPrinterName(name);
    PreparePaper(&printer);
    const std::optional<LabelRun> run = PrepareRun(tr("print"));
    if (!run) return;
    QPrintDialog dialog(&printer, this);
    dialog.setWindowTitle(tr("Print labels"));
    if (dialog.exec() != QDialog::Accepted) return;
    // The offset of the printer chosen in the system's dialog, which may
    // be another one than the list shows.
    const QString chosen =
        printer.outputFormat() == QPrinter::PdfFormat ? PdfPrinterName() : printer.printerName();
    const int pages = Render(&printer, *run, LabelSettings::Offset(chosen));
    if (pages < 0) {
        ShowStatus(tr("Stopped: the print job was cancelled."));
        return;
    }
    if (pages < 1)
        throw std::runtime_error(
            tr("The printer %1 could not be started.").arg(chosen).toStdString());
    ShowStatus(tr("%1 sent to %2.").arg(PageCount(pages), chosen));
}

void FrmLabels::SavePdf() {
    SaveChoices();
    const std::optional<LabelRun> run = PrepareRun(tr("print"));
    if (!run) return;
    const QString folder = DialogFolders::Existing(LabelSettings::LastPdfFolder());
    const QString suggested = QDir(folder).filePath(
        OptnEnvelope->isChecked() ? QStringLiteral("envelopes.pdf") : QStringLiteral("labels.pdf"));
    QString path = FileDialogs::GetSaveFileName(this, tr("Save labels as PDF"), suggested,
                                                tr("PDF files (*.pdf);;All files (*)"));
    if (path.isEmpty()) return;
    if (QFileInfo(path).suffix().isEmpty()) path += QStringLiteral(".pdf");
    try {
        UserFile::Check(path);
    } catch (const WriteRefused& e) {
        MsgBox(tr("The labels cannot be saved there.\n\n%1").arg(ErrorText(e)), vbCritical,
               windowTitle());
        return;
    }

    // The printer writes its file unchecked: it draws into a private folder
    // of its own, and only a PDF drawn to its end goes through the checked
    // writer to the file chosen.
    QTemporaryDir work;
    const QString drawn = work.filePath(QStringLiteral("labels.pdf"));
    int pages = 0;
    {
        QPrinter printer(QPrinter::HighResolution);
        printer.setOutputFormat(QPrinter::PdfFormat);
        printer.setOutputFileName(drawn);
        printer.setCreator(QStringLiteral("Address book"));
        if (work.isValid()) pages = Render(&printer, *run, LabelSettings::Offset(PdfPrinterName()));
    }
    if (pages < 0) {
        ShowStatus(tr("Stopped: nothing was saved."));
        return;
    }
    QFile in(drawn);
    const QByteArray pdf = in.open(QIODevice::ReadOnly) ? in.readAll() : QByteArray();
    try {
        if (pages < 1 || !pdf.trimmed().endsWith("%%EOF"))
            throw std::runtime_error(
                tr("The labels could not be drawn into a PDF in %1 (is its disk "
                   "full?).")
                    .arg(QDir::toNativeSeparators(QDir::tempPath()))
                    .toStdString());
        UserFile::Write(path, pdf);
    } catch (const std::exception& e) {
        MsgBox(tr("The PDF file could not be saved: nothing was written.\n\n%1").arg(ErrorText(e)),
               vbCritical, windowTitle());
        return;
    }
    LabelSettings::SetLastPdfFolder(QFileInfo(path).absolutePath());
    ShowStatus(tr("%1 saved to %2.").arg(PageCount(pages), QDir::toNativeSeparators(path)));
}
