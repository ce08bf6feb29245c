// The layer blend sixteen pixels at a time, for processors with the wide
// instructions (see blend.cpp).
#include "engine/blend_methods.h"
#include "engine/wide_paths.h"

namespace mottler {

#if MOTTLER_HAS_WIDE_PATH

namespace {

template <class Op>
struct WideWalk {
  MOTTLER_WIDE static void run(TextureEngine& e, const TexturePlane& source, int ox, int oy, int y0,
                               int y1) {
    blending::blendShifted<Op, 64>(e, source, ox, oy, y0, y1);
  }
};

constexpr auto kWide = blending::methodTable<WideWalk>();

}  // namespace

MOTTLER_WIDE void blendWide(TextureEngine& e, const TexturePlane& source, int method, int ox,
                            int oy, int y0, int y1) {
  kWide[static_cast<std::size_t>(blending::methodIndex(method))](e, source, ox, oy, y0, y1);
}

#endif  // MOTTLER_HAS_WIDE_PATH

}  // namespace mottler
