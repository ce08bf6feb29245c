// The deformations, written literally: "Twirl", "Sine Distortion",
// "Distortion by Buffer", "Divider", "Carpet" and "Glass".
//
// Each copies the texture (for "Carpet" one block of it) into the work plane
// and writes every texture pixel from a position in that copy, wrapped
// around the texture.  A disabled entry does nothing.
#include <algorithm>
#include <cmath>
#include <cstdint>
#include <cstdlib>
#include <tuple>
#include <vector>

#include "engine/commands.h"
#include "engine/exact_maths.h"
#include "engine/reference/reference.h"

namespace mottler {

using reference::pixel;

namespace {

// ------------------------------------------------- at a scale s above 1 ---
//
// A design pixel (X, Y) is the block of s x s pixels from (s X, s Y).  The
// design "skips" at a design pixel when its source and that of one of its
// four neighbours (wrapped) lie more than one pixel apart in either
// direction, measured the short way round the design.  There the block is
// copied whole from the block of the design pixel's source.

struct Point {
  int x, y;
};

// a - b on a wrapping side of n, into -n/2 .. n/2.
int shortDifference(int a, int b, int n) {
  int d = wrap(a - b, n);
  if (2 * d > n) d -= n;
  return d;
}

// The pixel a shifted coordinate v falls in: truncated toward zero at the
// design size, the floor at a scale (where truncation would make the wrap
// edge read two pixels apart).
int shiftedPixel(double v, int scale) {
  return scale > 1 ? static_cast<int>(std::floor(v)) : static_cast<int>(v);
}

template <class Source>
bool skips(const Source& source, int x, int y, int w, int h) {
  const Point at = source(x, y);
  for (const Point n : {Point{x + 1, y}, Point{x - 1, y}, Point{x, y + 1}, Point{x, y - 1}}) {
    const Point from = source(wrap(n.x, w), wrap(n.y, h));
    if (std::abs(shortDifference(from.x, at.x, w)) > 1 ||
        std::abs(shortDifference(from.y, at.y, h)) > 1)
      return true;
  }
  return false;
}

void copyBlock(TextureEngine& e, int x, int y, Point from) {
  const int s = e.scale;
  for (int j = 0; j < s; ++j)
    for (int i = 0; i < s; ++i)
      pixel(e, e.texture, x * s + i, y * s + j) =
          pixel(e, e.workPlane, from.x * s + i, from.y * s + j);
}

// Every block where the design skips, copied whole from its source's block.
template <class Source>
void copyBlocksWhereTheDesignSkips(TextureEngine& e, const Source& source) {
  for (int y = 0; y < e.designHeight(); ++y)
    for (int x = 0; x < e.designWidth(); ++x)
      if (skips(source, x, y, e.designWidth(), e.designHeight())) copyBlock(e, x, y, source(x, y));
}

// Where the design does not skip, pixel (x, y) is read displaced by the
// design's displacement d(X, Y) (in design pixels) at its design position
// ((x + 0.5) / s - 0.5, (y + 0.5) / s - 0.5): between the four nearest
// design pixels, wrapped, with bilinear weights, times s, truncated toward
// zero.  The position is counted in 2s-ths of a design pixel.
template <class Displacement>
void displaceBilinearly(TextureEngine& e, const Displacement& d) {
  const int s = e.scale, dw = e.designWidth(), dh = e.designHeight();
  const auto source = [&](int x, int y) {
    return Point{wrap(x + d(x, y).x, dw), wrap(y + d(x, y).y, dh)};
  };
  for (int y = 0; y < e.height; ++y)
    for (int x = 0; x < e.width; ++x) {
      if (skips(source, x / s, y / s, dw, dh)) continue;
      const int atX = 2 * x + 1 - s, atY = 2 * y + 1 - s;
      const int x0 = static_cast<int>(std::floor(atX / (2.0 * s)));
      const int y0 = static_cast<int>(std::floor(atY / (2.0 * s)));
      const long long wx = atX - x0 * 2 * s, wy = atY - y0 * 2 * s;  // shares of x0 + 1, y0 + 1
      const long long n = 2 * s;
      long long sumX = 0, sumY = 0;
      for (const auto& [cx, cy, weight] :
           {std::tuple{x0, y0, (n - wx) * (n - wy)}, std::tuple{x0 + 1, y0, wx * (n - wy)},
            std::tuple{x0, y0 + 1, (n - wx) * wy}, std::tuple{x0 + 1, y0 + 1, wx * wy}}) {
        const Point p = d(wrap(cx, dw), wrap(cy, dh));
        sumX += weight * p.x;
        sumY += weight * p.y;
      }
      const std::uint32_t from = pixel(e, e.workPlane, x + static_cast<int>(sumX * s / (n * n)),
                                       y + static_cast<int>(sumY * s / (n * n)));
      std::uint32_t& to = pixel(e, e.texture, x, y);
      to = (to & 0xFF000000u) | (from & 0x00FFFFFFu);
    }
  copyBlocksWhereTheDesignSkips(e, source);
}

}  // namespace

// "Twirl" on a W x H picture: about (cx, cy) = (W/2, H/2) with radius R =
// min(cx, cy), a pixel at offset (dx, dy) and distance d <= R is read from
// the offset turned by theta = -Angle x (2 pi / 120) x ((R - d) / R)^2,
// truncated before the centre is added; farther pixels stay.
static Point twirlSource(int w, int h, int angle, int x, int y) {
  const int cx = w / 2, cy = h / 2, r = std::min(cx, cy);
  const int dx = x - cx, dy = y - cy;
  const double d = std::sqrt(static_cast<double>(dx * dx + dy * dy));
  double theta = 0;
  if (d <= r && r > 0) {  // R = 0: only the centre, which has no offset to turn
    const double q = ((r - d) / r) * ((r - d) / r);
    theta = (-angle * (2 * kPi / 120)) * q;
  }
  return {cx + static_cast<int>(dx * exactCos(theta) - dy * exactSin(theta)),
          cy + static_cast<int>(dx * exactSin(theta) + dy * exactCos(theta))};
}

// "Twirl": every pixel by twirlSource at the texture's size; at a scale,
// then the blocks where the design (twirlSource at the design size) skips.
void Twirl::reference(TextureEngine& e, const ProgramEntry& entry) {
  if (entry.disabled) return;
  reference::copyPlane(e, e.workPlane, e.texture);
  for (int y = 0; y < e.height; ++y)
    for (int x = 0; x < e.width; ++x) {
      const Point from = twirlSource(e.width, e.height, entry.param[Angle], x, y);
      pixel(e, e.texture, x, y) = pixel(e, e.workPlane, from.x, from.y);
    }
  if (e.scale > 1)
    copyBlocksWhereTheDesignSkips(e, [&](int x, int y) {
      const Point p = twirlSource(e.designWidth(), e.designHeight(), entry.param[Angle], x, y);
      return Point{wrap(p.x, e.designWidth()), wrap(p.y, e.designHeight())};
    });
}

// "Sine Distortion": row y is read shifted sideways by "X Amplitude" x
// sin(row angle), column x shifted down by "Y Amplitude" x sin(column
// angle).  With fx = W / (2 x X period) and fy = H / (2 x Y period) the row
// angle starts at pi x "Y Phase" / fx and grows by pi / fx per row, the
// column angle starts at pi x "X Phase" / fy on every row and grows by
// pi / fy per column.  fy, the steps and the angles are single precision.
void SineDistortion::reference(TextureEngine& e, const ProgramEntry& entry) {
  if (entry.disabled) return;
  reference::copyPlane(e, e.workPlane, e.texture);
  const double fx = static_cast<double>(e.width) / (2 * entry.param[XPeriod]);
  const float fy = static_cast<float>(static_cast<double>(e.height) / (2 * entry.param[YPeriod]));
  const float rowStep = static_cast<float>(kPi / fx);
  const float columnStep = static_cast<float>(kPi / fy);
  const float columnStart = static_cast<float>(kPi * entry.param[XPhase] / fy);
  float rowAngle = static_cast<float>(kPi * entry.param[YPhase] / fx);
  for (int y = 0; y < e.height; ++y) {
    const double xShift = entry.param[XAmplitude] * exactSin(static_cast<double>(rowAngle));
    float columnAngle = columnStart;
    for (int x = 0; x < e.width; ++x) {
      const int sy = shiftedPixel(
          y + entry.param[YAmplitude] * exactSin(static_cast<double>(columnAngle)), e.scale);
      columnAngle = static_cast<float>(static_cast<double>(columnAngle) + columnStep);
      const int sx = shiftedPixel(x + xShift, e.scale);
      pixel(e, e.texture, x, y) = pixel(e, e.workPlane, sx, sy);
    }
    rowAngle = static_cast<float>(static_cast<double>(rowAngle) + rowStep);
  }
  if (e.scale > 1) {
    // The design: amplitudes and phases divided by the scale, the angles
    // accumulated from the start up to the row and the column.
    const int s = e.scale, w = e.designWidth(), h = e.designHeight();
    const double dfx = static_cast<double>(w) / (2 * entry.param[XPeriod]);
    const float dfy = static_cast<float>(static_cast<double>(h) / (2 * entry.param[YPeriod]));
    copyBlocksWhereTheDesignSkips(e, [&](int x, int y) {
      float row = static_cast<float>(kPi * (entry.param[YPhase] / s) / dfx);
      for (int i = 0; i < y; ++i)
        row = static_cast<float>(static_cast<double>(row) + static_cast<float>(kPi / dfx));
      float column = static_cast<float>(kPi * (entry.param[XPhase] / s) / dfy);
      for (int i = 0; i < x; ++i)
        column = static_cast<float>(static_cast<double>(column) + static_cast<float>(kPi / dfy));
      const double xShift = (entry.param[XAmplitude] / s) * exactSin(static_cast<double>(row));
      const double yShift = (entry.param[YAmplitude] / s) * exactSin(static_cast<double>(column));
      return Point{wrap(shiftedPixel(x + xShift, s), w), wrap(shiftedPixel(y + yShift, s), h)};
    });
  }
}

// "Distortion by Buffer": the brightness L = (red + green + blue) / 3 of the
// buffer pixel picks the shift (X table[L], Y table[L]), table[i] = a +
// truncate(a x sin(pi x i / (257 - Turbulence))) as a byte, a = Amplitude / 2.
void DistortionByBuffer::reference(TextureEngine& e, const ProgramEntry& entry) {
  if (entry.disabled) return;
  reference::copyPlane(e, e.workPlane, e.texture);
  std::uint8_t xTable[256], yTable[256];
  const int ax = entry.param[XAmplitude] / 2, ay = entry.param[YAmplitude] / 2;
  for (int i = 0; i < 256; ++i) {
    xTable[i] = static_cast<std::uint8_t>(
        ax + static_cast<int>(ax * exactSin(kPi * i / (257 - entry.param[XTurbulence]))));
    yTable[i] = static_cast<std::uint8_t>(
        ay + static_cast<int>(ay * exactSin(kPi * i / (257 - entry.param[YTurbulence]))));
  }
  if (e.scale > 1) {
    // The design: tables of the amplitudes divided by the scale, read at the
    // mean brightness (red + green + blue summed over the block, / 3 s^2)
    // of the design pixel's block of the buffer.
    const int s = e.scale;
    const int bx = entry.param[XAmplitude] / s / 2, by = entry.param[YAmplitude] / s / 2;
    displaceBilinearly(e, [&](int x, int y) {
      long long sum = 0;
      for (int j = 0; j < s; ++j)
        for (int i = 0; i < s; ++i) {
          const std::uint32_t b = pixel(e, e.buffer, x * s + i, y * s + j);
          sum += channel(b, 2) + channel(b, 1) + channel(b, 0);
        }
      const int l = static_cast<int>(sum / (3LL * s * s));
      return Point{
          bx + static_cast<int>(bx * exactSin(kPi * l / (257 - entry.param[XTurbulence]))),
          by + static_cast<int>(by * exactSin(kPi * l / (257 - entry.param[YTurbulence])))};
    });
    return;
  }
  for (int y = 0; y < e.height; ++y)
    for (int x = 0; x < e.width; ++x) {
      const std::uint32_t b = pixel(e, e.buffer, x, y);
      const int l = (channel(b, 2) + channel(b, 1) + channel(b, 0)) / 3;
      pixel(e, e.texture, x, y) = pixel(e, e.workPlane, xTable[l] + x, yTable[l] + y);
    }
}

// "Divider": pixel (x, y) is read from ((x x n) mod W, (y x n) mod H),
// n = "Amount" + 1.
void Divider::reference(TextureEngine& e, const ProgramEntry& entry) {
  if (entry.disabled) return;
  reference::copyPlane(e, e.workPlane, e.texture);
  const int n = entry.param[Amount] + 1;
  if (e.scale > 1) {  // neighbours read n apart: every block is copied whole
    for (int y = 0; y < e.designHeight(); ++y)
      for (int x = 0; x < e.designWidth(); ++x)
        copyBlock(e, x, y, {x * n % e.designWidth(), y * n % e.designHeight()});
    return;
  }
  for (int y = 0; y < e.height; ++y)
    for (int x = 0; x < e.width; ++x)
      pixel(e, e.texture, x, y) = pixel(e, e.workPlane, x * n, y * n);
}

// "Carpet": the block of H/2 rows and (W + 1)/2 columns whose top-left
// pixel is ("X Offset", "Y Offset" + 1), copied packed into the work plane,
// is written mirrored into the four corners; with an odd height the middle
// row keeps its content.
void Carpet::reference(TextureEngine& e, const ProgramEntry& entry) {
  if (entry.disabled) return;
  const int w = e.width, h = e.height;
  const int hw = (w + 1) / 2, hh = h / 2;
  std::uint32_t* block = e.workPlane.data();
  for (int r = 0; r < hh; ++r)
    for (int c = 0; c < hw; ++c)
      block[r * hw + c] =
          pixel(e, e.texture, entry.param[XOffset] + c, entry.param[YOffset] + 1 + r);
  for (int r = 0; r < hh; ++r)
    for (int c = 0; c < hw; ++c) {
      const std::uint32_t p = block[r * hw + c];
      pixel(e, e.texture, c, r) = p;
      pixel(e, e.texture, w - 1 - c, r) = p;
      pixel(e, e.texture, c, h - 1 - r) = p;
      pixel(e, e.texture, w - 1 - c, h - 1 - r) = p;
    }
}

// "Glass": two displacement fields, for each pixel in row-major order
// "Distortion" / 2 - (r1 mod "Distortion") and the same of r2 from two
// draws; "Smoothness" passes replace each field value in place by the mean
// of its four wrapped neighbours (truncated toward zero), the X field
// first; then the colour bytes of pixel (x, y) come from the copy at
// (x - X field, y - Y field), wrapped.
void Glass::reference(TextureEngine& e, const ProgramEntry& entry) {
  if (entry.disabled) return;
  reference::copyPlane(e, e.workPlane, e.texture);
  // At a scale the fields are the design's: drawn and smoothed at the
  // design size with "Distortion" divided by the scale.
  const int w = e.designWidth(), h = e.designHeight();
  const int distortion = entry.param[Distortion] / e.scale;
  const auto field = [&](std::vector<std::int8_t>& f, int x, int y) -> std::int8_t& {
    return f[static_cast<std::size_t>(wrap(y, h)) * w + wrap(x, w)];
  };
  for (int y = 0; y < h; ++y)
    for (int x = 0; x < w; ++x) {
      const int r1 = e.random.next();
      const int r2 = e.random.next();
      field(e.fieldX, x, y) = static_cast<std::int8_t>(distortion / 2 - r1 % distortion);
      field(e.fieldY, x, y) = static_cast<std::int8_t>(distortion / 2 - r2 % distortion);
    }
  for (int pass = 0; pass < entry.param[Smoothness]; ++pass)
    for (int y = 0; y < h; ++y)
      for (int x = 0; x < w; ++x)
        for (std::vector<std::int8_t>* f : {&e.fieldX, &e.fieldY})
          field(*f, x, y) = static_cast<std::int8_t>((field(*f, x, y + 1) + field(*f, x, y - 1) +
                                                      field(*f, x + 1, y) + field(*f, x - 1, y)) /
                                                     4);
  if (e.scale > 1) {
    displaceBilinearly(e, [&](int x, int y) {
      return Point{-field(e.fieldX, x, y), -field(e.fieldY, x, y)};
    });
    return;
  }
  for (int y = 0; y < h; ++y)
    for (int x = 0; x < w; ++x) {
      const std::uint32_t from =
          pixel(e, e.workPlane, x - field(e.fieldX, x, y), y - field(e.fieldY, x, y));
      std::uint32_t& to = pixel(e, e.texture, x, y);
      to = (to & 0xFF000000u) | (from & 0x00FFFFFFu);
    }
}

}  // namespace mottler
