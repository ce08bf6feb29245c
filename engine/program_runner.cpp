#include "engine/program_runner.h"

#include <algorithm>

namespace mottler {

ProgramRunner::ProgramRunner(std::size_t budgetBytes) : budget_(budgetBytes) {}

void ProgramRunner::forget() {}

bool ProgramRunner::run(TextureEngine& engine, int seed, std::span<const ProgramEntry> program,
                        const std::atomic<bool>* cancel, RunObserver* observer) {
  const std::size_t size = std::min(program.size(), static_cast<std::size_t>(kProgramSlots));
  std::copy_n(program.begin(), size, engine.entries.begin());
  std::fill(engine.entries.begin() + static_cast<std::ptrdiff_t>(size), engine.entries.end(),
            ProgramEntry{});

  engine.clear(engine.texture);
  engine.clear(engine.workPlane);
  engine.clear(engine.buffer);
  engine.random.seed(seed);
  for (std::size_t i = 0; i < size; ++i) {
    if (cancel != nullptr && cancel->load(std::memory_order_relaxed)) return false;
    if (observer != nullptr) observer->entryStarting(static_cast<int>(i) + 1);
    executeEntry(engine, static_cast<int>(i));
  }
  return cancel == nullptr || !cancel->load(std::memory_order_relaxed);
}

}  // namespace mottler
