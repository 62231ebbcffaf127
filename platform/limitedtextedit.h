#pragma once
// A text box of several lines that holds at most a given number of
// characters (UTF-16 code units, as a one-line box counts them). A paste or
// a drop puts in only what fits, never laying out the rest first; a
// character that does not fit whole is left out whole. Whatever else brings
// it over the limit (a key typed into a full box) is taken back out, the
// characters just before the cursor first.

#include <QPlainTextEdit>

class LimitedTextEdit : public QPlainTextEdit {
  public:
    LimitedTextEdit(int maxLength, QWidget* parent = nullptr);
    int MaxLength() const { return maxLength_; }

    // `text` cut to `maxLength` code units, never inside a character.
    static QString Fitted(const QString& text, int maxLength);

  protected:
    void insertFromMimeData(const QMimeData* source) override;

  private:
    void TakeBackOverflow();
    int maxLength_;
};
