// The generation cycle: runs the program on the render worker, follows the
// run with the progress bar and the wait cursor, and redraws the preview
// from the last finished picture; the "&Generate" button and the "Auto
// Generate" check box.
//
// The window never waits for a run: an edit asks for a run of a copy of the
// program and returns, a newer edit supersedes the run in progress, and the
// preview shows the last finished picture until the new one is there.
#include <QApplication>
#include <QCheckBox>
#include <QCoreApplication>
#include <QEventLoop>
#include <QListWidget>
#include <QProgressBar>
#include <QTimer>
#include <algorithm>
#include <utility>

#include "document/run_times.h"
#include "ui/main_dialog.h"
#include "ui/preview_control.h"
#include "ui/variations_view.h"

using namespace mottler;
using namespace mottler::ui;

namespace {

// How often the progress bar follows a run.
constexpr int kProgressIntervalMs = 50;

}  // namespace

void CMottlerDlg::generate() {
  if (autoGenerateBox_->isChecked() || forceRedraw) {
    if (redrawOnly) {
      drawPicture();
    } else {
      startRun(false);
    }
  }
  preview::drawFrame(previewBits.data());
  showPreviewBitmap();
  forceRedraw = false;
  redrawOnly = false;
}

// The one place where the window runs the program: a copy of the slots the
// model lays out (the committed entries and the pending one), the seed and
// the size goes to the worker.
std::uint64_t CMottlerDlg::startRun(bool mustFinish) {
  RunRequest request;
  request.program = model_.runSlots();
  request.seed = model_.seed();
  request.width = model_.width();
  request.height = model_.height();
  request.mustFinish = mustFinish;
  const int size = static_cast<int>(request.program.size());

  if (variations_ != nullptr && variations_->isVisible())
    variations_->showProgram(request.program, request.seed, request.width, request.height);
  setStatusText(QString());
  latestRun_ = worker_->submit(std::move(request));
  ++runsOutstanding_;
  progress_->setRange(0, size);
  progress_->setValue(0);
  showBusy(true);
  return latestRun_;
}

void CMottlerDlg::onRunEnded(const std::shared_ptr<const RunOutcome>& outcome) {
  --runsOutstanding_;
  if (outcome->finished) {
    // A picture of a document that New or Open replaced is not shown; an
    // export that waited for it is still written.
    if (outcome->id > oldDocumentUpTo_) takePicture(*outcome);
    const auto waiting = std::find_if(pendingExports_.begin(), pendingExports_.end(),
                                      [&](const PendingExport& e) { return e.run == outcome->id; });
    if (waiting != pendingExports_.end()) {
      const PendingExport done = *waiting;
      pendingExports_.erase(waiting);
      writeExport(*outcome, done.path, done.kind);
    }
  }
  if (runsOutstanding_ == 0) showBusy(false);
}

// The finished run's planes become the window's picture.
void CMottlerDlg::takePicture(const RunOutcome& outcome) {
  if (engine_->width != outcome.width || engine_->height != outcome.height)
    engine_->setSize(outcome.width, outcome.height);
  std::copy(outcome.texture.begin(), outcome.texture.end(), engine_->texture.data());
  std::copy(outcome.buffer.begin(), outcome.buffer.end(), engine_->buffer.data());
  engine_->random = outcome.random;
  const auto used = std::min(outcome.program.size(), engine_->entries.size());
  std::copy_n(outcome.program.begin(), used, engine_->entries.begin());
  std::fill(engine_->entries.begin() + static_cast<std::ptrdiff_t>(used), engine_->entries.end(),
            ProgramEntry{});
  drawPicture();
  preview::drawFrame(previewBits.data());
  showPreviewBitmap();
  entryTimes_ = outcome.entryNanos;
  showEntryTimes();
  // The run's time, unless a file message came since the run started.
  if (statusText().isEmpty())
    setStatusText(QString::fromStdString(runTimeText(outcome.runNanos)));
}

void CMottlerDlg::showProgress() {
  if (worker_->runningId() == latestRun_) progress_->setValue(worker_->progress());
}

// The progress bar follows the runs while any is outstanding, and the wait
// cursor shows with "Show the clock"; input goes on as usual.  Afterwards
// the bar is left full.
void CMottlerDlg::showBusy(bool busy) {
  if (busy) {
    if (!progressTimer_->isActive()) progressTimer_->start(kProgressIntervalMs);
    if (!clockShown_ && showClockBox_->isChecked()) {
      QApplication::setOverrideCursor(Qt::BusyCursor);
      clockShown_ = true;
    }
    return;
  }
  progressTimer_->stop();
  progress_->setValue(progress_->maximum());
  if (clockShown_) {
    QApplication::restoreOverrideCursor();
    clockShown_ = false;
  }
}

// New or Open replaces the document: its runs stop (an export still
// finishes), and the preview is black until the new document's picture is
// there.
void CMottlerDlg::leaveDocument() {
  worker_->supersede();
  oldDocumentUpTo_ = latestRun_;
  engine_->setSize(model_.width(), model_.height());
  engine_->clear(engine_->texture);
  engine_->clear(engine_->buffer);
  drawPicture();
  preview::drawFrame(previewBits.data());
  showPreviewBitmap();
}

void CMottlerDlg::waitUntilIdle() {
  // Every outstanding run ends with an event that wakes this loop.
  while (isRunning())
    QCoreApplication::processEvents(QEventLoop::AllEvents | QEventLoop::WaitForMoreEvents);
}

// The last finished picture (the texture, or the buffer with "Look
// Buffer"), zoomed into the preview bitmap, or tiled 3 x 3 to fit with
// "Tile".
void CMottlerDlg::drawPicture() {
  preview::clearBitmap(previewBits.data());
  copyPlaneToPreview();
}

void CMottlerDlg::copyPlaneToPreview() {
  const int width = engine_->width;
  const int height = engine_->height;
  const TexturePlane& source = lookBufferBox_->isChecked() ? engine_->buffer : engine_->texture;
  if (tileBox_->isChecked()) {
    preview::blitTiled(width, height, source.data(), previewBits.data());
    return;
  }
  const preview::Placement place = preview::placeZoomed(zoom, width, height);
  preview::blitZoomed(place.x0, place.y0, width, height, place.zoomedWidth, place.zoomedHeight,
                      source.data(), previewBits.data());
}

void CMottlerDlg::showPreviewBitmap() { preview_->setBitmap(previewBits.data()); }

void CMottlerDlg::onGenerateClicked() {
  forceRedraw = true;
  generate();
}

void CMottlerDlg::onAutoGenerateClicked() { generate(); }

// Each program entry's time in the last finished run: the tooltip of its
// list item and its accessible description; slow entries are marked.
void CMottlerDlg::showEntryTimes() {
  for (int i = 0; i < list_->count(); ++i) {
    QListWidgetItem* item = list_->item(i);
    const bool timed = static_cast<std::size_t>(i) < entryTimes_.size();
    const EntryTime described = describeEntryTime(timed ? entryTimes_[static_cast<std::size_t>(i)] : 0);
    const bool slow = timed && described.slow;
    const QString time = timed ? QString::fromStdString(described.text) : QString();
    const QString tip = timed ? item->text() + QStringLiteral(": ") + time : QString();
    if (item->toolTip() != tip) item->setToolTip(tip);
    if (item->data(Qt::AccessibleDescriptionRole).toString() != time)
      item->setData(Qt::AccessibleDescriptionRole, time);
    QFont font = list_->font();
    font.setBold(slow);
    if (item->font() != font) item->setFont(font);
    const QVariant colour = slow ? QVariant(QBrush(QColor(0xb0, 0x10, 0x10))) : QVariant();
    if (item->data(Qt::ForegroundRole) != colour) item->setData(Qt::ForegroundRole, colour);
  }
}
