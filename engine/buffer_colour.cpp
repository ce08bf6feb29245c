// Buffer commands ("Move to Buffer", "Clear Texture", "Connect Buffer") and
// colour adjustments ("Gamma Correction", "Brightness", "Inversion",
// "Contrast", "HSV").
//
// None of them draws random numbers, and a disabled entry does nothing.  The
// colour adjustments change bytes 0..2 of every texture pixel and keep byte 3,
// except "Inversion", which complements the whole pixel word.  The rules,
// written literally, are in reference/buffer_colour.cpp; the colour tables
// and "HSV" go sixteen pixels at a time in buffer_colour_wide.cpp where the
// processor has the wide instructions.
#include <algorithm>
#include <cstdint>
#include <cstring>

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

// Maps the texture pixels from `from` on through one 256-entry table per
// channel (index 0 blue, 1 green, 2 red), keeping byte 3.
void applyTables(TextureEngine& e, const std::uint8_t (&table)[3][256], int from = 0) {
  std::uint32_t* t = e.texture.data();
  const int n = e.pixelCount;  // a local count: pixel stores may alias the member
  for (int i = from; i < n; ++i) {
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

// Applies the tables unless they change nothing; true when the caller has
// nothing left to do (no change, or the wide code did it).
bool applyTablesQuickly(TextureEngine& e, const std::uint8_t (&table)[3][256]) {
  if (identityTables(table)) return true;
  const int done = doneOnWidePath(e, [&] { return applyTablesWide(e, table); });
  if (done == 0) return false;
  applyTables(e, table, done);
  return true;
}

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
  if (applyTablesQuickly(e, table)) return;
  applyTables(e, table);
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
  if (applyTablesQuickly(e, table)) return;

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
  std::uint32_t* t = e.texture.data();
  const int n = e.pixelCount;
  int i = 0;
  const auto scale = [&](Words c) {
    // At most 2550 + 252: the limit as a signed minimum.
    const SignedWords r = reinterpret_cast<SignedWords>(c * a + (c * b) / 100);
    return reinterpret_cast<Words>(r > 255 ? 255 : r);
  };
  for (; i + 4 <= n; i += 4) {
    Bytes v;
    std::memcpy(&v, t + i, sizeof v);
    v = joinHalves(scale(lowHalf(v)), scale(highHalf(v)));
    std::memcpy(t + i, &v, sizeof v);
  }
  applyTables(e, table, i);
}

// "Inversion": the whole pixel word is complemented (each channel c -> 255 - c).
void Inversion::run(TextureEngine& e, const ProgramEntry& entry) {
  if (entry.disabled) return;
  std::uint32_t* t = e.texture.data();
  const int n = e.pixelCount;  // a local count lets the loop run sixteen bytes at a time
  for (int i = 0; i < n; ++i) t[i] = ~t[i];
}

// "Contrast": c -> (c - 128) x Percents / 100 + 128, the division truncating
// toward zero, limited to 0..255.
void Contrast::run(TextureEngine& e, const ProgramEntry& entry) {
  if (entry.disabled) return;
  const int percents = entry.param[Percents];
  std::uint8_t table[3][256];
  for (int c = 0; c < 256; ++c)
    table[0][c] = table[1][c] = table[2][c] = limitByte((c - 128) * percents / 100 + 128);
  if (applyTablesQuickly(e, table)) return;

  // d x p / 100 truncated toward zero is d x a + d x b / 100 (truncated)
  // with p = 100 a + b (b < 100), both terms having the sign of d; for
  // |d| <= 128 and p <= 500 every term fits a 16-bit lane, so four pixels
  // are done at once.
  const std::int16_t a = static_cast<std::int16_t>(percents / 100);
  const std::int16_t b = static_cast<std::int16_t>(percents % 100);
  std::uint32_t* t = e.texture.data();
  const int n = e.pixelCount;
  int i = 0;
  const auto stretch = [&](Words c) {
    const SignedWords d = reinterpret_cast<SignedWords>(c) - 128;
    // d x a and d x b / 100 (truncating) have the sign of d, so their sum is
    // the truncation of d x p / 100.
    SignedWords r = d * a + (d * b) / 100 + 128;
    r = r < 0 ? 0 : r;
    r = r > 255 ? 255 : r;
    return reinterpret_cast<Words>(r);
  };
  for (; i + 4 <= n; i += 4) {
    Bytes v;
    std::memcpy(&v, t + i, sizeof v);
    const Bytes out = joinHalves(stretch(lowHalf(v)), stretch(highHalf(v)));
    v = (out & kColourBytes) | (v & ~kColourBytes);
    std::memcpy(t + i, &v, sizeof v);
  }
  applyTables(e, table, i);
}

// "HSV": each pixel to hue, saturation and value (hexcone model, blue in the
// place of red), scaled by Hue / 180, Saturation % and Value %, and back.
// All in double; the channels are truncated without rounding.
void Hsv::run(TextureEngine& e, const ProgramEntry& entry) {
  if (entry.disabled) return;
  const double hueScale = entry.param[Hue];
  const double saturationScale = entry.param[Saturation];
  // V' = mx x Value x 0.01 for every possible mx.
  double scaledValue[256];
  for (int mx = 0; mx < 256; ++mx)
    scaledValue[mx] = mx * static_cast<double>(entry.param[Value]) * 0.01;

  // Which of V', p, q, t each channel takes in the six sectors:
  // (V', t, p), (q, V', p), (p, V', t), (p, q, V'), (t, p, V'), (V', p, q).
  enum { kV, kP, kQ, kT };
  static constexpr std::uint8_t kPick[6][3] = {{kV, kT, kP}, {kQ, kV, kP}, {kP, kV, kT},
                                               {kP, kQ, kV}, {kT, kP, kV}, {kV, kP, kQ}};

  // The conversion of one colour (bytes 0..2; byte 3 zero).
  const auto convert = [&](std::uint32_t colourIn) -> std::uint32_t {
    const int c0 = channel(colourIn, 0);
    const int c1 = channel(colourIn, 1);
    const int c2 = channel(colourIn, 2);
    const int mx = std::max(c0, std::max(c1, c2));
    const int mn = std::min(c0, std::min(c1, c2));
    const double delta = mx - mn;
    const double s = mx == 0 ? 0.0 : delta / mx;

    double h = 0.0;  // undefined for grey, where it does not matter
    if (s != 0.0) {
      // H = (c1 - c2) / delta, 2 + (c2 - c0) / delta or 4 + (c0 - c1) / delta
      // by the largest channel (0 + x is x exactly, x never being -0).
      const int num = c0 == mx ? c1 - c2 : (c1 == mx ? c2 - c0 : c0 - c1);
      const double base = c0 == mx ? 0.0 : (c1 == mx ? 2.0 : 4.0);
      h = base + num / delta;
      h = h * 60;
      // h >= -60 and h < 300 here, so one step of "while h < 0 add 360"
      // is all it takes (written as a select: the sign is unpredictable).
      h = h < 0 ? h + 360 : h;
      while (h >= 360) h -= 360;
    }

    // 0 <= H' < 720; hues of 360 degrees or more (Hue above 180) come round
    // again.
    double hs = h * hueScale / 180;
    hs = hs >= 360 ? hs - 360 : hs;
    double ss = s * saturationScale * 0.01;
    if (ss > 1) ss = 1;
    const double vs = scaledValue[mx];

    // With S' = 0 (grey pixels, or Saturation 0) p, q and t all equal V'
    // exactly, which is the grey case: every channel V'.
    const double hh = hs / 60;
    // hh >= 0, so floor(hh) is its truncation.
    const int sectorOfHue = static_cast<int>(hh);
    const double f = hh - sectorOfHue;
    const double value[4] = {vs, vs * (1 - ss), vs * (1 - ss * f), vs * (1 - ss * (1 - f))};
    int sector = sectorOfHue;
    if (sector > 5) sector = 5;  // not reached: hs < 360
    if (sector < 0) sector = 0;
    const std::uint8_t* pick = kPick[sector];
    return rgb(limitTruncate(value[pick[0]]), limitTruncate(value[pick[1]]),
               limitTruncate(value[pick[2]]));
  };

  // Grey pixels (all channels mx) have S = 0, so S' = 0 (or -0: Saturation
  // is finite) and H' = 0; p, q and t are V' x 1 = V' exactly and the pixel
  // becomes grey at truncate(V'): one entry per mx.
  std::uint8_t greyValue[256];
  for (int mx = 0; mx < 256; ++mx) greyValue[mx] = limitTruncate(scaledValue[mx]);

  // Textures repeat colours a lot: a small direct-mapped cache of colour ->
  // result.  Keys are colours (byte 3 zero), so an all-ones key marks an
  // empty slot.
  constexpr int kCacheBits = 10;
  struct Slot {
    std::uint32_t in, out;
  };
  Slot cache[1 << kCacheBits];
  for (Slot& slot : cache) slot = {0xFFFFFFFFu, 0};

  std::uint32_t* tex = e.texture.data();
  const int n = e.pixelCount;
  const auto convertPixels = [&](int from, int to) {
    for (int i = from; i < to; ++i) {
      const std::uint32_t pixel = tex[i];
      const std::uint32_t colourIn = pixel & ~kSpareMask;
      const std::uint32_t c0 = colourIn & 0xFFu;
      std::uint32_t colourOut;
      if (colourIn == c0 * 0x010101u) {
        colourOut = greyValue[c0] * 0x010101u;
      } else {
        Slot& slot = cache[(colourIn * 0x9E3779B1u) >> (32 - kCacheBits)];
        if (slot.in != colourIn) slot = {colourIn, convert(colourIn)};
        colourOut = slot.out;
      }
      tex[i] = (pixel & kSpareMask) | colourOut;
    }
  };
  // The wide code converts whole groups of sixteen pixels in lanes; the
  // rest, or everything, pixel by pixel here.
  int done = 0;
#if MOTTLER_HAS_WIDE_PATH
  if (e.wideVectors)
    done = hsvWide(tex, n, greyValue,
                   {hueScale, saturationScale, static_cast<double>(entry.param[Value])});
#endif
  convertPixels(done, n);
}

}  // namespace mottler
