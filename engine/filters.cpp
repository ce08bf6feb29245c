// Neighbourhood filters: "Blur", "Unsharp Mask", "Bump Mapping", "Maximum",
// "Minimum" and "Median".
//
// All of them work on the texture in place (the work plane serves as their
// copy), treat blue, green and red alike and leave byte 3 of every texture
// pixel as it was.  None of them draws random numbers, and a disabled entry
// does nothing.
#include <algorithm>
#include <cstdint>
#include <cstring>

#include "engine/commands.h"
#include "engine/pixel_lanes.h"
#include "engine/shade_lanes.h"

namespace mottler {

namespace {

// Upper bound on the passes of "Blur" and of the blur of "Unsharp Mask".
// Far above the catalogue ranges (255 and 50); only protects against
// absurd values handed in from outside.
constexpr int kMaxBlurPasses = 1024;

constexpr std::uint32_t kColourMask = 0x00FFFFFFu;
constexpr std::uint32_t kSpareMask = 0xFF000000u;

// The three colour bytes of a pixel spread into 16-bit lanes (bits 0, 16,
// 32), so that weighted sums of up to 257 pixels are formed for all three
// channels at once without carries between them.
inline std::uint64_t spread(std::uint32_t p) {
  return static_cast<std::uint64_t>(p & 0xFFu) | (static_cast<std::uint64_t>(p & 0xFF00u) << 8) |
         (static_cast<std::uint64_t>(p & 0xFF0000u) << 16);
}

constexpr std::uint64_t kLaneLowByte = 0xFFull | (0xFFull << 16) | (0xFFull << 32);

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

inline unsigned lane(std::uint64_t s, int c) {
  return static_cast<unsigned>(s >> (16 * c)) & 0xFFFFu;
}

// Keeps byte 3 of the old pixel and takes the colour bytes of the new one.
inline std::uint32_t withSpare(std::uint32_t old, std::uint32_t colour) {
  return (old & kSpareMask) | (colour & kColourMask);
}

void copyPlane(TextureEngine& e, TexturePlane& to, const TexturePlane& from) {
  std::memcpy(to.data(), from.data(), static_cast<std::size_t>(e.pixelCount) * 4);
}

// Rows y - 1, y and y + 1 of a w x h plane, wrapped at the top and bottom.
template <class Pixel>
struct WrappedRows {
  Pixel* up;
  Pixel* row;
  Pixel* down;
};
template <class Pixel>
WrappedRows<Pixel> wrappedRows(Pixel* plane, int y, int w, int h) {
  return {plane + static_cast<std::size_t>(y == 0 ? h - 1 : y - 1) * w,
          plane + static_cast<std::size_t>(y) * w,
          plane + static_cast<std::size_t>(y == h - 1 ? 0 : y + 1) * w};
}

// Four pixels as sixteen bytes, for the filters whose rule works on each
// byte alone: maximum, minimum and the median of each colour byte.
using lanes::Bytes;
using lanes::joinHalves;
using lanes::kColourBytes;
using lanes::withSpareBytes;
using Words = lanes::SignedWords;

inline Bytes loadBytes(const std::uint32_t* p) { return lanes::load(p); }
inline void storeBytes(std::uint32_t* p, Bytes v) { lanes::store(p, v); }
inline Bytes byteMax(Bytes a, Bytes b) { return a > b ? a : b; }
inline Bytes byteMin(Bytes a, Bytes b) { return a < b ? a : b; }

inline Words lowHalf(Bytes v) { return lanes::lowHalf<Words>(v); }
inline Words highHalf(Bytes v) { return lanes::highHalf<Words>(v); }

// The same median network as laneMedian5, byte by byte.
inline Bytes byteMedian5(Bytes p0, Bytes p1, Bytes p2, Bytes p3, Bytes p4) {
  Bytes lo = byteMin(p0, p1);
  p1 = byteMax(p0, p1);
  p0 = lo;
  lo = byteMin(p3, p4);
  p4 = byteMax(p3, p4);
  p3 = lo;
  p3 = byteMax(p0, p3);
  p1 = byteMin(p1, p4);
  lo = byteMin(p1, p2);
  p2 = byteMax(p1, p2);
  p1 = lo;
  p2 = byteMin(p2, p3);
  return byteMax(p1, p2);
}

// Passes of "Maximum" / "Minimum": n passes spread a value over a diamond of
// radius n on the torus; no two pixels are further apart than W/2 + H/2, so
// passes beyond that change nothing.
int crossPasses(const TextureEngine& e, std::int32_t amount) {
  if (amount <= 0) return 0;
  const int enough = e.width / 2 + e.height / 2 + 1;
  return amount < enough ? amount : enough;
}

// One grey-scale dilation (Pick = max) or erosion (Pick = min) pass with the
// five-pixel cross, wrapped, read from a copy made at the start of the pass.
// The largest (smallest) of five values does not depend on the order they
// are compared in, so columns 1..W-2 are done four pixels at a time.
template <typename Pick, typename PickBytes>
void crossPass(TextureEngine& e, Pick pick, PickBytes pickBytes) {
  const int w = e.width, h = e.height;
  copyPlane(e, e.workPlane, e.texture);
  const std::uint32_t* src = e.workPlane.data();
  std::uint32_t* dst = e.texture.data();
  for (int y = 0; y < h; ++y) {
    const auto [up, row, down] = wrappedRows(src, y, w, h);
    std::uint32_t* out = dst + static_cast<std::size_t>(y) * w;
    const auto one = [&](int x) {
      const int xl = x == 0 ? w - 1 : x - 1;
      const int xr = x == w - 1 ? 0 : x + 1;
      std::uint32_t colour = 0;
      for (int c = 0; c < 3; ++c) {
        int v = channel(row[x], c);
        v = pick(v, channel(row[xr], c));
        v = pick(v, channel(down[x], c));
        v = pick(v, channel(row[xl], c));
        v = pick(v, channel(up[x], c));
        colour |= static_cast<std::uint32_t>(v) << (8 * c);
      }
      out[x] = withSpare(out[x], colour);
    };
    one(0);
    int x = 1;
    for (; x + 4 <= w - 1; x += 4) {
      const Bytes centre = loadBytes(row + x);
      Bytes v = pickBytes(centre, loadBytes(row + x + 1));
      v = pickBytes(v, loadBytes(down + x));
      v = pickBytes(v, loadBytes(row + x - 1));
      v = pickBytes(v, loadBytes(up + x));
      storeBytes(out + x, withSpareBytes(loadBytes(out + x), v));
    }
    for (; x < w; ++x) one(x);
  }
}

// Per-lane maximum and minimum of two spread pixels: in each 16-bit lane
// (256 + a - b) has bit 8 set exactly when a >= b.
constexpr std::uint64_t kLaneBit8 = (1ull << 8) | (1ull << 24) | (1ull << 40);
constexpr std::uint64_t kLaneBit0 = 1ull | (1ull << 16) | (1ull << 32);

inline std::uint64_t geMask(std::uint64_t a, std::uint64_t b) {
  return (((a | kLaneBit8) - b) >> 8 & kLaneBit0) * 0xFFu;
}
inline std::uint64_t laneMax(std::uint64_t a, std::uint64_t b) {
  const std::uint64_t m = geMask(a, b);
  return (a & m) | (b & ~m);
}
inline std::uint64_t laneMin(std::uint64_t a, std::uint64_t b) {
  const std::uint64_t m = geMask(a, b);
  return (b & m) | (a & ~m);
}
inline void laneSort(std::uint64_t& a, std::uint64_t& b) {
  const std::uint64_t m = geMask(a, b);
  const std::uint64_t lo = (b & m) | (a & ~m);
  b = (a & m) | (b & ~m);
  a = lo;
}

// The third smallest of five values in every lane, by a sorting network
// trimmed to the comparisons the middle element depends on.
inline std::uint64_t laneMedian5(std::uint64_t p0, std::uint64_t p1, std::uint64_t p2,
                                 std::uint64_t p3, std::uint64_t p4) {
  laneSort(p0, p1);
  laneSort(p3, p4);
  p3 = laneMax(p0, p3);
  p1 = laneMin(p1, p4);
  laneSort(p1, p2);
  p2 = laneMin(p2, p3);
  return laneMax(p1, p2);
}

inline std::uint32_t pack(std::uint64_t s) {
  return static_cast<std::uint32_t>((s & 0xFFu) | ((s >> 8) & 0xFF00u) | ((s >> 16) & 0xFF0000u));
}

}  // namespace

// "Blur": "Amount" passes of in-place four-neighbour averaging in row-major
// order, neighbours wrapped; pixels already visited in a pass contribute
// their new values.
void blur(TextureEngine& e, const ProgramEntry& entry) {
  if (entry.disabled) return;
  const int passes = std::min(entry.param[0], kMaxBlurPasses);
  const int w = e.width, h = e.height;
  std::uint32_t* t = e.texture.data();
  for (int pass = 0; pass < passes; ++pass) {
    for (int y = 0; y < h; ++y) {
      const auto [up, row, down] = wrappedRows(t, y, w, h);
      // The left neighbour is the value just written (for column 0, column
      // W - 1 as it still is), carried in a register; everything else is
      // read from the plane as it stands.
      std::uint64_t left = spread(row[w - 1]);
      for (int x = 0; x < w; ++x) {
        const int xr = x == w - 1 ? 0 : x + 1;
        const std::uint64_t s = spread(down[x]) + spread(up[x]) + spread(row[xr]) + left;
        // Each lane is at most 4 x 255: shifted down by two it is the
        // quotient, and the bits shifted in from the next lane are masked.
        left = (s >> 2) & kLaneLowByte;
        row[x] = withSpare(row[x], pack(left));
      }
    }
  }
}

// "Unsharp Mask": blur a copy "Radius" times with the 3/2/1 kernel (rows
// padded by copies of the edge rows, columns not wrapped), then lift every
// channel that lies above its blurred value by k times the difference.
void unsharpMask(TextureEngine& e, const ProgramEntry& entry) {
  if (entry.disabled) return;
  const int w = e.width, h = e.height;
  // k = Amount x 0.01, stored in single precision.
  const float k = static_cast<float>(entry.param[0] * 0.01);
  const int passes = std::min(entry.param[1], kMaxBlurPasses);
  const std::int32_t threshold = entry.param[2];

  // Texture row y lives in work-plane row y + 1; rows 0 and h + 1 pad.
  std::uint32_t* work = e.workPlane.data();
  std::uint32_t* tex = e.texture.data();
  std::memcpy(work + w, tex, static_cast<std::size_t>(e.pixelCount) * 4);

  for (int pass = 0; pass < passes; ++pass) {
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

  // k x d for every positive difference d, in double from k's single value.
  double lift[256];
  lift[0] = 0.0;
  for (int d = 1; d < 256; ++d) lift[d] = static_cast<double>(k) * d;
  std::uint32_t* const texEnd = tex + e.pixelCount;
  const std::uint32_t* blurred = work + w;
  if (entry.param[0] >= 1 && entry.param[0] <= 1000) {
    // Within the catalogue's strengths k >= 0.01 is a single-precision
    // value m x 2^(e - 23) with e >= -7, so T + k x d (d <= 255) is a
    // multiple of 2^(e - 23) below 2^53 of those: exact in double.  Its
    // truncation is then T + floor(k x d) exactly, an integer sum (the
    // tests check every strength, difference and T).
    int whole[256];
    for (int d = 0; d < 256; ++d) whole[d] = static_cast<int>(lift[d]);
    // Differences below `lifting` add nothing (floor(k x d) = 0), and a
    // pixel none of whose channels lifts keeps its colour whether its
    // threshold test keeps it or not: such pixels are passed over four at
    // a time.
    int lifting = 1;
    while (lifting < 256 && whole[lifting] == 0) ++lifting;
    const Bytes liftingBytes = Bytes{} + static_cast<std::uint8_t>(lifting > 255 ? 255 : lifting);
    const bool noneBelow = lifting > 255;  // then even 255 adds nothing
    for (std::uint32_t* p = tex; p != texEnd; ++p, ++blurred) {
      if (texEnd - p >= 4) {
        const Bytes t = loadBytes(p), b = loadBytes(blurred);
        const Bytes d = (t > b) & (t - b) & kColourBytes;  // max(T - S, 0), colour bytes
        const Bytes lifts = noneBelow ? Bytes{} : reinterpret_cast<Bytes>(d >= liftingBytes);
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
    return;
  }
  for (std::uint32_t* p = tex; p != texEnd; ++p, ++blurred) {
    const std::uint32_t tp = *p;
    const std::uint32_t sp = *blurred;
    bool keep = false;
    std::uint32_t colour = 0;
    for (int c = 0; c < 3; ++c) {
      const int t = channel(tp, c);
      const int d = t - channel(sp, c);
      keep |= (d < 0 ? -d : d) < threshold;
      // min(255, truncate(T + k x max(d, 0))); limiting in double keeps the
      // conversion in range (and a negative strength from outside at 0).
      const double r = t + lift[d > 0 ? d : 0];
      const int v = r >= 255.0 ? 255 : (r > 0.0 ? static_cast<int>(r) : 0);
      colour |= static_cast<std::uint32_t>(v) << (8 * c);
    }
    if (!keep) *p = withSpare(tp, colour);
  }
}

// "Bump Mapping": the colours taken as heights, lit from the upper left:
// t = ((below + right + below-right) - (above + left + above-left)) x Contrast
// + Brightness, limited to 0..255, shades the pixel through ShadeTable[t][c].
void bumpMapping(TextureEngine& e, const ProgramEntry& entry) {
  if (entry.disabled) return;
  const int w = e.width, h = e.height;
  const std::int64_t brightness = entry.param[0];
  const std::int64_t contrastFactor = entry.param[1];
  copyPlane(e, e.workPlane, e.texture);
  const std::uint32_t* src = e.workPlane.data();
  std::uint32_t* dst = e.texture.data();
  const std::uint8_t* shade = e.shadeTable.data();
  // |v x Contrast + Brightness| <= 765 x 32 + 255 fits a 16-bit lane for
  // the catalogue's ranges: there columns 1..W-2 are done four pixels at a
  // time, ShadeTable computed (shade_lanes.h).
  const bool wide =
      contrastFactor >= -32 && contrastFactor <= 32 && brightness >= -255 && brightness <= 255;
  const std::int16_t cf = static_cast<std::int16_t>(wide ? contrastFactor : 0);
  const std::int16_t bf = static_cast<std::int16_t>(wide ? brightness : 0);
  const Words contrastLanes = {cf, cf, cf, cf, cf, cf, cf, cf};
  const Words brightnessLanes = {bf, bf, bf, bf, bf, bf, bf, bf};
  const auto shadeHalf = [&](Words d, Words r, Words dr, Words u, Words l, Words ul, Words own) {
    Words t = ((d + r + dr) - (u + l + ul)) * contrastLanes + brightnessLanes;
    t = t < 0 ? 0 : t;
    t = t > 255 ? 255 : t;
    return reinterpret_cast<Words>(
        shadeLanes<16>(reinterpret_cast<lanes::Words>(t), reinterpret_cast<lanes::Words>(own)));
  };
  for (int y = 0; y < h; ++y) {
    const auto [up, row, down] = wrappedRows(src, y, w, h);
    std::uint32_t* out = dst + static_cast<std::size_t>(y) * w;
    const auto one = [&](int x) {
      const int xl = x == 0 ? w - 1 : x - 1;
      const int xr = x == w - 1 ? 0 : x + 1;
      std::uint32_t colour = 0;
      for (int c = 0; c < 3; ++c) {
        const int v = (channel(down[x], c) + channel(row[xr], c) + channel(down[xr], c)) -
                      (channel(up[x], c) + channel(row[xl], c) + channel(up[xl], c));
        std::int64_t t = v * contrastFactor + brightness;
        if (t < 0) t = 0;
        if (t > 255) t = 255;
        const int own = channel(row[x], c);
        colour |= static_cast<std::uint32_t>(shade[static_cast<std::size_t>(t) * 256 + own])
                  << (8 * c);
      }
      out[x] = withSpare(out[x], colour);
    };
    int x = 0;
    if (wide) {
      one(x++);
      for (; x + 4 <= w - 1; x += 4) {
        const Bytes d = loadBytes(down + x), r = loadBytes(row + x + 1),
                    dr = loadBytes(down + x + 1);
        const Bytes u = loadBytes(up + x), l = loadBytes(row + x - 1), ul = loadBytes(up + x - 1);
        const Bytes own = loadBytes(row + x);
        const Bytes lit = joinHalves(shadeHalf(lowHalf(d), lowHalf(r), lowHalf(dr), lowHalf(u),
                                               lowHalf(l), lowHalf(ul), lowHalf(own)),
                                     shadeHalf(highHalf(d), highHalf(r), highHalf(dr), highHalf(u),
                                               highHalf(l), highHalf(ul), highHalf(own)));
        storeBytes(out + x, withSpareBytes(loadBytes(out + x), lit));
      }
    }
    for (; x < w; ++x) one(x);
  }
}

// "Maximum": "Amount" passes of grey-scale dilation with the five-pixel cross.
void maximum(TextureEngine& e, const ProgramEntry& entry) {
  if (entry.disabled) return;
  const int passes = crossPasses(e, entry.param[0]);
  for (int pass = 0; pass < passes; ++pass)
    crossPass(
        e, [](int a, int b) { return a > b ? a : b; }, byteMax);
}

// "Minimum": "Amount" passes of grey-scale erosion with the five-pixel cross.
void minimum(TextureEngine& e, const ProgramEntry& entry) {
  if (entry.disabled) return;
  const int passes = crossPasses(e, entry.param[0]);
  for (int pass = 0; pass < passes; ++pass)
    crossPass(
        e, [](int a, int b) { return a < b ? a : b; }, byteMin);
}

// "Median": the median of the pixel and the four pixels at storage indices
// i - 1, i + 1, i - W and i + W, the plane taken as a ring of W x H pixels
// (so a row's first pixel has the previous row's last pixel on its left,
// and the rows above the top and below the bottom wrap).
void median(TextureEngine& e, const ProgramEntry& entry) {
  if (entry.disabled) return;
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
    const std::uint32_t colour =
        pack(laneMedian5(spread(src[i]), spread(src[below]), spread(src[above]), spread(src[next]),
                         spread(src[prev])));
    dst[i] = withSpare(dst[i], colour);
  };
  // Where none of the four neighbours wraps round the ring, four pixels at a
  // time, byte by byte.
  const int first = std::max(1, wn);
  const int end = std::min(n - 1, n - wn);
  int i = 0;
  for (; i < first && i < n; ++i) one(i);
  for (; i + 4 <= end; i += 4) {
    const Bytes centre = loadBytes(src + i);
    const Bytes m = byteMedian5(centre, loadBytes(src + i + wn), loadBytes(src + i - wn),
                                loadBytes(src + i + 1), loadBytes(src + i - 1));
    storeBytes(dst + i, withSpareBytes(loadBytes(dst + i), m));
  }
  for (; i < n; ++i) one(i);
}

}  // namespace mottler
