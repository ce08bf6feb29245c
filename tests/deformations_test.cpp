// The deformations: the documented cases by hand, reads that never leave
// the texture, and the fast paths against the reference versions where
// their techniques change (radius, single-precision angles, one-step
// wrapping on large planes, the draws of "Glass").
#include <gtest/gtest.h>

#include <climits>
#include <cstdint>
#include <vector>

#include "engine_support.h"

using namespace mottler;

namespace {

constexpr std::uint32_t kSentinel = 0x00ABCDEFu;

// A colour that tells where it came from: blue = x, green = y, red = a hash.
std::uint32_t patternPixel(int x, int y) {
  return rgb(x & 0xFF, y & 0xFF, (x * 7 + y * 13 + (x >> 8) * 31 + (y >> 8) * 17) & 0xFF);
}

// Sets the size, fills every plane's whole storage with a sentinel colour
// (so that a read outside the texture shows up in the result) and then the
// texture with the pattern.
void prepare(TextureEngine& e, int w, int h) {
  if (e.width != w || e.height != h) e.setSize(w, h);
  for (TexturePlane* p : {&e.texture, &e.workPlane, &e.buffer})
    std::fill(p->data(), p->data() + p->capacity(), kSentinel);
  for (int y = 0; y < h; ++y)
    for (int x = 0; x < w; ++x) e.at(e.texture, x, y) = patternPixel(x, y);
}

std::vector<std::uint32_t> textureOf(TextureEngine& e) { return pixelsOf(e, e.texture); }

std::vector<std::uint32_t> run(TextureEngine& e, const ProgramEntry& entry) {
  executeCommand(e, entry);
  return textureOf(e);
}

}  // namespace

// ---------------------------------------------------------------- all six

TEST(Deformations, DisabledEntryDoesNothingAtAll) {
  const ProgramEntry entries[] = {
      makeEntry(kTwirl, {90}),
      makeEntry(kSineDistortion, {32, 32, 1, 1, 1, 1}),
      makeEntry(kDistortionByBuffer, {32, 32, 32, 32}),
      makeEntry(kDivider, {1}),
      makeEntry(kCarpet, {0, 0}),
      makeEntry(kGlass, {64, 2}),
  };
  for (ProgramEntry entry : entries) {
    entry.disabled = 1;
    TextureEngine e;
    prepare(e, 32, 24);
    e.random.seed(1234);
    const auto before = textureOf(e);
    executeCommand(e, entry);
    EXPECT_EQ(textureOf(e), before) << "code " << entry.code;
    EXPECT_EQ(e.workPlane.data()[0], kSentinel) << "code " << entry.code;
    EXPECT_EQ(e.random.state, 1234) << "code " << entry.code;
  }
}

TEST(Deformations, OutOfRangeParametersStayInsideTheTexture) {
  // Any value may reach a command; nothing may be read from outside the
  // texture (the sentinel fills the storage beyond it).
  const int sizes[][2] = {{1, 1}, {1, 2}, {2, 1}, {3, 1}, {1, 3}, {2, 2}, {3, 3}, {5, 7}, {8, 8}};
  const int values[] = {0, -1, 1, 255, 256, 300, -255, 1 << 30, INT32_MAX, INT32_MIN};
  TextureEngine e;
  for (auto [w, h] : sizes)
    for (CommandCode code :
         {kTwirl, kSineDistortion, kDistortionByBuffer, kDivider, kCarpet, kGlass})
      for (int v : values) {
        for (int slot = 0; slot < 6; ++slot) {
          ProgramEntry entry = makeEntry(code, {4, 4, 2, 2, 3, 3});
          entry.param[static_cast<std::size_t>(slot)] = v;
          prepare(e, w, h);
          const auto out = run(e, entry);
          for (std::uint32_t p : out)
            ASSERT_NE(p, kSentinel) << "code " << code << " size " << w << "x" << h << " param "
                                    << slot + 1 << " = " << v;
        }
      }
}

// ---------------------------------------------------------------- Twirl

TEST(Twirl, MatchesTheReferenceAtEveryShape) {
  const int sizes[][2] = {{256, 256}, {64, 40}, {33, 17}, {17, 34}, {2, 2}, {3, 5}, {300, 260}};
  static TextureEngine e;
  for (auto [w, h] : sizes)
    for (int angle : {90, -180, 180, 1, -7, 45}) {
      SCOPED_TRACE(::testing::Message() << w << "x" << h << " angle " << angle);
      prepare(e, w, h);
      expectSameAsReference(e, makeEntry(kTwirl, {angle}));
    }
}

TEST(Twirl, AngleZeroAndOutsideTheRadiusLeavePixels) {
  TextureEngine e;
  prepare(e, 64, 32);
  const auto before = textureOf(e);
  EXPECT_EQ(run(e, makeEntry(kTwirl, {0})), before);
  // Radius 16 about (32, 16): the corners and the far columns never move.
  const auto out = run(e, makeEntry(kTwirl, {137}));
  for (int y = 0; y < 32; ++y)
    for (int x : {0, 5, 15, 49, 63})
      EXPECT_EQ(out[static_cast<std::size_t>(y * 64 + x)],
                before[static_cast<std::size_t>(y * 64 + x)]);
}

TEST(Twirl, TruncatesTheTurnedOffsetBeforeAddingTheCentre) {
  // (129, 128) of 256 x 256 with "Angle" 30 turns by almost -90 degrees: the
  // turned offset is (0.02.., -0.99..), truncated to (0, 0), so the source
  // is the centre itself (truncating after adding would give row 127).
  TextureEngine e;
  prepare(e, 256, 256);
  run(e, makeEntry(kTwirl, {30}));
  EXPECT_EQ(e.at(e.texture, 129, 128), patternPixel(128, 128));
  // "Angle" -30 at (128, 120): d = 8, theta = (pi/2)(120/128)^2 = 1.38;
  // the turned offset (7.86, -1.51) truncates to (7, -1), not (7, -2).
  prepare(e, 256, 256);
  run(e, makeEntry(kTwirl, {-30}));
  EXPECT_EQ(e.at(e.texture, 128, 120), patternPixel(135, 127));
}

// ---------------------------------------------------------------- Sine Distortion

TEST(SineDistortion, MatchesTheReferenceAtManySizes) {
  const int sizes[][2] = {{256, 256}, {100, 60}, {7, 9}, {1, 1}, {300, 20}, {600, 3}};
  const ProgramEntry cases[] = {
      makeEntry(kSineDistortion, {32, 32, 1, 1, 1, 1}),
      makeEntry(kSineDistortion, {255, 3, 32, 5, 255, 17}),
      makeEntry(kSineDistortion, {7, 200, 3, 32, 100, 255}),
      makeEntry(kSineDistortion, {1, 1, 13, 11, 77, 201}),
  };
  static TextureEngine e;
  for (auto [w, h] : sizes)
    for (const ProgramEntry& entry : cases) {
      SCOPED_TRACE(::testing::Message()
                   << w << "x" << h << " periods " << entry.param[2] << "," << entry.param[3]);
      prepare(e, w, h);
      expectSameAsReference(e, entry);
    }
}

TEST(SineDistortion, RowShiftFollowsOneSinePeriodOverTheWidth) {
  // "Period of X Sine" 1 on a 256-wide texture: row y shifts by
  // 32 sin(2 pi (y + 1) / 256); row 63 by about +32 - 1 after truncation,
  // row 191 by about -32.  Row 127 sits at half a period: the row angle,
  // summed in single precision, ends 1.5e-6 above pi, so the shift is
  // -4.9e-5 and column 100 reads column 99 (double angles would give 100).
  TextureEngine e;
  prepare(e, 256, 256);
  run(e, makeEntry(kSineDistortion, {32, 1, 1, 32, 1, 1}));
  auto sourceColumn = [&](int x, int y) {
    return static_cast<int>(channel(e.at(e.texture, x, y), 0));
  };
  EXPECT_NEAR(sourceColumn(10, 63), 42, 1);
  EXPECT_NEAR(sourceColumn(100, 191), 68, 1);
  EXPECT_EQ(sourceColumn(100, 127), 99);
}

// ---------------------------------------------------------------- Distortion by Buffer

TEST(DistortionByBuffer, ShiftsByTheTablesOfTheBufferBrightness) {
  TextureEngine e;
  prepare(e, 64, 48);
  // Amplitudes 0 leave the texture unchanged whatever the buffer holds.
  for (int i = 0; i < e.pixelCount; ++i) e.buffer.data()[i] = rgb(i & 255, 3 * i & 255, 200);
  const auto before = textureOf(e);
  EXPECT_EQ(run(e, makeEntry(kDistortionByBuffer, {0, 77, 0, 190})), before);

  // A black buffer shifts every pixel by (table[0], table[0]) = (aX, aY).
  prepare(e, 64, 48);
  std::fill(e.buffer.data(), e.buffer.data() + e.pixelCount, 0u);
  run(e, makeEntry(kDistortionByBuffer, {32, 100, 21, 5}));
  for (int y = 0; y < 48; ++y)
    for (int x = 0; x < 64; ++x)
      ASSERT_EQ(e.at(e.texture, x, y), patternPixel((x + 16) % 64, (y + 10) % 48));
}

TEST(DistortionByBuffer, TableValuesTruncateTowardZero) {
  TextureEngine e;
  prepare(e, 64, 64);
  // X "Turbulence" 0, Y "Turbulence" 129, both amplitudes 32 (a = 16).
  // L = (130 + 0 + 255) / 3 = 128: X shift 16 + truncate(15.9997) = 31,
  // Y shift 16 + truncate(16 sin(pi)) = 16.  L = 200: X shift
  // 16 + truncate(10.27) = 26, Y shift 16 + truncate(-15.69) = 1.
  e.at(e.buffer, 5, 6) = rgb(255, 0, 130);
  e.at(e.buffer, 7, 8) = rgb(200, 200, 200);
  run(e, makeEntry(kDistortionByBuffer, {32, 0, 32, 129}));
  EXPECT_EQ(e.at(e.texture, 5, 6), patternPixel(5 + 31, 6 + 16));
  EXPECT_EQ(e.at(e.texture, 7, 8), patternPixel(7 + 26, 8 + 1));
  EXPECT_EQ(e.at(e.buffer, 5, 6), rgb(255, 0, 130)) << "the buffer is not changed";
}

// ---------------------------------------------------------------- Divider

TEST(Divider, PicksEveryNthPixelModuloTheSize) {
  TextureEngine e;
  prepare(e, 256, 256);
  run(e, makeEntry(kDivider, {1}));
  EXPECT_EQ(e.at(e.texture, 130, 5), patternPixel(4, 10));
  EXPECT_EQ(e.at(e.texture, 2, 129), patternPixel(4, 2));
  // Sizes not divisible by n: the copies are cut at the seams.
  for (int amount : {1, 2, 5, 32}) {
    prepare(e, 37, 23);
    run(e, makeEntry(kDivider, {amount}));
    const int n = amount + 1;
    for (int y = 0; y < 23; ++y)
      for (int x = 0; x < 37; ++x)
        ASSERT_EQ(e.at(e.texture, x, y), patternPixel(x * n % 37, y * n % 23)) << amount;
  }
}

// ---------------------------------------------------------------- Carpet

TEST(Carpet, MirrorsOneBlockIntoFourQuadrants) {
  TextureEngine e;
  prepare(e, 256, 256);
  run(e, makeEntry(kCarpet, {0, 0}));
  for (int r = 0; r < 128; ++r)
    for (int c = 0; c < 128; ++c) {
      const std::uint32_t p = patternPixel(c, r + 1);
      ASSERT_EQ(e.at(e.texture, c, r), p);
      ASSERT_EQ(e.at(e.texture, 255 - c, r), p);
      ASSERT_EQ(e.at(e.texture, c, 255 - r), p);
      ASSERT_EQ(e.at(e.texture, 255 - c, 255 - r), p);
    }
}

TEST(Carpet, OddSizesAndOffsets) {
  // 5 x 5: block of 2 rows x 3 columns from (1, 2); the middle column comes
  // from block column 2, the middle row 2 keeps its content.
  TextureEngine e;
  prepare(e, 5, 5);
  run(e, makeEntry(kCarpet, {1, 1}));
  for (int r = 0; r < 2; ++r)
    for (int c = 0; c < 3; ++c) {
      const std::uint32_t p = patternPixel(1 + c, 2 + r);
      EXPECT_EQ(e.at(e.texture, c, r), p);
      EXPECT_EQ(e.at(e.texture, 4 - c, r), p);
      EXPECT_EQ(e.at(e.texture, c, 4 - r), p);
      EXPECT_EQ(e.at(e.texture, 4 - c, 4 - r), p);
    }
  for (int x = 0; x < 5; ++x) EXPECT_EQ(e.at(e.texture, x, 2), patternPixel(x, 2));
}

TEST(Carpet, OffsetsBeyondTheLimitsAreClamped) {
  // 8 x 8 allows offsets 0..3: 100 acts as 3, -5 as 0.
  TextureEngine e;
  prepare(e, 8, 8);
  run(e, makeEntry(kCarpet, {100, -5}));
  EXPECT_EQ(e.at(e.texture, 0, 0), patternPixel(3, 1));
  EXPECT_EQ(e.at(e.texture, 3, 3), patternPixel(6, 4));
  prepare(e, 8, 8);
  run(e, makeEntry(kCarpet, {-5, 100}));
  EXPECT_EQ(e.at(e.texture, 0, 0), patternPixel(0, 4));
  EXPECT_EQ(e.at(e.texture, 3, 3), patternPixel(3, 7));
  // Tiny textures: 1 x 2 reads its only column, row 1; 2 x 1 has no block.
  prepare(e, 1, 2);
  run(e, makeEntry(kCarpet, {9, 9}));
  EXPECT_EQ(e.at(e.texture, 0, 0), patternPixel(0, 1));
  EXPECT_EQ(e.at(e.texture, 0, 1), patternPixel(0, 1));
  prepare(e, 2, 1);
  const auto before = textureOf(e);
  EXPECT_EQ(run(e, makeEntry(kCarpet, {9, 9})), before);
}

// ---------------------------------------------------------------- Glass

TEST(Glass, MatchesTheReferenceAtManySizes) {
  // Small planes, where one wrap of a displacement is not enough, and
  // planes at least 128 wide and high, where the fast path wraps by one step.
  const int sizes[][2] = {{64, 64}, {37, 50},  {7, 3},     {1, 5},     {5, 1},
                          {1, 1},   {20, 200}, {256, 256}, {128, 130}, {200, 128}};
  static TextureEngine e;
  for (auto [w, h] : sizes)
    for (auto [distortion, smoothness] :
         {std::pair{64, 2}, {255, 0}, {255, 1}, {1, 3}, {2, 16}, {200, 16}, {17, 1}}) {
      SCOPED_TRACE(::testing::Message() << w << "x" << h << " distortion " << distortion
                                        << " smoothness " << smoothness);
      prepare(e, w, h);
      e.random.seed(4242);
      expectSameAsReference(e, makeEntry(kGlass, {distortion, smoothness}));
    }
}

TEST(Glass, DistortionOneDisplacesNothingButStillDraws) {
  TextureEngine e;
  prepare(e, 16, 8);
  e.random.seed(7);
  const auto before = textureOf(e);
  EXPECT_EQ(run(e, makeEntry(kGlass, {1, 2})), before);
  RandomState r;
  r.seed(7);
  for (int i = 0; i < 2 * 16 * 8; ++i) r.next();
  EXPECT_EQ(e.random.state, r.state);
}

TEST(Glass, KeepsByteThreeOfTheTexture) {
  TextureEngine e;
  prepare(e, 16, 16);
  for (int i = 0; i < e.pixelCount; ++i) e.texture.data()[i] |= 0x5A000000u;
  e.random.seed(1);
  run(e, makeEntry(kGlass, {255, 0}));
  for (int i = 0; i < e.pixelCount; ++i) ASSERT_EQ(e.texture.data()[i] >> 24, 0x5Au);
}

// Every distortion of the range, and odd pixel counts (a draw pair left
// over): the displacement fields hold exactly the values of the draws in
// order, and the generator ends where it should.
TEST(Glass, FieldsFollowTheDrawsForEveryDistortion) {
  static TextureEngine e;
  for (auto [w, h] : {std::pair{64, 64}, {7, 3}, {1, 1}})
    for (int d = 1; d <= 255; ++d) {
      prepare(e, w, h);
      e.random.seed(d * 7 + w);
      RandomState random = e.random;
      executeCommand(e, makeEntry(kGlass, {d, 0}));
      for (int i = 0; i < w * h; ++i) {
        const int r1 = random.next();
        const int r2 = random.next();
        ASSERT_EQ(e.fieldX[static_cast<std::size_t>(i)], d / 2 - r1 % d) << d << " " << i;
        ASSERT_EQ(e.fieldY[static_cast<std::size_t>(i)], d / 2 - r2 % d) << d << " " << i;
      }
      ASSERT_EQ(e.random.state, random.state) << d;
    }
}
