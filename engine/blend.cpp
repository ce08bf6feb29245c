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

// One vector of layer pixels a blended over texture pixels b.
template <class Op, int N>
MOTTLER_LANE_INLINE typename lanes::Vectors<N>::Bytes blendVector(const std::uint32_t* a,
                                                                  const std::uint32_t* b) {
  using V = typename lanes::Vectors<N>::Bytes;
  const V under = lanes::loadVector<V>(b);
  return lanes::withSpareBytes(under, Op::vec(lanes::loadVector<V>(a), under));
}

// Blends n >= N / 4 pixels, whole vectors of N bytes at a time.  A span
// that does not fill whole vectors ends with one more vector over its last
// pixels; that vector is blended before the loop changes any of them, so
// the pixels it shares with the loop are given the same values twice.
template <class Op, int N>
MOTTLER_LANE_INLINE void blendVectors(const std::uint32_t* src, std::uint32_t* dst, int n) {
  constexpr int step = N / 4;
  const int last = n - step;
  const auto lastVector = blendVector<Op, N>(src + last, dst + last);
  for (int x = 0; x < last; x += step)
    lanes::storeVector(dst + x, blendVector<Op, N>(src + x, dst + x));
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

// Blends n pixels of src into dst with one method: four pixels at a time,
// or sixteen in the wide code.
template <class Op, bool Wide>
MOTTLER_LANE_INLINE void blendSpan(const std::uint32_t* src, std::uint32_t* dst, int n) {
  if (Wide && n >= 16)
    blendVectors<Op, 64>(src, dst, n);
  else if (n >= 4)
    blendVectors<Op, 16>(src, dst, n);
  else
    blendPixels<Op>(src, dst, n);
}

// Texture pixel (x, y) takes layer pixel ((x + ox) mod W, (y + oy) mod H):
// each row is two spans, before and after the layer wraps.  Without a
// horizontal offset whole runs of rows line up, and the plane is two spans.
template <class Op, bool Wide>
MOTTLER_LANE_INLINE void blendShifted(TextureEngine& e, const TexturePlane& source, int ox,
                                      int oy) {
  const int w = e.width, h = e.height;
  if (ox == 0) {
    blendSpan<Op, Wide>(source.row(oy, w), e.texture.data(), (h - oy) * w);
    blendSpan<Op, Wide>(source.data(), e.texture.row(h - oy, w), oy * w);
    return;
  }
  for (int y = 0; y < h; ++y) {
    const int sy = y + oy < h ? y + oy : y + oy - h;
    const std::uint32_t* src = source.row(sy, w);
    std::uint32_t* dst = e.texture.row(y, w);
    blendSpan<Op, Wide>(src + ox, dst, w - ox);
    blendSpan<Op, Wide>(src, dst + (w - ox), ox);
  }
}

template <class Op>
void blendPortable(TextureEngine& e, const TexturePlane& source, int ox, int oy) {
  blendShifted<Op, false>(e, source, ox, oy);
}
template <class Op>
MOTTLER_WIDE void blendWide(TextureEngine& e, const TexturePlane& source, int ox, int oy) {
  blendShifted<Op, true>(e, source, ox, oy);
}

template <class Op>
void blendWith(TextureEngine& e, const TexturePlane& source, int ox, int oy) {
  if (e.wideVectors)
    blendWide<Op>(e, source, ox, oy);
  else
    blendPortable<Op>(e, source, ox, oy);
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
