// The scale rules of the deformations and of "Plasma" against their
// reference versions: at scales 2 and 3, on even and odd design sizes, at
// the defaults and at settings where the design skips much or little;
// also on designs one pixel wide and two high.
#include <gtest/gtest.h>

#include <cstdint>
#include <vector>

#include "engine_support.h"

using namespace mottler;

namespace {

struct Case {
  CommandCode code;
  std::vector<std::int32_t> params;  // empty: the defaults
};

::testing::Message nameOf(const Case& c) {
  ::testing::Message name;
  name << commandToRun(c.code)->name;
  for (std::int32_t p : c.params) name << " " << p;
  return name;
}

void PrintTo(const Case& c, std::ostream* os) { *os << nameOf(c).GetString(); }

class ScaleRule : public ::testing::TestWithParam<Case> {};

TEST_P(ScaleRule, MatchesTheReference) {
  const Case& c = GetParam();
  static TextureEngine e;
  for (const auto& [w, h] : {std::pair{32, 32}, {37, 29}, {8, 40}, {1, 5}, {3, 2}})
    for (const int scale : {2, 3}) {
      SCOPED_TRACE(::testing::Message()
                   << nameOf(c) << " on " << w << "x" << h << " at scale " << scale);
      e.setScaledSize(w, h, scale);
      fillRandom(e, e.texture, 7 * w + h);
      fillRandom(e, e.buffer, 11 * w + scale);
      e.random.seed(1234);
      ProgramEntry entry = defaultEntry(c.code, w, h);
      for (std::size_t k = 0; k < c.params.size(); ++k) entry.param[k] = c.params[k];
      expectSameAsReference(e, entry);
    }
}

INSTANTIATE_TEST_SUITE_P(
    Deformations, ScaleRule,
    ::testing::Values(Case{kTwirl, {}}, Case{kTwirl, {-180}}, Case{kTwirl, {7}},
                      Case{kSineDistortion, {}}, Case{kSineDistortion, {3, 200, 5, 2, 17, 90}},
                      Case{kDistortionByBuffer, {}}, Case{kDistortionByBuffer, {255, 0, 7, 255}},
                      Case{kDivider, {}}, Case{kDivider, {6}}, Case{kGlass, {}},
                      Case{kGlass, {255, 0}}, Case{kGlass, {9, 16}}));

INSTANTIATE_TEST_SUITE_P(Plasma, ScaleRule,
                         ::testing::Values(Case{kPlasma, {}},
                                           Case{kPlasma, {5, 255, 127, 255, 30, 9}},
                                           Case{kPlasma, {77, 0, 40, 1, 2, 3}}));

// What moves nothing at the design size moves nothing at any scale, and a
// shift that is the same for every design pixel moves the whole texture by
// the scale times that shift (no block breaks it up).
class ScaledDeformation : public ::testing::TestWithParam<int> {};

TEST_P(ScaledDeformation, KeepsStillTexturesStillAndShiftsByTheScale) {
  const int scale = GetParam();
  static TextureEngine e;
  e.setScaledSize(24, 20, scale);
  fillRandom(e, e.texture, 99);
  const std::vector<std::uint32_t> before = pixelsOf(e, e.texture);
  for (const ProgramEntry& still : {makeEntry(kTwirl, {0}), makeEntry(kGlass, {1, 3}),
                                    makeEntry(kDistortionByBuffer, {0, 50, 1, 200})}) {
    SCOPED_TRACE(commandToRun(still.code)->name);
    executeCommand(e, still);
    EXPECT_EQ(pixelsOf(e, e.texture), before);
  }
  // A black buffer: every design pixel shifts by (X Amplitude / 2, Y
  // Amplitude / 2) design pixels (the colour bytes; byte 3 stays).
  e.clear(e.buffer);
  executeCommand(e, makeEntry(kDistortionByBuffer, {10, 77, 6, 3}));
  for (int y = 0; y < e.height; ++y)
    for (int x = 0; x < e.width; ++x)
      ASSERT_EQ(e.at(e.texture, x, y) & 0xFFFFFFu,
                before[static_cast<std::size_t>((y + 3 * scale) % e.height) * e.width +
                       (x + 5 * scale) % e.width] &
                    0xFFFFFFu)
          << x << ", " << y;
}

INSTANTIATE_TEST_SUITE_P(Scales, ScaledDeformation, ::testing::Values(2, 3, 4));

// A shift that makes a position left of or above the first pixel must read
// the pixel before it, as it does everywhere else: truncated toward zero,
// the last and the first column (row) read two pixels apart, a seam.
class SineDistortionAtAScale : public ::testing::TestWithParam<int> {};

TEST_P(SineDistortionAtAScale, ReadsNeighboursAcrossTheWrapEdge) {
  const int scale = GetParam();
  static TextureEngine e;
  e.setScaledSize(32, 32, scale);
  // Every pixel holds its own position: x in the low 12 bits, y above.
  for (int y = 0; y < e.height; ++y)
    for (int x = 0; x < e.width; ++x)
      e.at(e.texture, x, y) = static_cast<std::uint32_t>(y << 12 | x);
  // Gentle waves (the design never skips), shifting both ways.
  executeCommand(e, makeEntry(kSineDistortion, {2, 3, 1, 1, 5, 9}));
  const auto column = [&](int x, int y) { return static_cast<int>(e.at(e.texture, x, y) & 0xFFF); };
  const auto row = [&](int x, int y) {
    return static_cast<int>(e.at(e.texture, x, y) >> 12 & 0xFFF);
  };
  const int w = e.width, h = e.height;
  for (int y = 0; y < h; ++y) EXPECT_EQ(wrap(column(0, y) - column(w - 1, y), w), 1) << "row " << y;
  for (int x = 0; x < w; ++x) EXPECT_EQ(wrap(row(x, 0) - row(x, h - 1), h), 1) << "column " << x;
}

INSTANTIATE_TEST_SUITE_P(Scales, SineDistortionAtAScale, ::testing::Values(2, 3, 4));

}  // namespace
