// The layer blend sixteen pixels at a time, for processors with the wide
// instructions (see blend.cpp).
#include "engine/blend_methods.h"
#include "engine/wide_paths.h"

namespace mottler {

MOTTLER_WIDE void blendWide(TextureEngine& e, const TexturePlane& source, int method, int ox,
                            int oy) {
  blending::blendMethod<64>(e, source, method, ox, oy);
}

}  // namespace mottler
