#pragma once
// What a sync round did: the counts, the fields both sides changed (with a
// button to take the server's value instead of the desk's), the cards left
// on the server, notes and failures; or why the round stopped.

#include "platform/form.h"
#include "sync/syncreport.h"

#include <QList>
#include <functional>

class ListView;
class QLabel;
class QPushButton;

class FrmSyncReport : public Form {
    Q_OBJECT
  public:
    explicit FrmSyncReport(QWidget* parent = nullptr);
    void Form_Load() override;

    // Shows a round's report in place of the last one.
    void ShowReport(const SyncReport& report);

    QLabel* LblResult = nullptr;
    QLabel* LblSent = nullptr;
    QLabel* LblReceived = nullptr;
    QLabel* LblMerged = nullptr;
    QLabel* LblDeletedHere = nullptr;
    QLabel* LblDeletedThere = nullptr;
    ListView* LstvewConflicts = nullptr;
    QPushButton* CmdTake = nullptr;
    ListView* LstvewOther = nullptr;
    QPushButton* CmdClos = nullptr;

    // Stores the server's value of a conflict in the book (so that the next
    // round sends it); false when it could not, having said why. The main
    // window sets it.
    std::function<bool(const SyncConflict&)> TakeServers;

    void CmdTake_Click();

    // The words of the report's headline, for the window and the status bar.
    static QString Headline(const SyncReport& report);

  private:
    void ShowTakeButton();
    QList<SyncConflict> conflicts_;
    QList<bool> taken_;
};
