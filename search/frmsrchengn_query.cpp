// The statements of the search engine: the group list, and one search per
// filter, over all groups or within the chosen one.

#include "search/frmsrchengn.h"

#include "data/connmodule.h"
#include "data/sqltext.h"
#include "platform/errors.h"
#include "platform/listview.h"
#include "platform/vb.h"

#include <QComboBox>
#include <QCoreApplication>
#include <QLineEdit>

namespace {

const QString kAllParties = QStringLiteral("Select * from Adrsmstr order by adrsname");
const QString kPartyWithCity = QStringLiteral(
    "Select * from (Adrsmstr inner join cscmstr on adrsmstr.adrsctyid=cscmstr.ctyid)");
const QString kClosing = QStringLiteral("%' order by adrsname");

// Party with its group link, without and with the city.
const QString kJoinA =
    QStringLiteral("Select * from (Adrsmstr inner join adrsgrpdtails") +
    QStringLiteral(
        " on adrsmstr.adrsid=adrsgrpdtails.adrsconcrnid) where adrsgrpdtails.adrsgrupid");
const QString kJoinB =
    kPartyWithCity +
    QStringLiteral(" inner join adrsgrpdtails on adrsmstr.adrsid=adrsgrpdtails.adrsconcrnid where "
                   "adrsgrpdtails.adrsgrupid");

struct Filter {
    const char* name;         // as the filter box lists it, less the trailing blank
    QString allGroupsOpening; // up to the value, over all groups
    const QString* join;      // within a group
    QString condition;        // between the group id and the value
};

const Filter kFilters[] = {
    {QT_TRANSLATE_NOOP("FrmSrchEngn", "Name Wise"),
     QStringLiteral("Select * from Adrsmstr where adrsname like '%"), &kJoinA,
     QStringLiteral("' and adrsname like '%")},
    {QT_TRANSLATE_NOOP("FrmSrchEngn", "City Wise"),
     kPartyWithCity + QStringLiteral(" where ctyname like '%"), &kJoinB,
     QStringLiteral("' and  cscmstr.ctyname like '%")},
    {QT_TRANSLATE_NOOP("FrmSrchEngn", "State Wise"),
     kPartyWithCity + QStringLiteral(" where statename like '%"), &kJoinB,
     QStringLiteral("' and  cscmstr.statename like '%")},
    {QT_TRANSLATE_NOOP("FrmSrchEngn", "Phone Number Wise"),
     QStringLiteral("Select * from Adrsmstr where adrsphno like '%"), &kJoinA,
     QStringLiteral("' and adrsphno like '%")},
    {QT_TRANSLATE_NOOP("FrmSrchEngn", "Mobile Number Wise"),
     QStringLiteral("Select * from Adrsmstr where adrsmobno like '%"), &kJoinA,
     QStringLiteral("' and adrsmobno like '%")},
    {QT_TRANSLATE_NOOP("FrmSrchEngn", "Email Id Wise"),
     QStringLiteral("Select * from Adrsmstr where adrsemail like '%"), &kJoinA,
     QStringLiteral("' and adrsemail like '%")},
    {QT_TRANSLATE_NOOP("FrmSrchEngn", "Contact Person"),
     QStringLiteral("Select * from Adrsmstr where AdrsContact like '%"), &kJoinA,
     QStringLiteral("' and AdrsContact like '%")},
};

// The filter of that exact name, or nullptr.
const Filter* FindFilter(const QString& name) {
    for (const Filter& f : kFilters)
        if (QCoreApplication::translate("FrmSrchEngn", f.name) == name) return &f;
    return nullptr;
}

} // namespace

void FrmSrchEngn::LoadGroups() {
    if (RsSrch.State() == adStateOpen) RsSrch.Close();
    const QString typed = CmbxGrup1->currentText();
    LstvewGrup2->Clear();
    CmbxGrup1->clear();
    try {
        RsSrch.Open(QStringLiteral("Select grpname,grpid from adrsgrupmstr  order by grpname"),
                    Conn, adOpenStatic, adLockBatchOptimistic);
        while (!RsSrch.Eof()) {
            ListItem row = LstvewGrup2->Add(RsSrch.Fields(0).Str());
            row.SetSubItem(1, Trim(RsSrch.Fields(1).Str()));
            CmbxGrup1->addItem(Trim(RsSrch.Fields(0).Str()));
            RsSrch.MoveNext();
        }
    } catch (const std::exception& e) {
        // An unreadable group list leaves both lists empty, without a message
        // (but for the busy line when another program holds the book).
        NoteIfBusy(CmbxGrup1, e);
        if (RsSrch.State() == adStateOpen) RsSrch.Close();
        LstvewGrup2->Clear();
        CmbxGrup1->clear();
    }
    CmbxGrup1->setEditText(typed); // filling the list never changes the text
}

void FrmSrchEngn::SearchAllGroups() {
    const QString F = Trim(Cmbxfiltr->currentText());
    if (F == tr("All")) return RunSearch(kAllParties);
    const Filter* filter = FindFilter(F);
    if (!filter) return ClearResult();
    const QString V = Trim(TxtValue->text());
    RunSearch(filter->allGroupsOpening + Quote(V) + kClosing);
}

void FrmSrchEngn::SearchInGroup() {
    const QString F = Trim(Cmbxfiltr->currentText());
    if (F == tr("All")) return RunSearch(kAllParties);
    const Filter* filter = FindFilter(F);
    if (!filter) return ClearResult();
    const QString V = Trim(TxtValue->text());
    const QString G = QString::number(SelectedGroupId);
    RunSearch(*filter->join + QStringLiteral(" like '") + G + filter->condition + Quote(V) +
              kClosing);
}

// A statement that fails shows nothing of its own: the list ends empty and
// the window stays as usable as before. Only a book locked by another
// program is said, in the window's busy line, and the search runs again
// by itself once the book is free.
void FrmSrchEngn::RunSearch(const QString& statement) {
    try {
        LstvewSrch->Clear(); // the fill of the last search stops here
        if (RsSrch.State() == adStateOpen) RsSrch.Close();
        RsSrch.Open(statement, Conn, adOpenStatic, adLockBatchOptimistic, adAsyncFetch);
        ResultStatement = statement;
        FillResultList();
    } catch (const std::exception& e) {
        NoteIfBusy(TxtValue, e, SearchAgain());
        ClearResult();
    }
}

BusyRerun FrmSrchEngn::SearchAgain() {
    return {LstvewSrch, [this] { TxtValue_Change(); }};
}

// A filter text that is none of the known ones runs no statement.
void FrmSrchEngn::ClearResult() {
    ResultStatement.clear();
    if (RsSrch.State() == adStateOpen) RsSrch.Close();
    Cities.Clear();
    LstvewSrch->Clear();
}
