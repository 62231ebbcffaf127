#include "sync/frmsyncreport.h"

#include "data/connmodule.h"
#include "platform/events.h"
#include "platform/listview.h"
#include "platform/named.h"
#include "platform/twips.h"

#include <QFormLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QLabel>
#include <QPushButton>
#include <QVBoxLayout>

namespace {
constexpr int kStatusColumn = 4;

// A value shown on one line of a list: its line breaks as " / ".
QString OneLine(const QString& text) {
    QString line = text;
    line.replace(QStringLiteral("\r\n"), QStringLiteral(" / "))
        .replace(u'\n', QStringLiteral(" / "));
    return line;
}
} // namespace

FrmSyncReport::FrmSyncReport(QWidget* parent) : Form(parent) {
    setObjectName(QStringLiteral("FrmSyncReport"));
    auto* layout = new QVBoxLayout(this);

    LblResult = Named(new QLabel(this), "LblResult");
    LblResult->setWordWrap(true);
    layout->addWidget(LblResult);

    auto* counts = new QFormLayout;
    auto count = [&](const QString& caption, const char* name) {
        auto* value = Named(new QLabel(this), name);
        counts->addRow(caption, value);
        return value;
    };
    LblSent = count(tr("Sent to the server:"), "LblSent");
    LblReceived = count(tr("Received into the book:"), "LblReceived");
    LblMerged = count(tr("Changed on both sides, merged:"), "LblMerged");
    LblDeletedHere = count(tr("Deleted here (deleted on the server):"), "LblDeletedHere");
    LblDeletedThere = count(tr("Deleted on the server (deleted here):"), "LblDeletedThere");
    layout->addLayout(counts);

    auto* conflicts =
        Named(new QGroupBox(tr("Changed on both sides: the desk's value was kept"), this),
              "FrameConflicts");
    auto* conflictLayout = new QVBoxLayout(conflicts);
    LstvewConflicts = Named(new ListView(conflicts), "LstvewConflicts");
    LstvewConflicts->AddColumn(tr("Party"), 2400);
    LstvewConflicts->AddColumn(tr("Field"), 1400);
    LstvewConflicts->AddColumn(tr("This desk's value"), 2000);
    LstvewConflicts->AddColumn(tr("The server's value"), 2000);
    LstvewConflicts->AddColumn(tr("Kept"), 1200);
    conflictLayout->addWidget(LstvewConflicts);
    auto* takeRow = new QHBoxLayout;
    CmdTake = Named(new QPushButton(tr("&Take the server's"), conflicts), "CmdTake");
    takeRow->addWidget(CmdTake);
    takeRow->addStretch();
    conflictLayout->addLayout(takeRow);
    layout->addWidget(conflicts, 2);

    auto* other = Named(new QGroupBox(tr("Cards left on the server, notes and failures"), this),
                        "FrameOther");
    auto* otherLayout = new QVBoxLayout(other);
    LstvewOther = Named(new ListView(other), "LstvewOther");
    LstvewOther->AddColumn(tr("What"), 1800);
    LstvewOther->AddColumn(tr("Card and why"), 6000);
    LstvewOther->header()->setStretchLastSection(true);
    otherLayout->addWidget(LstvewOther);
    layout->addWidget(other, 1);

    auto* buttons = new QHBoxLayout;
    CmdClos = Named(new QPushButton(tr("&Close"), this), "CmdClos");
    CmdClos->setMinimumSize(Px(1095), Px(375));
    buttons->addStretch();
    buttons->addWidget(CmdClos);
    layout->addLayout(buttons);

    On::Click(CmdTake, [this] { CmdTake_Click(); });
    On::SelectionChange(LstvewConflicts, [this] { ShowTakeButton(); });
    On::Click(CmdClos, [this] { Unload(); });
}

void FrmSyncReport::Form_Load() {
    SetTop(0);
    SetWidth(9600);
    SetHeight(7800);
    SetCaption(AppTitle + QStringLiteral(" ") + QStringLiteral("(SYNCHRONIZATION REPORT)"));
}

QString FrmSyncReport::Headline(const SyncReport& report) {
    if (!report.error.isEmpty())
        return tr("The synchronization stopped: %1\nWhat was done before is kept; the next "
                  "synchronization goes on from there.")
            .arg(report.error);
    if (report.cancelled)
        return tr("The synchronization was cancelled. What was done before is kept; the next "
                  "synchronization goes on from there.");
    if (!report.failures.isEmpty())
        return tr("The synchronization ended, but %n card(s) could not be synchronized (see "
                  "below). They are tried again next time.",
                  nullptr, int(report.failures.size()));
    return tr("The synchronization ended: the book and the server are in step.");
}

void FrmSyncReport::ShowReport(const SyncReport& report) {
    LblResult->setText(Headline(report));
    LblResult->setStyleSheet(report.error.isEmpty() ? QString() : QStringLiteral("color: #b00000"));
    LblSent->setNum(report.sent);
    LblReceived->setNum(report.received);
    LblMerged->setNum(report.merged);
    LblDeletedHere->setNum(report.deletedHere);
    LblDeletedThere->setNum(report.deletedThere);

    conflicts_ = report.conflicts;
    taken_ = QList<bool>(conflicts_.size(), false);
    LstvewConflicts->Clear();
    for (const SyncConflict& c : conflicts_) {
        ListItem row = LstvewConflicts->Add(c.party);
        row.SetSubItem(1, FieldCaption(c.field));
        row.SetSubItem(2, OneLine(c.desk));
        row.SetSubItem(3, OneLine(c.server));
        row.SetSubItem(kStatusColumn, tr("this desk's"));
    }
    LstvewConflicts->Flush();
    if (!conflicts_.isEmpty()) LstvewConflicts->Item(1).Select();

    LstvewOther->Clear();
    auto add = [this](const QString& what, const QStringList& lines) {
        for (const QString& line : lines)
            LstvewOther->Add(what).SetSubItem(1, OneLine(line));
    };
    add(tr("Failed"), report.failures);
    add(tr("Left on the server"), report.leftOnServer);
    add(tr("Note"), report.notes);
    LstvewOther->Flush();
    ShowTakeButton();
}

void FrmSyncReport::ShowTakeButton() {
    auto row = LstvewConflicts->SelectedItem();
    CmdTake->setEnabled(row && !taken_.value(row->Index() - 1, true));
}

void FrmSyncReport::CmdTake_Click() {
    auto row = LstvewConflicts->SelectedItem();
    if (!row || taken_.value(row->Index() - 1, true) || !TakeServers) return;
    const int at = row->Index() - 1;
    if (!TakeServers(conflicts_[at])) return;
    taken_[at] = true;
    row->SetSubItem(kStatusColumn, tr("the server's"));
    ShowTakeButton();
}
