#pragma once
// The export window: the whole book, one group or the Search Engine's
// current result, written as CSV or vCards to a file the user names.

#include "platform/form.h"

#include <QList>
#include <functional>
#include <optional>

class QComboBox;
class QLabel;
class QProgressBar;
class QPushButton;
class QRadioButton;

class FrmExport : public Form {
    Q_OBJECT
  public:
    explicit FrmExport(QWidget* parent = nullptr);
    void Form_Load() override;

    QRadioButton* OptnAll = nullptr;
    QRadioButton* OptnGroup = nullptr;
    QComboBox* CmbxGrup = nullptr;
    QRadioButton* OptnResult = nullptr;
    QRadioButton* OptnCsv = nullptr;
    QRadioButton* OptnVcf4 = nullptr;
    QRadioButton* OptnVcf3 = nullptr;
    QProgressBar* PrgBar = nullptr;
    QLabel* LblStatus = nullptr;
    QPushButton* CmdExport = nullptr;
    QPushButton* CmdClos = nullptr;

    // The ids of the Search Engine's current result, each party once, in
    // its order; none while no Search Engine is open. The main window,
    // which owns both windows, hands it over.
    std::function<std::optional<QList<int>>()> SearchResult;

  private:
    void FillGroups();
    void CmdExport_Click();
    QList<int> ChosenParties(const struct BookData& book, const std::optional<QList<int>>& result);
    QList<int> groupIds_;
};
