// The generation cycle: runs the program with a progress bar and redraws the
// preview; the "&Generate" button and the "Auto Generate" check box.
#include <QApplication>
#include <QCheckBox>
#include <QElapsedTimer>
#include <QLabel>
#include <QProgressBar>
#include <QScopedValueRollback>
#include <QScrollBar>

#include <utility>

#include "engine/executor.h"
#include "ui/main_dialog.h"
#include "ui/preview_control.h"

using namespace mottler;

namespace {

// Moves the progress bar as the entries start and keeps the window painted
// during a long run: at most every 100 ms pending paint events are handled
// (user input waits until the run has finished).
class ProgressObserver : public RunObserver {
 public:
  explicit ProgressObserver(QProgressBar* bar) : bar_(bar) { sinceRepaint_.start(); }

  void entryStarting(int position) override {
    bar_->setValue(position);
    if (sinceRepaint_.elapsed() >= kRepaintIntervalMs) {
      bar_->repaint();
      QCoreApplication::processEvents(QEventLoop::ExcludeUserInputEvents);
      sinceRepaint_.restart();
    }
  }

 private:
  static constexpr qint64 kRepaintIntervalMs = 100;
  QProgressBar* bar_;
  QElapsedTimer sinceRepaint_;
};

}  // namespace

void CMottlerDlg::generate() {
  if (running_) {
    // Reached from an event handled during a run (an edit made through the
    // accessibility bus, a timer): the program runs again once this run has
    // finished, so the picture follows the edit.
    if (!redrawOnly && (autoGenerateBox_->isChecked() || forceRedraw)) runAgain_ = true;
    forceRedraw = redrawOnly = false;
    return;
  }
  const QScopedValueRollback<bool> busy(drawing_, true);
  do {
    if (std::exchange(runAgain_, false)) forceRedraw = true;
    if (autoGenerateBox_->isChecked() || forceRedraw) {
      preview::clearBitmap(previewBits.data());
      if (!redrawOnly) runCurrentProgram();
      copyPlaneToPreview();
    }
    preview::drawFrame(previewBits.data());
    showPreviewBitmap();
    forceRedraw = false;
    redrawOnly = false;
  } while (runAgain_);
  // Commands that arrived during the run, in order.
  for (Command command : std::exchange(afterRun_, {}))
    QMetaObject::invokeMethod(this, command, Qt::QueuedConnection);
}

// Runs a command of the menus, or keeps it until the run in progress ends:
// New, Open and Exit must not change the document under a run.
void CMottlerDlg::command(Command slot) {
  if (running_) {
    afterRun_.push_back(slot);
    return;
  }
  (this->*slot)();
}

// The one place where the window runs the program: the model lays out the
// slots (the committed entries and the pending one), the engine runs them
// with the document's seed.
void CMottlerDlg::runCurrentProgram() {
  setStatusText(QString());
  const int last = model_.layOutRun(*engine_);
  progress_->setRange(0, last + 1);
  const bool showClock = showClockBox_->isChecked();
  if (showClock) QApplication::setOverrideCursor(Qt::WaitCursor);
  ProgressObserver observer(progress_);
  running_ = true;
  runProgram(*engine_, model_.seed(), last, &observer);
  running_ = false;
  if (showClock) QApplication::restoreOverrideCursor();
}

void CMottlerDlg::copyPlaneToPreview() {
  const int width = model_.width();
  const int height = model_.height();
  const preview::Placement place = preview::placeZoomed(zoom, width, height);
  const TexturePlane& source = lookBufferBox_->isChecked() ? engine_->buffer : engine_->texture;
  preview::blitZoomed(place.x0, place.y0, width, height, place.zoomedWidth,
                      place.zoomedHeight, source.data(), previewBits.data());
}

void CMottlerDlg::showPreviewBitmap() {
  preview_->setBitmap(previewBits.data());
  // Inside the preview's own paint the picture is drawn right after this.
  if (!inPaint_) preview_->repaint();
}

void CMottlerDlg::paintPreview() {
  // While a picture is being made the preview shows the last one as it is.
  if (drawing_ || inPaint_) return;
  inPaint_ = true;
  forceRedraw = true;
  redrawOnly = true;
  generate();
  inPaint_ = false;
}

void CMottlerDlg::onGenerateClicked() {
  forceRedraw = true;
  generate();
}

void CMottlerDlg::onAutoGenerateClicked() { generate(); }
