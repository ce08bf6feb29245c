// Neighbourhood filters: "Blur", "Unsharp Mask", "Bump Mapping", "Maximum",
// "Minimum" and "Median".
//
// All of them work on the texture in place (the work plane serves as their
// copy), treat blue, green and red alike and leave byte 3 of every texture
// pixel as it was.  None of them draws random numbers, and a disabled entry
// does nothing.  A cancelled run stops "Blur", "Unsharp Mask", "Maximum"
// and "Minimum" between passes (at a scale, "Blur" and "Unsharp Mask" also
// between bands of rows and within strips of columns); the others make one
// pass.  The rules,
// written literally, are in reference/filters.cpp, their rules at a scale
// too.
//
// Techniques: "Blur" and the blur of "Unsharp Mask" visit pixels in order
// and each pixel waits for the one before it, so they hold the three
// channels of a pixel in lanes of one word; the others read only the copy,
// so they take four pixels at a time as a vector of bytes, and the pixels
// at the edges, whose neighbours wrap, one at a time through the same
// vector code.  Many passes of "Maximum" or "Minimum" are done as one
// diamond.  At a scale, "Blur" and "Unsharp Mask" smooth with running sums
// of box averages (a pixel's channels as four floats), bands of rows and
// strips of columns shared out over the threads.
#include <algorithm>
#include <array>
#include <cstdint>
#include <cstdlib>
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

// The largest channel value, and the weight of the 3/2/1 kernel of
// "Unsharp Mask" (3 + 4 x 2 + 4 x 1).
constexpr unsigned kTopLevel = 255;
constexpr unsigned kUnsharpWeight = 15;

// x / 15 = ((x + 1) x 273) >> 12 for every x the 3/2/1 kernel can sum
// (0..15 x 255), and (x + 1) x 273 < 2^21 stays inside its lane.
constexpr std::uint64_t kBy15Multiplier = 273;  // 2^12 / 15, rounded up
constexpr int kBy15Shift = 12;
constexpr bool divideBy15Holds() {
  for (unsigned x = 0; x <= kUnsharpWeight * kTopLevel; ++x)
    if (((x + 1) * kBy15Multiplier) >> kBy15Shift != x / kUnsharpWeight ||
        (x + 1) * kBy15Multiplier >= (1u << 21))
      return false;
  return true;
}
static_assert(divideBy15Holds());

// All three lanes of a 21-bit spread sum divided by 15.
inline std::uint64_t divideLanesBy15(std::uint64_t s) {
  return (((s + kLane21One) * kBy15Multiplier) >> kBy15Shift) & kLane21LowByte;
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
// the five-pixel cross, wrapped, from one plane into another (byte 3 of
// the destination stays).
template <class Pick>
void crossPass(TextureEngine& e, const TexturePlane& from, TexturePlane& to) {
  const int w = e.width, h = e.height;
  const std::uint32_t* src = from.data();
  std::uint32_t* dst = to.data();
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
  // Every row reads only the other plane: bands of rows on the threads.
  forEachRowBand(e, h, oneRow);
}

// One pass that makes every pixel the larger (or smaller) of the pixels at
// two offsets from it, wrapped, from one plane into another (byte 3 of the
// destination stays).
template <class Pick>
void pairPass(TextureEngine& e, const TexturePlane& from, TexturePlane& to, int ux, int uy, int vx,
              int vy) {
  const int w = e.width, h = e.height;
  auto oneRow = [&](int y) {
    const std::uint32_t* rowU = from.row(wrap(y + uy, h), w);
    const std::uint32_t* rowV = from.row(wrap(y + vy, h), w);
    std::uint32_t* out = to.row(y, w);
    // Runs of columns in which neither offset wraps round the row.
    for (int x = 0; x < w;) {
      const std::uint32_t* u = rowU + wrap(x + ux, w);
      const std::uint32_t* v = rowV + wrap(x + vx, w);
      const int n =
          std::min({w - x, static_cast<int>(rowU + w - u), static_cast<int>(rowV + w - v)});
      std::uint32_t* o = out + x;
      int i = 0;
      for (; i + 4 <= n; i += 4)
        storeColours(o + i, Pick::pick(loadBytes(u + i), loadBytes(v + i)));
      for (; i < n; ++i) storeColour(o + i, Pick::pick(pixelBytes(u[i]), pixelBytes(v[i])));
      x += n;
    }
  };
  forEachRowBand(e, h, oneRow);
}

// "Maximum" or "Minimum" with a diamond of radius `radius`: every pixel
// becomes the largest (smallest) of those within `radius` steps across and
// down together, wrapped - what `radius` cross passes give.  The diamond
// is the pixels (i + j, i - j) for |i|, |j| <= m, with m = (radius - 1) / 2,
// grown by one or two crosses: a line of 2m + 1 pixels along each
// diagonal.  A line of n pixels is the larger of two lines of the largest
// power of two within n, overlapping, and a line of 2k that of two lines of
// k, k apart: about 2 log2(radius) + 4 passes instead of `radius`.
// The passes go back and forth between the texture and the work plane.
template <class Pick>
void diamondPasses(TextureEngine& e, int radius) {
  const int m = (radius - 1) / 2;
  const int crosses = radius - 2 * m;
  const int line = 2 * m + 1;
  int longest = 1, doublings = 0;
  while (2 * longest <= line) {
    longest *= 2;
    ++doublings;
  }
  // Each diagonal: `doublings` passes and one that joins the two lines.
  const int passes = 2 * (doublings + 1) + crosses;
  TexturePlane* from = &e.texture;
  TexturePlane* to = &e.workPlane;
  // An odd number of passes starts from a copy, so that the last one writes
  // the texture.
  if (passes % 2 == 1) {
    copyPlane(e, e.workPlane, e.texture);
    std::swap(from, to);
  }
  const auto step = [&](auto pass) {
    if (e.cancel.requested()) return false;
    pass(*from, *to);
    std::swap(from, to);
    return true;
  };
  for (const int dy : {1, -1}) {
    for (int k = 1; k < longest; k *= 2)
      if (!step([&](const TexturePlane& a, TexturePlane& b) {
            pairPass<Pick>(e, a, b, 0, 0, k, dy * k);
          }))
        return;
    // Pixels -m .. m along the diagonal: the lines of `longest` from -m and
    // from m + 1 - longest.
    const int far = m + 1 - longest;
    if (!step([&](const TexturePlane& a, TexturePlane& b) {
          pairPass<Pick>(e, a, b, -m, -dy * m, far, dy * far);
        }))
      return;
  }
  for (int c = 0; c < crosses; ++c)
    if (!step([&](const TexturePlane& a, TexturePlane& b) { crossPass<Pick>(e, a, b); })) return;
}

// The diamond costs about 2 log2(radius) + 4 passes; up to this radius the
// crosses, one pass each, cost no more.
constexpr int kCrossPassesUpTo = 8;

// "Maximum" and "Minimum": a diamond of `radius`, by crosses or at once.
template <class Pick>
void dilate(TextureEngine& e, int radius) {
  if (radius > kCrossPassesUpTo) {
    diamondPasses<Pick>(e, radius);
    return;
  }
  for (int pass = 0; pass < radius; ++pass) {
    if (e.cancel.requested()) return;
    copyPlane(e, e.workPlane, e.texture);
    crossPass<Pick>(e, e.workPlane, e.texture);
  }
}

// ------------------------------------------------------- at a scale ---

// At a scale s above 1, "Bump Mapping" and "Median" keep the look of the
// design by running their design-size rule on each of the s x s
// interleaved grids of every s-th pixel: grid (px, py) holds the pixels
// (px + s i, py + s j), a picture of the design size whose neighbours lie
// s pixels apart, as the design's pixels do in the scaled texture.  The
// grid engines have the design size (setScaledSize), one per thread, and
// the threads share the grids out.  Returns false at scale 1, where the
// caller runs the rule itself.
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

// ------------------------------------------------ smoothing at a scale ---

// At a scale s above 1, "Blur" and the blur of "Unsharp Mask" smooth the
// whole scaled texture as far as their design-size passes reach, s times
// the distance: three wrapped box averages across and then three down,
// each rounded to a whole level.  A box average of odd width w spreads
// a pixel with a variance of (w^2 - 1) / 12 pixels^2 along its axis, and
// the variances of successive averages add up; the design's passes spread
// a pixel by a fixed variance each (below), which at scale s is s^2 times
// as much in pixels.

// What the design-size passes do, to be done at a scale:
// - they spread a pixel by a variance along either axis of (twelfths x
//   passes - fewer) / per twelfths of a design pixel^2.  "Blur": 11/12 a
//   pass, as its in-place four-neighbour pass measures (the contrast it
//   takes from sines of 8 to 32 pixels), less 3/12 for the checkerboard-fine
//   detail a few design-size passes leave, which a smooth spread at a finer
//   scale would take away.  The 3/2/1 pass of "Unsharp Mask": 8/9 =
//   (32/3)/12, worked out from its weights.
// - they darken by darkerBy / darkerPer levels a pass: each rounds down, and
//   in place the neighbours already done carry their own loss, so a "Blur"
//   pass loses 3/8 / (1 - 2/4) = 3/4 of a level and an "Unsharp Mask" pass
//   7/15 / (1 - 6/15) = 7/9 (as measured on cloudy textures, too).  The
//   scaled rule loses as much, shared out over its six averages.
struct PassRule {
  int twelfths;
  int fewer;
  int per;
  int darkerBy;
  int darkerPer;
};
constexpr PassRule kBlurPass{11, 3, 1, 3, 4};
constexpr PassRule kUnsharpPass{32, 0, 3, 7, 9};

// The box averages (three across, three down) of a scaled rule.
constexpr int kBoxAverages = 6;

// The largest box width used: every sum of a box (at most 255 x 4095) is
// a whole number a float holds exactly.  The catalogue's largest passes at
// the largest scale need about a tenth of it.
constexpr int kMaxBoxWidth = 4095;

// The variance, in twelfths of a pixel^2, of `passes` design passes at scale s.
constexpr std::int64_t scaledTwelfths(PassRule rule, int passes, int s) {
  const std::int64_t design =
      std::max<std::int64_t>(0, static_cast<std::int64_t>(rule.twelfths) * passes - rule.fewer);
  return (design * s * s + rule.per / 2) / rule.per;
}

// What each box average adds before it truncates: a half, to round to the
// nearest level, less its share of the passes' darkening.
inline float roundingOffset(PassRule rule, int passes) {
  return 0.5f - static_cast<float>(rule.darkerBy * passes) /
                    static_cast<float>(rule.darkerPer * kBoxAverages);
}

// Half-widths r (width 2r + 1) of the three box averages along one axis.
using BoxRadii = std::array<int, 3>;

// Three odd widths, w or w + 2, whose variances add up as nearly as such
// widths can to `twelfths` / 12: w is the widest odd width of which three
// stay within it, and as many of the three are widened as brings the sum
// closest.
BoxRadii boxRadiiFor(std::int64_t twelfths) {
  int w = 1;
  while (w + 2 <= kMaxBoxWidth && 3 * (static_cast<std::int64_t>(w + 2) * (w + 2) - 1) <= twelfths)
    w += 2;
  const auto spreadWith = [w](int widened) {
    const std::int64_t narrow = static_cast<std::int64_t>(w) * w - 1;
    const std::int64_t wide = static_cast<std::int64_t>(w + 2) * (w + 2) - 1;
    return (3 - widened) * narrow + widened * wide;
  };
  int widened = 0;
  for (int k = 1; k <= 3 && w + 2 <= kMaxBoxWidth; ++k)
    if (std::abs(spreadWith(k) - twelfths) < std::abs(spreadWith(widened) - twelfths)) widened = k;
  BoxRadii radii{};
  for (int k = 0; k < 3; ++k)
    radii[static_cast<std::size_t>(k)] = (k < 3 - widened ? w : w + 2) / 2;
  return radii;
}

// A pixel's four bytes as four floats (blue, green, red, byte 3): sums of a
// box are whole numbers below 2^24, exact in every lane, so a running sum
// can add and drop pixels without error.  Loaded and stored at any 8-byte
// boundary (the scratch is a vector of 64-bit words).
typedef float Channels __attribute__((vector_size(16)));
typedef float UnalignedChannels __attribute__((vector_size(16), aligned(8), may_alias));
typedef std::int32_t ChannelInts __attribute__((vector_size(16)));
typedef std::uint16_t ChannelWords __attribute__((vector_size(16)));

// The four bytes of a pixel widened by interleaving with zeros (two unpack
// instructions where the processor has them), then converted.
inline Channels channelsOf(std::uint32_t p) {
  const Bytes b = reinterpret_cast<Bytes>(ChannelInts{static_cast<std::int32_t>(p), 0, 0, 0});
  const ChannelWords words = reinterpret_cast<ChannelWords>(
      __builtin_shufflevector(b, Bytes{}, 0, 16, 1, 17, 2, 18, 3, 19, 4, 20, 5, 21, 6, 22, 7, 23));
  const ChannelInts ints = reinterpret_cast<ChannelInts>(
      __builtin_shufflevector(words, ChannelWords{}, 0, 8, 1, 9, 2, 10, 3, 11));
  return __builtin_convertvector(ints, Channels);
}
// The colour of whole channels 0..255: blue + 256 green + 65536 red, a
// whole number below 2^24 that single precision adds exactly.
inline std::uint32_t colourOf(Channels c) {
  const Channels placed = c * Channels{1.0f, 256.0f, 65536.0f, 0.0f};
  const Channels pairs = placed + __builtin_shufflevector(placed, placed, 2, 3, 0, 1);
  return static_cast<std::uint32_t>(pairs[0] + pairs[1]);
}

// Scratch of 64-bit words seen as pixels of four floats.
inline UnalignedChannels* channelRows(std::uint64_t* words) {
  return reinterpret_cast<UnalignedChannels*>(words);
}
constexpr std::size_t kWordsPerChannels = sizeof(Channels) / sizeof(std::uint64_t);

// The average of a box of `width` pixels from its sum, in every lane:
// truncate(max(sum x (1 / width) + offset, 0)) in single precision, each
// step one IEEE operation: the same on every processor.
class BoxAverage {
 public:
  BoxAverage(int width, float offset)
      : reciprocal_(Channels{} + 1.0f / static_cast<float>(width)), offset_(Channels{} + offset) {}
  Channels operator()(Channels sum) const {
    Channels v = sum * reciprocal_ + offset_;
    v = v < 0.0f ? Channels{} : v;
    return __builtin_convertvector(__builtin_convertvector(v, ChannelInts), Channels);
  }

 private:
  Channels reciprocal_;
  Channels offset_;
};

// One wrapped box average of half-width r along n pixels, from `in` into
// `out`.
void boxAlong(const UnalignedChannels* in, UnalignedChannels* out, int n, int r, float offset) {
  const BoxAverage average(2 * r + 1, offset);
  Channels sum{};
  for (int k = -r; k <= r; ++k) sum += in[wrap(k, n)];
  int entering = wrap(r + 1, n), leaving = wrap(-r, n);
  for (int x = 0; x < n; ++x) {
    out[x] = average(sum);
    sum += in[entering] - in[leaving];
    if (++entering == n) entering = 0;
    if (++leaving == n) leaving = 0;
  }
}

// Columns of the texture that one thread smooths down at a time: the rows
// it keeps of each stage are this wide.
constexpr int kStripColumns = 256;
// Pixels in one 64-byte cache line.
constexpr int kPixelsPerCacheLine = 16;
// A strip asks whether the run is cancelled every this many of its rows
// (well under a millisecond of work), so that a cancel need not wait for
// the strip's end.
constexpr int kRowsBetweenChecks = 64;

// The radius of the widest box any filter uses at a scale.
int widestRadius(int scale) {
  const BoxRadii blur = boxRadiiFor(
      scaledTwelfths(kBlurPass, Blur::declaration.params[Blur::Amount].maxValue, scale));
  const BoxRadii unsharp = boxRadiiFor(scaledTwelfths(
      kUnsharpPass, UnsharpMask::declaration.params[UnsharpMask::Radius].maxValue, scale));
  return std::max(*std::max_element(blur.begin(), blur.end()),
                  *std::max_element(unsharp.begin(), unsharp.end()));
}

// Runs job(worker, index) for index 0..count-1 on the engine's threads.
template <class Job>
void shareOut(TextureEngine& e, int count, Job& job) {
  if (e.pool) {
    e.pool->forEach(count, job);
  } else {
    for (int index = 0; index < count; ++index) job(0, index);
  }
}

// Three box averages across every row of the texture into the work plane.
void smoothAcross(TextureEngine& e, const BoxRadii& radii, float offset) {
  constexpr int kBandRows = 16;
  const int w = e.width, h = e.height;
  auto band = [&](int worker, int index) {
    if (e.cancel.requestedInBand()) return;
    UnalignedChannels* a = channelRows(e.filterScratch[static_cast<std::size_t>(worker)].data());
    UnalignedChannels* b = a + w;
    for (int y = index * kBandRows, end = std::min(h, y + kBandRows); y < end; ++y) {
      const std::uint32_t* in = e.texture.row(y, w);
      std::uint32_t* out = e.workPlane.row(y, w);
      for (int x = 0; x < w; ++x) a[x] = channelsOf(in[x]);
      boxAlong(a, b, w, radii[0], offset);
      boxAlong(b, a, w, radii[1], offset);
      boxAlong(a, b, w, radii[2], offset);
      for (int x = 0; x < w; ++x) out[x] = colourOf(b[x]);
    }
  };
  shareOut(e, (h + kBandRows - 1) / kBandRows, band);
}

// Three box averages down the work plane, streamed a strip of columns at a
// time: each stage keeps a running sum per column and its last 2r + 1 rows
// (the rows its sum will have to let go).  Every finished row of the strip
// goes to finish(y, x0, n, averages): n pixels from column x0 of row y, in
// scratch that finish may overwrite.
template <class Finish>
void smoothDown(TextureEngine& e, const BoxRadii& radii, float offset, Finish& finish) {
  const int w = e.width, h = e.height;
  const int r1 = radii[0], r2 = radii[1], r3 = radii[2];
  const int kept2 = 2 * r2 + 1, kept3 = 2 * r3 + 1;
  const BoxAverage average1(2 * r1 + 1, offset), average2(kept2, offset), average3(kept3, offset);
  auto strip = [&](int worker, int index) {
    const int x0 = index * kStripColumns, n = std::min(kStripColumns, w - x0);
    UnalignedChannels* sum1 = channelRows(e.filterScratch[static_cast<std::size_t>(worker)].data());
    UnalignedChannels* sum2 = sum1 + kStripColumns;
    UnalignedChannels* sum3 = sum2 + kStripColumns;
    UnalignedChannels* out = sum3 + kStripColumns;
    UnalignedChannels* rows2 = out + kStripColumns;  // kept2 rows of the first stage
    UnalignedChannels* rows3 = rows2 + static_cast<std::size_t>(kept2) * kStripColumns;
    const auto input = [&](int y) { return e.workPlane.row(wrap(y, h), w) + x0; };
    const auto slot = [](UnalignedChannels* rows, int k, int kept) {
      return rows + static_cast<std::size_t>(k % kept) * kStripColumns;
    };
    for (int i = 0; i < 3 * kStripColumns; ++i) sum1[i] = Channels{};
    // First-stage rows from first1, second-stage rows from first2, finished
    // rows 0..h-1.
    const int first2 = -r3, first1 = first2 - r2;
    for (int k = first1 - r1; k <= first1 + r1; ++k) {
      const std::uint32_t* in = input(k);
      for (int i = 0; i < n; ++i) sum1[i] += channelsOf(in[i]);
    }
    // The strip's next rows lie a page or more apart, beyond what the
    // processor fetches ahead by itself: asked for one row early.
    const auto fetchAhead = [n](const std::uint32_t* row) {
      for (int i = 0; i < n; i += kPixelsPerCacheLine) __builtin_prefetch(row + i);
    };
    for (int y1 = first1; y1 < h + r3 + r2; ++y1) {
      if ((y1 - first1) % kRowsBetweenChecks == 0 && e.cancel.requestedInBand()) return;
      UnalignedChannels* row1 = slot(rows2, y1 - first1, kept2);
      const std::uint32_t* entering = input(y1 + r1 + 1);
      const std::uint32_t* leaving = input(y1 - r1);
      fetchAhead(input(y1 + r1 + 2));
      fetchAhead(input(y1 - r1 + 1));
      fetchAhead(e.texture.row(wrap(y1 - r2 - r3 + 1, h), w) + x0);
      for (int i = 0; i < n; ++i) {
        row1[i] = average1(sum1[i]);
        sum1[i] += channelsOf(entering[i]) - channelsOf(leaving[i]);
        sum2[i] += row1[i];
      }
      const int y2 = y1 - r2;
      if (y2 < first2) continue;
      const UnalignedChannels* oldest1 = slot(rows2, y1 - first1 + 1, kept2);
      UnalignedChannels* row2 = slot(rows3, y2 - first2, kept3);
      for (int i = 0; i < n; ++i) {
        row2[i] = average2(sum2[i]);
        sum2[i] -= oldest1[i];
        sum3[i] += row2[i];
      }
      const int y3 = y2 - r3;
      if (y3 < 0) continue;
      const UnalignedChannels* oldest2 = slot(rows3, y2 - first2 + 1, kept3);
      for (int i = 0; i < n; ++i) {
        out[i] = average3(sum3[i]);
        sum3[i] -= oldest2[i];
      }
      finish(y3, x0, n, out);
    }
  };
  shareOut(e, (w + kStripColumns - 1) / kStripColumns, strip);
}

// The lift of "Unsharp Mask": a pixel T whose channels all differ from
// their blurred values S by at least "Threshold" takes, in every channel,
// min(255, truncate(T + k x max(T - S, 0))), k = "Amount" x 0.01 held in
// single precision; other pixels keep their colour.
//
// For the catalogue's strengths k >= 0.01 is a single-precision value
// m x 2^(e - 23) with e >= -7, so T + k x d (d <= 255) is a multiple of
// 2^(e - 23) below 2^53 of those: exact in double.  Its truncation is then
// T + floor(k x d) exactly, an integer sum (the tests check every strength,
// difference and T).
class Lift {
 public:
  explicit Lift(const ProgramEntry& entry) : threshold_(entry.param[UnsharpMask::Threshold]) {
    const float k = static_cast<float>(entry.param[UnsharpMask::Amount] * kPercent);
    for (int d = 0; d < kLevels; ++d) whole_[d] = static_cast<int>(static_cast<double>(k) * d);
    while (lifting_ < kLevels && whole_[lifting_] == 0) ++lifting_;
  }
  // Pixel t lifted above its blurred value s, byte 3 kept.
  std::uint32_t operator()(std::uint32_t t, std::uint32_t s) const {
    bool keep = false;
    std::uint32_t colour = 0;
    for (int c = 0; c < 3; ++c) {
      const int tc = channel(t, c);
      const int d = tc - channel(s, c);
      keep |= (d < 0 ? -d : d) < threshold_;
      const int v = std::min(kTop, tc + whole_[d > 0 ? d : 0]);
      colour |= static_cast<std::uint32_t>(v) << (8 * c);
    }
    return keep ? t : withSpare(t, colour);
  }

  // Lifts n texture pixels above their blurred values.  Differences below
  // lifting_ add nothing (floor(k x d) = 0), and a pixel none of whose
  // channels lifts keeps its colour whether its threshold test keeps it or
  // not: such pixels are passed over four at a time.
  void row(std::uint32_t* tex, const std::uint32_t* blurred, int n) const {
    const Bytes liftingBytes = Bytes{} + static_cast<std::uint8_t>(std::min(lifting_, kTop));
    const bool noneLifts = lifting_ > kTop;  // then even the largest difference adds nothing
    int i = 0;
    for (; i + 4 <= n; i += 4) {
      const Bytes t = loadBytes(tex + i), b = loadBytes(blurred + i);
      const Bytes d = (t > b) & (t - b) & lanes::kColourBytes;  // max(T - S, 0), colour bytes
      const Bytes lifts = noneLifts ? Bytes{} : reinterpret_cast<Bytes>(d >= liftingBytes);
      std::uint64_t halves[2];
      std::memcpy(halves, &lifts, sizeof halves);
      if ((halves[0] | halves[1]) == 0) continue;
      for (int k = i; k < i + 4; ++k) tex[k] = (*this)(tex[k], blurred[k]);
    }
    for (; i < n; ++i) tex[i] = (*this)(tex[i], blurred[i]);
  }

 private:
  static constexpr double kPercent = 0.01;
  static constexpr int kLevels = 256;
  static constexpr int kTop = kLevels - 1;
  std::int32_t threshold_;
  int whole_[kLevels];
  int lifting_ = 1;  // the smallest difference that lifts (kLevels: none)
};

}  // namespace

std::size_t filterScratchWords(int width, int scale) {
  const std::size_t across = 2 * static_cast<std::size_t>(width);
  const std::size_t down =
      static_cast<std::size_t>(4 + 2 * (2 * widestRadius(scale) + 1)) * kStripColumns;
  return std::max(across, down) * kWordsPerChannels;
}

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
// At a scale s: three box averages across and three down that spread a
// pixel as far as the design's passes, s times the distance.
void Blur::run(TextureEngine& e, const ProgramEntry& entry) {
  if (entry.disabled) return;
  if (e.scale > 1) {
    if (entry.param[Amount] == 0) return;
    const BoxRadii radii = boxRadiiFor(scaledTwelfths(kBlurPass, entry.param[Amount], e.scale));
    const float offset = roundingOffset(kBlurPass, entry.param[Amount]);
    smoothAcross(e, radii, offset);
    if (e.cancel.requested()) return;
    const int w = e.width;
    auto finish = [&](int y, int x0, int n, UnalignedChannels* blurred) {
      std::uint32_t* out = e.texture.row(y, w) + x0;
      for (int i = 0; i < n; ++i) out[i] = withSpare(out[i], colourOf(blurred[i]));
    };
    smoothDown(e, radii, offset, finish);
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
// At a scale s: the copy is blurred by three box averages across and three
// down (wrapped) that spread a pixel as far as the design's passes, s times
// the distance, and every row is lifted as soon as its blur is done.
void UnsharpMask::run(TextureEngine& e, const ProgramEntry& entry) {
  if (entry.disabled) return;
  const Lift lift(entry);
  const int w = e.width, h = e.height;
  std::uint32_t* work = e.workPlane.data();
  std::uint32_t* tex = e.texture.data();
  if (e.scale > 1) {
    if (entry.param[Radius] == 0) return;
    const BoxRadii radii = boxRadiiFor(scaledTwelfths(kUnsharpPass, entry.param[Radius], e.scale));
    const float offset = roundingOffset(kUnsharpPass, entry.param[Radius]);
    smoothAcross(e, radii, offset);
    if (e.cancel.requested()) return;
    // The blurred colours packed into the front of their own scratch (pixel
    // i over bytes 4i.., of pixel i / 4, already read).
    auto finish = [&](int y, int x0, int n, UnalignedChannels* blurred) {
      std::uint32_t* row = reinterpret_cast<std::uint32_t*>(blurred);
      for (int i = 0; i < n; ++i) row[i] = colourOf(blurred[i]);
      lift.row(e.texture.row(y, w) + x0, row, n);
    };
    smoothDown(e, radii, offset, finish);
    return;
  }

  // Texture row y lives in work-plane row y + 1; rows 0 and h + 1 pad.
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

  lift.row(tex, work + w, e.pixelCount);
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

// "Maximum": grey-scale dilation with the five-pixel cross, "Amount"
// passes: a diamond of radius "Amount" (at a scale s, s times as many
// passes: a diamond of s x "Amount" pixels).
void Maximum::run(TextureEngine& e, const ProgramEntry& entry) {
  if (entry.disabled) return;
  dilate<ByteMax>(e, entry.param[Amount] * e.scale);
}

// "Minimum": grey-scale erosion, the same with the smallest value.
void Minimum::run(TextureEngine& e, const ProgramEntry& entry) {
  if (entry.disabled) return;
  dilate<ByteMin>(e, entry.param[Amount] * e.scale);
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
