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
  static void run(TextureEngine& e, const TexturePlane& source, int ox, int oy, int y0, int y1) {
    blending::blendShifted<Op, 16>(e, source, ox, oy, y0, y1);
  }
};

constexpr auto kPortable = blending::methodTable<PortableWalk>();

}  // namespace

// Rows in a band of the blend shared out over the threads.
constexpr int kBlendBandRows = 64;

void blendLayer(TextureEngine& e, const TexturePlane& source, const ProgramEntry& entry) {
  const int ox = wrap(entry.offsetX, e.width);
  const int oy = wrap(entry.offsetY, e.height);
  const blending::Blend portable =
      kPortable[static_cast<std::size_t>(blending::methodIndex(entry.method))];
  auto rows = [&](int y0, int y1) {
#if MOTTLER_HAS_WIDE_PATH
    if (e.wideVectors) {
      blendWide(e, source, entry.method, ox, oy, y0, y1);
      return;
    }
#endif
    portable(e, source, ox, oy, y0, y1);
  };
  // Every pixel is blended on its own: bands of rows on the threads.
  forEachBandOfRows(e.pool.get(), e.pixelCount, e.height, kBlendBandRows, rows);
}

}  // namespace mottler
