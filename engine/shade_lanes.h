// ShadeTable computed instead of looked up, one value per 16-bit lane, for
// the code that shades many pixels at once (the "Shade" blend, "Bump
// Mapping").
//
// ShadeTable[s][t] is (s * (1/128)) * t for s <= 128, which is exact:
// (s * t) >> 7.  For s > 128 it is ((255 - s) * k) * (t - 128) + s with k the
// single-precision 1/127, truncated; that equals the exact
// ((255 - s) * (t - 128) + 127 * s) / 127 everywhere except at t = 255 with
// s < 255, where k being a little below 1/127 gives 254 instead of 255.
// The tests compare every pair with the table.
#pragma once

#include <cstdint>

#include "engine/pixel_lanes.h"

namespace mottler {

using ShadeLanes = lanes::Words;

// Lanes of s and t hold 0..255.
inline ShadeLanes shadeLanes(ShadeLanes s, ShadeLanes t) {
  const ShadeLanes low = (s * t) >> 7;
  // In [255, 32385] for s > 128; the 16-bit wrap of the negative product for
  // t < 128 cancels in the sum.
  const ShadeLanes x = (255 - s) * (t - 128) + 127 * s;
  const ShadeLanes high =
      x / 127 + reinterpret_cast<ShadeLanes>((t == 255) & (s != 255));  // + (-1)
  return s > 128 ? high : low;
}

inline unsigned shadeOne(unsigned s, unsigned t) {
  if (s <= 128) return (s * t) >> 7;
  if (t == 255 && s != 255) return 254;
  return ((255 - s) * (t - 128) + 127 * s) / 127;  // the unsigned wrap cancels as above
}

}  // namespace mottler
