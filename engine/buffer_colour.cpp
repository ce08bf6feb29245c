// Buffer commands ("Move to Buffer", "Clear Texture", "Connect Buffer") and
// colour adjustments ("Gamma Correction", "Brightness", "Inversion",
// "Contrast", "HSV").
//
// None of them draws random numbers, and a disabled entry does nothing.  The
// colour adjustments change bytes 0..2 of every texture pixel and keep byte 3,
// except "Inversion", which complements the whole pixel word.  The rules,
// written literally, are in reference/buffer_colour.cpp; the colour tables
// and "HSV" go sixteen pixels at a time in buffer_colour_wide.cpp where the
// processor has the wide instructions.  At large sizes the colour
// adjustments share bands of rows out over the engine's threads: every
// pixel is worked out on its own, so the bits are the same however the
// pixels are split.
#include <algorithm>
#include <array>
#include <cstdint>
#include <cstring>

#include "engine/band_pool.h"
#include "engine/commands.h"
#include "engine/exact_maths.h"
#include "engine/executor.h"
#include "engine/pixel_lanes.h"
#include "engine/wide_paths.h"

namespace mottler {

namespace {

constexpr std::uint32_t kSpareMask = 0xFF000000u;

using lanes::Bytes;
using lanes::highHalf;
using lanes::joinHalves;
using lanes::kColourBytes;
using lanes::lowHalf;
using lanes::SignedWords;
using lanes::Words;

inline std::uint8_t limitByte(std::int64_t v) {
  return static_cast<std::uint8_t>(v < 0 ? 0 : (v > 255 ? 255 : v));
}

// Limits a real to 0..255, then truncates: the same as truncating first and
// limiting after, but the conversion stays in range (NaN gives 0).
inline std::uint8_t limitTruncate(double v) {
  if (v >= 255.0) return 255;
  if (v > 0.0) return static_cast<std::uint8_t>(static_cast<int>(v));
  return 0;
}

// True when every table maps each value to itself: then the command leaves
// every pixel as it is (the default Percents of "Gamma Correction",
// "Brightness" and "Contrast" are such).
bool identityTables(const std::uint8_t (&table)[3][256]) {
  for (int ch = 0; ch < 3; ++ch)
    for (int c = 0; c < 256; ++c)
      if (table[ch][c] != c) return false;
  return true;
}

// Maps n texture pixels from t on through one 256-entry table per channel
// (index 0 blue, 1 green, 2 red), keeping byte 3.
void applyTables(std::uint32_t* t, int n, const std::uint8_t (&table)[3][256]) {
  for (int i = 0; i < n; ++i) {
    const std::uint32_t p = t[i];
    t[i] = (p & kSpareMask) |
           rgb(table[0][channel(p, 0)], table[1][channel(p, 1)], table[2][channel(p, 2)]);
  }
}

// How many pixels from the start the wide code did: the one place this
// family chooses between the wide path and the portable one.  None on the
// portable path (and in builds without a wide path); the caller's portable
// code does the rest.
template <class WideCode>
int doneOnWidePath(const TextureEngine& e, WideCode wide) {
  return e.wideVectors ? wide() : 0;
}

// Runs pixels(t, n) on runs of n texture pixels from t, bands of rows that
// cover the texture, asking before each whether the run is cancelled; from
// kBandedFromPixels up the bands are shared out over the engine's threads.
template <class Pixels>
void forEachRunOfPixels(TextureEngine& e, Pixels pixels) {
  constexpr int kBandRows = 64;
  const int w = e.width;
  std::uint32_t* t = e.texture.data();
  auto rows = [&](int y0, int y1) {
    for (int y = y0; y < y1; y += kBandRows) {
      if (e.cancel.requestedInBand()) return;
      const int end = std::min(y1, y + kBandRows);
      pixels(t + static_cast<std::size_t>(y) * static_cast<std::size_t>(w), (end - y) * w);
    }
  };
  forEachBandOfRows(e.pool.get(), e.pixelCount, e.height, kBandRows, rows);
}

// Maps the texture through the tables: each run on the wide path as far as
// it goes, the rest through `portable` (which does a run of pixels and may
// leave a tail to the tables).  Nothing to do when the tables change
// nothing.
template <class Portable>
void mapThroughTables(TextureEngine& e, const std::uint8_t (&table)[3][256], Portable portable) {
  if (identityTables(table)) return;
  forEachRunOfPixels(e, [&](std::uint32_t* t, int n) {
    int done = doneOnWidePath(e, [&] { return applyTablesWide(t, n, table); });
    done += portable(t + done, n - done);
    applyTables(t + done, n - done, table);
  });
}
// The portable code that leaves every pixel to the tables.
constexpr auto kTablesAlone = [](std::uint32_t*, int) { return 0; };

}  // namespace

// "Move to Buffer": the whole texture is copied into the buffer.
void MoveToBuffer::run(TextureEngine& e, const ProgramEntry& entry) {
  if (entry.disabled) return;
  std::memcpy(e.buffer.data(), e.texture.data(), static_cast<std::size_t>(e.pixelCount) * 4);
}

// "Clear Texture": every texture pixel becomes 0.
void ClearTexture::run(TextureEngine& e, const ProgramEntry& entry) {
  if (entry.disabled) return;
  e.clear(e.texture);
}

// "Connect Buffer": the buffer blended into the texture under the entry's
// method and offsets.
void ConnectBuffer::run(TextureEngine& e, const ProgramEntry& entry) {
  if (entry.disabled) return;
  blendLayer(e, e.buffer, entry);
}

// "Gamma Correction": c -> truncate(c^g / K + 0.5) limited to 0..255, with
// g = Percents x 0.01 and K = 255^g / 255; that is 255 x (c / 255)^g rounded.
void GammaCorrection::run(TextureEngine& e, const ProgramEntry& entry) {
  if (entry.disabled) return;
  const double g = entry.param[Percents] * 0.01;
  const double k = exactPow(255.0, g) / 255.0;
  std::uint8_t table[3][256];
  for (int c = 0; c < 256; ++c) {
    const std::uint8_t v = limitTruncate(exactPow(static_cast<double>(c), g) / k + 0.5);
    table[0][c] = table[1][c] = table[2][c] = v;
  }
  mapThroughTables(e, table, kTablesAlone);
}

// "Brightness": each channel c -> min(255, c x percents / 100), its own
// percentage per channel.
void Brightness::run(TextureEngine& e, const ProgramEntry& entry) {
  if (entry.disabled) return;
  // Table rows are blue, green, red.
  const int percents[3] = {entry.param[BluePercents], entry.param[GreenPercents],
                           entry.param[RedPercents]};
  std::uint8_t table[3][256];
  for (int ch = 0; ch < 3; ++ch)
    for (int c = 0; c < 256; ++c) table[ch][c] = limitByte(c * percents[ch] / 100);

  // With p = 100 a + b (b < 100): c x p / 100 = c x a + c x b / 100 exactly,
  // and for p <= 1000 every term fits a 16-bit lane (c x b <= 25245,
  // c x a <= 2550), so four pixels are done at once in 16-bit lanes.
  // Byte 3 takes a = 1, b = 0 and stays as it was.
  Words a, b;
  for (int i = 0; i < 8; ++i) {
    const int c = i % 4;
    a[i] = static_cast<std::uint16_t>(c == 3 ? 1 : percents[c] / 100);
    b[i] = static_cast<std::uint16_t>(c == 3 ? 0 : percents[c] % 100);
  }
  const auto scale = [&](Words c) {
    // At most 2550 + 252: the limit as a signed minimum.
    const SignedWords r = reinterpret_cast<SignedWords>(c * a + (c * b) / 100);
    return reinterpret_cast<Words>(r > 255 ? 255 : r);
  };
  mapThroughTables(e, table, [&](std::uint32_t* t, int n) {
    int i = 0;
    for (; i + 4 <= n; i += 4) {
      Bytes v;
      std::memcpy(&v, t + i, sizeof v);
      v = joinHalves(scale(lowHalf(v)), scale(highHalf(v)));
      std::memcpy(t + i, &v, sizeof v);
    }
    return i;
  });
}

// "Inversion": the whole pixel word is complemented (each channel c -> 255 - c).
void Inversion::run(TextureEngine& e, const ProgramEntry& entry) {
  if (entry.disabled) return;
  forEachRunOfPixels(e, [](std::uint32_t* t, int n) {
    for (int i = 0; i < n; ++i) t[i] = ~t[i];
  });
}

// "Contrast": c -> (c - 128) x Percents / 100 + 128, the division truncating
// toward zero, limited to 0..255.
void Contrast::run(TextureEngine& e, const ProgramEntry& entry) {
  if (entry.disabled) return;
  const int percents = entry.param[Percents];
  std::uint8_t table[3][256];
  for (int c = 0; c < 256; ++c)
    table[0][c] = table[1][c] = table[2][c] = limitByte((c - 128) * percents / 100 + 128);

  // d x p / 100 truncated toward zero is d x a + d x b / 100 (truncated)
  // with p = 100 a + b (b < 100), both terms having the sign of d; for
  // |d| <= 128 and p <= 500 every term fits a 16-bit lane, so four pixels
  // are done at once.
  const std::int16_t a = static_cast<std::int16_t>(percents / 100);
  const std::int16_t b = static_cast<std::int16_t>(percents % 100);
  const auto stretch = [&](Words c) {
    const SignedWords d = reinterpret_cast<SignedWords>(c) - 128;
    // d x a and d x b / 100 (truncating) have the sign of d, so their sum is
    // the truncation of d x p / 100.
    SignedWords r = d * a + (d * b) / 100 + 128;
    r = r < 0 ? 0 : r;
    r = r > 255 ? 255 : r;
    return reinterpret_cast<Words>(r);
  };
  mapThroughTables(e, table, [&](std::uint32_t* t, int n) {
    int i = 0;
    for (; i + 4 <= n; i += 4) {
      Bytes v;
      std::memcpy(&v, t + i, sizeof v);
      const Bytes out = joinHalves(stretch(lowHalf(v)), stretch(highHalf(v)));
      v = (out & kColourBytes) | (v & ~kColourBytes);
      std::memcpy(t + i, &v, sizeof v);
    }
    return i;
  });
}

// ------------------------------------------------------------------ HSV ---
//
// Each pixel to hue, saturation and value (hexcone model, blue in the place
// of red), scaled by Hue / 180, Saturation % and Value %, and back.  All in
// double; the channels are truncated without rounding.  The steps below are
// written once for a lane type: a plain double for one pixel, and a pair of
// doubles (the compiler's portable vector type) for two pixels at a time.
// Every lane does exactly the operations the single pixel does, in the same
// order, so the bits are the same; where a pixel branches, both sides are
// worked out and one chosen.  The two quotients of whole channel values (S
// and the hue's fraction) are looked up, a divisor that would be 0 (black
// or grey) being 1 there, where the quotient is 0 either way.

namespace {
namespace hsv_steps {

constexpr double kDegreesPerSector = 60;  // six sectors of the hue circle
constexpr double kFullTurn = 360;
constexpr double kHueKept = 180;  // the "Hue" that leaves every hue as it is
constexpr double kPercent = 0.01;
constexpr int kLastSector = 5;

typedef double Reals __attribute__((vector_size(16)));
typedef std::int64_t Mask __attribute__((vector_size(16)));  // all ones where true
typedef std::int32_t Ints __attribute__((vector_size(8)));

// Lane-wise choice: yes where the mask is set, otherwise no.
inline double choose(bool m, double yes, double no) { return m ? yes : no; }
inline Reals choose(Mask m, Reals yes, Reals no) {
  return reinterpret_cast<Reals>((m & reinterpret_cast<Mask>(yes)) |
                                 (~m & reinterpret_cast<Mask>(no)));
}
inline double larger(double a, double b) { return a > b ? a : b; }
inline Reals larger(Reals a, Reals b) { return choose(a > b, a, b); }
inline double smaller(double a, double b) { return a < b ? a : b; }
inline Reals smaller(Reals a, Reals b) { return choose(a < b, a, b); }
inline int truncated(double v) { return static_cast<int>(v); }
inline Ints truncated(Reals v) { return __builtin_convertvector(v, Ints); }
inline double real(int v) { return v; }
inline Reals real(Ints v) { return __builtin_convertvector(v, Reals); }

// The two quotients of whole channel values the conversion needs, each
// worked out once per process (the same division, so the same bits):
// delta / mx for 0 <= delta <= mx, and num / delta for |num| <= delta.
class Quotients {
 public:
  static const Quotients& get() {
    static const Quotients q;
    return q;
  }
  double saturation(int mx, int delta) const {
    return saturation_[static_cast<std::size_t>(mx * (mx + 1) / 2 + delta)];
  }
  double hueFraction(int num, int delta) const {
    return hue_[static_cast<std::size_t>(delta * delta + num + delta)];
  }

 private:
  Quotients() {
    for (int mx = 0; mx < 256; ++mx)
      for (int delta = 0; delta <= mx; ++delta)
        saturation_[static_cast<std::size_t>(mx * (mx + 1) / 2 + delta)] =
            static_cast<double>(delta) / (mx == 0 ? 1 : mx);
    for (int delta = 0; delta < 256; ++delta)
      for (int num = -delta; num <= delta; ++num)
        hue_[static_cast<std::size_t>(delta * delta + num + delta)] =
            static_cast<double>(num) / (delta == 0 ? 1 : delta);
  }
  std::array<double, 256 * 257 / 2> saturation_;
  std::array<double, 256 * 256> hue_;
};

// Steps 1-3 in whole numbers: the largest channel mx, delta = mx - the
// smallest, and the hue's base and numerator by the first largest channel:
// H = base + num / delta (c1 - c2, 2 + (c2 - c0) or 4 + (c0 - c1)).
struct Measure {
  int mx, delta, base, num;
};
inline Measure measure(std::uint32_t colour) {
  const int c0 = channel(colour, 0), c1 = channel(colour, 1), c2 = channel(colour, 2);
  const int mx = std::max(c0, std::max(c1, c2));
  const int delta = mx - std::min(c0, std::min(c1, c2));
  // Selections rather than branches: which channel is largest is anyone's
  // guess from pixel to pixel.
  const bool first = c0 == mx, second = c1 == mx;
  const int num = first ? c1 - c2 : (second ? c2 - c0 : c0 - c1);
  const int base = first ? 0 : (second ? 2 : 4);
  return {mx, delta, base, num};
}

// S = delta / mx (0 for black) and the hue's fraction num / delta (0 for
// grey, where the hue does not matter), looked up.
inline void quotientsOf(const Measure& m, double& saturation, double& fraction) {
  const Quotients& q = Quotients::get();
  saturation = q.saturation(m.mx, m.delta);
  fraction = q.hueFraction(m.num, m.delta);
}

// Step 3: the hue in degrees, 0 <= H < 360: (base + fraction) x 60.
// 0 + x is x exactly (x is never -0 here), so the base may always be added.
// H >= -60 and H < 300 before the turn, so one turn is all it takes.
template <class R>
R hueOf(R base, R fraction) {
  const R h = (base + fraction) * kDegreesPerSector;
  return choose(h < 0, h + kFullTurn, h);
}

// Step 4 for the hue: H' = H x Hue / 180, below 720; a hue of a full turn
// or more (Hue above 180) comes round again.
template <class R>
R scaledHue(R h, double hueScale) {
  const R hs = h * hueScale / kHueKept;
  return choose(hs >= kFullTurn, hs - kFullTurn, hs);
}

// Steps 5-7: the sector i = floor(H' / 60) (at most 5) and f = H' / 60 - i;
// V', p = V'(1 - S'), q = V'(1 - S'f), t = V'(1 - S'(1 - f)), each limited
// to 255 and truncated (S' = 0 makes p, q and t all V', the grey case).
template <class R, class I>
struct Candidates {
  I sector, v, p, q, t;
};
template <class R, class I>
Candidates<R, I> candidatesOf(R hs, R ss, R vs) {
  const R hh = hs / kDegreesPerSector;
  const I sector = truncated(hh);  // hh >= 0: truncation is floor
  const R f = hh - real(sector);
  const auto limited = [](R x) { return truncated(smaller(larger(x, R{}), R{} + 255)); };
  return {sector, limited(vs), limited(vs * (1 - ss)), limited(vs * (1 - ss * f)),
          limited(vs * (1 - ss * (1 - f)))};
}

// Which of V', p, q and t each channel takes in the six sectors:
// (V', t, p), (q, V', p), (p, V', t), (p, q, V'), (t, p, V'), (V', p, q).
enum Pick : std::uint8_t { kV, kP, kQ, kT };
constexpr Pick kPickOfSector[kLastSector + 1][3] = {{kV, kT, kP}, {kQ, kV, kP}, {kP, kV, kT},
                                                    {kP, kQ, kV}, {kT, kP, kV}, {kV, kP, kQ}};

inline std::uint32_t colourOf(int sector, const int (&values)[4]) {
  const Pick* pick = kPickOfSector[std::min(std::max(sector, 0), kLastSector)];
  return rgb(static_cast<std::uint32_t>(values[pick[0]]),
             static_cast<std::uint32_t>(values[pick[1]]),
             static_cast<std::uint32_t>(values[pick[2]]));
}

// The parameters as the steps use them.
struct Scales {
  double hue, saturation, value;
};

// Steps 3-7 for one lane type, from the largest channel, S and the hue's
// base and fraction: the sector and the four candidate channel values.
template <class R, class I>
Candidates<R, I> convert(R mx, R s, R base, R fraction, const Scales& scales) {
  const R hs = scaledHue(hueOf(base, fraction), scales.hue);
  const R ss = smaller(s * scales.saturation * kPercent, R{} + 1);
  const R vs = mx * scales.value * kPercent;
  return candidatesOf<R, I>(hs, ss, vs);
}

// One pixel's colour (bytes 0..2).
std::uint32_t convertOne(std::uint32_t colour, const Scales& scales) {
  const Measure m = measure(colour);
  double s, fraction;
  quotientsOf(m, s, fraction);
  const Candidates<double, int> k =
      convert<double, int>(real(m.mx), s, real(m.base), fraction, scales);
  return colourOf(k.sector, {k.v, k.p, k.q, k.t});
}

// Two pixels at once, byte 3 of each kept.
void convertPair(std::uint32_t* p, const Scales& scales) {
  const Measure m0 = measure(p[0]), m1 = measure(p[1]);
  double s0, s1, f0, f1;
  quotientsOf(m0, s0, f0);
  quotientsOf(m1, s1, f1);
  const Candidates<Reals, Ints> k =
      convert<Reals, Ints>(Reals{real(m0.mx), real(m1.mx)}, Reals{s0, s1},
                           Reals{real(m0.base), real(m1.base)}, Reals{f0, f1}, scales);
  for (int lane = 0; lane < 2; ++lane)
    p[lane] = (p[lane] & kSpareMask) |
              colourOf(k.sector[lane], {k.v[lane], k.p[lane], k.q[lane], k.t[lane]});
}

// "HSV" on the portable path for n pixels from tex on.  Textures repeat
// colours a lot: a small direct-mapped store of colour -> result answers
// most pairs without the conversion.  Keys are colours (byte 3 zero), so an
// all-ones key marks an empty slot.
void convertPortably(std::uint32_t* tex, int n, const Scales& scales,
                     const std::uint8_t (&greyValue)[256]) {
  const auto isGrey = [](std::uint32_t p) { return ((p ^ (p >> 8)) & 0xFFFFu) == 0; };
  const auto grey = [&](std::uint32_t p) {
    return (p & kSpareMask) | greyValue[p & 0xFFu] * 0x010101u;
  };
  constexpr int kRememberedBits = 10;
  struct Remembered {
    std::uint32_t in, out;
  };
  Remembered remembered[1 << kRememberedBits];
  for (Remembered& r : remembered) r = {0xFFFFFFFFu, 0};
  const auto slotOf = [&](std::uint32_t colour) -> Remembered& {
    return remembered[(colour * 0x9E3779B1u) >> (32 - kRememberedBits)];
  };
  int i = 0;
  for (; i + 2 <= n; i += 2) {
    std::uint32_t* pair = tex + i;
    if (isGrey(pair[0]) && isGrey(pair[1])) {
      pair[0] = grey(pair[0]);
      pair[1] = grey(pair[1]);
      continue;
    }
    const std::uint32_t in0 = pair[0] & ~kSpareMask, in1 = pair[1] & ~kSpareMask;
    Remembered& r0 = slotOf(in0);
    Remembered& r1 = slotOf(in1);
    if (r0.in == in0 && r1.in == in1) {
      pair[0] = (pair[0] & kSpareMask) | r0.out;
      pair[1] = (pair[1] & kSpareMask) | r1.out;
      continue;
    }
    convertPair(pair, scales);
    r0 = {in0, pair[0] & ~kSpareMask};
    r1 = {in1, pair[1] & ~kSpareMask};
  }
  for (; i < n; ++i)
    tex[i] = isGrey(tex[i]) ? grey(tex[i]) : (tex[i] & kSpareMask) | convertOne(tex[i], scales);
}

}  // namespace hsv_steps
}  // namespace

// "HSV": see the steps above.  Grey pixels (all channels equal) become grey
// at truncate(V'), looked up per value; pairs of pixels go through the
// two-lane steps, and the wide code (where the processor has it) does
// sixteen at a time.
void Hsv::run(TextureEngine& e, const ProgramEntry& entry) {
  if (entry.disabled) return;
  using namespace hsv_steps;
  const Scales scales{static_cast<double>(entry.param[Hue]),
                      static_cast<double>(entry.param[Saturation]),
                      static_cast<double>(entry.param[Value])};

  // Grey pixels (all channels mx) have S = 0, so S' = 0 and H' = 0; p, q
  // and t are V' x 1 = V' exactly: one entry per mx.
  std::uint8_t greyValue[256];
  for (int mx = 0; mx < 256; ++mx) greyValue[mx] = limitTruncate(mx * scales.value * kPercent);
  const hsv::Scales wideScales{scales.hue, scales.saturation, scales.value};
  // Each run of pixels (a band of rows, a few milliseconds' work) on its
  // own thread, with its own store of remembered colours.
  forEachRunOfPixels(e, [&](std::uint32_t* tex, int n) {
    int i = doneOnWidePath(e, [&] { return hsvWide(tex, n, greyValue, wideScales); });
    convertPortably(tex + i, n - i, scales, greyValue);
  });
}

}  // namespace mottler
