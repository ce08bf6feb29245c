// The layer blend, written literally.
//
// For each texture row y from the top and each column x from the left, the
// source pixel is at column (x + X offset) mod W and row (y + Y offset) mod H.
// For each of the bytes 0, 1 and 2, with a the source byte and b the texture
// byte, the texture byte becomes, by the low byte m of the method:
//   0 "Middle"   (a + b) / 2, rounded down
//   1 "Add"      a + b, at most 255
//   2 "Subtract" a - b, at least 0
//   3 "Xor", 4 "And", 5 "Or"  a XOR b, a AND b, a OR b
//   6 "Multiply" (a x b) / 256, rounded down
//   7 "Shade"    ShadeTable[a x 256 + b]
//   8 "Lighten"  the larger, 9 "Darken" the smaller of a and b
//   any other    a
// Byte 3 of the texture never changes.
#include <algorithm>

#include "engine/reference/reference.h"

namespace mottler::reference {

int blendByte(int m, int a, int b, const std::uint8_t* shadeTable) {
  switch (m) {
    case Middle:
      return (a + b) / 2;
    case Add:
      return std::min(a + b, 255);
    case Subtract:
      return std::max(a - b, 0);
    case Xor:
      return a ^ b;
    case And:
      return a & b;
    case Or:
      return a | b;
    case Multiply:
      return a * b / 256;
    case Shade:
      return shadeTable[a * 256 + b];
    case Lighten:
      return std::max(a, b);
    case Darken:
      return std::min(a, b);
    default:
      return a;
  }
}

void copyPlane(const TextureEngine& e, TexturePlane& to, const TexturePlane& from) {
  for (int y = 0; y < e.height; ++y)
    for (int x = 0; x < e.width; ++x) pixel(e, to, x, y) = pixel(e, from, x, y);
}

void blendLayer(TextureEngine& e, const TexturePlane& source, const ProgramEntry& entry) {
  const int m = entry.method & 0xFF;
  const int ox = wrap(entry.offsetX, e.width), oy = wrap(entry.offsetY, e.height);
  for (int y = 0; y < e.height; ++y)
    for (int x = 0; x < e.width; ++x)
      for (int c = 0; c < 3; ++c) {
        const int a = get(e, source, x + ox, y + oy, c);
        const int b = get(e, e.texture, x, y, c);
        set(e, e.texture, x, y, c, blendByte(m, a, b, shadeTable().data()));
      }
}

}  // namespace mottler::reference
