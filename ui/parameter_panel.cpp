// The parameter panel: seven parameter rows, the Method box, "Fixed Colors",
// the X/Y offsets, and the one horizontal-scroll handler that also serves the
// "Random Seed" and zoom scroll bars.
#include <QAbstractSlider>
#include <QCheckBox>
#include <QComboBox>
#include <QLabel>
#include <QPushButton>
#include <QScrollBar>

#include <algorithm>

#include "ui/main_dialog.h"

using namespace mottler;

namespace {

constexpr int kPageStep = 10;

// New position of a scroll bar for one scroll action; actions other than a
// line or page step or a dragged thumb keep the old position.
int scrolledPosition(const QScrollBar* bar, int action, int old) {
  switch (action) {
    case QAbstractSlider::SliderSingleStepSub:
      return std::max(old - 1, bar->minimum());
    case QAbstractSlider::SliderSingleStepAdd:
      return std::min(old + 1, bar->maximum());
    case QAbstractSlider::SliderPageStepSub:
      return std::max(old - kPageStep, bar->minimum());
    case QAbstractSlider::SliderPageStepAdd:
      return std::min(old + kPageStep, bar->maximum());
    case QAbstractSlider::SliderMove:
      return bar->sliderPosition();
    default:
      return old;
  }
}

QString text(std::string_view s) { return QString::fromUtf8(s.data(), static_cast<int>(s.size())); }

}  // namespace

void CMottlerDlg::showParameters(int index, bool fromDefaults) {
  catalogue_.adjustForSize(index, engine_->width, engine_->height);
  const CommandInfo& info = catalogue_.info(index);
  const ProgramEntry& entry = engine_->entries[static_cast<std::size_t>(currentIndex)];
  for (int k = 0; k < kParamCount; ++k) {
    QScrollBar* bar = paramBars_[k];
    if (info.maxValue[k] != 0) {
      bar->setEnabled(true);
      bar->setRange(info.minValue[k], info.maxValue[k]);
      paramLabelText[k] = text(info.paramLabel[k]);
      // A stored value outside the range is shown as it is; the scroll bar
      // itself stops at its range.
      const int value = fromDefaults ? info.defaultValue[k] : entry.param[k];
      bar->setValue(value);
      paramValueText[k] = QString::number(value);
    } else {
      bar->setEnabled(false);
      paramLabelText[k] = QStringLiteral("None");
      paramValueText[k].clear();
    }
  }
}

void CMottlerDlg::resetParameterPanel() {
  for (QWidget* w : {static_cast<QWidget*>(addButton_), static_cast<QWidget*>(cancelButton_),
                     static_cast<QWidget*>(upButton_), static_cast<QWidget*>(downButton_),
                     static_cast<QWidget*>(methodBox_), static_cast<QWidget*>(fixedColorsBox_),
                     static_cast<QWidget*>(removeButton_), static_cast<QWidget*>(stateButton_)})
    w->setEnabled(false);
  methodBox_->setCurrentIndex(Add);
  fixedColorsBox_->setChecked(false);

  offsetXBar_->setRange(0, documentWidth - 1);
  offsetYBar_->setRange(0, documentHeight - 1);
  offsetXBar_->setEnabled(false);
  offsetYBar_->setEnabled(false);
  offsetXText.clear();
  offsetYText.clear();

  for (int k = 0; k < kParamCount; ++k) {
    paramBars_[k]->setEnabled(false);
    paramLabelText[k] = QStringLiteral("None");
    paramValueText[k].clear();
  }
  updateControls();
}

void CMottlerDlg::onHorizontalScroll(QScrollBar* bar, int action) {
  // While an action is being handled the scroll bar's value is still the
  // old position; its slider position already shows where a drag went.
  const int old = bar->value();
  const int position = scrolledPosition(bar, action, old);
  bar->setValue(position);

  ProgramEntry& entry = engine_->entries[static_cast<std::size_t>(currentIndex)];
  const QString number = QString::number(position);
  if (bar == offsetXBar_) {
    offsetXText = number;
    entry.offsetX = position;
  } else if (bar == offsetYBar_) {
    offsetYText = number;
    entry.offsetY = position;
  } else if (bar == seedBar_) {
    seedText = number;
  } else if (bar == zoomBar_) {
    setZoom(position);
  } else {
    for (int k = 0; k < kParamCount; ++k) {
      if (bar != paramBars_[k]) continue;
      paramValueText[k] = number;
      entry.param[k] = position;
    }
  }
  updateControls();

  if (position == old) {
    // Nothing moved: no redraw, no run, and no request left pending.
    forceRedraw = false;
    redrawOnly = false;
    return;
  }
  if (bar != zoomBar_) markModified();
  generate();
}

void CMottlerDlg::setZoom(int value) {
  zoomText = QStringLiteral("%1 %").arg(value);
  zoom = value;
  // The planes are shown again at the new zoom; the program does not run.
  forceRedraw = true;
  redrawOnly = true;
}

void CMottlerDlg::onMethodChanged(int index) {
  engine_->entries[static_cast<std::size_t>(currentIndex)].method = index;
  generate();
}

void CMottlerDlg::onFixedColorsClicked(bool checked) {
  engine_->entries[static_cast<std::size_t>(currentIndex)].fixedColors = checked ? 1 : 0;
  generate();
}
