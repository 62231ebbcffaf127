#pragma once
// A line along the bottom edge of a window, over whatever lies there (clicks
// go through it) and as wide as the window, whatever its size: the busy line
// and the server line are two of them.

#include <QLabel>

class EdgeLine : public QLabel {
  public:
    // `background` and `text`: the line's colours, as a style sheet gives them.
    EdgeLine(QWidget* window, const char* name, const char* background, const char* text);
    // Shows it over the window's other children.
    void Raise();

    // The window's line called `name`, or nullptr.
    static QLabel* Find(QWidget* window, const char* name);
    // The window a control lies in (the focused control's when null), or
    // nullptr when there is none.
    static QWidget* WindowOf(QWidget* control);

  protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

  private:
    void Place();
};
