// Neighbourhood filters: "Blur", "Unsharp Mask", "Bump Mapping", "Maximum",
// "Minimum" and "Median".
//
// All of them work on the texture in place (the work plane serves as their
// copy), treat blue, green and red alike and leave byte 3 of every texture
// pixel as it was.  None of them draws random numbers, and a disabled entry
// does nothing.  A cancelled run stops "Blur", "Unsharp Mask", "Maximum"
// and "Minimum" between passes; the others make one pass.  The rules,
// written literally, are in reference/filters.cpp.
//
// Two techniques: "Blur" and the blur of "Unsharp Mask" visit pixels in
// order and each pixel waits for the one before it, so they hold the three
// channels of a pixel in lanes of one word; the others read only the copy, so they take four pixels
// at a time as a vector of bytes, and the pixels at the edges, whose neighbours wrap, one at a time
// through the same vector code.
#include <algorithm>
#include <cstdint>
#include <cstring>

#include "engine/arithmetic.h"
#include "engine/commands.h"
#include "engine/engine_state.h"
#include "engine/pixel_lanes.h"
#include "engine/shade_lanes.h"

namespace mottler {

namespace {

constexpr std::uint32_t kColourMask = 0x00FFFFFFu;
constexpr std::uint32_t kSpareMask = 0xFF000000u;

// Keeps byte 3 of the old pixel and takes the colour bytes of the new one.
inline std::uint32_t withSpare(std::uint32_t old, std::uint32_t colour) {
  return (old & kSpareMask) | (colour & kColourMask);
}

void copyPlane(TextureEngine& e, TexturePlane& to, const TexturePlane& from) {
  std::memcpy(to.data(), from.data(), static_cast<std::size_t>(e.pixelCount) * 4);
}

// Rows y - 1, y and y + 1 of a w x h plane, wrapped at the top and bottom.
template <class Pixel>
struct Rows {
  Pixel* up;
  Pixel* row;
  Pixel* down;
};
template <class Pixel>
Rows<Pixel> wrappedRows(Pixel* plane, int y, int w, int h) {
  return {plane + static_cast<std::size_t>(y == 0 ? h - 1 : y - 1) * w,
          plane + static_cast<std::size_t>(y) * w,
          plane + static_cast<std::size_t>(y == h - 1 ? 0 : y + 1) * w};
}

// ------------------------------------------------- channels in lanes ---

// The three colour bytes of a pixel spread into 10-bit lanes (bits 0, 10,
// 20) of a 32-bit word, so that sums of up to four pixels (at most 4 x 255)
// are formed for all three channels at once without carries between them:
// for "Blur".
inline std::uint32_t spread10(std::uint32_t p) {
  return (p & 0xFFu) | ((p & 0xFF00u) << 2) | ((p & 0xFF0000u) << 4);
}
inline std::uint32_t pack10(std::uint32_t s) {
  return (s & 0xFFu) | ((s >> 2) & 0xFF00u) | ((s >> 4) & 0xFF0000u);
}
constexpr std::uint32_t kLane10LowByte = 0xFFu | (0xFFu << 10) | (0xFFu << 20);

// The colour bytes in 21-bit lanes (bits 0, 21, 42), for "Unsharp Mask",
// whose sums of up to 15 x 255 are divided by 15 in all lanes at once.
inline std::uint64_t spread21(std::uint32_t p) {
  return static_cast<std::uint64_t>(p & 0xFFu) | (static_cast<std::uint64_t>(p & 0xFF00u) << 13) |
         (static_cast<std::uint64_t>(p & 0xFF0000u) << 26);
}
inline std::uint32_t pack21(std::uint64_t s) {
  return static_cast<std::uint32_t>((s & 0xFFu) | ((s >> 13) & 0xFF00u) | ((s >> 26) & 0xFF0000u));
}
constexpr std::uint64_t kLane21One = 1ull | (1ull << 21) | (1ull << 42);
constexpr std::uint64_t kLane21LowByte = 0xFFull | (0xFFull << 21) | (0xFFull << 42);

// x / 15 = ((x + 1) x 273) >> 12 for every x the 3/2/1 kernel can sum
// (0..15 x 255), and (x + 1) x 273 < 2^21 stays inside its lane.
constexpr bool divideBy15Holds() {
  for (unsigned x = 0; x <= 15 * 255; ++x)
    if (((x + 1) * 273) >> 12 != x / 15 || (x + 1) * 273 >= (1u << 21)) return false;
  return true;
}
static_assert(divideBy15Holds());

// All three lanes of a 21-bit spread sum divided by 15.
inline std::uint64_t divideLanesBy15(std::uint64_t s) {
  return (((s + kLane21One) * 273) >> 12) & kLane21LowByte;
}

// ------------------------------------------------ pixels in a vector ---

using lanes::Bytes;
using lanes::joinHalves;
using lanes::loadBytes;
using lanes::storeBytes;
using Words = lanes::SignedWords;

inline Words lowHalf(Bytes v) { return lanes::lowHalf<Words>(v); }
inline Words highHalf(Bytes v) { return lanes::highHalf<Words>(v); }

// One pixel in the first four bytes of a vector, and back: a pixel whose
// neighbours wrap goes through the same vector code as four inner ones.
using Pixels = lanes::Vectors<16>::Pixels;
inline Bytes pixelBytes(std::uint32_t p) { return reinterpret_cast<Bytes>(Pixels{p}); }
inline std::uint32_t firstPixel(Bytes v) { return reinterpret_cast<Pixels>(v)[0]; }

// Writes four vector pixels to out, keeping byte 3 of out.
inline void storeColours(std::uint32_t* out, Bytes v) {
  lanes::keepSpareBytes(v, loadBytes(out));
  storeBytes(out, v);
}
// The same for the one pixel in the first lane.
inline void storeColour(std::uint32_t* out, Bytes v) { *out = withSpare(*out, firstPixel(v)); }

struct ByteMax {
  static Bytes pick(Bytes a, Bytes b) { return a > b ? a : b; }
};
struct ByteMin {
  static Bytes pick(Bytes a, Bytes b) { return a < b ? a : b; }
};

// The third smallest of five values in every byte, by a sorting network
// trimmed to the comparisons the middle element depends on.
inline Bytes medianOfFive(Bytes p0, Bytes p1, Bytes p2, Bytes p3, Bytes p4) {
  const auto sort = [](Bytes& a, Bytes& b) {
    const Bytes low = ByteMin::pick(a, b);
    b = ByteMax::pick(a, b);
    a = low;
  };
  sort(p0, p1);
  sort(p3, p4);
  p3 = ByteMax::pick(p0, p3);
  p1 = ByteMin::pick(p1, p4);
  sort(p1, p2);
  p2 = ByteMin::pick(p2, p3);
  return ByteMax::pick(p1, p2);
}

// Runs oneRow(y) for every row 0..h-1, in bands of rows shared out over
// the engine's threads when it has more than one.
template <class OneRow>
void forEachRowBand(TextureEngine& e, int h, OneRow& oneRow) {
  constexpr int kBandRows = 32;
  if (!e.pool) {
    for (int y = 0; y < h; ++y) oneRow(y);
    return;
  }
  auto band = [&](int, int index) {
    for (int y = index * kBandRows, end = std::min(h, y + kBandRows); y < end; ++y) oneRow(y);
  };
  e.pool->forEach((h + kBandRows - 1) / kBandRows, band);
}

// One grey-scale dilation (Pick = ByteMax) or erosion (ByteMin) pass with
// the five-pixel cross, wrapped, read from a copy made at the start of the
// pass.
template <class Pick>
void crossPass(TextureEngine& e) {
  const int w = e.width, h = e.height;
  copyPlane(e, e.workPlane, e.texture);
  const std::uint32_t* src = e.workPlane.data();
  std::uint32_t* dst = e.texture.data();
  const auto cross = [](Bytes centre, Bytes right, Bytes below, Bytes left, Bytes above) {
    return Pick::pick(Pick::pick(Pick::pick(Pick::pick(centre, right), below), left), above);
  };
  auto oneRow = [&](int y) {
    const Rows<const std::uint32_t> r = wrappedRows(src, y, w, h);
    std::uint32_t* out = dst + static_cast<std::size_t>(y) * w;
    const auto one = [&](int x) {
      const int xl = x == 0 ? w - 1 : x - 1;
      const int xr = x == w - 1 ? 0 : x + 1;
      storeColour(out + x, cross(pixelBytes(r.row[x]), pixelBytes(r.row[xr]), pixelBytes(r.down[x]),
                                 pixelBytes(r.row[xl]), pixelBytes(r.up[x])));
    };
    one(0);
    int x = 1;
    for (; x + 4 <= w - 1; x += 4)
      storeColours(out + x,
                   cross(loadBytes(r.row + x), loadBytes(r.row + x + 1), loadBytes(r.down + x),
                         loadBytes(r.row + x - 1), loadBytes(r.up + x)));
    for (; x < w; ++x) one(x);
  };
  // Every row reads only the copy: bands of rows on the threads.
  forEachRowBand(e, h, oneRow);
}

// ------------------------------------------------------- at a scale ---

// At a scale s above 1, "Blur", "Unsharp Mask", "Bump Mapping" and
// "Median" keep the look of the design by running their design-size rule
// on each of the s x s interleaved grids of every s-th pixel: grid (px, py)
// holds the pixels (px + s i, py + s j), a picture of the design size whose
// neighbours lie s pixels apart, as the design's pixels do in the scaled
// texture.  The grid engines have the design size (setScaledSize), one per
// thread, and the threads share the grids out.  Returns
// false at scale 1, where the caller runs the rule itself.
bool runOnGrids(TextureEngine& e, const ProgramEntry& entry, CommandProcedure rule) {
  if (e.scale == 1 || e.grids.empty()) return false;
  for (std::unique_ptr<TextureEngine>& g : e.grids) {
    g->cancel = e.cancel;
    g->wideVectors = e.wideVectors;
  }
  const int s = e.scale, w = e.width;
  std::uint32_t* tex = e.texture.data();
  // Each grid is a disjoint set of pixels: the threads share them out.
  auto oneGrid = [&](int worker, int index) {
    TextureEngine& g = *e.grids[static_cast<std::size_t>(worker)];
    if (g.cancel.requested()) return;
    const int px = index % s, py = index / s, gw = g.width, gh = g.height;
    std::uint32_t* grid = g.texture.data();
    for (int j = 0; j < gh; ++j) {
      const std::uint32_t* in = tex + static_cast<std::size_t>(py + s * j) * w + px;
      std::uint32_t* out = grid + static_cast<std::size_t>(j) * gw;
      for (int i = 0; i < gw; ++i) out[i] = in[static_cast<std::size_t>(s) * i];
    }
    rule(g, entry);
    for (int j = 0; j < gh; ++j) {
      std::uint32_t* out = tex + static_cast<std::size_t>(py + s * j) * w + px;
      const std::uint32_t* in = grid + static_cast<std::size_t>(j) * gw;
      for (int i = 0; i < gw; ++i) out[static_cast<std::size_t>(s) * i] = in[i];
    }
  };
  if (e.pool) {
    e.pool->forEach(s * s, oneGrid);
  } else {
    for (int index = 0; index < s * s; ++index) oneGrid(0, index);
  }
  return true;
}

// Averages every pixel's colour over the s pixels from s / 2 before it to
// s - 1 - s / 2 after it, across (wrapped, into the work plane) and then
// down (wrapped, back into the texture), each average truncated; byte 3 of
// the texture stays.  "Blur" joins its grids this way.
void boxAverage(TextureEngine& e, int s) {
  const int w = e.width, h = e.height, before = s / 2;
  std::uint32_t* tex = e.texture.data();
  std::uint32_t* work = e.workPlane.data();
  const auto averaged = [s](const int(&sum)[3]) {
    return rgb(static_cast<std::uint32_t>(sum[0] / s), static_cast<std::uint32_t>(sum[1] / s),
               static_cast<std::uint32_t>(sum[2] / s));
  };
  const auto add = [](int(&sum)[3], std::uint32_t p, int sign) {
    for (int c = 0; c < 3; ++c) sum[c] += sign * channel(p, c);
  };
  for (int y = 0; y < h; ++y) {
    const std::uint32_t* in = tex + static_cast<std::size_t>(y) * w;
    std::uint32_t* out = work + static_cast<std::size_t>(y) * w;
    int sum[3] = {0, 0, 0};
    for (int k = -before; k < s - before; ++k) add(sum, in[wrap(k, w)], 1);
    for (int x = 0; x < w; ++x) {
      out[x] = averaged(sum);
      add(sum, in[wrap(x - before, w)], -1);
      add(sum, in[wrap(x + s - before, w)], 1);
    }
  }
  for (int x = 0; x < w; ++x) {
    int sum[3] = {0, 0, 0};
    for (int k = -before; k < s - before; ++k)
      add(sum, work[static_cast<std::size_t>(wrap(k, h)) * w + x], 1);
    for (int y = 0; y < h; ++y) {
      std::uint32_t& p = tex[static_cast<std::size_t>(y) * w + x];
      p = withSpare(p, averaged(sum));
      add(sum, work[static_cast<std::size_t>(wrap(y - before, h)) * w + x], -1);
      add(sum, work[static_cast<std::size_t>(wrap(y + s - before, h)) * w + x], 1);
    }
  }
}

}  // namespace

// "Blur": "Amount" passes of in-place four-neighbour averaging in row-major
// order, neighbours wrapped; pixels already visited in a pass contribute
// their new values.
//
// Only the left neighbour is one just written in the row: the rows above
// and below do not change while a row is done, nor does the right
// neighbour before its turn (except for the last pixel, whose right
// neighbour is the row's first, already new).  So the sum of those three is
// formed for the whole row first, four pixels at a time, and the pixel by
// pixel walk adds only the left value.
//
// At a scale s: the design's passes on each of the s x s grids, then an
// s-pixel box average across and down to join the grids.
void Blur::run(TextureEngine& e, const ProgramEntry& entry) {
  if (entry.disabled) return;
  if (runOnGrids(e, entry, run)) {
    if (!e.cancel.requested()) boxAverage(e, e.scale);
    return;
  }
  const int w = e.width, h = e.height;
  std::uint32_t* t = e.texture.data();
  std::uint32_t* others = e.workPlane.data();  // a row of sums, in 10-bit lanes
  for (int pass = 0; pass < entry.param[Amount]; ++pass) {
    if (e.cancel.requested()) return;
    for (int y = 0; y < h; ++y) {
      const Rows<std::uint32_t> r = wrappedRows(t, y, w, h);
      for (int x = 0; x + 1 < w; ++x)
        others[x] = spread10(r.down[x]) + spread10(r.up[x]) + spread10(r.row[x + 1]);
      // The left neighbour is the value just written (for column 0, column
      // W - 1 as it still is), carried in a register.  Each lane of a sum
      // is at most 4 x 255: shifted down by two it is the quotient, and the
      // bits shifted in from the next lane are masked.
      std::uint32_t left = spread10(r.row[w - 1]);
      for (int x = 0; x + 1 < w; ++x) {
        left = ((others[x] + left) >> 2) & kLane10LowByte;
        r.row[x] = withSpare(r.row[x], pack10(left));
      }
      const int last = w - 1;
      left = ((spread10(r.down[last]) + spread10(r.up[last]) + spread10(r.row[0]) + left) >> 2) &
             kLane10LowByte;
      r.row[last] = withSpare(r.row[last], pack10(left));
    }
  }
}

// "Unsharp Mask": blur a copy "Radius" times with the 3/2/1 kernel (rows
// padded by copies of the edge rows, columns not wrapped), then lift every
// channel that lies above its blurred value by k times the difference.
// At a scale s: the design's rule on each of the s x s grids.
void UnsharpMask::run(TextureEngine& e, const ProgramEntry& entry) {
  if (entry.disabled) return;
  if (runOnGrids(e, entry, run)) return;
  const int w = e.width, h = e.height;
  // k = Amount x 0.01, stored in single precision.
  const float k = static_cast<float>(entry.param[Amount] * 0.01);
  const std::int32_t threshold = entry.param[Threshold];

  // Texture row y lives in work-plane row y + 1; rows 0 and h + 1 pad.
  std::uint32_t* work = e.workPlane.data();
  std::uint32_t* tex = e.texture.data();
  std::memcpy(work + w, tex, static_cast<std::size_t>(e.pixelCount) * 4);

  for (int pass = 0; pass < entry.param[Radius]; ++pass) {
    if (e.cancel.requested()) return;
    std::memcpy(work, work + w, static_cast<std::size_t>(w) * 4);
    std::memcpy(work + static_cast<std::size_t>(h + 1) * w, work + static_cast<std::size_t>(h) * w,
                static_cast<std::size_t>(w) * 4);
    for (int y = 1; y <= h; ++y) {
      std::uint32_t* row = work + static_cast<std::size_t>(y) * w;
      const std::uint32_t* up = row - w;
      const std::uint32_t* down = row + w;
      // A sliding 3 x 3 window of spread pixels: l, c, r columns of the rows
      // above (already blurred in this pass), this row and below.  At either
      // edge the missing column is the pixel's own; the left column of this
      // row is the value just written.
      std::uint64_t ul = spread21(up[0]), uc = ul, ur;
      std::uint64_t rl = spread21(row[0]), rc = rl, rr;
      std::uint64_t dl = spread21(down[0]), dc = dl, dr;
      for (int x = 0; x < w; ++x) {
        if (x + 1 < w) {
          ur = spread21(up[x + 1]);
          rr = spread21(row[x + 1]);
          dr = spread21(down[x + 1]);
        } else {
          ur = uc;
          rr = rc;
          dr = dc;
        }
        // Everything but the left value first: only that one waits for the
        // pixel before.
        const std::uint64_t rest = 3 * rc + 2 * (rr + uc + dc) + (ul + ur + dl + dr);
        const std::uint64_t q = divideLanesBy15(rest + 2 * rl);
        row[x] = withSpare(row[x], pack21(q));
        ul = uc;
        uc = ur;
        rl = q;
        rc = rr;
        dl = dc;
        dc = dr;
      }
    }
  }

  // The lift of a channel T above its blurred value by d > 0 is
  // min(255, truncate(T + k x d)).  For the catalogue's strengths k >= 0.01
  // is a single-precision value m x 2^(e - 23) with e >= -7, so T + k x d
  // (d <= 255) is a multiple of 2^(e - 23) below 2^53 of those: exact in
  // double.  Its truncation is then T + floor(k x d) exactly, an integer sum
  // (the tests check every strength, difference and T).
  int whole[256];
  for (int d = 0; d < 256; ++d) whole[d] = static_cast<int>(static_cast<double>(k) * d);
  // Differences below `lifting` add nothing (floor(k x d) = 0), and a pixel
  // none of whose channels lifts keeps its colour whether its threshold test
  // keeps it or not: such pixels are passed over four at a time.
  int lifting = 1;
  while (lifting < 256 && whole[lifting] == 0) ++lifting;
  const Bytes liftingBytes = Bytes{} + static_cast<std::uint8_t>(lifting > 255 ? 255 : lifting);
  const bool noneLifts = lifting > 255;  // then even 255 adds nothing
  std::uint32_t* const texEnd = tex + e.pixelCount;
  const std::uint32_t* blurred = work + w;
  for (std::uint32_t* p = tex; p != texEnd; ++p, ++blurred) {
    if (texEnd - p >= 4) {
      const Bytes t = loadBytes(p), b = loadBytes(blurred);
      const Bytes d = (t > b) & (t - b) & lanes::kColourBytes;  // max(T - S, 0), colour bytes
      const Bytes lifts = noneLifts ? Bytes{} : reinterpret_cast<Bytes>(d >= liftingBytes);
      std::uint64_t halves[2];
      std::memcpy(halves, &lifts, sizeof halves);
      if ((halves[0] | halves[1]) == 0) {
        p += 3;
        blurred += 3;
        continue;
      }
    }
    const std::uint32_t tp = *p;
    const std::uint32_t sp = *blurred;
    bool keep = false;
    std::uint32_t colour = 0;
    for (int c = 0; c < 3; ++c) {
      const int t = channel(tp, c);
      const int d = t - channel(sp, c);
      keep |= (d < 0 ? -d : d) < threshold;
      const int v = std::min(255, t + whole[d > 0 ? d : 0]);
      colour |= static_cast<std::uint32_t>(v) << (8 * c);
    }
    if (!keep) *p = withSpare(tp, colour);
  }
}

// "Bump Mapping": the colours taken as heights, lit from the upper left:
// t = ((below + right + below-right) - (above + left + above-left)) x Contrast
// + Brightness, limited to 0..255, shades the pixel through ShadeTable[t][c],
// which is computed here (shade_lanes.h).  |v x Contrast + Brightness| <=
// 765 x 32 + 255 fits a signed 16-bit lane.
// At a scale s: the design's rule on each of the s x s grids, so that the
// slopes are taken over the design's pixel distance.
void BumpMapping::run(TextureEngine& e, const ProgramEntry& entry) {
  if (entry.disabled) return;
  if (runOnGrids(e, entry, run)) return;
  const int w = e.width, h = e.height;
  copyPlane(e, e.workPlane, e.texture);
  const std::uint32_t* src = e.workPlane.data();
  std::uint32_t* dst = e.texture.data();
  const Words contrastLanes = Words{} + static_cast<std::int16_t>(entry.param[Contrast]);
  const Words brightnessLanes = Words{} + static_cast<std::int16_t>(entry.param[Brightness]);
  const auto shadeHalf = [&](Words d, Words r, Words dr, Words u, Words l, Words ul, Words own) {
    Words t = ((d + r + dr) - (u + l + ul)) * contrastLanes + brightnessLanes;
    t = t < 0 ? 0 : t;
    t = t > 255 ? 255 : t;
    lanes::Words shaded = reinterpret_cast<lanes::Words>(own);
    shadeLanes<16>(shaded, reinterpret_cast<lanes::Words>(t));
    return reinterpret_cast<Words>(shaded);
  };
  const auto lit = [&](Bytes d, Bytes r, Bytes dr, Bytes u, Bytes l, Bytes ul, Bytes own) {
    return joinHalves(shadeHalf(lowHalf(d), lowHalf(r), lowHalf(dr), lowHalf(u), lowHalf(l),
                                lowHalf(ul), lowHalf(own)),
                      shadeHalf(highHalf(d), highHalf(r), highHalf(dr), highHalf(u), highHalf(l),
                                highHalf(ul), highHalf(own)));
  };
  for (int y = 0; y < h; ++y) {
    const Rows<const std::uint32_t> r = wrappedRows(src, y, w, h);
    std::uint32_t* out = dst + static_cast<std::size_t>(y) * w;
    const auto one = [&](int x) {
      const int xl = x == 0 ? w - 1 : x - 1;
      const int xr = x == w - 1 ? 0 : x + 1;
      storeColour(out + x, lit(pixelBytes(r.down[x]), pixelBytes(r.row[xr]), pixelBytes(r.down[xr]),
                               pixelBytes(r.up[x]), pixelBytes(r.row[xl]), pixelBytes(r.up[xl]),
                               pixelBytes(r.row[x])));
    };
    one(0);
    int x = 1;
    for (; x + 4 <= w - 1; x += 4)
      storeColours(out + x,
                   lit(loadBytes(r.down + x), loadBytes(r.row + x + 1), loadBytes(r.down + x + 1),
                       loadBytes(r.up + x), loadBytes(r.row + x - 1), loadBytes(r.up + x - 1),
                       loadBytes(r.row + x)));
    for (; x < w; ++x) one(x);
  }
}

// "Maximum": "Amount" passes of grey-scale dilation with the five-pixel cross;
// at a scale s, s times as many (each pass grows a diamond by one pixel).
void Maximum::run(TextureEngine& e, const ProgramEntry& entry) {
  if (entry.disabled) return;
  for (int pass = 0; pass < entry.param[Amount] * e.scale; ++pass) {
    if (e.cancel.requested()) return;
    crossPass<ByteMax>(e);
  }
}

// "Minimum": "Amount" passes of grey-scale erosion with the five-pixel cross;
// at a scale s, s times as many.
void Minimum::run(TextureEngine& e, const ProgramEntry& entry) {
  if (entry.disabled) return;
  for (int pass = 0; pass < entry.param[Amount] * e.scale; ++pass) {
    if (e.cancel.requested()) return;
    crossPass<ByteMin>(e);
  }
}

// "Median": the median of the pixel and the four pixels at storage indices
// i - 1, i + 1, i - W and i + W, the plane taken as a ring of W x H pixels
// (so a row's first pixel has the previous row's last pixel on its left,
// and the rows above the top and below the bottom wrap).
// At a scale s: the design's rule on each of the s x s grids, so that a
// speck of the design's size (s x s pixels) goes.
void Median::run(TextureEngine& e, const ProgramEntry& entry) {
  if (entry.disabled) return;
  if (runOnGrids(e, entry, run)) return;
  const int n = e.pixelCount;
  const int w = e.width;
  if (n <= 0) return;
  copyPlane(e, e.workPlane, e.texture);
  const std::uint32_t* src = e.workPlane.data();
  std::uint32_t* dst = e.texture.data();
  // w < n unless the plane is a single row; then i +- w is i itself.
  const int wn = w % n;
  const auto one = [&](int i) {
    const int prev = i == 0 ? n - 1 : i - 1;
    const int next = i == n - 1 ? 0 : i + 1;
    const int above = i - wn < 0 ? i - wn + n : i - wn;
    const int below = i + wn >= n ? i + wn - n : i + wn;
    storeColour(dst + i,
                medianOfFive(pixelBytes(src[i]), pixelBytes(src[below]), pixelBytes(src[above]),
                             pixelBytes(src[next]), pixelBytes(src[prev])));
  };
  // Where none of the four neighbours wraps round the ring, four pixels at a
  // time.
  const int first = std::max(1, wn);
  const int end = std::min(n - 1, n - wn);
  int i = 0;
  for (; i < first && i < n; ++i) one(i);
  for (; i + 4 <= end; i += 4)
    storeColours(dst + i,
                 medianOfFive(loadBytes(src + i), loadBytes(src + i + wn), loadBytes(src + i - wn),
                              loadBytes(src + i + 1), loadBytes(src + i - 1)));
  for (; i < n; ++i) one(i);
}

}  // namespace mottler
