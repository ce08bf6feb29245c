// The filters: the documented cases by hand, and the fast paths against the
// reference versions on textures with many ties and at sizes where the
// vector loops have tails of every length.
#include <gtest/gtest.h>

#include <string>

#include "engine_support.h"

using namespace mottler;

namespace {

// Random colours (byte 3 set too, to see that filters keep it); with
// levels > 0 the channels take only that many values, for many ties.
void fillLevels(TextureEngine& e, int seed, int levels) {
  fillRandom(e, e.texture, seed);
  if (levels <= 0) return;
  for (int i = 0; i < e.pixelCount; ++i) {
    std::uint32_t& p = e.texture.data()[i];
    for (int c = 0; c < 3; ++c) {
      const int v = channel(p, c) % levels * (255 / std::max(levels - 1, 1));
      p = (p & ~(0xFFu << (8 * c))) | static_cast<std::uint32_t>(v) << (8 * c);
    }
  }
}

int countOf(TextureEngine& e, std::uint32_t pixel) {
  const auto pixels = pixelsOf(e, e.texture);
  return static_cast<int>(std::count(pixels.begin(), pixels.end(), pixel));
}

}  // namespace

TEST(Blur, SinglePixelSpreadsInVisitingOrder) {
  TextureEngine e;
  e.setSize(8, 8);
  fill(e, e.texture, 0);
  e.at(e.texture, 4, 4) = rgb(255, 255, 255);
  executeCommand(e, makeEntry(kBlur, {1}));
  EXPECT_EQ(e.at(e.texture, 4, 4), rgb(31, 31, 31));
  EXPECT_EQ(e.at(e.texture, 4, 3), rgb(63, 63, 63));
  EXPECT_EQ(e.at(e.texture, 3, 4), rgb(63, 63, 63));
  EXPECT_EQ(e.at(e.texture, 5, 4), rgb(11, 11, 11));
  EXPECT_EQ(e.at(e.texture, 4, 5), rgb(11, 11, 11));

  // The first pixel visited spreads nothing: its wrapped neighbours still
  // see 0 only after it has been averaged away.
  fill(e, e.texture, 0);
  e.at(e.texture, 0, 0) = rgb(0, 255, 0);
  executeCommand(e, makeEntry(kBlur, {1}));
  EXPECT_EQ(countOf(e, 0), e.pixelCount);
}

TEST(UnsharpMask, ThresholdTestsEachChannelAndNothingDarkens) {
  TextureEngine e;
  e.setSize(8, 8);
  // A bright blue speck: blue stands far above its blur, green and red not
  // at all (d = 0), so a threshold of 1 keeps the pixel, 0 lets it brighten.
  fill(e, e.texture, rgb(100, 50, 50));
  e.at(e.texture, 3, 3) = rgb(200, 50, 50);
  executeCommand(e, makeEntry(kUnsharpMask, {100, 1, 1}));
  EXPECT_EQ(e.at(e.texture, 3, 3), rgb(200, 50, 50));
  executeCommand(e, makeEntry(kUnsharpMask, {100, 1, 0}));
  EXPECT_EQ(e.at(e.texture, 3, 3), rgb(255, 50, 50));

  e.setSize(33, 40);
  fillRandom(e, e.texture, 3);
  const auto before = pixelsOf(e, e.texture);
  executeCommand(e, makeEntry(kUnsharpMask, {1000, 3, 0}));
  for (int i = 0; i < e.pixelCount; ++i)
    for (int c = 0; c < 4; ++c) ASSERT_GE(channel(e.texture.data()[i], c), channel(before[i], c));
}

// Within the catalogue's strengths, T + k x d is exact in double, so its
// truncation limited to 255 is T + floor(k x d) limited, which the fast path
// computes: checked for every strength, difference and channel value.
TEST(UnsharpMask, LiftIsAnIntegerSumForEveryCatalogueStrength) {
  for (int amount = 1; amount <= 1000; ++amount) {
    const float k = static_cast<float>(amount * 0.01);
    for (int d = 1; d < 256; ++d) {
      const double lift = static_cast<double>(k) * d;
      const int whole = static_cast<int>(lift);
      for (int t = 0; t < 256; ++t) {
        const double r = t + lift;
        const int literal = r >= 255.0 ? 255 : static_cast<int>(r);
        ASSERT_EQ(std::min(255, t + whole), literal) << amount << " " << d << " " << t;
      }
    }
  }
  TextureEngine e;
  e.setSize(64, 48);
  for (int amount : {1, 7, 99, 100, 101, 555, 999, 1000})
    for (int threshold : {0, 5}) {
      fillLevels(e, amount * 3 + threshold, amount % 2 ? 0 : 6);
      expectSameAsReference(e, makeEntry(kUnsharpMask, {amount, 1 + amount % 3, threshold}));
    }
}

TEST(BumpMapping, KeepsFlatTexturesAtBrightness128) {
  TextureEngine e;
  e.setSize(16, 16);
  fill(e, e.texture, rgb(10, 90, 240));
  executeCommand(e, makeEntry(kBumpMapping, {128, 32}));
  EXPECT_EQ(countOf(e, rgb(10, 90, 240)), e.pixelCount);
}

TEST(MaximumMinimum, GrowCrossAndDiamond) {
  TextureEngine e;
  e.setSize(16, 16);
  for (int amount : {1, 2}) {
    fill(e, e.texture, 0);
    e.at(e.texture, 0, 0) = rgb(255, 255, 255);  // at the corner: the shape wraps
    executeCommand(e, makeEntry(kMaximum, {amount}));
    EXPECT_EQ(countOf(e, rgb(255, 255, 255)), amount == 1 ? 5 : 13);
    EXPECT_EQ(e.at(e.texture, 15, 0), rgb(255, 255, 255));
    EXPECT_EQ(e.at(e.texture, 0, 15), rgb(255, 255, 255));

    fill(e, e.texture, rgb(255, 255, 255));
    e.at(e.texture, 5, 5) = 0;
    executeCommand(e, makeEntry(kMinimum, {amount}));
    EXPECT_EQ(countOf(e, 0), amount == 1 ? 5 : 13);
  }
}

TEST(Median, RemovesSpecksKeepsEdgesAndReadsAcrossRowEnds) {
  TextureEngine e;
  e.setSize(8, 6);
  fill(e, e.texture, rgb(20, 20, 20));
  for (int x = 4; x < 8; ++x)
    for (int y = 0; y < 6; ++y) e.at(e.texture, x, y) = rgb(200, 200, 200);  // an edge
  e.at(e.texture, 1, 2) = rgb(255, 0, 255);                                  // a speck
  executeCommand(e, makeEntry(kMedian));
  EXPECT_EQ(e.at(e.texture, 1, 2), rgb(20, 20, 20));
  for (int y = 0; y < 6; ++y) EXPECT_EQ(e.at(e.texture, 4, y), rgb(200, 200, 200));
  for (int y = 0; y < 6; ++y) EXPECT_EQ(e.at(e.texture, 3, y), rgb(20, 20, 20));

  // A row's first pixel has the previous row's last on its left.
  e.setSize(4, 4);
  fill(e, e.texture, 0);
  e.at(e.texture, 3, 1) = e.at(e.texture, 1, 2) = e.at(e.texture, 0, 1) = rgb(9, 9, 9);
  executeCommand(e, makeEntry(kMedian));
  EXPECT_EQ(e.at(e.texture, 0, 2), rgb(9, 9, 9));
  EXPECT_EQ(e.at(e.texture, 3, 1), 0u);
}

TEST(Filters, DisabledEntryDoesNothing) {
  TextureEngine e;
  e.setSize(20, 12);
  fillRandom(e, e.texture, 77);
  const auto before = pixelsOf(e, e.texture);
  e.random.seed(123);
  for (CommandCode code : {kBlur, kUnsharpMask, kBumpMapping, kMaximum, kMinimum, kMedian}) {
    ProgramEntry entry = makeEntry(code, {5, 5, 5});
    entry.disabled = 1;
    executeCommand(e, entry);
    EXPECT_EQ(pixelsOf(e, e.texture), before) << code;
  }
  EXPECT_EQ(e.random.state, 123);
}

// Textures with many equal neighbours (ties in every comparison), and
// sizes where four-pixel loops leave tails of one to three pixels or have
// no inner pixels at all.
TEST(Filters, MatchTheReferenceWithTiesAndEveryTail) {
  static TextureEngine e;
  const int sizes[][2] = {{256, 256}, {255, 7}, {5, 300}, {4, 4}, {3, 2}, {9, 1}, {1, 9}, {130, 3}};
  for (const auto& s : sizes)
    for (int levels : {0, 2, 4}) {
      SCOPED_TRACE(std::to_string(s[0]) + "x" + std::to_string(s[1]) + " levels " +
                   std::to_string(levels));
      e.setSize(s[0], s[1]);
      const int seed = s[0] * 131 + s[1] + levels;
      for (const ProgramEntry& entry :
           {makeEntry(kMedian), makeEntry(kMaximum, {2}), makeEntry(kMinimum, {1}),
            makeEntry(kBumpMapping, {128, 1}), makeEntry(kBumpMapping, {1, 32}),
            makeEntry(kBumpMapping, {255, 7}), makeEntry(kBlur, {2}),
            makeEntry(kUnsharpMask, {250, 2, 3})}) {
        fillLevels(e, seed, levels);
        expectSameAsReference(e, entry);
        if (HasFatalFailure()) return;
      }
    }
}

// Above a scale of 1 the fast paths against the literal scale rules: every
// filter at scales 2 and 3, on a small texture and on one wide enough for
// several strips of columns, with many ties.
class ScaledFilter : public ::testing::TestWithParam<ProgramEntry> {};

TEST_P(ScaledFilter, MatchesTheReferenceAtScalesTwoAndThree) {
  static TextureEngine e;
  static TextureEngine fast;
  const int designs[][2] = {{13, 9}, {97, 3}};
  for (const auto& d : designs)
    for (int scale : {2, 3})
      for (int levels : {0, 3}) {
        SCOPED_TRACE(std::to_string(d[0]) + "x" + std::to_string(d[1]) + " at " +
                     std::to_string(scale) + ", levels " + std::to_string(levels));
        e.setScaledSize(d[0], d[1], scale);
        fast.setScaledSize(d[0], d[1], scale);
        fillLevels(e, d[0] * scale + levels, levels);
        std::copy_n(e.texture.data(), e.pixelCount, fast.texture.data());
        executeReference(e, GetParam());
        executeCommand(fast, GetParam());
        ASSERT_EQ(pixelsOf(fast, fast.texture), pixelsOf(e, e.texture));
      }
}

INSTANTIATE_TEST_SUITE_P(
    EveryFilter, ScaledFilter,
    ::testing::Values(makeEntry(kBlur, {1}), makeEntry(kBlur, {40}),
                      makeEntry(kUnsharpMask, {250, 2, 3}), makeEntry(kUnsharpMask, {1000, 9, 0}),
                      makeEntry(kBumpMapping, {140, 2}), makeEntry(kMaximum, {1}),
                      makeEntry(kMaximum, {5}), makeEntry(kMinimum, {4}), makeEntry(kMedian)),
    [](const ::testing::TestParamInfo<ProgramEntry>& info) {
      std::string name(commandToRun(info.param.code)->name);
      std::erase(name, ' ');
      return name + std::to_string(info.param.param[0]) + "_" + std::to_string(info.index);
    });

// The diamond of many passes at once gives what one cross a pass gives,
// also where it wraps round a texture smaller than itself.
TEST(MaximumMinimum, ManyPassesMatchTheReference) {
  static TextureEngine e;
  const int sizes[][2] = {{64, 48}, {7, 30}, {3, 3}};
  for (const auto& s : sizes)
    for (int amount : {9, 10, 17, 24}) {
      SCOPED_TRACE(std::to_string(s[0]) + "x" + std::to_string(s[1]) + " amount " +
                   std::to_string(amount));
      e.setSize(s[0], s[1]);
      fillLevels(e, amount + s[0], 0);
      expectSameAsReference(e, makeEntry(kMaximum, {amount}));
      expectSameAsReference(e, makeEntry(kMinimum, {amount}));
    }
}
