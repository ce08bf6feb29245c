// Running programs: one entry at a time, the layer blend, and a whole run.
#pragma once

#include "engine/engine_state.h"

namespace mottler {

// Runs entries[index]: dispatches on the low byte of its code.  Codes that
// match no command do nothing.
void executeEntry(TextureEngine& engine, int index);

// Runs one entry that need not live in the program table.  Its command sees
// the entry with every parameter brought into its range at the texture size
// (bringIntoRange), whatever the entry holds.
void executeCommand(TextureEngine& engine, const ProgramEntry& entry);

// The same with the command's reference version: the rule written
// literally, pixel by pixel (engine/reference/).  Slow; the tests compare
// the fast paths with it.
void executeReference(TextureEngine& engine, const ProgramEntry& entry);

// Blends a whole plane into the texture under the entry's method and offsets.
// Offsets outside the texture wrap; a method whose low byte is not 0..9 lets
// the layer replace the texture.
void blendLayer(TextureEngine& engine, const TexturePlane& source, const ProgramEntry& entry);

// Told before each entry of a run starts, so a caller can show progress.
class RunObserver {
 public:
  virtual ~RunObserver() = default;
  // position runs 1..lastIndex + 1.
  virtual void entryStarting(int position) = 0;
};

// A whole run: clears the texture, the work plane and the buffer, seeds the
// random generator and runs entries 0..lastIndex inclusive.
void runProgram(TextureEngine& engine, int seed, int lastIndex, RunObserver* observer = nullptr);

}  // namespace mottler
