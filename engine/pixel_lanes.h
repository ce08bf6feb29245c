// Pixels as vectors of bytes and 16-bit lanes: the compiler's portable vector
// types (plain C++ operators), for the commands whose rule works on each
// colour byte alone.
//
// Two widths: sixteen bytes (four pixels), which every x86-64 processor runs
// with its baseline instructions, and sixty-four bytes (sixteen pixels),
// which code compiled for the wide instruction set uses (MOTTLER_WIDE, in the
// *_wide.cpp files).  Every operation here is integer arithmetic, so both
// widths give the same bits; the choice is only about speed.
//
// A helper that works at either width takes its vectors by reference and
// gives its result through a reference.  A 64-byte vector may only be passed
// by value between functions compiled for the wide instruction set (its
// calling convention differs without it), and these helpers are compiled for
// the baseline, so that the portable code can use them too; inlined into
// MOTTLER_WIDE code they take its instruction set.
#pragma once

#include <cstdint>

// Functions marked MOTTLER_WIDE are compiled for x86-64 processors with
// AVX-512 (byte/word lanes and byte permutes) and may only be called when
// wideVectorsSupported() says so.  Elsewhere there is no wide path.
#if defined(__GNUC__) && defined(__x86_64__)
#define MOTTLER_HAS_WIDE_PATH 1
#define MOTTLER_WIDE __attribute__((target("avx512f,avx512bw,avx512vl,avx512vbmi")))
#else
#define MOTTLER_HAS_WIDE_PATH 0
#define MOTTLER_WIDE
#endif

// Vector helpers are always inlined into the function that uses them.
#define MOTTLER_LANE_INLINE [[gnu::always_inline]] inline

namespace mottler {

// True when this processor (and its operating system) runs MOTTLER_WIDE code.
bool wideVectorsSupported();

namespace lanes {

// The vector types of one width, N bytes.
template <int N>
struct Vectors;
template <>
struct Vectors<16> {
  typedef std::uint8_t Bytes __attribute__((vector_size(16)));
  typedef std::uint16_t Words __attribute__((vector_size(16)));
  typedef std::int16_t SignedWords __attribute__((vector_size(16)));
  typedef std::uint32_t Pixels __attribute__((vector_size(16)));
};
template <>
struct Vectors<64> {
  typedef std::uint8_t Bytes __attribute__((vector_size(64)));
  typedef std::uint16_t Words __attribute__((vector_size(64)));
  typedef std::int16_t SignedWords __attribute__((vector_size(64)));
  typedef std::uint32_t Pixels __attribute__((vector_size(64)));
};

// ------------------------------------------------------- either width ---

// Loads and stores at any pixel address: the vector type with the
// alignment of a pixel, allowed to alias the pixel words.
template <class V>
MOTTLER_LANE_INLINE void loadVector(V& v, const std::uint32_t* p) {
  typedef V Unaligned __attribute__((aligned(4), may_alias));
  v = *reinterpret_cast<const Unaligned*>(p);
}
template <class V>
MOTTLER_LANE_INLINE void storeVector(std::uint32_t* p, const V& v) {
  typedef V Unaligned __attribute__((aligned(4), may_alias));
  *reinterpret_cast<Unaligned*>(p) = v;
}

// Keeps the colour bytes of colour and puts back byte 3 of each pixel of under.
template <class V>
MOTTLER_LANE_INLINE void keepSpareBytes(V& colour, const V& under) {
  using Pixels = typename Vectors<sizeof(V)>::Pixels;
  const V colourBytes = reinterpret_cast<V>(Pixels{} + 0x00FFFFFFu);
  colour = (colour & colourBytes) | (under & ~colourBytes);
}

// The even bytes (0, 2, ...) and the odd bytes (1, 3, ...) of a byte vector,
// each in its own 16-bit lane: a width-independent way to widen without
// shuffles.  joinEvenOdd puts results of 0..255 back.
template <int N>
MOTTLER_LANE_INLINE void splitEvenOdd(const typename Vectors<N>::Bytes& v,
                                      typename Vectors<N>::Words& even,
                                      typename Vectors<N>::Words& odd) {
  even = reinterpret_cast<typename Vectors<N>::Words>(v) & 0xFF;
  odd = reinterpret_cast<typename Vectors<N>::Words>(v) >> 8;
}
template <int N>
MOTTLER_LANE_INLINE void joinEvenOdd(typename Vectors<N>::Bytes& v,
                                     const typename Vectors<N>::Words& even,
                                     const typename Vectors<N>::Words& odd) {
  v = reinterpret_cast<typename Vectors<N>::Bytes>(even | (odd << 8));
}

// a = floor(a * c / 65536) in every signed 16-bit lane: the high half of
// the product.  Written lane by lane, which the compiler turns into its
// high-half multiply instruction in MOTTLER_WIDE code (with the baseline
// instructions it judges the lane moves too dear and leaves it scalar).
template <class SignedWords>
MOTTLER_LANE_INLINE void mulHigh(SignedWords& a, const SignedWords& c) {
  for (unsigned i = 0; i < sizeof(SignedWords) / 2; ++i)
    a[i] = static_cast<std::int16_t>((a[i] * c[i]) >> 16);
}

// ------------------------------------------------- sixteen bytes only ---

using Bytes = Vectors<16>::Bytes;
using Words = Vectors<16>::Words;
using SignedWords = Vectors<16>::SignedWords;

// Bytes 0..2 of each of the four pixels.
inline constexpr Bytes kColourBytes = {0xFF, 0xFF, 0xFF, 0, 0xFF, 0xFF, 0xFF, 0,
                                       0xFF, 0xFF, 0xFF, 0, 0xFF, 0xFF, 0xFF, 0};

inline Bytes loadBytes(const std::uint32_t* p) {
  Bytes v;
  loadVector(v, p);
  return v;
}
inline void storeBytes(std::uint32_t* p, Bytes v) { storeVector(p, v); }

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

}  // namespace lanes
}  // namespace mottler
