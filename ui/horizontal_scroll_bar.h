// A horizontal scroll bar that takes the keyboard focus and steps the usual
// way: Left/Right one line, Page Up/Page Down one page to the left/right,
// Home/End to the ends.  (Qt's own scroll bar maps the keys for vertical use.)
//
// Every way the user moves it ends in one signal, moved: a line or page
// step (clamped to the range; a step at an end reports the position it
// stays at), a dragged thumb, and a position set from outside (a screen
// reader setting the value).  Other actions (to the top, to the bottom) leave
// the position as it was.  What the program itself shows with showPosition
// is no move.
#pragma once

#include <QScrollBar>

class HorizontalScrollBar : public QScrollBar {
  Q_OBJECT

 public:
  explicit HorizontalScrollBar(QWidget* parent);

  // Shows a range and a position without reporting a move.
  void showPosition(int minimum, int maximum, int position);
  void showPosition(int position) { showPosition(minimum(), maximum(), position); }

  // The position a scroll action leads to from `old`.
  int scrolledPosition(int action, int old) const;

 signals:
  void moved(int position);

 protected:
  void keyPressEvent(QKeyEvent* event) override;

 private:
  void onAction(int action);

  bool quiet_ = false;
};
