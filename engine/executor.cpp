#include "engine/executor.h"

namespace mottler {

namespace {

// An offset of the design, wrapped into it, in pixels of the scaled texture.
std::int32_t scaledOffset(std::int32_t offset, int designSide, int scale) {
  std::int32_t wrapped = offset % designSide;
  if (wrapped < 0) wrapped += designSide;
  return wrapped * scale;
}

// The entry's command, or nullptr; inRange becomes the entry as the command
// sees it, every parameter brought into its range at the design size and,
// at a scale above 1, carried over to the scale with the X/Y offsets
// (lengths in pixels grow with the scale).
const CommandDecl* commandOf(const TextureEngine& engine, const ProgramEntry& entry,
                             ProgramEntry& inRange) {
  const CommandDecl* command = commandToRun(entry.code);
  if (command == nullptr) return nullptr;
  inRange = entry;
  bringIntoRange(*command, inRange.param, engine.designWidth(), engine.designHeight());
  if (engine.scale > 1) {
    scaleParameters(*command, inRange.param, engine.scale);
    inRange.offsetX = scaledOffset(entry.offsetX, engine.designWidth(), engine.scale);
    inRange.offsetY = scaledOffset(entry.offsetY, engine.designHeight(), engine.scale);
  }
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
