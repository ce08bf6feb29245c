// Runs the window's programs on a thread of their own, so that the window
// keeps answering during any run.
//
// A run reads only the copy of the program, seed and size it was asked with.
// A newer request supersedes the run in progress (it is cancelled) and any
// request still waiting, except requests that must finish (an export waits
// for its picture): those run to the end, in order, before the newer ones.
// Every request ends with exactly one runEnded on the window's thread: with
// the planes its run left when it finished, without them when it was
// cancelled or dropped before it started.
#pragma once

#include <QObject>
#include <atomic>
#include <condition_variable>
#include <cstdint>
#include <deque>
#include <memory>
#include <mutex>
#include <thread>
#include <vector>

#include "engine/engine_state.h"
#include "engine/program_runner.h"

namespace mottler::ui {

// What one run reads, copied when it is asked for.
struct RunRequest {
  std::uint64_t id = 0;               // given by submit
  std::vector<ProgramEntry> program;  // the slots run, in order
  int seed = 0;
  int width = 256;   // the design size
  int height = 256;
  // 1: the design itself; s: the same design at s times its width and
  // height, made with every core.
  int scale = 1;
  bool mustFinish = false;  // never superseded, only cancelAll stops it
  bool keepBuffer = true;   // false: the outcome leaves the buffer out
};

// What a run left: the texture and the buffer of its size, the random state
// and the program table, or nothing when it was cancelled.
struct RunOutcome {
  std::uint64_t id = 0;
  bool finished = false;
  int width = 0;  // the picture's own size: the design size times the scale
  int height = 0;
  int scale = 1;
  std::vector<std::uint32_t> texture;
  std::vector<std::uint32_t> buffer;
  RandomState random;
  std::vector<ProgramEntry> program;
  // How long each slot of the program took, and the whole run (what the
  // user waited for: less than the sum when the run began at a snapshot),
  // in nanoseconds.
  std::vector<std::int64_t> entryNanos;
  std::int64_t runNanos = 0;
};

class RenderWorker : public QObject {
  Q_OBJECT

 public:
  explicit RenderWorker(QObject* parent = nullptr);
  // Cancels what runs and waits for the thread, which takes no longer than
  // a run needs to notice the cancellation.
  ~RenderWorker() override;

  RenderWorker(const RenderWorker&) = delete;
  RenderWorker& operator=(const RenderWorker&) = delete;

  // Queues a run; returns its id (ids grow with every request).
  std::uint64_t submit(RunRequest request);
  // Cancels the run in progress and drops the waiting requests, except
  // those that must finish.
  void supersede();
  // Cancels the run in progress and drops every waiting request, also
  // those that must finish.
  void cancelAll();

  // The run in progress (0 when none) and how far it is: the position of
  // the entry that started last, 1..program size.
  std::uint64_t runningId() const { return runningId_.load(std::memory_order_relaxed); }
  int progress() const { return progress_.load(std::memory_order_relaxed); }

 signals:
  // On the thread of the worker object (the window's): a run has ended.
  void runEnded(std::shared_ptr<const mottler::ui::RunOutcome> outcome);

 private:
  void serve();
  std::shared_ptr<RunOutcome> runOne(const RunRequest& request);
  // With mutex_ held: drops the waiting requests (all, or those that need
  // not finish) and cancels the run in progress likewise.
  void dropLocked(bool evenMustFinish);
  void announce(std::shared_ptr<const RunOutcome> outcome);

  std::mutex mutex_;
  std::condition_variable wake_;
  std::deque<RunRequest> waiting_;  // guarded by mutex_
  bool stopping_ = false;           // guarded by mutex_
  bool runningMustFinish_ = false;  // guarded by mutex_
  bool running_ = false;            // guarded by mutex_
  std::uint64_t lastId_ = 0;        // guarded by mutex_
  std::atomic<bool> cancel_{false};
  std::atomic<std::uint64_t> runningId_{0};
  std::atomic<int> progress_{0};

  // Used on the worker's thread only.
  std::unique_ptr<TextureEngine> engine_;
  ProgramRunner runner_;

  std::thread thread_;  // last: starts once everything above exists
};

}  // namespace mottler::ui
