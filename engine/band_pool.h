// Threads that share the work of one command: the calling thread and
// threads - 1 helpers, made once (TextureEngine::setThreads) and waiting
// between commands, so that a run neither makes threads nor allocates.
//
// forEach(count, job) calls job(worker, index) once for every index
// 0..count-1, spread over the workers (worker 0 is the calling thread), and
// returns when all are done.  Jobs that write disjoint parts of the planes
// (bands of rows, interleaved grids) give the same bits whatever the number
// of threads and whichever worker takes which index.
#pragma once

#include <algorithm>
#include <atomic>
#include <condition_variable>
#include <cstdint>
#include <mutex>
#include <thread>
#include <vector>

namespace mottler {

// Whether this build can start threads (WebAssembly without its threads
// option cannot: there a pool of any size runs everything on the caller).
#if defined(__EMSCRIPTEN__) && !defined(__EMSCRIPTEN_PTHREADS__)
inline constexpr bool kThreadsSupported = false;
#else
inline constexpr bool kThreadsSupported = true;
#endif

// The threads to use by default: one per core, where threads can be started.
inline int usableThreads() {
  if (!kThreadsSupported) return 1;
  return static_cast<int>(std::max(1u, std::thread::hardware_concurrency()));
}

class BandPool {
 public:
  explicit BandPool(int threads);
  ~BandPool();
  BandPool(const BandPool&) = delete;
  BandPool& operator=(const BandPool&) = delete;

  int threads() const { return static_cast<int>(helpers_.size()) + 1; }

  template <class Job>
  void forEach(int count, Job& job) {
    run(count, &job,
        [](void* context, int worker, int index) { (*static_cast<Job*>(context))(worker, index); });
  }

 private:
  using Call = void (*)(void*, int, int);
  void run(int count, void* context, Call call);
  void work(int worker);
  void takeIndexes(int worker);

  std::vector<std::thread> helpers_;
  std::mutex mutex_;
  std::condition_variable wake_;
  std::condition_variable finished_;
  std::uint64_t round_ = 0;  // counts forEach calls; helpers wake on a new one
  bool stopping_ = false;
  int busy_ = 0;         // helpers that joined the current round and are not done
  bool closed_ = false;  // every index of the current round is taken; no one joins

  // The current round.
  void* context_ = nullptr;
  Call call_ = nullptr;
  int count_ = 0;
  std::atomic<int> next_{0};
};

// Textures from this many pixels up share their per-pixel work over the
// threads in bands of rows; below, waking the helpers costs more than the
// work.  (The bytes are the same either way.)
inline constexpr int kBandedFromPixels = 512 * 512;

// Runs rows(y0, y1) over bands of `bandRows` rows that cover 0..height-1,
// on the pool's threads when there is a pool and the plane is `pixels`
// large enough, else all at once on the calling thread.  Each band must
// write only its own rows.
template <class Rows>
void forEachBandOfRows(BandPool* pool, int pixels, int height, int bandRows, Rows& rows) {
  if (pool == nullptr || pixels < kBandedFromPixels) {
    rows(0, height);
    return;
  }
  auto band = [&](int, int index) {
    const int y0 = index * bandRows;
    rows(y0, std::min(height, y0 + bandRows));
  };
  pool->forEach((height + bandRows - 1) / bandRows, band);
}

}  // namespace mottler
