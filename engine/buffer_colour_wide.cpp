// The colour tables sixteen pixels at a time, with byte permutes, for
// processors with the wide instructions (see buffer_colour.cpp).
#include <cstring>

#include "engine/wide_paths.h"

#if MOTTLER_HAS_WIDE_PATH
#include <immintrin.h>
#endif

namespace mottler {

#if MOTTLER_HAS_WIDE_PATH

namespace {

using Bytes = lanes::Vectors<64>::Bytes;
using Pixels = lanes::Vectors<64>::Pixels;

// A 256-entry byte table in four 64-byte registers, looked up for 64 bytes
// at once: two permutes over 128 bytes each, then the half the index's top
// bit names.
class WideByteTable {
 public:
  MOTTLER_WIDE explicit WideByteTable(const std::uint8_t (&table)[256]) {
    for (int k = 0; k < 4; ++k) part_[k] = _mm512_loadu_si512(table + 64 * k);
  }
  // Each byte i of the result is table[index[i]].
  MOTTLER_WIDE Bytes operator()(Bytes index) const {
    const __m512i i = reinterpret_cast<__m512i>(index);
    const __m512i low = _mm512_permutex2var_epi8(part_[0], i, part_[1]);
    const __m512i high = _mm512_permutex2var_epi8(part_[2], i, part_[3]);
    return reinterpret_cast<Bytes>(_mm512_mask_blend_epi8(_mm512_movepi8_mask(i), low, high));
  }

 private:
  __m512i part_[4];
};

}  // namespace

MOTTLER_WIDE int applyTablesWide(TextureEngine& e, const std::uint8_t (&table)[3][256]) {
  const WideByteTable blue(table[0]), green(table[1]), red(table[2]);
  const bool oneTable =
      std::memcmp(table[0], table[1], 256) == 0 && std::memcmp(table[0], table[2], 256) == 0;
  const Bytes blueBytes = reinterpret_cast<Bytes>(Pixels{} + 0x000000FFu);
  const Bytes greenBytes = reinterpret_cast<Bytes>(Pixels{} + 0x0000FF00u);
  const Bytes redBytes = reinterpret_cast<Bytes>(Pixels{} + 0x00FF0000u);
  std::uint32_t* t = e.texture.data();
  const int n = e.pixelCount;
  int i = 0;
  for (; i + 16 <= n; i += 16) {
    Bytes v;
    lanes::loadVector(v, t + i);
    Bytes colour =
        oneTable ? blue(v) : (blue(v) & blueBytes) | (green(v) & greenBytes) | (red(v) & redBytes);
    lanes::keepSpareBytes(colour, v);
    lanes::storeVector(t + i, colour);
  }
  return i;
}

MOTTLER_WIDE int greyGroupsWide(std::uint32_t* tex, int from, int n,
                                const std::uint8_t (&grey)[256]) {
  const WideByteTable greyOf(grey);
  int i = from;
  for (; i + 16 <= n; i += 16) {
    Pixels p;
    lanes::loadVector(p, tex + i);
    // Zero in every lane where channel 0 equals 1 and 1 equals 2.
    const Pixels differences = (p ^ (p >> 8)) & 0xFFFFu;
    std::uint64_t halves[8];
    std::memcpy(halves, &differences, sizeof halves);
    std::uint64_t any = 0;
    for (std::uint64_t h : halves) any |= h;
    if (any != 0) break;
    const Bytes v = reinterpret_cast<Bytes>(p);
    Bytes colour = greyOf(v);
    lanes::keepSpareBytes(colour, v);
    lanes::storeVector(tex + i, colour);
  }
  return i;
}

#else

// No wide instructions here: the portable code does everything.
int applyTablesWide(TextureEngine&, const std::uint8_t (&)[3][256]) { return 0; }
int greyGroupsWide(std::uint32_t*, int from, int, const std::uint8_t (&)[256]) { return from; }

#endif

}  // namespace mottler
