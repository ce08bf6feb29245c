// Every command, each on its own: random parameters, square,
// wide and tall textures (1 x N and N x 1 among them), every blend method,
// random offsets and flags, the fast path on every vector path against the
// reference version; out-of-range parameters, which must act as the
// nearest value of the range; leftovers of earlier entries in the work
// plane, which must change nothing; and a raised cancel flag, which must
// stop each within one step.
#include <gtest/gtest.h>

#include <atomic>
#include <bit>
#include <cctype>
#include <climits>
#include <string>

#include "engine_support.h"

using namespace mottler;

namespace {

// Square, wide and tall, odd and even, single rows and columns, and sizes
// at or past 128 and up to 256, where some fast paths change technique.
constexpr Size kSizes[] = {{1, 1},  {1, 40}, {40, 1},   {2, 7},    {7, 2},     {16, 16},  {45, 45},
                           {64, 9}, {9, 64}, {131, 27}, {27, 131}, {128, 130}, {256, 256}};

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

// What an entry leaves in the work plane and the scratch fields is never
// read by the next one: between entries a run carries only the texture, the
// buffer and the random state, which is all a snapshot between entries keeps.
TEST_P(EveryCommand, LeftoversInTheWorkPlaneAndScratchChangeNothing) {
  static TextureEngine clean, dirty;
  Dice dice(4099 * (GetParam() + 1));
  int method = 0;
  for (const Size s : {Size{1, 1}, Size{16, 16}, Size{45, 45}, Size{131, 27}, Size{256, 256}}) {
    for (const bool wide : vectorPaths()) {
      SCOPED_TRACE(::testing::Message() << command().name << " at " << s.width << " x " << s.height
                                        << ", " << pathName(wide));
      clean.setSize(s.width, s.height);
      fillRandom(clean, clean.texture, dice.below(32768));
      fillRandom(clean, clean.buffer, dice.below(32768));
      std::fill_n(clean.workPlane.data(), clean.workPlane.capacity(), 0u);
      clean.random.seed(dice.below(32768));
      copyEngine(clean, dirty);
      RandomState garbage;
      garbage.seed(dice.below(32768));
      for (std::size_t i = 0; i < dirty.workPlane.capacity(); ++i)
        dirty.workPlane.data()[i] = randomWord(garbage);
      for (std::size_t i = 0; i < dirty.fieldX.size(); ++i) {
        dirty.fieldX[i] = static_cast<std::int8_t>(garbage.next());
        dirty.fieldY[i] = static_cast<std::int8_t>(garbage.next());
      }
      // The fall-off pairs are kept on purpose while their key holds; with
      // the key forgotten, all of it is scratch.
      for (double& v : dirty.falloff.values) v = garbage.next() * 0.001;
      dirty.falloff.maxA = -1;
      clean.wideVectors = dirty.wideVectors = wide;

      const ProgramEntry entry = randomEntry(command(), s, method, dice);
      method = (method + 1) % 11;
      executeCommand(clean, entry);
      executeCommand(dirty, entry);
      ASSERT_EQ(pixelsOf(dirty, dirty.texture), pixelsOf(clean, clean.texture));
      ASSERT_EQ(pixelsOf(dirty, dirty.buffer), pixelsOf(clean, clean.buffer));
      ASSERT_EQ(dirty.random.state, clean.random.state);
    }
  }
}

// A raised cancel flag stops a command at its first check, even at its most
// expensive parameters; and a command that repeats a step (a shape, a pass)
// checks at least once per step, so that a stop is never far away.
TEST_P(EveryCommand, ACancelledRunStopsWithinOneStep) {
  static TextureEngine e;
  e.setSize(48, 40);
  fillRandom(e, e.texture, 3);
  fillRandom(e, e.buffer, 4);
  ProgramEntry heaviest = makeEntry(command().code);
  for (std::size_t k = 0; k < kParamCount; ++k)
    heaviest.param[k] = command().params[k].limitsAt(e.width, e.height).maxValue;
  std::atomic<bool> raised{true};
  e.cancel.watch(&raised);
  std::uint64_t before = e.cancel.asked();
  executeCommand(e, heaviest);
  EXPECT_LE(e.cancel.asked() - before, 1u);
  e.cancel.watch(nullptr);

  for (std::size_t k = 0; k < kParamCount; ++k) {
    const ParamDecl& p = command().params[k];
    if (p.unit != Unit::CountPerArea && p.unit != Unit::Passes) continue;
    ProgramEntry entry = defaultEntry(command().code, e.width, e.height);
    entry.param[k] = p.limitsAt(e.width, e.height).maxValue;
    before = e.cancel.asked();
    executeCommand(e, entry);
    // "Maximum" and "Minimum" grow the diamond of many passes at once, in
    // about 2 log2(passes) sweeps of their own: a check before each.
    const bool atOnce = command().code == kMaximum || command().code == kMinimum;
    const auto steps = static_cast<std::uint64_t>(entry.param[k]);
    EXPECT_GE(e.cancel.asked() - before, atOnce ? std::bit_width(steps) : steps) << p.label;
  }
}
