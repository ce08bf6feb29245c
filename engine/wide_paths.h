// The sixteen-pixels-at-a-time versions of the per-pixel work, in the
// *_wide.cpp files beside the portable fast paths.  They may only run where
// wideVectorsSupported() says so; the portable code chooses by
// TextureEngine::wideVectors, in one place per family, and gives the same
// bits.  Where the compiler has no wide path (MOTTLER_HAS_WIDE_PATH is 0:
// other processors, WebAssembly) the layer blend's wide version does not
// exist and its caller keeps to the portable code whatever wideVectors says;
// the versions that report how many pixels they did report none, so the
// portable code does them all.
#pragma once

#include <cstdint>

#include "engine/engine_state.h"
#include "engine/pixel_lanes.h"

namespace mottler {

#if MOTTLER_HAS_WIDE_PATH

// blend_wide.cpp: the layer blend of the texture rows y0..y1-1, as
// blendLayer with the offsets wrapped.
MOTTLER_WIDE void blendWide(TextureEngine& e, const TexturePlane& source, int method, int ox,
                            int oy, int y0, int y1);

#endif  // MOTTLER_HAS_WIDE_PATH

// buffer_colour_wide.cpp: maps n texture pixels from t on through one
// table per channel (index 0 blue, 1 green, 2 red), keeping byte 3, sixteen
// at a time; returns how many pixels it did (the rest are left to the
// caller).
MOTTLER_WIDE int applyTablesWide(std::uint32_t* t, int n, const std::uint8_t (&table)[3][256]);

namespace hsv {
// The parameters of an "HSV" entry as its conversion uses them.
struct Scales {
  double hue;         // "Hue": hues are scaled by hue / 180
  double saturation;  // "Saturation" in percent
  double value;       // "Value" in percent
};
}  // namespace hsv

// buffer_colour_wide.cpp: "HSV" for whole groups of sixteen pixels from
// the start, a group whose pixels are all grey (all colour bytes equal)
// through the grey table; returns how many pixels it did.
MOTTLER_WIDE int hsvWide(std::uint32_t* tex, int n, const std::uint8_t (&grey)[256],
                         const hsv::Scales& scales);

}  // namespace mottler
