#include "ui/render_controller.h"

#include <QCoreApplication>
#include <QEventLoop>
#include <QFile>
#include <QTimer>

#include <algorithm>
#include <filesystem>

#include "document/atomic_file.h"

namespace mottler::ui {

namespace {

// How often the progress follows a run.
constexpr int kProgressIntervalMs = 50;

// A finished picture of a size with black planes.
std::shared_ptr<const RunOutcome> blackPicture(int width, int height) {
  auto picture = std::make_shared<RunOutcome>();
  picture->finished = true;
  picture->width = width;
  picture->height = height;
  const auto pixels = static_cast<std::size_t>(width) * static_cast<std::size_t>(height);
  picture->texture.assign(pixels, 0u);
  picture->buffer.assign(pixels, 0u);
  return picture;
}

}  // namespace

RenderController::RenderController(QObject* parent)
    : QObject(parent), worker_(new RenderWorker(this)), progressTimer_(new QTimer(this)) {
  picture_ = blackPicture(256, 256);
  connect(worker_, &RenderWorker::runEnded, this, &RenderController::onRunEnded);
  connect(progressTimer_, &QTimer::timeout, this, &RenderController::followProgress);
}

RenderController::~RenderController() { delete worker_; }

std::uint64_t RenderController::start(RunRequest request) {
  const int size = static_cast<int>(request.program.size());
  latestRun_ = worker_->submit(std::move(request));
  if (outstanding_++ == 0) {
    progressTimer_->start(kProgressIntervalMs);
    emit busyChanged(true);
  }
  emit runStarted(size);
  return latestRun_;
}

void RenderController::exportAfterRun(RunRequest request, const QString& path, PictureType type) {
  request.mustFinish = true;
  pendingExports_.push_back({start(std::move(request)), path, type});
}

void RenderController::leaveDocument(int width, int height) {
  worker_->supersede();
  oldDocumentUpTo_ = latestRun_;
  picture_ = blackPicture(width, height);
  emit pictureChanged();
}

void RenderController::stopAll() {
  worker_->cancelAll();
  pendingExports_.clear();
}

void RenderController::waitUntilIdle() {
  // Every outstanding run ends with an event that wakes this loop.
  while (isRunning())
    QCoreApplication::processEvents(QEventLoop::AllEvents | QEventLoop::WaitForMoreEvents);
}

void RenderController::onRunEnded(const std::shared_ptr<const RunOutcome>& outcome) {
  --outstanding_;
  if (outcome->finished) {
    // A picture of a document that New or Open replaced is not shown; an
    // export that waited for it is still written.
    if (outcome->id > oldDocumentUpTo_) {
      picture_ = outcome;
      emit pictureChanged();
    }
    const auto waiting = std::find_if(pendingExports_.begin(), pendingExports_.end(),
                                      [&](const PendingExport& e) { return e.run == outcome->id; });
    if (waiting != pendingExports_.end()) {
      const PendingExport done = *waiting;
      pendingExports_.erase(waiting);
      writeExport(*outcome, done.path, done.type);
    }
  }
  if (outstanding_ == 0) {
    progressTimer_->stop();
    emit busyChanged(false);
  }
}

void RenderController::followProgress() {
  if (worker_->runningId() == latestRun_) emit progressed(worker_->progress());
}

void RenderController::writeExport(const RunOutcome& outcome, const QString& path, PictureType type) {
  // The picture of that run, in an engine of its size for the encoders.
  const auto engine = std::make_unique<TextureEngine>();
  engine->setSize(outcome.width, outcome.height);
  std::copy(outcome.texture.begin(), outcome.texture.end(), engine->texture.data());
  const std::vector<std::uint8_t> bytes = encodePicture(*engine, type);
  std::string error;
  if (bytes.empty() ||
      !writeFileAtomically(std::filesystem::path(QFile::encodeName(path).toStdString()), bytes, &error)) {
    emit exportFailed(path);
    return;
  }
  emit exportWritten(path);
}

}  // namespace mottler::ui
