// Generators that fill the whole texture with a field of colour:
// "Plasma", "Sine Plasma", "Perlin Noise", "Noise" and "Enviroument Map".
// Their rules, written literally, are in reference/generators_fields.cpp;
// the versions here compute the same bits faster.  A cancelled run stops
// them between rows (of pixels or blocks; "Plasma" between the larger
// rectangles of its subdivision, "Enviroument Map" between bands of rows).
#include <algorithm>
#include <array>
#include <cmath>
#include <cstdint>

#include "engine/arithmetic.h"
#include "engine/band_pool.h"
#include "engine/commands.h"
#include "engine/exact_maths.h"
#include "engine/executor.h"

namespace mottler {

namespace {

// Low byte of a channel value, as stored into a pixel byte.
std::uint32_t byteOf(long long v) { return static_cast<std::uint32_t>(v) & 0xFFu; }

std::uint32_t grey(std::uint32_t v) { return rgb(v & 0xFFu, v & 0xFFu, v & 0xFFu); }

// ---------------------------------------------------------------- Plasma ---

// Midpoint subdivision over the work plane.  Addresses wrap, so the far
// edges x == width and y == height are column 0 and row 0.  A pixel whose
// byte 0 is 0 is still unset.
class PlasmaSubdivision {
 public:
  PlasmaSubdivision(TextureEngine& e, int roughness, int maxHeight)
      : plane_(e.workPlane.data()),
        width_(e.width),
        height_(e.height),
        roughness_(roughness),
        maxHeight_(maxHeight),
        scale_(e.scale),
        random_(e.random),
        cancel_(e.cancel) {}

  static bool needsWork(int x1, int y1, int x2, int y2) { return x2 - x1 >= 2 || y2 - y1 >= 2; }

  void subdivide(int x1, int y1, int x2, int y2) {
    // A cancelled run stops here in rectangles of a few thousand pixels
    // (a small share of the work each), so a large texture stops promptly.
    if (stopped_) return;
    if (1LL * (x2 - x1) * (y2 - y1) >= kPixelsBetweenChecks && cancel_.requested()) {
      stopped_ = true;  // every rectangle still open returns without asking again
      return;
    }
    while (needsWork(x1, y1, x2, y2)) {
      const int mx = (x1 + x2) / 2;
      const int my = (y1 + y2) / 2;
      const int dx = std::abs(x2 - x1);
      const int dy = std::abs(y2 - y1);
      if (x2 - x1 >= 2 && y2 - y1 >= 2) {
        // mx and my lie strictly inside, so none of the five points written
        // is a corner (not even where x2 == width wraps to column 0): the
        // corners are read once.
        const int c11 = value(x1, y1), c21 = value(x2, y1), c22 = value(x2, y2),
                  c12 = value(x1, y2);
        if (isUnset(mx, y1)) edgeValue(mx, y1, dx, c11, c21);  // top
        if (isUnset(x2, my)) edgeValue(x2, my, dy, c21, c22);  // right
        if (isUnset(mx, y2)) edgeValue(mx, y2, dx, c12, c22);  // bottom
        if (isUnset(x1, my)) edgeValue(x1, my, dy, c11, c12);  // left
        std::uint32_t& centre = pixel(mx, my);
        if ((centre & 0xFFu) == 0)
          centre = grey(static_cast<std::uint32_t>((c11 + c21 + c22 + c12) / 4));
      } else {
        // A cell one pixel wide or high: its points may be its corners.
        if (isUnset(mx, y1)) edgeValue(mx, y1, dx, value(x1, y1), value(x2, y1));  // top
        if (isUnset(x2, my)) edgeValue(x2, my, dy, value(x2, y1), value(x2, y2));  // right
        if (isUnset(mx, y2)) edgeValue(mx, y2, dx, value(x1, y2), value(x2, y2));  // bottom
        if (isUnset(x1, my)) edgeValue(x1, my, dy, value(x1, y1), value(x1, y2));  // left
        if (isUnset(mx, my)) {
          const int sum = value(x1, y1) + value(x2, y1) + value(x2, y2) + value(x1, y2);
          pixel(mx, my) = grey(static_cast<std::uint32_t>(sum / 4));
        }
      }
      // A quarter less than two pixels wide and high has nothing to do:
      // it is not entered at all (most quarters are such leaves).
      if (needsWork(x1, y1, mx, my)) subdivide(x1, y1, mx, my);  // top-left
      if (needsWork(mx, y1, x2, my)) subdivide(mx, y1, x2, my);  // top-right
      if (needsWork(x1, my, mx, y2)) subdivide(x1, my, mx, y2);  // bottom-left
      x1 = mx;                                                   // bottom-right: continue here
      y1 = my;
    }
  }

 private:
  std::uint32_t& pixel(int x, int y) {
    // Coordinates run 0..width and 0..height: only the far edge wraps.
    const int cx = x >= width_ ? x - width_ : x;
    const int cy = y >= height_ ? y - height_ : y;
    return plane_[static_cast<std::size_t>(cy) * width_ + cx];
  }
  int value(int x, int y) { return static_cast<int>(pixel(x, y) & 0xFFu); }
  bool isUnset(int x, int y) { return (pixel(x, y) & 0xFFu) == 0; }

  // One draw: k = -5..4; v = (d * k * roughness + 100 * (a + b)) / 200,
  // held within 1..maxHeight.  At a scale s the edge d is measured in
  // pixels of the design: v = (d * k * roughness + 100 * s * (a + b)) / (200 * s).
  // Edges of at most two design pixels (the design's last step, d = 2s,
  // and the finer steps the design does not have) draw a displacement twice
  // as wide, so that the mean of a design pixel's block, which also takes in
  // its neighbours' points, varies as much as the design's pixel: k becomes
  // 2k + 1/2 on the last step (the design's mean kept) and 2k + 1 below it
  // (mean zero, so the added steps do not darken the heights).
  void edgeValue(int x, int y, int d, int a, int b) {
    const long long k = random_.next() % 10 - 5;
    long long v;
    if (scale_ > 1 && d <= 2 * scale_) {
      const long long twiceK = d > scale_ ? 4 * k + 1 : 4 * k + 2;  // 2 x (2k + 1/2), 2 x (2k + 1)
      v = (d * twiceK * roughness_ + 200LL * scale_ * (a + b)) / (400LL * scale_);
    } else {
      v = (d * k * roughness_ + 100LL * scale_ * (a + b)) / (200LL * scale_);
    }
    if (v < 1) v = 1;
    if (v >= maxHeight_) v = maxHeight_;
    pixel(x, y) = grey(byteOf(v));
  }

  std::uint32_t* plane_;
  int width_;
  int height_;
  long long roughness_;
  int maxHeight_;
  long long scale_;
  RandomState& random_;
  CancelCheck& cancel_;
  bool stopped_ = false;
  static constexpr long long kPixelsBetweenChecks = 1 << 12;
};

// ------------------------------------------------------------ Perlin Noise ---

constexpr int kLatticeSide = 66;

struct LatticePoint {
  std::uint8_t blue = 0, green = 0, red = 0;
};

// The cosine weight (1 - cos(pi * i / n)) * 0.5 of position i in a cell n
// pixels long.
double cosineWeight(int i, int n) { return (1.0 - exactCos(kPi * i / n)) * 0.5; }

// How the texture is cut into cells along one side: count cells of `cell`
// pixels from 0, the last widened to reach the edge when the side is not a
// whole number of cells.
struct CellSpan {
  int count, cell, side;
  bool widen;
  CellSpan(int side_, int cell_, int maxCount)
      : count(std::min(side_ / cell_, maxCount)),
        cell(cell_),
        side(side_),
        widen(static_cast<double>(side_) / cell_ != count) {}
  int start(int i) const { return i * cell; }
  int length(int i) const {
    const int x0 = start(i);
    return (widen && x0 + 2LL * cell >= side) ? side - x0 : cell;
  }
  // Where the last cell ends: the side, unless there are no cells or more
  // than the lattice holds.
  int end() const { return count == 0 ? 0 : start(count - 1) + length(count - 1); }
};

// The horizontal weights s and 1 - s of every column of a row of cells.
void columnWeights(const CellSpan& span, double* s, double* rest) {
  for (int ci = 0; ci < span.count; ++ci) {
    const int x0 = span.start(ci), cw = span.length(ci);
    if (ci > 0 && cw == span.length(ci - 1)) {
      std::copy_n(s + span.start(ci - 1), cw, s + x0);  // the same weights again
    } else {
      for (int u = 0; u < cw; ++u) s[x0 + u] = cosineWeight(u, cw);
    }
    for (int u = 0; u < cw; ++u) rest[x0 + u] = 1.0 - s[x0 + u];
  }
}

// One row of one cell: each channel truncate((1 - s) * left + s * right),
// with left[c] = sides[c] and right[c] = sides[3 + c].
void interpolateColumns(std::uint32_t* row, const double* s, const double* rest, int from, int to,
                        const double* sides) {
  const double lb = sides[0], lg = sides[1], lr = sides[2];
  const double rb = sides[3], rg = sides[4], rr = sides[5];
  for (int x = from; x < to; ++x) {
    const auto mix = [&](double left, double right) {
      return byteOf(static_cast<int>(rest[x] * left + s[x] * right));
    };
    row[x] = rgb(mix(lb, rb), mix(lg, rg), mix(lr, rr));
  }
}

}  // namespace

// "Plasma": midpoint-subdivision heights from a private sequence seeded with
// "Variant", tinted by the masks (x * mask / 255).
void Plasma::run(TextureEngine& e, const ProgramEntry& entry) {
  if (entry.disabled) return;
  const RandomState saved = e.random;
  e.random.seed(entry.param[Variant]);
  e.clear(e.workPlane);

  const int W = e.width;
  const int H = e.height;
  const int maxHeight = entry.param[MaximumHeight];
  const auto seedPoint = [&](int x, int y) {
    e.at(e.workPlane, x, y) = grey(byteOf(e.random.next() % maxHeight));
  };
  seedPoint(0, 0);
  seedPoint(W / 2, H / 2);
  seedPoint((W / 2 + W / 4) % W, (H / 2 + H / 4) % H);

  PlasmaSubdivision(e, entry.param[Roughness], maxHeight).subdivide(0, 0, W, H);
  if (e.cancel.raisedNow()) return;  // the subdivision asked (or was too small to)

  // Masks: channel * mask / 255, looked up per channel value.  Every pixel
  // of the heights is grey (written through grey() or cleared), so one
  // table of whole tinted pixels, indexed by byte 0, does all three.
  const long long red = entry.param[RedMask], green = entry.param[GreenMask],
                  blue = entry.param[BlueMask];
  std::array<std::uint32_t, 256> tint;
  for (std::size_t v = 0; v < 256; ++v) {
    const long long h = static_cast<long long>(v);
    tint[v] = byteOf(h * blue / 255) | byteOf(h * green / 255) << 8 | byteOf(h * red / 255) << 16;
  }
  std::uint32_t* p = e.workPlane.data();
  for (int i = 0, n = e.pixelCount; i < n; ++i) p[i] = tint[channel(p[i], 0)];

  // At a scale the heights are laid half a design pixel off, so that the
  // subdivision's points on the design's grid fall in the middle of the
  // design pixels' blocks rather than on their corners.
  ProgramEntry laid = entry;
  laid.offsetX += e.scale / 2;
  laid.offsetY += e.scale / 2;
  blendLayer(e, e.workPlane, laid);
  e.random = saved;
}

// "Sine Plasma": (X[x] + Y[y]) / 2 with X[i] = (sin(i * sx) + 1) * cx and
// Y[i] = (cos(i * sy) + 1) * cy, the angles accumulated step by step; masks
// scale by mask / 256.
void SinePlasma::run(TextureEngine& e, const ProgramEntry& entry) {
  if (entry.disabled) return;
  e.clear(e.workPlane);

  const int W = e.width;
  const int H = e.height;
  const double sx = 2.0 * kPi / (static_cast<double>(W) / entry.param[XPeriod]);
  const double sy = 2.0 * kPi / (static_cast<double>(H) / entry.param[YPeriod]);
  const double cx = entry.param[XCoefficient];
  const double cy = entry.param[YCoefficient];
  // 256 entries at least, and one per column and row of larger textures.
  std::array<long long, kMaxScaledSide> tx{};
  std::array<long long, kMaxScaledSide> ty{};
  const std::size_t entries =
      static_cast<std::size_t>(std::clamp(std::max(W, H), 256, kMaxScaledSide));
  double ax = 0.0;
  double ay = 0.0;
  for (std::size_t i = 0; i < entries; ++i) {
    tx[i] = static_cast<long long>((exactSin(ax) + 1.0) * cx);
    ty[i] = static_cast<long long>((exactCos(ay) + 1.0) * cy);
    ax += sx;
    ay += sy;
  }

  const long long red = entry.param[RedMask], green = entry.param[GreenMask],
                  blue = entry.param[BlueMask];
  for (int y = 0; y < H; ++y) {
    if (e.cancel.requested()) return;
    std::uint32_t* row = e.workPlane.row(y, W);
    const long long yv = ty[static_cast<std::size_t>(y) % entries];
    for (int x = 0; x < W; ++x) {
      const long long v =
          std::clamp((tx[static_cast<std::size_t>(x) % entries] + yv) / 2, 0LL, 255LL);
      row[x] = rgb(byteOf((v * blue) >> 8), byteOf((v * green) >> 8), byteOf((v * red) >> 8));
    }
  }

  blendLayer(e, e.workPlane, entry);
}

// "Perlin Noise": one octave of value noise.  A 66 x 66 lattice of random
// colours from a private sequence seeded with "Variant" (every point drawn
// whatever the cell counts; the column nx and the row ny repeat column 0 and
// row 0 so the result tiles), interpolated cell by cell with cosine weights;
// corners and the left/right sums are single precision.
void PerlinNoise::run(TextureEngine& e, const ProgramEntry& entry) {
  if (entry.disabled) return;
  const RandomState saved = e.random;
  e.random.seed(entry.param[Variant]);

  const int W = e.width;
  const int H = e.height;
  // The lattice cells in each direction; where W (H) is not a whole number
  // of cells the last one is widened to reach the edge.  The lattice holds
  // at most 65 cells a side; only textures far larger than the
  // application's would ask for more.
  const CellSpan across(W, entry.param[Width], kLatticeSide - 1);
  const CellSpan down(H, entry.param[Height], kLatticeSide - 1);
  const int nx = across.count;
  const int ny = down.count;
  // The cells write every pixel they cover: the layer needs clearing only
  // where they leave some uncovered.
  if (across.end() != W || down.end() != H) e.clear(e.workPlane);
  const int redMask = entry.param[RedMask], greenMask = entry.param[GreenMask],
            blueMask = entry.param[BlueMask];

  LatticePoint lattice[kLatticeSide][kLatticeSide];  // [row j][column i]
  for (int j = 0; j < kLatticeSide; ++j) {
    for (int i = 0; i < kLatticeSide; ++i) {
      int blue, green, red;
      if (entry.fixedColors) {
        const int k = e.random.next() % 255;
        blue = std::max(0, blueMask - k);
        green = std::max(0, greenMask - k);
        red = std::max(0, redMask - k);
      } else {
        blue = randomChannel(e.random, blueMask);
        green = randomChannel(e.random, greenMask);
        red = randomChannel(e.random, redMask);
      }
      // Column nx repeats column 0 (its draws are made all the same).
      if (i == nx) continue;
      LatticePoint& p = lattice[j][i];
      p.blue = static_cast<std::uint8_t>(blue);
      p.green = static_cast<std::uint8_t>(green);
      p.red = static_cast<std::uint8_t>(red);
    }
    if (nx < kLatticeSide) lattice[j][nx] = lattice[j][0];
    if (j == ny)
      for (int m = 0; m <= nx; ++m) lattice[ny][m] = lattice[0][m];
  }

  // The horizontal weights are the same for every row: worked out once.
  std::array<double, kMaxScaledSide> s, rest;
  columnWeights(across, s.data(), rest.data());
  // Per row of cells, the lattice rows above and below it as reals, three
  // channels per point; per pixel row, the vertical mix of each lattice
  // column (single precision), which is the left side of one cell and the
  // right side of the cell before it.
  std::array<double, kLatticeSide * 3> above, below, mixed;
  const auto channelsOf = [&](int j, std::array<double, kLatticeSide * 3>& out) {
    for (int i = 0; i <= nx; ++i) {
      const LatticePoint& p = lattice[j][i];
      out[3 * i] = p.blue;
      out[3 * i + 1] = p.green;
      out[3 * i + 2] = p.red;
    }
  };
  const int points = 3 * (nx + 1);
  for (int cj = 0; cj < down.count; ++cj) {
    const int y0 = down.start(cj), ch = down.length(cj);
    channelsOf(cj, above);
    channelsOf(cj + 1, below);
    for (int v = 0; v < ch; ++v) {
      if (e.cancel.requested()) return;
      const double t = cosineWeight(v, ch);
      for (int k = 0; k < points; ++k)
        mixed[k] = static_cast<float>((1.0 - t) * above[k] + t * below[k]);
      std::uint32_t* row = e.workPlane.row(y0 + v, W);
      for (int ci = 0; ci < across.count; ++ci) {
        const int x0 = across.start(ci);
        interpolateColumns(row, s.data(), rest.data(), x0, x0 + across.length(ci), &mixed[3 * ci]);
      }
    }
  }

  e.random = saved;
  blendLayer(e, e.workPlane, entry);
}

// "Noise": blocks of random colour from the shared sequence, clipped at the
// right and bottom edges.  A disabled entry makes the same draws, paints
// nothing and still blends.
void Noise::run(TextureEngine& e, const ProgramEntry& entry) {
  e.clear(e.workPlane);

  const int W = e.width;
  const int H = e.height;
  const int blockW = entry.param[Width];
  const int blockH = entry.param[Height];
  const int redMask = entry.param[RedMask], greenMask = entry.param[GreenMask],
            blueMask = entry.param[BlueMask];
  const int level = entry.param[BrightnessLevel];
  const double q = static_cast<double>(static_cast<float>(1.0 / 255.0));
  const double f = level * q;
  const bool paint = !entry.disabled;

  // Without "Fixed Colors" a channel is c(r mod 255) for a draw r, with
  // c(m) = byteOf(truncate(max(0, m + mask - 255) * f)): 255 values per
  // channel, computed once.  The three states of a block come straight from
  // the state before it (RandomLeap), so the draws do not wait on each other.
  std::uint32_t channelOf[3][255];
  if (!entry.fixedColors) {
    const int masks[3] = {blueMask, greenMask, redMask};
    for (int c = 0; c < 3; ++c)
      for (int m = 0; m < 255; ++m) {
        const int v = std::max(0, m + masks[c] - 255);
        channelOf[c][m] = byteOf(static_cast<long long>(v * f)) << (8 * c);
      }
  }
  constexpr RandomLeap leap1(1), leap2(2), leap3(3);

  for (int y0 = 0; y0 < H; y0 += blockH) {
    if (e.cancel.requested()) return;
    if (!entry.fixedColors && blockW == 1 && blockH == 1) {
      // One pixel per block: a row of blocks is a row of pixels.
      std::uint32_t* row = e.workPlane.row(y0, W);
      std::uint32_t state = static_cast<std::uint32_t>(e.random.state);
      for (int x = 0; x < W; ++x) {
        const std::uint32_t s1 = leap1(state), s2 = leap2(state), s3 = leap3(state);
        const std::uint32_t colour = channelOf[0][RandomLeap::output(s1) % 255] |
                                     channelOf[1][RandomLeap::output(s2) % 255] |
                                     channelOf[2][RandomLeap::output(s3) % 255];
        if (paint) row[x] = colour;
        state = s3;
      }
      e.random.state = static_cast<std::int32_t>(state);
      continue;
    }
    for (int x0 = 0; x0 < W; x0 += blockW) {
      std::uint32_t blue, green, red;
      if (entry.fixedColors) {
        const double g = (e.random.next() % level) * q;
        blue = byteOf(static_cast<long long>(blueMask * g));
        green = byteOf(static_cast<long long>(greenMask * g));
        red = byteOf(static_cast<long long>(redMask * g));
      } else {
        const std::uint32_t state = static_cast<std::uint32_t>(e.random.state);
        const std::uint32_t s1 = leap1(state), s2 = leap2(state), s3 = leap3(state);
        blue = channelOf[0][RandomLeap::output(s1) % 255];
        green = channelOf[1][RandomLeap::output(s2) % 255] >> 8;
        red = channelOf[2][RandomLeap::output(s3) % 255] >> 16;
        e.random.state = static_cast<std::int32_t>(s3);
      }
      if (!paint) continue;
      const std::uint32_t colour = rgb(blue, green, red);
      const int xEnd = std::min(x0 + blockW, W);
      const int yEnd = std::min(y0 + blockH, H);
      for (int y = y0; y < yEnd; ++y) {
        std::uint32_t* row = e.workPlane.row(y, W);
        std::fill(row + x0, row + xEnd, colour);
      }
    }
  }

  blendLayer(e, e.workPlane, entry);
}

// ------------------------------------------------------- Enviroument Map ---

namespace {

// Fall-off of "Enviroument Map" at squared distance r2 from the centre:
// 0.95 * exp(-k * d) + 0.05 * exp(-0.002 * d * d), at most 1, with d in
// pixels of the design (the distance divided by the scale).
double falloff(double k, long long r2, int scale) {
  const double d = std::sqrt(static_cast<double>(r2)) / scale;
  const double f = 0.95 * exactExp(-k * d) + 0.05 * exactExp(-0.002 * d * d);
  return f > 1.0 ? 1.0 : f;
}

// The fall-off depends on |dx| and |dy| alone, and symmetrically, so it is
// kept once per pair lo <= hi: row lo of the pairs holds hi = lo..maxHi.
// Distances from the centre run to maxA = H / 2 vertically and maxB = W / 2
// horizontally, so lo <= min(maxA, maxB) and hi <= max(maxA, maxB).
class FalloffPairs {
 public:
  FalloffPairs(int maxA, int maxB) : maxLo_(std::min(maxA, maxB)), maxHi_(std::max(maxA, maxB)) {}

  std::size_t count() const { return rowStart(maxLo_ + 1); }
  // Where the value of the pair (lo, hi), lo <= hi, is kept.
  std::size_t at(int lo, int hi) const { return rowStart(lo) + static_cast<std::size_t>(hi - lo); }
  int maxLo() const { return maxLo_; }
  int maxHi() const { return maxHi_; }

 private:
  std::size_t rowStart(int lo) const {
    const std::size_t l = static_cast<std::size_t>(lo);
    return l * static_cast<std::size_t>(maxHi_ + 1) - l * (l - 1) / 2;
  }
  int maxLo_;
  int maxHi_;
};

using Falloff = TextureEngine::Falloff;

// Fills the pairs for the radius and the scale unless they hold them
// already (same size, scale and radius as the run before).  Rows of pairs
// are shared out over the engine's threads; every value is computed on its
// own, so the bits do not depend on who computes it.
void preparePairs(TextureEngine& e, Falloff& store, const FalloffPairs& pairs, double k) {
  const int maxA = e.height / 2, maxB = e.width / 2;
  if (store.maxA == maxA && store.maxB == maxB && store.scale == e.scale && store.k == k) return;
  store.maxA = -1;  // incomplete until every row is made
  double* values = store.values.data();
  const int scale = e.scale;
  auto makeRows = [&](int, int band) {
    constexpr int kRowsPerBand = 16;
    const int end = std::min(pairs.maxLo() + 1, (band + 1) * kRowsPerBand);
    for (int lo = band * kRowsPerBand; lo < end; ++lo) {
      if (e.cancel.raisedNow()) return;
      double* row = values + pairs.at(lo, lo);
      for (int hi = lo; hi <= pairs.maxHi(); ++hi)
        row[hi - lo] = falloff(k, 1LL * lo * lo + 1LL * hi * hi, scale);
    }
  };
  const int bands = (pairs.maxLo() + 16) / 16;
  if (e.pool)
    e.pool->forEach(bands, makeRows);
  else
    for (int band = 0; band < bands; ++band) makeRows(0, band);
  if (e.cancel.raisedNow()) return;
  store.k = k;
  store.scale = scale;
  store.maxB = maxB;
  store.maxA = maxA;
}

// The fall-off of rows |dy| = a0 .. a0 + count - 1 in pixel order, one row
// of W values each: column x has |dx| = |x - W/2|.  Pairs with |dx| >= a
// are read along their row; those with |dx| < a down the rows, a band's
// worth of a at a time, so that each row of pairs is visited once per band
// rather than once per texture row.
template <class Value>
void gatherBand(const double* values, const FalloffPairs& pairs, int a0, int count, int width,
                Value* band) {
  const int centre =
      width / 2;  // the largest |dx|; columns centre + b and centre - b have |dx| = b
  const int rightEnd = width - 1 - centre;  // the largest b right of the centre
  for (int r = 0; r < count; ++r) {
    const int a = a0 + r;
    if (a > centre) continue;
    Value* row = band + static_cast<std::size_t>(r) * width;
    const double* along = values + pairs.at(a, a);  // b = a, a + 1, ...
    if (a <= rightEnd) std::copy_n(along, rightEnd - a + 1, row + centre + a);
    for (int b = std::max(a, 1); b <= centre; ++b) row[centre - b] = along[b - a];
  }
  // The rows of pairs lie far apart, each read for a cache line or two:
  // asking for rows a few ahead keeps the memory busy rather than waiting.
  constexpr int kAhead = 16;
  const int below = std::min(a0 + count - 1, centre + 1);
  for (int b = 0; b < below; ++b) {
    if (b + kAhead < below) __builtin_prefetch(values + pairs.at(b + kAhead, a0 + count - 1));
    const int first = std::max(a0, b + 1);
    const double* down = values + pairs.at(b, first);  // a = first, first + 1, ...
    for (int a = first; a < a0 + count; ++a) {
      double* row = band + static_cast<std::size_t>(a - a0) * width;
      const double f = *down++;
      if (b <= rightEnd) row[centre + b] = f;
      row[centre - b] = f;
    }
  }
}

// truncate(channel * f * mask * (1/256)) for each channel of one pixel.
// The last factor is a power of two and the product lies in 0..65025, so
// the truncation is the integer part shifted right by 8.
struct Darkening {
  double blue, green, red;
  std::uint32_t operator()(std::uint32_t p, double f) const {
    const auto scaled = [&](int c, double mask) {
      const double v = static_cast<double>(channel(p, c)) * f * mask;
      return (static_cast<std::uint32_t>(static_cast<std::int32_t>(v)) >> 8) << (8 * c);
    };
    return (p & 0xFF000000u) | scaled(0, blue) | scaled(1, green) | scaled(2, red);
  }
};

// A texture row darkened by the fall-off of each of its columns.
template <class Value>
void darkenRow(std::uint32_t* row, const Value* f, int width, const Darkening& darken) {
  for (int x = 0; x < width; ++x) row[x] = darken(row[x], f[x]);
}

// A value of the fall-off kept in the filters' scratch, which is words of
// another type.
typedef double ScratchValue __attribute__((may_alias));

// At a scale, from kBandedFromPixels up, the bands of rows go to the
// engine's threads, each gathering into its own scratch (the filters', at
// least four rows wide; every band writes only its own rows, and the values
// are copies, so the bits are the same).  False where the caller darkens
// the texture itself.
template <class DarkenBand>
bool darkenOnThreads(TextureEngine& e, DarkenBand& darkenBand) {
  if (!e.pool || e.pixelCount < kBandedFromPixels ||
      e.filterScratch.size() != static_cast<std::size_t>(e.threads()))
    return false;
  std::size_t words = e.filterScratch.front().size();
  for (const std::vector<std::uint64_t>& scratch : e.filterScratch)
    words = std::min(words, scratch.size());
  const int rows = static_cast<int>(
      std::min<std::size_t>(Falloff::kBandRows, words / static_cast<std::size_t>(e.width)));
  if (rows < 1) return false;
  const int half = e.height / 2;
  auto band = [&](int worker, int index) {
    if (e.cancel.requestedInBand()) return;
    const int a0 = index * rows;
    darkenBand(
        a0, std::min(rows, half + 1 - a0),
        reinterpret_cast<ScratchValue*>(e.filterScratch[static_cast<std::size_t>(worker)].data()));
  };
  e.pool->forEach((half + rows) / rows, band);
  return true;
}

}  // namespace

std::size_t TextureEngine::Falloff::entriesFor(int width, int height) {
  return FalloffPairs(height / 2, width / 2).count() +
         static_cast<std::size_t>(kBandRows) * static_cast<std::size_t>(width);
}

// "Enviroument Map": darkens the texture in place away from its centre,
// channel * f * mask * (1/256).
void EnvironmentMap::run(TextureEngine& e, const ProgramEntry& entry) {
  if (entry.disabled) return;

  const int W = e.width;
  const int H = e.height;
  // The radius of the design: at a scale the distances are divided by it too.
  const double k = 1.0 / (static_cast<double>(entry.param[Radius] / e.scale) + 1.0);
  const double red = entry.param[RedMask], green = entry.param[GreenMask],
               blue = entry.param[BlueMask];

  Falloff& store = e.falloff;
  const FalloffPairs pairs(H / 2, W / 2);
  preparePairs(e, store, pairs, k);
  double* band = store.values.data() + pairs.count();

  // Row y has dy = H/2 - y: the rows H/2 - a and H/2 + a share |dy| = a.
  // The rows |dy| = a0 .. a0 + count - 1 gathered into `into` and darkened.
  const Darkening darken{blue, green, red};
  const auto darkenBand = [&](int a0, int count, auto* into) {
    gatherBand(store.values.data(), pairs, a0, count, W, into);
    for (int r = 0; r < count; ++r) {
      const int a = a0 + r;
      const auto* f = into + static_cast<std::size_t>(r) * W;
      darkenRow(e.texture.row(H / 2 - a, W), f, W, darken);
      if (a > 0 && H / 2 + a < H) darkenRow(e.texture.row(H / 2 + a, W), f, W, darken);
    }
  };
  if (darkenOnThreads(e, darkenBand)) return;
  for (int a0 = 0; a0 <= H / 2; a0 += Falloff::kBandRows) {
    if (e.cancel.requested()) return;
    darkenBand(a0, std::min(Falloff::kBandRows, H / 2 + 1 - a0), band);
  }
}

}  // namespace mottler
