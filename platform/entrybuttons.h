#pragma once
// The two buttons of a register window that change with its state: the
// first reads "&New" and, while an entry is open, "&Save"; the second reads
// "&Edit" and, while an entry is open or the list is shown, "&Cancel". The
// window keeps the state here and the captions follow it; nothing reads the
// state back from a caption.

class QPushButton;

enum class SaveState { New, Save };
enum class EditState { Edit, Cancel };

class EntryButtons {
  public:
    void Attach(QPushButton* save, QPushButton* edit);

    SaveState Save() const { return save_; }
    EditState Edit() const { return edit_; }

    void Set(SaveState save, EditState edit);
    void Set(SaveState save);
    void Set(EditState edit);

  private:
    QPushButton* saveButton_ = nullptr;
    QPushButton* editButton_ = nullptr;
    SaveState save_ = SaveState::New;
    EditState edit_ = EditState::Edit;
};
