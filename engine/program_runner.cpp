#include "engine/program_runner.h"

#include <algorithm>
#include <chrono>
#include <cstring>

namespace mottler {

namespace {

// Stops watching the flag when a run returns, however it returns.
class Watching {
 public:
  Watching(TextureEngine& engine, const std::atomic<bool>* flag) : engine_(engine) {
    engine_.cancel.watch(flag);
  }
  ~Watching() { engine_.cancel.watch(nullptr); }
  Watching(const Watching&) = delete;
  Watching& operator=(const Watching&) = delete;

 private:
  TextureEngine& engine_;
};

}  // namespace

ProgramRunner::ProgramRunner(std::size_t budgetBytes)
    : budget_(budgetBytes),
      // Left uninitialised: the pages are touched only as snapshots fill them.
      pool_(new std::uint32_t[budgetBytes / sizeof(std::uint32_t)]),
      slots_(kBoundaries),
      slotAt_(kBoundaries, -1),
      ran_(kProgramSlots),
      times_(kProgramSlots, 0) {}

void ProgramRunner::forget() {
  std::fill(slots_.begin(), slots_.end(), Slot{});
  std::fill(slotAt_.begin(), slotAt_.end(), std::int16_t{-1});
  std::fill(times_.begin(), times_.end(), std::int64_t{0});
  kept_ = 0;
  ranSize_ = 0;
  editPoint_ = -1;
  end_ = 0;
  width_ = -1;
  height_ = -1;
}

// Snapshots taken at another size or with another seed describe other
// pictures: they are all dropped, and the slots are cut to the new size.
void ProgramRunner::adoptSize(const TextureEngine& engine, int seed) {
  // The same size at another scale is another picture.
  if (engine.width == width_ && engine.height == height_ && engine.scale == scale_ && seed == seed_)
    return;
  forget();
  width_ = engine.width;
  height_ = engine.height;
  scale_ = engine.scale;
  seed_ = seed;
  slotPixels_ = 2 * static_cast<std::size_t>(std::max(engine.pixelCount, 0));
  const std::size_t slotBytes = slotPixels_ * sizeof(std::uint32_t);
  capacity_ = slotBytes == 0
                  ? 0
                  : static_cast<int>(std::min<std::size_t>(budget_ / slotBytes, kBoundaries - 1));
}

// The first slot whose entry differs from the program the snapshots came
// from; the shorter length when one program begins with the other.
int ProgramRunner::firstChange(std::span<const ProgramEntry> program) const {
  const int common = std::min(static_cast<int>(program.size()), ranSize_);
  for (int i = 0; i < common; ++i)
    if (std::memcmp(&program[static_cast<std::size_t>(i)], &ran_[static_cast<std::size_t>(i)],
                    sizeof(ProgramEntry)) != 0)
      return i;
  return common;
}

// A snapshot at boundary b depends on the entries before b only.
void ProgramRunner::dropPast(int boundary) {
  for (int b = boundary + 1; b < kBoundaries; ++b) {
    const int slot = slotAt_[static_cast<std::size_t>(b)];
    if (slot < 0) continue;
    slots_[static_cast<std::size_t>(slot)].boundary = -1;
    slotAt_[static_cast<std::size_t>(b)] = -1;
    --kept_;
  }
}

// Two slots are kept back for the changed slot's boundary and the end; the
// others hold every spacing-th boundary.  With room for every boundary
// the spacing is 1.
void ProgramRunner::chooseSpacing(int size) {
  const int regular = capacity_ - 2;
  if (capacity_ >= size)
    spacing_ = 1;
  else if (regular >= 1)
    spacing_ = (size + regular - 1) / regular;
  else
    spacing_ = kBoundaries;  // room for the two kept back only
}

bool ProgramRunner::wanted(int boundary) const {
  return boundary == editPoint_ || boundary == end_ || boundary % spacing_ == 0;
}

int ProgramRunner::bestStart(int boundary) const {
  for (int b = boundary; b > 0; --b)
    if (slotAt_[static_cast<std::size_t>(b)] >= 0) return b;
  return 0;
}

std::uint32_t* ProgramRunner::texturePart(int slot) const {
  return pool_.get() + static_cast<std::size_t>(slot) * slotPixels_;
}

std::uint32_t* ProgramRunner::bufferPart(int slot) const {
  return texturePart(slot) + slotPixels_ / 2;
}

void ProgramRunner::restore(TextureEngine& engine, int boundary) const {
  if (boundary == 0) {
    engine.clear(engine.texture);
    engine.clear(engine.workPlane);
    engine.clear(engine.buffer);
    engine.random.seed(seed_);
    return;
  }
  const int slot = slotAt_[static_cast<std::size_t>(boundary)];
  const std::size_t bytes = slotPixels_ / 2 * sizeof(std::uint32_t);
  std::memcpy(engine.texture.data(), texturePart(slot), bytes);
  std::memcpy(engine.buffer.data(), bufferPart(slot), bytes);
  engine.random = slots_[static_cast<std::size_t>(slot)].random;
}

// A free slot, else one whose boundary is no longer wanted; -1 when every
// slot holds a wanted boundary.
int ProgramRunner::slotToReuse() const {
  for (int s = 0; s < capacity_; ++s)
    if (slots_[static_cast<std::size_t>(s)].boundary < 0) return s;
  for (int s = 0; s < capacity_; ++s)
    if (!wanted(slots_[static_cast<std::size_t>(s)].boundary)) return s;
  return -1;
}

void ProgramRunner::save(const TextureEngine& engine, int boundary) {
  if (slotAt_[static_cast<std::size_t>(boundary)] >= 0) return;  // kept already
  const int slot = slotToReuse();
  if (slot < 0) return;
  Slot& s = slots_[static_cast<std::size_t>(slot)];
  if (s.boundary >= 0)
    slotAt_[static_cast<std::size_t>(s.boundary)] = -1;
  else
    ++kept_;
  const std::size_t bytes = slotPixels_ / 2 * sizeof(std::uint32_t);
  std::memcpy(texturePart(slot), engine.texture.data(), bytes);
  std::memcpy(bufferPart(slot), engine.buffer.data(), bytes);
  s.random = engine.random;
  s.boundary = boundary;
  slotAt_[static_cast<std::size_t>(boundary)] = static_cast<std::int16_t>(slot);
}

bool ProgramRunner::run(TextureEngine& engine, int seed, std::span<const ProgramEntry> program,
                        const std::atomic<bool>* cancel, RunObserver* observer) {
  const int size = static_cast<int>(std::min(program.size(), std::size_t{kProgramSlots}));
  program = program.first(static_cast<std::size_t>(size));
  std::copy(program.begin(), program.end(), engine.entries.begin());
  std::fill(engine.entries.begin() + size, engine.entries.end(), ProgramEntry{});

  adoptSize(engine, seed);
  const int changed = firstChange(program);
  dropPast(changed);
  std::copy(program.begin() + changed, program.end(), ran_.begin() + changed);
  // Entries from the first change on have no time until they run.
  std::fill(times_.begin() + changed, times_.end(), std::int64_t{0});
  ranSize_ = size;
  editPoint_ = changed;
  end_ = size;
  chooseSpacing(size);

  const int start = bestStart(changed);
  lastStart_ = start;
  restore(engine, start);

  const Watching watching(engine, cancel);
  for (int i = start; i < size; ++i) {
    // Also notices an entry before that stopped early.
    if (engine.cancel.requested()) return false;
    if (i > start && wanted(i)) save(engine, i);
    if (observer != nullptr) observer->entryStarting(i + 1);
    const auto started = std::chrono::steady_clock::now();
    executeEntry(engine, i);
    times_[static_cast<std::size_t>(i)] =
        std::chrono::duration_cast<std::chrono::nanoseconds>(std::chrono::steady_clock::now() - started).count();
  }
  if (engine.cancel.requested()) return false;
  if (size > start && wanted(size)) save(engine, size);
  return true;
}

}  // namespace mottler
