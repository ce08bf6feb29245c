// The parameter panel: seven parameter rows, the Method box, "Fixed Colors",
// the X/Y offsets, the zoom scroll bar's handler, and the value texts with
// the names a screen reader gives them.  Scroll bars edit the model through
// the handlers wired in connectHandlers.
#include <QAbstractSlider>
#include <QCheckBox>
#include <QComboBox>
#include <QLabel>
#include <QPushButton>
#include <QScopedValueRollback>
#include <QScrollBar>

#include <algorithm>
#include <utility>

#include "ui/control_ids.h"
#include "ui/horizontal_scroll_bar.h"
#include "ui/main_dialog.h"

using namespace mottler;
using namespace mottler::ui;

namespace {

QString text(std::string_view s) { return QString::fromUtf8(s.data(), static_cast<int>(s.size())); }

QString number(std::optional<int> value) { return value ? QString::number(*value) : QString(); }

// A scroll bar as the model has it: on or off, its range and position (a bar
// that is off keeps what it showed last).
void showBar(HorizontalScrollBar* bar, bool enabled, int minimum, int maximum, int position) {
  bar->setEnabled(enabled);
  bar->showPosition(minimum, maximum, position);
}

void setText(QLabel* label, const QString& value) {
  if (label->text() != value) label->setText(value);
}

// A value text is read as its caption and its value ("Width: 256").
void nameValue(QWidget* w, QString caption, const QString& value) {
  if (caption.endsWith(QLatin1Char(':'))) caption.chop(1);
  const QString name = value.isEmpty() ? caption : caption + QStringLiteral(": ") + value;
  if (w->accessibleName() != name) w->setAccessibleName(name);
}

}  // namespace

void CMottlerDlg::showPanel() {
  for (int k = 0; k < kParamCount; ++k) {
    const ParameterRow& row = model_.parameterRow(k);
    showBar(paramBars_[k], row.enabled, row.minimum, row.maximum, row.position);
    setText(paramLabels_[k], text(row.label));
    // The text shows the value stored in the entry, even one outside the
    // scroll bar's range.
    setText(paramValues_[k], number(model_.parameterValue(k)));
  }
  const OffsetBar& x = model_.offsetXBar();
  const OffsetBar& y = model_.offsetYBar();
  showBar(offsetXBar_, x.enabled, 0, x.maximum, x.position);
  showBar(offsetYBar_, y.enabled, 0, y.maximum, y.position);
  setText(control<QLabel>(IdOffsetXText), number(model_.offsetXValue()));
  setText(control<QLabel>(IdOffsetYText), number(model_.offsetYValue()));

  methodBox_->setEnabled(model_.methodEnabled());
  const int method = model_.methodShown();
  methodBox_->setCurrentIndex(method >= 0 && method < methodBox_->count() ? method : -1);
  fixedColorsBox_->setEnabled(model_.fixedColorsEnabled());
  fixedColorsBox_->setChecked(model_.fixedColorsChecked());

}

void CMottlerDlg::showValueTexts() {
  auto valueOf = [this](int id) { return control<QLabel>(id)->text(); };
  nameValue(control(IdWidthText), QStringLiteral("Width:"), valueOf(IdWidthText));
  nameValue(control(IdHeightText), QStringLiteral("Height:"), valueOf(IdHeightText));
  nameValue(control(IdZoomText), QStringLiteral("Zoom:"), valueOf(IdZoomText));
  nameValue(control(IdSeedText), QStringLiteral("Random Seed"), valueOf(IdSeedText));
  nameValue(control(IdOffsetXText), QStringLiteral("X Offset"), valueOf(IdOffsetXText));
  nameValue(control(IdOffsetYText), QStringLiteral("Y Offset"), valueOf(IdOffsetYText));
  for (int k = 0; k < kParamCount; ++k) {
    const QString caption = paramLabels_[k]->text();
    paramBars_[k]->setAccessibleName(caption);
    nameValue(paramValues_[k], caption, paramValues_[k]->text());
  }
}

// The zoom scroll bar at a new position (or where it was): the preview is
// redrawn at the new zoom, without a run and without marking the document
// modified.
void CMottlerDlg::onZoomMoved(int position) {
  const bool moved = position != zoom_;
  setZoom(position);
  showZoom();
  if (moved) generate();
  // Nothing moved: no redraw, and no request left pending.
  forceRedraw_ = false;
  redrawOnly_ = false;
}

void CMottlerDlg::setZoom(int value) {
  zoom_ = value;
  // The planes are shown again at the new zoom; the program does not run.
  forceRedraw_ = true;
  redrawOnly_ = true;
}

// A new method in the box (chosen, stepped with the keys, or set by a screen
// reader) edits the entry; choosing the method it already has runs the
// program again.
void CMottlerDlg::onMethodChanged(int index) {
  if (showing_) return;
  methodChanged_ = true;
  apply(model_.setMethod(index));
}

void CMottlerDlg::onMethodChosen(int index) {
  if (!std::exchange(methodChanged_, false)) apply(model_.setMethod(index));
}

void CMottlerDlg::onFixedColorsClicked(bool checked) { apply(model_.setFixedColors(checked)); }

void CMottlerDlg::startGesture() { model_.startGesture(); }
