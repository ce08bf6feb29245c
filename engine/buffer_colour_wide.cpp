// The colour tables and "HSV" sixteen pixels at a time, for processors with
// the wide instructions (see buffer_colour.cpp): the tables with byte
// permutes, "HSV" with its real arithmetic in eight double lanes.
#include <cstring>

#include "engine/wide_paths.h"

#if MOTTLER_HAS_WIDE_PATH
// GCC 12's intrinsics leave the unused source operand of an unmasked
// operation undefined on purpose (a variable initialised with itself), which
// -Wmaybe-uninitialized reports wherever they are inlined.  Nothing here
// reads an undefined value.
#if !defined(__clang__)
#pragma GCC diagnostic push
#pragma GCC diagnostic ignored "-Wmaybe-uninitialized"
#endif
#include <immintrin.h>
#if !defined(__clang__)
#pragma GCC diagnostic pop
#endif
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

// "HSV" for sixteen pixels at once.  Each lane does exactly the
// double-precision operations the conversion in Hsv::run does for one pixel,
// in the same order (no operation is merged into another), so the bits are
// the same.  Where that conversion branches, both sides are computed and one
// is selected; a divisor that would be 0 (black, or grey) is replaced by 1
// in a lane whose quotient is not used or comes out 0 either way, which
// also makes a grey pixel's hue 0.  The integer work is in sixteen lanes,
// the real work in two halves of eight, and the choice of channels by
// sector is one byte shuffle.
class WideHsv {
 public:
  MOTTLER_WIDE explicit WideHsv(const hsv::Scales& scales)
      : hue_(_mm512_set1_pd(scales.hue)),
        saturation_(_mm512_set1_pd(scales.saturation)),
        value_(_mm512_set1_pd(scales.value)) {}

  MOTTLER_WIDE void convert(std::uint32_t* p) const {
    const __m512i pixel = _mm512_loadu_si512(p);
    const __m512i byte = _mm512_set1_epi32(0xFF);
    const __m512i c0 = _mm512_and_si512(pixel, byte);
    const __m512i c1 = _mm512_and_si512(_mm512_srli_epi32(pixel, 8), byte);
    const __m512i c2 = _mm512_and_si512(_mm512_srli_epi32(pixel, 16), byte);
    const __m512i mx = _mm512_max_epi32(_mm512_max_epi32(c0, c1), c2);
    const __m512i delta = _mm512_sub_epi32(mx, _mm512_min_epi32(_mm512_min_epi32(c0, c1), c2));
    // The hue's numerator and base by the largest channel, the first that is.
    const __mmask16 first = _mm512_cmpeq_epi32_mask(c0, mx);
    const __mmask16 second = _mm512_cmpeq_epi32_mask(c1, mx);
    __m512i num = _mm512_sub_epi32(c0, c1);
    num = _mm512_mask_sub_epi32(num, second, c2, c0);
    num = _mm512_mask_sub_epi32(num, first, c1, c2);
    __m512i base = _mm512_set1_epi32(4);
    base = _mm512_mask_mov_epi32(base, second, _mm512_set1_epi32(2));
    base = _mm512_maskz_mov_epi32(static_cast<__mmask16>(~first), base);

    Half low, high;
    candidates(low, _mm512_castsi512_si256(mx), _mm512_castsi512_si256(delta),
               _mm512_castsi512_si256(num), _mm512_castsi512_si256(base));
    candidates(high, _mm512_extracti64x4_epi64(mx, 1), _mm512_extracti64x4_epi64(delta, 1),
               _mm512_extracti64x4_epi64(num, 1), _mm512_extracti64x4_epi64(base, 1));
    // V', p, q and t as the bytes 0..3 of each lane.  They lie in 0..510
    // (S' in 0..1, f in 0..1), so limiting them to 255 after truncating is
    // the same as before.
    const __m512i candidatesAsBytes = _mm512_or_si512(
        _mm512_or_si512(limited(low.v, high.v), _mm512_slli_epi32(limited(low.p, high.p), 8)),
        _mm512_or_si512(_mm512_slli_epi32(limited(low.q, high.q), 16),
                        _mm512_slli_epi32(limited(low.t, high.t), 24)));
    // Per sector, which candidate byte goes to blue, green and red (byte 3
    // zero): (V, T, P), (Q, V, P), (P, V, T), (P, Q, V), (T, P, V), (V, P, Q).
    const __m512i order = _mm512_setr_epi32(0x80010300, 0x80010002, 0x80030001, 0x80000201,
                                            0x80000103, 0x80020100, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0);
    // The shuffle reads within sixteen-byte blocks: pixel j of a block is
    // at bytes 4j..4j+3.
    const __m512i place = _mm512_setr_epi32(0, 0x04040404, 0x08080808, 0x0C0C0C0C, 0, 0x04040404,
                                            0x08080808, 0x0C0C0C0C, 0, 0x04040404, 0x08080808,
                                            0x0C0C0C0C, 0, 0x04040404, 0x08080808, 0x0C0C0C0C);
    const __m512i sector = joined(low.sector, high.sector);
    const __m512i control = _mm512_add_epi32(_mm512_permutexvar_epi32(sector, order), place);
    const __m512i colour = _mm512_shuffle_epi8(candidatesAsBytes, control);
    const __m512i spare = _mm512_set1_epi32(static_cast<int>(0xFF000000u));
    _mm512_storeu_si512(p, _mm512_ternarylogic_epi32(colour, pixel, spare, 0xF8));
  }

 private:
  struct Half {
    __m256i sector, v, p, q, t;
  };

  MOTTLER_WIDE static __m512i joined(__m256i low, __m256i high) {
    return _mm512_inserti64x4(_mm512_castsi256_si512(low), high, 1);
  }
  MOTTLER_WIDE static __m512i limited(__m256i low, __m256i high) {
    return _mm512_min_epi32(joined(low, high), _mm512_set1_epi32(255));
  }

  MOTTLER_WIDE void candidates(Half& out, __m256i mxInt, __m256i deltaInt, __m256i numInt,
                               __m256i baseInt) const {
    const __m512d one = _mm512_set1_pd(1.0);
    const __m512d largest = _mm512_cvtepi32_pd(mxInt);
    const __m512d delta = _mm512_cvtepi32_pd(deltaInt);
    const __m512d s = _mm512_div_pd(delta, _mm512_max_pd(largest, one));
    __m512d h = _mm512_add_pd(_mm512_cvtepi32_pd(baseInt),
                              _mm512_div_pd(_mm512_cvtepi32_pd(numInt), _mm512_max_pd(delta, one)));
    h = _mm512_mul_pd(h, _mm512_set1_pd(60.0));
    const __m512d turn = _mm512_set1_pd(360.0);
    h = _mm512_mask_add_pd(h, _mm512_cmp_pd_mask(h, _mm512_setzero_pd(), _CMP_LT_OQ), h, turn);
    __m512d hs = _mm512_div_pd(_mm512_mul_pd(h, hue_), _mm512_set1_pd(180.0));
    hs = _mm512_mask_sub_pd(hs, _mm512_cmp_pd_mask(hs, turn, _CMP_GE_OQ), hs, turn);
    const __m512d percent = _mm512_set1_pd(0.01);
    const __m512d ss = _mm512_min_pd(_mm512_mul_pd(_mm512_mul_pd(s, saturation_), percent), one);
    const __m512d vs = _mm512_mul_pd(_mm512_mul_pd(largest, value_), percent);
    const __m512d hh = _mm512_div_pd(hs, _mm512_set1_pd(60.0));
    const __m256i sector = _mm512_cvttpd_epi32(hh);
    const __m512d f = _mm512_sub_pd(hh, _mm512_cvtepi32_pd(sector));
    out.sector = _mm256_min_epi32(sector, _mm256_set1_epi32(5));
    out.v = _mm512_cvttpd_epi32(vs);
    out.p = _mm512_cvttpd_epi32(_mm512_mul_pd(vs, _mm512_sub_pd(one, ss)));
    out.q = _mm512_cvttpd_epi32(_mm512_mul_pd(vs, _mm512_sub_pd(one, _mm512_mul_pd(ss, f))));
    out.t = _mm512_cvttpd_epi32(
        _mm512_mul_pd(vs, _mm512_sub_pd(one, _mm512_mul_pd(ss, _mm512_sub_pd(one, f)))));
  }

  __m512d hue_, saturation_, value_;
};

}  // namespace

MOTTLER_WIDE int applyTablesWide(std::uint32_t* t, int n, const std::uint8_t (&table)[3][256]) {
  const WideByteTable blue(table[0]), green(table[1]), red(table[2]);
  const bool oneTable =
      std::memcmp(table[0], table[1], 256) == 0 && std::memcmp(table[0], table[2], 256) == 0;
  const Bytes blueBytes = reinterpret_cast<Bytes>(Pixels{} + 0x000000FFu);
  const Bytes greenBytes = reinterpret_cast<Bytes>(Pixels{} + 0x0000FF00u);
  const Bytes redBytes = reinterpret_cast<Bytes>(Pixels{} + 0x00FF0000u);
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

MOTTLER_WIDE int hsvWide(std::uint32_t* tex, int n, const std::uint8_t (&grey)[256],
                         const hsv::Scales& scales) {
  const WideByteTable greyOf(grey);
  const WideHsv hsv(scales);
  int i = 0;
  for (; i + 16 <= n; i += 16) {
    Pixels p;
    lanes::loadVector(p, tex + i);
    // Zero in every lane where channel 0 equals 1 and 1 equals 2.
    const Pixels differences = (p ^ (p >> 8)) & 0xFFFFu;
    std::uint64_t halves[8];
    std::memcpy(halves, &differences, sizeof halves);
    std::uint64_t any = 0;
    for (std::uint64_t h : halves) any |= h;
    if (any != 0) {
      hsv.convert(tex + i);
      continue;
    }
    const Bytes v = reinterpret_cast<Bytes>(p);
    Bytes colour = greyOf(v);
    lanes::keepSpareBytes(colour, v);
    lanes::storeVector(tex + i, colour);
  }
  return i;
}

#else  // no wide path in this build: no pixel is done here

int applyTablesWide(std::uint32_t*, int, const std::uint8_t (&)[3][256]) { return 0; }

int hsvWide(std::uint32_t*, int, const std::uint8_t (&)[256], const hsv::Scales&) { return 0; }

#endif  // MOTTLER_HAS_WIDE_PATH

}  // namespace mottler
