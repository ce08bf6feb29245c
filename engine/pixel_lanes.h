// Four pixels as sixteen bytes, and two pixels as eight 16-bit lanes: the
// compiler's portable vector types (plain C++ operators, no target-specific
// instructions), for the commands whose rule works on each colour byte alone.
#pragma once

#include <cstdint>
#include <cstring>

namespace mottler::lanes {

using Bytes = std::uint8_t __attribute__((vector_size(16)));
using Words = std::uint16_t __attribute__((vector_size(16)));
using SignedWords = std::int16_t __attribute__((vector_size(16)));

// Bytes 0..2 of each of the four pixels.
inline constexpr Bytes kColourBytes = {0xFF, 0xFF, 0xFF, 0, 0xFF, 0xFF, 0xFF, 0,
                                       0xFF, 0xFF, 0xFF, 0, 0xFF, 0xFF, 0xFF, 0};

inline Bytes load(const std::uint32_t* p) {
  Bytes v;
  std::memcpy(&v, p, sizeof v);
  return v;
}
inline void store(std::uint32_t* p, Bytes v) { std::memcpy(p, &v, sizeof v); }

// The colour bytes of colour, byte 3 of each pixel of keep.
inline Bytes withSpareBytes(Bytes keep, Bytes colour) {
  return (colour & kColourBytes) | (keep & ~kColourBytes);
}

// The first or second two pixels widened to eight 16-bit lanes.
template <class W = Words>
inline W lowHalf(Bytes v) {
  return reinterpret_cast<W>(
      __builtin_shufflevector(v, Bytes{}, 0, 16, 1, 17, 2, 18, 3, 19, 4, 20, 5, 21, 6, 22, 7, 23));
}
template <class W = Words>
inline W highHalf(Bytes v) {
  return reinterpret_cast<W>(__builtin_shufflevector(v, Bytes{}, 8, 24, 9, 25, 10, 26, 11, 27, 12,
                                                     28, 13, 29, 14, 30, 15, 31));
}
// The low bytes of the lanes of two halves (values 0..255) back into four pixels.
template <class W>
inline Bytes joinHalves(W lo, W hi) {
  return __builtin_shufflevector(reinterpret_cast<Bytes>(lo), reinterpret_cast<Bytes>(hi), 0, 2, 4,
                                 6, 8, 10, 12, 14, 16, 18, 20, 22, 24, 26, 28, 30);
}

}  // namespace mottler::lanes
