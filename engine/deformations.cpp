// Deformations that move the texture's pixels: "Twirl", "Sine Distortion",
// "Distortion by Buffer", "Divider", "Carpet" and "Glass".
//
// Each copies the texture (or, for "Carpet", one block of it) into the work
// plane and then writes every texture pixel from a source position in that
// copy.  None of them blends: method, offsets and "Fixed Colors" are ignored.
// A disabled entry does nothing at all.  A cancelled run stops them between
// rows ("Glass" also after its draws and between its smoothing passes).
// At large sizes the per-pixel reads of "Twirl", "Sine Distortion" and the
// scaled displacement of "Distortion by Buffer" and "Glass" are shared out
// over the engine's threads in bands: every pixel is read from the copy on
// its own, so the bits are the same however the bands fall.
// At a scale above 1 they keep the design's pixel-sized detail by the rule
// in the section "at a scale s above 1" below.  The rules, written
// literally, are in reference/deformations.cpp.
#include <algorithm>
#include <cmath>
#include <cstdint>
#include <cstring>

#include "engine/arithmetic.h"
#include "engine/band_pool.h"
#include "engine/commands.h"
#include "engine/engine_state.h"
#include "engine/exact_maths.h"

namespace mottler {

namespace {

void copyTextureToWork(TextureEngine& e) {
  std::memcpy(e.workPlane.data(), e.texture.data(), static_cast<std::size_t>(e.pixelCount) * 4);
}

// Runs job(index) for every index 0..count-1, each asking first whether
// the run is cancelled: on the engine's threads from kBandedFromPixels up,
// else in order on this one.  Jobs must write disjoint pixels.
template <class Job>
void shareOut(TextureEngine& e, int count, Job job) {
  auto checked = [&](int, int index) {
    if (!e.cancel.requestedInBand()) job(index);
  };
  if (!e.pool || e.pixelCount < kBandedFromPixels) {
    for (int index = 0; index < count; ++index) checked(0, index);
    return;
  }
  e.pool->forEach(count, checked);
}

// Every pixel turned by the "Twirl" rule at the texture's own size.
void twirlEveryPixel(TextureEngine& e, int angle) {
  const int w = e.width;
  const int h = e.height;
  copyTextureToWork(e);
  const int cx = w / 2;
  const int cy = h / 2;
  const int r = std::min(cx, cy);
  // R = 0 (width or height 1): only the centre is inside and it has no
  // offset to turn, so nothing moves.
  if (r < 1) return;
  const double radius = static_cast<double>(r);
  const double k = -static_cast<double>(angle) * (2.0 * kPi / 120.0);
  const std::uint32_t* src = e.workPlane.data();
  std::uint32_t* dst = e.texture.data();

  // Writes the up to four pixels at offsets (+-adx, +-ady) turned by the
  // angle whose cosine and sine are c and s.
  auto turn = [&](int adx, int ady, double c, double s) {
    for (int sgy = 0; sgy < 2; ++sgy) {
      if (sgy == 1 && ady == 0) break;
      const int dy = sgy ? -ady : ady;
      const int y = cy + dy;
      if (y < 0 || y >= h) continue;
      for (int sgx = 0; sgx < 2; ++sgx) {
        if (sgx == 1 && adx == 0) break;
        const int dx = sgx ? -adx : adx;
        const int x = cx + dx;
        if (x < 0 || x >= w) continue;
        const double rx = static_cast<double>(dx) * c - static_cast<double>(dy) * s;
        const double ry = static_cast<double>(dx) * s + static_cast<double>(dy) * c;
        const int sx = wrap(cx + static_cast<int>(rx), w);
        const int sy = wrap(cy + static_cast<int>(ry), h);
        dst[static_cast<std::size_t>(y) * w + x] = src[static_cast<std::size_t>(sy) * w + sx];
      }
    }
  };
  // theta depends on d only, the same for (adx, ady) and (ady, adx).  Each
  // pixel is written once, for its own (adx, ady): bands of ady share out.
  constexpr int kBandRows = 8;
  shareOut(e, r / kBandRows + 1, [&](int index) {
    for (int ady = index * kBandRows; ady <= std::min(r, index * kBandRows + kBandRows - 1); ++ady)
      for (int adx = ady; adx <= r; ++adx) {
        const double d = std::sqrt(static_cast<double>(adx * adx + ady * ady));
        if (d > radius) break;  // d grows with adx
        const double f = (radius - d) / radius;
        const double q = f * f;
        const double theta = k * q;
        const double c = exactCos(theta);
        const double s = exactSin(theta);
        turn(adx, ady, c, s);
        if (adx != ady) turn(ady, adx, c, s);
      }
  });
}

// The shift table of "Distortion by Buffer":
//   table[i] = a + truncate(a * sin(pi * i / (257 - Turbulence))),  a = Amplitude / 2.
void buildShiftTable(int* table, int amplitude, int turbulence) {
  const int a = amplitude / 2;
  const double dv = static_cast<double>(257 - turbulence);
  for (int i = 0; i < 256; ++i) {
    const double v = static_cast<double>(a) * exactSin(kPi * static_cast<double>(i) / dv);
    table[i] = a + static_cast<int>(v);
  }
}

// --------------------------------------------------- at a scale s above 1 ---
//
// A deformation at the design size reads every pixel from one pixel of the
// copy.  Where it reads neighbouring pixels from pixels that are not
// neighbours (more than kSkip apart), it skips the detail between them: its
// picture there takes one sample per design pixel from far-apart places.  A
// smooth per-pixel rule at the scale would show all that detail, shrunk,
// and so look softer than the design.  There the scaled run works out the
// design's source of the design pixel and moves the whole s x s block from
// s times that source: each design pixel keeps its own piece of the picture,
// with the scale's fine detail inside it.  Elsewhere the displacement stays
// smooth from pixel to pixel.

constexpr int kMaxDesignSide = kMaxScaledSide / 2;  // at scales of 2 and more
constexpr int kSkip = 1;

struct DesignPoint {
  int x = 0, y = 0;
};

// The pixel that a shifted coordinate v falls in.  The design size
// truncates toward zero, which near the left and top edges, where a
// negative shift makes v negative, reads one pixel nearer the edge than the
// same shift does elsewhere: the last and the first row or column then read
// two pixels apart, a seam of a two-pixel step.  Scaled runs take the floor
// instead, so that the wrap edge reads neighbours as every other row does
// (at a scale the picture is smooth over a few pixels and that step stands
// out from the others).
int shiftedPixel(double v, bool floored) {
  const int t = static_cast<int>(v);
  return floored && v < static_cast<double>(t) ? t - 1 : t;
}

// a - b between two coordinates on a wrapping side, into -side/2 .. side/2.
int wrappedDifference(int a, int b, int side) {
  int d = wrap(a - b, side);
  if (2 * d > side) d -= side;
  return d;
}

// Whether the design reads pixel (x, y) and one of its four neighbours from
// pixels more than kSkip apart in either direction (further than
// neighbours: it skips the pixels between them).  `source(x, y)` gives the
// design's source, wrapped.
template <class DesignSource>
bool designSkipsAt(const DesignSource& source, int x, int y, int w, int h) {
  const DesignPoint at = source(x, y);
  const auto apart = [&](int nx, int ny) {
    const DesignPoint n = source(wrap(nx, w), wrap(ny, h));
    return std::abs(wrappedDifference(n.x, at.x, w)) > kSkip ||
           std::abs(wrappedDifference(n.y, at.y, h)) > kSkip;
  };
  return apart(x + 1, y) || apart(x - 1, y) || apart(x, y + 1) || apart(x, y - 1);
}

// Row j of the s x s block of design pixel (x, y) of the texture, taken from
// row j of the block of design pixel `from` of the work plane.
void moveBlockRow(TextureEngine& e, int x, int y, int j, DesignPoint from) {
  const int s = e.scale;
  const std::uint32_t* in =
      e.workPlane.data() + static_cast<std::size_t>(from.y * s + j) * e.width + from.x * s;
  std::uint32_t* out = e.texture.data() + static_cast<std::size_t>(y * s + j) * e.width + x * s;
  std::memcpy(out, in, static_cast<std::size_t>(s) * 4);
}

// After a per-pixel rule has run at the scale: the blocks of the design
// pixels where the design skips detail, moved whole.
template <class DesignSource>
void moveBlocksWhereTheDesignSkips(TextureEngine& e, const DesignSource& source) {
  const int w = e.designWidth(), h = e.designHeight();
  for (int y = 0; y < h; ++y) {
    if (e.cancel.requested()) return;
    for (int x = 0; x < w; ++x)
      if (designSkipsAt(source, x, y, w, h))
        for (int j = 0; j < e.scale; ++j) moveBlockRow(e, x, y, j, source(x, y));
  }
}

// For the commands whose displacement d = (dx, dy) is worked out per design
// pixel (pixel (x, y) reads (x + dx, y + dy)): where the design skips, the
// block is moved whole by s times the design pixel's displacement;
// elsewhere the displacement is read for every texture pixel at its design
// position, ((x + 0.5) / s - 0.5, (y + 0.5) / s - 0.5), between the four
// nearest design pixels (wrapped) with bilinear weights, and multiplied by
// s; in integers, the weights in 2s-ths and the sum truncated toward zero.
// `displacement(x, y)` gives d of a design pixel.
template <class Displacement>
void displaceByDesignPixels(TextureEngine& e, const Displacement& displacement) {
  const int s = e.scale;
  const int w = e.width, h = e.height;
  const int dw = e.designWidth(), dh = e.designHeight();
  const auto source = [&](int x, int y) {
    const DesignPoint d = displacement(x, y);
    return DesignPoint{wrap(x + d.x, dw), wrap(y + d.y, dh)};
  };
  const int denominator = 2 * s;
  const long long norm = static_cast<long long>(denominator) * denominator;
  // Position of pixel x between design pixels: 2x + 1 - s in 2s-ths.
  const auto locate = [&](int x, int side, int& first, int& second, int& weight) {
    const int at = 2 * x + 1 - s;
    const int whole = at >= 0 ? at / denominator : -((-at + denominator - 1) / denominator);
    weight = at - whole * denominator;  // 0..2s-1: the share of the second point
    first = wrap(whole, side);
    second = first + 1 == side ? 0 : first + 1;
  };
  // Column x's two design columns and the share of the second, once.
  struct Between {
    int first, second, weight;
  };
  Between columns[kMaxScaledSide];
  for (int x = 0; x < w; ++x) locate(x, dw, columns[x].first, columns[x].second, columns[x].weight);
  const std::uint32_t* src = e.workPlane.data();
  std::uint32_t* dst = e.texture.data();
  // A design row's s texture rows at a time, shared out.
  shareOut(e, dh, [&](int designY) {
    bool skips[kMaxDesignSide];
    // Per texture row: every design column's displacement already weighted
    // between the row's two design rows (an exact integer sum; the columns'
    // weights follow per pixel).
    long long acrossX[kMaxDesignSide], acrossY[kMaxDesignSide];
    for (int x = 0; x < dw; ++x) skips[x] = designSkipsAt(source, x, designY, dw, dh);
    for (int j = 0; j < s; ++j) {
      const int y = designY * s + j;
      int r0, r1, wy;
      locate(y, dh, r0, r1, wy);
      for (int x = 0; x < dw; ++x) {
        const DesignPoint upper = displacement(x, r0), lower = displacement(x, r1);
        acrossX[x] = static_cast<long long>(denominator - wy) * upper.x +
                     static_cast<long long>(wy) * lower.x;
        acrossY[x] = static_cast<long long>(denominator - wy) * upper.y +
                     static_cast<long long>(wy) * lower.y;
      }
      std::uint32_t* out = dst + static_cast<std::size_t>(y) * w;
      for (int designX = 0; designX < dw; ++designX) {
        if (skips[designX]) {
          moveBlockRow(e, designX, designY, j, source(designX, designY));
          continue;
        }
        for (int x = designX * s; x < designX * s + s; ++x) {
          const Between c = columns[x];
          const long long sumX =
              (denominator - c.weight) * acrossX[c.first] + c.weight * acrossX[c.second];
          const long long sumY =
              (denominator - c.weight) * acrossY[c.first] + c.weight * acrossY[c.second];
          const int sx = wrap(x + static_cast<int>(sumX * s / norm), w);
          const int sy = wrap(y + static_cast<int>(sumY * s / norm), h);
          const std::uint32_t p = src[static_cast<std::size_t>(sy) * w + sx];
          out[x] = (out[x] & 0xFF000000u) | (p & 0x00FFFFFFu);
        }
      }
    }
  });
}

// "Twirl" at the design size: the source of pixel (x, y).
struct TwirlDesign {
  int w, h, cx, cy, r;
  double k;  // -Angle * 2 pi / 120
  TwirlDesign(int width, int height, int angle)
      : w(width),
        h(height),
        cx(width / 2),
        cy(height / 2),
        r(std::min(cx, cy)),
        k(-static_cast<double>(angle) * (2.0 * kPi / 120.0)) {}
  DesignPoint operator()(int x, int y) const {
    const int dx = x - cx, dy = y - cy;
    const double d = std::sqrt(static_cast<double>(dx * dx + dy * dy));
    if (r < 1 || d > r) return {x, y};
    const double f = (r - d) / r;
    const double theta = k * (f * f);
    const double c = exactCos(theta), s = exactSin(theta);
    return {wrap(cx + static_cast<int>(dx * c - dy * s), w),
            wrap(cy + static_cast<int>(dx * s + dy * c), h)};
  }
};

// "Sine Distortion" at the design size: the sideways shift of every row and
// the vertical shift of every column, the angles accumulated in single
// precision as the run does, and the source of pixel (x, y).
struct SineDesign {
  int w, h;
  double rowShift[kMaxDesignSide];
  double columnShift[kMaxDesignSide];
  SineDesign(int width, int height, const ProgramEntry& entry, int scale) : w(width), h(height) {
    using P = SineDistortion::Param;
    const double fx = static_cast<double>(w) / (2.0 * entry.param[P::XPeriod]);
    const float fy = static_cast<float>(static_cast<double>(h) / (2.0 * entry.param[P::YPeriod]));
    const float rowStep = static_cast<float>(kPi / fx);
    const float columnStep = static_cast<float>(kPi / static_cast<double>(fy));
    float rowAngle = static_cast<float>(kPi * (entry.param[P::YPhase] / scale) / fx);
    float columnAngle =
        static_cast<float>(kPi * (entry.param[P::XPhase] / scale) / static_cast<double>(fy));
    const double xAmplitude = entry.param[P::XAmplitude] / scale;
    const double yAmplitude = entry.param[P::YAmplitude] / scale;
    for (int y = 0; y < h; ++y) {
      rowShift[y] = xAmplitude * exactSin(static_cast<double>(rowAngle));
      rowAngle = static_cast<float>(static_cast<double>(rowAngle) + static_cast<double>(rowStep));
    }
    for (int x = 0; x < w; ++x) {
      columnShift[x] = yAmplitude * exactSin(static_cast<double>(columnAngle));
      columnAngle =
          static_cast<float>(static_cast<double>(columnAngle) + static_cast<double>(columnStep));
    }
  }
  DesignPoint operator()(int x, int y) const {
    return {wrap(shiftedPixel(static_cast<double>(x) + rowShift[y], true), w),
            wrap(shiftedPixel(static_cast<double>(y) + columnShift[x], true), h)};
  }
};

// "Distortion by Buffer" at the design size: the brightness of a design
// pixel of the buffer is that of its s x s block, (sum of red + green +
// blue) / (3 s^2); its two shifts (0..254) are kept as bytes in `shiftX`
// and `shiftY` (design width x height each).
struct BufferDesign {
  int w;
  const std::uint8_t* shiftX;
  const std::uint8_t* shiftY;
  BufferDesign(TextureEngine& e, const ProgramEntry& entry, std::uint8_t* storeX,
               std::uint8_t* storeY)
      : w(e.designWidth()), shiftX(storeX), shiftY(storeY) {
    using P = DistortionByBuffer::Param;
    const int s = e.scale;
    int xTable[256], yTable[256];
    buildShiftTable(xTable, entry.param[P::XAmplitude] / s, entry.param[P::XTurbulence]);
    buildShiftTable(yTable, entry.param[P::YAmplitude] / s, entry.param[P::YTurbulence]);
    for (int y = 0; y < e.designHeight(); ++y)
      for (int x = 0; x < w; ++x) {
        long long sum = 0;
        for (int j = 0; j < s; ++j) {
          const std::uint32_t* row =
              e.buffer.data() + static_cast<std::size_t>(y * s + j) * e.width + x * s;
          for (int i = 0; i < s; ++i)
            sum += channel(row[i], 2) + channel(row[i], 1) + channel(row[i], 0);
        }
        const int l = static_cast<int>(sum / (3LL * s * s));
        const std::size_t at = static_cast<std::size_t>(y) * w + x;
        storeX[at] = static_cast<std::uint8_t>(xTable[l]);
        storeY[at] = static_cast<std::uint8_t>(yTable[l]);
      }
  }
  DesignPoint operator()(int x, int y) const {
    const std::size_t at = static_cast<std::size_t>(y) * w + x;
    return {shiftX[at], shiftY[at]};
  }
};

}  // namespace

// "Twirl": a vortex about (W/2, H/2) with radius R = min(W/2, H/2).  Inside
// the radius the source is the pixel's offset turned by
//   theta = ((-Angle) * (2*pi / 120)) * q,  q = ((R - d) / R) * ((R - d) / R),
// truncated before the centre is added, then wrapped.  Outside the radius
// theta is 0 and the pixel stays.  theta depends only on dx^2 + dy^2, so it
// is computed once for the up to eight pixels (+-dx, +-dy), (+-dy, +-dx).
void Twirl::run(TextureEngine& e, const ProgramEntry& entry) {
  if (entry.disabled) return;
  twirlEveryPixel(e, entry.param[Angle]);
  if (e.scale > 1)
    moveBlocksWhereTheDesignSkips(
        e, TwirlDesign(e.designWidth(), e.designHeight(), entry.param[Angle]));
}

// "Sine Distortion": rows shift sideways by "X Amplitude" * sin(row angle),
// columns up or down by "Y Amplitude" * sin(column angle).  fy, the two
// steps, the two starting angles and the running angles are kept in single
// precision (stored as float, widened to double for every use); fx and all
// arithmetic are double.  The column angle sequence restarts on every row,
// so its shifts are the same for every row and are computed once per column
// (in chunks of up to 256 columns).
void SineDistortion::run(TextureEngine& e, const ProgramEntry& entry) {
  if (entry.disabled) return;
  const int w = e.width;
  const int h = e.height;
  copyTextureToWork(e);
  const double xAmplitude = static_cast<double>(entry.param[XAmplitude]);
  const double yAmplitude = static_cast<double>(entry.param[YAmplitude]);
  const int xPeriod = entry.param[XPeriod];
  const int yPeriod = entry.param[YPeriod];
  const double xPhase = static_cast<double>(entry.param[XPhase]);
  const double yPhase = static_cast<double>(entry.param[YPhase]);

  const double fx = static_cast<double>(w) / (2.0 * static_cast<double>(xPeriod));
  const float fy =
      static_cast<float>(static_cast<double>(h) / (2.0 * static_cast<double>(yPeriod)));
  const float rowStep = static_cast<float>(kPi / fx);
  const float colStep = static_cast<float>(kPi / static_cast<double>(fy));
  const float rowStart = static_cast<float>(kPi * yPhase / fx);
  const float colStart = static_cast<float>(kPi * xPhase / static_cast<double>(fy));

  const std::uint32_t* src = e.workPlane.data();
  std::uint32_t* dst = e.texture.data();
  if (e.scale > 1) {
    // The sides are at most kMaxScaledSide: every row's and every column's
    // shift is kept, in the order the angles run, and bands of rows share
    // out.
    double rowShifts[kMaxScaledSide], columnShifts[kMaxScaledSide];
    float angle = rowStart;
    for (int y = 0; y < h; ++y) {
      rowShifts[y] = xAmplitude * exactSin(static_cast<double>(angle));
      angle = static_cast<float>(static_cast<double>(angle) + static_cast<double>(rowStep));
    }
    angle = colStart;
    for (int x = 0; x < w; ++x) {
      columnShifts[x] = yAmplitude * exactSin(static_cast<double>(angle));
      angle = static_cast<float>(static_cast<double>(angle) + static_cast<double>(colStep));
    }
    constexpr int kBandRows = 32;
    shareOut(e, (h + kBandRows - 1) / kBandRows, [&](int index) {
      for (int y = index * kBandRows; y < std::min(h, index * kBandRows + kBandRows); ++y) {
        std::uint32_t* out = dst + static_cast<std::size_t>(y) * w;
        for (int x = 0; x < w; ++x) {
          const int sy = wrap(shiftedPixel(static_cast<double>(y) + columnShifts[x], true), h);
          const int sx = wrap(shiftedPixel(static_cast<double>(x) + rowShifts[y], true), w);
          out[x] = src[static_cast<std::size_t>(sy) * w + sx];
        }
      }
    });
    const SineDesign design(e.designWidth(), e.designHeight(), entry, e.scale);
    moveBlocksWhereTheDesignSkips(e, design);
    return;
  }
  constexpr int kChunk = 256;
  double yShift[kChunk];
  float colAngle = colStart;
  for (int x0 = 0; x0 < w; x0 += kChunk) {
    const int n = std::min(kChunk, w - x0);
    for (int i = 0; i < n; ++i) {
      yShift[i] = yAmplitude * exactSin(static_cast<double>(colAngle));
      colAngle = static_cast<float>(static_cast<double>(colAngle) + static_cast<double>(colStep));
    }
    float rowAngle = rowStart;
    for (int y = 0; y < h; ++y) {
      if (e.cancel.requested()) return;
      const double xShift = xAmplitude * exactSin(static_cast<double>(rowAngle));
      std::uint32_t* out = dst + static_cast<std::size_t>(y) * w;
      for (int i = 0; i < n; ++i) {
        const int x = x0 + i;
        const int sy = wrap(shiftedPixel(static_cast<double>(y) + yShift[i], false), h);
        const int sx = wrap(shiftedPixel(static_cast<double>(x) + xShift, false), w);
        out[x] = src[static_cast<std::size_t>(sy) * w + sx];
      }
      rowAngle = static_cast<float>(static_cast<double>(rowAngle) + static_cast<double>(rowStep));
    }
  }
}

// "Distortion by Buffer": the brightness L = (r + g + b) / 3 of the buffer
// pixel picks the shift from two byte tables,
//   table[i] = a + truncate(a * sin(pi * i / (257 - Turbulence))),  a = Amplitude / 2,
// and the pixel is read from (x + X table[L], y + Y table[L]) modulo the size.
void DistortionByBuffer::run(TextureEngine& e, const ProgramEntry& entry) {
  if (entry.disabled) return;
  const int w = e.width;
  const int h = e.height;
  copyTextureToWork(e);
  if (e.scale > 1) {
    displaceByDesignPixels(e,
                           BufferDesign(e, entry, reinterpret_cast<std::uint8_t*>(e.fieldX.data()),
                                        reinterpret_cast<std::uint8_t*>(e.fieldY.data())));
    return;
  }

  // 0..Amplitude: bytes at the design size, more at a scale.
  int xTable[256];
  int yTable[256];
  buildShiftTable(xTable, entry.param[XAmplitude], entry.param[XTurbulence]);
  buildShiftTable(yTable, entry.param[YAmplitude], entry.param[YTurbulence]);

  const std::uint32_t* src = e.workPlane.data();
  const std::uint32_t* buf = e.buffer.data();
  std::uint32_t* dst = e.texture.data();
  // A shift lies in 0..2a.  Where that stays below the size, one step back
  // wraps a coordinate, done as a select: the buffer decides it, which a
  // branch would guess badly.
  const bool oneStep =
      2 * (entry.param[XAmplitude] / 2) < w && 2 * (entry.param[YAmplitude] / 2) < h;
  for (int y = 0; y < h; ++y) {
    if (e.cancel.requested()) return;
    const std::uint32_t* in = buf + static_cast<std::size_t>(y) * w;
    std::uint32_t* out = dst + static_cast<std::size_t>(y) * w;
    for (int x = 0; x < w; ++x) {
      const std::uint32_t p = in[x];
      const int l = (channel(p, 2) + channel(p, 1) + channel(p, 0)) / 3;
      int sy = yTable[l] + y;
      int sx = xTable[l] + x;
      if (oneStep) {
        sy -= sy >= h ? h : 0;
        sx -= sx >= w ? w : 0;
      } else {
        sy = wrap(sy, h);
        sx = wrap(sx, w);
      }
      out[x] = src[static_cast<std::size_t>(sy) * w + sx];
    }
  }
}

// "Divider": texture(x, y) = copy((x * n) mod W, (y * n) mod H), n = Amount + 1.
void Divider::run(TextureEngine& e, const ProgramEntry& entry) {
  if (entry.disabled) return;
  const int w = e.width;
  const int h = e.height;
  copyTextureToWork(e);
  const int n = entry.param[Amount] + 1;
  if (e.scale > 1) {
    // Neighbouring pixels read n apart: the design skips detail everywhere.
    const int dw = e.designWidth(), dh = e.designHeight();
    for (int y = 0; y < dh; ++y) {
      if (e.cancel.requested()) return;
      for (int x = 0; x < dw; ++x)
        for (int j = 0; j < e.scale; ++j)
          moveBlockRow(e, x, y, j, DesignPoint{x * n % dw, y * n % dh});
    }
    return;
  }
  // (x * n) mod W advances by n mod W per column.
  const int stepX = wrap(n, w);
  const int stepY = wrap(n, h);
  const std::uint32_t* src = e.workPlane.data();
  std::uint32_t* dst = e.texture.data();
  int sy = 0;
  for (int y = 0; y < h; ++y) {
    if (e.cancel.requested()) return;
    const std::uint32_t* in = src + static_cast<std::size_t>(sy) * w;
    std::uint32_t* out = dst + static_cast<std::size_t>(y) * w;
    int sx = 0;
    for (int x = 0; x < w; ++x) {
      out[x] = in[sx];
      sx += stepX;
      if (sx >= w) sx -= w;
    }
    sy += stepY;
    if (sy >= h) sy -= h;
  }
}

// "Carpet": the block of H/2 rows by (W + 1)/2 columns whose top-left pixel
// is (X Offset, Y Offset + 1) is mirrored into the four corners.  The
// offsets' ranges follow the size (0..W/2 - 1, 0..H/2 - 1), so the block
// lies inside the texture.
void Carpet::run(TextureEngine& e, const ProgramEntry& entry) {
  if (entry.disabled) return;
  const int w = e.width;
  const int h = e.height;
  const int hw = (w + 1) / 2;
  const int hh = h / 2;
  const int ox = entry.param[XOffset];
  const int oy = entry.param[YOffset];

  // The block, packed row after row into the work plane.
  std::uint32_t* block = e.workPlane.data();
  for (int r = 0; r < hh; ++r)
    std::memcpy(block + static_cast<std::size_t>(r) * hw,
                e.texture.data() + static_cast<std::size_t>(oy + 1 + r) * w + ox,
                static_cast<std::size_t>(hw) * 4);

  std::uint32_t* dst = e.texture.data();
  for (int r = 0; r < hh; ++r) {
    std::uint32_t* top = dst + static_cast<std::size_t>(r) * w;
    std::uint32_t* bottom = dst + static_cast<std::size_t>(h - 1 - r) * w;
    const std::uint32_t* in = block + static_cast<std::size_t>(r) * hw;
    for (int c = 0; c < hw; ++c) {
      const std::uint32_t p = in[c];
      top[c] = p;
      top[w - 1 - c] = p;
      bottom[c] = p;
      bottom[w - 1 - c] = p;
    }
  }
}

// "Glass": two random displacement fields (two draws per pixel, row-major,
// X then Y), smoothed "Smoothness" times in place by the mean of the four
// wrapped neighbours, then every pixel takes blue, green and red from the
// copy at (x - X field, y - Y field), wrapped by a full modulo.
//
// At a scale s the fields are those of the design: drawn and smoothed at
// the design size (two draws per design pixel), then read between their
// points bilinearly and multiplied by s for every pixel of the texture.
void Glass::run(TextureEngine& e, const ProgramEntry& entry) {
  if (entry.disabled) return;
  const int scale = e.scale;
  const int w = e.designWidth();
  const int h = e.designHeight();
  const int count = w * h;
  copyTextureToWork(e);

  const int distortion = entry.param[Distortion] / scale;
  const int half = distortion / 2;
  std::int8_t* fx = e.fieldX.data();
  std::int8_t* fy = e.fieldY.data();
  // The draws two pixels at a time: the four states after the current one
  // come straight from it (see RandomLeap), so the generator's chain of
  // multiplications is a quarter as long.  A draw is 0..32767, and the field
  // value of every draw is looked up in a table of 32768 bytes on the
  // stack.  Same numbers, same final state.
  const RandomLeap leap1(1), leap2(2), leap3(3), leap4(4);
  std::uint32_t state = static_cast<std::uint32_t>(e.random.state);
  // half - r mod d repeats every d draws: one period, then doubling copies.
  std::int8_t value[32768];
  for (int r = 0; r < distortion; ++r) value[r] = static_cast<std::int8_t>(half - r);
  for (int filled = distortion; filled < 32768; filled *= 2)
    std::memcpy(value + filled, value, static_cast<std::size_t>(std::min(filled, 32768 - filled)));
  int i = 0;
  for (; i + 2 <= count; i += 2) {
    const std::uint32_t s1 = leap1(state), s2 = leap2(state), s3 = leap3(state), s4 = leap4(state);
    fx[i] = value[RandomLeap::output(s1)];
    fy[i] = value[RandomLeap::output(s2)];
    fx[i + 1] = value[RandomLeap::output(s3)];
    fy[i + 1] = value[RandomLeap::output(s4)];
    state = s4;
  }
  e.random.state = static_cast<std::int32_t>(state);
  for (; i < count; ++i) {
    const int r1 = e.random.next();
    const int r2 = e.random.next();
    fx[i] = static_cast<std::int8_t>(half - r1 % distortion);
    fy[i] = static_cast<std::int8_t>(half - r2 % distortion);
  }

  if (e.cancel.requested()) return;

  // Smoothing, in place, row by row, each pixel left to right: the X field
  // value, then the Y field value.  The new value of the left neighbour is
  // carried in a register; column 0 takes its left neighbour from column
  // W - 1 (still old), column W - 1 its right one from column 0 (already
  // new); row 0 sees row H - 1 still old above, row H - 1 sees row 0 new
  // below.  Every read of a pixel's own old value comes before its write, so
  // widths and heights of 1 and 2 need no special case.
  for (int pass = 0; pass < entry.param[Smoothness]; ++pass) {
    if (e.cancel.requested()) return;
    for (int y = 0; y < h; ++y) {
      const std::size_t rowStart = static_cast<std::size_t>(y) * w;
      const std::size_t aboveStart = static_cast<std::size_t>(y == 0 ? h - 1 : y - 1) * w;
      const std::size_t belowStart = static_cast<std::size_t>(y == h - 1 ? 0 : y + 1) * w;
      std::int8_t* rowX = fx + rowStart;
      std::int8_t* rowY = fy + rowStart;
      const std::int8_t* aboveX = fx + aboveStart;
      const std::int8_t* aboveY = fy + aboveStart;
      const std::int8_t* belowX = fx + belowStart;
      const std::int8_t* belowY = fy + belowStart;
      int leftX = rowX[w - 1];
      int leftY = rowY[w - 1];
      for (int x = 0; x < w; ++x) {
        const int right = x == w - 1 ? 0 : x + 1;
        const int vx = (belowX[x] + aboveX[x] + rowX[right] + leftX) / 4;
        rowX[x] = static_cast<std::int8_t>(vx);
        leftX = vx;
        const int vy = (belowY[x] + aboveY[x] + rowY[right] + leftY) / 4;
        rowY[x] = static_cast<std::int8_t>(vy);
        leftY = vy;
      }
    }
  }

  if (scale > 1) {
    displaceByDesignPixels(e, [&](int x, int y) {
      const std::size_t i = static_cast<std::size_t>(y) * w + x;
      return DesignPoint{-fx[i], -fy[i]};
    });
    return;
  }

  const std::uint32_t* src = e.workPlane.data();
  std::uint32_t* dst = e.texture.data();
  // Field values lie in -128..127: on planes at least 128 wide and high one
  // step of W (H) either way wraps them, done as selects rather than
  // branches (displacements near the edges go either way unpredictably).
  const bool oneStep = w >= 128 && h >= 128;
  for (int y = 0; y < h; ++y) {
    if (e.cancel.requested()) return;
    const std::size_t rowStart = static_cast<std::size_t>(y) * w;
    if (oneStep) {
      for (int x = 0; x < w; ++x) {
        const std::size_t i = rowStart + x;
        int sx = x - fx[i];
        sx += sx < 0 ? w : 0;
        sx -= sx >= w ? w : 0;
        int sy = y - fy[i];
        sy += sy < 0 ? h : 0;
        sy -= sy >= h ? h : 0;
        const std::uint32_t p = src[static_cast<std::size_t>(sy) * w + sx];
        dst[i] = (dst[i] & 0xFF000000u) | (p & 0x00FFFFFFu);
      }
      continue;
    }
    for (int x = 0; x < w; ++x) {
      const std::size_t i = rowStart + x;
      const int sx = wrap(x - fx[i], w);
      const int sy = wrap(y - fy[i], h);
      const std::uint32_t p = src[static_cast<std::size_t>(sy) * w + sx];
      dst[i] = (dst[i] & 0xFF000000u) | (p & 0x00FFFFFFu);
    }
  }
}

}  // namespace mottler
