#pragma once
// The register of groups, the labels the address form ticks for each party.
// A group is added after New, or picked from the list (shown beside the
// entry while Edit is pressed) to be renamed or deleted. Deleting a group
// removes it for good, with its memberships.

#include "data/ids.h"
#include "data/recordset.h"
#include "data/rowcheck.h"
#include "masters/registerflow.h"
#include "platform/busynotice.h"
#include "platform/entrybuttons.h"
#include "platform/form.h"

class QGroupBox;
class QLabel;
class QLineEdit;
class QPushButton;
class ListView;

class FrmGrupMstr : public Form {
    Q_OBJECT
  public:
    explicit FrmGrupMstr(QWidget* parent = nullptr);
    void Form_Load() override;

    QGroupBox* FrameCsC = nullptr;
    QLabel* Label1 = nullptr;
    QLineEdit* txtGrup = nullptr;
    QPushButton* CmdSave = nullptr;
    QPushButton* CmdEdt = nullptr;
    QPushButton* CmdDel = nullptr;
    QPushButton* CmdClos = nullptr;
    ListView* LstvewGrup = nullptr;

  private:
    void txtGrup_GotFocus();
    void txtGrup_KeyPress(int& KeyAscii);
    void CmdSave_Click();
    void CmdEdt_Click();
    void CmdDel_Click();
    void CmdClos_Click();
    void LstvewGrup_DblClick();
    void LstvewGrup_KeyPress(int& KeyAscii);

    bool SaveGroup();
    void DeleteGroup();
    void FillGroupList();
    BusyRerun GroupListAgain();

    bool NewEntry = false;

    EntryButtons Buttons; // New/Save and Edit/Cancel, and the captions
    RegisterFlow Flow;    // what New, Save, Edit, Cancel and Delete do to the window
    Integer GrpId = 0;
    Recordset Rs;
    LoadedRow Loaded; // the group as loaded for change
};
