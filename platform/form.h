#pragma once
// A child window of the main window. Its geometry is given in twips and
// applies to the window frame: the MDI sub-window when it sits inside the
// main window, the form itself otherwise.

#include <QWidget>

class Form : public QWidget {
    Q_OBJECT
  public:
    explicit Form(QWidget* parent = nullptr);

    // Runs once, after the form is placed in its window and before it shows.
    virtual void Form_Load() {}

    QString Caption() const { return windowTitle(); }
    void SetCaption(const QString& caption);

    int Width() const;
    int Height() const;
    int Top() const;
    int Left() const;
    void SetWidth(int twips);
    void SetHeight(int twips);
    void SetTop(int twips);
    void SetLeft(int twips);
    // Whether the window's left edge was set (else where it opens is free).
    bool LeftGiven() const { return leftGiven_; }

    // Closes the window; the form is deleted with it.
    void Unload();

    // A word in the main window's status bar, in nobody's way; the empty
    // text clears it. Nothing is shown when the form has no main window.
    void ShowStatus(const QString& text);

    // The window frame the geometry applies to.
    QWidget* Frame() const;

  protected:
    bool event(QEvent* e) override;

  private:
    bool leftGiven_ = false;
};

// The form a control belongs to, or nullptr.
Form* FormOf(QWidget* control);
