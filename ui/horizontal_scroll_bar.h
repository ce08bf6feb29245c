// A horizontal scroll bar that takes the keyboard focus and steps the usual
// way: Left/Right one line, Page Up/Page Down one page to the left/right,
// Home/End to the ends.  (Qt's own scroll bar maps the keys for vertical use.)
#pragma once

#include <QScrollBar>

class HorizontalScrollBar : public QScrollBar {
  Q_OBJECT

 public:
  explicit HorizontalScrollBar(QWidget* parent);

 protected:
  void keyPressEvent(QKeyEvent* event) override;
};
