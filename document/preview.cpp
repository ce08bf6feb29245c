#include "document/preview.h"

#include <algorithm>

namespace mottler::preview {

void clearBitmap(std::uint32_t* bits) { std::fill(bits, bits + kPixels, 0u); }

Placement placeZoomed(int zoom, int width, int height) {
  Placement p;
  p.zoomedWidth = zoom * width / 100;
  p.zoomedHeight = zoom * height / 100;
  p.x0 = (256 - p.zoomedWidth) / 2 + 1;
  p.y0 = (256 - p.zoomedHeight) / 2 + 1;
  return p;
}

namespace {

// Nearest-neighbour copy of a picture of pictureWidth x pictureHeight pixels,
// scaled to targetWidth x targetHeight at (x0, y0) of the bitmap, in 16.16
// fixed point; the picture is the plane (planeWidth x planeHeight) repeated,
// so its columns and rows wrap at the plane's edges.
void blitRepeated(int x0, int y0, int pictureWidth, int pictureHeight, int targetWidth,
                  int targetHeight, const std::uint32_t* plane, int planeWidth, int planeHeight,
                  std::uint32_t* bits) {
  int dw = targetWidth;
  int dh = targetHeight;
  // Source step per target pixel, 16.16 fixed point.
  const std::uint32_t xs =
      dw != 0 ? static_cast<std::uint32_t>(pictureWidth) * 65536u / static_cast<std::uint32_t>(dw)
              : 0u;
  const std::uint32_t ys =
      dh != 0 ? static_cast<std::uint32_t>(pictureHeight) * 65536u / static_cast<std::uint32_t>(dh)
              : 0u;

  // Right and bottom edge.
  if (x0 + dw > kSide - 1) dw = kSide - x0;
  if (y0 + dh > kSide - 1) dh = kSide - y0;

  // Left and top edge: start the source accumulator where the bitmap begins.
  std::uint32_t ax0 = 0;
  std::uint32_t ay = 0;
  if (x0 < 0) {
    ax0 = static_cast<std::uint32_t>(-x0) * xs;
    dw += x0;
    x0 = 0;
  }
  if (y0 < 0) {
    ay = static_cast<std::uint32_t>(-y0) * ys;
    dh += y0;
    y0 = 0;
  }
  if (dw <= 0 || dh <= 0 || planeWidth <= 0 || planeHeight <= 0) return;

  const auto w = static_cast<std::uint32_t>(planeWidth);
  const auto h = static_cast<std::uint32_t>(planeHeight);
  for (int row = 0; row < dh; ++row) {
    const std::uint32_t* sourceRow = plane + static_cast<std::size_t>((ay >> 16) % h) * w;
    std::uint32_t* target = bits + static_cast<std::size_t>(y0 + row) * kSide + x0;
    std::uint32_t ax = ax0;
    for (int col = 0; col < dw; ++col) {
      target[col] = sourceRow[(ax >> 16) % w];
      ax += xs;
    }
    ay += ys;
  }
}

}  // namespace

void blitZoomed(int x0, int y0, int sourceWidth, int sourceHeight, int targetWidth,
                int targetHeight, const std::uint32_t* source, std::uint32_t* bits) {
  blitRepeated(x0, y0, sourceWidth, sourceHeight, targetWidth, targetHeight, source, sourceWidth,
               sourceHeight, bits);
}

Placement placeTiled(int width, int height) {
  const int side = std::max(kTileCount * width, kTileCount * height);
  Placement p;
  if (side <= 0) return p;
  // Each copy at the largest whole zoom at which the tiling fits; a tiling
  // larger than the frame shrinks to fit instead.  Either way every copy
  // has the same whole number of pixels, so each starts at texel (0, 0).
  const int whole = 256 / side;
  const int tileWidth = whole >= 1 ? width * whole : width * 256 / side;
  const int tileHeight = whole >= 1 ? height * whole : height * 256 / side;
  p.zoomedWidth = kTileCount * tileWidth;
  p.zoomedHeight = kTileCount * tileHeight;
  p.x0 = (256 - p.zoomedWidth) / 2 + 1;
  p.y0 = (256 - p.zoomedHeight) / 2 + 1;
  return p;
}

void blitTiled(int width, int height, const std::uint32_t* source, std::uint32_t* bits) {
  const Placement place = placeTiled(width, height);
  const int tileWidth = place.zoomedWidth / kTileCount;
  const int tileHeight = place.zoomedHeight / kTileCount;
  for (int row = 0; row < kTileCount; ++row)
    for (int column = 0; column < kTileCount; ++column)
      blitZoomed(place.x0 + column * tileWidth, place.y0 + row * tileHeight, width, height,
                 tileWidth, tileHeight, source, bits);
}

void drawFrame(std::uint32_t* bits) {
  std::fill(bits, bits + kSide, 0u);
  std::fill(bits + (kSide - 1) * kSide, bits + kPixels, 0u);
  for (int y = 0; y < kSide; ++y) {
    bits[y * kSide] = 0u;
    bits[y * kSide + kSide - 1] = 0u;
  }
}

int autoZoomFor(int width, int height) {
  const int m = width > height ? width : height;
  int zoom = static_cast<int>((256.0 / m) * 100.0);
  return zoom > kMaxZoom ? kMaxZoom : zoom;
}

}  // namespace mottler::preview
