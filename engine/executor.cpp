#include "engine/executor.h"

namespace mottler {

namespace {

// The entry's command, or nullptr; inRange becomes the entry as the command
// sees it, every parameter brought into its range at the texture size.
const CommandDecl* commandOf(const TextureEngine& engine, const ProgramEntry& entry,
                             ProgramEntry& inRange) {
  const CommandDecl* command = commandToRun(entry.code);
  if (command == nullptr) return nullptr;
  inRange = entry;
  bringIntoRange(*command, inRange.param, engine.width, engine.height);
  return command;
}

}  // namespace

void executeCommand(TextureEngine& engine, const ProgramEntry& entry) {
  ProgramEntry inRange;
  if (const CommandDecl* command = commandOf(engine, entry, inRange)) command->run(engine, inRange);
}

void executeReference(TextureEngine& engine, const ProgramEntry& entry) {
  ProgramEntry inRange;
  if (const CommandDecl* command = commandOf(engine, entry, inRange))
    command->reference(engine, inRange);
}

void executeEntry(TextureEngine& engine, int index) {
  executeCommand(engine, engine.entries[static_cast<std::size_t>(index)]);
}

void runProgram(TextureEngine& engine, int seed, int lastIndex, RunObserver* observer) {
  engine.clear(engine.texture);
  engine.clear(engine.workPlane);
  engine.clear(engine.buffer);
  engine.random.seed(seed);
  if (lastIndex >= kProgramSlots) lastIndex = kProgramSlots - 1;
  for (int i = 0; i <= lastIndex; ++i) {
    if (observer) observer->entryStarting(i + 1);
    executeEntry(engine, i);
  }
}

}  // namespace mottler
