// The deformations, written literally: "Twirl", "Sine Distortion",
// "Distortion by Buffer", "Divider", "Carpet" and "Glass".
//
// Each copies the texture (for "Carpet" one block of it) into the work plane
// and writes every texture pixel from a position in that copy, wrapped
// around the texture.  A disabled entry does nothing.
#include <algorithm>
#include <cmath>
#include <cstdint>
#include <vector>

#include "engine/commands.h"
#include "engine/exact_maths.h"
#include "engine/reference/reference.h"

namespace mottler {

using reference::pixel;

// "Twirl": about (cx, cy) = (W/2, H/2) with radius R = min(cx, cy), a pixel
// at offset (dx, dy) and distance d <= R is read from the offset turned by
// theta = -Angle x (2 pi / 120) x ((R - d) / R)^2, truncated before the
// centre is added; farther pixels stay.
void Twirl::reference(TextureEngine& e, const ProgramEntry& entry) {
  if (entry.disabled) return;
  reference::copyPlane(e, e.workPlane, e.texture);
  const int cx = e.width / 2, cy = e.height / 2, r = std::min(cx, cy);
  for (int y = 0; y < e.height; ++y)
    for (int x = 0; x < e.width; ++x) {
      const int dx = x - cx, dy = y - cy;
      const double d = std::sqrt(static_cast<double>(dx * dx + dy * dy));
      double theta = 0;
      if (d <= r && r > 0) {  // R = 0: only the centre, which has no offset to turn
        const double q = ((r - d) / r) * ((r - d) / r);
        theta = (-entry.param[Angle] * (2 * kPi / 120)) * q;
      }
      const int sx = cx + static_cast<int>(dx * exactCos(theta) - dy * exactSin(theta));
      const int sy = cy + static_cast<int>(dx * exactSin(theta) + dy * exactCos(theta));
      pixel(e, e.texture, x, y) = pixel(e, e.workPlane, sx, sy);
    }
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
      const int sy = static_cast<int>(y + entry.param[YAmplitude] *
                                              exactSin(static_cast<double>(columnAngle)));
      columnAngle = static_cast<float>(static_cast<double>(columnAngle) + columnStep);
      const int sx = static_cast<int>(x + xShift);
      pixel(e, e.texture, x, y) = pixel(e, e.workPlane, sx, sy);
    }
    rowAngle = static_cast<float>(static_cast<double>(rowAngle) + rowStep);
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
  const int w = e.width, h = e.height;
  const int distortion = entry.param[Distortion];
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
  for (int y = 0; y < h; ++y)
    for (int x = 0; x < w; ++x) {
      const std::uint32_t from =
          pixel(e, e.workPlane, x - field(e.fieldX, x, y), y - field(e.fieldY, x, y));
      std::uint32_t& to = pixel(e, e.texture, x, y);
      to = (to & 0xFF000000u) | (from & 0x00FFFFFFu);
    }
}

}  // namespace mottler
