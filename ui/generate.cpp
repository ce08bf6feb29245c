// The generation cycle: runs the program through the render controller,
// follows the run with the progress bar and the wait cursor, and redraws the
// preview from the last finished picture; the "&Generate" button and the "Auto
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
#include "ui/dialogs/dialog_seam.h"
#include "ui/dialogs/dialog_texts.h"
#include "ui/main_dialog.h"
#include "ui/render_controller.h"
#include "ui/preview_control.h"
#include "ui/close_up_view.h"
#include "ui/variations_view.h"

using namespace mottler;
using namespace mottler::ui;

void CMottlerDlg::generate() {
  if (autoGenerateBox_->isChecked() || forceRedraw_) {
    if (redrawOnly_) {
      drawPicture();
    } else {
      startRun();
    }
  }
  preview::drawFrame(previewBits_.data());
  showPreviewBitmap();
  forceRedraw_ = false;
  redrawOnly_ = false;
}

// The run the program as the model lays it out now: a copy of the slots
// (the committed entries and the pending one), the seed and the size.
RunRequest CMottlerDlg::runRequest() const {
  RunRequest request;
  request.program = model_.runSlots();
  request.seed = model_.seed();
  request.width = model_.width();
  request.height = model_.height();
  return request;
}

// The one place where the window starts a run (an export adds a path).
void CMottlerDlg::startRun(const QString& exportPath, PictureType exportType) {
  RunRequest request = runRequest();
  if (variations_ != nullptr && variations_->isVisible())
    variations_->showProgram(request.program, request.seed, request.width, request.height);
  if (closeUp_ != nullptr && closeUp_->isVisible())
    closeUp_->showProgram(request.program, request.seed, request.width, request.height);
  setStatusText(QString());
  if (exportPath.isEmpty())
    renders_->start(std::move(request));
  else
    renders_->exportAfterRun(std::move(request), exportPath, exportType);
}

void CMottlerDlg::connectRenders() {
  connect(renders_, &RenderController::runStarted, this, [this](int size) {
    progress_->setRange(0, size);
    progress_->setValue(0);
  });
  connect(renders_, &RenderController::progressed, progress_, &QProgressBar::setValue);
  connect(renders_, &RenderController::busyChanged, this, &CMottlerDlg::showBusy);
  connect(renders_, &RenderController::pictureChanged, this, &CMottlerDlg::showPicture);
  connect(renders_, &RenderController::exportWritten, this,
          [this](const QString& path) { setStatusText(QStringLiteral(" ") + path + QStringLiteral(" saved")); });
  connect(renders_, &RenderController::exportFailed, this, [this] { ui::showFileError(this, kCouldNotSaveText); });
}

// A finished run's picture (or the black one of a new document) is
// composed into the preview once, and the list tells the entries' times.
void CMottlerDlg::showPicture() {
  drawPicture();
  preview::drawFrame(previewBits_.data());
  showPreviewBitmap();
  showEntryTimes();
  // The run's time, unless a file message came since the run started.
  const RunOutcome& picture = renders_->picture();
  if (picture.id != 0 && statusText().isEmpty())
    setStatusText(QString::fromStdString(runTimeText(picture.runNanos)));
}

// The progress bar follows the runs while any is outstanding, and the wait
// cursor shows with "Show the clock"; input goes on as usual.  Afterwards
// the bar is left full.
void CMottlerDlg::showBusy(bool busy) {
  if (busy) {
    if (!clockShown_ && showClockBox_->isChecked()) {
      QApplication::setOverrideCursor(Qt::BusyCursor);
      clockShown_ = true;
    }
    return;
  }
  progress_->setValue(progress_->maximum());
  if (clockShown_) {
    QApplication::restoreOverrideCursor();
    clockShown_ = false;
  }
}

// New or Open replaces the document: its runs stop (an export still
// finishes), and the preview is black until the new document's picture is
// there.
void CMottlerDlg::leaveDocument() { renders_->leaveDocument(model_.width(), model_.height()); }

bool CMottlerDlg::isRunning() const { return renders_->isRunning(); }

void CMottlerDlg::waitUntilIdle() { renders_->waitUntilIdle(); }

const RunOutcome& CMottlerDlg::picture() const { return renders_->picture(); }

// The last finished picture (the texture, or the buffer with "Look
// Buffer"), zoomed into the preview bitmap, or tiled 3 x 3 to fit with
// "Tile".
void CMottlerDlg::drawPicture() {
  preview::clearBitmap(previewBits_.data());
  copyPlaneToPreview();
}

void CMottlerDlg::copyPlaneToPreview() {
  const RunOutcome& picture = renders_->picture();
  const int width = picture.width;
  const int height = picture.height;
  const std::vector<std::uint32_t>& source = lookBufferBox_->isChecked() ? picture.buffer : picture.texture;
  if (source.size() < static_cast<std::size_t>(width) * static_cast<std::size_t>(height)) return;
  if (tileBox_->isChecked()) {
    preview::blitTiled(width, height, source.data(), previewBits_.data());
    return;
  }
  const preview::Placement place = preview::placeZoomed(zoom_, width, height);
  preview::blitZoomed(place.x0, place.y0, width, height, place.zoomedWidth, place.zoomedHeight,
                      source.data(), previewBits_.data());
}

void CMottlerDlg::showPreviewBitmap() { preview_->setBitmap(previewBits_.data()); }

void CMottlerDlg::onGenerateClicked() {
  forceRedraw_ = true;
  generate();
}

void CMottlerDlg::onAutoGenerateClicked() { generate(); }

// Each program entry's time in the last finished run: the tooltip of its
// list item and its accessible description; slow entries are marked.
void CMottlerDlg::showEntryTimes() {
  for (int i = 0; i < list_->count(); ++i) {
    QListWidgetItem* item = list_->item(i);
    const std::vector<std::int64_t>& times = renders_->picture().entryNanos;
    const bool timed = static_cast<std::size_t>(i) < times.size();
    const EntryTime described = describeEntryTime(timed ? times[static_cast<std::size_t>(i)] : 0);
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
