// Plain operations of the same size as a command's work, written here with
// their inputs prepared beforehand, as yardsticks for the commands that do
// comparable work: a plane multiplied by a prepared mask ("Enviroument
// Map"), a bilinear remap through two prepared displacement fields
// ("Glass"), a linear resize of a small lattice up to the texture ("Perlin
// Noise"), a 3 x 3 blur plus a weighted add ("Unsharp Mask") and an
// RGB -> HSV -> RGB round trip in single precision ("HSV").  Each runs at
// 256 x 256 and at 2048 x 2048 on one thread (timed in processor time of
// the thread), compiled for the baseline instruction set like the portable
// paths; the commands beside them run on
// the portable path too (Baseline/... and Command/... rows, both sizes), the
// commands at 2048 x 2048 being the 256 x 256 design at scale 8.
#include <benchmark/benchmark.h>

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <ctime>
#include <string>
#include <vector>

#include "document/program_text.h"
#include "engine/commands.h"
#include "engine/executor.h"

using namespace mottler;

namespace {

constexpr int kDesignSide = 256;

// A colourful test picture: each channel a smooth wave of its own period
// plus a little hash noise, so that neighbouring pixels differ a little and
// the picture holds many distinct colours, as a texture in a program does.
std::vector<std::uint32_t> testPicture(int side) {
  std::vector<std::uint32_t> p(static_cast<std::size_t>(side) * side);
  for (int y = 0; y < side; ++y)
    for (int x = 0; x < side; ++x) {
      const std::uint32_t h = (static_cast<std::uint32_t>(x) * 73856093u) ^
                              (static_cast<std::uint32_t>(y) * 19349663u);
      const auto wave = [&](int fx, int fy, std::uint32_t shift) {
        const int v = ((x * fx + y * fy) * 256 / side) & 511;
        return static_cast<std::uint32_t>(v < 256 ? v : 511 - v) ^ ((h >> shift) & 7u);
      };
      p[static_cast<std::size_t>(y) * side + x] =
          (wave(1, 2, 0) & 0xFFu) | (wave(3, 1, 3) & 0xFFu) << 8 | (wave(2, 3, 6) & 0xFFu) << 16;
    }
  return p;
}

// The processor time of this thread, in seconds: on a machine shared with
// other work it varies far less than the wall clock, and every row here
// runs on one thread.
double threadSeconds() {
  timespec t{};
  clock_gettime(CLOCK_THREAD_CPUTIME_ID, &t);
  return static_cast<double>(t.tv_sec) + static_cast<double>(t.tv_nsec) * 1e-9;
}

// Times op() alone; restore() (putting the input back) is outside the timing.
template <class Restore, class Op>
void timeEach(benchmark::State& state, Restore restore, Op op) {
  for (auto _ : state) {
    restore();
    benchmark::ClobberMemory();
    const double start = threadSeconds();
    op();
    benchmark::ClobberMemory();
    state.SetIterationTime(threadSeconds() - start);
  }
}

inline std::uint32_t byteAt(std::uint32_t pixel, int c) { return (pixel >> (8 * c)) & 0xFFu; }

// ---------------------------------------------------------- the yardsticks ---

// Every channel times the pixel's prepared factor (0..1), truncated.
void maskMultiply(std::uint32_t* plane, const float* mask, int n) {
  for (int i = 0; i < n; ++i) {
    const std::uint32_t p = plane[i];
    const float m = mask[i];
    const auto scaled = [&](int c) {
      return static_cast<std::uint32_t>(static_cast<float>(byteAt(p, c)) * m) << (8 * c);
    };
    plane[i] = (p & 0xFF000000u) | scaled(0) | scaled(1) | scaled(2);
  }
}

// Two pixels' worth of lerp at once: red and blue, then green, each in a
// 16-bit half of a word, weights in 1/256.
inline std::uint32_t lerpPixel(std::uint32_t a, std::uint32_t b, std::uint32_t w) {
  const std::uint32_t rb = ((a & 0x00FF00FFu) * (256 - w) + (b & 0x00FF00FFu) * w) >> 8;
  const std::uint32_t g = ((a & 0x0000FF00u) * (256 - w) + (b & 0x0000FF00u) * w) >> 8;
  return (rb & 0x00FF00FFu) | (g & 0x0000FF00u);
}

// out(x, y) = in at (x + dx, y + dy), bilinear, wrapping; displacements in
// 1/256 pixel.
void bilinearRemap(const std::uint32_t* in, std::uint32_t* out, const std::int32_t* dx,
                   const std::int32_t* dy, int side) {
  const int mask = side - 1;  // sides are powers of two here
  for (int y = 0; y < side; ++y)
    for (int x = 0; x < side; ++x) {
      const std::size_t i = static_cast<std::size_t>(y) * side + x;
      const std::int32_t sx = x * 256 + dx[i], sy = y * 256 + dy[i];
      const int x0 = (sx >> 8) & mask, y0 = (sy >> 8) & mask;
      const int x1 = (x0 + 1) & mask, y1 = (y0 + 1) & mask;
      const std::uint32_t fx = static_cast<std::uint32_t>(sx) & 255u,
                          fy = static_cast<std::uint32_t>(sy) & 255u;
      const std::uint32_t* r0 = in + static_cast<std::size_t>(y0) * side;
      const std::uint32_t* r1 = in + static_cast<std::size_t>(y1) * side;
      out[i] = lerpPixel(lerpPixel(r0[x0], r0[x1], fx), lerpPixel(r1[x0], r1[x1], fx), fy);
    }
}

// A lattice of (cells + 1)^2 colours resized linearly to side x side, the
// lattice columns and weights (1/256) prepared per column and per row.
struct ResizeInput {
  int cells = 0;
  std::vector<std::uint32_t> lattice;  // [row * (cells + 1) + column]
  std::vector<int> column;             // per output column: its lattice column
  std::vector<std::uint32_t> columnWeight;
  std::vector<std::uint32_t> scratch;  // one lattice row, interpolated vertically
};

ResizeInput prepareResize(int side, int cells) {
  ResizeInput r;
  r.cells = cells;
  const int points = cells + 1;
  r.lattice.resize(static_cast<std::size_t>(points) * points);
  std::uint32_t h = 12345;
  for (std::uint32_t& v : r.lattice) {
    h = h * 1103515245u + 12345u;
    v = h >> 8;
  }
  const int cellSide = side / cells;
  for (int i = 0; i < side; ++i) {
    r.column.push_back(i / cellSide);
    r.columnWeight.push_back(static_cast<std::uint32_t>(i % cellSide * 256 / cellSide));
  }
  r.scratch.resize(static_cast<std::size_t>(points));
  return r;
}

void linearResize(ResizeInput& r, std::uint32_t* out, int side) {
  const int points = r.cells + 1;
  for (int y = 0; y < side; ++y) {
    const std::uint32_t t = r.columnWeight[static_cast<std::size_t>(y)];
    const std::uint32_t* top =
        r.lattice.data() + static_cast<std::size_t>(r.column[static_cast<std::size_t>(y)]) * points;
    const std::uint32_t* bottom = top + points;
    for (int k = 0; k < points; ++k) r.scratch[static_cast<std::size_t>(k)] = lerpPixel(top[k], bottom[k], t);
    std::uint32_t* o = out + static_cast<std::size_t>(y) * side;
    const std::uint32_t* s = r.scratch.data();
    for (int x = 0; x < side; ++x) {
      const int c = r.column[static_cast<std::size_t>(x)];
      o[x] = lerpPixel(s[c], s[c + 1], r.columnWeight[static_cast<std::size_t>(x)]);
    }
  }
}

// out = limit(in + (in - blur3x3(in)) x amount / 128), wrapping at the
// edges: the 3 x 3 sums separably over the bytes of a row (16-bit sums),
// which the compiler runs several bytes at a time.
void blurAndWeightedAdd(const std::uint32_t* in, std::uint32_t* out, int side, int amount) {
  const std::size_t bytes = static_cast<std::size_t>(side) * 4;
  std::vector<std::uint16_t> column(bytes + 8);  // vertical sums, one pixel of wrap each side
  for (int y = 0; y < side; ++y) {
    const auto* a = reinterpret_cast<const std::uint8_t*>(in + static_cast<std::size_t>((y + side - 1) % side) * side);
    const auto* b = reinterpret_cast<const std::uint8_t*>(in + static_cast<std::size_t>(y) * side);
    const auto* c = reinterpret_cast<const std::uint8_t*>(in + static_cast<std::size_t>((y + 1) % side) * side);
    std::uint16_t* v = column.data() + 4;
    for (std::size_t k = 0; k < bytes; ++k) v[k] = static_cast<std::uint16_t>(a[k] + b[k] + c[k]);
    for (int k = 0; k < 4; ++k) {
      v[-4 + k] = v[bytes - 4 + static_cast<std::size_t>(k)];
      v[bytes + static_cast<std::size_t>(k)] = v[k];
    }
    auto* o = reinterpret_cast<std::uint8_t*>(out + static_cast<std::size_t>(y) * side);
    for (std::size_t k = 0; k < bytes; ++k) {
      const int sum = v[k - 4] + v[k] + v[k + 4];
      const int centre = b[k];
      const int r = centre + (centre - sum * 7282 / 65536) * amount / 128;
      o[k] = static_cast<std::uint8_t>(r < 0 ? 0 : (r > 255 ? 255 : r));
    }
  }
}

// Four lanes of single-precision reals and of 32-bit integers (the
// compiler's portable vector types), and a lane-wise choice by a mask.
typedef float Reals __attribute__((vector_size(16)));
typedef std::int32_t Ints __attribute__((vector_size(16)));
inline Reals choose(Ints mask, Reals yes, Reals no) {
  return reinterpret_cast<Reals>((mask & reinterpret_cast<Ints>(yes)) |
                                 (~mask & reinterpret_cast<Ints>(no)));
}

// Each pixel to hue, saturation and value and straight back (hexcone, single
// precision, no lookup of earlier results), four pixels at a time.
void hsvRoundTrip(std::uint32_t* plane, int n) {
  const Reals one = {1, 1, 1, 1};
  for (int i = 0; i + 4 <= n; i += 4) {
    Ints p;
    std::memcpy(&p, plane + i, sizeof p);
    const Reals c0 = __builtin_convertvector(p & 255, Reals);
    const Reals c1 = __builtin_convertvector((p >> 8) & 255, Reals);
    const Reals c2 = __builtin_convertvector((p >> 16) & 255, Reals);
    const Reals mx = choose(c0 > c1, choose(c0 > c2, c0, c2), choose(c1 > c2, c1, c2));
    const Reals mn = choose(c0 < c1, choose(c0 < c2, c0, c2), choose(c1 < c2, c1, c2));
    const Reals delta = mx - mn;
    const Reals s = delta / choose(mx > one, mx, one);
    const Ints first = c0 == mx, second = c1 == mx;
    const Reals num = choose(first, c1 - c2, choose(second, c2 - c0, c0 - c1));
    const Reals base = choose(first, Reals{}, choose(second, one + one, one * 4));
    Reals h = base + num / choose(delta > one, delta, one);
    h = choose(h < 0, h + 6, h);
    const Ints sector = __builtin_convertvector(h, Ints);
    const Reals f = h - __builtin_convertvector(sector, Reals);
    const Reals v = mx, pp = v * (one - s), q = v * (one - s * f), t = v * (one - s * (one - f));
    const Reals o0 = choose((sector == 0) | (sector >= 5), v,
                            choose(sector == 1, q, choose(sector == 4, t, pp)));
    const Reals o1 = choose(sector == 0, t, choose((sector == 1) | (sector == 2), v,
                                                   choose(sector == 3, q, pp)));
    const Reals o2 = choose(sector <= 1, pp, choose(sector == 2, t, choose(sector >= 5, q, v)));
    const Ints out = __builtin_convertvector(o0, Ints) | __builtin_convertvector(o1, Ints) << 8 |
                     __builtin_convertvector(o2, Ints) << 16;
    std::memcpy(plane + i, &out, sizeof out);
  }
}

// ----------------------------------------------------------------- rows ---

void BM_MaskMultiply(benchmark::State& state) {
  const int side = static_cast<int>(state.range(0));
  const std::vector<std::uint32_t> input = testPicture(side);
  std::vector<std::uint32_t> plane(input.size());
  std::vector<float> mask(input.size());
  for (int y = 0; y < side; ++y)
    for (int x = 0; x < side; ++x)
      mask[static_cast<std::size_t>(y) * side + x] =
          1.0f / (1.0f + static_cast<float>(std::abs(x - side / 2) + std::abs(y - side / 2)) / 64);
  timeEach(state, [&] { std::copy(input.begin(), input.end(), plane.begin()); },
           [&] { maskMultiply(plane.data(), mask.data(), side * side); });
}

void BM_BilinearRemap(benchmark::State& state) {
  const int side = static_cast<int>(state.range(0));
  const std::vector<std::uint32_t> input = testPicture(side);
  std::vector<std::uint32_t> out(input.size());
  std::vector<std::int32_t> dx(input.size()), dy(input.size());
  std::uint32_t h = 7;
  for (std::size_t i = 0; i < dx.size(); ++i) {
    h = h * 1103515245u + 12345u;
    dx[i] = static_cast<std::int32_t>((h >> 8) % 4096) - 2048;  // +-8 pixels
    dy[i] = static_cast<std::int32_t>((h >> 20) % 4096) - 2048;
  }
  timeEach(state, [] {}, [&] { bilinearRemap(input.data(), out.data(), dx.data(), dy.data(), side); });
}

void BM_LinearResize(benchmark::State& state) {
  const int side = static_cast<int>(state.range(0));
  ResizeInput r = prepareResize(side, 4);  // the default cells: a quarter of the side
  std::vector<std::uint32_t> out(static_cast<std::size_t>(side) * side);
  timeEach(state, [] {}, [&] { linearResize(r, out.data(), side); });
}

void BM_BlurWeightedAdd(benchmark::State& state) {
  const int side = static_cast<int>(state.range(0));
  const std::vector<std::uint32_t> input = testPicture(side);
  std::vector<std::uint32_t> out(input.size());
  timeEach(state, [] {}, [&] { blurAndWeightedAdd(input.data(), out.data(), side, 192); });
}

void BM_HsvRoundTrip(benchmark::State& state) {
  const int side = static_cast<int>(state.range(0));
  const std::vector<std::uint32_t> input = testPicture(side);
  std::vector<std::uint32_t> plane(input.size());
  timeEach(state, [&] { std::copy(input.begin(), input.end(), plane.begin()); },
           [&] { hsvRoundTrip(plane.data(), side * side); });
}

#define MOTTLER_BASELINE(fn, title)                                         \
  BENCHMARK(fn)->Name(title)->Arg(256)->Arg(2048)->UseManualTime()->Unit( \
      benchmark::kMillisecond)
MOTTLER_BASELINE(BM_MaskMultiply, "Baseline/MaskMultiply");
MOTTLER_BASELINE(BM_BilinearRemap, "Baseline/BilinearRemap");
MOTTLER_BASELINE(BM_LinearResize, "Baseline/LinearResize");
MOTTLER_BASELINE(BM_BlurWeightedAdd, "Baseline/Blur3x3WeightedAdd");
MOTTLER_BASELINE(BM_HsvRoundTrip, "Baseline/HsvRoundTrip");

// The commands the yardsticks stand for, on the portable path, on the same
// picture; at 2048 the 256 x 256 design at scale 8.
ProgramEntry entryOf(const std::string& line) {
  ProgramDocument doc;
  std::string why;
  if (!parseProgramText("size 256 256\n" + line + "\n", doc, &why) || doc.entries.size() != 1) {
    std::fprintf(stderr, "bad benchmark entry \"%s\": %s\n", line.c_str(), why.c_str());
    std::exit(1);
  }
  return doc.entries[0];
}

void commandRow(benchmark::State& state, const std::string& line) {
  const int side = static_cast<int>(state.range(0));
  static TextureEngine e;
  e.setScaledSize(kDesignSide, kDesignSide, side / kDesignSide);
  e.wideVectors = false;
  const std::vector<std::uint32_t> input = testPicture(side);
  const ProgramEntry entry = entryOf(line);
  timeEach(state, [&] { std::copy(input.begin(), input.end(), e.texture.data()); },
           [&] { executeCommand(e, entry); });
}

void registerCommandRows() {
  const std::pair<const char*, const char*> rows[] = {
      {"EnviroumentMap", "Enviroument Map:"},
      {"EnviroumentMap/heaviest", "Enviroument Map: 256"},
      {"Glass", "Glass:"},
      {"PerlinNoise", "Perlin Noise:"},
      {"PerlinNoise/heaviest", "Perlin Noise: 0 4 4"},
      {"UnsharpMask", "Unsharp Mask:"},
      {"HSV", "HSV:"},
      {"HSV/heaviest", "HSV: 360 200 200"},
  };
  for (const auto& [name, line] : rows)
    benchmark::RegisterBenchmark((std::string("Command/") + name).c_str(),
                                 [l = std::string(line)](benchmark::State& s) { commandRow(s, l); })
        ->Arg(256)
        ->Arg(2048)
        ->UseManualTime()
        ->Unit(benchmark::kMillisecond);
}

const int kRegistered = (registerCommandRows(), 0);

}  // namespace
