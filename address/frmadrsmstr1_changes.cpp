// A party changed by another desk or program after it was loaded: what was
// loaded is kept, compared inside the save's write, and each field of the
// entry can say what it holds and take the stored value.

#include "address/frmadrsmstr1.h"

#include "data/connmodule.h"
#include "data/fieldlengths.h"
#include "platform/listview.h"
#include "platform/vb.h"

#include <QComboBox>
#include <QLabel>
#include <QLineEdit>
#include <QPlainTextEdit>

namespace {

const QString kGroups = QStringLiteral("groups");

// The party's group ids as one text, in order: "1,4,7".
QString IdText(QList<Integer> ids) {
    std::sort(ids.begin(), ids.end());
    QStringList texts;
    for (Integer id : ids)
        texts << QString::number(id);
    return texts.join(u',');
}

} // namespace

const QStringList& FrmAdrsMstr1::PartyColumns() {
    static const QStringList columns{"adrsname", "adrscontact", "adrs1",        "adrs2",
                                     "adrs3",    "adrsctyid",   "adrspin",      "adrscstno",
                                     "adrsphno", "adrsmobno",   "adrsfax",      "adrsemail",
                                     "adrsweb",  "adrsnotes",   "adrsdelstatus"};
    return columns;
}

void FrmAdrsMstr1::RememberGroups(const QList<Integer>& memberIds) {
    Loaded.Set(kGroups, IdText(memberIds));
}

// Inside the save's write: the party row (current in Rs) and its groups as
// stored now must be what was loaded.
void FrmAdrsMstr1::RequireUnchanged() {
    Recordset links;
    links.Open(QStringLiteral("Select adrsgrupid from adrsgrpdtails where adrsconcrnid like '") +
                   QString::number(AdrsId) + QStringLiteral("'"),
               Conn, adOpenStatic, adLockBatchOptimistic);
    QList<Integer> ids;
    for (; !links.Eof(); links.MoveNext())
        ids << CInt(Trim(links.Fields(0).Str()));
    Loaded.Require(Rs, {{kGroups, IdText(ids)}});
}

QString FrmAdrsMstr1::CityNamed(const QString& id) {
    Recordset city;
    city.Open(QStringLiteral("Select ctyname from cscmstr where ctyid like '") +
                  QString::number(CInt(id)) + QStringLiteral("'"),
              Conn, adOpenStatic, adLockBatchOptimistic);
    return city.RecordCount() > 0 ? Trim(city.Fields(0).Str())
                                  : tr("city id %1, not in the register").arg(id);
}

void FrmAdrsMstr1::ShowCity(const QString& id) {
    Recordset city;
    city.Open(QStringLiteral("Select * from cscmstr where ctyid like '") +
                  QString::number(CInt(id)) + QStringLiteral("'"),
              Conn, adOpenStatic, adLockBatchOptimistic);
    if (city.RecordCount() < 1) return;
    CtyId = CInt(id);
    PickedCity = Trim(city.Fields("ctyname").Str());
    LblCty->setText(PickedCity);
    CmbxCty->setEditText(PickedCity);
    LblState->setText(city.Fields("Statename").Str());
    LblContry->setText(city.Fields("Contryname").Str());
}

QString FrmAdrsMstr1::GroupsNamed(const QString& ids) const {
    QStringList names;
    for (const QString& id : ids.split(u',', Qt::SkipEmptyParts)) {
        QString name = tr("group id %1").arg(id);
        for (int i = 1; i <= LstvewGrup1->Count(); ++i)
            if (Trim(LstvewGrup1->Item(i).SubItem(1)) == id)
                name = Trim(LstvewGrup1->Item(i).Text());
        names << name;
    }
    return names.join(QStringLiteral(", "));
}

QString FrmAdrsMstr1::TickedIds() const {
    QList<Integer> ids;
    for (int i = 1; i <= LstvewGrup1->Count(); ++i)
        if (LstvewGrup1->Item(i).Checked()) ids << CInt(LstvewGrup1->Item(i).SubItem(1));
    return IdText(ids);
}

void FrmAdrsMstr1::TickGroups(const QString& ids) {
    const QStringList wanted = ids.split(u',', Qt::SkipEmptyParts);
    for (int i = 1; i <= LstvewGrup1->Count(); ++i) {
        ListItem row = LstvewGrup1->Item(i);
        row.SetChecked(wanted.contains(Trim(row.SubItem(1))));
    }
}

// Each field of the entry, as a change made elsewhere is told and taken.
QList<EntryField> FrmAdrsMstr1::PartyFields() {
    QList<EntryField> fields;
    const auto box = [&](QLineEdit* b, const char* column, const char* caption, bool trimmed) {
        fields << EntryField{
            QLatin1String(column), tr(caption),
            [b, trimmed] { return trimmed ? Trim(b->text()) : b->text(); },
            [this, b, caption](const QString& value) { Long.Show(b, tr(caption), value); }};
    };
    box(Txtname, "adrsname", QT_TR_NOOP("Party Name"), true);
    box(TxtCntact, "adrscontact", QT_TR_NOOP("Contact Person"), true);
    box(TxtAddrs, "adrs1", QT_TR_NOOP("Address"), true);
    box(Txtarea, "adrs2", QT_TR_NOOP("Area"), true);
    box(Txtland, "adrs3", QT_TR_NOOP("Land Mark"), true);
    box(TxtPin, "adrspin", QT_TR_NOOP("PIN Code"), true);
    box(TxtVat, "adrscstno", QT_TR_NOOP("VAT/CST No."), true);
    box(MskedtPhno, "adrsphno", QT_TR_NOOP("Land Line"), false);
    box(MskedtMobNo, "adrsmobno", QT_TR_NOOP("Mobile No."), false);
    box(Txtfax, "adrsfax", QT_TR_NOOP("Fax No."), true);
    box(Txtemail, "adrsemail", QT_TR_NOOP("E-Mail"), true);
    box(Txtweb, "adrsweb", QT_TR_NOOP("Web Site"), true);
    fields << EntryField{QStringLiteral("adrsnotes"), tr("Notes"),
                         [this] { return Trim(Txtnote->toPlainText()); },
                         [this](const QString& value) {
                             Long.Show(Txtnote, FieldLength::Notes, tr("Notes"), value);
                         }};
    fields << EntryField{QStringLiteral("adrsctyid"), tr("City"), [this] { return ShownCity(); },
                         [this](const QString& id) { ShowCity(id); },
                         [this](const QString& id) { return CityNamed(id); }};
    fields << EntryField{kGroups, tr("Groups"), [this] { return GroupsNamed(TickedIds()); },
                         [this](const QString& ids) { TickGroups(ids); },
                         [this](const QString& ids) { return GroupsNamed(ids); }};
    fields << DeletedMarkField(QStringLiteral("adrsdelstatus"));
    return fields;
}
