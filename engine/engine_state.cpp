#include "engine/engine_state.h"

#include <algorithm>
#include <cmath>
#include <cstring>

#include "engine/exact_maths.h"

namespace mottler {

bool wideVectorsSupported() {
#if MOTTLER_HAS_WIDE_PATH
  // The processor's feature bits, which also say whether the operating system
  // saves the wide registers.
  static const bool supported = [] {
    __builtin_cpu_init();
    return __builtin_cpu_supports("avx512f") && __builtin_cpu_supports("avx512bw") &&
           __builtin_cpu_supports("avx512vl") && __builtin_cpu_supports("avx512vbmi");
  }();
  return supported;
#else
  return false;
#endif
}

TextureEngine::TextureEngine() { setSize(kMaxTextureSide, kMaxTextureSide); }

void TextureEngine::setScaledSize(int designWidth, int designHeight, int s) {
  setSize(designWidth * s, designHeight * s);
  scale = s;
  prepareGrids();
}

void TextureEngine::setThreads(int n) {
  n = kThreadsSupported ? std::max(1, n) : 1;
  if (n == threads()) return;
  pool.reset();
  if (n > 1) pool = std::make_unique<BandPool>(n);
  prepareGrids();
}

void TextureEngine::prepareGrids() {
  if (scale == 1) return;
  grids.resize(static_cast<std::size_t>(threads()));
  for (std::unique_ptr<TextureEngine>& g : grids) {
    if (!g) g = std::make_unique<TextureEngine>();
    g->setSize(designWidth(), designHeight());
  }
  filterScratch.resize(static_cast<std::size_t>(threads()));
  for (std::vector<std::uint64_t>& rows : filterScratch)
    rows.resize(filterScratchWords(width, scale));
}

void TextureEngine::setSize(int w, int h) {
  scale = 1;
  width = w;
  height = h;
  pixelCount = w * h;
  stride = w * 4;
  byteSize = w * h * 4;
  // Two spare rows: "Unsharp Mask" keeps copies of the edge rows there.
  const std::size_t pixels = static_cast<std::size_t>(w) * static_cast<std::size_t>(h + 2);
  texture.reserve(pixels);
  buffer.reserve(pixels);
  workPlane.reserve(pixels);
  if (fieldX.size() < pixels) {
    fieldX.resize(pixels);
    fieldY.resize(pixels);
  }
  const std::size_t falloffSize = Falloff::entriesFor(w, h);
  if (falloff.values.size() < falloffSize) falloff.values.resize(falloffSize);
}

void TextureEngine::clear(TexturePlane& plane) {
  std::memset(plane.data(), 0, static_cast<std::size_t>(pixelCount) * 4);
}

namespace {

ByteTable buildShadeTable() {
  ByteTable shadeTable;
  // k is 1/127 as a single-precision constant; everything else is double.
  const double k = static_cast<double>(1.0f / 127.0f);
  for (int s = 0; s < 256; ++s) {
    for (int t = 0; t < 256; ++t) {
      double v;
      if (s <= 128)
        v = (s * (1.0 / 128.0)) * t;
      else
        v = ((255 - s) * k) * (t - 128) + s;
      shadeTable[static_cast<std::size_t>(s * 256 + t)] =
          static_cast<std::uint8_t>(static_cast<int>(v));
    }
  }
  return shadeTable;
}

ByteTable buildBlobProfile() {
  ByteTable blobProfile;
  // A bright round spot peaking at (128, 128): a wide gaussian plus a sharp
  // exponential fall-off.
  for (int k = 0; k < 256; ++k) {
    for (int s = 0; s < 256; ++s) {
      const double d =
          2.0 * std::sqrt(static_cast<double>((128 - k) * (128 - k) + (s - 128) * (s - 128)));
      double v = 0.075 * exactExp(-0.002 * d * d) + 0.925 * exactExp(-0.02 * d);
      if (v > 1.0) v = 1.0;
      blobProfile[static_cast<std::size_t>(k * 256 + s)] =
          static_cast<std::uint8_t>(static_cast<int>(255.0 * v));
    }
  }
  return blobProfile;
}

}  // namespace

const ByteTable& shadeTable() {
  static const ByteTable table = buildShadeTable();
  return table;
}

const ByteTable& blobProfile() {
  static const ByteTable table = buildBlobProfile();
  return table;
}

}  // namespace mottler
