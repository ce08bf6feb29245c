// The generation cycle: runs the program with a progress bar and redraws the
// preview; the "&Generate" button and the "Auto Generate" check box.
#include <QApplication>
#include <QCheckBox>
#include <QElapsedTimer>
#include <QLabel>
#include <QProgressBar>
#include <QScrollBar>

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
    // Reached again from an event handled during a run: the run in progress
    // will redraw when it finishes.
    forceRedraw = redrawOnly = false;
    return;
  }
  if (autoGenerateBox_->isChecked() || forceRedraw) {
    preview::clearBitmap(previewBits.data());
    if (!redrawOnly) runCurrentProgram();
    copyPlaneToPreview();
  }
  preview::drawFrame(previewBits.data());
  showPreviewBitmap();
  forceRedraw = false;
  redrawOnly = false;
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
  if (closeAfterRun_) {
    closeAfterRun_ = false;
    QMetaObject::invokeMethod(this, &CMottlerDlg::closeDocument, Qt::QueuedConnection);
  }
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
  if (running_ || inPaint_) return;
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
