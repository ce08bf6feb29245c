#include <gtest/gtest.h>

#include <algorithm>
#include <vector>

#include "engine/executor.h"
#include "engine/reference/reference.h"
#include "vector_paths.h"

using namespace mottler;

namespace {

// Blends a one-pixel-valued layer over a one-pixel-valued texture and
// returns the resulting channel for each method.
int blendOne(int method, int a, int b) {
  TextureEngine e;
  e.setSize(4, 4);
  for (int i = 0; i < e.pixelCount; ++i) {
    e.workPlane.data()[i] = rgb(a, a, a);
    e.texture.data()[i] = rgb(b, b, b) | 0x7F000000u;
  }
  ProgramEntry entry;
  entry.method = method;
  blendLayer(e, e.workPlane, entry);
  const std::uint32_t p = e.texture.data()[5];
  EXPECT_EQ(p >> 24, 0x7Fu) << "byte 3 must be kept";
  EXPECT_EQ(channel(p, 0), channel(p, 2));
  return channel(p, 1);
}

}  // namespace

TEST(BlendLayer, EachMethodFollowsItsRule) {
  EXPECT_EQ(blendOne(Middle, 255, 0), 127);
  EXPECT_EQ(blendOne(Add, 200, 100), 255);
  EXPECT_EQ(blendOne(Add, 20, 100), 120);
  EXPECT_EQ(blendOne(Subtract, 100, 150), 0);
  EXPECT_EQ(blendOne(Subtract, 150, 100), 50);
  EXPECT_EQ(blendOne(Xor, 0xF0, 0x3C), 0xCC);
  EXPECT_EQ(blendOne(And, 0xF0, 0x3C), 0x30);
  EXPECT_EQ(blendOne(Or, 0xF0, 0x3C), 0xFC);
  EXPECT_EQ(blendOne(Multiply, 255, 255), 254);
  EXPECT_EQ(blendOne(Shade, 128, 77), 77);
  EXPECT_EQ(blendOne(Shade, 200, 255), 254);
  EXPECT_EQ(blendOne(Lighten, 30, 40), 40);
  EXPECT_EQ(blendOne(Darken, 30, 40), 30);
  EXPECT_EQ(blendOne(10, 30, 40), 30);  // any other method: the layer replaces
  EXPECT_EQ(blendOne(-1, 30, 40), 30);
  EXPECT_EQ(blendOne(256 + Add, 20, 100), 120);  // only the low byte counts
}

TEST(BlendLayer, OffsetsShiftTheLayerWithWrapping) {
  TextureEngine e;
  e.setSize(256, 4);
  for (int y = 0; y < 4; ++y)
    for (int x = 0; x < 256; ++x) e.at(e.workPlane, x, y) = rgb(x, y, 0);
  e.clear(e.texture);
  ProgramEntry entry;
  entry.method = Add;
  entry.offsetX = 10;
  entry.offsetY = 1;
  blendLayer(e, e.workPlane, entry);
  EXPECT_EQ(channel(e.at(e.texture, 250, 0), 0), 4);  // column 250 takes layer column 4
  EXPECT_EQ(channel(e.at(e.texture, 0, 0), 0), 10);
  EXPECT_EQ(channel(e.at(e.texture, 0, 3), 1), 0);  // row 3 takes layer row 0
  EXPECT_EQ(channel(e.at(e.texture, 0, 2), 1), 3);

  // Offsets outside the texture wrap instead of reading out of bounds.
  e.clear(e.texture);
  entry.offsetX = -246;  // same as 10
  entry.offsetY = 9;     // same as 1
  blendLayer(e, e.workPlane, entry);
  EXPECT_EQ(channel(e.at(e.texture, 250, 0), 0), 4);
  EXPECT_EQ(channel(e.at(e.texture, 0, 2), 1), 3);

  e.clear(e.texture);
  entry.offsetX = entry.offsetY = 0;
  blendLayer(e, e.workPlane, entry);
  EXPECT_EQ(e.at(e.texture, 17, 2), e.at(e.workPlane, 17, 2));
}

// Every pair of layer and texture values, in every colour byte, on every
// vector path, through whole vectors and the pixels after them (a width of
// 255 leaves a tail of 15 pixels; 256 covers the pair 255, 255 too).
TEST(BlendLayer, EveryValuePairMatchesTheRuleInEveryByte) {
  const auto rule = reference::blendByte;
  static TextureEngine e;
  for (const bool wide : vectorPaths())
    for (const int width : {255, 256})
      for (int method = 0; method <= 10; ++method) {
        SCOPED_TRACE(pathName(wide));
        e.wideVectors = wide;
        e.setSize(width, 256);
        for (int y = 0; y < 256; ++y)
          for (int x = 0; x < width; ++x) {
            e.at(e.workPlane, x, y) = rgb(x, y, (x * 7 + y) & 255) | 0xAB000000u;
            e.at(e.texture, x, y) = rgb(y, x, (y * 13 + x) & 255) | static_cast<std::uint32_t>(x)
                                                                        << 24;
          }
        ProgramEntry entry;
        entry.method = method;
        blendLayer(e, e.workPlane, entry);
        for (int y = 0; y < 256; ++y)
          for (int x = 0; x < width; ++x) {
            const std::uint32_t p = e.at(e.texture, x, y);
            ASSERT_EQ(channel(p, 0), rule(method, x, y, shadeTable().data())) << method;
            ASSERT_EQ(channel(p, 1), rule(method, y, x, shadeTable().data())) << method;
            ASSERT_EQ(channel(p, 2),
                      rule(method, (x * 7 + y) & 255, (y * 13 + x) & 255, shadeTable().data()));
            ASSERT_EQ(p >> 24, static_cast<std::uint32_t>(x));
          }
      }
}

// Spans of every length a row can split into, on every vector path: each
// texture pixel must be blended exactly once with the layer pixel its
// offsets name, also where a span ends in a vector that overlaps the one
// before it.
TEST(BlendLayer, EverySpanLengthBlendsEachPixelOnce) {
  static TextureEngine e;
  for (const bool wide : vectorPaths())
    for (const int width : {1, 3, 4, 5, 16, 17, 20, 31, 33, 64, 100}) {
      SCOPED_TRACE(pathName(wide));
      e.wideVectors = wide;
      e.setSize(width, 2);
      for (int ox = 0; ox < width; ++ox)
        for (const int method : {Add, Shade}) {
          for (int i = 0; i < e.pixelCount; ++i) {
            e.workPlane.data()[i] = rgb(i * 37 & 255, 200 - i, i * 3 & 255);
            e.texture.data()[i] = rgb(i * 11 & 255, i + 90, 129 + i % 120) | 0xC3000000u;
          }
          const std::vector<std::uint32_t> under(e.texture.data(), e.texture.data() + e.pixelCount);
          ProgramEntry entry;
          entry.method = method;
          entry.offsetX = ox;
          entry.offsetY = 1;
          blendLayer(e, e.workPlane, entry);
          for (int y = 0; y < 2; ++y)
            for (int x = 0; x < width; ++x) {
              const std::uint32_t layer = e.at(e.workPlane, (x + ox) % width, (y + 1) % 2);
              const std::uint32_t was = under[static_cast<std::size_t>(y * width + x)];
              std::uint32_t want = 0xC3000000u;
              for (int c = 0; c < 3; ++c) {
                const int a = channel(layer, c), b = channel(was, c);
                const int v = method == Add ? std::min(a + b, 255) : shadeTable()[a * 256 + b];
                want |= static_cast<std::uint32_t>(v) << (8 * c);
              }
              ASSERT_EQ(e.at(e.texture, x, y), want)
                  << "width " << width << " offset " << ox << " method " << method;
            }
        }
    }
}
