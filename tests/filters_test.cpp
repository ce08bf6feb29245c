#include <gtest/gtest.h>

#include <algorithm>
#include <string>
#include <vector>

#include "engine/commands.h"
#include "engine/executor.h"

using namespace mottler;

namespace {

ProgramEntry makeEntry(CommandCode code, std::initializer_list<int> params) {
  ProgramEntry entry;
  entry.code = code;
  int i = 0;
  for (int p : params) entry.param[i++] = p;
  return entry;
}

void fill(TextureEngine& e, std::uint32_t pixel) {
  for (int i = 0; i < e.pixelCount; ++i) e.texture.data()[i] = pixel;
}

// Random colours (byte 3 set too, to see that filters keep it); with
// levels > 0 the channels take only that many values, for many ties.
void fillRandom(TextureEngine& e, unsigned seed, int levels = 0) {
  RandomState r;
  r.seed(static_cast<std::int32_t>(seed));
  for (int i = 0; i < e.pixelCount; ++i) {
    std::uint32_t p = 0;
    for (int c = 0; c < 4; ++c) {
      int v = r.next() & 0xFF;
      if (levels > 0 && c < 3) v = (v % levels) * (255 / (levels - 1 > 0 ? levels - 1 : 1));
      p |= static_cast<std::uint32_t>(v) << (8 * c);
    }
    e.texture.data()[i] = p;
  }
}

std::vector<std::uint32_t> snapshot(TextureEngine& e) {
  return std::vector<std::uint32_t>(e.texture.data(), e.texture.data() + e.pixelCount);
}

// Literal, slow versions of the filters, one channel at a time, to check
// the engine's versions against.
struct Image {
  int w, h;
  std::vector<std::uint32_t> px;
  int get(int x, int y, int c) const {
    x = ((x % w) + w) % w;
    y = ((y % h) + h) % h;
    return channel(px[static_cast<std::size_t>(y) * w + x], c);
  }
  void set(int x, int y, int c, int v) {
    std::uint32_t& p = px[static_cast<std::size_t>(y) * w + x];
    p = (p & ~(0xFFu << (8 * c))) | (static_cast<std::uint32_t>(v) << (8 * c));
  }
};

Image imageOf(TextureEngine& e) { return Image{e.width, e.height, snapshot(e)}; }

Image referenceBlur(Image img, int passes) {
  for (int n = 0; n < passes; ++n)
    for (int y = 0; y < img.h; ++y)
      for (int x = 0; x < img.w; ++x)
        for (int c = 0; c < 3; ++c)
          img.set(x, y, c,
                  (img.get(x, y + 1, c) + img.get(x, y - 1, c) + img.get(x + 1, y, c) +
                   img.get(x - 1, y, c)) / 4);
  return img;
}

Image referenceUnsharp(Image img, int amount, int radius, int threshold) {
  const int w = img.w, h = img.h;
  const float k = static_cast<float>(amount * 0.01);
  std::vector<int> s(static_cast<std::size_t>(w) * (h + 2) * 3);
  auto at = [&](int x, int y, int c) -> int& { return s[(static_cast<std::size_t>(y) * w + x) * 3 + c]; };
  for (int y = 0; y < h; ++y)
    for (int x = 0; x < w; ++x)
      for (int c = 0; c < 3; ++c) at(x, y + 1, c) = img.get(x, y, c);
  for (int n = 0; n < radius; ++n) {
    for (int x = 0; x < w; ++x)
      for (int c = 0; c < 3; ++c) {
        at(x, 0, c) = at(x, 1, c);
        at(x, h + 1, c) = at(x, h, c);
      }
    for (int y = 1; y <= h; ++y)
      for (int x = 0; x < w; ++x)
        for (int c = 0; c < 3; ++c) {
          const int l = x > 0 ? x - 1 : x, r = x < w - 1 ? x + 1 : x;
          at(x, y, c) = (3 * at(x, y, c) + 2 * (at(l, y, c) + at(r, y, c) + at(x, y - 1, c) + at(x, y + 1, c)) +
                         (at(l, y - 1, c) + at(r, y - 1, c) + at(l, y + 1, c) + at(r, y + 1, c))) /
                        15;
        }
  }
  Image out = img;
  for (int y = 0; y < h; ++y)
    for (int x = 0; x < w; ++x) {
      bool keep = false;
      for (int c = 0; c < 3; ++c)
        if (std::abs(img.get(x, y, c) - at(x, y + 1, c)) < threshold) keep = true;
      if (keep) continue;
      for (int c = 0; c < 3; ++c) {
        const int t = img.get(x, y, c), d = t - at(x, y + 1, c);
        out.set(x, y, c, std::min(255, static_cast<int>(t + static_cast<double>(k) * std::max(d, 0))));
      }
    }
  return out;
}

Image referenceBump(const Image& img, const std::uint8_t* shade, int brightness, int contrast) {
  Image out = img;
  for (int y = 0; y < img.h; ++y)
    for (int x = 0; x < img.w; ++x)
      for (int c = 0; c < 3; ++c) {
        const int v = (img.get(x, y + 1, c) + img.get(x + 1, y, c) + img.get(x + 1, y + 1, c)) -
                      (img.get(x, y - 1, c) + img.get(x - 1, y, c) + img.get(x - 1, y - 1, c));
        const int t = std::clamp(v * contrast + brightness, 0, 255);
        out.set(x, y, c, shade[t * 256 + img.get(x, y, c)]);
      }
  return out;
}

Image referenceCross(Image img, int passes, bool isMax) {
  for (int n = 0; n < passes; ++n) {
    const Image copy = img;
    for (int y = 0; y < img.h; ++y)
      for (int x = 0; x < img.w; ++x)
        for (int c = 0; c < 3; ++c) {
          int v[5] = {copy.get(x, y, c), copy.get(x + 1, y, c), copy.get(x, y + 1, c), copy.get(x - 1, y, c),
                      copy.get(x, y - 1, c)};
          img.set(x, y, c, isMax ? *std::max_element(v, v + 5) : *std::min_element(v, v + 5));
        }
  }
  return img;
}

Image referenceMedian(const Image& img) {
  Image out = img;
  const int n = img.w * img.h;
  for (int i = 0; i < n; ++i)
    for (int c = 0; c < 3; ++c) {
      int v[5];
      const int idx[5] = {i, i - 1, i + 1, i - img.w, i + img.w};
      for (int j = 0; j < 5; ++j) v[j] = channel(img.px[static_cast<std::size_t>(((idx[j] % n) + n) % n)], c);
      std::sort(v, v + 5);
      out.set(i % img.w, i / img.w, c, v[2]);
    }
  return out;
}

const int kSizes[][2] = {{1, 1}, {1, 5}, {6, 1}, {2, 2}, {7, 5}, {16, 9}, {33, 40}};

}  // namespace

TEST(Blur, SinglePixelSpreadsInVisitingOrder) {
  TextureEngine e;
  e.setSize(8, 8);
  fill(e, 0);
  e.at(e.texture, 4, 4) = rgb(255, 255, 255);
  executeCommand(e, makeEntry(kBlur, {1}));
  EXPECT_EQ(e.at(e.texture, 4, 4), rgb(31, 31, 31));
  EXPECT_EQ(e.at(e.texture, 4, 3), rgb(63, 63, 63));
  EXPECT_EQ(e.at(e.texture, 3, 4), rgb(63, 63, 63));
  EXPECT_EQ(e.at(e.texture, 5, 4), rgb(11, 11, 11));
  EXPECT_EQ(e.at(e.texture, 4, 5), rgb(11, 11, 11));

  // The first pixel visited spreads nothing: its wrapped neighbours still
  // see 0 only after it has been averaged away.
  fill(e, 0);
  e.at(e.texture, 0, 0) = rgb(0, 255, 0);
  executeCommand(e, makeEntry(kBlur, {1}));
  for (int i = 0; i < e.pixelCount; ++i) EXPECT_EQ(e.texture.data()[i], 0u) << i;
}

TEST(Blur, MatchesTheLiteralAlgorithm) {
  TextureEngine e;
  for (const auto& s : kSizes)
    for (int passes : {1, 3}) {
      e.setSize(s[0], s[1]);
      fillRandom(e, s[0] * 31 + s[1] + passes);
      const Image expected = referenceBlur(imageOf(e), passes);
      executeCommand(e, makeEntry(kBlur, {passes}));
      EXPECT_EQ(snapshot(e), expected.px) << s[0] << "x" << s[1] << " passes " << passes;
    }
}

TEST(UnsharpMask, MatchesTheLiteralAlgorithm) {
  TextureEngine e;
  const int params[][3] = {{1, 1, 0}, {100, 2, 0}, {1000, 3, 0}, {57, 1, 20}, {333, 4, 3}, {500, 2, 255}};
  for (const auto& s : kSizes)
    for (const auto& p : params) {
      e.setSize(s[0], s[1]);
      fillRandom(e, s[0] * 7 + s[1] + p[0]);
      const Image before = imageOf(e);
      const Image expected = referenceUnsharp(before, p[0], p[1], p[2]);
      executeCommand(e, makeEntry(kUnsharpMask, {p[0], p[1], p[2]}));
      const auto after = snapshot(e);
      ASSERT_EQ(after, expected.px) << s[0] << "x" << s[1] << " " << p[0] << "," << p[1] << "," << p[2];
      for (int i = 0; i < e.pixelCount; ++i)
        for (int c = 0; c < 4; ++c) ASSERT_GE(channel(after[i], c), channel(before.px[i], c));
    }
}

TEST(UnsharpMask, ThresholdTestsEachChannel) {
  TextureEngine e;
  e.setSize(8, 8);
  // A bright blue speck: blue stands far above its blur, green and red not
  // at all (d = 0), so a threshold of 1 keeps the pixel, 0 lets it brighten.
  fill(e, rgb(100, 50, 50));
  e.at(e.texture, 3, 3) = rgb(200, 50, 50);
  executeCommand(e, makeEntry(kUnsharpMask, {100, 1, 1}));
  EXPECT_EQ(e.at(e.texture, 3, 3), rgb(200, 50, 50));
  executeCommand(e, makeEntry(kUnsharpMask, {100, 1, 0}));
  EXPECT_EQ(e.at(e.texture, 3, 3), rgb(255, 50, 50));
}

TEST(BumpMapping, MatchesTheLiteralAlgorithmAndKeepsFlatTextures) {
  TextureEngine e;
  for (const auto& s : kSizes)
    for (const auto& p : {std::pair{128, 1}, std::pair{1, 32}, std::pair{200, 3}}) {
      e.setSize(s[0], s[1]);
      fillRandom(e, s[0] + s[1] * 13 + p.first);
      const Image expected = referenceBump(imageOf(e), e.shadeTable.data(), p.first, p.second);
      executeCommand(e, makeEntry(kBumpMapping, {p.first, p.second}));
      EXPECT_EQ(snapshot(e), expected.px) << s[0] << "x" << s[1];
    }
  e.setSize(16, 16);
  fill(e, rgb(10, 90, 240));
  executeCommand(e, makeEntry(kBumpMapping, {128, 32}));
  for (int i = 0; i < e.pixelCount; ++i) ASSERT_EQ(e.texture.data()[i], rgb(10, 90, 240));
}

TEST(MaximumMinimum, GrowCrossAndDiamond) {
  TextureEngine e;
  e.setSize(16, 16);
  for (int amount : {1, 2}) {
    fill(e, 0);
    e.at(e.texture, 0, 0) = rgb(255, 255, 255);  // at the corner: the shape wraps
    executeCommand(e, makeEntry(kMaximum, {amount}));
    int lit = 0;
    for (int i = 0; i < e.pixelCount; ++i) lit += e.texture.data()[i] == rgb(255, 255, 255);
    EXPECT_EQ(lit, amount == 1 ? 5 : 13);
    EXPECT_EQ(e.at(e.texture, 15, 0), rgb(255, 255, 255));
    EXPECT_EQ(e.at(e.texture, 0, 15), rgb(255, 255, 255));

    fill(e, rgb(255, 255, 255));
    e.at(e.texture, 5, 5) = 0;
    executeCommand(e, makeEntry(kMinimum, {amount}));
    int dark = 0;
    for (int i = 0; i < e.pixelCount; ++i) dark += e.texture.data()[i] == 0;
    EXPECT_EQ(dark, amount == 1 ? 5 : 13);
  }
}

TEST(MaximumMinimum, MatchTheLiteralAlgorithmForAnyAmount) {
  TextureEngine e;
  for (const auto& s : kSizes)
    for (int amount : {1, 3, 24}) {
      e.setSize(s[0], s[1]);
      fillRandom(e, s[0] * 3 + s[1] + amount);
      const Image before = imageOf(e);
      executeCommand(e, makeEntry(kMaximum, {amount}));
      EXPECT_EQ(snapshot(e), referenceCross(before, amount, true).px);
      std::copy(before.px.begin(), before.px.end(), e.texture.data());
      executeCommand(e, makeEntry(kMinimum, {amount}));
      EXPECT_EQ(snapshot(e), referenceCross(before, amount, false).px);
    }
  // An absurd amount ends quickly with every pixel at the extreme.
  e.setSize(40, 30);
  fillRandom(e, 5);
  const Image before = imageOf(e);
  executeCommand(e, makeEntry(kMaximum, {1000000000}));
  EXPECT_EQ(snapshot(e), referenceCross(before, 40 / 2 + 30 / 2, true).px);
}

TEST(Median, MatchesTheRingRule) {
  TextureEngine e;
  for (const auto& s : kSizes)
    for (int levels : {0, 2, 3}) {
      e.setSize(s[0], s[1]);
      fillRandom(e, s[0] * 5 + s[1] + levels, levels);
      const Image expected = referenceMedian(imageOf(e));
      executeCommand(e, makeEntry(kMedian, {}));
      EXPECT_EQ(snapshot(e), expected.px) << s[0] << "x" << s[1] << " levels " << levels;
    }
  // A row's first pixel has the previous row's last on its left.
  e.setSize(4, 4);
  fill(e, 0);
  e.at(e.texture, 3, 1) = e.at(e.texture, 1, 2) = e.at(e.texture, 0, 1) = rgb(9, 9, 9);
  executeCommand(e, makeEntry(kMedian, {}));
  EXPECT_EQ(e.at(e.texture, 0, 2), rgb(9, 9, 9));
  EXPECT_EQ(e.at(e.texture, 3, 1), 0u);
}

TEST(Filters, DisabledEntryDoesNothingAndAbsurdValuesAreSafe) {
  TextureEngine e;
  e.setSize(20, 12);
  fillRandom(e, 77);
  const auto before = snapshot(e);
  e.random.seed(123);
  for (CommandCode code : {kBlur, kUnsharpMask, kBumpMapping, kMaximum, kMinimum, kMedian}) {
    ProgramEntry entry = makeEntry(code, {5, 5, 5});
    entry.disabled = 1;
    executeCommand(e, entry);
    EXPECT_EQ(snapshot(e), before) << code;
  }
  EXPECT_EQ(e.random.state, 123);

  const int absurd[] = {-2147483647 - 1, -1, 0, 2147483647};
  for (CommandCode code : {kBlur, kUnsharpMask, kBumpMapping, kMaximum, kMinimum})
    for (int a : absurd)
      for (int b : absurd) executeCommand(e, makeEntry(code, {a, b, a}));
  SUCCEED();
}

// The same literal comparisons at larger and wider sizes, where the engine
// works on several pixels at a time and has tails of 1..3 pixels.
TEST(Filters, MatchTheLiteralAlgorithmsAtLargerSizes) {
  static TextureEngine e;
  const int sizes[][2] = {{256, 256}, {255, 7}, {5, 300}, {4, 4}, {3, 2}, {9, 1}, {130, 3}};
  for (const auto& s : sizes) {
    const std::string where = std::to_string(s[0]) + "x" + std::to_string(s[1]);
    for (int levels : {0, 4}) {
      e.setSize(s[0], s[1]);
      fillRandom(e, static_cast<unsigned>(s[0] * 131 + s[1] + levels), levels);
      Image before = imageOf(e);
      executeCommand(e, makeEntry(kMedian, {}));
      ASSERT_EQ(snapshot(e), referenceMedian(before).px) << "median " << where;
      for (int amount : {1, 2}) {
        before = imageOf(e);
        executeCommand(e, makeEntry(kMaximum, {amount}));
        ASSERT_EQ(snapshot(e), referenceCross(before, amount, true).px) << "maximum " << where;
        before = imageOf(e);
        executeCommand(e, makeEntry(kMinimum, {amount}));
        ASSERT_EQ(snapshot(e), referenceCross(before, amount, false).px) << "minimum " << where;
      }
      for (const auto& p : {std::pair{128, 1}, {1, 32}, {255, 7}, {40, 2}}) {
        fillRandom(e, static_cast<unsigned>(s[0] + s[1] * 17 + p.first + levels), levels);
        before = imageOf(e);
        executeCommand(e, makeEntry(kBumpMapping, {p.first, p.second}));
        ASSERT_EQ(snapshot(e), referenceBump(before, e.shadeTable.data(), p.first, p.second).px)
            << "bump " << where << " " << p.first << "," << p.second;
      }
      before = imageOf(e);
      executeCommand(e, makeEntry(kBlur, {2}));
      ASSERT_EQ(snapshot(e), referenceBlur(before, 2).px) << "blur " << where;
      fillRandom(e, static_cast<unsigned>(s[0] * 3 + s[1] + levels), levels);
      before = imageOf(e);
      executeCommand(e, makeEntry(kUnsharpMask, {250, 2, 3}));
      ASSERT_EQ(snapshot(e), referenceUnsharp(before, 250, 2, 3).px) << "unsharp " << where;
    }
  }
}

// Within the catalogue's strengths, T + k x d is exact in double, so its
// truncation limited to 255 is T + floor(k x d) limited: checked for every
// strength, difference and channel value.  And the command against the
// literal version across strengths, in and beyond the catalogue.
TEST(UnsharpMask, LiftIsAnIntegerSumForEveryCatalogueStrength) {
  for (int amount = 1; amount <= 1000; ++amount) {
    const float k = static_cast<float>(amount * 0.01);
    for (int d = 1; d < 256; ++d) {
      const double lift = static_cast<double>(k) * d;
      const int whole = static_cast<int>(lift);
      for (int t = 0; t < 256; ++t) {
        const double r = t + lift;
        const int literal = r >= 255.0 ? 255 : (r > 0.0 ? static_cast<int>(r) : 0);
        ASSERT_EQ(std::min(255, t + whole), literal) << amount << " " << d << " " << t;
      }
    }
  }
  TextureEngine e;
  for (int amount : {0, 1, 7, 99, 100, 101, 555, 999, 1000, 1001, 5000})
    for (int threshold : {0, 5}) {
      e.setSize(64, 48);
      fillRandom(e, static_cast<unsigned>(amount * 3 + threshold), amount % 2 ? 0 : 6);
      const Image before = imageOf(e);
      executeCommand(e, makeEntry(kUnsharpMask, {amount, 1 + amount % 3, threshold}));
      ASSERT_EQ(snapshot(e), referenceUnsharp(before, amount, 1 + amount % 3, threshold).px) << amount;
    }
}
