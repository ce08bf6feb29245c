// The layer blend: how a command's layer (or the buffer) is combined with the
// texture under the entry's blend method and X/Y offsets.
//
// Every method works on each of the colour bytes 0..2 alone and keeps byte 3
// of the texture, so four (or sixteen) pixels are blended at once as a vector
// of bytes with the compiler's portable vector types, and the spare bytes are
// put back through a mask.
#include <algorithm>
#include <cstring>

#include "engine/executor.h"
#include "engine/pixel_lanes.h"
#include "engine/shade_lanes.h"

namespace mottler {

namespace {

// Wraps an offset into 0..size-1 (negative values too).
int wrapOffset(std::int32_t offset, int size) {
  const int r = static_cast<int>(offset % size);
  return r < 0 ? r + size : r;
}

// One method: its rule on a vector of bytes (any width) and on one byte.
struct MiddleOp {  // (a + b) / 2, rounded down
  template <class V>
  MOTTLER_LANE_INLINE static V vec(V a, V b) {
    return (a & b) + ((a ^ b) >> 1);
  }
  static unsigned one(unsigned a, unsigned b) { return (a + b) >> 1; }
};
struct AddOp {  // a + b, at most 255
  template <class V>
  MOTTLER_LANE_INLINE static V vec(V a, V b) {
    const V s = a + b;
    return s | reinterpret_cast<V>(s < a);
  }
  static unsigned one(unsigned a, unsigned b) { return std::min(a + b, 255u); }
};
struct SubtractOp {  // a - b, at least 0
  template <class V>
  MOTTLER_LANE_INLINE static V vec(V a, V b) {
    return (a - b) & reinterpret_cast<V>(a > b);
  }
  static unsigned one(unsigned a, unsigned b) { return a > b ? a - b : 0u; }
};
struct XorOp {
  template <class V>
  MOTTLER_LANE_INLINE static V vec(V a, V b) {
    return a ^ b;
  }
  static unsigned one(unsigned a, unsigned b) { return a ^ b; }
};
struct AndOp {
  template <class V>
  MOTTLER_LANE_INLINE static V vec(V a, V b) {
    return a & b;
  }
  static unsigned one(unsigned a, unsigned b) { return a & b; }
};
struct OrOp {
  template <class V>
  MOTTLER_LANE_INLINE static V vec(V a, V b) {
    return a | b;
  }
  static unsigned one(unsigned a, unsigned b) { return a | b; }
};
struct MultiplyOp {  // (a * b) / 256, rounded down
  // Even bytes in 16-bit lanes give (a * b) >> 8 in the low byte; odd bytes
  // multiplied in place leave their result in the high byte.
  template <class V>
  MOTTLER_LANE_INLINE static V vec(V a, V b) {
    constexpr int N = sizeof(V);
    const auto even = (lanes::evenBytes<N>(a) * lanes::evenBytes<N>(b)) >> 8;
    const auto odd = (lanes::oddBytes<N>(a) * lanes::oddBytes<N>(b)) & 0xFF00;
    return reinterpret_cast<V>(even | odd);
  }
  static unsigned one(unsigned a, unsigned b) { return (a * b) >> 8; }
};
struct LightenOp {
  template <class V>
  MOTTLER_LANE_INLINE static V vec(V a, V b) {
    return a > b ? a : b;
  }
  static unsigned one(unsigned a, unsigned b) { return std::max(a, b); }
};
struct DarkenOp {
  template <class V>
  MOTTLER_LANE_INLINE static V vec(V a, V b) {
    return a < b ? a : b;
  }
  static unsigned one(unsigned a, unsigned b) { return std::min(a, b); }
};
// "Shade": ShadeTable[a * 256 + b] for each colour byte, computed (see
// shade_lanes.h).
struct ShadeOp {
  template <class V>
  MOTTLER_LANE_INLINE static V vec(V a, V b) {
    constexpr int N = sizeof(V);
    return lanes::joinEvenOdd<N>(shadeLanes<N>(lanes::evenBytes<N>(a), lanes::evenBytes<N>(b)),
                                 shadeLanes<N>(lanes::oddBytes<N>(a), lanes::oddBytes<N>(b)));
  }
  static unsigned one(unsigned a, unsigned b) { return shadeOne(a, b); }
};
struct ReplaceOp {  // any other method: the layer replaces the texture
  template <class V>
  MOTTLER_LANE_INLINE static V vec(V a, V) {
    return a;
  }
  static unsigned one(unsigned a, unsigned) { return a; }
};

// Blends whole vectors of N bytes from the start of n pixels; returns how
// many pixels that covered.
template <class Op, int N>
MOTTLER_LANE_INLINE int blendVectors(const std::uint32_t* src, std::uint32_t* dst, int n) {
  using V = typename lanes::Vectors<N>::Bytes;
  constexpr int step = N / 4;
  int x = 0;
  for (; x + step <= n; x += step) {
    const V b = lanes::loadVector<V>(dst + x);
    lanes::storeVector(dst + x,
                       lanes::withSpareBytes(b, Op::vec(lanes::loadVector<V>(src + x), b)));
  }
  return x;
}

// Blends pixels from..n-1 one by one.
template <class Op>
MOTTLER_LANE_INLINE void blendPixels(const std::uint32_t* src, std::uint32_t* dst, int from,
                                     int n) {
  for (int x = from; x < n; ++x) {
    std::uint32_t out = dst[x] & 0xFF000000u;
    for (int c = 0; c < 24; c += 8)
      out |= Op::one((src[x] >> c) & 0xFFu, (dst[x] >> c) & 0xFFu) << c;
    dst[x] = out;
  }
}

// Blends n pixels of src into dst with one method: four pixels at a time,
// or sixteen where the processor runs the wide code.
template <class Op>
void blendSpan(const std::uint32_t* src, std::uint32_t* dst, int n) {
  blendPixels<Op>(src, dst, blendVectors<Op, 16>(src, dst, n), n);
}
template <class Op>
MOTTLER_WIDE void blendSpanWide(const std::uint32_t* src, std::uint32_t* dst, int n) {
  int x = blendVectors<Op, 64>(src, dst, n);
  x += blendVectors<Op, 16>(src + x, dst + x, n - x);
  blendPixels<Op>(src, dst, x, n);
}

// Texture pixel (x, y) takes layer pixel ((x + ox) mod W, (y + oy) mod H):
// each row is two spans, before and after the layer wraps.
template <class Span>
void blendShifted(TextureEngine& e, const TexturePlane& source, int ox, int oy, Span span) {
  const int w = e.width, h = e.height;
  for (int y = 0; y < h; ++y) {
    const int sy = y + oy < h ? y + oy : y + oy - h;
    const std::uint32_t* src = source.row(sy, w);
    std::uint32_t* dst = e.texture.row(y, w);
    span(src + ox, dst, w - ox);
    span(src, dst + (w - ox), ox);
  }
}

template <class Op>
void blendWith(TextureEngine& e, const TexturePlane& source, int ox, int oy) {
  if (e.wideVectors)
    blendShifted(e, source, ox, oy, blendSpanWide<Op>);
  else
    blendShifted(e, source, ox, oy, blendSpan<Op>);
}

}  // namespace

void blendLayer(TextureEngine& e, const TexturePlane& source, const ProgramEntry& entry) {
  const int ox = wrapOffset(entry.offsetX, e.width);
  const int oy = wrapOffset(entry.offsetY, e.height);
  switch (entry.method & 0xFF) {
    case Middle:
      return blendWith<MiddleOp>(e, source, ox, oy);
    case Add:
      return blendWith<AddOp>(e, source, ox, oy);
    case Subtract:
      return blendWith<SubtractOp>(e, source, ox, oy);
    case Xor:
      return blendWith<XorOp>(e, source, ox, oy);
    case And:
      return blendWith<AndOp>(e, source, ox, oy);
    case Or:
      return blendWith<OrOp>(e, source, ox, oy);
    case Multiply:
      return blendWith<MultiplyOp>(e, source, ox, oy);
    case Shade:
      return blendWith<ShadeOp>(e, source, ox, oy);
    case Lighten:
      return blendWith<LightenOp>(e, source, ox, oy);
    case Darken:
      return blendWith<DarkenOp>(e, source, ox, oy);
    default:
      return blendWith<ReplaceOp>(e, source, ox, oy);
  }
}

}  // namespace mottler
