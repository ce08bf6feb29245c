// The conversion of "HSV" for several pixels at once, in lanes.
//
// Each lane does exactly the double-precision operations the rule does for
// one pixel, in the same order (no operation is merged into another:
// -ffp-contract=off), so the bits are those of the rule.  Where the rule
// branches, both sides are computed and one is selected; a divisor that
// would be 0 (black, or grey) is replaced by 1 in a lane whose quotient the
// rule does not use or that comes out 0 either way.
//
// The portable code converts four pixels at a time (buffer_colour.cpp); the
// wide code has the same steps written out in its own instructions
// (buffer_colour_wide.cpp).
#pragma once

#include <cstdint>

#include "engine/pixel_lanes.h"

namespace mottler::hsv {

// The entry's parameters as the conversion uses them.
struct Scales {
  double hue;         // "Hue": hues are scaled by hue / 180
  double saturation;  // "Saturation" in percent
  double value;       // "Value" in percent
};

template <int K>
struct Lanes {
  typedef std::int32_t Ints __attribute__((vector_size(4 * K)));
  typedef double Reals __attribute__((vector_size(8 * K)));
};

// K pixels at p: to hue, saturation and value (hexcone model, blue in the
// place of red), scaled, and back; byte 3 of each pixel is kept.
template <int K>
MOTTLER_LANE_INLINE void convertPixels(std::uint32_t* pixels, const Scales& scales) {
  using Ints = typename Lanes<K>::Ints;
  using Reals = typename Lanes<K>::Reals;
  const auto real = [](const Ints& x) { return __builtin_convertvector(x, Reals); };

  Ints pixel;
  lanes::loadVector(pixel, pixels);
  const Ints c0 = pixel & 0xFF, c1 = (pixel >> 8) & 0xFF, c2 = (pixel >> 16) & 0xFF;
  const Ints max01 = c0 > c1 ? c0 : c1, min01 = c0 < c1 ? c0 : c1;
  const Ints mx = max01 > c2 ? max01 : c2, mn = min01 < c2 ? min01 : c2;
  const Ints delta = mx - mn;

  // S = delta / mx (0 for black).  H by the largest channel: (c1 - c2) /
  // delta, 2 + (c2 - c0) / delta or 4 + (c0 - c1) / delta (0 + x is x, x
  // never being -0), in degrees, one turn added below 0; 0 for grey, where
  // the first case gives 0 + 0 / 1.
  const Reals s = real(delta) / real(mx > 1 ? mx : 1);
  const Ints firstIsLargest = c0 == mx, secondIsLargest = c1 == mx;
  const Ints num = firstIsLargest ? c1 - c2 : (secondIsLargest ? c2 - c0 : c0 - c1);
  const Ints base = firstIsLargest ? 0 : (secondIsLargest ? 2 : 4);
  Reals h = real(base) + real(num) / real(delta > 1 ? delta : 1);
  h = h * 60.0;
  h = h < 0.0 ? h + 360.0 : h;

  Reals hs = h * scales.hue / 180.0;
  hs = hs >= 360.0 ? hs - 360.0 : hs;
  Reals ss = s * scales.saturation * 0.01;
  ss = ss < 1.0 ? ss : 1.0;
  const Reals vs = real(mx) * scales.value * 0.01;

  // hh >= 0: truncation is floor.  hs < 360, so the sector is at most 5.
  const Reals hh = hs / 60.0;
  Ints sector = __builtin_convertvector(hh, Ints);
  const Reals f = hh - real(sector);
  sector = sector > 5 ? 5 : sector;

  // V', p, q and t lie in 0..510 (S' in 0..1, f in 0..1), so limiting to
  // 255 after truncating is the same as before.
  const auto limited = [](const Reals& r) {
    const Ints i = __builtin_convertvector(r, Ints);
    return i < 255 ? i : 255;
  };
  const Ints v = limited(vs), p = limited(vs * (1.0 - ss)), q = limited(vs * (1.0 - ss * f)),
             t = limited(vs * (1.0 - ss * (1.0 - f)));

  // Channels by sector: (V, T, P), (Q, V, P), (P, V, T), (P, Q, V),
  // (T, P, V), (V, P, Q).
  const Ints blue = sector == 1 ? q : (sector == 4 ? t : (((sector == 0) | (sector == 5)) ? v : p));
  const Ints green =
      sector == 0 ? t : (sector == 3 ? q : (((sector == 1) | (sector == 2)) ? v : p));
  const Ints red = sector == 2 ? t : (sector == 5 ? q : (((sector == 3) | (sector == 4)) ? v : p));
  const Ints out = (pixel & ~0x00FFFFFF) | blue | (green << 8) | (red << 16);
  lanes::storeVector(pixels, out);
}

}  // namespace mottler::hsv
