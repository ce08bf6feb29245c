// The buffer commands and colour adjustments: the documented cases by hand,
// and the fast paths against the reference versions on textures of many,
// few and grey colours, and for every value of the catalogue ranges.
#include <gtest/gtest.h>

#include <algorithm>
#include <vector>

#include "engine_support.h"

using namespace mottler;

namespace {

// Every pixel a different colour; byte 3 set.
void fillPattern(TextureEngine& e) {
  for (int y = 0; y < e.height; ++y)
    for (int x = 0; x < e.width; ++x)
      e.at(e.texture, x, y) = rgb(x * 7 & 0xFF, y * 11 & 0xFF, (x * y + 3) & 0xFF) | 0x5A000000u;
}

std::vector<std::uint32_t> pixels(TextureEngine& e, TexturePlane& plane) {
  return pixelsOf(e, plane);
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

TEST(BufferColourCommands, DisabledEntryDoesNothing) {
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
}

// ------------------------------------------------------------------------
namespace {

// Random words (byte 3 too); with few > 0 the colours come from a small
// palette, so that many pixels repeat, as in real textures.  With grey set,
// most pixels are grey (runs of whole vectors of them, now and then broken
// by a colour), as on a plasma texture.
void fillRandomWords(TextureEngine& e, std::uint32_t seed, int few = 0, bool grey = false) {
  RandomState r;
  r.seed(static_cast<std::int32_t>(seed));
  std::uint32_t palette[64];
  for (auto& c : palette) c = randomWord(r);
  for (int i = 0; i < e.pixelCount; ++i) {
    std::uint32_t w = randomWord(r);
    if (few > 0) w = palette[w % static_cast<std::uint32_t>(few)] ^ (w & 0xFF000000u);
    if (grey && w % 97 != 0) w = (w & 0xFF000000u) | (w & 0xFFu) * 0x010101u;
    e.texture.data()[i] = w;
  }
}

// The command on random textures of every kind, and at sizes that leave
// tails after whole vectors of four or sixteen pixels.
void expectSameAsReferenceOnRandomTextures(const ProgramEntry& entry) {
  static TextureEngine e;
  const int sizes[][2] = {{1, 1}, {3, 5}, {17, 9}, {64, 64}, {255, 3}, {256, 256}};
  for (const auto& s : sizes)
    for (int few : {0, 5, 64})
      for (bool grey : {false, true}) {
        SCOPED_TRACE(::testing::Message()
                     << "code " << entry.code << " params " << entry.param[0] << ","
                     << entry.param[1] << "," << entry.param[2] << " size " << s[0] << "x" << s[1]
                     << " colours " << few << (grey ? " grey" : ""));
        e.setSize(s[0], s[1]);
        fillRandomWords(e, static_cast<std::uint32_t>(s[0] * 977 + s[1] * 13 + few), few, grey);
        expectSameAsReference(e, entry);
        if (::testing::Test::HasFatalFailure()) return;
      }
}

}  // namespace

TEST(ColourCommands, BrightnessMatchesTheReferenceOnRandomTextures) {
  const int params[][3] = {{100, 100, 100}, {0, 0, 0},      {1000, 1000, 1000},
                           {37, 555, 999},  {101, 99, 250}, {1, 2, 3}};
  for (const auto& p : params)
    expectSameAsReferenceOnRandomTextures(makeEntry(kBrightness, {p[0], p[1], p[2]}));
}

TEST(ColourCommands, BrightnessAndContrastMatchTheReferenceForEveryCatalogueValue) {
  static TextureEngine e;
  e.setSize(256, 3);
  for (int percents = 0; percents <= 1000; ++percents) {
    SCOPED_TRACE(percents);
    for (int i = 0; i < e.pixelCount; ++i)
      e.texture.data()[i] = rgb(i & 255, (i * 7 + 3) & 255, (i * 13 + 5) & 255) |
                            (static_cast<std::uint32_t>(i) << 24);
    expectSameAsReference(
        e, makeEntry(kBrightness, {percents, 1000 - percents, (percents * 7) % 1001}));
    if (percents <= 500) expectSameAsReference(e, makeEntry(kContrast, {percents}));
    if (HasFatalFailure()) return;
  }
}

TEST(ColourCommands, ContrastAndGammaMatchTheReferenceOnRandomTextures) {
  for (int p : {0, 1, 50, 99, 100, 101, 150, 333, 500})
    expectSameAsReferenceOnRandomTextures(makeEntry(kContrast, {p}));
  for (int p : {1, 37, 100, 150, 250, 300})
    expectSameAsReferenceOnRandomTextures(makeEntry(kGammaCorrection, {p}));
}

TEST(ColourCommands, HsvMatchesTheReferenceOnRandomTextures) {
  const int params[][3] = {{180, 100, 100}, {0, 0, 0},      {360, 200, 200}, {270, 150, 120},
                           {1, 1, 1},       {359, 199, 37}, {90, 100, 100},  {180, 0, 100}};
  for (const auto& p : params)
    expectSameAsReferenceOnRandomTextures(makeEntry(kHsv, {p[0], p[1], p[2]}));
}

// Every blue and green value with many reds (a plane holds all 65536 blue
// and green pairs of one red), so that every sector, every largest channel
// and every tie between channels is met.
TEST(ColourCommands, HsvMatchesTheReferenceForEveryBlueAndGreen) {
  static TextureEngine e;
  e.setSize(256, 256);
  const int params[][3] = {{180, 100, 100}, {359, 199, 37}, {360, 200, 200}, {7, 55, 143}};
  for (const auto& p : params)
    for (std::uint32_t red = 0; red < 256; red += red < 2 || red > 252 ? 1 : 23) {
      SCOPED_TRACE(::testing::Message()
                   << "red " << red << ", parameters " << p[0] << " " << p[1] << " " << p[2]);
      for (std::uint32_t i = 0; i < 65536; ++i) e.texture.data()[i] = (red << 16) | i | (i << 24);
      expectSameAsReference(e, makeEntry(kHsv, {p[0], p[1], p[2]}));
      if (HasFatalFailure()) return;
    }
}
