// What the engine's tests share: building entries, filling and reading
// planes, stepping the random generator, and running an entry on the fast
// paths and on the reference version side by side.
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
#include "vector_paths.h"

namespace mottler {

// An entry of a command with the given leading parameters (the others 0),
// blend method "Add" as a new entry gets it, and no offsets.
inline ProgramEntry makeEntry(CommandCode code, std::initializer_list<std::int32_t> params = {},
                              int method = Add) {
  ProgramEntry entry;
  entry.code = code;
  std::copy(params.begin(), params.end(), entry.param.begin());
  entry.method = method;
  return entry;
}

// An entry of a command with its defaults at a texture size.
inline ProgramEntry defaultEntry(CommandCode code, int width, int height) {
  const CommandInfo info = commandInfoForSize(*catalogueIndexOfCode(code), width, height);
  ProgramEntry entry = makeEntry(code);
  for (int k = 0; k < kParamCount; ++k)
    entry.param[static_cast<std::size_t>(k)] = info.defaultValue[static_cast<std::size_t>(k)];
  return entry;
}

struct Size {
  int width, height;
};

// A source of random choices for one command.
class Dice {
 public:
  explicit Dice(std::int32_t seed) { random_.seed(seed); }
  int below(int n) {
    const int high = random_.next();
    return (high * 32768 + random_.next()) % n;
  }
  int between(int lo, int hi) { return lo + below(hi - lo + 1); }
  bool oneIn(int n) { return below(n) == 0; }

 private:
  RandomState random_;
};

// A value for a parameter at a texture size: often an end of its range,
// otherwise anywhere in it.  Counts, repetitions and lengths stay small
// where large ones would only repeat the same work (over and over the same
// pixels on a small texture) on the reference's slow path.  Values outside
// the range appear on small textures, above it only where it costs little.
inline std::int32_t randomValue(const ParamDecl& p, const Size& s, Dice& dice) {
  const ParamLimits limits = p.limitsAt(s.width, s.height);
  const int lo = limits.minValue;
  int hi = std::max(lo, limits.maxValue);
  const bool large = s.width * s.height > 4096;
  const bool costly =
      p.unit == Unit::CountPerArea || p.unit == Unit::Passes || p.unit == Unit::Pixels;
  if (p.unit == Unit::CountPerArea) hi = std::min(hi, lo + (large ? 2 : 7));
  if (p.unit == Unit::Passes && large) hi = std::min(hi, lo + 3);
  if (p.unit == Unit::Pixels)
    hi = std::min(hi, lo + (large ? 24 : std::min(48, 2 * std::max(s.width, s.height))));
  if (s.width * s.height <= 256 && dice.oneIn(12)) {
    const std::int32_t outside[] = {INT_MIN, -1, limits.maxValue + 1, INT_MAX};
    return outside[dice.below(costly ? 2 : 4)];
  }
  switch (dice.below(4)) {
    case 0:
      return lo;
    case 1:
      return hi;
    default:
      return dice.between(lo, hi);
  }
}

inline ProgramEntry randomEntry(const CommandDecl& command, const Size& s, int method, Dice& dice) {
  ProgramEntry entry = makeEntry(command.code);
  for (std::size_t k = 0; k < kParamCount; ++k)
    entry.param[k] = command.params[k].used() ? randomValue(command.params[k], s, dice)
                                              : dice.between(-1000, 1000);  // never read
  // The method's low byte counts; 10 and above let the layer replace.
  entry.method = method + (dice.oneIn(4) ? 256 * dice.between(1, 100) : 0);
  entry.offsetX = dice.oneIn(8) ? dice.between(-1000, 1000) : dice.below(s.width);
  entry.offsetY = dice.oneIn(8) ? dice.between(-1000, 1000) : dice.below(s.height);
  entry.fixedColors = static_cast<std::uint8_t>(dice.below(2));
  entry.disabled = static_cast<std::uint8_t>(dice.oneIn(8) ? 1 : 0);
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

// Makes `to` an exact copy of what a command can see of `from`: size,
// planes (their whole storage), random state and vector path.
inline void copyEngine(const TextureEngine& from, TextureEngine& to) {
  if (to.width != from.width || to.height != from.height) to.setSize(from.width, from.height);
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
