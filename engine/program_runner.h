// Runs a program again and again as an editor changes it a little at a time.
//
// The runner is what the window's background run and the timing benchmarks
// use instead of runProgram: it is handed a copy of the whole program each
// time, and a run can be cancelled from another thread.  A cancelled run
// leaves the engine's planes meaningless; a finished one leaves exactly what
// runProgram would have left (texture, buffer and random state).
#pragma once

#include <atomic>
#include <cstddef>
#include <span>

#include "engine/engine_state.h"
#include "engine/executor.h"

namespace mottler {

// The memory the runner may keep for its own use, at most.
inline constexpr std::size_t kDefaultRunnerBudget = std::size_t{64} << 20;

class ProgramRunner {
 public:
  explicit ProgramRunner(std::size_t budgetBytes = kDefaultRunnerBudget);

  // Runs program[0..size-1] (the slot after the committed entries included)
  // with the seed, at the engine's current size: the program is copied into
  // the engine's table, the rest of the table emptied.  Returns false when
  // *cancel became true before the run finished (then the engine's planes
  // hold no meaningful picture).  The observer is told each entry as it
  // starts, positions 1..size.
  bool run(TextureEngine& engine, int seed, std::span<const ProgramEntry> program,
           const std::atomic<bool>* cancel = nullptr, RunObserver* observer = nullptr);

  // Forgets everything remembered from earlier runs.
  void forget();

  std::size_t budgetBytes() const { return budget_; }

 private:
  std::size_t budget_;
};

}  // namespace mottler
