#pragma once
// Texts of a loaded party longer than their boxes hold, stored so by
// another program. Each box shows its value cut to its length (cut before
// it is put in, so a long text never costs its layout), the window says
// which values are longer and how long, and Save writes the stored value
// back whole unless that box was changed.

#include <QList>
#include <QString>
#include <optional>

class QLineEdit;
class QPlainTextEdit;
class QWidget;

class LongValues {
  public:
    // Puts `value` into the box, cut to the box's length; a value that was
    // cut is kept under `caption` (the field's name, for the word).
    void Show(QLineEdit* box, const QString& caption, const QString& value);
    void Show(QPlainTextEdit* box, int maxLength, const QString& caption, const QString& value);

    // The stored value, when the box was cut at loading and `now` is still
    // what it showed then; otherwise nothing (the box's text is saved).
    std::optional<QString> Unchanged(const QWidget* box, const QString& now) const;

    // One line for the window, "Cut to fit: Notes of 300,000 characters"
    // ("" when nothing was cut).
    QString Word() const;
    // Forgets every value (a party saved, another loaded, the entry cleared).
    void Clear();

  private:
    void Keep(QWidget* box, const QString& caption, const QString& stored, const QString& shown);
    struct Kept {
        QWidget* box;
        QString caption;
        QString stored;
        QString shown;
    };
    QList<Kept> kept_;
};
