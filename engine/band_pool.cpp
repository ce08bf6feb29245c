#include "engine/band_pool.h"

namespace mottler {

BandPool::BandPool(int threads) {
  for (int w = 1; w < threads; ++w) helpers_.emplace_back(&BandPool::work, this, w);
}

BandPool::~BandPool() {
  {
    const std::lock_guard<std::mutex> lock(mutex_);
    stopping_ = true;
  }
  wake_.notify_all();
  for (std::thread& t : helpers_) t.join();
}

void BandPool::takeIndexes(int worker) {
  for (int i = next_++; i < count_; i = next_++) call_(context_, worker, i);
}

void BandPool::run(int count, void* context, Call call) {
  if (helpers_.empty() || count <= 1) {
    for (int i = 0; i < count; ++i) call(context, 0, i);
    return;
  }
  {
    const std::lock_guard<std::mutex> lock(mutex_);
    context_ = context;
    call_ = call;
    count_ = count;
    next_ = 0;
    busy_ = 0;
    closed_ = false;
    ++round_;
  }
  wake_.notify_all();
  takeIndexes(0);
  // Every index is taken: wait only for the helpers that joined in.  One not
  // woken yet (its core busy with another process) finds the round closed
  // and keeps out, so a loaded machine costs no more than one thread.
  std::unique_lock<std::mutex> lock(mutex_);
  closed_ = true;
  finished_.wait(lock, [this] { return busy_ == 0; });
}

void BandPool::work(int worker) {
  std::uint64_t seen = 0;
  for (;;) {
    {
      std::unique_lock<std::mutex> lock(mutex_);
      wake_.wait(lock, [&] { return stopping_ || round_ != seen; });
      if (stopping_) return;
      seen = round_;
      if (closed_) continue;
      ++busy_;
    }
    takeIndexes(worker);
    {
      const std::lock_guard<std::mutex> lock(mutex_);
      if (--busy_ == 0) finished_.notify_one();
    }
  }
}

}  // namespace mottler
