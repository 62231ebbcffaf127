#pragma once
// The search engine: live searches over the parties. The user picks a group
// (or all groups), a filter and types a value; every change of the value
// rebuilds the result list, and the panel below it shows the chosen party,
// with its e-mail address and web site as links.

#include "data/ids.h"
#include "data/recordset.h"
#include "party/addressblock.h"
#include "platform/busynotice.h"
#include "platform/form.h"
#include "search/citynames.h"

class QCheckBox;
class QComboBox;
class QGroupBox;
class QLabel;
class QLineEdit;
class QPushButton;
class ListView;

class FrmSrchEngn : public Form {
    Q_OBJECT
  public:
    explicit FrmSrchEngn(QWidget* parent = nullptr);
    void Form_Load() override;

    // Filter area
    QGroupBox* Frame1 = nullptr;
    QLabel* Label33 = nullptr;
    QComboBox* CmbxGrup1 = nullptr;
    QCheckBox* ChkAll = nullptr;
    QLabel* Label1 = nullptr;
    QComboBox* Cmbxfiltr = nullptr;
    QLabel* Label2 = nullptr;
    QLineEdit* TxtValue = nullptr;
    ListView* LstvewGrup2 = nullptr;  // hidden: group name -> group id
    QPushButton* CmdLabels = nullptr; // labels for every party of the result

    // Result list and detail panel
    ListView* LstvewSrch = nullptr;
    QGroupBox* Frame2 = nullptr;
    QLabel *Label3 = nullptr, *Label4 = nullptr;   // name
    QLabel *Label5 = nullptr, *Label16 = nullptr;  // contact person
    QLabel *Label6 = nullptr, *Label7 = nullptr;   // address
    QLabel *Label8 = nullptr, *Label9 = nullptr;   // area / land mark
    QLabel *Label17 = nullptr, *Label18 = nullptr; // city
    QLabel *Label19 = nullptr, *Label20 = nullptr; // state
    QLabel *Label21 = nullptr, *Label22 = nullptr; // country
    QLabel *Label23 = nullptr, *Label24 = nullptr; // pin
    QLabel *Label25 = nullptr, *Label11 = nullptr; // phone
    QLabel *Label26 = nullptr, *Label27 = nullptr; // mobile
    QLabel *Label29 = nullptr, *Label28 = nullptr; // fax
    QLabel *Label30 = nullptr, *Label31 = nullptr; // VAT/CST
    QLabel *Label12 = nullptr, *Label13 = nullptr; // e-mail (link)
    QLabel *Label14 = nullptr, *Label15 = nullptr; // web site (link)
    QLabel *Label10 = nullptr, *Label32 = nullptr; // remarks

    // The whole result of the last search, once its list has filled (a
    // fill still running is finished first). Rows hold the display texts of
    // the fifteen columns.
    ListView* WholeResult();

    // The search spans all groups (decided from the group box: see DecideAllGroups).
    bool AllGroups = false;
    Integer SelectedGroupId = 0;

    // Every party of the current result, each once, in the result's order:
    // the last search's statement read again, whatever the list shows.
    QList<Integer> ResultPartyIds();

  signals:
    // Parties to print on a sheet of labels or on envelopes, with the copies
    // of each, the attention line preset and whose labels they are: the
    // main window hands them to the label window.
    void LabelsWanted(const QList<AddressBlock>& parties, int copies, bool attention,
                      const QString& summary);

  private:
    void CreateFilterArea();
    void CreateResultArea();
    void WireEvents();

    // Filter area (frmsrchengn_filters.cpp)
    void CmbxGrup1_GotFocus();
    void CmbxGrup1_KeyPress(int& KeyAscii);
    void CmbxGrup1_LostFocus();
    void ChkAll_Click();
    void ChkAll_KeyPress(int& KeyAscii);
    void Cmbxfiltr_GotFocus();
    void DecideAllGroups();
    void Cmbxfiltr_KeyPress(int& KeyAscii);
    void Cmbxfiltr_LostFocus();
    void TxtValue_GotFocus();
    void TxtValue_Change();

    // Statements (frmsrchengn_query.cpp)
    void LoadGroups();
    void SearchAllGroups();
    void SearchInGroup();
    void RunSearch(const QString& statement);
    void ClearResult();
    // A search that gave up on another program's lock: the search for what
    // the value box then holds, run once the book is free.
    BusyRerun SearchAgain();

    // Result list and panel (frmsrchengn_results.cpp)
    // Positions of the fields a result row reads, found once per result.
    struct ResultFields {
        explicit ResultFields(Recordset& rs);
        int name, contact, adrs1, adrs2, adrs3, cityId;
        int columns7to14[8];
    };
    void FillResultList();
    bool AddResultRows(const ResultFields& f, int rows);
    void AddResultRow(const ResultFields& f);
    void ShowSelectedAddress();
    void LstvewSrch_GotFocus();
    void LstvewSrch_ItemClick();

    // Labels (frmsrchengn_labels.cpp)
    void CmdLabels_Click();

    // Links (frmsrchengn_links.cpp)
    void Label13_Click();
    void Label15_Click();
    void OpenLink(QLabel* link, const QString& prefix);

    Recordset RsSrch;
    QByteArray RowText;      // a cell joined from two fields, its room kept from row to row
    CityNames Cities;        // of the fill running, read with its first row that has a city
    QString ResultStatement; // the search the result list shows, read again for labels
};

// The target handed to the desktop for a link's value: the prefix put in
// front, unless the value already starts with that scheme or, for a web
// site, with "https://" (in any letter case).
QString LinkTarget(const QString& prefix, const QString& value);
