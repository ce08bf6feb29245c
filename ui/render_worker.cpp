#include "ui/render_worker.h"

#include <QMetaObject>
#include <algorithm>
#include <chrono>
#include <utility>

#include "engine/band_pool.h"
#include "engine/executor.h"

namespace mottler::ui {

namespace {

// Keeps the position of the entry that starts, for the window to read.
class ProgressCounter : public RunObserver {
 public:
  explicit ProgressCounter(std::atomic<int>& position) : position_(position) {}
  void entryStarting(int position) override {
    position_.store(position, std::memory_order_relaxed);
  }

 private:
  std::atomic<int>& position_;
};

}  // namespace

RenderWorker::RenderWorker(QObject* parent)
    : QObject(parent), engine_(std::make_unique<TextureEngine>()), thread_([this] { serve(); }) {}

RenderWorker::~RenderWorker() {
  {
    const std::lock_guard lock(mutex_);
    stopping_ = true;
    waiting_.clear();
    cancel_.store(true);
  }
  wake_.notify_all();
  thread_.join();
}

std::uint64_t RenderWorker::submit(RunRequest request) {
  std::uint64_t id = 0;
  {
    const std::lock_guard lock(mutex_);
    // What waits or runs without needing to finish is out of date now.
    dropLocked(false);
    id = request.id = ++lastId_;
    waiting_.push_back(std::move(request));
  }
  wake_.notify_one();
  return id;
}

void RenderWorker::supersede() {
  const std::lock_guard lock(mutex_);
  dropLocked(false);
}

void RenderWorker::cancelAll() {
  const std::lock_guard lock(mutex_);
  dropLocked(true);
}

void RenderWorker::dropLocked(bool evenMustFinish) {
  const auto dropped =
      std::stable_partition(waiting_.begin(), waiting_.end(),
                            [&](const RunRequest& r) { return r.mustFinish && !evenMustFinish; });
  for (auto r = dropped; r != waiting_.end(); ++r) {
    auto outcome = std::make_shared<RunOutcome>();
    outcome->id = r->id;
    announce(std::move(outcome));
  }
  waiting_.erase(dropped, waiting_.end());
  if (running_ && (evenMustFinish || !runningMustFinish_)) cancel_.store(true);
}

void RenderWorker::announce(std::shared_ptr<const RunOutcome> outcome) {
  // Delivered on the worker object's thread; dropped if the object is gone.
  QMetaObject::invokeMethod(
      this, [this, outcome] { emit runEnded(outcome); }, Qt::QueuedConnection);
}

void RenderWorker::serve() {
  for (;;) {
    RunRequest request;
    {
      std::unique_lock lock(mutex_);
      wake_.wait(lock, [this] { return stopping_ || !waiting_.empty(); });
      if (stopping_) return;
      request = std::move(waiting_.front());
      waiting_.pop_front();
      running_ = true;
      runningMustFinish_ = request.mustFinish;
      cancel_.store(false);
      runningId_.store(request.id, std::memory_order_relaxed);
      progress_.store(0, std::memory_order_relaxed);
    }
    std::shared_ptr<const RunOutcome> outcome = runOne(request);
    {
      const std::lock_guard lock(mutex_);
      running_ = false;
      runningId_.store(0, std::memory_order_relaxed);
    }
    announce(std::move(outcome));
  }
}

std::shared_ptr<RunOutcome> RenderWorker::runOne(const RunRequest& request) {
  auto outcome = std::make_shared<RunOutcome>();
  outcome->id = request.id;
  TextureEngine& engine = *engine_;
  if (engine.designWidth() != request.width || engine.designHeight() != request.height ||
      engine.scale != request.scale) {
    engine.setScaledSize(request.width, request.height, request.scale);
    runner_.forget();
  }
  // A design-size run is small enough for one thread; a scaled one shares
  // its work among every core (the same bits either way).
  const int threads = request.scale > 1 ? usableThreads() : 1;
  if (engine.threads() != threads) engine.setThreads(threads);
  ProgressCounter counter(progress_);
  const auto started = std::chrono::steady_clock::now();
  if (!runner_.run(engine, request.seed, request.program, &cancel_, &counter)) return outcome;
  outcome->runNanos =
      std::chrono::duration_cast<std::chrono::nanoseconds>(std::chrono::steady_clock::now() - started).count();
  outcome->entryNanos.assign(runner_.entryTimes().begin(), runner_.entryTimes().end());

  outcome->finished = true;
  outcome->width = engine.width;
  outcome->height = engine.height;
  outcome->scale = engine.scale;
  const std::size_t pixels = static_cast<std::size_t>(engine.pixelCount);
  outcome->texture.assign(engine.texture.data(), engine.texture.data() + pixels);
  if (request.keepBuffer) outcome->buffer.assign(engine.buffer.data(), engine.buffer.data() + pixels);
  outcome->random = engine.random;
  outcome->program = request.program;
  return outcome;
}

}  // namespace mottler::ui
