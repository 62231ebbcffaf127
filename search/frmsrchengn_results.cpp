// The result list and the panel that shows the chosen row.

#include "search/frmsrchengn.h"

#include "data/connmodule.h"
#include "platform/errors.h"
#include "platform/listview.h"
#include "platform/vb.h"
#include "search/searchpanel.h"

#include <QLabel>
#include <QLineEdit>

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

// The first screen (or the whole of a short result) is added at once;
// the rest a slice at a time from the event loop, each slice with its own
// short read, so that no read stays open between slices. The cities are
// read once, in the first slice that needs them, and kept until the fill
// ends.
void FrmSrchEngn::FillResultList() {
    LstvewSrch->Clear();
    Cities.Clear();
    if (RsSrch.Eof()) return; // no record: the list stays empty
    const ResultFields f(RsSrch);
    if (!AddResultRows(f, FirstSliceRows(RsSrch))) return LstvewSrch->Flush(); // all there
    LstvewSrch->FillInSlices([this, f](int rows) { return AddResultRows(f, rows); });
    RsSrch.OnReuse([this] { LstvewSrch->FinishFill(); });
}

bool FrmSrchEngn::AddResultRows(const ResultFields& f, int rows) {
    bool more = false;
    try {
        InOneRead(*Conn2, [&] {
            more = WalkRows(RsSrch, rows, [&] {
                if (!RsSrch.Fields(f.name).IsNull()) AddResultRow(f);
            });
        });
    } catch (const std::exception& e) {
        // As when the statement fails: the list ends empty (with a notice
        // when another program holds the book, and the search again when
        // it lets go).
        NoteIfBusy(TxtValue, e, SearchAgain());
        ClearResult();
        return false;
    }
    if (!more) Cities.Clear();
    return more;
}

ListView* FrmSrchEngn::WholeResult() {
    LstvewSrch->FinishFill();
    return LstvewSrch;
}

// One row from the current record; a Null field leaves its cell empty. The
// texts go from the record to the list as they are stored, as UTF-8.
void FrmSrchEngn::AddResultRow(const ResultFields& f) {
    auto field = [&](int column) { return RsSrch.Fields(column); };

    ListItem row = LstvewSrch->Add(field(f.name).Utf8());
    auto setCell = [&](int cell, int column) {
        const Field v = field(column);
        if (!v.IsNull()) row.SetSubItem(cell, Trim(v.Utf8()));
    };
    setCell(1, f.contact);
    const Field adrs1 = field(f.adrs1), adrs2 = field(f.adrs2);
    if (!adrs2.IsNull()) {
        const QUtf8StringView first = Trim(adrs1.Utf8());
        RowText.resize(0);
        RowText.append(first.data(), first.size()).append(',');
        const QUtf8StringView second = Trim(adrs2.Utf8());
        RowText.append(second.data(), second.size());
        row.SetSubItem(2, QUtf8StringView(RowText));
    } else if (!adrs1.IsNull()) {
        row.SetSubItem(2, Trim(adrs1.Utf8()));
    }
    setCell(3, f.adrs3);
    const Field cityId = field(f.cityId);
    if (!cityId.IsNull()) {
        const Integer id = CInt(cityId.Value());
        if (!Cities.IsRead()) Cities.Read(Conn2);
        if (const CityNames::City* city = Cities.Find(id)) {
            row.SetSubItem(4, QUtf8StringView(city->name));
            row.SetSubItem(5, QUtf8StringView(city->state));
            row.SetSubItem(6, QUtf8StringView(city->country));
        }
    }
    for (int i = 0; i < 8; ++i)
        setCell(7 + i, f.columns7to14[i]);
}

// The panel follows the selected row, chosen with the mouse or the keys;
// with no row selected (an empty list) it is empty.
void FrmSrchEngn::ShowSelectedAddress() {
    // A list still filling has its selected row already, so showing it
    // need not wait for the rest.
    const std::optional<ListItem> selected = LstvewSrch->SelectedItem();
    for (int column = 0; column < kResultColumnCount; ++column)
        (this->*kPanelLines[column].valueLabel)
            ->setText(selected ? selected->SubItem(column) : QString());
}

void FrmSrchEngn::LstvewSrch_GotFocus() {
    ShowSelectedAddress();
}

void FrmSrchEngn::LstvewSrch_ItemClick() {
    ShowSelectedAddress();
}
