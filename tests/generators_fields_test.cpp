// The field generators: "Plasma", "Sine Plasma", "Perlin Noise", "Noise" and
// "Enviroument Map": the documented cases by hand and the fast paths against
// the reference versions where their techniques change.
#include <gtest/gtest.h>

#include <algorithm>
#include <atomic>
#include <cmath>
#include <vector>

#include "engine_support.h"

using namespace mottler;

namespace {

constexpr int kReplace = 10;  // a method outside 0..9: the layer replaces the texture

bool textureEquals(TextureEngine& e, std::uint32_t pixel) {
  const auto pixels = pixelsOf(e, e.texture);
  return std::all_of(pixels.begin(), pixels.end(), [&](std::uint32_t p) { return p == pixel; });
}

TextureEngine& engineOfSize(int w, int h) {
  static TextureEngine engine;
  engine.setSize(w, h);
  engine.clear(engine.texture);
  engine.clear(engine.workPlane);
  engine.random.seed(12345);
  return engine;
}

std::uint32_t px(TextureEngine& e, int x, int y) { return e.at(e.texture, x, y); }

}  // namespace

// ------------------------------------------------------------------ Plasma

TEST(Plasma, SeedPointsComeFromTheVariantSequence) {
  auto& e = engineOfSize(256, 256);
  executeCommand(e, makeEntry(kPlasma, {0, 20, 127, 255, 255, 255}));
  EXPECT_EQ(px(e, 0, 0), rgb(38, 38, 38));
  EXPECT_EQ(px(e, 128, 128), rgb(99, 99, 99));
  EXPECT_EQ(px(e, 192, 192), rgb(29, 29, 29));
}

TEST(Plasma, TwoByTwoFollowsTheSubdivisionByHand) {
  // Seeds at (0,0), (1,1), (1,1); then the top midpoint (1,0) and the right
  // midpoint (2,1) = (0,1); the bottom and left midpoints wrap onto them.
  const int variant = 777, roughness = 200, maxHeight = 100;
  RandomState r;
  r.seed(variant);
  const int a = r.next() % maxHeight;
  r.next();
  const int c = r.next() % maxHeight;
  const auto edge = [&](int d, int p, int q) {
    const int k = r.next() % 10 - 5;
    int v = (d * k * roughness + 100 * (p + q)) / 200;
    return std::min(std::max(v, 1), maxHeight);
  };
  ASSERT_GT(a, 0);
  ASSERT_GT(c, 0);
  const int top = edge(2, a, a);
  const int right = edge(2, a, a);

  auto& e = engineOfSize(2, 2);
  executeCommand(e, makeEntry(kPlasma, {variant, roughness, maxHeight, 255, 255, 255}));
  EXPECT_EQ(px(e, 0, 0), rgb(a, a, a));
  EXPECT_EQ(px(e, 1, 0), rgb(top, top, top));
  EXPECT_EQ(px(e, 0, 1), rgb(right, right, right));
  EXPECT_EQ(px(e, 1, 1), rgb(c, c, c));
}

TEST(Plasma, PrivateSequenceLeavesTheSharedOneAlone) {
  auto& e = engineOfSize(64, 48);
  const auto entry = makeEntry(kPlasma, {4242, 60, 127, 200, 150, 100});
  e.random.seed(1);
  executeCommand(e, entry);
  EXPECT_EQ(e.random.state, 1);
  std::vector<std::uint32_t> first(e.texture.data(), e.texture.data() + e.pixelCount);

  e.clear(e.texture);
  e.random.seed(999);
  executeCommand(e, entry);
  EXPECT_EQ(e.random.state, 999);
  EXPECT_TRUE(std::equal(first.begin(), first.end(), e.texture.data()));

  // Heights stay within 0..127 and the masks scale each channel down.
  int maxBlue = 0;
  for (auto p : first) {
    maxBlue = std::max<int>(maxBlue, channel(p, 0));
    EXPECT_LE(channel(p, 2), 127 * 200 / 255);
    EXPECT_LE(channel(p, 1), 127 * 150 / 255);
  }
  EXPECT_GT(maxBlue, 0);
}

TEST(Plasma, AllMasksZeroGiveABlackLayer) {
  auto& e = engineOfSize(32, 32);
  fill(e, e.texture, 0x123456);
  executeCommand(e, makeEntry(kPlasma, {5, 20, 127, 0, 0, 0}, kReplace));
  EXPECT_TRUE(textureEquals(e, 0));
}

TEST(Plasma, DisabledHasNoEffectAtAll) {
  auto& e = engineOfSize(32, 32);
  fill(e, e.texture, 0x80808080u);
  auto entry = makeEntry(kPlasma, {5, 20, 127, 255, 255, 255}, Multiply);
  entry.disabled = 1;
  executeCommand(e, entry);
  EXPECT_TRUE(textureEquals(e, 0x80808080u));
  EXPECT_EQ(e.random.state, 12345);
}

// ------------------------------------------------------------- Sine Plasma

TEST(SinePlasma, DefaultPixelAndClamp) {
  auto& e = engineOfSize(256, 256);
  executeCommand(e, makeEntry(kSinePlasma, {1, 1, 128, 128, 255, 255, 255}, kReplace));
  EXPECT_EQ(px(e, 0, 0), rgb(191, 191, 191));
  // X[64] = (sin(pi/2) + 1) * 128 = 256, Y[128] = (cos(pi) + 1) * 128 = 0.
  EXPECT_EQ(px(e, 64, 128), rgb(127, 127, 127));

  executeCommand(e, makeEntry(kSinePlasma, {1, 1, 255, 255, 255, 128, 64}, kReplace));
  // (255 + 510) / 2 = 382, held at 255; masks divide by 256.
  EXPECT_EQ(px(e, 0, 0), rgb(255 * 64 >> 8, 255 * 128 >> 8, 255 * 255 >> 8));
  EXPECT_EQ(e.random.state, 12345);
}

TEST(SinePlasma, DisabledHasNoEffect) {
  auto& e = engineOfSize(16, 16);
  fill(e, e.texture, 0x010203);
  auto entry = makeEntry(kSinePlasma, {1, 1, 128, 128, 255, 255, 255});
  entry.disabled = 1;
  executeCommand(e, entry);
  EXPECT_TRUE(textureEquals(e, 0x010203));
}

// ------------------------------------------------------------ Perlin Noise

namespace {
struct Colour {
  int b, g, r;
};
// Lattice point number n (row-major over the 66 x 66 lattice).
Colour latticePoint(int variant, int n, int red, int green, int blue, bool fixed) {
  RandomState r;
  r.seed(variant);
  Colour c{};
  for (int i = 0; i <= n; ++i) {
    if (fixed) {
      const int k = r.next() % 255;
      c = {std::max(0, blue - k), std::max(0, green - k), std::max(0, red - k)};
    } else {
      c.b = randomChannel(r, blue);
      c.g = randomChannel(r, green);
      c.r = randomChannel(r, red);
    }
  }
  return c;
}
std::uint32_t pixelOf(Colour c) { return rgb(c.b, c.g, c.r); }
}  // namespace

TEST(PerlinNoise, CellCornersAreLatticePointsAndTheEdgesRepeat) {
  for (bool fixed : {false, true}) {
    SCOPED_TRACE(fixed);
    auto& e = engineOfSize(256, 256);
    auto entry = makeEntry(kPerlinNoise, {321, 128, 128, 250, 180, 90});
    entry.fixedColors = fixed;
    executeCommand(e, entry);
    const auto g = [&](int n) { return pixelOf(latticePoint(321, n, 250, 180, 90, fixed)); };
    EXPECT_EQ(px(e, 0, 0), g(0));
    EXPECT_EQ(px(e, 128, 0), g(1));
    EXPECT_EQ(px(e, 0, 128), g(66));
    EXPECT_EQ(px(e, 128, 128), g(67));
    EXPECT_EQ(e.random.state, 12345);
    // The last row and column lean towards G[0][0] again.
    const std::uint32_t corner = g(0);
    const auto near = [](std::uint32_t a, std::uint32_t b) {
      for (int c = 0; c < 3; ++c)
        if (std::abs(int(channel(a, c)) - int(channel(b, c))) > 2) return false;
      return true;
    };
    EXPECT_TRUE(near(px(e, 255, 255), corner));
    EXPECT_TRUE(near(px(e, 255, 0), corner));
  }
}

TEST(PerlinNoise, LastCellIsWidenedToTheEdge) {
  // 100 / 30: cells of 30, 30 and 40 pixels; column 3 repeats column 0.
  auto& e = engineOfSize(100, 60);
  executeCommand(e, makeEntry(kPerlinNoise, {9, 30, 30, 255, 255, 255}));
  const Colour g2 = latticePoint(9, 2, 255, 255, 255, false);
  const Colour g0 = latticePoint(9, 0, 255, 255, 255, false);
  EXPECT_EQ(px(e, 60, 0), pixelOf(g2));
  // u = 20 of a 40-pixel cell: s = 0.5 exactly (cos(pi/2) is 6e-17, not 0,
  // which does not matter after truncation here).
  const auto mid = [](int a, int b) {
    const double s = (1.0 - std::cos(kPi * 20 / 40)) * 0.5;
    return static_cast<int>((1.0 - s) * a + s * b);
  };
  EXPECT_EQ(px(e, 80, 0), rgb(mid(g2.b, g0.b), mid(g2.g, g0.g), mid(g2.r, g0.r)));
  // Every pixel is painted (no lattice colour is all zero here in practice).
  int zero = 0;
  for (int i = 0; i < e.pixelCount; ++i) zero += e.texture.data()[i] == 0;
  EXPECT_LT(zero, 5);
}

TEST(PerlinNoise, CellLargerThanTheTextureDrawsNothing) {
  // Cells are at least 4 wide: a texture 3 wide has none across.
  auto& e = engineOfSize(3, 64);
  fill(e, e.texture, 0x404040);
  executeCommand(e, makeEntry(kPerlinNoise, {1, 4, 16, 255, 255, 255}, Add));
  EXPECT_TRUE(textureEquals(e, 0x404040));
  executeCommand(e, makeEntry(kPerlinNoise, {1, 4, 16, 255, 255, 255}, Middle));
  EXPECT_TRUE(textureEquals(e, 0x202020));
  EXPECT_EQ(e.random.state, 12345);
}

TEST(PerlinNoise, DisabledHasNoEffect) {
  auto& e = engineOfSize(64, 64);
  fill(e, e.texture, 0x404040);
  auto entry = makeEntry(kPerlinNoise, {1, 16, 16, 255, 255, 255}, Multiply);
  entry.disabled = 1;
  executeCommand(e, entry);
  EXPECT_TRUE(textureEquals(e, 0x404040));
}

// ------------------------------------------------------------------- Noise

TEST(Noise, OneColourPerBlockFromTheSharedSequence) {
  auto& e = engineOfSize(256, 4);
  executeCommand(e, makeEntry(kNoise, {3, 4, 200, 150, 100, 128}));
  // 86 block columns, the last one pixel wide; one block row.
  EXPECT_EQ(e.random.state, stateAfter(12345, 3 * 86));

  const double q = static_cast<float>(1.0 / 255.0);
  const double f = 128 * q;
  RandomState r;
  r.seed(12345);
  std::uint32_t last = 0;
  for (int block = 0; block < 86; ++block) {
    const int b = static_cast<int>(randomChannel(r, 100) * f);
    const int g = static_cast<int>(randomChannel(r, 150) * f);
    const int red = static_cast<int>(randomChannel(r, 200) * f);
    last = rgb(b, g, red);
    if (block == 0) {
      EXPECT_EQ(px(e, 0, 0), last);
      EXPECT_EQ(px(e, 2, 3), last);
    }
  }
  EXPECT_EQ(px(e, 255, 3), last);
  EXPECT_NE(px(e, 254, 3), last);
}

TEST(Noise, FixedColoursMakeOneDrawPerBlock) {
  auto& e = engineOfSize(20, 20);
  auto entry = makeEntry(kNoise, {1, 1, 255, 128, 64, 200});
  entry.fixedColors = 1;
  executeCommand(e, entry);
  EXPECT_EQ(e.random.state, stateAfter(12345, 400));
  RandomState r;
  r.seed(12345);
  const double g = (r.next() % 200) * static_cast<double>(static_cast<float>(1.0 / 255.0));
  EXPECT_EQ(px(e, 0, 0),
            rgb(static_cast<int>(64 * g), static_cast<int>(128 * g), static_cast<int>(255 * g)));
}

TEST(Noise, DisabledStillDrawsAndBlendsTheEmptyLayer) {
  auto& e = engineOfSize(32, 32);
  fill(e, e.texture, 0x80604020u);
  auto entry = makeEntry(kNoise, {2, 3, 255, 255, 255, 128}, Middle);
  entry.disabled = 1;
  executeCommand(e, entry);
  EXPECT_TRUE(textureEquals(e, 0x80302010u));
  EXPECT_EQ(e.random.state, stateAfter(12345, 3 * 16 * 11));
  entry.method = Add;
  executeCommand(e, entry);
  EXPECT_TRUE(textureEquals(e, 0x80302010u));
}

// --------------------------------------------------------- Enviroument Map

TEST(EnvironmentMap, CentreKeepsAlmostAllAndRadiusOneFallsFast) {
  auto& e = engineOfSize(64, 64);
  fill(e, e.texture, 0xAAFFFFFFu);
  executeCommand(e, makeEntry(kEnvironmentMap, {1, 255, 255, 255}));
  EXPECT_EQ(px(e, 32, 32), 0xAAFEFEFEu);
  EXPECT_LT(channel(px(e, 42, 32), 1), 26);
  EXPECT_LT(channel(px(e, 32, 22), 0), 26);
  // Symmetric about the centre, by the integer offsets.
  EXPECT_EQ(px(e, 30, 35), px(e, 34, 29));
  EXPECT_EQ(px(e, 30, 35), px(e, 35, 30));
  EXPECT_EQ(e.random.state, 12345);
}

// The fall-off is symmetric in both offsets and, up to 256 x 256, looked up
// from a table of it: wide, tall and odd textures all read it right.
TEST(EnvironmentMap, MatchesTheReferenceOnWideAndTallTextures) {
  const int sizes[][2] = {{37, 21}, {21, 37}, {1, 200}, {200, 1}, {256, 40}, {40, 256}, {300, 7}};
  for (const auto& s : sizes)
    for (int radius : {1, 12, 255}) {
      SCOPED_TRACE(::testing::Message() << s[0] << "x" << s[1] << " radius " << radius);
      auto& e = engineOfSize(s[0], s[1]);
      fillRandom(e, e.texture, radius + s[0]);
      expectSameAsReference(e, makeEntry(kEnvironmentMap, {radius, 250, 100, 180}));
    }
}

TEST(EnvironmentMap, DisabledHasNoEffect) {
  auto& e = engineOfSize(16, 16);
  fill(e, e.texture, 0xFFFFFF);
  auto entry = makeEntry(kEnvironmentMap, {1, 0, 0, 0});
  entry.disabled = 1;
  executeCommand(e, entry);
  EXPECT_TRUE(textureEquals(e, 0xFFFFFF));
}

// ------------------------------------ Plasma and Noise against the references

TEST(Plasma, MatchesTheReferenceAtManySizes) {
  const int sizes[][2] = {{1, 1},   {2, 2},     {3, 5},     {17, 9}, {64, 64},
                          {255, 3}, {200, 130}, {256, 256}, {2, 256}};
  const int params[][6] = {{0, 20, 127, 255, 255, 255},
                           {11, 25, 127, 200, 100, 50},
                           {3, 255, 1, 255, 0, 255},
                           {32767, 0, 64, 17, 255, 128},
                           {1234, 128, 100, 255, 254, 1}};
  for (const auto& s : sizes)
    for (const auto& p : params) {
      SCOPED_TRACE(::testing::Message() << s[0] << "x" << s[1] << " variant " << p[0]);
      TextureEngine& e = engineOfSize(s[0], s[1]);
      expectSameAsReference(e, makeEntry(kPlasma, {p[0], p[1], p[2], p[3], p[4], p[5]}));
    }
}

TEST(Noise, MatchesTheReferenceAtManySizes) {
  const int sizes[][2] = {{1, 1}, {3, 5}, {17, 9}, {64, 64}, {255, 3}, {256, 256}};
  const int params[][6] = {{1, 1, 255, 255, 255, 128}, {2, 3, 200, 10, 255, 255},
                           {1, 1, 1, 128, 77, 1},      {7, 1, 255, 255, 255, 200},
                           {1, 5, 1, 2, 3, 255},       {255, 255, 100, 200, 250, 64}};
  for (const auto& s : sizes)
    for (const auto& p : params)
      for (int fixed : {0, 1})
        for (int disabled : {0, 1}) {
          SCOPED_TRACE(::testing::Message()
                       << s[0] << "x" << s[1] << " block " << p[0] << "x" << p[1] << " fixed "
                       << fixed << " disabled " << disabled);
          TextureEngine& e = engineOfSize(s[0], s[1]);
          e.random.seed(p[0] * 1000 + p[5] + s[0]);
          ProgramEntry entry = makeEntry(kNoise, {p[0], p[1], p[2], p[3], p[4], p[5]});
          entry.fixedColors = static_cast<std::uint8_t>(fixed);
          entry.disabled = static_cast<std::uint8_t>(disabled);
          expectSameAsReference(e, entry);
        }
}

// The fall-off is kept from run to run: a run with another radius, scale or
// size (alone or with helper threads making it) must make it again, and one
// cancelled while making it must not leave half of it to the next run.
TEST(EnvironmentMap, KeptFalloffIsMadeAgainWhenRadiusScaleOrSizeChange) {
  static TextureEngine e, reference;
  struct Step {
    int width, height, scale, radius, threads;
  };
  const Step steps[] = {{64, 64, 1, 12, 1},  {64, 64, 1, 12, 1}, {64, 64, 1, 40, 1},
                        {64, 64, 2, 40, 2},  {32, 64, 4, 40, 2}, {64, 32, 4, 40, 1},
                        {64, 32, 4, 41, 1},  {64, 64, 2, 40, 1}, {50, 9, 3, 7, 2}};
  std::atomic<bool> raised{true};
  for (const Step& s : steps) {
    SCOPED_TRACE(::testing::Message() << s.width << "x" << s.height << " x" << s.scale << " radius "
                                      << s.radius << ", " << s.threads << " threads");
    e.setScaledSize(s.width, s.height, s.scale);
    e.setThreads(s.threads);
    const ProgramEntry entry = makeEntry(kEnvironmentMap, {s.radius, 250, 100, 180});
    e.cancel.watch(&raised);  // stopped while making the fall-off
    executeCommand(e, entry);
    e.cancel.watch(nullptr);
    reference.setScaledSize(s.width, s.height, s.scale);
    fillRandom(e, e.texture, s.radius + s.width);
    fillRandom(reference, reference.texture, s.radius + s.width);
    executeCommand(e, entry);
    executeReference(reference, entry);
    ASSERT_EQ(pixelsOf(e, e.texture), pixelsOf(reference, reference.texture));
  }
  e.setThreads(1);
}
