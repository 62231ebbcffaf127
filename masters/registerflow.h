#pragma once
// The New/Save/Edit/Cancel/Delete mechanics the register windows (cities,
// groups) share. The window's handlers keep the order of the steps; this
// holds what each step does to the entry frame, the list beside it, the
// buttons and the window's width, and the message boxes it asks and says.

#include <QCoreApplication>
#include <QList>
#include <QString>
#include <functional>

class EntryButtons;
class Form;
class ListView;
class QLineEdit;
class QPushButton;
class QWidget;
struct BusyRerun;

class RegisterFlow {
    Q_DECLARE_TR_FUNCTIONS(RegisterFlow)

  public:
    struct Parts {
        Form* window = nullptr;
        EntryButtons* buttons = nullptr;
        QWidget* entry = nullptr;   // the frame of the entry boxes
        QList<QLineEdit*> boxes;    // the boxes, all required, first one first
        ListView* list = nullptr;   // the register's list, shown beside the entry
        QPushButton* del = nullptr; // Delete: enabled while a row is loaded
        int narrowWidth = 0;        // entry only, in twips
        int wideWidth = 0;          // entry and the list
    };

    void Attach(Parts parts) { p_ = std::move(parts); }

    // New pressed: the entry opens empty, the list goes.
    void OpenNew();
    // Edit pressed: the window widens and shows the list, read by `fill`.
    void ShowList(const std::function<void()>& fill, const BusyRerun& again);
    // Cancel pressed: the list goes and the window narrows.
    void HideList();
    // A row of the list loaded into the entry: it can be saved or deleted.
    void OpenLoaded();

    // Marks each box empty or filled; the focus goes to the last empty one.
    // Returns how many are empty.
    int MarkMissing();
    void ClearEntry();

    // The questions before a write: false when the user said No (after a
    // declined delete the focus goes back to Delete).
    bool ConfirmSave();
    bool ConfirmDelete();
    // Runs the write `work`; a failure is said with `what` and gives false.
    bool Written(const std::function<void()>& work, const QString& what);

    // After a save: says so, clears the entry and sets New and Edit again.
    void Saved(bool newEntry);
    // After a delete: as after a save, and Delete goes off.
    void Deleted();
    // A row picked from the list is no longer there.
    void SayNotFound();

  private:
    void Reset();

    Parts p_;
};
