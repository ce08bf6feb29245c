// "Glass" at a scale against the operation nearest to it: a bilinear remap
// of the same size whose map (source position of every pixel, in 1/32 of a
// pixel) is prepared beforehand, four pixels weighted per output pixel,
// eight-bit channels, as image libraries do it.  Both on one thread, at
// the design size 256 x 256 and at scale 8 (2048 x 2048).
#include <benchmark/benchmark.h>

#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "engine/commands.h"
#include "engine/executor.h"

using namespace mottler;

namespace {

constexpr int kDesign = 256;

// A texture with detail at every size (a plasma per channel) at a scale.
TextureEngine& scaledEngine(int scale) {
  static std::unique_ptr<TextureEngine> engines[2];
  auto& e = engines[scale == 1 ? 0 : 1];
  if (!e) {
    auto engine = std::make_unique<TextureEngine>();
    engine->setScaledSize(kDesign, kDesign, scale);
    ProgramEntry plasma;
    plasma.code = kPlasma;
    plasma.param[Plasma::MaximumHeight] = 127;
    for (int c = 0; c < 3; ++c) {
      plasma.param[Plasma::Variant] = 11 + c;
      plasma.param[Plasma::Roughness] = 60;
      plasma.param[Plasma::RedMask] = c == 2 ? 255 : 0;
      plasma.param[Plasma::GreenMask] = c == 1 ? 255 : 0;
      plasma.param[Plasma::BlueMask] = c == 0 ? 255 : 0;
      plasma.method = Add;
      executeCommand(*engine, plasma);
    }
    e = std::move(engine);
  }
  return *e;
}

void BM_ScaledGlass(benchmark::State& s) {
  TextureEngine& e = scaledEngine(static_cast<int>(s.range(2)));
  static std::vector<std::uint32_t> input;
  input.assign(e.texture.data(), e.texture.data() + e.pixelCount);
  ProgramEntry glass;
  glass.code = kGlass;
  glass.param[Glass::Distortion] = static_cast<int>(s.range(0));
  glass.param[Glass::Smoothness] = static_cast<int>(s.range(1));
  for (auto _ : s) {
    s.PauseTiming();
    std::copy(input.begin(), input.end(), e.texture.data());
    e.random.seed(5);
    s.ResumeTiming();
    executeCommand(e, glass);
    benchmark::ClobberMemory();
  }
}
// Distortion, Smoothness, scale.
BENCHMARK(BM_ScaledGlass)
    ->Name("Scaled/Glass")
    ->Args({64, 2, 8})
    ->Args({255, 16, 8})
    ->Args({32, 8, 8})
    ->Args({64, 2, 1})
    ->Args({255, 16, 1})
    ->Unit(benchmark::kMicrosecond);

// The prepared bilinear remap: for every pixel the integer source position
// and a 5-bit fraction in each direction, looked up with wrapping, the four
// pixels weighted per channel in 1/1024 and rounded.
void BM_BilinearRemap(benchmark::State& s) {
  const int side = static_cast<int>(s.range(0));
  TextureEngine& e = scaledEngine(side / kDesign);
  struct MapEntry {
    std::int16_t x, y;
    std::uint8_t fx, fy;
  };
  static std::vector<MapEntry> map;
  static std::vector<std::uint32_t> out;
  map.resize(static_cast<std::size_t>(side) * side);
  out.resize(map.size());
  std::uint32_t r = 12345;
  for (int y = 0; y < side; ++y)
    for (int x = 0; x < side; ++x) {
      r = r * 1103515245u + 12345u;
      const int dx = static_cast<int>((r >> 8) % 2048) - 1024;  // within +-32 pixels, in 1/32
      const int dy = static_cast<int>((r >> 19) % 2048) - 1024;
      const int px = x * 32 + dx, py = y * 32 + dy;
      map[static_cast<std::size_t>(y) * side + x] = {
          static_cast<std::int16_t>(px >> 5), static_cast<std::int16_t>(py >> 5),
          static_cast<std::uint8_t>(px & 31), static_cast<std::uint8_t>(py & 31)};
    }
  const std::uint32_t* src = e.texture.data();
  for (auto _ : s) {
    for (int y = 0; y < side; ++y)
      for (int x = 0; x < side; ++x) {
        const std::size_t i = static_cast<std::size_t>(y) * side + x;
        const MapEntry m = map[i];
        const int x0 = m.x & (side - 1), x1 = (m.x + 1) & (side - 1);
        const int y0 = m.y & (side - 1), y1 = (m.y + 1) & (side - 1);
        const std::uint32_t a = src[static_cast<std::size_t>(y0) * side + x0];
        const std::uint32_t b = src[static_cast<std::size_t>(y0) * side + x1];
        const std::uint32_t c = src[static_cast<std::size_t>(y1) * side + x0];
        const std::uint32_t d = src[static_cast<std::size_t>(y1) * side + x1];
        const int wa = (32 - m.fx) * (32 - m.fy), wb = m.fx * (32 - m.fy), wc = (32 - m.fx) * m.fy,
                  wd = m.fx * m.fy;
        std::uint32_t p = 0;
        for (int ch = 0; ch < 24; ch += 8) {
          const int v =
              (static_cast<int>((a >> ch) & 0xFF) * wa + static_cast<int>((b >> ch) & 0xFF) * wb +
               static_cast<int>((c >> ch) & 0xFF) * wc + static_cast<int>((d >> ch) & 0xFF) * wd +
               512) >>
              10;
          p |= static_cast<std::uint32_t>(v) << ch;
        }
        out[i] = p;
      }
    benchmark::ClobberMemory();
  }
}
BENCHMARK(BM_BilinearRemap)
    ->Name("Baseline/PreparedRemap")
    ->Arg(2048)
    ->Arg(256)
    ->Unit(benchmark::kMicrosecond);

}  // namespace
