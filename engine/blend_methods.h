// The layer blend's methods on vectors of bytes, and its walk over a plane,
// at either vector width: blend.cpp instantiates them for four pixels at a
// time, blend_wide.cpp for sixteen.
//
// Every method works on each of the colour bytes 0..2 alone and keeps byte 3
// of the texture, so whole vectors of pixels are blended at once and the
// spare bytes are put back through a mask.
#pragma once

#include <algorithm>
#include <array>
#include <cstdint>

#include "engine/catalogue.h"
#include "engine/engine_state.h"
#include "engine/pixel_lanes.h"
#include "engine/shade_lanes.h"

namespace mottler {

namespace blending {

// One method: `vec` blends a vector of layer bytes a over texture bytes b,
// leaving the result in a; `one` does one byte.
struct MiddleOp {  // (a + b) / 2, rounded down
  template <class V>
  MOTTLER_LANE_INLINE static void vec(V& a, const V& b) {
    a = (a & b) + ((a ^ b) >> 1);
  }
  static unsigned one(unsigned a, unsigned b) { return (a + b) >> 1; }
};
struct AddOp {  // a + b, at most 255
  template <class V>
  MOTTLER_LANE_INLINE static void vec(V& a, const V& b) {
    const V s = a + b;
    a = s | reinterpret_cast<V>(s < a);
  }
  static unsigned one(unsigned a, unsigned b) { return std::min(a + b, 255u); }
};
struct SubtractOp {  // a - b, at least 0
  template <class V>
  MOTTLER_LANE_INLINE static void vec(V& a, const V& b) {
    a = (a - b) & reinterpret_cast<V>(a > b);
  }
  static unsigned one(unsigned a, unsigned b) { return a > b ? a - b : 0u; }
};
struct XorOp {
  template <class V>
  MOTTLER_LANE_INLINE static void vec(V& a, const V& b) {
    a ^= b;
  }
  static unsigned one(unsigned a, unsigned b) { return a ^ b; }
};
struct AndOp {
  template <class V>
  MOTTLER_LANE_INLINE static void vec(V& a, const V& b) {
    a &= b;
  }
  static unsigned one(unsigned a, unsigned b) { return a & b; }
};
struct OrOp {
  template <class V>
  MOTTLER_LANE_INLINE static void vec(V& a, const V& b) {
    a |= b;
  }
  static unsigned one(unsigned a, unsigned b) { return a | b; }
};
struct MultiplyOp {  // (a * b) / 256, rounded down
  // Even bytes in 16-bit lanes give (a * b) >> 8 in the low byte; odd bytes
  // multiplied in place leave their result in the high byte.
  template <class V>
  MOTTLER_LANE_INLINE static void vec(V& a, const V& b) {
    constexpr int N = sizeof(V);
    typename lanes::Vectors<N>::Words aEven, aOdd, bEven, bOdd;
    lanes::splitEvenOdd<N>(a, aEven, aOdd);
    lanes::splitEvenOdd<N>(b, bEven, bOdd);
    a = reinterpret_cast<V>(((aEven * bEven) >> 8) | ((aOdd * bOdd) & 0xFF00));
  }
  static unsigned one(unsigned a, unsigned b) { return (a * b) >> 8; }
};
struct LightenOp {
  template <class V>
  MOTTLER_LANE_INLINE static void vec(V& a, const V& b) {
    a = a > b ? a : b;
  }
  static unsigned one(unsigned a, unsigned b) { return std::max(a, b); }
};
struct DarkenOp {
  template <class V>
  MOTTLER_LANE_INLINE static void vec(V& a, const V& b) {
    a = a < b ? a : b;
  }
  static unsigned one(unsigned a, unsigned b) { return std::min(a, b); }
};
// "Shade": ShadeTable[a * 256 + b] for each colour byte, computed (see
// shade_lanes.h).
struct ShadeOp {
  template <class V>
  MOTTLER_LANE_INLINE static void vec(V& a, const V& b) {
    constexpr int N = sizeof(V);
    typename lanes::Vectors<N>::Words aEven, aOdd, bEven, bOdd;
    lanes::splitEvenOdd<N>(a, aEven, aOdd);
    lanes::splitEvenOdd<N>(b, bEven, bOdd);
    shadeLanes<N>(bEven, aEven);
    shadeLanes<N>(bOdd, aOdd);
    lanes::joinEvenOdd<N>(a, bEven, bOdd);
  }
  static unsigned one(unsigned a, unsigned b) { return shadeOne(a, b); }
};
struct ReplaceOp {  // any other method: the layer replaces the texture
  template <class V>
  MOTTLER_LANE_INLINE static void vec(V&, const V&) {}
  static unsigned one(unsigned a, unsigned) { return a; }
};

// One vector of N bytes: layer pixels src blended over texture pixels dst,
// into out.
template <class Op, int N>
MOTTLER_LANE_INLINE void blendVector(typename lanes::Vectors<N>::Bytes& out,
                                     const std::uint32_t* src, const std::uint32_t* dst) {
  typename lanes::Vectors<N>::Bytes under, layer;
  lanes::loadVector(under, dst);
  lanes::loadVector(layer, src);
  Op::vec(layer, under);
  lanes::keepSpareBytes(layer, under);
  out = layer;
}

// Blends n >= N / 4 pixels, whole vectors of N bytes at a time.  A span
// that does not fill whole vectors ends with one more vector over its last
// pixels; that vector is blended before the loop changes any of them, so
// the pixels it shares with the loop are given the same values twice.
template <class Op, int N>
MOTTLER_LANE_INLINE void blendVectors(const std::uint32_t* src, std::uint32_t* dst, int n) {
  constexpr int step = N / 4;
  const int last = n - step;
  typename lanes::Vectors<N>::Bytes lastVector, v;
  blendVector<Op, N>(lastVector, src + last, dst + last);
  for (int x = 0; x < last; x += step) {
    blendVector<Op, N>(v, src + x, dst + x);
    lanes::storeVector(dst + x, v);
  }
  lanes::storeVector(dst + last, lastVector);
}

// Blends n pixels one by one (spans shorter than one vector).
template <class Op>
MOTTLER_LANE_INLINE void blendPixels(const std::uint32_t* src, std::uint32_t* dst, int n) {
  for (int x = 0; x < n; ++x) {
    std::uint32_t out = dst[x] & 0xFF000000u;
    for (int c = 0; c < 24; c += 8)
      out |= Op::one((src[x] >> c) & 0xFFu, (dst[x] >> c) & 0xFFu) << c;
    dst[x] = out;
  }
}

// Blends n pixels of src into dst: sixteen at a time in the wide code (N =
// 64), four at a time, or one by one.
template <class Op, int N>
MOTTLER_LANE_INLINE void blendSpan(const std::uint32_t* src, std::uint32_t* dst, int n) {
  if constexpr (N == 64) {
    if (n >= 16) return blendVectors<Op, 64>(src, dst, n);
  }
  if (n >= 4)
    blendVectors<Op, 16>(src, dst, n);
  else
    blendPixels<Op>(src, dst, n);
}

// Texture pixel (x, y) takes layer pixel ((x + ox) mod W, (y + oy) mod H),
// for the texture rows y0..y1-1: each row is two spans, before and after
// the layer wraps.  Without a horizontal offset whole runs of rows line up,
// and the band is two spans, before and after the layer's last row.
template <class Op, int N>
MOTTLER_LANE_INLINE void blendShifted(TextureEngine& e, const TexturePlane& source, int ox, int oy,
                                      int y0, int y1) {
  const int w = e.width, h = e.height;
  if (ox == 0) {
    const int wraps = std::clamp(h - oy, y0, y1);  // the first row that reads layer row 0
    if (wraps > y0)
      blendSpan<Op, N>(source.row(y0 + oy, w), e.texture.row(y0, w), (wraps - y0) * w);
    if (y1 > wraps)
      blendSpan<Op, N>(source.row(wraps + oy - h, w), e.texture.row(wraps, w), (y1 - wraps) * w);
    return;
  }
  for (int y = y0; y < y1; ++y) {
    const int sy = y + oy < h ? y + oy : y + oy - h;
    const std::uint32_t* src = source.row(sy, w);
    std::uint32_t* dst = e.texture.row(y, w);
    blendSpan<Op, N>(src + ox, dst, w - ox);
    blendSpan<Op, N>(src, dst + (w - ox), ox);
  }
}

// One function per method and vector width, each with the walk inlined:
// Walk<Op>::run blends the source into the texture rows y0..y1-1, texture
// pixel (x, y) taking source pixel ((x + ox) mod W, (y + oy) mod H),
// 0 <= ox < W, 0 <= oy < H.
using Blend = void (*)(TextureEngine& e, const TexturePlane& source, int ox, int oy, int y0,
                       int y1);

// The function of each method: index 0..9 the methods, 10 any other value
// of the low byte (the layer replaces the texture).
template <template <class> class Walk>
constexpr std::array<Blend, kBlendMethodCount + 1> methodTable() {
  return {Walk<MiddleOp>::run,  Walk<AddOp>::run,    Walk<SubtractOp>::run, Walk<XorOp>::run,
          Walk<AndOp>::run,     Walk<OrOp>::run,     Walk<MultiplyOp>::run, Walk<ShadeOp>::run,
          Walk<LightenOp>::run, Walk<DarkenOp>::run, Walk<ReplaceOp>::run};
}

constexpr int methodIndex(int method) {
  const int m = method & 0xFF;
  return m < kBlendMethodCount ? m : kBlendMethodCount;
}

}  // namespace blending
}  // namespace mottler
