#include "sync/syncprogressline.h"

#include "platform/named.h"
#include "platform/twips.h"

#include <QHBoxLayout>
#include <QLabel>
#include <QProgressBar>
#include <QPushButton>

SyncProgressLine::SyncProgressLine(QWidget* parent) : QWidget(parent) {
    setObjectName(QStringLiteral("SyncLine"));
    auto* layout = new QHBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    LblSync = Named(new QLabel(this), "LblSync");
    PrgSync = Named(new QProgressBar(this), "PrgSync");
    PrgSync->setMaximumWidth(Px(2400));
    PrgSync->setTextVisible(false);
    // No access key: the active window's controls and the menu keep theirs.
    CmdStopSync = Named(new QPushButton(tr("Cancel"), this), "CmdStopSync");
    CmdStopSync->setFocusPolicy(Qt::ClickFocus);
    layout->addWidget(LblSync);
    layout->addWidget(PrgSync);
    layout->addWidget(CmdStopSync);
}

void SyncProgressLine::Begin(const QString& text) {
    stopping_ = false;
    CmdStopSync->setEnabled(true);
    ShowProgress(text, 0, 0);
    show();
}

void SyncProgressLine::ShowProgress(const QString& text, int done, int total) {
    if (stopping_) return; // the round's last steps say nothing new
    LblSync->setText(text);
    PrgSync->setRange(0, qMax(total, 0));
    if (total > 0) PrgSync->setValue(qBound(0, done, total));
}

void SyncProgressLine::ShowStopping() {
    stopping_ = true;
    LblSync->setText(tr("Stopping the synchronization..."));
    CmdStopSync->setEnabled(false);
}
