#pragma once
// The line in the main window's status bar while a sync round runs: what it
// is doing, how far it is, and a button to stop it.

#include <QWidget>

class QLabel;
class QProgressBar;
class QPushButton;

class SyncProgressLine : public QWidget {
    Q_OBJECT
  public:
    explicit SyncProgressLine(QWidget* parent = nullptr);

    // A round begins: the line shows, the bar not knowing how far yet.
    void Begin(const QString& text);
    // `total` 0: how far is not known yet.
    void ShowProgress(const QString& text, int done, int total);
    // The round is being stopped: the button has done its work.
    void ShowStopping();

    QLabel* LblSync = nullptr;
    QProgressBar* PrgSync = nullptr;
    QPushButton* CmdStopSync = nullptr;

  private:
    bool stopping_ = false;
};
