// The reference versions of the commands: each rule written literally, pixel
// by pixel and channel by channel, in plain code without vectors or other
// speed-ups.  They are what the fast paths must equal bit for bit; the
// executor runs them through executeReference (executor.h), after the same
// range rule as the fast paths.  Like the fast paths they allocate nothing
// and use the engine's planes as the rules describe.
#pragma once

#include <cstdint>

#include "engine/arithmetic.h"
#include "engine/engine_state.h"

namespace mottler::reference {

// Pixel (x, y) of a plane, the coordinates wrapped around the texture.
inline std::uint32_t& pixel(const TextureEngine& e, TexturePlane& plane, int x, int y) {
  return plane.data()[static_cast<std::size_t>(wrap(y, e.height)) * e.width + wrap(x, e.width)];
}
inline std::uint32_t pixel(const TextureEngine& e, const TexturePlane& plane, int x, int y) {
  return plane.data()[static_cast<std::size_t>(wrap(y, e.height)) * e.width + wrap(x, e.width)];
}

// Channel c (0 blue, 1 green, 2 red) of pixel (x, y), wrapped.
inline int get(const TextureEngine& e, const TexturePlane& plane, int x, int y, int c) {
  return channel(pixel(e, plane, x, y), c);
}
// Sets channel c of pixel (x, y), wrapped, to v (0..255); the other bytes stay.
inline void set(const TextureEngine& e, TexturePlane& plane, int x, int y, int c, int v) {
  std::uint32_t& p = pixel(e, plane, x, y);
  p = (p & ~(0xFFu << (8 * c))) | (static_cast<std::uint32_t>(v) << (8 * c));
}

// All W x H pixels of one plane copied into another, all four bytes.
void copyPlane(const TextureEngine& e, TexturePlane& to, const TexturePlane& from);

// The layer blend (blend.cpp): one colour byte a of the layer over byte b of
// the texture by the low byte m of the method, and the whole layer.
int blendByte(int m, int a, int b, const std::uint8_t* shadeTable);
void blendLayer(TextureEngine& e, const TexturePlane& source, const ProgramEntry& entry);

}  // namespace mottler::reference
