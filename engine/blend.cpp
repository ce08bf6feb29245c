// The layer blend: how a command's layer (or the buffer) is combined with the
// texture under the entry's blend method and X/Y offsets.
//
// Every method works on each of the colour bytes 0..2 alone and keeps byte 3
// of the texture, so four pixels are blended at once as sixteen bytes with
// the compiler's portable vector types, and the spare bytes are put back
// through a mask.
#include <algorithm>
#include <cstring>

#include "engine/executor.h"
#include "engine/pixel_lanes.h"
#include "engine/shade_lanes.h"

namespace mottler {

namespace {

using lanes::Bytes;

// Wraps an offset into 0..size-1 (negative values too).
int wrapOffset(std::int32_t offset, int size) {
  const int r = static_cast<int>(offset % size);
  return r < 0 ? r + size : r;
}

// One method: its rule on sixteen bytes at once and on one byte.
struct MiddleOp {  // (a + b) / 2, rounded down
  static Bytes vec(Bytes a, Bytes b) { return (a & b) + ((a ^ b) >> 1); }
  static unsigned one(unsigned a, unsigned b) { return (a + b) >> 1; }
};
struct AddOp {  // a + b, at most 255
  static Bytes vec(Bytes a, Bytes b) {
    const Bytes s = a + b;
    return s | reinterpret_cast<Bytes>(s < a);
  }
  static unsigned one(unsigned a, unsigned b) { return std::min(a + b, 255u); }
};
struct SubtractOp {  // a - b, at least 0
  static Bytes vec(Bytes a, Bytes b) { return (a - b) & reinterpret_cast<Bytes>(a > b); }
  static unsigned one(unsigned a, unsigned b) { return a > b ? a - b : 0u; }
};
struct XorOp {
  static Bytes vec(Bytes a, Bytes b) { return a ^ b; }
  static unsigned one(unsigned a, unsigned b) { return a ^ b; }
};
struct AndOp {
  static Bytes vec(Bytes a, Bytes b) { return a & b; }
  static unsigned one(unsigned a, unsigned b) { return a & b; }
};
struct OrOp {
  static Bytes vec(Bytes a, Bytes b) { return a | b; }
  static unsigned one(unsigned a, unsigned b) { return a | b; }
};
struct MultiplyOp {  // (a * b) / 256, rounded down
  static Bytes vec(Bytes a, Bytes b) {
    return lanes::joinHalves((lanes::lowHalf(a) * lanes::lowHalf(b)) >> 8,
                             (lanes::highHalf(a) * lanes::highHalf(b)) >> 8);
  }
  static unsigned one(unsigned a, unsigned b) { return (a * b) >> 8; }
};
struct LightenOp {
  static Bytes vec(Bytes a, Bytes b) { return a > b ? a : b; }
  static unsigned one(unsigned a, unsigned b) { return std::max(a, b); }
};
struct DarkenOp {
  static Bytes vec(Bytes a, Bytes b) { return a < b ? a : b; }
  static unsigned one(unsigned a, unsigned b) { return std::min(a, b); }
};
struct ReplaceOp {  // any other method: the layer replaces the texture
  static Bytes vec(Bytes a, Bytes) { return a; }
  static unsigned one(unsigned a, unsigned) { return a; }
};

// Blends n pixels of src into dst with one method.
template <class Op>
void blendSpan(const std::uint32_t* src, std::uint32_t* dst, int n) {
  int x = 0;
  for (; x + 4 <= n; x += 4) {
    const Bytes b = lanes::load(dst + x);
    lanes::store(dst + x, lanes::withSpareBytes(b, Op::vec(lanes::load(src + x), b)));
  }
  for (; x < n; ++x) {
    std::uint32_t out = dst[x] & 0xFF000000u;
    for (int c = 0; c < 24; c += 8)
      out |= Op::one((src[x] >> c) & 0xFFu, (dst[x] >> c) & 0xFFu) << c;
    dst[x] = out;
  }
}

// "Shade": ShadeTable[a * 256 + b] for each colour byte, computed (see
// shade_lanes.h).
struct ShadeOp {
  static Bytes vec(Bytes a, Bytes b) {
    return lanes::joinHalves(shadeLanes(lanes::lowHalf(a), lanes::lowHalf(b)),
                             shadeLanes(lanes::highHalf(a), lanes::highHalf(b)));
  }
  static unsigned one(unsigned a, unsigned b) { return shadeOne(a, b); }
};

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
