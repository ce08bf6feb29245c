// Runs a program again and again as an editor changes it a little at a time.
//
// The runner is what the window's background run and the timing benchmarks
// use instead of runProgram: it is handed a copy of the whole program each
// time, and a run can be cancelled from another thread.  A cancelled run
// leaves the engine's planes meaningless; a finished one leaves exactly what
// runProgram would have left (texture, buffer and random state).
//
// Snapshots.  Between entries the texture, the buffer and the random state
// are all a run carries forward: every command that reads the work plane (or
// the scratch fields) writes what it reads first.  So the state at an entry
// boundary, copied aside, lets a later run start there instead of at the
// top, as long as the entries before that boundary, the seed and the size
// are the same.  Each run compares its program with the one the snapshots
// came from, drops the snapshots past the first changed slot and starts from
// the nearest one at or before it.
//
// Which boundaries are kept: every spacing-th (the spacing grows with the
// program so that they fit the memory budget), the boundary of the slot
// changed last (so that dragging one entry's scroll bar reruns from that
// entry on) and the end of the program.  All the memory is taken when the
// runner is made; a run allocates nothing.
//
// Times.  Every entry a run executes is timed (steady clock, nanoseconds).
// An entry that a run skipped because it started from a snapshot keeps the
// time of the run that executed it: it is the same entry on the same state.
#pragma once

#include <atomic>
#include <cstddef>
#include <cstdint>
#include <memory>
#include <span>
#include <vector>

#include "engine/engine_state.h"
#include "engine/executor.h"

namespace mottler {

// The memory the runner may keep for snapshots, at most: 128 snapshots of a
// 256 x 256 texture and buffer.
inline constexpr std::size_t kDefaultRunnerBudget = std::size_t{64} << 20;

class ProgramRunner {
 public:
  explicit ProgramRunner(std::size_t budgetBytes = kDefaultRunnerBudget);

  // Runs program[0..size-1] (the slot after the committed entries included)
  // with the seed, at the engine's current size: the program is copied into
  // the engine's table, the rest of the table emptied.  Starts from the
  // best snapshot that is still valid.  Returns false when *cancel became
  // true before the run finished (then the engine's planes hold no
  // meaningful picture, and the snapshots taken so far are kept).  The
  // observer is told each entry as it starts, positions start + 1..size.
  bool run(TextureEngine& engine, int seed, std::span<const ProgramEntry> program,
           const std::atomic<bool>* cancel = nullptr, RunObserver* observer = nullptr);

  // Forgets every snapshot: the next run starts at the top.
  void forget();

  // How long each entry of the last run took, nanoseconds, slots
  // 0..size-1 of that run's program.
  std::span<const std::int64_t> entryTimes() const {
    return {times_.data(), static_cast<std::size_t>(ranSize_)};
  }

  std::size_t budgetBytes() const { return budget_; }
  // How many snapshots fit at the size of the last run, and how many are kept.
  int capacity() const { return capacity_; }
  int snapshotCount() const { return kept_; }
  // The memory the kept snapshots fill.
  std::size_t snapshotBytes() const {
    return static_cast<std::size_t>(kept_) * slotPixels_ * sizeof(std::uint32_t);
  }
  // The entry the last run started at (0: from the top), and every how many
  // entries a snapshot is kept for a program of its length.
  int lastStart() const { return lastStart_; }
  int spacing() const { return spacing_; }

 private:
  static constexpr int kBoundaries = kProgramSlots + 1;  // before each slot, and the end

  struct Slot {
    int boundary = -1;  // the entry this state comes before; -1: free
    RandomState random;
  };

  void adoptSize(const TextureEngine& engine, int seed);
  int firstChange(std::span<const ProgramEntry> program) const;
  void dropPast(int boundary);
  void chooseSpacing(int size);
  bool wanted(int boundary) const;
  int bestStart(int boundary) const;
  void restore(TextureEngine& engine, int boundary) const;
  void save(const TextureEngine& engine, int boundary);
  int slotToReuse() const;
  std::uint32_t* texturePart(int slot) const;
  std::uint32_t* bufferPart(int slot) const;

  std::size_t budget_;
  std::unique_ptr<std::uint32_t[]> pool_;  // budget_ bytes, carved into slots
  std::vector<Slot> slots_;                // capacity_ of them in use
  std::vector<std::int16_t> slotAt_;       // per boundary: its slot, or -1
  std::vector<ProgramEntry> ran_;          // the program the snapshots came from
  std::vector<std::int64_t> times_;        // per slot of ran_: its time, nanoseconds
  int ranSize_ = 0;

  int width_ = -1;
  int height_ = -1;
  int scale_ = 1;
  int seed_ = 0;
  std::size_t slotPixels_ = 0;  // texture and buffer
  int capacity_ = 0;
  int kept_ = 0;
  int spacing_ = 1;
  int editPoint_ = -1;  // the boundary of the slot changed last
  int end_ = 0;         // the end of the program of the last run
  int lastStart_ = 0;
};

}  // namespace mottler
