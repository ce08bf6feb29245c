#include "ui/horizontal_scroll_bar.h"

#include <QKeyEvent>
#include <QScopedValueRollback>
#include <algorithm>

HorizontalScrollBar::HorizontalScrollBar(QWidget* parent) : QScrollBar(Qt::Horizontal, parent) {
  setFocusPolicy(Qt::StrongFocus);
  setInvertedControls(false);
  connect(this, &QAbstractSlider::actionTriggered, this, &HorizontalScrollBar::onAction);
  // A position set from outside counts as the thumb moved there.
  connect(this, &QAbstractSlider::valueChanged, this, [this](int value) {
    if (!quiet_) emit moved(value);
  });
}

void HorizontalScrollBar::showPosition(int minimum, int maximum, int position) {
  const QScopedValueRollback<bool> quiet(quiet_, true);
  if (this->minimum() != minimum || this->maximum() != maximum) setRange(minimum, maximum);
  if (value() != position) setValue(position);
}

int HorizontalScrollBar::scrolledPosition(int action, int old) const {
  switch (action) {
    case SliderSingleStepSub:
      return std::max(old - singleStep(), minimum());
    case SliderSingleStepAdd:
      return std::min(old + singleStep(), maximum());
    case SliderPageStepSub:
      return std::max(old - pageStep(), minimum());
    case SliderPageStepAdd:
      return std::min(old + pageStep(), maximum());
    case SliderMove:
      return sliderPosition();
    default:
      return old;
  }
}

void HorizontalScrollBar::onAction(int action) {
  // While an action is being handled the value is still the old position;
  // the slider position already shows where a drag went.
  const int position = scrolledPosition(action, value());
  {
    const QScopedValueRollback<bool> quiet(quiet_, true);
    setValue(position);
  }
  emit moved(position);
}

void HorizontalScrollBar::keyPressEvent(QKeyEvent* event) {
  SliderAction action = SliderNoAction;
  switch (event->key()) {
    case Qt::Key_Left: action = SliderSingleStepSub; break;
    case Qt::Key_Right: action = SliderSingleStepAdd; break;
    case Qt::Key_PageUp: action = SliderPageStepSub; break;
    case Qt::Key_PageDown: action = SliderPageStepAdd; break;
    case Qt::Key_Home: action = SliderToMinimum; break;
    case Qt::Key_End: action = SliderToMaximum; break;
    default:
      QScrollBar::keyPressEvent(event);
      return;
  }
  triggerAction(action);
  event->accept();
}
