#pragma once
// The register of cities, with their states and countries. A city is added
// after New, or picked from the list (shown beside the entry while Edit is
// pressed) to be changed or deleted. Deleting only marks the row, so
// parties that point to the city still find it.

#include "data/ids.h"
#include "data/recordset.h"
#include "data/rowcheck.h"
#include "masters/registerflow.h"
#include "platform/busynotice.h"
#include "platform/changedelsewhere.h"
#include "platform/entrybuttons.h"
#include "platform/form.h"

#include <QDateTime>

class QGroupBox;
class QLabel;
class QLineEdit;
class QPushButton;
class ListView;

class FrmCsC : public Form {
    Q_OBJECT
  public:
    explicit FrmCsC(QWidget* parent = nullptr);
    void Form_Load() override;

    QGroupBox* FrameCsC = nullptr;
    QLabel* Label1 = nullptr;
    QLabel* Label2 = nullptr;
    QLabel* Label3 = nullptr;
    QLineEdit* txtcty = nullptr;
    QLineEdit* txtstate = nullptr;
    QLineEdit* txtcontry = nullptr;
    QPushButton* CmdSave = nullptr;
    QPushButton* CmdEdt = nullptr;
    QPushButton* CmdDel = nullptr;
    QPushButton* CmdClos = nullptr;
    ListView* LstvewCsc = nullptr;

  private:
    void CmdSave_Click();
    void CmdEdt_Click();
    void CmdDel_Click();
    void CmdClos_Click();
    void LstvewCsc_DblClick();
    void LstvewCsc_KeyPress(int& KeyAscii);
    void txtcty_GotFocus();
    void txtcty_KeyPress(int& KeyAscii);
    void txtstate_GotFocus();
    void txtstate_KeyPress(int& KeyAscii);
    void txtcontry_GotFocus();
    void txtcontry_KeyPress(int& KeyAscii);

    bool SaveCity();
    QList<EntryField> CityFields();
    void MarkCityDeleted(const QDateTime& now);
    void FillCityList();
    BusyRerun CityListAgain();

    Recordset Rs;
    LoadedRow Loaded; // the city as loaded for change
    bool NewEntry = false;
    EntryButtons Buttons; // New/Save and Edit/Cancel, and the captions
    RegisterFlow Flow;    // what New, Save, Edit, Cancel and Delete do to the window
    Integer CtyId = 0;
};
