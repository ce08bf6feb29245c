// ShadeTable computed instead of looked up, one value per 16-bit lane, for
// the code that shades many pixels at once (the "Shade" blend, "Bump
// Mapping").
//
// ShadeTable[s][t] is (s * (1/128)) * t for s <= 128, which is exact:
// (s * t) >> 7.  For s > 128 it is ((255 - s) * k) * (t - 128) + s with k the
// single-precision 1/127, truncated.  With u = 255 - s and d = t - 128 that
// is s + floor(u * d * k).  Any constant c with 1/127 - 1/(127 * 16384) <= c
// < 1/127 gives the same floors for the products that occur
// (-16128 <= u * d <= 16002): floor(u * d / 127), except where u * d is a
// positive multiple of 127 (d = 127, u > 0), which comes out one lower.  k is
// such a constant, and so is 516 / 65536 = 129 / 16384: the high half of
// the 16-bit product u * d * 516 (u * d fits a signed lane) is that floor.
// Without a lane-wise high-half multiply the same floor comes from
// y = u * d + 16384 (0..32767, so no lane overflows):
//   floor(u * d * 129 / 16384) = floor(129 y / 16384) - 129
//                              = ((y + (y >> 7)) >> 7) - 129,
// since adding the fraction (y mod 128) / 128 to a whole number cannot move
// the floor of its division by 128.  The tests compare every pair with the
// table, on both paths.
#pragma once

#include <cstdint>

#include "engine/pixel_lanes.h"

namespace mottler {

// t = ShadeTable[s * 256 + t] in every lane; lanes of s and t hold 0..255
// (N bytes of lanes).
template <int N>
MOTTLER_LANE_INLINE void shadeLanes(typename lanes::Vectors<N>::Words& t,
                                    const typename lanes::Vectors<N>::Words& s) {
  using Words = typename lanes::Vectors<N>::Words;
  using SignedWords = typename lanes::Vectors<N>::SignedWords;
  if constexpr (N == 64) {
    // The wide instruction set multiplies high halves lane by lane, which
    // gives both branches from one product m * d, d = t - 128:
    // (s * t) >> 7 = s + floor(s * d * 512 / 65536) for s <= 128 (|s * d|
    // <= 16384 fits a signed lane), s + floor(u * d * 516 / 65536) above.
    const auto upper = reinterpret_cast<SignedWords>(s) > 128;
    const SignedWords d = reinterpret_cast<SignedWords>(t - 128);
    const SignedWords m = reinterpret_cast<SignedWords>(upper ? 255 - s : s);
    SignedWords product = m * d;
    lanes::mulHigh(product, upper ? SignedWords{} + 516 : SignedWords{} + 512);
    t = s + reinterpret_cast<Words>(product);
  } else {
    const Words low = (s * t) >> 7;
    const Words y = (255 - s) * (t - 128) + 16384;
    const Words high = s - 129 + ((y + (y >> 7)) >> 7);
    // Lanes hold 0..255, so the signed comparison is the unsigned one.
    t = reinterpret_cast<SignedWords>(s) > 128 ? high : low;
  }
}

inline unsigned shadeOne(unsigned s, unsigned t) {
  if (s <= 128) return (s * t) >> 7;
  if (t == 255 && s != 255) return 254;
  return ((255 - s) * (t - 128) + 127 * s) / 127;  // the unsigned wrap cancels as above
}

}  // namespace mottler
