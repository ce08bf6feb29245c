// The layer blend: how a command's layer (or the buffer) is combined with the
// texture under the entry's blend method and X/Y offsets.
#include <algorithm>

#include "engine/executor.h"

namespace mottler {

namespace {

// Wraps an offset into 0..size-1 (negative values too).
int wrapOffset(std::int32_t offset, int size) {
  const int r = static_cast<int>(offset % size);
  return r < 0 ? r + size : r;
}

// Applies op to bytes 0..2 of a layer pixel a and a texture pixel b; byte 3
// of the texture pixel is kept.
template <class Op>
inline std::uint32_t combine(std::uint32_t a, std::uint32_t b, Op op) {
  std::uint32_t out = b & 0xFF000000u;
  for (int c = 0; c < 3; ++c) {
    const unsigned ca = (a >> (8 * c)) & 0xFFu;
    const unsigned cb = (b >> (8 * c)) & 0xFFu;
    out |= static_cast<std::uint32_t>(op(ca, cb)) << (8 * c);
  }
  return out;
}

// Texture pixel (x, y) takes layer pixel ((x + ox) mod W, (y + oy) mod H).
template <class Op>
void blendShifted(TextureEngine& e, const TexturePlane& source, int ox, int oy, Op op) {
  const int w = e.width, h = e.height;
  for (int y = 0; y < h; ++y) {
    int sy = y + oy;
    if (sy >= h) sy -= h;
    const std::uint32_t* src = source.row(sy, w);
    std::uint32_t* dst = e.texture.row(y, w);
    const int split = w - ox;  // texture columns before the layer wraps
    for (int x = 0; x < split; ++x) dst[x] = combine(src[x + ox], dst[x], op);
    for (int x = split; x < w; ++x) dst[x] = combine(src[x - split], dst[x], op);
  }
}

}  // namespace

void blendLayer(TextureEngine& e, const TexturePlane& source, const ProgramEntry& entry) {
  const int ox = wrapOffset(entry.offsetX, e.width);
  const int oy = wrapOffset(entry.offsetY, e.height);
  const std::uint8_t* shade = e.shadeTable.data();
  switch (entry.method & 0xFF) {
    case Middle:
      return blendShifted(e, source, ox, oy, [](unsigned a, unsigned b) { return (a + b) >> 1; });
    case Add:
      return blendShifted(e, source, ox, oy,
                          [](unsigned a, unsigned b) { return std::min(a + b, 255u); });
    case Subtract:
      return blendShifted(e, source, ox, oy,
                          [](unsigned a, unsigned b) { return a > b ? a - b : 0u; });
    case Xor:
      return blendShifted(e, source, ox, oy, [](unsigned a, unsigned b) { return a ^ b; });
    case And:
      return blendShifted(e, source, ox, oy, [](unsigned a, unsigned b) { return a & b; });
    case Or:
      return blendShifted(e, source, ox, oy, [](unsigned a, unsigned b) { return a | b; });
    case Multiply:
      return blendShifted(e, source, ox, oy, [](unsigned a, unsigned b) { return (a * b) >> 8; });
    case Shade:
      return blendShifted(e, source, ox, oy,
                          [shade](unsigned a, unsigned b) { return unsigned{shade[a * 256 + b]}; });
    case Lighten:
      return blendShifted(e, source, ox, oy, [](unsigned a, unsigned b) { return std::max(a, b); });
    case Darken:
      return blendShifted(e, source, ox, oy, [](unsigned a, unsigned b) { return std::min(a, b); });
    default:  // the layer replaces the texture
      return blendShifted(e, source, ox, oy, [](unsigned a, unsigned) { return a; });
  }
}

}  // namespace mottler
