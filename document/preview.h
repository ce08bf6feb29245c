// The preview bitmap: a 258 x 258 picture of 32-bit pixels (0x00RRGGBB, the
// same layout as a texture plane pixel) into which a plane is copied, zoomed
// and centred, inside a one-pixel black frame.  Plain C++, no Qt, so tests and
// benchmarks can call it directly.
#pragma once

#include <cstdint>

namespace mottler::preview {

inline constexpr int kSide = 258;                 // width and height of the bitmap
inline constexpr int kPixels = kSide * kSide;
inline constexpr int kMinZoom = 100;
inline constexpr int kMaxZoom = 1000;

// Where a zoomed plane lands in the bitmap: top-left corner (negative when the
// zoomed picture is larger than 256) and zoomed size.
struct Placement {
  int x0 = 0;
  int y0 = 0;
  int zoomedWidth = 0;
  int zoomedHeight = 0;
};

// Sets every pixel of the bitmap to black.
void clearBitmap(std::uint32_t* bits);

// Size and position of a width x height plane at a zoom in percent, centred.
Placement placeZoomed(int zoom, int width, int height);

// Nearest-neighbour copy of a sourceWidth x sourceHeight plane, scaled to
// targetWidth x targetHeight at (x0, y0) of the bitmap, in 16.16 fixed point.
// Parts falling outside the bitmap are clipped; the source is never read
// outside its rows.
void blitZoomed(int x0, int y0, int sourceWidth, int sourceHeight, int targetWidth,
                int targetHeight, const std::uint32_t* source, std::uint32_t* bits);

// How many copies of the plane "Tile" shows across and down.
inline constexpr int kTileCount = 3;

// Where the tiling of a width x height plane lands: the kTileCount x
// kTileCount copies at the largest whole zoom at which they fit inside the
// frame, or shrunk to fit when even zoom 1 is too large; centred.
Placement placeTiled(int width, int height);

// The plane repeated kTileCount x kTileCount times, placed by placeTiled, so
// that the edges where the copies meet and the repetition show at a glance.
void blitTiled(int width, int height, const std::uint32_t* source, std::uint32_t* bits);

// Paints row 0, row 257, column 0 and column 257 black.
void drawFrame(std::uint32_t* bits);

// The zoom that fits a width x height texture into the frame, at most 1000.
int autoZoomFor(int width, int height);

}  // namespace mottler::preview
