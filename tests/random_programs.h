// Random entries and random whole programs, for the tests, the fuzz targets
// and the comparison of the renderers of every platform
// (tests/platform_compare.h).  Only the engine and the program file: no test
// framework, so that plain programs can use it too.
//
// The cost cap: a program run whole takes at most kRunEntries entries, and
// each count or number of passes in them (shapes, walks, blur passes) at
// most kRunAmount, so that any program runs in a bounded time (well under a
// second at 256 x 256) whatever its other parameters.
#pragma once

#include <algorithm>
#include <climits>
#include <cstdint>
#include <initializer_list>
#include <iterator>
#include <optional>

#include "document/program_file.h"
#include "engine/arithmetic.h"
#include "engine/catalogue.h"
#include "engine/engine_state.h"

namespace mottler {

inline constexpr int kRunEntries = 4;
inline constexpr std::int32_t kRunAmount = 8;

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


// Keeps a program within the cost cap: its first kRunEntries entries, and
// every count and number of passes at most kRunAmount (or the parameter's
// minimum, where that is larger).
inline void capRunCost(ProgramDocument& doc) {
  if (doc.entries.size() > static_cast<std::size_t>(kRunEntries)) doc.entries.resize(kRunEntries);
  for (ProgramEntry& e : doc.entries) {
    const std::optional<int> index = catalogueIndexOfCode(e.code);
    if (!index) continue;
    const CommandDecl& decl = kCommandTable[static_cast<std::size_t>(*index)];
    for (std::size_t k = 0; k < decl.params.size(); ++k) {
      const ParamDecl& p = decl.params[k];
      if (p.unit == Unit::Count || p.unit == Unit::CountPerArea || p.unit == Unit::Passes)
        e.param[k] = std::min(e.param[k], std::max(kRunAmount, p.minValue));
    }
  }
}

// The sizes of the random programs: the largest, powers of two, odd and
// non-square ones, thin strips and a single pixel.
inline constexpr Size kRandomProgramSizes[] = {
    {256, 256}, {128, 128}, {64, 64}, {37, 53}, {200, 17}, {1, 1},
    {255, 3},   {96, 160},  {16, 16}, {33, 20}, {3, 250},  {129, 127},
};

// Random program number `number` of the set `set`: the same program for the
// same two numbers on every machine.  Its entry for command number %
// kCommandCount (in catalogue order) is switched on, so that every
// kCommandCount consecutive numbers run every command; up to kRunEntries - 1
// other entries of any command, blend method, offsets, "Fixed Colors" and
// on/off come around it.  The file's own rules apply (parameters in range,
// offsets inside the texture) and the cost cap.
inline ProgramDocument randomProgram(std::int32_t set, int number) {
  Dice dice(set * 7919 + number);
  ProgramDocument doc;
  const Size size = kRandomProgramSizes[dice.below(static_cast<int>(std::size(kRandomProgramSizes)))];
  doc.width = size.width;
  doc.height = size.height;
  doc.seed = dice.below(32768);
  const int count = 1 + dice.below(kRunEntries);
  const int featured = dice.below(count);
  for (int k = 0; k < count; ++k) {
    const int command = k == featured ? number % kCommandCount : dice.below(kCommandCount);
    ProgramEntry entry =
        randomEntry(kCommandTable[static_cast<std::size_t>(command)], size, dice.below(11), dice);
    if (k == featured) entry.disabled = 0;
    sanitizeEntry(entry, size.width, size.height);
    doc.entries.push_back(entry);
  }
  capRunCost(doc);
  return doc;
}

}  // namespace mottler
