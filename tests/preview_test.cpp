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

struct TilingCase {
  int width;
  int height;
  int zoomedWidth;  // of the whole 3 x 3 tiling
  int zoomedHeight;
};

class TiledPreview : public ::testing::TestWithParam<TilingCase> {};

TEST_P(TiledPreview, ShowsNineCopiesThatFitTheFrame) {
  const TilingCase c = GetParam();
  const Placement place = placeTiled(c.width, c.height);
  EXPECT_EQ(place.zoomedWidth, c.zoomedWidth);
  EXPECT_EQ(place.zoomedHeight, c.zoomedHeight);
  EXPECT_EQ(place.x0, (256 - c.zoomedWidth) / 2 + 1);
  EXPECT_EQ(place.y0, (256 - c.zoomedHeight) / 2 + 1);
  EXPECT_LE(place.x0 + place.zoomedWidth, 257);
  EXPECT_LE(place.y0 + place.zoomedHeight, 257);

  const std::vector<std::uint32_t> plane = coordinatePlane(c.width, c.height);
  Bitmap b;
  clearBitmap(b.bits.data());
  blitTiled(c.width, c.height, plane.data(), b.bits.data());
  // Outside the tiling the bitmap stays black; each copy starts over at
  // texel (0, 0) a third of the way along.
  if (place.x0 > 1) { EXPECT_EQ(b.at(place.x0 - 1, place.y0), 0u); }
  if (place.y0 > 1) { EXPECT_EQ(b.at(place.x0, place.y0 - 1), 0u); }
  for (int copyY = 0; copyY < 3; ++copyY)
    for (int copyX = 0; copyX < 3; ++copyX) {
      const int x = place.x0 + copyX * place.zoomedWidth / 3;
      const int y = place.y0 + copyY * place.zoomedHeight / 3;
      EXPECT_EQ(texelX(b.at(x, y)), 0) << copyX << "," << copyY;
      EXPECT_EQ(texelY(b.at(x, y)), 0) << copyX << "," << copyY;
    }
  // At a whole zoom the last pixel of the tiling shows the plane's last
  // texel.
  if (place.zoomedWidth % (3 * c.width) != 0) return;
  const std::uint32_t last = b.at(place.x0 + place.zoomedWidth - 1, place.y0 + place.zoomedHeight - 1);
  EXPECT_EQ(texelX(last), c.width - 1);
  EXPECT_EQ(texelY(last), c.height - 1);
}

INSTANTIATE_TEST_SUITE_P(Sizes, TiledPreview,
                         ::testing::Values(TilingCase{256, 256, 255, 255},  // shrunk to 85 per copy
                                           TilingCase{64, 64, 192, 192},    // whole zoom 1
                                           TilingCase{32, 32, 192, 192},    // whole zoom 2
                                           TilingCase{8, 8, 240, 240},      // whole zoom 10
                                           TilingCase{256, 128, 255, 126},  // the larger side fits
                                           TilingCase{40, 80, 120, 240}));
