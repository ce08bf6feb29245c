// Every one of the 32 commands, each on its own: random parameters, square,
// wide and tall textures (1 x N and N x 1 among them), every blend method,
// random offsets and flags, the fast path on every vector path against the
// reference version; and out-of-range parameters, which must act as the
// nearest value of the range.
#include <gtest/gtest.h>

#include <cctype>
#include <climits>
#include <string>

#include "engine_support.h"

using namespace mottler;

namespace {

struct Size {
  int width, height;
};

// Square, wide and tall, odd and even, single rows and columns, and sizes
// at or past 128 and up to 256, where some fast paths change technique.
constexpr Size kSizes[] = {{1, 1},  {1, 40}, {40, 1},   {2, 7},    {7, 2},     {16, 16},  {45, 45},
                           {64, 9}, {9, 64}, {131, 27}, {27, 131}, {128, 130}, {256, 256}};

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
std::int32_t randomValue(const ParamDecl& p, const Size& s, Dice& dice) {
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

ProgramEntry randomEntry(const CommandDecl& command, const Size& s, int method, Dice& dice) {
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

class EveryCommand : public ::testing::TestWithParam<int> {
 protected:
  const CommandDecl& command() const { return kCommandTable[static_cast<std::size_t>(GetParam())]; }
};

std::string testName(const ::testing::TestParamInfo<int>& info) {
  std::string name;
  for (char c : kCommandTable[static_cast<std::size_t>(info.param)].name)
    if (std::isalnum(static_cast<unsigned char>(c))) name += c;
  return name;
}

}  // namespace

TEST_P(EveryCommand, FastPathsGiveTheReferenceResult) {
  static TextureEngine e;
  Dice dice(7919 * (GetParam() + 1));
  int method = 0;
  for (const Size& s : kSizes) {
    const int trials = s.width * s.height > 30000 ? 2 : 3;
    for (int trial = 0; trial < trials; ++trial) {
      e.setSize(s.width, s.height);
      fillRandom(e, e.texture, dice.below(32768));
      fillRandom(e, e.buffer, dice.below(32768));
      fillRandom(e, e.workPlane, dice.below(32768));
      e.random.seed(dice.below(1 << 30));
      const ProgramEntry entry = randomEntry(command(), s, method, dice);
      method = (method + 1) % 11;
      SCOPED_TRACE(::testing::Message()
                   << command().name << " at " << s.width << " x " << s.height << ", parameters "
                   << entry.param[0] << " " << entry.param[1] << " " << entry.param[2] << " "
                   << entry.param[3] << " " << entry.param[4] << " " << entry.param[5] << " "
                   << entry.param[6] << ", method " << entry.method << ", offsets " << entry.offsetX
                   << "," << entry.offsetY << (entry.fixedColors ? ", fixed" : "")
                   << (entry.disabled ? ", disabled" : ""));
      expectSameAsReference(e, entry);
      if (HasFatalFailure()) return;
    }
  }
}

// A value below its parameter's range acts as the minimum and one above it
// as the maximum, at the texture size, whatever the value.
TEST_P(EveryCommand, OutOfRangeParametersActAsTheNearestEndOfTheRange) {
  static TextureEngine e, nearest;
  for (const Size s : {Size{24, 10}, Size{3, 5}}) {
    e.setSize(s.width, s.height);
    for (std::size_t k = 0; k < kParamCount; ++k) {
      const ParamDecl& p = command().params[k];
      if (!p.used()) continue;
      const ParamLimits limits = p.limitsAt(s.width, s.height);
      // Where a small size pushes the maximum below the minimum, the minimum.
      const std::int32_t lowest = limits.minValue;
      const std::int32_t highest = std::max(limits.minValue, limits.maxValue);
      for (const auto& [outside, inside] :
           {std::pair{INT_MIN, lowest}, std::pair{limits.minValue - 1, lowest},
            std::pair{limits.maxValue + 1, highest}, std::pair{INT_MAX, highest}}) {
        SCOPED_TRACE(::testing::Message() << command().name << " " << p.label << " = " << outside
                                          << " at " << s.width << " x " << s.height);
        ProgramEntry entry = defaultEntry(command().code, s.width, s.height);
        bringIntoRange(command(), entry.param, s.width, s.height);
        fillRandom(e, e.texture, static_cast<std::int32_t>(k));
        fillRandom(e, e.buffer, 99);
        e.random.seed(5);
        copyEngine(e, nearest);
        entry.param[k] = inside;
        executeCommand(nearest, entry);
        entry.param[k] = outside;
        executeCommand(e, entry);
        ASSERT_EQ(pixelsOf(e, e.texture), pixelsOf(nearest, nearest.texture));
        ASSERT_EQ(e.random.state, nearest.random.state);
      }
    }
  }
}

INSTANTIATE_TEST_SUITE_P(AllCommands, EveryCommand, ::testing::Range(0, kCommandCount), testName);
