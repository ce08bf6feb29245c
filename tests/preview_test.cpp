// The preview bitmap: zoomed copy with clipping, the frame and Auto Zoom.
#include <gtest/gtest.h>

#include <vector>

#include "document/preview.h"

using namespace mottler::preview;

namespace {

// A plane whose every texel tells its column and row: 0x00RRCC00 style.
std::vector<std::uint32_t> coordinatePlane(int width, int height) {
  std::vector<std::uint32_t> plane(static_cast<std::size_t>(width) * height);
  for (int y = 0; y < height; ++y)
    for (int x = 0; x < width; ++x) plane[static_cast<std::size_t>(y) * width + x] = 0x01000000u | (y << 12) | x;
  return plane;
}
int texelX(std::uint32_t p) { return static_cast<int>(p & 0xFFFu); }
int texelY(std::uint32_t p) { return static_cast<int>((p >> 12) & 0xFFFu); }

struct Bitmap {
  std::vector<std::uint32_t> bits = std::vector<std::uint32_t>(kPixels, 0xDEADBEEFu);
  std::uint32_t at(int x, int y) const { return bits[static_cast<std::size_t>(y) * kSide + x]; }
};

Bitmap render(int zoom, int width, int height) {
  const std::vector<std::uint32_t> plane = coordinatePlane(width, height);
  Bitmap b;
  clearBitmap(b.bits.data());
  const Placement p = placeZoomed(zoom, width, height);
  blitZoomed(p.x0, p.y0, width, height, p.zoomedWidth, p.zoomedHeight, plane.data(), b.bits.data());
  drawFrame(b.bits.data());
  return b;
}

void expectBlackFrame(const Bitmap& b) {
  for (int i = 0; i < kSide; ++i) {
    EXPECT_EQ(b.at(i, 0), 0u);
    EXPECT_EQ(b.at(i, kSide - 1), 0u);
    EXPECT_EQ(b.at(0, i), 0u);
    EXPECT_EQ(b.at(kSide - 1, i), 0u);
  }
}

}  // namespace

TEST(PreviewBitmap, FullSizeAtZoom100FillsTheInsideOfTheFrame) {
  const Bitmap b = render(100, 256, 256);
  expectBlackFrame(b);
  EXPECT_EQ(texelX(b.at(1, 1)), 0);
  EXPECT_EQ(texelY(b.at(1, 1)), 0);
  EXPECT_EQ(texelX(b.at(256, 256)), 255);
  EXPECT_EQ(texelY(b.at(256, 256)), 255);
  EXPECT_EQ(texelX(b.at(100, 37)), 99);
  EXPECT_EQ(texelY(b.at(100, 37)), 36);
}

TEST(PreviewBitmap, SmallTextureIsCentredWithBlackAround) {
  const Bitmap b = render(100, 128, 128);
  EXPECT_EQ(b.at(64, 64), 0u);
  EXPECT_EQ(texelX(b.at(65, 65)), 0);
  EXPECT_EQ(texelX(b.at(192, 192)), 127);
  EXPECT_EQ(b.at(193, 192), 0u);
  const Bitmap twice = render(200, 128, 128);
  EXPECT_EQ(twice.at(1, 1), twice.at(2, 2));
  EXPECT_EQ(texelX(twice.at(3, 1)), 1);
}

TEST(PreviewBitmap, Zoom1000OnEightByEightMakesTenByTenBlocks) {
  const Placement p = placeZoomed(1000, 8, 8);
  EXPECT_EQ(p.zoomedWidth, 80);
  EXPECT_EQ(p.x0, 89);
  EXPECT_EQ(p.y0, 89);
  const Bitmap b = render(1000, 8, 8);
  EXPECT_EQ(b.at(88, 100), 0u);
  EXPECT_EQ(texelX(b.at(89, 89)), 0);
  // The 16.16 step (8 * 65536 / 80 = 6553) is a little short of a tenth,
  // so the first texel takes one extra column and the last one column less.
  EXPECT_EQ(texelX(b.at(99, 89)), 0);
  EXPECT_EQ(texelX(b.at(100, 89)), 1);
  EXPECT_EQ(texelX(b.at(160, 89)), 7);
  EXPECT_EQ(texelX(b.at(159, 89)), 6);
  EXPECT_EQ(texelX(b.at(168, 168)), 7);
  EXPECT_EQ(texelY(b.at(168, 168)), 7);
  EXPECT_EQ(b.at(169, 168), 0u);
}

TEST(PreviewBitmap, Zoom150ShowsTheCentreAndCoversTheWholeWidth) {
  const Placement p = placeZoomed(150, 256, 256);
  EXPECT_EQ(p.zoomedWidth, 384);
  EXPECT_EQ(p.x0, -63);
  Bitmap raw;
  const std::vector<std::uint32_t> plane = coordinatePlane(256, 256);
  blitZoomed(p.x0, p.y0, 256, 256, p.zoomedWidth, p.zoomedHeight, plane.data(), raw.bits.data());
  // Before the frame every pixel of the bitmap is a texel.
  for (int x = 0; x < kSide; ++x) EXPECT_NE(raw.at(x, 0), 0xDEADBEEFu) << x;
  for (int y = 0; y < kSide; ++y) EXPECT_NE(raw.at(kSide - 1, y), 0xDEADBEEFu) << y;
  EXPECT_EQ(texelX(raw.at(0, 0)), 41);  // (63 * xs) >> 16 with xs = 256 * 65536 / 384
  EXPECT_EQ(texelY(raw.at(0, 0)), 41);
  const Bitmap framed = render(150, 256, 256);
  expectBlackFrame(framed);
}

TEST(PreviewBitmap, AutoZoomFitsTheLongerSide) {
  EXPECT_EQ(autoZoomFor(256, 256), 100);
  EXPECT_EQ(autoZoomFor(200, 100), 128);
  EXPECT_EQ(autoZoomFor(128, 128), 200);
  EXPECT_EQ(autoZoomFor(100, 100), 256);
  EXPECT_EQ(autoZoomFor(96, 50), 266);
  EXPECT_EQ(autoZoomFor(64, 64), 400);
  EXPECT_EQ(autoZoomFor(32, 32), 800);
  EXPECT_EQ(autoZoomFor(16, 16), 1000);
  EXPECT_EQ(autoZoomFor(8, 8), 1000);
}

TEST(PreviewBitmap, TiledShowsFourCopiesMeetingInTheMiddle) {
  // 64 x 64 at zoom 100: the 128 x 128 picture lands at 65..192, and each
  // copy starts over at texel (0, 0) where the copies meet.
  const std::vector<std::uint32_t> plane = coordinatePlane(64, 64);
  Bitmap b;
  clearBitmap(b.bits.data());
  blitTiled(100, 64, 64, plane.data(), b.bits.data());
  EXPECT_EQ(b.at(64, 64), 0u);
  EXPECT_EQ(b.at(193, 193), 0u);
  for (int copyY : {65, 129})
    for (int copyX : {65, 129}) {
      EXPECT_EQ(texelX(b.at(copyX, copyY)), 0);
      EXPECT_EQ(texelY(b.at(copyX, copyY)), 0);
      EXPECT_EQ(texelX(b.at(copyX + 63, copyY + 63)), 63);
      EXPECT_EQ(texelY(b.at(copyX + 63, copyY + 63)), 63);
    }

  // 256 x 256 at zoom 100: the middle of the 512 x 512 picture shows, the
  // seams at the bitmap's centre; at zoom 200 each texel is a 2 x 2 block
  // and the source never leaves the plane.
  const std::vector<std::uint32_t> full = coordinatePlane(256, 256);
  clearBitmap(b.bits.data());
  blitTiled(100, 256, 256, full.data(), b.bits.data());
  EXPECT_EQ(texelX(b.at(1, 1)), 128);
  EXPECT_EQ(texelX(b.at(128, 1)), 255);
  EXPECT_EQ(texelX(b.at(129, 1)), 0);
  EXPECT_EQ(texelY(b.at(1, 129)), 0);
  clearBitmap(b.bits.data());
  blitTiled(200, 256, 256, full.data(), b.bits.data());
  EXPECT_EQ(texelX(b.at(128, 1)), 255);
  EXPECT_EQ(texelX(b.at(129, 1)), 0);
  EXPECT_EQ(texelX(b.at(130, 1)), 0);
  EXPECT_EQ(texelX(b.at(131, 1)), 1);
}
