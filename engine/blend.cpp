// The layer blend: how a command's layer (or the buffer) is combined with the
// texture under the entry's blend method and X/Y offsets.  The rule is
// written literally in engine/reference/blend.cpp; here whole vectors of
// pixels are blended at once (blend_methods.h), four at a time, or sixteen
// in blend_wide.cpp where the processor has the wide instructions.
#include "engine/arithmetic.h"
#include "engine/blend_methods.h"
#include "engine/executor.h"
#include "engine/wide_paths.h"

namespace mottler {

namespace {

template <class Op>
struct PortableWalk {
  static void run(TextureEngine& e, const TexturePlane& source, int ox, int oy) {
    blending::blendShifted<Op, 16>(e, source, ox, oy);
  }
};

constexpr auto kPortable = blending::methodTable<PortableWalk>();

}  // namespace

void blendLayer(TextureEngine& e, const TexturePlane& source, const ProgramEntry& entry) {
  const int ox = wrap(entry.offsetX, e.width);
  const int oy = wrap(entry.offsetY, e.height);
#if MOTTLER_HAS_WIDE_PATH
  if (e.wideVectors) {
    blendWide(e, source, entry.method, ox, oy);
    return;
  }
#endif
  kPortable[static_cast<std::size_t>(blending::methodIndex(entry.method))](e, source, ox, oy);
}

}  // namespace mottler
