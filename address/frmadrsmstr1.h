#pragma once
// The address master: entering, changing and deleting parties.
//
// On the left the entry frame with one field per column of the party row
// and the checklist of groups the party belongs to; on the right, shown
// only while a party is being chosen, the search box and the party list.
// The window's code is spread over a few files:
//   frmadrsmstr1.cpp         the controls and their layout
//   frmadrsmstr1_entry.cpp   key and focus rules, city picker, buttons
//   frmadrsmstr1_save.cpp    validating, saving and deleting a party
//   frmadrsmstr1_list.cpp    the party list, the search box and loading

#include "address/longvalues.h"
#include "data/ids.h"
#include "data/recordset.h"
#include "data/rowcheck.h"
#include "platform/changedelsewhere.h"
#include "platform/entrybuttons.h"
#include "platform/form.h"

#include <exception>

class QComboBox;
class QGroupBox;
class QLabel;
class QLineEdit;
class QPlainTextEdit;
class QPushButton;
class ListView;
struct EnteredParty;

class FrmAdrsMstr1 : public Form {
    Q_OBJECT
  public:
    explicit FrmAdrsMstr1(QWidget* parent = nullptr);
    ~FrmAdrsMstr1() override;
    void Form_Load() override;

    // Window widths in twips: entry only, and entry with the party list.
    static constexpr int kNarrowWidth = 6000;
    static constexpr int kWideWidth = 10665;
    static constexpr int kHeight = 9495;

    QGroupBox* FrameAdrs = nullptr;
    QLineEdit* Txtname = nullptr;
    QLineEdit* TxtCntact = nullptr;
    QLineEdit* TxtAddrs = nullptr;
    QLineEdit* Txtarea = nullptr;
    QLineEdit* Txtland = nullptr;
    ListView* LstvewGrup1 = nullptr;
    QComboBox* CmbxCty = nullptr;
    QLabel* LblCty = nullptr;
    QLabel* LblState = nullptr;
    QLabel* LblContry = nullptr;
    QLineEdit* TxtPin = nullptr;
    QLineEdit* TxtVat = nullptr;
    QLineEdit* MskedtPhno = nullptr;
    QLineEdit* MskedtMobNo = nullptr;
    QLineEdit* Txtfax = nullptr;
    QLineEdit* Txtemail = nullptr;
    QLineEdit* Txtweb = nullptr;
    QPlainTextEdit* Txtnote = nullptr; // a LimitedTextEdit of FieldLength::Notes
    // Says which values of the loaded party are longer than their boxes
    // (hidden when none is).
    QLabel* LblLong = nullptr;
    QPushButton* CmdSave = nullptr;
    QPushButton* CmdEdt = nullptr;
    QPushButton* CmdDel = nullptr;
    QPushButton* CmdClos = nullptr;
    QLineEdit* TxtSrchadrs = nullptr;
    ListView* Lstvewadrs = nullptr;

    // The form's state, readable for the tests.
    bool NewEntry = false; // a new party is being entered
    EntryButtons Buttons;  // New/Save and Edit/Cancel, and the captions
    Integer ErrCount = 0;  // fields that failed the last validation
    Integer AdrsId = 0;    // the party loaded for change; 0 when none
    Integer CtyId = 0;     // the chosen city
    QString PickedCity;    // the name CtyId was chosen or loaded by

  private:
    void BuildControls();
    void WireEvents();

    // Entry rules, city picker and buttons.
    void Txtname_GotFocus();
    void Txtname_KeyPress(int& KeyAscii);
    void TxtCntact_KeyPress(int& KeyAscii);
    void TxtAddrs_KeyPress(int& KeyAscii);
    void Txtarea_KeyPress(int& KeyAscii);
    void Txtland_KeyPress(int& KeyAscii);
    void MskedtPhno_GotFocus();
    void MskedtPhno_KeyPress(int& KeyAscii);
    void MskedtPhno_LostFocus();
    void MskedtMobNo_GotFocus();
    void MskedtMobNo_KeyPress(int& KeyAscii);
    void CmbxCty_GotFocus();
    void CmbxCty_Click();
    void LookUpCity();
    QString ShownCity() const;
    bool ResolveTypedCity();
    void KeepShownCity();
    void CmbxCty_KeyPress(int& KeyAscii);
    void CmbxCty_LostFocus();
    void LblCty_Click();
    void LstvewGrup1_GotFocus();
    void LstvewGrup1_KeyPress(int& KeyAscii);
    void CmdSave_Click();
    void CmdEdt_Click();
    void CmdClos_Click();
    void ClearEntry();
    void FillCityCombo();
    void FillGroupList();
    int TickedGroups();

    // Validating, saving and deleting.
    void ValidateEntry();
    bool SaveAddress();
    void WriteParty(const QVariant& stamp);
    void WriteLinks(Integer partyId, int NextLink);
    void CmdDel_Click();
    EnteredParty EnteredNow() const;

    // The party list, the search box and loading a party.
    void TxtSrchadrs_GotFocus();
    void TxtSrchadrs_Change();
    void TxtSrchadrs_KeyPress(int& KeyAscii);
    void Lstvewadrs_KeyPress(int& KeyAscii);
    void Lstvewadrs_DblClick();
    void LoadAddress(const QString& id);
    void ShowLoadedValues();
    void FillAddressList();
    void PartyListFailed(const std::exception& e);
    QList<Integer> LoadGroups();
    void SayWhatIsMissing(Integer lostCity, const QList<Integer>& lostGroups);

    // A party changed elsewhere since it was loaded (frmadrsmstr1_changes.cpp).
    static const QStringList& PartyColumns();
    void RememberGroups(const QList<Integer>& memberIds);
    void RequireUnchanged();
    QList<EntryField> PartyFields();
    QString CityNamed(const QString& id);
    void ShowCity(const QString& id);
    QString GroupsNamed(const QString& ids) const;
    QString TickedIds() const;
    void TickGroups(const QString& ids);

    Recordset Rs;     // every query of the window but the group checklist's
    Recordset RsGrp;  // the group checklist and the party's memberships
    LongValues Long;  // the loaded party's values longer than their boxes
    LoadedRow Loaded; // the party as loaded for change, with its groups
    // While validation moves the focus, leaving the city combo must not
    // pull the focus on to the land-line field.
    bool Validating = false;
};
