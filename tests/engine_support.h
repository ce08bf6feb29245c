// What the engine's tests share: building entries (random ones from
// random_programs.h), filling and reading planes, stepping the random
// generator, and running an entry on the fast paths and on the reference
// version side by side.
#pragma once

#include <gtest/gtest.h>

#include <algorithm>
#include <climits>
#include <cstdint>
#include <initializer_list>
#include <vector>

#include "engine/arithmetic.h"
#include "engine/commands.h"
#include "engine/executor.h"
#include "random_programs.h"
#include "vector_paths.h"

namespace mottler {

// An entry of a command with its defaults at a texture size.
inline ProgramEntry defaultEntry(CommandCode code, int width, int height) {
  const CommandInfo info = commandInfoForSize(*catalogueIndexOfCode(code), width, height);
  ProgramEntry entry = makeEntry(code);
  for (int k = 0; k < kParamCount; ++k)
    entry.param[static_cast<std::size_t>(k)] = info.defaultValue[static_cast<std::size_t>(k)];
  return entry;
}

// The W x H pixels of a plane.
inline std::vector<std::uint32_t> pixelsOf(const TextureEngine& e, const TexturePlane& plane) {
  return {plane.data(), plane.data() + e.pixelCount};
}

inline void fill(TextureEngine& e, TexturePlane& plane, std::uint32_t pixel) {
  std::fill_n(plane.data(), e.pixelCount, pixel);
}

// A random 32-bit word from three draws, in a fixed order.
inline std::uint32_t randomWord(RandomState& r) {
  const std::uint32_t high = static_cast<std::uint32_t>(r.next()) << 17;
  const std::uint32_t middle = static_cast<std::uint32_t>(r.next()) << 2;
  return high ^ middle ^ static_cast<std::uint32_t>(r.next());
}

// Random words in all four bytes of each pixel of a plane.
inline void fillRandom(TextureEngine& e, TexturePlane& plane, std::int32_t seed) {
  RandomState r;
  r.seed(seed);
  for (int i = 0; i < e.pixelCount; ++i) plane.data()[i] = randomWord(r);
}

// The generator's state after n draws from `from`.
inline std::int32_t stateAfter(std::int32_t from, int n) {
  RandomState r;
  r.seed(from);
  for (int i = 0; i < n; ++i) r.next();
  return r.state;
}

// Makes `to` an exact copy of what a command can see of `from`: size and scale,
// planes (their whole storage), random state and vector path.
inline void copyEngine(const TextureEngine& from, TextureEngine& to) {
  if (to.width != from.width || to.height != from.height || to.scale != from.scale)
    to.setScaledSize(from.designWidth(), from.designHeight(), from.scale);
  for (const auto& [source, target] :
       {std::pair{&from.texture, &to.texture}, std::pair{&from.buffer, &to.buffer},
        std::pair{&from.workPlane, &to.workPlane}})
    std::copy_n(source->data(), std::min(source->capacity(), target->capacity()), target->data());
  to.random = from.random;
  to.wideVectors = from.wideVectors;
}

// Runs an entry on copies of the engine: with the reference version, and
// with the fast path on every vector path.  Expects the same texture,
// buffer and random state from all, and leaves the reference's result in e.
inline void expectSameAsReference(TextureEngine& e, const ProgramEntry& entry) {
  static TextureEngine fast;
  static TextureEngine before;
  copyEngine(e, before);
  executeReference(e, entry);
  for (const bool wide : vectorPaths()) {
    SCOPED_TRACE(pathName(wide));
    copyEngine(before, fast);
    fast.wideVectors = wide;
    executeCommand(fast, entry);
    ASSERT_EQ(pixelsOf(fast, fast.texture), pixelsOf(e, e.texture));
    ASSERT_EQ(pixelsOf(fast, fast.buffer), pixelsOf(e, e.buffer));
    ASSERT_EQ(fast.random.state, e.random.state);
  }
}

}  // namespace mottler
