// The result list and the panel that shows the chosen row.

#include "search/frmsrchengn.h"

#include "data/connmodule.h"
#include "platform/listview.h"
#include "platform/vb.h"
#include "search/searchpanel.h"

#include <QApplication>
#include <QLabel>

FrmSrchEngn::ResultFields::ResultFields(Recordset& rs) {
    QHash<QString, int> byName;
    for (int c = rs.FieldCount() - 1; c >= 0; --c)
        byName.insert(rs.Fields(c).Name().toLower(), c);
    auto at = [&](const char* field) { return byName.value(QString::fromLatin1(field), -1); };
    name = at("adrsname");
    contact = at("adrscontact");
    adrs1 = at("adrs1");
    adrs2 = at("adrs2");
    adrs3 = at("adrs3");
    cityId = at("adrsctyid");
    const char* const rest[] = {"adrspin",   "adrsphno",  "adrsmobno", "adrsfax",
                                "adrscstno", "adrsemail", "adrsweb",   "adrsnotes"};
    for (int i = 0; i < 8; ++i)
        columns7to14[i] = at(rest[i]);
}

namespace {

// A wait cursor while a long list fills.
class BusyCursor {
  public:
    explicit BusyCursor(bool busy) : busy_(busy) {
        if (busy_) QApplication::setOverrideCursor(Qt::WaitCursor);
    }
    ~BusyCursor() {
        if (busy_) QApplication::restoreOverrideCursor();
    }
    BusyCursor(const BusyCursor&) = delete;
    BusyCursor& operator=(const BusyCursor&) = delete;

  private:
    bool busy_;
};

} // namespace

void FrmSrchEngn::FillResultList() {
    if (RsSrch.RecordCount() < 1) {
        LstvewSrch->Clear();
        return;
    }
    LstvewSrch->Clear();
    const BusyCursor busy(RsSrch.RecordCount() > 2000);
    const ResultFields f(RsSrch);
    InOneRead(*Conn2, [&] {
        while (!RsSrch.Eof()) {
            if (!RsSrch.Fields(f.name).IsNull()) AddResultRow(f);
            RsSrch.MoveNext();
        }
    });
}

// One row from the current record; a Null field leaves its cell empty.
void FrmSrchEngn::AddResultRow(const ResultFields& f) {
    auto field = [&](int column) { return RsSrch.Fields(column); };

    ListItem row = LstvewSrch->Add(field(f.name).Str());
    auto setCell = [&](int cell, int column) {
        const Field v = field(column);
        if (!v.IsNull()) row.SetSubItem(cell, Trim(v.Str()));
    };
    setCell(1, f.contact);
    const Field adrs1 = field(f.adrs1), adrs2 = field(f.adrs2);
    const QString first = Trim(adrs1.Str());
    if (!adrs1.IsNull()) row.SetSubItem(2, first);
    if (!adrs2.IsNull()) row.SetSubItem(2, first + QStringLiteral(",") + Trim(adrs2.Str()));
    setCell(3, f.adrs3);
    const Field cityId = field(f.cityId);
    if (!cityId.IsNull()) {
        if (RsCty.State() == adStateOpen) RsCty.Close();
        RsCty.Open(QStringLiteral("Select * from cscmstr where ctyid like '") +
                       QString::number(CInt(cityId.Value())) + QStringLiteral("'"),
                   Conn2, adOpenStatic, adLockBatchOptimistic);
        if (RsCty.RecordCount() >= 1) {
            row.SetSubItem(4, Trim(RsCty.Fields("ctyname").Str()));
            row.SetSubItem(5, Trim(RsCty.Fields("Statename").Str()));
            row.SetSubItem(6, Trim(RsCty.Fields("Contryname").Str()));
        }
    }
    for (int i = 0; i < 8; ++i)
        setCell(7 + i, f.columns7to14[i]);
}

// The panel follows the selected row; with no row (or none selected) it
// keeps what it showed.
void FrmSrchEngn::ShowSelectedAddress() {
    if (LstvewSrch->Count() < 1) return;
    const std::optional<ListItem> selected = LstvewSrch->SelectedItem();
    if (!selected) return;
    for (int column = 0; column < kResultColumnCount; ++column)
        (this->*kPanelLines[column].valueLabel)->setText(selected->SubItem(column));
}

void FrmSrchEngn::LstvewSrch_GotFocus() {
    ShowSelectedAddress();
}

void FrmSrchEngn::LstvewSrch_ItemClick() {
    ShowSelectedAddress();
}
