#pragma once
// The import window: a CSV or vCard file shown as it will be stored, with
// the CSV columns mapped to the party's fields (guessed from the header,
// changeable), the groups the parties join, each record's status (new,
// duplicate, invalid, with the reason) and, for each duplicate, whether to
// skip it, update the existing party or add it anyway.

#include "party/importplan.h"
#include "importexport/importsource.h"
#include "platform/form.h"

#include <functional>

class QCheckBox;
class QComboBox;
class QGroupBox;
class QLabel;
class QProgressBar;
class QPushButton;
class QTableWidget;
class ListView;

class FrmImport : public Form {
    Q_OBJECT
  public:
    explicit FrmImport(QWidget* parent = nullptr);
    void Form_Load() override;

    QLabel* LblFile = nullptr;
    QPushButton* CmdBrowse = nullptr;
    QLabel* LblFormat = nullptr;
    QComboBox* CmbxDelim = nullptr;
    QComboBox* CmbxEnc = nullptr;  // reads the file again in the encoding chosen
    QLabel* LblEncoding = nullptr; // what the letters may have suffered
    QGroupBox* FrameMap = nullptr;
    QTableWidget* TblMap = nullptr;
    ListView* LstvewGrup = nullptr; // row 1: the groups named in the file
    ListView* LstvewPrevw = nullptr;
    QComboBox* CmbxChoice = nullptr;
    QCheckBox* ChkAll = nullptr;
    QLabel* LblCounts = nullptr;
    QProgressBar* PrgBar = nullptr;
    QPushButton* CmdImport = nullptr;
    QPushButton* CmdStop = nullptr;
    QPushButton* CmdClos = nullptr;

    // Opens a file (the Browse button asks for one first).
    // `encoding`, when given, is used instead of the one the file suggests.
    void OpenFile(const QString& path, const QString& encoding = {});
    const QList<ImportRow>& Plan() const { return plan_; }
    bool Importing() const { return importing_; }

    void CmdBrowse_Click();

  protected:
    void closeEvent(QCloseEvent* e) override;

  private:
    void CmbxDelim_Click();
    void CmbxEnc_Click();
    void TblMap_Change();
    void CmbxChoice_Click();
    void ChkAll_Click();
    void LstvewPrevw_ItemClick();
    void CmdImport_Click();
    void CmdStop_Click();

    void FillMapping();
    void FillGroups();
    class Busy;
    // Plans the file afresh with the bar, after `first` (the file read
    // through another delimiter or mapping, or the book read again); then
    // shows the plan.
    void Replan(const std::function<void(Busy&)>& first = {});
    void ShowPlan();
    void FillPreview();
    void ShowCounts();
    void SetChoice(int row, DuplicateChoice choice);

    ContactsFile file_;
    QString path_; // the file shown
    BookData book_;
    QList<ImportRow> plan_;
    QList<int> groupIds_;
    bool importing_ = false;
    bool busy_ = false; // reading a file or importing: only Cancel answers
    bool stopAsked_ = false;
    bool filling_ = false;
};
