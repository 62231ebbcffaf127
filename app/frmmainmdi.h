#pragma once
// The main window: a multiple-document window with the menu from which
// every register opens as a child window.

#include "app/labelhandover.h"

#include <QHash>
#include <QMainWindow>
#include <QPointer>
#include <memory>

class QMdiArea;
class QMdiSubWindow;
class QMenu;
class QAction;
class QTimer;
class Form;
class BookLock;
class SyncRunner;
class SyncProgressLine;
struct SyncReport;
struct SyncSettings;

class FrmMainMdi : public QMainWindow {
    Q_OBJECT
  public:
    explicit FrmMainMdi(QWidget* parent = nullptr);
    ~FrmMainMdi() override;

    // The start-up sequence. False when the database could not be opened:
    // the failure has been reported and the program must end.
    bool MDIForm_Load();

    // Window size and the inner (client) area, in twips.
    int Width() const;
    int Height() const;
    int ScaleWidth() const;
    int ScaleHeight() const;

    // Loads a child window, or brings the open one forward.
    template <class F> F* Load() {
        if (Form* open = find(F::staticMetaObject.className())) {
            activate(open);
            return static_cast<F*>(open);
        }
        auto* form = new F;
        if constexpr (requires { HandLabelsOver(form); }) HandLabelsOver(form);
        place(form);
        return form;
    }
    // The open child of a kind, or nullptr.
    template <class F> F* Child() const {
        return static_cast<F*>(find(F::staticMetaObject.className()));
    }
    void CloseChildren();

    QMdiArea* MdiArea = nullptr;
    QMenu* mstr = nullptr;
    QAction* adrs = nullptr;
    QAction* dash = nullptr;
    QAction* cty = nullptr;
    QAction* srchengn = nullptr;
    QMenu* prnt1 = nullptr;
    QAction* prnt = nullptr;
    QMenu* admin = nullptr;
    QAction* Bak = nullptr;
    QAction* Rtsr = nullptr;
    QMenu* imexp = nullptr;
    QAction* Expt = nullptr;
    QAction* Impt = nullptr;
    QAction* CntsSrvr = nullptr;
    QAction* Sync = nullptr;
    QAction* abts = nullptr;

    void adrs_Click();
    void dash_Click();
    void cty_Click();
    void srchengn_Click();
    void prnt_Click();
    void abts_Click();
    void Bak_Click();
    void Rtsr_Click();
    void Expt_Click();
    void Impt_Click();
    void CntsSrvr_Click();
    void Sync_Click();

    // The contacts server sync (frmmainmdi_sync.cpp): the round running in
    // the background, its line in the status bar, and the timer of the
    // rounds every few minutes.
    SyncRunner* Runner = nullptr;
    SyncProgressLine* SyncLine = nullptr;
    QTimer* SyncTimer = nullptr;

    // Main window geometry for a screen, in twips: left, top, width, height.
    static QRect Placement(int screenWidth, int screenHeight);
    // That frame moved, and made smaller where it must be, into the
    // screen's available area (both in pixels).
    static QRect OnScreen(const QRect& frame, const QRect& available);

  private:
    // Restores a backup the user chooses; true when the book was replaced
    // and opened again.
    bool RestoreBook();
    void FollowBook();
    void ServerBak(const QString& target);
    bool ServerRtsr(const QString& source, const QString& incoming, const QString& unsaveable);
    Form* find(const char* className) const;
    void activate(Form* form);
    void place(Form* form);
    void giveKeyboard(Form* form);
    void DeleteTempFiles();
    // Placing the main window and its children (frmmainmdi_place.cpp).
    void PlaceOnScreen();
    void FitFrame();
    void placeInside(QMdiSubWindow* sub, const Form* form);
    void AddQuitKeys();
    // The sync (frmmainmdi_sync.cpp).
    void SetUpSync();
    void ScheduleSync(const SyncSettings& settings);
    // `asked`: from the menu (the report always shows, a password is asked
    // again), else at start-up or from the timer.
    void StartSync(bool asked);
    void SyncFinished(const SyncReport& report);
    void StopSync();
    bool event(QEvent* e) override;

    std::unique_ptr<BookLock> lock_; // held while the book is open
    QRect frameTarget_;              // where the frame goes, once its margins are known
    bool fitting_ = false;
    bool syncAsked_ = false;           // the running round was started from the menu
    bool syncPasswordRefused_ = false; // no password was given: timed rounds ask no more
    QString syncPassword_;             // the running round's, to start it again
};

// The main window while the program runs (nullptr before it exists).
FrmMainMdi* MainMdi();
