#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <vector>

#include "engine/commands.h"
#include "engine/executor.h"
#include "vector_paths.h"

using namespace mottler;

namespace {

ProgramEntry makeEntry(CommandCode code, std::initializer_list<int> params = {}) {
  ProgramEntry entry;
  entry.code = code;
  int i = 0;
  for (int p : params) entry.param[i++] = p;
  return entry;
}

// Every pixel a different colour; byte 3 set.
void fillPattern(TextureEngine& e) {
  for (int y = 0; y < e.height; ++y)
    for (int x = 0; x < e.width; ++x)
      e.at(e.texture, x, y) = rgb(x * 7 & 0xFF, y * 11 & 0xFF, (x * y + 3) & 0xFF) | 0x5A000000u;
}

std::vector<std::uint32_t> pixels(TextureEngine& e, TexturePlane& plane) {
  return std::vector<std::uint32_t>(plane.data(), plane.data() + e.pixelCount);
}

// Applies a colour command to a one-pixel texture and returns the pixel.
std::uint32_t applyTo(std::uint32_t pixel, const ProgramEntry& entry) {
  TextureEngine e;
  e.setSize(1, 1);
  e.texture.data()[0] = pixel;
  executeCommand(e, entry);
  return e.texture.data()[0];
}

// Applies a colour command to the grey ramp 0..255; returns the green bytes.
std::vector<int> greyRamp(const ProgramEntry& entry) {
  static TextureEngine e;
  e.setSize(256, 1);
  for (int c = 0; c < 256; ++c) e.texture.data()[c] = rgb(c, c, c);
  executeCommand(e, entry);
  std::vector<int> out(256);
  for (int c = 0; c < 256; ++c) out[c] = channel(e.texture.data()[c], 1);
  return out;
}

std::vector<int> identity() {
  std::vector<int> out(256);
  for (int c = 0; c < 256; ++c) out[c] = c;
  return out;
}

}  // namespace

TEST(BufferCommands, ParkClearAndConnectRestoresTheTexture) {
  TextureEngine e;
  e.setSize(12, 10);
  fillPattern(e);
  const auto original = pixels(e, e.texture);
  executeCommand(e, makeEntry(kMoveToBuffer));
  EXPECT_EQ(pixels(e, e.buffer), original);
  executeCommand(e, makeEntry(kClearTexture));
  EXPECT_EQ(pixels(e, e.texture), std::vector<std::uint32_t>(e.pixelCount, 0u));
  EXPECT_EQ(pixels(e, e.buffer), original);

  ProgramEntry connect = makeEntry(kConnectBuffer);
  connect.method = Add;
  executeCommand(e, connect);
  for (int i = 0; i < e.pixelCount; ++i) EXPECT_EQ(e.texture.data()[i], original[i] & 0x00FFFFFFu);

  executeCommand(e, makeEntry(kClearTexture));
  connect.offsetX = 6;
  connect.offsetY = 5;
  executeCommand(e, connect);
  EXPECT_EQ(e.at(e.texture, 0, 0), original[5 * 12 + 6] & 0x00FFFFFFu);
  EXPECT_EQ(e.at(e.texture, 8, 7), original[2 * 12 + 2] & 0x00FFFFFFu);
}

TEST(ColourCommands, BrightnessScalesEachChannelByItsOwnPercentage) {
  // Parameters are red, green, blue; red is byte 2.
  EXPECT_EQ(applyTo(rgb(200, 200, 200), makeEntry(kBrightness, {200, 100, 0})), rgb(0, 200, 255));
  EXPECT_EQ(applyTo(rgb(99, 10, 1), makeEntry(kBrightness, {150, 33, 101})), rgb(99, 3, 1));
  EXPECT_EQ(applyTo(rgb(1, 2, 3) | 0x7F000000u, makeEntry(kBrightness, {100, 100, 100})),
            rgb(1, 2, 3) | 0x7F000000u);
}

TEST(ColourCommands, InversionComplementsTheWholeWord) {
  EXPECT_EQ(applyTo(0x12345678u, makeEntry(kInversion)), 0xEDCBA987u);
  EXPECT_EQ(applyTo(applyTo(0x00ABCDEFu, makeEntry(kInversion)), makeEntry(kInversion)),
            0x00ABCDEFu);
}

TEST(ColourCommands, ContrastTruncatesTowardZero) {
  const auto strong = greyRamp(makeEntry(kContrast, {500}));
  EXPECT_EQ(strong[102], 0);
  EXPECT_EQ(strong[103], 3);
  EXPECT_EQ(strong[128], 128);
  EXPECT_EQ(strong[153], 253);
  EXPECT_EQ(strong[154], 255);
  EXPECT_EQ(greyRamp(makeEntry(kContrast, {0})), std::vector<int>(256, 128));
  // (127 - 128) x 150 / 100 = -150 / 100 = -1, not -2.
  const auto moderate = greyRamp(makeEntry(kContrast, {150}));
  EXPECT_EQ(moderate[127], 127);
  EXPECT_EQ(moderate[129], 129);
  EXPECT_EQ(moderate[0], 0);
  EXPECT_EQ(greyRamp(makeEntry(kContrast, {100})), identity());
}

TEST(ColourCommands, GammaCorrection) {
  EXPECT_EQ(greyRamp(makeEntry(kGammaCorrection, {200}))[128], 64);
  for (int percents : {1, 37, 100, 250, 300}) {
    const auto ramp = greyRamp(makeEntry(kGammaCorrection, {percents}));
    EXPECT_EQ(ramp[0], 0);
    EXPECT_EQ(ramp[255], 255);
  }
  EXPECT_EQ(greyRamp(makeEntry(kGammaCorrection, {100})), identity());
  EXPECT_EQ(applyTo(rgb(64, 128, 192) | 0x11000000u, makeEntry(kGammaCorrection, {50})),
            rgb(128, 181, 221) | 0x11000000u);
}

TEST(ColourCommands, HsvWorksInStoredChannelOrder) {
  const ProgramEntry defaults = makeEntry(kHsv, {180, 100, 100});
  // The round trip truncates: some colours lose one in a channel.
  EXPECT_EQ(applyTo(rgb(68, 32, 130), defaults), rgb(67, 32, 130));
  EXPECT_EQ(applyTo(rgb(48, 249, 14), defaults), rgb(47, 249, 13));
  EXPECT_EQ(applyTo(rgb(0, 0, 0), defaults), rgb(0, 0, 0));
  // Saturation 0: grey at the largest channel, scaled by Value.
  EXPECT_EQ(applyTo(rgb(10, 90, 60), makeEntry(kHsv, {180, 0, 100})), rgb(90, 90, 90));
  EXPECT_EQ(applyTo(rgb(10, 90, 200), makeEntry(kHsv, {180, 0, 200})), rgb(255, 255, 255));
  // Hue 0: every hue to 0 degrees, where the blue byte is the largest.
  EXPECT_EQ(applyTo(rgb(0, 255, 0), makeEntry(kHsv, {0, 100, 100})), rgb(255, 0, 0));
  EXPECT_EQ(applyTo(rgb(0, 0, 255), makeEntry(kHsv, {0, 100, 100})), rgb(255, 0, 0));
  // Hue 360 doubles the hue and wraps at 360 degrees: 120 -> 240, 240 -> 480 -> 120.
  EXPECT_EQ(applyTo(rgb(0, 255, 0), makeEntry(kHsv, {360, 100, 100})), rgb(0, 0, 255));
  EXPECT_EQ(applyTo(rgb(0, 0, 255), makeEntry(kHsv, {360, 100, 100})), rgb(0, 255, 0));
  EXPECT_EQ(applyTo(rgb(10, 200, 50), makeEntry(kHsv, {360, 100, 100})), rgb(89, 9, 200));
  EXPECT_EQ(applyTo(rgb(200, 10, 50) | 0x33000000u, makeEntry(kHsv, {270, 150, 120})),
            rgb(0, 240, 164) | 0x33000000u);
}

TEST(BufferColourCommands, DisabledEntryDoesNothingAndAbsurdValuesAreSafe) {
  TextureEngine e;
  e.setSize(9, 7);
  fillPattern(e);
  for (int i = 0; i < e.pixelCount; ++i) e.buffer.data()[i] = 0x00808080u;
  const auto texture = pixels(e, e.texture);
  const auto buffer = pixels(e, e.buffer);
  for (CommandCode code : {kMoveToBuffer, kClearTexture, kConnectBuffer, kGammaCorrection,
                           kBrightness, kInversion, kContrast, kHsv}) {
    ProgramEntry entry = makeEntry(code, {150, 50, 250});
    entry.disabled = 1;
    executeCommand(e, entry);
    EXPECT_EQ(pixels(e, e.texture), texture) << code;
    EXPECT_EQ(pixels(e, e.buffer), buffer) << code;
  }

  const int absurd[] = {-2147483647 - 1, -1000, 0, 2147483647};
  for (CommandCode code : {kGammaCorrection, kBrightness, kContrast, kHsv})
    for (int a : absurd)
      for (int b : absurd) {
        fillPattern(e);
        executeCommand(e, makeEntry(code, {a, b, a}));
      }
  EXPECT_EQ(greyRamp(makeEntry(kBrightness, {2147483647, 2147483647, 2147483647}))[200], 255);
  EXPECT_EQ(greyRamp(makeEntry(kContrast, {-2147483647 - 1}))[200], 0);
}

// ------------------------------------------------------------------------
// Literal, slow versions of the colour adjustments, pixel by pixel and
// channel by channel, to check the engine's faster versions against.
namespace {

int literalLimit(long long v) { return v < 0 ? 0 : (v > 255 ? 255 : static_cast<int>(v)); }

int literalLimitTruncate(double v) {
  if (v >= 255.0) return 255;
  if (v > 0.0) return static_cast<int>(v);
  return 0;
}

std::uint32_t literalBrightness(std::uint32_t p, int red, int green, int blue) {
  const long long pc[3] = {blue, green, red};
  std::uint32_t out = p & 0xFF000000u;
  for (int c = 0; c < 3; ++c)
    out |= static_cast<std::uint32_t>(literalLimit(channel(p, c) * pc[c] / 100)) << (8 * c);
  return out;
}

std::uint32_t literalContrast(std::uint32_t p, int percents) {
  std::uint32_t out = p & 0xFF000000u;
  for (int c = 0; c < 3; ++c)
    out |= static_cast<std::uint32_t>(literalLimit((channel(p, c) - 128LL) * percents / 100 + 128))
           << (8 * c);
  return out;
}

std::uint32_t literalGamma(std::uint32_t p, int percents) {
  const double g = percents * 0.01;
  const double k = std::pow(255.0, g) / 255.0;
  std::uint32_t out = p & 0xFF000000u;
  for (int c = 0; c < 3; ++c)
    out |= static_cast<std::uint32_t>(
               literalLimitTruncate(std::pow(static_cast<double>(channel(p, c)), g) / k + 0.5))
           << (8 * c);
  return out;
}

std::uint32_t literalHsv(std::uint32_t p, int hue, int saturation, int value) {
  const int b = channel(p, 0), g = channel(p, 1), r = channel(p, 2);
  const int mx = std::max(b, std::max(g, r));
  const int mn = std::min(b, std::min(g, r));
  const double delta = mx - mn;
  const double s = mx == 0 ? 0.0 : delta / mx;
  double h = 0.0;
  if (s != 0.0) {
    if (b == mx)
      h = (g - r) / delta;
    else if (g == mx)
      h = 2 + (r - b) / delta;
    else
      h = 4 + (b - g) / delta;
    h = h * 60;
    while (h < 0) h += 360;
    while (h >= 360) h -= 360;
  }
  double hs = h * static_cast<double>(hue) / 180;
  while (hs >= 360) hs -= 360;
  while (hs < 0) hs += 360;
  double ss = s * static_cast<double>(saturation) * 0.01;
  if (ss > 1) ss = 1;
  const double vs = mx * static_cast<double>(value) * 0.01;
  const double hh = hs / 60;
  const int sector = static_cast<int>(hh);
  const double f = hh - sector;
  const double pv = vs * (1 - ss), qv = vs * (1 - ss * f), tv = vs * (1 - ss * (1 - f));
  double c0, c1, c2;
  switch (sector) {
    case 0:
      c0 = vs;
      c1 = tv;
      c2 = pv;
      break;
    case 1:
      c0 = qv;
      c1 = vs;
      c2 = pv;
      break;
    case 2:
      c0 = pv;
      c1 = vs;
      c2 = tv;
      break;
    case 3:
      c0 = pv;
      c1 = qv;
      c2 = vs;
      break;
    case 4:
      c0 = tv;
      c1 = pv;
      c2 = vs;
      break;
    default:
      c0 = vs;
      c1 = pv;
      c2 = qv;
      break;
  }
  return (p & 0xFF000000u) |
         rgb(literalLimitTruncate(c0), literalLimitTruncate(c1), literalLimitTruncate(c2));
}

// Random words (byte 3 too); with few > 0 the colours come from a small
// palette, so that many pixels repeat, as in real textures.  With grey set,
// most pixels are grey (runs of whole vectors of them, now and then broken
// by a colour), as on a plasma texture.
void fillRandomWords(TextureEngine& e, std::uint32_t seed, int few = 0, bool grey = false) {
  RandomState r;
  r.seed(static_cast<std::int32_t>(seed));
  std::uint32_t palette[64];
  for (auto& c : palette)
    c = static_cast<std::uint32_t>(r.next()) << 17 ^ static_cast<std::uint32_t>(r.next()) << 2 ^
        static_cast<std::uint32_t>(r.next());
  for (int i = 0; i < e.pixelCount; ++i) {
    std::uint32_t w = static_cast<std::uint32_t>(r.next()) << 17 ^
                      static_cast<std::uint32_t>(r.next()) << 2 ^
                      static_cast<std::uint32_t>(r.next());
    if (few > 0) w = palette[w % static_cast<std::uint32_t>(few)] ^ (w & 0xFF000000u);
    if (grey && w % 97 != 0) w = (w & 0xFF000000u) | (w & 0xFFu) * 0x010101u;
    e.texture.data()[i] = w;
  }
}

template <typename Literal>
void expectMatchesLiteral(const ProgramEntry& entry, Literal literal) {
  static TextureEngine e;
  const int sizes[][2] = {{1, 1}, {3, 5}, {17, 9}, {64, 64}, {255, 3}, {256, 256}};
  for (const bool wide : vectorPaths())
    for (const auto& s : sizes)
      for (int few : {0, 5, 64})
        for (bool grey : {false, true}) {
          SCOPED_TRACE(pathName(wide));
          e.wideVectors = wide;
          e.setSize(s[0], s[1]);
          fillRandomWords(e, static_cast<std::uint32_t>(s[0] * 977 + s[1] * 13 + few), few, grey);
          const auto before = pixels(e, e.texture);
          executeCommand(e, entry);
          for (int i = 0; i < e.pixelCount; ++i)
            ASSERT_EQ(e.texture.data()[i], literal(before[static_cast<std::size_t>(i)]))
                << "code " << entry.code << " params " << entry.param[0] << "," << entry.param[1]
                << "," << entry.param[2] << " size " << s[0] << "x" << s[1] << " pixel " << i;
        }
}

}  // namespace

TEST(ColourCommands, BrightnessMatchesTheLiteralRuleOnRandomTextures) {
  const int params[][3] = {
      {100, 100, 100}, {0, 0, 0}, {1000, 1000, 1000}, {37, 555, 999},
      {101, 99, 250},  {1, 2, 3}, {-5, 100, 1001},    {2147483647, 50, -2147483647 - 1}};
  for (const auto& p : params)
    expectMatchesLiteral(makeEntry(kBrightness, {p[0], p[1], p[2]}),
                         [&](std::uint32_t px) { return literalBrightness(px, p[0], p[1], p[2]); });
}

TEST(ColourCommands, BrightnessAndContrastMatchTheLiteralRuleForEveryCatalogueValue) {
  static TextureEngine e;
  for (const bool wide : vectorPaths()) {
    SCOPED_TRACE(pathName(wide));
    e.wideVectors = wide;
    e.setSize(256, 3);
    for (int i = 0; i < e.pixelCount; ++i)
      e.texture.data()[i] = rgb(i & 255, (i * 7 + 3) & 255, (i * 13 + 5) & 255) |
                            (static_cast<std::uint32_t>(i) << 24);
    const auto before = pixels(e, e.texture);
    for (int percents = 0; percents <= 1000; ++percents) {
      std::copy(before.begin(), before.end(), e.texture.data());
      executeCommand(e, makeEntry(kBrightness, {percents, 1000 - percents, (percents * 7) % 1001}));
      for (int i = 0; i < e.pixelCount; ++i)
        ASSERT_EQ(e.texture.data()[i],
                  literalBrightness(before[static_cast<std::size_t>(i)], percents, 1000 - percents,
                                    (percents * 7) % 1001))
            << percents;
      if (percents > 500) continue;
      std::copy(before.begin(), before.end(), e.texture.data());
      executeCommand(e, makeEntry(kContrast, {percents}));
      for (int i = 0; i < e.pixelCount; ++i)
        ASSERT_EQ(e.texture.data()[i],
                  literalContrast(before[static_cast<std::size_t>(i)], percents))
            << percents;
    }
  }
}

TEST(ColourCommands, ContrastAndGammaMatchTheLiteralRuleOnRandomTextures) {
  for (int p : {0, 1, 50, 99, 100, 101, 150, 333, 500, -7, 100000, -2147483647 - 1})
    expectMatchesLiteral(makeEntry(kContrast, {p}),
                         [&](std::uint32_t px) { return literalContrast(px, p); });
  for (int p : {1, 37, 100, 150, 250, 300})
    expectMatchesLiteral(makeEntry(kGammaCorrection, {p}),
                         [&](std::uint32_t px) { return literalGamma(px, p); });
}

TEST(ColourCommands, HsvMatchesTheLiteralRuleOnRandomTextures) {
  const int params[][3] = {{180, 100, 100}, {0, 0, 0},      {360, 200, 200}, {270, 150, 120},
                           {1, 1, 1},       {359, 199, 37}, {90, 100, 100},  {180, 0, 100}};
  for (const auto& p : params)
    expectMatchesLiteral(makeEntry(kHsv, {p[0], p[1], p[2]}),
                         [&](std::uint32_t px) { return literalHsv(px, p[0], p[1], p[2]); });
}
