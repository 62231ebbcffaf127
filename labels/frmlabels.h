#pragma once
// The label window: address labels on a sheet of self-adhesive labels, or
// envelopes, for one party or many, with a preview, printing through the
// system's dialog and saving as PDF.

#include "labels/labelgeometry.h"
#include "labels/labelprint.h"
#include "party/addressblock.h"

#include <QDialog>

class QCheckBox;
class QComboBox;
class QDoubleSpinBox;
class QFontComboBox;
class QGroupBox;
class QLabel;
class QLineEdit;
class QPrinter;
class QPushButton;
class QRadioButton;
class QSpinBox;

class FrmLabels : public QDialog {
    Q_OBJECT
  public:
    // `attention` presets the attention line, as the form that opens the
    // window has it; `summary` says whose labels these are.
    FrmLabels(const QList<AddressBlock>& parties, int copies, bool attention,
              const QString& summary, QWidget* parent = nullptr);

    // Opens the window on its own, deleted when closed.
    static FrmLabels* Open(const QList<AddressBlock>& parties, int copies, bool attention,
                           const QString& summary, QWidget* parent);

    // The name the PDF entry of the printer list carries.
    static QString PdfPrinterName();

    // The sheet as the measures in the window give it.
    LabelSheet CurrentSheet() const;

    QLabel* LblParties = nullptr;
    QRadioButton* OptnSheet = nullptr;
    QRadioButton* OptnEnvelope = nullptr;

    QGroupBox* FrameSheet = nullptr;
    QComboBox* CmbxSheet = nullptr;
    QComboBox* CmbxPaper = nullptr;
    QSpinBox* SpnRows = nullptr;
    QSpinBox* SpnColumns = nullptr;
    QDoubleSpinBox* SpnLabelWidth = nullptr;
    QDoubleSpinBox* SpnLabelHeight = nullptr;
    QDoubleSpinBox* SpnLeftMargin = nullptr;
    QDoubleSpinBox* SpnTopMargin = nullptr;
    QDoubleSpinBox* SpnColumnGap = nullptr;
    QDoubleSpinBox* SpnRowGap = nullptr;
    QLineEdit* TxtSheetName = nullptr;
    QPushButton* CmdKeepSheet = nullptr;
    QPushButton* CmdForgetSheet = nullptr;
    QSpinBox* SpnFirstRow = nullptr;
    QSpinBox* SpnFirstColumn = nullptr;
    QLabel* LblSheetProblem = nullptr;

    QGroupBox* FrameEnvelope = nullptr;
    QComboBox* CmbxEnvelope = nullptr;
    QCheckBox* ChkSender = nullptr;
    QPushButton* CmdSender = nullptr;

    QFontComboBox* CmbxFont = nullptr;
    QDoubleSpinBox* SpnFontSize = nullptr;
    QCheckBox* ChkAttention = nullptr;
    QCheckBox* ChkPhone = nullptr;
    QSpinBox* SpnCopies = nullptr;

    QComboBox* CmbxPrinter = nullptr;
    QDoubleSpinBox* SpnOffsetX = nullptr;
    QDoubleSpinBox* SpnOffsetY = nullptr;

    QPushButton* CmdPreview = nullptr;
    QPushButton* CmdPrint = nullptr;
    QPushButton* CmdPdf = nullptr;
    QPushButton* CmdClose = nullptr;
    QLabel* LblStatus = nullptr;

  protected:
    void done(int result) override;

  private:
    QGroupBox* CreateChoice();
    QGroupBox* CreateSheetFrame();
    QGroupBox* CreateEnvelopeFrame();
    QGroupBox* CreateTextFrame();
    QGroupBox* CreatePrinterFrame();
    void LoadChoices();
    void SaveChoices();
    void FillSheets(const QString& select);
    void ShowSheet(const LabelSheet& sheet);
    void SheetChosen();
    void MeasuresChanged();
    void ModeChanged();
    void PrinterChosen();
    void OffsetChanged();
    void KeepSheet();
    void ForgetSheet();
    void EditSender();
    void Preview();
    void Print();
    void SavePdf();

    LabelStyle Style(QPointF offsetMm) const;
    QStringList SenderLines() const;
    // Sets the printer's paper for what is printed.
    void PreparePaper(QPrinter* printer) const;
    // The pages the labels or envelopes take.
    int PagesToPrint() const;
    // The run fitted for printing, after asking about more than 100 pages
    // ("... pages: <doing> them?") and naming the parties that do not fit
    // whole; nothing when the user says no or stops it.
    std::optional<LabelRun> PrepareRun(const QString& doing);
    // Paints every label or envelope of the run with a progress bar; the
    // number of pages (0: could not start, -1: stopped). `outlines` draws
    // the labels' edges, for the preview only.
    int Render(QPrinter* printer, const LabelRun& run, QPointF offsetMm, bool outlines = false);
    class Progress;
    void ShowStatus(const QString& text);

    QList<AddressBlock> parties_;
    QList<LabelSheet> sheets_; // as listed in CmbxSheet
    QList<EnvelopeLayout> envelopes_;
    bool showingSheet_ = false;
};
